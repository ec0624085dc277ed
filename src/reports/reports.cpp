#include "reports.h"

#include "rules/budget.h"
#include "rules/displayforms.h"
#include "rules/replies.h"
#include "store/planset.h"
#include "store/safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <cstring>

using Schema::DbId;

namespace Reports {

namespace {

const std::array<Info, 8> kReports{{
    {Details, QStringLiteral("Details.htm"), QStringLiteral("Wedding Details for "),
     QStringLiteral("Wedding Details Report")},
    {Party, QStringLiteral("Wed_Party.htm"), QStringLiteral("Wedding Party for "),
     QStringLiteral("Wedding Party Report")},
    {Guests, QStringLiteral("Guest_List.htm"), QStringLiteral("Guest List for "),
     QStringLiteral("Guest List Report")},
    {Vendors, QStringLiteral("Vendors.htm"), QStringLiteral("Vendor List for "),
     QStringLiteral("Vendor List Report")},
    {Tasks, QStringLiteral("Wed_Tasks.htm"), QStringLiteral("Wedding Tasks for "),
     QStringLiteral("Wedding Tasks Report")},
    {Payments, QStringLiteral("Wed_Payments.htm"), QStringLiteral("Upcoming Payments for "),
     QStringLiteral("Upcoming Payments Report")},
    {Seating, QStringLiteral("Seating.htm"), QStringLiteral("Seating Chart for "),
     QStringLiteral("Seating Chart Report")},
    {Budget, QStringLiteral("Budget.htm"), QStringLiteral("Budget for "),
     QStringLiteral("Budget Report")},
}};

// Appends UTF-8 with "&", "<", ">" and '"' as entities, in one pass over the text, so that a
// report of 65,535 guests never holds a second copy of itself. A lone surrogate becomes U+FFFD.
// With `lineBreaks`, each line break (CR LF counted once) becomes "<br>".
template <bool lineBreaks> void escape(QByteArray &out, QStringView text) {
    const qsizetype start = out.size();
    out.resize(start + text.size() * 6); // "&quot;" is the longest a character gets
    char *w = out.data() + start;
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    auto put = [&w](const char *s, int len) {
        std::memcpy(w, s, std::size_t(len));
        w += len;
    };
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = p[i];
        if (c < 0x80) {
            switch (c) {
            case u'&':
                put("&amp;", 5);
                break;
            case u'<':
                put("&lt;", 4);
                break;
            case u'>':
                put("&gt;", 4);
                break;
            case u'"':
                put("&quot;", 6);
                break;
            case u'\r':
            case u'\n':
                if constexpr (lineBreaks) {
                    put("<br>", 4);
                    if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
                        ++i;
                    break;
                }
                [[fallthrough]];
            default:
                *w++ = char(c);
            }
            continue;
        }
        if (QChar::isSurrogate(c)) {
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1]))
                c = QChar::surrogateToUcs4(char16_t(c), p[++i]);
            else
                c = 0xFFFD;
        }
        if (c < 0x800) {
            *w++ = char(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            *w++ = char(0xE0 | (c >> 12));
            *w++ = char(0x80 | ((c >> 6) & 0x3F));
        } else {
            *w++ = char(0xF0 | (c >> 18));
            *w++ = char(0x80 | ((c >> 12) & 0x3F));
            *w++ = char(0x80 | ((c >> 6) & 0x3F));
        }
        *w++ = char(0x80 | (c & 0x3F));
    }
    out.truncate(w - out.constData());
}

} // namespace

void appendEscaped(QByteArray &out, QStringView text) {
    escape<false>(out, text);
}

void appendEscapedLines(QByteArray &out, QStringView text) {
    escape<true>(out, text);
}

