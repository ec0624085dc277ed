#include "guestcount.h"

#include "store/palmdatabase.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr FieldCode kRsvp = "rsvp";
constexpr FieldCode kConfirmed = "gcon";

} // namespace

// Each RSVP is held within 32 bits, so the 64-bit totals of the largest possible database
// cannot overflow whatever was typed.
qint64 guestPeople(const FieldValue &rsvp) {
    if (rsvp.toText().isEmpty())
        return 1;
    const double value = rsvp.toNumber();
    if (!std::isfinite(value))
        return 0;
    const double whole = std::nearbyint(value); // to nearest, halves to even
    return qint64(std::clamp(whole, double(std::numeric_limits<qint32>::min()),
                             double(std::numeric_limits<qint32>::max())));
}

GuestCount countGuests(PalmDatabase &guests) {
    GuestCount count;
    for (const auto &record : guests.records().raw()) {
        Field *rsvp = record->fields().find(kRsvp);
        if (!rsvp) {
            guests.fieldList().add(kRsvp, FieldKind::Text);
            rsvp = &record->fields().add(kRsvp, FieldKind::Text);
        }
        const qint64 n = guestPeople(rsvp->value());
        const Field *confirmed = record->fields().find(kConfirmed);
        if (confirmed && confirmed->value().toBool())
            count.confirmed += n;
        count.possible += n;
    }
    return count;
}
