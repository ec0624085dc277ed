#pragma once

#include "rules/categorylookup.h"

class Plan;
class QComboBox;
class QWidget;
struct FormContext;

// The filter boxes of the lists and their type-ahead, and the category editor command.

// Puts "All", the names of the category list and "Edit..." into `box`, which ends on "All".
// The box sends no signals while it is filled.
void fillCategoryBox(QComboBox *box, const Plan &plan, CategoryKind kind);
// Puts fixed entries into `box`, which ends on the first.
void fillFixedBox(QComboBox *box, const QStringList &entries);
// Whether the box's entry is the "Edit..." command rather than a filter.
bool asksForEditor(const QComboBox *box);

// Completes what the user types in the editable `box` with the first category name of `kind`
// ("relation", "vendor", "time" or "meal") that begins with it, selecting the completed part.
// Deleting text completes nothing, so that Backspace can shorten what was typed.
void installTypeAhead(QComboBox *box, const Plan &plan, const QString &kind);

// The category editor on one list; OK writes the list back as one step of the history.
// True when the list changed.
bool editCategoryList(const FormContext &forms, CategoryKind kind, QWidget *parent);
