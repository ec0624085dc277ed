#pragma once

#include "store/schema.h"

#include <optional>
#include <vector>

class PlanEdit;
class PlanSet;

// The category lists of a plan: the three the handheld shares, and the meal choices.
enum class CategoryKind { Relations, Timeframes, VendorTypes, Meals };

// Where one of the handheld's lists lives: its database and the field that holds each name.
// The meal list is no database of its own: it is one field of the details record (a name a
// line), kept by this program only, so the handheld's set stays the nine files it knows.
struct CategoryList {
    Schema::DbId db;
    FieldCode field;
};

CategoryList categoryList(CategoryKind kind);

// The meals a plan offers until the couple edits its list.
QStringList defaultMeals();

// The list a lookup kind names: "relation", "vendor", "time" or "meal", in any letter case.
std::optional<CategoryKind> categoryKindNamed(const QString &kind);
std::optional<CategoryList> categoryListNamed(const QString &kind);

// The names of a list, in list order (a record without a name gives an empty line).
QStringList categoryNames(const PlanSet &set, CategoryKind kind);

// Replaces a list whole, in the order given, as the category editor's OK does. Records that use
// a name keep it: renaming or deleting a category changes no guest, vendor or task.
//
// A list record's other fields (a service's budget, whatever a handheld may add) go with the
// line: `origins[i]` names the record (0-based, in the list as it was) line i came from, -1 for
// a new line; without it a line takes the fields of a record of the same name.
void replaceCategoryList(PlanEdit &edit, CategoryKind kind, const QStringList &names,
                         const std::vector<int> &origins = {});

// The first category name of `kind` that begins with `typed`, ignoring letter case; empty when
// nothing matches, the text is empty, the kind is unknown or no plan is open. Never throws.
QString categoryLookup(const PlanSet &set, const QString &typed, const QString &kind);
