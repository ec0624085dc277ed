#include "replies.h"

namespace Replies {

bool isConfirmed(const Record &record, FieldCode field) {
    const Field *f = record.fields().find(field);
    return f && f->value().toBool();
}

Status statusOf(const QString &boxText) {
    if (boxText == u"Confirmed")
        return Status::Confirmed;
    if (boxText == u"Unconfirmed")
        return Status::Unconfirmed;
    return Status::All;
}

bool passes(Status status, bool confirmed) {
    switch (status) {
    case Status::Confirmed:
        return confirmed;
    case Status::Unconfirmed:
        return !confirmed;
    case Status::All:
        break;
    }
    return true;
}

QString statusText(bool confirmed) {
    return confirmed ? QStringLiteral("Confirmed") : QStringLiteral("Unconfirmed");
}

} // namespace Replies
