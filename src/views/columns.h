#pragma once

#include "plan/recordlistmodel.h"
#include "rules/displayforms.h"

// The kinds of column the lists are made of.
namespace Columns {

// A field's text; `stretches` for the list's main column.
ListColumn field(const QString &header, FieldCode code, bool stretches = false);
// A further column, shown only when the user asks for it.
ListColumn extra(const QString &header, FieldCode code);
// A count, sorted by its value ("10" after "9").
ListColumn number(const QString &header, FieldCode code);
// An amount of money in the user's writing ("1,500.50"): right-aligned, sorted by value.
ListColumn money(const QString &header, FieldCode code);
// A date in the user's short form, with the time of day only for `kind` DayAndTime; sorted by
// the date.
ListColumn date(const QString &header, FieldCode code,
                TextForms::DateKind kind = TextForms::DateKind::Day);
// "Confirmed" or "Unconfirmed" by the confirmation field.
ListColumn confirmation(const QString &header, FieldCode code);
// A guest's reply: "Confirmed", "Declined" or "Awaiting reply".
ListColumn reply(const QString &header);
// The columns a guest shows wherever guests are listed (the guest list, a table's guests),
// followed by `extras`.
std::vector<ListColumn> guest(std::vector<ListColumn> extras);

} // namespace Columns