namespace {

// Print styles of every report: the page margins and numbers, a heading row that repeats on
// every page (the thead) and rows that never split, money right-aligned.
const char *const kPrintStyle =
    "@page { margin: 12mm; @bottom-right { content: \"Page \" counter(page) \" of \" "
    "counter(pages); font: 8pt Arial, Helvetica, sans-serif; } }\r\n"
    "body { font-family: Arial, Helvetica, \"Liberation Sans\", sans-serif; font-size: 9pt; }\r\n"
    "h1 { font-size: 16pt; margin: 0 0 1mm; }\r\n"
    "p.printed { margin: 0 0 4mm; font-size: 9pt; }\r\n"
    "table { border-collapse: collapse; }\r\n"
    "td, th { padding: 1pt 3pt; vertical-align: top; overflow-wrap: break-word; }\r\n"
    "td p { margin: 0; }\r\n"
    "thead { display: table-header-group; }\r\n"
    "tr { break-inside: avoid; page-break-inside: avoid; }\r\n"
    ".money { text-align: right; white-space: nowrap; }\r\n"
    "tr.total td { font-weight: bold; border-top: 2px solid #000; }\r\n";

} // namespace

void appendHead(QByteArray &out, const QString &title, const Context &context, const char *style) {
    out.append("<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>");
    appendEscaped(out, title);
    out.append("</title>\r\n<style>\r\n");
    out.append(kPrintStyle);
    out.append(style);
    out.append("</style>\r\n</head><body>\r\n<h1>");
    appendEscaped(out, title);
    out.append("</h1>\r\n<p class=\"printed\">Printed ");
    appendEscaped(out, TextForms::date(context.printed, context.locale));
    out.append("</p>\r\n");
}

namespace {

// A value to print as text: escaped and encoded on output.
struct Text {
    QString text;
};
// A field of a record: its text, or a blank when the record lacks it or it is empty.
struct Cell {
    const Record *record;
    FieldCode code;
};
// A text that may be blank: the text with its line breaks, or a blank.
struct Lines {
    QString text;
};
// A money field: the amount in the user's writing, or a blank.
struct Amount {
    const Record *record;
    FieldCode code;
};

// Collects the lines of one report as UTF-8. Parts are markup (literals, QStrings the writer
// built) or values (Text, Cell, Lines, Amount), which are escaped.
class Html {
public:
    explicit Html(const Context &context, qsizetype expectedRecords = 0)
        : m_context(context) {
        m_out.reserve(2048 + expectedRecords * 400);
    }

    template <class... Parts> void line(const Parts &...parts) {
        (put(parts), ...);
        m_out.append("\r\n", 2);
    }
    void begin(const QString &title) { appendHead(m_out, title, m_context); }
    const QLocale &locale() const { return m_context.locale; }
    QByteArray take() { return std::move(m_out); }

private:
    void put(const char *markup) { m_out.append(markup); }
    void put(QLatin1StringView markup) { m_out.append(markup.data(), markup.size()); }
    void put(const QString &markup) { m_out.append(markup.toUtf8()); }
    void put(const Text &value) { appendEscaped(m_out, value.text); }
    void put(const Lines &value) {
        if (value.text.isEmpty())
            m_out.append("&nbsp;", 6);
        else
            appendEscapedLines(m_out, value.text);
    }
    void put(const Cell &cell) {
        if (!cell.record) {
            m_out.append("&nbsp;", 6);
            return;
        }
        const Field *field = cell.record->fields().find(cell.code);
        if (!field) {
            m_out.append("&nbsp;", 6);
            return;
        }
        const FieldValue &value = field->value();
        // A date where text belongs is shown as dates are, never with seconds or a zone.
        put(Lines{value.type() == FieldValue::Type::DateTime
                      ? TextForms::date(value, m_context.locale, TextForms::DateKind::DayAndTime)
                      : value.toText()});
    }
    void put(const Amount &cell) {
        put(Lines{cell.record ? TextForms::money(cell.record->text(cell.code), m_context.locale)
                              : QString()});
    }

