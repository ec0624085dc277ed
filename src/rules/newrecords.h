#pragma once

#include "store/schema.h"

#include <QDate>
#include <memory>

// The records the lists' Add buttons (and the spreadsheet import) make: each new record holds
// the fields the handheld expects, with values taken from the list's filters. A record is made
// apart and only joins its database when its editor is confirmed.
namespace NewRecords {

// A wedding-party member of `relation` (empty for "All").
std::unique_ptr<Record> partyMember(const QString &relation);
// A guest of `relation`, confirmed or not.
std::unique_ptr<Record> guest(const QString &relation, bool confirmed);
// A vendor of `service`: its final payment is due on the wedding day (today when the plan has
// no wedding date), its next payment today.
std::unique_ptr<Record> vendor(const QString &service, bool confirmed, const QDate &weddingDay,
                               const QDate &today);
// A task of `timeframe`, not done and without an alarm (alarms are set on the handheld).
std::unique_ptr<Record> task(const QString &timeframe);
// A table with no ID yet whose maximum and free seats are `seats` (the default per table).
std::unique_ptr<Record> table(const QString &seats);

} // namespace NewRecords
