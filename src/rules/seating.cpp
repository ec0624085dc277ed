#include "seating.h"

#include "replies.h"
#include "store/numbers.h"

#include <QLocale>
#include <QStringView>
#include <cmath>
#include <limits>

namespace Seating {

using namespace Schema;

namespace {

// Seat numbers are text fields holding a plain number, as the handheld keeps them.
void writeNumber(PlanEdit &edit, Record &table, FieldCode code, double value) {
    edit.write(DbId::Tables, table, code, Numbers::numberText(value));
}

// A number taken as a whole number. Clamped rather than refused: a count must never fail.
double whole(double value) {
    return Numbers::clampedInteger(value);
}

// The trimmed gtag, without a copy of the text.
QStringView guestTag(const Field *tag, QString &holder) {
    if (!tag)
        return {};
    holder = tag->value().toText();
    return QStringView(holder).trimmed();
}

} // namespace

double storedNumber(const FieldValue &value) {
    const double n = value.toNumber();
    return std::isfinite(n) ? n : 0.0;
}

double storedNumber(const Record &record, FieldCode code) {
    const Field *field = record.fields().find(code);
    return field ? storedNumber(field->value()) : 0.0;
}

bool takesSeats(const Record &guest) {
    return guest.has(Guest::kRsvp) && Replies::replyOf(guest) != Replies::Reply::Declined;
}

double seatsOf(const Record &guest) {
    return takesSeats(guest) ? storedNumber(guest, Guest::kRsvp) : 0.0;
}

QString tableTag(const Record &table) {
    return table.text(Table::kTag).trimmed();
}

bool isSeated(const Record &guest) {
    QString holder;
    return !guestTag(guest.fields().find(Guest::kTable), holder).isEmpty();
}

bool isSeatedAt(const Record &guest, const QString &tag) {
    if (tag.isEmpty())
        return false;
    QString holder;
    return guestTag(guest.fields().find(Guest::kTable), holder) == tag;
}

std::vector<int> guestsAt(const PalmDatabase &guests, const QString &tag) {
    std::vector<int> numbers;
    if (tag.isEmpty())
        return numbers;
    const auto &records = guests.records().raw();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (isSeatedAt(*records[i], tag))
            numbers.push_back(int(i) + 1);
    }
    return numbers;
}

qint16 seatedPeople(const PalmDatabase &guests, const QString &tag) {
    double sum = 0;
    if (tag.isEmpty())
        return 0;
    for (const auto &guest : guests.records().raw()) {
        if (isSeatedAt(*guest, tag))
            sum = whole(sum + seatsOf(*guest));
    }
    return qint16(sum);
}

int tablesWithTag(const PalmDatabase &tables, const QString &tag) {
    int n = 0;
    for (const auto &table : tables.records().raw()) {
        if (tableTag(*table) == tag)
            ++n;
    }
    return n;
}

Record *tableWithTag(PalmDatabase &tables, const QString &tag) {
    const QString wanted = tag.trimmed();
    if (wanted.isEmpty())
        return nullptr;
    for (const auto &table : tables.records().raw()) {
        if (tableTag(*table) == wanted)
            return table.get();
    }
    return nullptr;
}

IdProblem checkTableId(const PalmDatabase &tables, const Record *table, const QString &id) {
    // A blank ID is no ID: guests hold the trimmed ID, and an empty one seats nobody.
    const QString wanted = id.trimmed();
    if (wanted.isEmpty())
        return IdProblem::Empty;
    for (const auto &other : tables.records().raw()) {
        if (other.get() != table && tableTag(*other) == wanted)
            return IdProblem::Taken;
    }
    return IdProblem::None;
}

SeatsProblem checkSeatCount(const QString &text) {
    if (text.isEmpty())
        return SeatsProblem::None;
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return SeatsProblem::NotANumber;
    if (value < 0 || value > std::numeric_limits<qint16>::max())
        return SeatsProblem::OutOfRange;
    // Seats are whole: 8.5 seats would show 4 taken and 4.5 free.
    if (value != std::floor(value))
        return SeatsProblem::NotWhole;
    return SeatsProblem::None;
}

SeatCheck checkSeats(const Record &table, double wanted) {
    SeatCheck check;
    check.wanted = wanted;
    if (const Field *avai = table.fields().find(Table::kAvailable)) {
        check.made = true;
        // An absurd avai is clamped, not trusted.
        check.free = whole(storedNumber(avai->value()));
    }
    return check;
}

void growTable(PlanEdit &edit, Record &table, const SeatCheck &check) {
    writeNumber(edit, table, Table::kMaxSeats,
                storedNumber(table, Table::kMaxSeats) - (check.free - check.wanted));
    edit.write(DbId::Tables, table, Table::kAvailable, QStringLiteral("0"));
}

void addToCount(PlanEdit &edit, Record &table, double people) {
    writeNumber(edit, table, Table::kCount, storedNumber(table, Table::kCount) + people);
}

namespace {

// Seats one guest; `mayGrow` is asked only when the guest does not fit.
SeatResult seatOne(PlanEdit &edit, Record &table, Record &guest,
                   const std::function<bool()> &mayGrow) {
    const double people = seatsOf(guest);
    // A guest without an rsvp takes no seat, so nothing is checked for it.
    if (takesSeats(guest)) {
        const SeatCheck check = checkSeats(table, people);
        if (check.made) {
            if (check.fits()) {
                writeNumber(edit, table, Table::kAvailable, check.free - people);
            } else {
                if (!mayGrow || !mayGrow())
                    return SeatResult::Declined;
                growTable(edit, table, check);
            }
        }
    }
    edit.write(DbId::Guest, guest, Guest::kTable, tableTag(table));
    addToCount(edit, table, people);
    return SeatResult::Seated;
}

} // namespace

