#pragma once

#include "palmdatabase.h"

#include <QLatin1StringView>
#include <array>
#include <span>

// The nine databases of a wedding plan and the fields of their records.
namespace Schema {

enum class DbId : int {
    Party,
    Guest,
    Plan,
    Tasks,
    RelTypes,
    TimeFrames,
    Vendors,
    VenTypes,
    Tables
};
constexpr int kDatabaseCount = 9;

inline constexpr QLatin1StringView kCreator{"Vowl"};
inline constexpr QLatin1StringView kDefaultsFolder{"defaults"};

struct DatabaseInfo {
    DbId id;
    QLatin1StringView fileName;    // inside the set's folder
    QLatin1StringView name;        // the database name in the PDB header
    QLatin1StringView type;        // the type code
    QLatin1StringView defaultFile; // the seed in the defaults folder, or empty
};

inline constexpr std::array<DatabaseInfo, kDatabaseCount> kDatabases{{
    {DbId::Party,
     QLatin1StringView("VowlPartyDB.pdb"),
     QLatin1StringView("VowlPartyDB"),
     QLatin1StringView("prty"),
     {}},
    {DbId::Guest,
     QLatin1StringView("VowlGuestDB.pdb"),
     QLatin1StringView("VowlGuestDB"),
     QLatin1StringView("gues"),
     {}},
    {DbId::Plan,
     QLatin1StringView("VowlineDB.pdb"),
     QLatin1StringView("VowlineDB"),
     QLatin1StringView("DATA"),
     {}},
    {DbId::Tasks, QLatin1StringView("VowlEventsDB.pdb"), QLatin1StringView("VowlEventsDB"),
     QLatin1StringView("todo"), QLatin1StringView("VowlEventsM.pdb")},
    {DbId::RelTypes, QLatin1StringView("VowlRelTypes.pdb"), QLatin1StringView("VowlRelTypes"),
     QLatin1StringView("ptyp"), QLatin1StringView("VowlRelTypes.pdb")},
    {DbId::TimeFrames, QLatin1StringView("VowlTimeFrames.pdb"), QLatin1StringView("VowlTimeFrames"),
     QLatin1StringView("time"), QLatin1StringView("VowlTimeFrames.pdb")},
    {DbId::Vendors,
     QLatin1StringView("VowlVendDB.pdb"),
     QLatin1StringView("VowlVendDB"),
     QLatin1StringView("vend"),
     {}},
    {DbId::VenTypes, QLatin1StringView("VowlVenTypes.pdb"), QLatin1StringView("VowlVenTypes"),
     QLatin1StringView("vtyp"), QLatin1StringView("VowlVenTypes.pdb")},
    {DbId::Tables,
     QLatin1StringView("Vowl_tables.pdb"),
     QLatin1StringView("Vowl_tables"),
     QLatin1StringView("tabl"),
     {}},
}};

constexpr const DatabaseInfo &info(DbId id) {
    return kDatabases[std::size_t(id)];
}

struct FieldDef {
    FieldCode code;
    FieldKind kind;
};

// The name field of each category list and the owner field stamped into plan records.
inline constexpr FieldCode kCategoryType{"type"};
inline constexpr FieldCode kTimeFrame{"time"};
inline constexpr FieldCode kOwner{"ownr"};

// The fields of each kind of record, by name: code reads and writes them through these, so a
// misspelt field does not compile.
namespace Details {
inline constexpr FieldCode kOwner{"ownr"}, kDate{"date"}, kNote{"note"}, kBride{"bnam"},
    kGroom{"gnam"}, kAddress{"addr"}, kCity{"city"}, kState{"stat"}, kZip{"zipc"}, kPhone{"phon"},
    kChurch{"chrc"}, kOfficiant{"prst"}, kManager{"mngr"}, kChurchAddress{"cadr"},
    kChurchCity{"ccit"}, kChurchState{"csta"}, kChurchZip{"czip"}, kChurchPhone{"cpho"},
    kChurchConfirmed{"ccon"}, kChurchNotes{"cnot"}, kHall{"hall"}, kHallContact{"hper"},
    kHallAddress{"hadr"}, kHallCity{"hcit"}, kHallState{"hsta"}, kHallZip{"hzip"},
    kHallPhone{"hpho"}, kStart{"star"}, kStop{"stop"}, kHallConfirmed{"hcon"}, kHallNotes{"hnot"},
    kTables{"ntab"}, kPeoplePerTable{"ptab"};
// Kept by this program only (the handheld reads none of them): the plan's total budget, a
// money text, and the meal choices, one name a line. A plan without "meal" offers the starter
// meals; an empty one offers none.
inline constexpr FieldCode kBudget{"bdgt"}, kMeals{"meal"};
} // namespace Details

// The field list of a fresh plan database, in order: 29 fields of the details record.
inline const std::array<FieldDef, 29> kDetailsFields{{
    {Details::kOwner, FieldKind::Text},
    {Details::kDate, FieldKind::Date},
    {Details::kNote, FieldKind::Text},
    {Details::kBride, FieldKind::Text},
    {Details::kGroom, FieldKind::Text},
    {Details::kAddress, FieldKind::Text},
    {Details::kCity, FieldKind::Text},
    {Details::kState, FieldKind::Text},
    {Details::kZip, FieldKind::Text},
    {Details::kPhone, FieldKind::Text},
    {Details::kChurch, FieldKind::Text},
    {Details::kOfficiant, FieldKind::Text},
    {Details::kManager, FieldKind::Text},
    {Details::kChurchAddress, FieldKind::Text},
    {Details::kChurchCity, FieldKind::Text},
    {Details::kChurchState, FieldKind::Text},
    {Details::kChurchZip, FieldKind::Text},
    {Details::kChurchPhone, FieldKind::Text},
    {Details::kChurchConfirmed, FieldKind::Boolean},
    {Details::kHall, FieldKind::Text},
    {Details::kHallContact, FieldKind::Text},
    {Details::kHallAddress, FieldKind::Text},
    {Details::kHallCity, FieldKind::Text},
    {Details::kHallState, FieldKind::Text},
    {Details::kHallZip, FieldKind::Text},
    {Details::kHallPhone, FieldKind::Text},
    {Details::kStart, FieldKind::Time},
    {Details::kStop, FieldKind::Time},
    {Details::kHallConfirmed, FieldKind::Boolean},
}};

namespace Party {
inline constexpr FieldCode kName{"pnam"}, kRelation{"ptyp"}, kAddress{"padr"}, kCity{"pcit"},
    kState{"psta"}, kZip{"pzip"}, kPhone{"ppho"}, kEmail{"pmai"}, kCountry{"pctr"}, kNote{"pnot"},
    kOwner{"ownr"};
} // namespace Party

namespace Guest {
inline constexpr FieldCode kName{"gnam"}, kRelation{"gtyp"}, kAddress{"gadr"}, kCity{"gcit"},
    kState{"gsta"}, kZip{"gzip"}, kPhone{"gpho"}, kEmail{"gcos"}, kMail{"gmai"}, kCountry{"gctr"},
    kConfirmed{"gcon"}, kRsvp{"rsvp"}, kTable{"gtag"}, kGift{"gift"}, kThanked{"tnku"},
    kNote{"gnot"}, kOwner{"ownr"};
// Kept by this program only. A declined guest holds gdec true beside gcon false, so the
// handheld, which reads gcon alone, sees it as not confirmed; gcon true wins over gdec. The
// meal choice and the dietary note are texts; each field is absent while it has no value.
inline constexpr FieldCode kDeclined{"gdec"}, kMeal{"gmea"}, kDiet{"gdie"};
} // namespace Guest

namespace Vendor {
inline constexpr FieldCode kName{"vnam"}, kService{"vtyp"}, kContact{"vcnt"}, kAddress{"vadr"},
    kCity{"vcit"}, kState{"vsta"}, kZip{"vzip"}, kPhone{"vpho"}, kEmail{"vema"}, kCountry{"vctr"},
    kConfirmed{"vcon"}, kPrice{"vcos"}, kDown{"vdwn"}, kPaid{"paid"}, kNext{"npay"},
    kNextDue{"ndat"}, kBalance{"vbal"}, kFinalDue{"dued"}, kNote{"vnot"}, kOwner{"ownr"};
} // namespace Vendor

// A record of the vendor-type list: the service's name, and (this program's only) its budget,
// a money text, absent while none is set.
namespace VendorType {
inline constexpr FieldCode kName{"type"}, kBudget{"bdgt"};
} // namespace VendorType

namespace Task {
inline constexpr FieldCode kTimeFrame{"time"}, kDetails{"evnt"}, kDone{"done"}, kAlarm{"alrm"},
    kNote{"note"}, kOrder{"ordr"}, kOwner{"ownr"};
} // namespace Task

namespace Table {
inline constexpr FieldCode kTag{"ttag"}, kDescription{"tabl"}, kMaxSeats{"maxs"}, kCount{"coun"},
    kAvailable{"avai"};
} // namespace Table

// Gives a fresh plan database its field list and its one details record.
void defineDetailsRecord(PalmDatabase &plan);

} // namespace Schema