    const Context &m_context;
    QByteArray m_out;
};

// The field's text, escaped, or "&nbsp;" when the record lacks it or it is empty.
Cell valueOrSpace(const Record *record, FieldCode code) {
    return Cell{record, code};
}

// One cell: the opening, the value (or a blank) and the closing tag, as one line.
void cell(Html &html, const Record &record, FieldCode code, QLatin1StringView opening) {
    html.line(opening, valueOrSpace(&record, code), QLatin1StringView("</td>"));
}

int countOf(const PalmDatabase *db) {
    return db ? db->records().count() : 0;
}

// "a" + separator + "b", or whichever of them is not blank.
QString joined(const QString &a, const QString &separator, const QString &b) {
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    return a + separator + b;
}

// Street, then "City, ST 12345": blank parts are left out with their separators, and an
// address without any part is a blank cell.
void addressCell(Html &html, const Record &r, const std::array<FieldCode, 4> &codes,
                 QLatin1StringView opening, QLatin1StringView separator) {
    const QString street = r.text(codes[0]).trimmed();
    const QString town =
        joined(joined(r.text(codes[1]).trimmed(), QStringLiteral(", "), r.text(codes[2]).trimmed()),
               QStringLiteral(" "), r.text(codes[3]).trimmed());
    if (!street.isEmpty() && !town.isEmpty())
        html.line(opening, Lines{street}, separator, Text{town}, QLatin1StringView("</td>"));
    else
        html.line(opening, Lines{street.isEmpty() ? town : street}, QLatin1StringView("</td>"));
}

struct Heading {
    const char *width;
    const char *title;
};

// A list table's opening and its row of headings, which repeats on every printed page.
void listTableStart(Html &html, std::initializer_list<Heading> headings) {
    html.line(QLatin1StringView("<table border=\"1\" width=\"100%\" cellspacing = \"1\">"));
    html.line(QLatin1StringView("<thead>"));
    html.line(QLatin1StringView("<tr>"));
    for (const Heading &h : headings) {
        html.line(QLatin1StringView("<td width=\""), QLatin1StringView(h.width),
                  QLatin1StringView("\"><u><strong>"), QLatin1StringView(h.title),
                  QLatin1StringView("</strong></u></td>"));
    }
    html.line(QLatin1StringView("</tr>"));
    html.line(QLatin1StringView("</thead>"));
    html.line(QLatin1StringView("<tbody>"));
}

// The last row of a list: the label across the columns before the amount, the total under
// the amounts, blanks after.
void totalRow(Html &html, const char *label, int columnsBefore, QLatin1StringView amountOpening,
              qint64 cents, int columnsAfter) {
    auto span = [](int columns) {
        return columns == 1 ? QStringLiteral("<td>")
                            : QStringLiteral("<td colspan=\"%1\">").arg(columns);
    };
    html.line(QLatin1StringView("<tr class=\"total\">"));
    html.line(span(columnsBefore), label, QLatin1StringView("</td>"));
    html.line(amountOpening, Text{TextForms::moneyFromCents(cents, html.locale())},
              QLatin1StringView("</td>"));
    if (columnsAfter > 0)
        html.line(span(columnsAfter), QLatin1StringView("&nbsp;</td>"));
    html.line(QLatin1StringView("</tr>"));
}

// The amount of a money field in cents; 0 when it is blank, not a number or beyond 64 bits.
qint64 centsOf(const Record &r, FieldCode code) {
    return TextForms::cents(r.text(code)).value_or(0);
}

const PalmDatabase *dbOf(const PlanSet &set, DbId id) {
    try {
        return &set.db(id);
    } catch (const StoreError &) {
        return nullptr; // no plan open: the report lists nothing
    }
}

} // namespace

const Info *info(int kind) {
    for (const Info &i : kReports) {
        if (i.kind == kind)
            return &i;
    }
    return nullptr;
}

