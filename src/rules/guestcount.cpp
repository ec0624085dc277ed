#include "guestcount.h"

#include "replies.h"
#include "store/planedit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr FieldCode kRsvp = Schema::Guest::kRsvp;

} // namespace

// Each RSVP is held within 32 bits, so the 64-bit totals of the largest possible database
// cannot overflow whatever was typed.
qint64 guestPeople(const FieldValue &rsvp) {
    if (rsvp.type() == FieldValue::Type::Text) {
        const QStringView text = rsvp.textView();
        if (text.isEmpty())
            return 1;
        // The RSVP box's own form, plain digits, is read in place: a count of every guest
        // then allocates nothing.
        if (text.size() <= 9) {
            qint64 value = 0;
            bool digits = true;
            for (const QChar c : text) {
                digits = digits && c >= u'0' && c <= u'9';
                value = value * 10 + (c.unicode() - u'0');
            }
            if (digits)
                return value;
        }
    } else if (rsvp.isNone()) {
        return 1;
    }
    const double value = rsvp.toNumber();
    if (!std::isfinite(value))
        return 0;
    const double whole = std::nearbyint(value); // to nearest, halves to even
    return qint64(std::clamp(whole, double(std::numeric_limits<qint32>::min()),
                             double(std::numeric_limits<qint32>::max())));
}

qint64 peopleOf(const Record &guest) {
    const Field *rsvp = guest.fields().find(kRsvp);
    return rsvp ? guestPeople(rsvp->value()) : 1;
}

GuestCount countGuests(const PalmDatabase &guests) {
    GuestCount count;
    for (const auto &record : guests.records().raw()) {
        const Replies::Reply reply = Replies::replyOf(*record);
        // A guest who declined is no longer among those who may come.
        if (reply == Replies::Reply::Declined)
            continue;
        const qint64 n = peopleOf(*record);
        if (reply == Replies::Reply::Confirmed)
            count.confirmed += n;
        count.possible += n;
    }
    return count;
}

void addMissingRsvp(PlanEdit &edit) {
    for (const auto &record : edit.db(Schema::DbId::Guest).records().raw())
        edit.ensureField(Schema::DbId::Guest, *record, kRsvp);
}
