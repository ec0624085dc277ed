#include "details.h"

#include <array>

namespace DetailsRecord {

using namespace Schema;

namespace {

constexpr std::array<Entry, 29> kEntries{{
    {Schema::Details::kOwner, FieldKind::Text},
    {Schema::Details::kBride, FieldKind::Text},
    {Schema::Details::kGroom, FieldKind::Text},
    {Schema::Details::kAddress, FieldKind::Text},
    {Schema::Details::kCity, FieldKind::Text},
    {Schema::Details::kState, FieldKind::Text},
    {Schema::Details::kZip, FieldKind::Text},
    {Schema::Details::kPhone, FieldKind::Text},
    {Schema::Details::kChurch, FieldKind::Text},
    {Schema::Details::kOfficiant, FieldKind::Text},
    {Schema::Details::kManager, FieldKind::Text},
    {Schema::Details::kChurchAddress, FieldKind::Text},
    {Schema::Details::kChurchCity, FieldKind::Text},
    {Schema::Details::kChurchState, FieldKind::Text},
    {Schema::Details::kChurchZip, FieldKind::Text},
    {Schema::Details::kChurchPhone, FieldKind::Text},
    {Schema::Details::kChurchConfirmed, FieldKind::Boolean},
    {Schema::Details::kHall, FieldKind::Text},
    {Schema::Details::kHallContact, FieldKind::Text},
    {Schema::Details::kHallAddress, FieldKind::Text},
    {Schema::Details::kHallCity, FieldKind::Text},
    {Schema::Details::kHallState, FieldKind::Text},
    {Schema::Details::kHallZip, FieldKind::Text},
    {Schema::Details::kHallPhone, FieldKind::Text},
    {Schema::Details::kStart, FieldKind::Time, true},
    {Schema::Details::kStop, FieldKind::Time, true},
    {Schema::Details::kHallConfirmed, FieldKind::Boolean},
    {Schema::Details::kTables, FieldKind::Text, true},
    {Schema::Details::kPeoplePerTable, FieldKind::Text, true},
}};

} // namespace

std::span<const Entry> entries() {
    return kEntries;
}

const Entry *entryOf(FieldCode code) {
    for (const Entry &entry : kEntries) {
        if (entry.code == code)
            return &entry;
    }
    return nullptr;
}

Record &record(PlanEdit &edit) {
    Records &records = edit.db(DbId::Plan).records();
    return records.count() > 0 ? records.item(1) : edit.appendRecord(DbId::Plan);
}

const Record *find(const PalmDatabase &plan) {
    return plan.records().count() > 0 ? &plan.records().item(1) : nullptr;
}

void store(PlanEdit &edit, FieldCode code, const FieldValue &value) {
    const Entry *entry = entryOf(code);
    const FieldKind kind = entry ? entry->kind : FieldKind::Text;
    Record &details = record(edit);
    if (entry && entry->keepWhenEmpty && value.toText().isEmpty()) {
        // A field added now stays without value.
        edit.ensureField(DbId::Plan, details, code, kind);
        return;
    }
    edit.write(DbId::Plan, details, code, value, kind);
}

void complete(PlanEdit &edit) {
    Record &details = record(edit);
    for (const Entry &entry : kEntries) {
        if (details.has(entry.code))
            continue;
        if (entry.keepWhenEmpty)
            edit.ensureField(DbId::Plan, details, entry.code, entry.kind);
        else if (entry.kind == FieldKind::Boolean)
            edit.write(DbId::Plan, details, entry.code, false, entry.kind);
        else
            edit.write(DbId::Plan, details, entry.code, QString(), entry.kind);
    }
}

QString planName(const PalmDatabase &plan) {
    const Record *details = find(plan);
    return details ? details->text(Schema::Details::kOwner) : QString();
}

void stampOwner(PlanEdit &edit, const QString &owner) {
    for (DbId id : {DbId::Party, DbId::Guest, DbId::Tasks, DbId::Vendors}) {
        for (const auto &record : edit.db(id).records().raw())
            edit.write(id, *record, Schema::kOwner, owner);
    }
}

} // namespace DetailsRecord
