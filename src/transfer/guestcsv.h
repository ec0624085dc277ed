#pragma once

#include "csv.h"
#include "store/palmdatabase.h"

#include <QHash>
#include <array>
#include <vector>

// The guest list to and from spreadsheets. Only the guest database and the relation list are
// touched, with the same fields and kinds the program itself writes, so the handheld reads an
// imported plan like any other.
class PlanEdit;

namespace GuestCsv {

// The guest fields a spreadsheet column can fill, in the column order of an export.
enum class Column : int {
    Name,
    Relation,
    Address,
    City,
    State,
    Zip,
    Country,
    Phone,
    Email,
    Rsvp,
    Confirmed,
    Gift,
    Notes,
    Table,
    ThankYou,
    Meal,
    Diet,
    Ignore
};
inline constexpr int kFieldCount = 17;
// A guest database, like every database, holds at most this many records.
inline constexpr int kMaxGuests = 65535;

struct FieldInfo {
    Column column;
    FieldCode code;
    const char *title; // the column title of an export
};
const std::array<FieldInfo, kFieldCount> &fields();
QString title(Column column);

// One guest field per column of the file.
using Mapping = QList<Column>;

// A header reduced to what names it: lower case letters and digits, accents dropped
// ("E-Mail " and "email" are the same column).
QString headerKey(const QString &header);
// The field each column most likely holds: the user's last choice for a header of that name
// first, then the usual titles. A field is guessed once, except that several columns may
// make up the name (first and last name) or the address (two street lines).
Mapping guessMapping(const QStringList &header, const QHash<QString, Column> &remembered = {});
// The user's choices by header, kept in the settings store between imports (by field code, so
// that new fields never change what an earlier choice meant).
QHash<QString, Column> rememberedMapping();
void rememberMapping(const QStringList &header, const Mapping &mapping);

// A name as duplicates are compared: case, accents and repeated blanks ignored.
QString nameKey(const QString &name);

// "1 guest", "1,200 guests": a count in the user's digit grouping with its noun.
QString countOf(qsizetype n, const char *one, const char *many);

// Every value is taken as the file holds it, as the record editor would store it typed (an
// RSVP of "2 adults" included), except the two Booleans: ThankYou reads "True" or "False", and
// Confirmed holds the reply: "True" (a yes-like answer), "Declined" (a no-like answer: "No",
// "Declined", "Regrets" and their like in a few languages) or "False" (anything else, a blank
// included: no reply yet). A meal that the meal list holds in another letter case takes the
// list's spelling.
struct Guest {
    std::array<QString, kFieldCount> values; // by field
    int row = 0;                             // the spreadsheet row it came from
};

enum class SkipReason { NoName };
struct Skip {
    int row;
    SkipReason reason;
};
QString describe(const Skip &skip);

// A row that looks like a guest already in the plan, or like an earlier row of the file.
struct Duplicate {
    int guest = 0;          // index into Plan::guests
    int existingRecord = 0; // the guest record it matches, or 0
    int earlierRow = 0;     // or the earlier row of the file it matches
    bool sameEmail = false; // matched by e-mail rather than by name
    QString otherName;
};
QString describe(const Duplicate &duplicate, const Guest &guest);

// What an import would do.
struct Plan {
    std::vector<Guest> guests; // every row with a name and a usable RSVP, duplicates included
    std::vector<Skip> skipped;
    std::vector<Duplicate> duplicates;
    QStringList newRelations; // relations not on the relation list, in order of first use
    int existing = 0;         // guests in the plan already
    bool nameMapped = false;
};

Plan analyse(const Csv::Table &table, const Mapping &mapping, const PalmDatabase &guests,
             const QStringList &relationNames, const QStringList &mealNames = {});

// What a Confirmed value of a guest means: "True", "Declined" or "False".
QString replyValue(const QString &cell);

struct Choices {
    std::vector<bool> addDuplicate; // per Plan::duplicates; missing entries mean skip
    bool addRelations = true;
};
// The number of guests an import with these choices adds.
int countToAdd(const Plan &plan, const Choices &choices);
// Adds the guests and, when chosen, the new relations; returns the number of guests added.
// Throws StoreError, adding nothing, when the guest list would pass kMaxGuests.
int apply(const Plan &plan, const Choices &choices, PlanEdit &edit);

enum class Form {
    AllFields, // every field of every guest, to open in a spreadsheet or import again
    Envelopes  // the confirmed guests' envelope lines, for a stationer
};
// The file an export writes: UTF-8 with a byte-order mark, comma-separated, CR LF lines. Every
// field of every guest imports again to the same guest; a value longer than the import reads
// (Csv::kMaxFieldChars) throws StoreError naming the guest, and nothing is written.
QByteArray exportGuests(const PalmDatabase &guests, Form form, int *rows = nullptr);

} // namespace GuestCsv
