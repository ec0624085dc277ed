#pragma once

#include "store/planedit.h"

#include <QString>
#include <functional>
#include <vector>

// Seat accounting of the reception tables. A table keeps three numbers, stored as text:
// its maximum seats (maxs), the people seated (coun) and the seats still free (avai). A guest
// sits at a table by holding the table's trimmed ID in gtag and takes as many seats as its rsvp
// says; a missing or empty rsvp takes none, and neither does a guest who declined. A guest whose
// gtag is missing, empty or blank sits at no table, and an empty ID seats nobody.
//
// The seating tab, the table editor and the record editor's table choice all go through these
// functions, so the three numbers move the same way wherever a guest is seated. Every change
// is made through a PlanEdit, as one step the user can take back.
namespace Seating {

using Schema::DbId;

inline constexpr FieldCode kTag = Schema::Table::kTag;
inline constexpr FieldCode kMaxSeats = Schema::Table::kMaxSeats;
inline constexpr FieldCode kCount = Schema::Table::kCount;
inline constexpr FieldCode kAvailable = Schema::Table::kAvailable;
inline constexpr FieldCode kGuestTag = Schema::Guest::kTable;
inline constexpr FieldCode kRsvp = Schema::Guest::kRsvp;

// A stored seat number: numbers as they are, text by the numeric value rule, a missing field 0.
// Never infinite or NaN, so sums stay plain numbers.
double storedNumber(const FieldValue &value);
double storedNumber(const Record &record, FieldCode code);

// The seats a guest takes: its rsvp, or none when it declined (or has no rsvp).
double seatsOf(const Record &guest);
// Whether seating the guest takes seats to be checked: it has an rsvp and did not decline.
bool takesSeats(const Record &guest);

// The table's ID with blanks at both ends removed.
QString tableTag(const Record &table);
// Whether the guest sits at some table, and whether at the table whose trimmed ID is `tag`.
bool isSeated(const Record &guest);
bool isSeatedAt(const Record &guest, const QString &tag);

// The record numbers of the guests at `tag`, in record order.
std::vector<int> guestsAt(const PalmDatabase &guests, const QString &tag);
// The people seated at `tag`: the sum of their rsvp, held as a whole number after each step.
qint16 seatedPeople(const PalmDatabase &guests, const QString &tag);
// How many tables have the trimmed ID `tag`.
int tablesWithTag(const PalmDatabase &tables, const QString &tag);
// The first table whose trimmed ID is the trimmed `tag`; null when none.
Record *tableWithTag(PalmDatabase &tables, const QString &tag);

// Whether a table ID can be given to `table` (null for one not yet in the list): not blank,
// and no other table has it (both trimmed, letter case counts).
enum class IdProblem { None, Empty, Taken };
IdProblem checkTableId(const PalmDatabase &tables, const Record *table, const QString &id);
// "Max. Seats:" holds a whole number of seats from 0 to 32,767, or nothing.
enum class SeatsProblem { None, NotANumber, NotWhole, OutOfRange };
SeatsProblem checkSeatCount(const QString &text);

// Whether `wanted` people fit in the table's free seats. No check is made when the table has
// no avai (made is false then).
struct SeatCheck {
    bool made = false;
    double free = 0;   // avai as a whole number
    double wanted = 0; // the people to seat
    bool fits() const { return !made || free - wanted >= 0; }
};
SeatCheck checkSeats(const Record &table, double wanted);
// Makes room for a guest that does not fit: the maximum grows by the shortfall and no seat is
// left free.
void growTable(PlanEdit &edit, Record &table, const SeatCheck &check);
// Adds `people` to the table's count (a table without a count starts from 0).
void addToCount(PlanEdit &edit, Record &table, double people);

enum class SeatResult { Seated, Declined };
// Seats the guest at the table: takes its seats from avai (asking `askToGrow` first when they
// do not fit), writes the table's trimmed ID and counts its people. Declined when the question
// is answered no; nothing changes then.
SeatResult seat(PlanEdit &edit, Record &table, Record &guest,
                const std::function<bool()> &askToGrow);
// Seats several guests at one table, in order, each with the seat check. The question comes
// once, at the first guest that does not fit, and its answer holds for the rest: on no, the
// guests that do not fit stay unseated. Returns how many were seated.
int seatAll(PlanEdit &edit, Record &table, const std::vector<Record *> &guests,
            const std::function<bool()> &askToGrow);
// Gives the guest's seats back to the table (none when `table` is null) and removes its tag.
void unseat(PlanEdit &edit, Record *table, Record &guest);
// Unseats every guest at `tag` (their table is gone); returns how many.
int unseatAll(PlanEdit &edit, const QString &tag);
// Moves every guest at `from` to `to` (the table's ID changed); returns how many.
int moveGuests(PlanEdit &edit, const QString &from, const QString &to);

// Recounts a table from the guests seated at it (`seated`: their record numbers). The seats
// are the table's own maximum, else `defaultSeats`, else the people seated, and the maximum is
// written when it was not the table's own. With no guest seated nothing is written and false
// is returned.
bool recount(PlanEdit &edit, Record &table, const std::vector<int> &seated, double defaultSeats);

// What the table editor confirms.
struct TableValues {
    QString id;
    QString description;
    QString maxSeats;
};
// Writes a confirmed table: ID, description and maximum as typed; the guests seated under the
// old ID follow it to the new one (unless another table still has the old ID); the free seats
// become the maximum less the people seated.
void writeTable(PlanEdit &edit, Record &table, const TableValues &values);
// Removes a table; its guests are unseated unless another table keeps its ID.
void deleteTable(PlanEdit &edit, Record &table);

} // namespace Seating