QByteArray detailsReport(const PalmDatabase *plan, const QString &title, const Context &context) {
    Html html(context);
    html.begin(title);
    const Record *r = countOf(plan) > 0 ? &plan->records().item(1) : nullptr;

    html.line(QLatin1StringView("<table border=\"1\" width=\"92%\" height = \"67\">"));
    html.line(QLatin1StringView("<tr><td width=\"14%\" height=\"30\"><b>Wedding Date:</b></td>"));
    html.line(QLatin1StringView("<td width=\"86%\" height=\"30\">"));
    // The wedding date is a day: no time was ever chosen for it.
    html.line(Lines{r ? TextForms::date(r->value("date"), context.locale, TextForms::DateKind::Day)
                      : QString()},
              QLatin1StringView("</td></tr>"));
    html.line(QLatin1StringView("<tr><td width=\"14%\" height=\"33\"><b>Notes:</b></td>"
                                "<td width=\"86%\" height=\"33\">"));
    html.line(valueOrSpace(r, "note"), QLatin1StringView("</td></tr></table>"));
    html.line(QLatin1StringView("<p>&nbsp;</p>"));

    struct Row {
        const char *label;
        FieldCode code;
    };
    html.line(QLatin1StringView(
        "<table border=\"1\" cellpadding=\"1\" cellspacing=\"1\" width=\"62%\">"));
    static const Row couple[] = {{"Bride's Name:", "bnam"}, {"Groom's Name:", "gnam"},
                                 {"Address:", "addr"},      {"City:", "city"},
                                 {"State:", "stat"},        {"Zip Code:", "zipc"},
                                 {"Phone:", "phon"}};
    for (const Row &row : couple) {
        html.line(QLatin1StringView("<tr><td width=\"18%\"><b>"), QLatin1StringView(row.label),
                  QLatin1StringView("</b></td><td width=\"82%\">"), valueOrSpace(r, row.code),
                  QLatin1StringView("</td></tr>"));
    }
    html.line(QLatin1StringView("</table><p>&nbsp;</p>"));

    // Church and reception: a "Status:" row shows the confirmation in words, the reception
    // times read as the user's short time.
    auto place = [&](QLatin1StringView width, std::initializer_list<Row> rows) {
        html.line(QLatin1StringView("<table border=\"1\" cellpadding=\"1\" cellspacing=\"1\" "
                                    "width=\""),
                  width, QLatin1StringView("\">"));
        for (const Row &row : rows) {
            const QLatin1StringView label(row.label);
            const QLatin1StringView opening("<tr><td width=\"23%\"><b>");
            const QLatin1StringView middle("</b></td><td width=\"77%\">");
            const QLatin1StringView closing("</td></tr>");
            if (label == QLatin1StringView("Status:")) {
                const bool confirmed = r && r->value(row.code).toBool();
                html.line(opening, label, middle,
                          confirmed ? QLatin1StringView("<b>CONFIRMED</b>")
                                    : QLatin1StringView("<b>UNCONFIRMED</b>"),
                          closing);
            } else if (row.code == FieldCode("star") || row.code == FieldCode("stop")) {
                html.line(
                    opening, label, middle,
                    Lines{r ? TextForms::timeOfDay(r->value(row.code), context.locale) : QString()},
                    closing);
            } else {
                html.line(opening, label, middle, valueOrSpace(r, row.code), closing);
            }
        }
    };
    place(QLatin1StringView("63%"), {{"Church:", "chrc"},
                                     {"Status:", "ccon"},
                                     {"Priest:", "prst"},
                                     {"Office Manager:", "mngr"},
                                     {"Address:", "cadr"},
                                     {"City:", "ccit"},
                                     {"State:", "csta"},
                                     {"Zip Code:", "czip"},
                                     {"Phone:", "cpho"},
                                     {"Notes:", "cnot"}});
    html.line(QLatin1StringView("</table><p>&nbsp;</p>"));
    place(QLatin1StringView("64%"), {{"Reception:", "hall"},
                                     {"Status:", "hcon"},
                                     {"Contact Person:", "hper"},
                                     {"Start Time:", "star"},
                                     {"End Time:", "stop"},
                                     {"Address:", "hadr"},
                                     {"City:", "hcit"},
                                     {"State:", "hsta"},
                                     {"Zip Code:", "hzip"},
                                     {"Phone:", "hpho"},
                                     {"Notes:", "hnot"}});
    html.line(QLatin1StringView("</p></table></body></html>"));
    return html.take();
}

QByteArray partyReport(const PalmDatabase *party, const QString &title, const Context &context) {
    const int n = countOf(party);
    Html html(context, n);
    html.begin(title);
    listTableStart(html, {{"14%", "Name"},
                          {"14%", "Relation"},
                          {"15%", "Address"},
                          {"13%", "Phone"},
                          {"14%", "E-Mail"},
                          {"15%", "Notes"}});
    for (int i = 1; i <= n; ++i) {
        const Record &r = party->records().item(i);
        html.line(QLatin1StringView("<tr>"));
        cell(html, r, "pnam", QLatin1StringView("<td width=\"14%\">"));
        cell(html, r, "ptyp", QLatin1StringView("<td width=\"14%\">"));
        addressCell(html, r, {"padr", "pcit", "psta", "pzip"},
                    QLatin1StringView("<td width=\"15%\">"), QLatin1StringView("<p>"));
        cell(html, r, "ppho", QLatin1StringView("<td width=\"13%\">"));
        cell(html, r, "pmai", QLatin1StringView("<td width=\"14%\">"));
        cell(html, r, "pnot", QLatin1StringView("<td width=\"15%\">"));
        html.line(QLatin1StringView("</tr>"));
    }
    html.line(QLatin1StringView("</tbody>"));
    html.line(QLatin1StringView("</table></body></html>"));
    return html.take();
}

