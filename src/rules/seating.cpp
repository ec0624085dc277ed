#include "seating.h"

#include "store/numbers.h"

#include <QStringView>
#include <cmath>

namespace Seating {

namespace {

// Seat numbers are text fields holding a plain number, as the handheld keeps them.
void writeNumber(PalmDatabase &db, Record &record, FieldCode code, double value) {
    db.write(record, code, Numbers::numberText(value));
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

QString tableTag(const Record &table) {
    return table.text(kTag).trimmed();
}

bool isSeated(const Record &guest) {
    QString holder;
    return !guestTag(guest.fields().find(kGuestTag), holder).isEmpty();
}

bool isSeatedAt(const Record &guest, const QString &tag) {
    if (tag.isEmpty())
        return false;
    QString holder;
    return guestTag(guest.fields().find(kGuestTag), holder) == tag;
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
            sum = whole(sum + storedNumber(*guest, kRsvp));
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

SeatCheck checkSeats(const Record &table, double wanted) {
    SeatCheck check;
    check.wanted = wanted;
    if (const Field *avai = table.fields().find(kAvailable)) {
        check.made = true;
        // An absurd avai is clamped, not trusted.
        check.free = whole(storedNumber(avai->value()));
    }
    return check;
}

void growTable(PalmDatabase &tables, Record &table, const SeatCheck &check) {
    writeNumber(tables, table, kMaxSeats,
                storedNumber(table, kMaxSeats) - (check.free - check.wanted));
    tables.write(table, kAvailable, QStringLiteral("0"));
}

void addToCount(PalmDatabase &tables, Record &table, double people) {
    writeNumber(tables, table, kCount, storedNumber(table, kCount) + people);
}

SeatResult seat(PalmDatabase &tables, Record &table, PalmDatabase &guests, Record &guest,
                const QString &tag, const std::function<bool()> &askToGrow) {
    const double people = storedNumber(guest, kRsvp);
    // A guest without an rsvp takes no seat, so nothing is checked for it.
    if (guest.has(kRsvp)) {
        const SeatCheck check = checkSeats(table, people);
        if (check.made) {
            if (check.fits()) {
                writeNumber(tables, table, kAvailable, check.free - people);
            } else {
                if (!askToGrow || !askToGrow())
                    return SeatResult::Declined;
                growTable(tables, table, check);
            }
        }
    }
    guests.write(guest, kGuestTag, tag);
    addToCount(tables, table, people);
    return SeatResult::Seated;
}

void unseat(PalmDatabase &tables, Record *table, Record &guest) {
    const double people = storedNumber(guest, kRsvp);
    if (table) {
        if (table->has(kAvailable) && guest.has(kRsvp))
            writeNumber(tables, *table, kAvailable,
                        whole(storedNumber(*table, kAvailable)) + people);
        // A table without a count gets one; it then counts nobody.
        if (table->has(kCount))
            writeNumber(tables, *table, kCount, storedNumber(*table, kCount) - people);
        else
            tables.write(*table, kCount, QStringLiteral("0"));
    }
    // Unseated means no tag at all, not an empty one.
    guest.fields().remove(kGuestTag);
}

int unseatAll(PalmDatabase &guests, const QString &tag) {
    int n = 0;
    if (tag.isEmpty())
        return 0;
    for (const auto &guest : guests.records().raw()) {
        if (isSeatedAt(*guest, tag)) {
            guest->fields().remove(kGuestTag);
            ++n;
        }
    }
    return n;
}

int moveGuests(PalmDatabase &guests, const QString &from, const QString &to) {
    int n = 0;
    if (from.isEmpty() || from == to)
        return 0;
    for (const auto &guest : guests.records().raw()) {
        if (isSeatedAt(*guest, from)) {
            if (to.isEmpty())
                guest->fields().remove(kGuestTag);
            else
                guests.write(*guest, kGuestTag, to);
            ++n;
        }
    }
    return n;
}

bool recount(PalmDatabase &tables, Record &table, const PalmDatabase &guests,
             const std::vector<int> &seated, double defaultSeats) {
    if (seated.empty())
        return false;
    const auto &records = guests.records().raw();
    auto eachGuest = [&](auto &&body) {
        for (int number : seated) {
            if (number >= 1 && std::size_t(number) <= records.size())
                body(*records[std::size_t(number) - 1]);
        }
    };

    double seats = 0;
    bool own = false;
    const double maxs = storedNumber(table, kMaxSeats);
    if (table.has(kMaxSeats) && maxs > 0) {
        seats = whole(maxs);
        own = true;
    } else if (defaultSeats > 0) {
        seats = whole(defaultSeats);
    }
    if (seats == 0) {
        // No maximum anywhere: the table is as big as its party.
        own = false;
        eachGuest([&](const Record &guest) {
            if (guest.has(kRsvp))
                seats = whole(seats + storedNumber(guest, kRsvp));
        });
    }
    // Whatever the seats were taken from becomes the table's maximum, so that avai stays
    // maxs less coun on the screen and on the handheld.
    if (!own)
        writeNumber(tables, table, kMaxSeats, seats);

    double free = seats;
    double count = 0;
    eachGuest([&](const Record &guest) {
        if (guest.has(kRsvp)) {
            const double people = storedNumber(guest, kRsvp);
            free = whole(free - people);
            count = whole(count + people);
        }
    });
    writeNumber(tables, table, kAvailable, free);
    writeNumber(tables, table, kCount, count);
    return true;
}

} // namespace Seating
