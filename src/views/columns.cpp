#include "columns.h"

#include "rules/displayforms.h"
#include "rules/replies.h"
#include "store/numbers.h"
#include "store/schema.h"

#include <cmath>

namespace Columns {

ListColumn field(const QString &header, FieldCode code, bool stretches) {
    ListColumn column;
    column.header = header;
    column.field = code;
    column.stretches = stretches;
    return column;
}

ListColumn extra(const QString &header, FieldCode code) {
    ListColumn column = field(header, code);
    column.extra = true;
    return column;
}

ListColumn number(const QString &header, FieldCode code) {
    ListColumn column = field(header, code);
    column.widest = QStringLiteral("9999"); // counts of people and seats
    // An empty count has no value and sorts before every number.
    column.number = [code](const Record &r) {
        const QString text = r.text(code).trimmed();
        return text.isEmpty() ? -HUGE_VAL : Numbers::numericValue(text);
    };
    return column;
}

ListColumn money(const QString &header, FieldCode code) {
    ListColumn column = number(header, code);
    column.widest.clear(); // amounts take their starting width; a larger one is cut and tipped
    column.text = [code](const Record &r) {
        return TextForms::money(r.text(code), QLocale());
    };
    column.alignment = Qt::AlignRight | Qt::AlignVCenter;
    return column;
}

ListColumn date(const QString &header, FieldCode code, TextForms::DateKind kind) {
    ListColumn column = field(header, code);
    column.text = [code, kind](const Record &r) {
        return TextForms::date(r.value(code), QLocale(), kind);
    };
    // Two-digit day and month, and a long month name where the form spells it out.
    column.widest =
        TextForms::date(FieldValue(QDate(2027, 12, 28), QTime(23, 58)), QLocale(), kind);
    column.number = [code](const Record &r) {
        const FieldValue value = r.value(code);
        if (value.type() != FieldValue::Type::DateTime)
            return -HUGE_VAL;
        return double(value.toDate().toJulianDay()) * 86400.0 +
               value.toTime().msecsSinceStartOfDay() / 1000;
    };
    return column;
}

ListColumn confirmation(const QString &header, FieldCode code) {
    ListColumn column;
    column.header = header;
    column.text = [code](const Record &r) {
        return Replies::statusText(Replies::isConfirmed(r, code));
    };
    return column;
}

ListColumn reply(const QString &header) {
    ListColumn column;
    column.header = header;
    column.startTwips = 1500; // "Awaiting reply" in full
    column.text = [](const Record &r) {
        return Replies::replyText(Replies::replyOf(r));
    };
    return column;
}

std::vector<ListColumn> guest(std::vector<ListColumn> extras) {
    using namespace Schema;
    ListColumn name = field(QObject::tr("Name"), Guest::kName, true);
    name.widest = QStringLiteral("Alexandra Montgomery"); // a full name, where room is short
    std::vector<ListColumn> columns{std::move(name),
                                    field(QObject::tr("Relation"), Guest::kRelation),
                                    reply(QObject::tr("Status")),
                                    number(QObject::tr("RSVP"), Guest::kRsvp),
                                    field(QObject::tr("Address"), Guest::kAddress),
                                    field(QObject::tr("City"), Guest::kCity),
                                    field(QObject::tr("State"), Guest::kState),
                                    field(QObject::tr("Phone"), Guest::kPhone),
                                    field(QObject::tr("E-Mail"), Guest::kEmail)};
    for (ListColumn &column : extras)
        columns.push_back(std::move(column));
    return columns;
}

} // namespace Columns