QByteArray guestReport(const PalmDatabase *guests, const QString &title, const Context &context) {
    const int n = countOf(guests);
    Html html(context, n);
    html.begin(title);
    listTableStart(html, {{"14%", "Name"},
                          {"14%", "Relation"},
                          {"20%", "Address"},
                          {"14%", "Phone"},
                          {"14%", "Status"},
                          {"9%", "RSVP"},
                          {"15%", "Notes"}});
    int declined = 0;
    for (int i = 1; i <= n; ++i) {
        const Record &r = guests->records().item(i);
        if (Replies::replyOf(r) == Replies::Reply::Declined) {
            ++declined;
            continue;
        }
        html.line(QLatin1StringView("<tr>"));
        cell(html, r, "gnam", QLatin1StringView("<td width=\"14%\">"));
        cell(html, r, "gtyp", QLatin1StringView("<td width=\"14%\">"));
        addressCell(html, r, {"gadr", "gcit", "gsta", "gzip"},
                    QLatin1StringView("<td width=\"20%\">"), QLatin1StringView("<br>"));
        cell(html, r, "gpho", QLatin1StringView("<td width=\"14%\">"));
        html.line(r.value("gcon").toBool()
                      ? QLatin1StringView("<td width=\"14%\">CONFIRMED</td>")
                      : QLatin1StringView("<td width=\"14%\">UNCONFIRMED</td>"));
        cell(html, r, "rsvp", QLatin1StringView("<td width=\"9%\">"));
        // Narrower than its heading, as the printed list has always been.
        cell(html, r, "gnot", QLatin1StringView("<td width=\"14%\">"));
        html.line(QLatin1StringView("</tr>"));
    }
    html.line(QLatin1StringView("</tbody>"));
    if (declined > 0) {
        html.line(QLatin1StringView("</table>"));
        html.line(QLatin1StringView("<p class=\"declined\">"),
                  Text{declined == 1 ? QStringLiteral("1 guest who declined is not listed.")
                                     : QStringLiteral("%1 guests who declined are not listed.")
                                           .arg(context.locale.toString(declined))},
                  QLatin1StringView("</p></body></html>"));
    } else {
        html.line(QLatin1StringView("</table></body></html>"));
    }
    return html.take();
}

QByteArray vendorReport(const PalmDatabase *vendors, const QString &title, const Context &context) {
    const int n = countOf(vendors);
    Html html(context, n);
    html.begin(title);
    listTableStart(html, {{"12%", "Name"},
                          {"12%", "Service"},
                          {"12%", "Contact"},
                          {"14%", "Address"},
                          {"12%", "Phone"},
                          {"12%", "Status"},
                          {"12%", "Price"},
                          {"14%", "Notes"}});
    const QLatin1StringView w12("<td width=\"12%\">");
    const QLatin1StringView price("<td width=\"12%\" class=\"money\">");
    qint64 confirmedCents = 0;
    for (int i = 1; i <= n; ++i) {
        const Record &r = vendors->records().item(i);
        const bool confirmed = r.value("vcon").toBool();
        if (confirmed)
            confirmedCents = TextForms::addCents(confirmedCents, centsOf(r, "vcos"));
        html.line(QLatin1StringView("<tr>"));
        cell(html, r, "vnam", w12);
        cell(html, r, "vtyp", w12);
        cell(html, r, "vcnt", w12);
        addressCell(html, r, {"vadr", "vcit", "vsta", "vzip"},
                    QLatin1StringView("<td width=\"14%\">"), QLatin1StringView("<p>"));
        cell(html, r, "vpho", w12);
        html.line(confirmed ? QLatin1StringView("<td width=\"12%\">CONFIRMED</td>")
                            : QLatin1StringView("<td width=\"12%\">UNCONFIRMED</td>"));
        html.line(price, Amount{&r, "vcos"}, QLatin1StringView("</td>"));
        cell(html, r, "vnot", QLatin1StringView("<td width=\"14%\">"));
        html.line(QLatin1StringView("</tr>"));
    }
    totalRow(html, "Total confirmed cost", 6, price, confirmedCents, 1);
    html.line(QLatin1StringView("</tbody>"));
    html.line(QLatin1StringView("</table></body></html>"));
    return html.take();
}

