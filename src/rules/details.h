#pragma once

#include "store/planedit.h"

#include <span>

// The details record (record 1 of the plan database): who the plan is for, the date, the
// couple, church, officiant and reception, and the two seating setup numbers.
namespace DetailsRecord {

// One field the details tab shows, in the order the record is written.
struct Entry {
    FieldCode code;
    FieldKind kind;
    // An empty box leaves what is stored (the reception times, the setup numbers): a time or a
    // number the user cleared by accident is not lost.
    bool keepWhenEmpty = false;
};
// The tab's fields: the texts, both confirmations and both times, then the setup numbers.
std::span<const Entry> entries();
const Entry *entryOf(FieldCode code);

// The details record, added first when the plan database has none (a set loaded without
// VowlineDB.pdb), so that what the user enters always has a place to go.
Record &record(PlanEdit &edit);
// The details record as it is, or null.
const Record *find(const PalmDatabase &plan);

// Writes what one box of the tab holds into its field (the empty rule above).
void store(PlanEdit &edit, FieldCode code, const FieldValue &value);
// Gives the details record every field of the tab, empty (or without value where an empty box
// keeps the stored value) where it lacks one, as a save writes the whole tab.
void complete(PlanEdit &edit);

// The plan's name as shown on the handheld's main screen.
QString planName(const PalmDatabase &plan);
// Writes the plan's name into every party, guest, task and vendor record.
void stampOwner(PlanEdit &edit, const QString &owner);

} // namespace DetailsRecord
