#pragma once

#include "store/schema.h"

// Whether a guest or a vendor is confirmed, and the status filters of the lists. One rule for
// every list, count and report: a stored Boolean true, or the text "True" in any letter case
// (as a handheld or an older version may have stored it), is confirmed; anything else, a
// missing field included, is not.
namespace Replies {

bool isConfirmed(const Record &record, FieldCode field = Schema::Guest::kConfirmed);

// What a status box asks for.
enum class Status { All, Confirmed, Unconfirmed };
// The box's text: "Confirmed", "Unconfirmed", anything else (normally "All") lets all pass.
Status statusOf(const QString &boxText);
bool passes(Status status, bool confirmed);

// "Confirmed" or "Unconfirmed", as the lists show it.
QString statusText(bool confirmed);

} // namespace Replies