QByteArray taskReport(const PalmDatabase *tasks, const QString &title, const Context &context) {
    const int n = countOf(tasks);
    Html html(context, n);
    html.begin(title);
    listTableStart(html, {{"3%", "Number"},
                          {"11%", "TimeFrame"},
                          {"32%", "Task Details"},
                          {"10%", "Status"},
                          {"15%", "Notes"}});
    for (int i = 1; i <= n; ++i) {
        const Record &r = tasks->records().item(i);
        html.line(QLatin1StringView("<tr>"));
        html.line(QLatin1StringView("<td width=\"3%\">"), QByteArray::number(i).constData(),
                  QLatin1StringView("</td>"));
        cell(html, r, "time", QLatin1StringView("<td width=\"11%\">"));
        cell(html, r, "evnt", QLatin1StringView("<td width=\"32%\">"));
        html.line(r.value("done").toBool() ? QLatin1StringView("<td width=\"10%\">COMPLETE</td>")
                                           : QLatin1StringView("<td width=\"10%\">PENDING</td>"));
        cell(html, r, "note", QLatin1StringView("<td width=\"15%\">"));
        html.line(QLatin1StringView("</tr>"));
    }
    html.line(QLatin1StringView("</tbody>"));
    html.line(QLatin1StringView("</table></body></html>"));
    return html.take();
}

QByteArray paymentReport(const PalmDatabase *vendors, const QString &title,
                         const Context &context) {
    const int n = countOf(vendors);
    Html html(context, n);
    html.begin(title);
    auto tableStart = [&] {
        listTableStart(html, {{"15%", "Due Date"},
                              {"10%", "Payment ($)"},
                              {"20%", "Vendor"},
                              {"20%", "Contact"},
                              {"20%", "Address"},
                              {"15%", "Phone No."}});
    };
    const QLatin1StringView w20("<td width=\"20%\">");
    const QLatin1StringView amountOpening("<td width=\"10%\" class=\"money\">");
    // The listed vendors in order of the payment's due date, those without a date last, each
    // date in record order; then the rows and their total.
    auto section = [&](auto listed, FieldCode due, FieldCode amount) {
        struct Payment {
            const Record *record;
            qint64 day; // Julian day; after every real date when there is none
        };
        std::vector<Payment> payments;
        for (int i = 1; i <= n; ++i) {
            const Record &r = vendors->records().item(i);
            if (!listed(r))
                continue;
            const QDate date = TextForms::day(r.value(due), context.locale);
            payments.push_back(
                {&r, date.isValid() ? date.toJulianDay() : std::numeric_limits<qint64>::max()});
        }
        std::stable_sort(payments.begin(), payments.end(),
                         [](const Payment &a, const Payment &b) { return a.day < b.day; });
        qint64 total = 0;
        for (const Payment &p : payments) {
            const Record &r = *p.record;
            total = TextForms::addCents(total, centsOf(r, amount));
            html.line(QLatin1StringView("<tr>"));
            html.line(
                QLatin1StringView("<td width=\"15%\">"),
                Lines{TextForms::date(r.value(due), context.locale, TextForms::DateKind::Day)},
                QLatin1StringView("</td>"));
            html.line(amountOpening, Amount{&r, amount}, QLatin1StringView("</td>"));
            cell(html, r, "vnam", w20);
            cell(html, r, "vcnt", w20);
            addressCell(html, r, {"vadr", "vcit", "vsta", "vzip"}, w20, QLatin1StringView("<br>"));
            cell(html, r, "vpho", QLatin1StringView("<td width=\"15%\">"));
            html.line(QLatin1StringView("</tr>"));
        }
        totalRow(html, "Total due", 1, amountOpening, total, 4);
        html.line(QLatin1StringView("</tbody>"));
    };

    html.line(QLatin1StringView("<h2>Pending Payments</h2>"));
    tableStart();
    // A next payment of "0" is still a payment to list.
    section(
        [](const Record &r) {
            return r.value("vcon").toBool() && r.has("npay") && !r.text("npay").isEmpty();
        },
        "ndat", "npay");
    html.line(QLatin1StringView("</table></p>"));
    html.line(QLatin1StringView("<p><h2>Final Payments</h2>"));
    tableStart();
    section([](const Record &r) { return r.value("vcon").toBool(); }, "dued", "vbal");
    html.line(QLatin1StringView("</table></body></html>"));
    return html.take();
}

