#include "reports.h"

#include "store/planset.h"
#include "store/safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <array>
#include <cstring>

using Schema::DbId;

namespace Reports {

namespace {

const std::array<Info, 7> kReports{{
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
}};

// A value to print as text: escaped and encoded on output.
struct Text {
    QString text;
};
// A field of a record: its text, or a blank when the record lacks it or it is empty.
struct Cell {
    const Record *record;
    FieldCode code;
};

} // namespace

// Appends UTF-8 with "&", "<", ">" and '"' as entities, in one pass over the text, so that a
// report of 65,535 guests never holds a second copy of itself. A lone surrogate becomes U+FFFD.
void appendEscaped(QByteArray &out, QStringView text) {
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

namespace {

// Collects the lines of one report as UTF-8. Parts are markup (literals, QStrings the writer
// built) or values (Text, Cell), which are escaped.
class Html {
public:
    explicit Html(qsizetype expectedRecords = 0) { m_out.reserve(1024 + expectedRecords * 400); }

    template <class... Parts> void line(const Parts &...parts) {
        (put(parts), ...);
        m_out.append("\r\n", 2);
    }
    // The two lines every report begins with. The character set is declared so a browser
    // reads the UTF-8 the file is written in.
    void begin(const QString &title) {
        line("<html><head><meta charset=\"utf-8\"><title>", Text{title}, "</title></head><body>");
        line("<h1>", Text{title}, "</h1>");
    }
    QByteArray take() { return std::move(m_out); }

private:
    void put(const char *markup) { m_out.append(markup); }
    void put(QLatin1StringView markup) { m_out.append(markup.data(), markup.size()); }
    void put(const QString &markup) { m_out.append(markup.toUtf8()); }
    void put(const Text &value) { appendEscaped(m_out, value.text); }
    void put(const Cell &cell) {
        const QString text = cell.record ? cell.record->text(cell.code) : QString();
        if (text.isEmpty())
            m_out.append("&nbsp;", 6);
        else
            appendEscaped(m_out, text);
    }

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

// Address, city, state and zip of a list row, each blank part a "&nbsp;".
void addressCell(Html &html, const Record &r, const std::array<FieldCode, 4> &codes,
                 QLatin1StringView opening, QLatin1StringView separator) {
    html.line(opening, valueOrSpace(&r, codes[0]), separator, valueOrSpace(&r, codes[1]),
              QLatin1StringView(", "), valueOrSpace(&r, codes[2]), QLatin1StringView(" "),
              valueOrSpace(&r, codes[3]), QLatin1StringView("</td>"));
}

struct Heading {
    const char *width;
    const char *title;
};

// A list table's opening and its row of headings.
void listTableStart(Html &html, std::initializer_list<Heading> headings) {
    html.line(QLatin1StringView("<table border=\"1\" width=\"100%\" cellspacing = \"1\">"));
    html.line(QLatin1StringView("<tr>"));
    for (const Heading &h : headings) {
        html.line(QLatin1StringView("<td width=\""), QLatin1StringView(h.width),
                  QLatin1StringView("\"><u><strong>"), QLatin1StringView(h.title),
                  QLatin1StringView("</strong></u></td>"));
    }
    html.line(QLatin1StringView("</tr>"));
}

const PalmDatabase *dbOf(const PlanSet &set, DbId id) {
    try {
        return &set.db(id);
    } catch (const StoreError &) {
        return nullptr; // no plan open: the report lists nothing
    }
}

void writeKind(int kind, const PlanSet &set, const QString &path, const QString &title) {
    writeReportFile(path, reportText(kind, set, title));
}

} // namespace

const Info *info(int kind) {
    for (const Info &i : kReports) {
        if (i.kind == kind)
            return &i;
    }
    return nullptr;
}

QByteArray detailsReport(const PalmDatabase *plan, const QString &title) {
    Html html;
    html.begin(title);
    const Record *r = countOf(plan) > 0 ? &plan->records().item(1) : nullptr;

    html.line(QLatin1StringView("<table border=\"1\" width=\"92%\" height = \"67\">"));
    html.line(QLatin1StringView("<tr><td width=\"14%\" height=\"30\"><b>Wedding Date:</b></td>"));
    html.line(QLatin1StringView("<td width=\"86%\" height=\"30\">"));
    if (r && r->has("date"))
        html.line(Text{r->text("date")}, QLatin1StringView("</td></tr>"));
    else
        html.line(QLatin1StringView("&nbsp;</td></tr>"));
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

    // Church and reception: a "Status:" row shows the confirmation in words.
    auto place = [&](QLatin1StringView width, std::initializer_list<Row> rows) {
        html.line(QLatin1StringView("<table border=\"1\" cellpadding=\"1\" cellspacing=\"1\" "
                                    "width=\""),
                  width, QLatin1StringView("\">"));
        for (const Row &row : rows) {
            const QLatin1StringView label(row.label);
            if (label == QLatin1StringView("Status:")) {
                const bool confirmed = r && r->value(row.code).toBool();
                html.line(QLatin1StringView("<tr><td width=\"23%\"><b>"), label,
                          QLatin1StringView("</b></td><td width=\"77%\">"),
                          confirmed ? QLatin1StringView("<b>CONFIRMED</b>")
                                    : QLatin1StringView("<b>UNCONFIRMED</b>"),
                          QLatin1StringView("</td></tr>"));
            } else {
                html.line(QLatin1StringView("<tr><td width=\"23%\"><b>"), label,
                          QLatin1StringView("</b></td><td width=\"77%\">"),
                          valueOrSpace(r, row.code), QLatin1StringView("</td></tr>"));
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

QByteArray partyReport(const PalmDatabase *party, const QString &title) {
    const int n = countOf(party);
    Html html(n);
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
    html.line(QLatin1StringView("</table></body></html>"));
    return html.take();
}

QByteArray guestReport(const PalmDatabase *guests, const QString &title) {
    const int n = countOf(guests);
    Html html(n);
    html.begin(title);
    listTableStart(html, {{"14%", "Name"},
                          {"14%", "Relation"},
                          {"20%", "Address"},
                          {"14%", "Phone"},
                          {"14%", "Status"},
                          {"9%", "RSVP"},
                          {"15%", "Notes"}});
    for (int i = 1; i <= n; ++i) {
        const Record &r = guests->records().item(i);
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
    html.line(QLatin1StringView("</table></body></html>"));
    return html.take();
}

QByteArray vendorReport(const PalmDatabase *vendors, const QString &title) {
    const int n = countOf(vendors);
    Html html(n);
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
    for (int i = 1; i <= n; ++i) {
        const Record &r = vendors->records().item(i);
        html.line(QLatin1StringView("<tr>"));
        cell(html, r, "vnam", w12);
        cell(html, r, "vtyp", w12);
        cell(html, r, "vcnt", w12);
        addressCell(html, r, {"vadr", "vcit", "vsta", "vzip"},
                    QLatin1StringView("<td width=\"14%\">"), QLatin1StringView("<p>"));
        cell(html, r, "vpho", w12);
        html.line(r.value("vcon").toBool()
                      ? QLatin1StringView("<td width=\"12%\">CONFIRMED</td>")
                      : QLatin1StringView("<td width=\"12%\">UNCONFIRMED</td>"));
        cell(html, r, "vcos", w12);
        cell(html, r, "vnot", QLatin1StringView("<td width=\"14%\">"));
        html.line(QLatin1StringView("</tr>"));
    }
    html.line(QLatin1StringView("</table></body></html>"));
    return html.take();
}

QByteArray taskReport(const PalmDatabase *tasks, const QString &title) {
    const int n = countOf(tasks);
    Html html(n);
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
    html.line(QLatin1StringView("</table></body></html>"));
    return html.take();
}

QByteArray paymentReport(const PalmDatabase *vendors, const QString &title) {
    const int n = countOf(vendors);
    Html html(n);
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
    auto row = [&](const Record &r, FieldCode due, FieldCode amount) {
        html.line(QLatin1StringView("<tr>"));
        cell(html, r, due, QLatin1StringView("<td width=\"15%\">"));
        cell(html, r, amount, QLatin1StringView("<td width=\"10%\">"));
        cell(html, r, "vnam", w20);
        cell(html, r, "vcnt", w20);
        // Blank parts are left out here rather than shown as spaces.
        const QString city = r.text("vcit");
        html.line(w20, Text{r.text("vadr")}, QLatin1StringView("<br>"),
                  Text{city.isEmpty() ? QString() : city + QStringLiteral(", ")},
                  Text{r.has("vsta") ? r.text("vsta") + u' ' : QString()}, Text{r.text("vzip")},
                  QLatin1StringView("</td>"));
        cell(html, r, "vpho", QLatin1StringView("<td width=\"15%\">"));
        html.line(QLatin1StringView("</tr>"));
    };

    html.line(QLatin1StringView("<h2>Pending Payments</h2>"));
    tableStart();
    for (int i = 1; i <= n; ++i) {
        const Record &r = vendors->records().item(i);
        // A next payment of "0" is still a payment to list.
        if (r.value("vcon").toBool() && r.has("npay") && !r.text("npay").isEmpty())
            row(r, "ndat", "npay");
    }
    html.line(QLatin1StringView("</table></p>"));
    html.line(QLatin1StringView("<p><h2>Final Payments</h2>"));
    tableStart();
    for (int i = 1; i <= n; ++i) {
        const Record &r = vendors->records().item(i);
        if (r.value("vcon").toBool())
            row(r, "dued", "vbal");
    }
    html.line(QLatin1StringView("</table></body></html>"));
    return html.take();
}

QByteArray reportText(int kind, const PlanSet &set, const QString &title) {
    switch (kind) {
    case Details:
        return detailsReport(dbOf(set, DbId::Plan), title);
    case Party:
        return partyReport(dbOf(set, DbId::Party), title);
    case Guests:
        return guestReport(dbOf(set, DbId::Guest), title);
    case Vendors:
        return vendorReport(dbOf(set, DbId::Vendors), title);
    case Tasks:
        return taskReport(dbOf(set, DbId::Tasks), title);
    case Payments:
        return paymentReport(dbOf(set, DbId::Vendors), title);
    case Seating:
        return seatingReport(dbOf(set, DbId::Tables), dbOf(set, DbId::Guest), title);
    default:
        return {};
    }
}

void writeReportFile(const QString &path, const QByteArray &html) {
    SafeFile::writeAtomically(path, html);
}

void WriteDetailsReport(const PlanSet &set, const QString &path, const QString &title) {
    writeKind(Details, set, path, title);
}
void WritePartyReport(const PlanSet &set, const QString &path, const QString &title) {
    writeKind(Party, set, path, title);
}
void WriteGuestReport(const PlanSet &set, const QString &path, const QString &title) {
    writeKind(Guests, set, path, title);
}
void WriteVendorReport(const PlanSet &set, const QString &path, const QString &title) {
    writeKind(Vendors, set, path, title);
}
void WriteTaskReport(const PlanSet &set, const QString &path, const QString &title) {
    writeKind(Tasks, set, path, title);
}
void WritePaymentReport(const PlanSet &set, const QString &path, const QString &title) {
    writeKind(Payments, set, path, title);
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
