#include "replies.h"

namespace Replies {

namespace {

const QString kConfirmed = QStringLiteral("Confirmed");
const QString kDeclined = QStringLiteral("Declined");
const QString kAwaiting = QStringLiteral("Awaiting reply");

} // namespace

bool isConfirmed(const Record &record, FieldCode field) {
    const Field *f = record.fields().find(field);
    return f && f->value().toBool();
}

Reply replyOf(const Record &guest) {
    if (isConfirmed(guest))
        return Reply::Confirmed;
    return isConfirmed(guest, Schema::Guest::kDeclined) ? Reply::Declined : Reply::Awaiting;
}

QString replyText(Reply reply) {
    switch (reply) {
    case Reply::Confirmed:
        return kConfirmed;
    case Reply::Declined:
        return kDeclined;
    case Reply::Awaiting:
        break;
    }
    return kAwaiting;
}

QStringList replyTexts() {
    return {kAwaiting, kConfirmed, kDeclined};
}

std::vector<FieldEntry> replyEntries(Reply reply) {
    using namespace Schema;
    std::vector<FieldEntry> entries{
        {Guest::kConfirmed, FieldValue(reply == Reply::Confirmed), FieldKind::Boolean}};
    if (reply == Reply::Declined)
        entries.push_back({Guest::kDeclined, FieldValue(true), FieldKind::Boolean});
    else
        entries.push_back({Guest::kDeclined, std::nullopt, FieldKind::Boolean});
    return entries;
}

Status statusOf(const QString &boxText) {
    if (boxText == kConfirmed)
        return Status::Confirmed;
    if (boxText == u"Unconfirmed")
        return Status::Unconfirmed;
    if (boxText == kDeclined)
        return Status::Declined;
    if (boxText == kAwaiting)
        return Status::Awaiting;
    return Status::All;
}

bool passes(Status status, bool confirmed) {
    switch (status) {
    case Status::Confirmed:
        return confirmed;
    case Status::Unconfirmed:
    case Status::Declined:
    case Status::Awaiting:
        return !confirmed;
    case Status::All:
        break;
    }
    return true;
}

bool passes(Status status, Reply reply) {
    switch (status) {
    case Status::Declined:
        return reply == Reply::Declined;
    case Status::Awaiting:
        return reply == Reply::Awaiting;
    default:
        return passes(status, reply == Reply::Confirmed);
    }
}

QStringList guestStatusTexts() {
    return {QStringLiteral("All"), kConfirmed, kDeclined, kAwaiting};
}

QString statusText(bool confirmed) {
    return confirmed ? kConfirmed : QStringLiteral("Unconfirmed");
}

} // namespace Replies