QByteArray budgetReport(const PalmDatabase *vendors, const PalmDatabase *vendorTypes,
                        const PalmDatabase *plan, const QString &title, const Context &context) {
    const PalmDatabase empty;
    const Budget::Sheet sheet = Budget::compute(
        vendors ? *vendors : empty, vendorTypes ? *vendorTypes : empty, plan ? *plan : empty);
    Html html(context, qsizetype(sheet.services.size()));
    html.begin(title);
    listTableStart(html, {{"25%", "Service"},
                          {"12%", "Budgeted"},
                          {"12%", "Committed"},
                          {"12%", "Paid"},
                          {"12%", "Still due"},
                          {"12%", "Left"},
                          {"15%", "Status"}});
    const QLatin1StringView money("<td class=\"money\">");
    const QLatin1StringView close("</td>");
    auto amount = [&](std::optional<qint64> cents) {
        return Lines{cents ? TextForms::moneyFromCents(*cents, context.locale) : QString()};
    };
    auto row = [&](const Budget::Line &line, const QString &name, bool total) {
        html.line(total ? QLatin1StringView("<tr class=\"total\">") : QLatin1StringView("<tr>"));
        html.line(QLatin1StringView("<td>"), Lines{name}, close);
        html.line(money, amount(line.budgeted), close);
        html.line(money, amount(line.committed), close);
        html.line(money, amount(line.paid), close);
        html.line(money, amount(line.due()), close);
        html.line(money, amount(line.left()), close);
        // Said in words, so that it shows on any printer.
        html.line(QLatin1StringView("<td>"),
                  line.overspent() ? QLatin1StringView("<b>OVER BUDGET</b>")
                                   : QLatin1StringView("&nbsp;"),
                  close);
        html.line(QLatin1StringView("</tr>"));
    };
    for (const Budget::Line &line : sheet.services)
        row(line, line.service.isEmpty() ? QStringLiteral("(no service)") : line.service, false);
    row(sheet.total,
        sheet.totalFromServices ? QStringLiteral("Total (the services' budgets)")
                                : QStringLiteral("Total"),
        true);
    html.line(QLatin1StringView("</tbody>"));
    html.line(QLatin1StringView("</table>"));
    html.line(QLatin1StringView("<p>Committed: the prices of the confirmed vendors.  Paid: their "
                                "down payments marked paid.</p>"));
    html.line(QLatin1StringView("</body></html>"));
    return html.take();
}

QByteArray reportText(int kind, const PlanSet &set, const QString &title, const Context &context) {
    switch (kind) {
    case Details:
        return detailsReport(dbOf(set, DbId::Plan), title, context);
    case Party:
        return partyReport(dbOf(set, DbId::Party), title, context);
    case Guests:
        return guestReport(dbOf(set, DbId::Guest), title, context);
    case Vendors:
        return vendorReport(dbOf(set, DbId::Vendors), title, context);
    case Tasks:
        return taskReport(dbOf(set, DbId::Tasks), title, context);
    case Payments:
        return paymentReport(dbOf(set, DbId::Vendors), title, context);
    case Seating:
        return seatingReport(dbOf(set, DbId::Tables), dbOf(set, DbId::Guest), title, context);
    case Budget:
        return budgetReport(dbOf(set, DbId::Vendors), dbOf(set, DbId::VenTypes),
                            dbOf(set, DbId::Plan), title, context);
    default:
        return {};
    }
}

void writeReportFile(const QString &path, const QByteArray &html) {
    SafeFile::writeAtomically(path, html);
}

QString reportFolder(const QString &setFolder, const QString &programFolder) {
    if (!setFolder.isEmpty())
        return setFolder;
    const QFileInfo program(programFolder);
    if (!programFolder.isEmpty() && program.isDir() && program.isWritable())
        return programFolder;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

} // namespace Reports