SeatResult seat(PlanEdit &edit, Record &table, Record &guest,
                const std::function<bool()> &askToGrow) {
    return seatOne(edit, table, guest, askToGrow);
}

int seatAll(PlanEdit &edit, Record &table, const std::vector<Record *> &guests,
            const std::function<bool()> &askToGrow) {
    std::optional<bool> grow; // asked once, at the first guest that does not fit
    const auto mayGrow = [&] {
        if (!grow)
            grow = askToGrow && askToGrow();
        return *grow;
    };
    int seated = 0;
    for (Record *guest : guests) {
        if (guest && !isSeated(*guest) &&
            seatOne(edit, table, *guest, mayGrow) == SeatResult::Seated)
            ++seated;
    }
    return seated;
}

void unseat(PlanEdit &edit, Record *table, Record &guest) {
    const double people = seatsOf(guest);
    if (table) {
        if (table->has(Table::kAvailable) && takesSeats(guest))
            writeNumber(edit, *table, Table::kAvailable,
                        whole(storedNumber(*table, Table::kAvailable)) + people);
        // A table without a count gets one; it then counts nobody.
        if (table->has(Table::kCount))
            writeNumber(edit, *table, Table::kCount, storedNumber(*table, Table::kCount) - people);
        else
            edit.write(DbId::Tables, *table, Table::kCount, QStringLiteral("0"));
    }
    // Unseated means no tag at all, not an empty one.
    edit.removeField(DbId::Guest, guest, Guest::kTable);
}

int unseatAll(PlanEdit &edit, const QString &tag) {
    int n = 0;
    if (tag.isEmpty())
        return 0;
    for (const auto &guest : edit.db(DbId::Guest).records().raw()) {
        if (isSeatedAt(*guest, tag)) {
            edit.removeField(DbId::Guest, *guest, Guest::kTable);
            ++n;
        }
    }
    return n;
}

int moveGuests(PlanEdit &edit, const QString &from, const QString &to) {
    int n = 0;
    if (from.isEmpty() || from == to)
        return 0;
    for (const auto &guest : edit.db(DbId::Guest).records().raw()) {
        if (isSeatedAt(*guest, from)) {
            if (to.isEmpty())
                edit.removeField(DbId::Guest, *guest, Guest::kTable);
            else
                edit.write(DbId::Guest, *guest, Guest::kTable, to);
            ++n;
        }
    }
    return n;
}

bool recount(PlanEdit &edit, Record &table, const std::vector<int> &seated, double defaultSeats) {
    if (seated.empty())
        return false;
    const auto &records = edit.db(DbId::Guest).records().raw();
    auto eachGuest = [&](auto &&body) {
        for (int number : seated) {
            if (number >= 1 && std::size_t(number) <= records.size())
                body(*records[std::size_t(number) - 1]);
        }
    };

    double seats = 0;
    bool own = false;
    const double maxs = storedNumber(table, Table::kMaxSeats);
    if (table.has(Table::kMaxSeats) && maxs > 0) {
        seats = whole(maxs);
        own = true;
    } else if (defaultSeats > 0) {
        seats = whole(defaultSeats);
    }
    if (seats == 0) {
        // No maximum anywhere: the table is as big as its party.
        own = false;
        eachGuest([&](const Record &guest) { seats = whole(seats + seatsOf(guest)); });
    }
    // Whatever the seats were taken from becomes the table's maximum, so that avai stays
    // maxs less coun on the screen and on the handheld.
    if (!own)
        writeNumber(edit, table, Table::kMaxSeats, seats);

    double free = seats;
    double count = 0;
    eachGuest([&](const Record &guest) {
        const double people = seatsOf(guest);
        free = whole(free - people);
        count = whole(count + people);
    });
    writeNumber(edit, table, Table::kAvailable, free);
    writeNumber(edit, table, Table::kCount, count);
    return true;
}

void writeTable(PlanEdit &edit, Record &table, const TableValues &values) {
    const PalmDatabase &tables = edit.db(DbId::Tables);
    const QString oldTag = tableTag(table);
    const QString newTag = values.id.trimmed();
    edit.write(DbId::Tables, table, Table::kTag, values.id);
    edit.write(DbId::Tables, table, Table::kDescription, values.description);
    edit.write(DbId::Tables, table, Table::kMaxSeats, values.maxSeats);
    // The guests seated here follow the table to its new ID rather than being left at a table
    // that no longer exists. An old ID another table shares stays with it.
    if (oldTag != newTag && tablesWithTag(tables, oldTag) == 0)
        moveGuests(edit, oldTag, newTag);
    const double free =
        Numbers::numericValue(values.maxSeats) - seatedPeople(edit.db(DbId::Guest), newTag);
    writeNumber(edit, table, Table::kAvailable, free);
}

void deleteTable(PlanEdit &edit, Record &table) {
    const QString tag = tableTag(table);
    edit.removeRecord(DbId::Tables, table);
    // Its guests are free again: they show up under "Add Person" instead of sitting at a
    // table nobody can see. A tag another table still carries keeps its guests.
    if (tablesWithTag(edit.db(DbId::Tables), tag) == 0)
        unseatAll(edit, tag);
}

} // namespace Seating
