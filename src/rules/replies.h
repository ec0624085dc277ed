#pragma once

#include "store/planedit.h"

#include <QStringList>
#include <vector>

// Whether a guest or a vendor is confirmed, a guest's reply, and the status filters of the
// lists. One rule for every list, count and report: a stored Boolean true, or the text "True" in
// any letter case (as a handheld or an older version may have stored it), is confirmed;
// anything else, a missing field included, is not.
//
// A guest who is not confirmed has either declined (gdec true, kept by this program only) or
// not answered yet. The handheld knows only gcon, so a confirmation made there wins over a
// decline recorded here.
namespace Replies {

bool isConfirmed(const Record &record, FieldCode field = Schema::Guest::kConfirmed);

enum class Reply { Awaiting, Confirmed, Declined };
Reply replyOf(const Record &guest);
// "Awaiting reply", "Confirmed" or "Declined", as the lists and the record editor show it.
QString replyText(Reply reply);
// The three, in the order the record editor offers them.
QStringList replyTexts();
// The fields that store a reply, in the order they are written: gcon, then gdec (removed
// unless declined, so a guest who never declined carries no field the handheld lacks).
std::vector<FieldEntry> replyEntries(Reply reply);

// What a status box asks for. "Unconfirmed" (the vendors' box, and the guests' box of older
// versions) means not confirmed: declined and awaiting alike.
enum class Status { All, Confirmed, Unconfirmed, Declined, Awaiting };
// The box's text; anything it does not name (normally "All") lets all pass.
Status statusOf(const QString &boxText);
bool passes(Status status, bool confirmed);
bool passes(Status status, Reply reply);
// The entries of the guests' status box.
QStringList guestStatusTexts();

// "Confirmed" or "Unconfirmed", as the lists show it.
QString statusText(bool confirmed);

} // namespace Replies
