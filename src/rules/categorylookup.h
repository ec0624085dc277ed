#pragma once

#include "store/schema.h"

#include <QString>
#include <optional>

class PlanSet;

// Where one category list lives: its database and the field that holds each name.
struct CategoryList {
    Schema::DbId db;
    FieldCode field;
};

// The list a category editor kind names: 0 relation types, 1 timeframes, 2 vendor types.
std::optional<CategoryList> categoryListOfKind(int kind);

// The list a lookup kind names: "relation", "vendor" or "time", in any letter case.
std::optional<CategoryList> categoryListNamed(const QString &kind);

// The first category name of `kind` that begins with `typed`, ignoring letter case; empty when
// nothing matches, the text is empty, the kind is unknown or no plan is open. Never throws.
QString categoryLookup(const PlanSet &set, const QString &typed, const QString &kind);
