#pragma once

#include "store/schema.h"

#include <optional>

class PlanEdit;
class PlanSet;

// The three category lists of a plan.
enum class CategoryKind { Relations, Timeframes, VendorTypes };

// Where one category list lives: its database and the field that holds each name.
struct CategoryList {
    Schema::DbId db;
    FieldCode field;
};

CategoryList categoryList(CategoryKind kind);

// The list a lookup kind names: "relation", "vendor" or "time", in any letter case.
std::optional<CategoryList> categoryListNamed(const QString &kind);

// The names of a list, in list order (a record without a name gives an empty line).
QStringList categoryNames(const PlanSet &set, CategoryKind kind);

// Replaces a list whole, in the order given, as the category editor's OK does. Records that use
// a name keep it: renaming or deleting a category changes no guest, vendor or task.
void replaceCategoryList(PlanEdit &edit, CategoryKind kind, const QStringList &names);

// The first category name of `kind` that begins with `typed`, ignoring letter case; empty when
// nothing matches, the text is empty, the kind is unknown or no plan is open. Never throws.
QString categoryLookup(const PlanSet &set, const QString &typed, const QString &kind);
