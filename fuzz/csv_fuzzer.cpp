// Feeds arbitrary bytes to the CSV reader and, when it accepts them, imports the guests into an
// empty plan. Whatever was added must export and import again to the same guests; anything
// the reader refuses must be refused with StoreError, never a crash.
#include "store/planedit.h"
#include "transfer/guestcsv.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Csv::Table table;
    try {
        table = Csv::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
                           QStringLiteral("fuzz.csv"));
    } catch (const StoreError &) {
        return 0;
    }
    if (table.rows.isEmpty())
        std::abort();
    for (const QStringList &row : table.rows) {
        if (row.size() != table.header.size())
            std::abort();
    }
    PlanSet set;
    for (const Schema::DatabaseInfo &info : Schema::kDatabases)
        set.setDatabase(info.id, std::make_unique<PalmDatabase>());
    const PalmDatabase &guests = set.db(Schema::DbId::Guest);
    const auto plan = GuestCsv::analyse(table, GuestCsv::guessMapping(table.header), guests,
                                        {QStringLiteral("Family")});
    GuestCsv::Choices all;
    all.addDuplicate.assign(plan.duplicates.size(), true);
    PlanEdit edit(set);
    const int added = GuestCsv::apply(plan, all, edit);
    if (added != int(plan.guests.size()) || added != guests.records().count())
        std::abort();
    if (added == 0)
        return 0;

    QByteArray exported;
    try {
        exported = GuestCsv::exportGuests(guests, GuestCsv::Form::AllFields);
    } catch (const StoreError &) {
        // Only a value longer than the import reads (two long columns joined) stops it.
        bool tooLong = false;
        for (const auto &g : plan.guests) {
            for (const QString &v : g.values)
                tooLong = tooLong || v.size() > Csv::kMaxFieldChars;
        }
        if (!tooLong)
            std::abort();
        return 0;
    }
    const Csv::Table again = Csv::parse(exported, QStringLiteral("x"));
    PalmDatabase back, backRelations;
    const auto second = GuestCsv::analyse(again, GuestCsv::guessMapping(again.header), back, {});
    if (!second.skipped.empty() || second.guests.size() != plan.guests.size())
        std::abort();
    for (std::size_t g = 0; g < plan.guests.size(); ++g) {
        if (second.guests[g].values != plan.guests[g].values)
            std::abort();
    }
    GuestCsv::exportGuests(guests, GuestCsv::Form::Envelopes);
    return 0;
}
