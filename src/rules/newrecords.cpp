#include "newrecords.h"

namespace NewRecords {

using namespace Schema;

namespace {

void put(Record &record, FieldCode code, FieldValue value, FieldKind kind = FieldKind::Text) {
    record.fields().add(code, kind).setValue(std::move(value));
}

void putEmpty(Record &record, std::initializer_list<FieldCode> codes) {
    for (FieldCode code : codes)
        put(record, code, QString());
}

} // namespace

std::unique_ptr<Record> partyMember(const QString &relation) {
    auto record = std::make_unique<Record>();
    put(*record, Party::kName, QString());
    put(*record, Party::kRelation, relation);
    putEmpty(*record, {Party::kAddress, Party::kCity, Party::kState, Party::kZip, Party::kPhone,
                       Party::kEmail});
    return record;
}

std::unique_ptr<Record> guest(const QString &relation, bool confirmed) {
    auto record = std::make_unique<Record>();
    putEmpty(*record, {Guest::kName, Guest::kTable, Guest::kAddress, Guest::kCity, Guest::kState,
                       Guest::kZip, Guest::kPhone, Guest::kMail});
    put(*record, Guest::kRelation, relation);
    put(*record, Guest::kConfirmed, confirmed, FieldKind::Boolean);
    putEmpty(*record, {Guest::kRsvp, Guest::kGift});
    put(*record, Guest::kThanked, false, FieldKind::Boolean);
    return record;
}

std::unique_ptr<Record> vendor(const QString &service, bool confirmed, const QDate &weddingDay,
                               const QDate &today) {
    auto record = std::make_unique<Record>();
    put(*record, Vendor::kName, QString());
    put(*record, Vendor::kService, service);
    putEmpty(*record, {Vendor::kContact, Vendor::kAddress, Vendor::kCity, Vendor::kState,
                       Vendor::kZip, Vendor::kPhone, Vendor::kEmail, Vendor::kNote});
    put(*record, Vendor::kConfirmed, confirmed, FieldKind::Boolean);
    put(*record, Vendor::kPrice, QString());
    put(*record, Vendor::kFinalDue, FieldValue(weddingDay.isValid() ? weddingDay : today, QTime()),
        FieldKind::Date);
    putEmpty(*record, {Vendor::kDown, Vendor::kNext});
    put(*record, Vendor::kNextDue, FieldValue(today, QTime()), FieldKind::Date);
    put(*record, Vendor::kBalance, QString());
    put(*record, Vendor::kPaid, false, FieldKind::Boolean);
    return record;
}

std::unique_ptr<Record> task(const QString &timeframe) {
    auto record = std::make_unique<Record>();
    put(*record, Task::kTimeFrame, timeframe);
    put(*record, Task::kDetails, QString());
    // Not done: an empty text reads as false, as the handheld writes a new task.
    put(*record, Task::kDone, QString(), FieldKind::Boolean);
    return record;
}

std::unique_ptr<Record> table(const QString &seats) {
    auto record = std::make_unique<Record>();
    putEmpty(*record, {Table::kTag, Table::kDescription});
    put(*record, Table::kMaxSeats, seats);
    put(*record, Table::kAvailable, seats);
    put(*record, Table::kCount, QStringLiteral("0"));
    return record;
}

} // namespace NewRecords
