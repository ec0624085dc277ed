// The seating report: an escort list (every guest and their table, alphabetically), the guests
// of each table with its seat count (in two columns, as many tables to a page as fit), and a
// chart of the tables drawn as circles with the seated names around them. One file, so the
// whole seating prints as one job; the three parts start on pages of their own.

#include "reports.h"

#include "rules/guestcount.h"
#include "rules/replies.h"
#include "rules/seating.h"
#include "store/numbers.h"

#include <QCollator>
#include <QHash>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>
#include <vector>

namespace Reports {

namespace {

struct Guest {
    QString name;
    qint64 people = 0; // seats taken: the people of the guest count (one for an empty RSVP)
    int table = -1;    // index into the tables; -1 when not seated
};

struct Table {
    QString tag; // trimmed ID
    QString description;
    qint64 maxSeats = 0; // 0: no maximum set
    qint64 people = 0;
    bool listed = true;      // false: guests hold this ID but the table list lacks it
    bool duplicate = false;  // an earlier table has the same ID and gets its guests
    std::vector<int> guests; // in name order
};

struct Plan {
    std::vector<Guest> guests;
    std::vector<int> byName; // guest indexes in the locale's alphabetical order
    std::vector<Table> tables;
    std::vector<int> unseated; // in name order
    qint64 unseatedPeople = 0;
};

// A name as it prints: a run of invisible format characters (zero-width spaces and joiners,
// direction marks) as its first one. They show nothing, one still joins what it joins, and a
// name pasted from a web page can carry thousands of them.
QString printedName(const QString &name) {
    // Every format character lies at or above the soft hyphen: most letters need no lookup.
    auto invisible = [](QChar c) {
        return c.unicode() >= 0xAD && c.category() == QChar::Other_Format;
    };
    qsizetype i = 1;
    while (i < name.size() && !(invisible(name[i]) && invisible(name[i - 1])))
        ++i;
    if (i >= name.size())
        return name; // nothing to drop: the stored text itself, no copy
    QString out = name.left(i);
    for (; i < name.size(); ++i) {
        if (!(invisible(name[i]) && invisible(name[i - 1])))
            out += name[i];
    }
    return out;
}

Plan collect(const PalmDatabase *tables, const PalmDatabase *guests, const QLocale &locale) {
    Plan plan;
    QHash<QString, int> byTag;
    if (tables) {
        for (const auto &record : tables->records().raw()) {
            Table t;
            t.tag = Seating::tableTag(*record);
            t.description = record->text("tabl");
            t.maxSeats = std::max<qint64>(
                0, Numbers::clampedInteger(Seating::storedNumber(*record, Seating::kMaxSeats)));
            // An ID of blanks alone seats nobody; a repeated ID seats its guests at the first.
            if (byTag.contains(t.tag))
                t.duplicate = true;
            else if (!t.tag.isEmpty())
                byTag.insert(t.tag, int(plan.tables.size()));
            plan.tables.push_back(std::move(t));
        }
    }
    if (guests) {
        plan.guests.reserve(guests->records().raw().size());
        for (const auto &record : guests->records().raw()) {
            // A guest who declined has no seat and no place card.
            if (Replies::replyOf(*record) == Replies::Reply::Declined)
                continue;
            Guest g;
            g.name = printedName(record->text("gnam"));
            // Seats as the guest count counts people, so the chart and the count agree.
            g.people = guestPeople(record->value(Seating::kRsvp));
            const QString tag = record->text(Seating::kGuestTag).trimmed();
            if (!tag.isEmpty()) {
                auto it = byTag.constFind(tag);
                if (it == byTag.constEnd()) {
                    // Seated at a table the list no longer has: it still gets a page, so no
                    // guest drops out of the printout.
                    Table missing;
                    missing.tag = tag;
                    missing.listed = false;
                    it = byTag.insert(tag, int(plan.tables.size()));
                    plan.tables.push_back(std::move(missing));
                }
                g.table = it.value();
            }
            plan.guests.push_back(std::move(g));
        }
    }

    // The C locale (no language chosen) orders by code point: "Zoë" before "Émile" and every
    // capital before every small letter. Names are ordered as in English then.
    QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
    collator.setNumericMode(true); // "Guest 2" before "Guest 10"
    std::vector<QCollatorSortKey> keys;
    keys.reserve(plan.guests.size());
    for (const Guest &g : plan.guests)
        keys.push_back(collator.sortKey(g.name));
    plan.byName.resize(plan.guests.size());
    for (std::size_t i = 0; i < plan.byName.size(); ++i)
        plan.byName[i] = int(i);
    // Stable, so guests of the same name keep their record order.
    std::stable_sort(plan.byName.begin(), plan.byName.end(),
                     [&keys](int a, int b) { return keys[a].compare(keys[b]) < 0; });

    for (int i : plan.byName) {
        const Guest &g = plan.guests[std::size_t(i)];
        if (g.table < 0) {
            plan.unseated.push_back(i);
            plan.unseatedPeople += g.people;
            continue;
        }
        Table &t = plan.tables[std::size_t(g.table)];
        t.guests.push_back(i);
        t.people += g.people;
    }
    return plan;
}

// The report's text: markup as it is, values escaped.
class Out {
public:
    Out &operator<<(const char *markup) {
        m_out.append(markup);
        return *this;
    }
    Out &operator<<(const QByteArray &markup) {
        m_out.append(markup);
        return *this;
    }
    Out &text(QStringView value) {
        appendEscaped(m_out, value);
        return *this;
    }
    Out &number(qint64 value) {
        m_out.append(QByteArray::number(value));
        return *this;
    }
    // A coordinate in the chart, in hundredths: fixed decimals, whatever the locale.
    Out &at(double value) {
        const qint64 hundredths = std::llround(value * 100);
        if (hundredths < 0)
            m_out.append('-');
        const qint64 magnitude = hundredths < 0 ? -hundredths : hundredths;
        m_out.append(QByteArray::number(magnitude / 100));
        const int rest = int(magnitude % 100);
        if (rest != 0) {
            const char digits[] = {'.', char('0' + rest / 10), char('0' + rest % 10)};
            m_out.append(digits, rest % 10 ? 3 : 2);
        }
        return *this;
    }
    void reserve(qsizetype n) { m_out.reserve(n); }
    QByteArray &bytes() { return m_out; }
    QByteArray take() { return std::move(m_out); }

private:
    QByteArray m_out;
};

QString tableHeading(const Table &t) {
    if (t.tag.isEmpty())
        return QStringLiteral("Table without an ID");
    if (t.tag.startsWith(QLatin1StringView("table"), Qt::CaseInsensitive))
        return t.tag;
    return QStringLiteral("Table ") + t.tag;
}

QString guestsText(std::size_t count) {
    return count == 1 ? QStringLiteral("1 guest") : QStringLiteral("%1 guests").arg(count);
}

QString seatsText(qint64 count) {
    return count == 1 ? QStringLiteral("1 seat") : QStringLiteral("%1 seats").arg(count);
}

QString seatSummary(const Table &t) {
    const QString guests = guestsText(t.guests.size());
    if (t.maxSeats <= 0)
        return QStringLiteral("%1, %2 seats taken; no maximum set").arg(guests).arg(t.people);
    const qint64 free = t.maxSeats - t.people;
    return QStringLiteral("%1, %2 of %3 seats taken, %4")
        .arg(guests)
        .arg(t.people)
        .arg(t.maxSeats)
        .arg(free >= 0 ? QStringLiteral("%1 free").arg(free)
                       : QStringLiteral("%1 over").arg(-free));
}

// "12 guests need 15 seats": what the guests not yet seated will take.
QString unseatedSummary(const Plan &plan) {
    const std::size_t n = plan.unseated.size();
    return QStringLiteral("%1 %2 %3")
        .arg(guestsText(n), n == 1 ? QStringLiteral("needs") : QStringLiteral("need"),
             seatsText(plan.unseatedPeople));
}

const char *const kStyle =
    "h2 { font-size: 14pt; margin: 0 0 3mm; }\r\n"
    "h3 { font-size: 12pt; margin: 0 0 1mm; break-after: avoid; }\r\n"
    "p { margin: 0 0 2mm; }\r\n"
    "table.list { width: 100%; }\r\n"
    "table.list th, table.list td { border: 1px solid #999; text-align: left; }\r\n"
    "table.list .seats, table.list .no { text-align: right; width: 12%; }\r\n"
    "td.unseated { font-style: italic; }\r\n"
    ".note { font-style: italic; }\r\n"
    "#tables, #chart, .sheet + .sheet { break-before: page; }\r\n"
    "#tables { columns: 2; column-gap: 8mm; }\r\n"
    "#tables h2 { column-span: all; }\r\n"
    ".table-block { break-inside: avoid; margin: 0 0 5mm; }\r\n"
    ".sheet { break-inside: avoid; }\r\n"
    ".sheet svg { display: block; width: 100%; height: auto; }\r\n"
    "svg text { font-family: Arial, Helvetica, \"Liberation Sans\", sans-serif; }\r\n";

void escortList(Out &out, const Plan &plan) {
    out << "<section id=\"escort\">\r\n<h2>Escort List</h2>\r\n";
    out << "<table class=\"list\">\r\n<thead><tr><th>Guest</th><th class=\"seats\">Seats</th>"
           "<th>Table</th></tr></thead>\r\n<tbody>\r\n";
    for (int i : plan.byName) {
        const Guest &g = plan.guests[std::size_t(i)];
        out << "<tr><td class=\"guest\">";
        out.text(g.name) << "</td><td class=\"seats\">";
        out.number(g.people) << "</td>";
        if (g.table < 0) {
            out << "<td class=\"table unseated\">Not seated</td></tr>\r\n";
        } else {
            out << "<td class=\"table\">";
            out.text(plan.tables[std::size_t(g.table)].tag) << "</td></tr>\r\n";
        }
    }
    out << "</tbody></table>\r\n</section>\r\n";
}

// Numbered guests with their seats.
void guestList(Out &out, const Plan &plan, const std::vector<int> &guests) {
    out << "<table class=\"list\">\r\n<thead><tr><th class=\"no\">No.</th><th>Guest</th>"
           "<th class=\"seats\">Seats</th></tr></thead>\r\n<tbody>\r\n";
    int row = 0;
    for (int i : guests) {
        const Guest &g = plan.guests[std::size_t(i)];
        out << "<tr><td class=\"no\">" << QByteArray::number(++row) << "</td><td class=\"guest\">";
        out.text(g.name) << "</td><td class=\"seats\">";
        out.number(g.people) << "</td></tr>\r\n";
    }
    out << "</tbody></table>\r\n";
}

// Each table with its guests, then the guests not yet seated: every guest once.
void tableBlocks(Out &out, const Plan &plan) {
    out << "<section id=\"tables\">\r\n<h2>Guests by Table</h2>\r\n";
    for (const Table &t : plan.tables) {
        out << "<div class=\"table-block\">\r\n<h3>";
        out.text(tableHeading(t)) << "</h3>\r\n";
        if (!t.description.isEmpty()) {
            out << "<p class=\"description\">";
            appendEscapedLines(out.bytes(), t.description);
            out << "</p>\r\n";
        }
        if (!t.listed)
            out << "<p class=\"note\">Guests are seated at this ID, but the table list has no "
                   "table with it.</p>\r\n";
        if (t.duplicate)
            out << "<p class=\"note\">An earlier table has the same ID; the guests seated at "
                   "it are listed there.</p>\r\n";
        out << "<p class=\"count\">";
        out.text(seatSummary(t)) << "</p>\r\n";
        if (!t.guests.empty())
            guestList(out, plan, t.guests);
        out << "</div>\r\n";
    }
    if (!plan.unseated.empty()) {
        out << "<div class=\"table-block\" id=\"unseated\">\r\n<h3>Not seated</h3>\r\n"
               "<p class=\"count\">";
        out.text(unseatedSummary(plan)) << "</p>\r\n";
        guestList(out, plan, plan.unseated);
        out << "</div>\r\n";
    }
    out << "</section>\r\n";
}

// --- The chart -----------------------------------------------------------------------------
// Units are millimetres of an A4 page less its margins; on Letter the sheet scales by a few
// per cent. Six tables to a sheet in two columns leave room for names of some twenty letters
// at 8.5 pt, which stays readable on paper.

constexpr double kSheetWidth = 190;
constexpr int kColumns = 2;
constexpr int kRows = 3;
constexpr double kCellWidth = kSheetWidth / kColumns;
constexpr double kCellHeight = 77;
constexpr double kRadius = 9.5;
constexpr double kNameSize = 3.0;
constexpr double kIdSize = 4.2;
constexpr double kSmallSize = 2.8;
constexpr double kPad = 1.5;
// Name labels sit between these distances above and below the table's centre.
constexpr double kLabelReach = 31;
constexpr double kLabelGap = 3.8; // closest line spacing, 1.25 lines
constexpr double kLabelSpacing = 6.0;

// Advance widths of DejaVu Sans (Debian's default sans-serif face, and wider than Arial or
// Liberation Sans) for the printable ASCII characters, in thousandths of an em.
constexpr short kAsciiWidths[95] = {
    318, 401, 460, 838, 636, 950, 780, 275, 390, 390, 500, 838, 318, 361,  318, 337, 636, 636, 636,
    636, 636, 636, 636, 636, 636, 636, 337, 337, 838, 838, 838, 531, 1000, 684, 686, 698, 770, 632,
    575, 775, 752, 295, 295, 656, 557, 863, 748, 787, 603, 787, 695, 635,  611, 732, 684, 989, 685,
    611, 685, 390, 337, 390, 838, 500, 500, 613, 635, 550, 635, 615, 352,  635, 634, 278, 278, 579,
    278, 974, 634, 612, 635, 635, 411, 521, 392, 634, 592, 818, 592, 592,  525, 636, 337, 636, 838,
};

// The width of `text` in ems as a browser will print it, near enough to shorten a name before
// it runs into its neighbour. Accented letters count as their base letter.
double estimatedEms(QStringView text) {
    double ems = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        const QChar::Category cat = QChar::category(c);
        if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_Enclosing ||
            cat == QChar::Other_Format)
            continue;
        if (c >= 0x80 && c < 0x10000) {
            const QString base = QChar(char16_t(c)).decomposition();
            if (!base.isEmpty() && base[0].unicode() < 0x80)
                c = base[0].unicode();
        }
        if (c >= 32 && c < 127)
            ems += kAsciiWidths[c - 32] / 1000.0;
        else if ((c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                 (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                 (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                 (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x1F000)
            ems += 1.0; // wide: CJK, Hangul, full-width forms, emoji
        else
            ems += 0.8; // other scripts and signs: on the wide side of a Latin letter
    }
    return ems;
}

// `text` as it fits in `width` at `size`: whole, or cut between two characters as the reader
// sees them (never inside an accent or a surrogate pair) and ended with an ellipsis.
QString fitted(const QString &text, double width, double size, bool *cut = nullptr) {
    const QString simple = text.simplified(); // line breaks and runs of blanks print as one
    if (cut)
        *cut = false;
    if (estimatedEms(simple) * size <= width)
        return simple;
    if (cut)
        *cut = true;
    const double room = width / size - 1.0; // the ellipsis is about one em
    // One character as the reader sees it at a time, each measured once: linear in the
    // name's length, however many zero-width characters pad it.
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, simple);
    qsizetype end = 0;
    double ems = 0;
    for (qsizetype next = graphemes.toNextBoundary(); next > 0; next = graphemes.toNextBoundary()) {
        ems += estimatedEms(QStringView(simple).mid(end, next - end));
        if (ems > room)
            break;
        end = next;
    }
    return QStringView(simple).left(end).trimmed().toString() + QChar(0x2026);
}

// One line of chart text, with the full text as a tooltip when it had to be shortened.
void label(Out &out, double x, double y, const char *anchor, double size, const QString &text,
           double width, const char *extra = "") {
    bool cut = false;
    const QString shown = fitted(text, width, size, &cut);
    out << "<text x=\"";
    out.at(x) << "\" y=\"";
    out.at(y + size * 0.35) << "\" font-size=\"";
    out.at(size) << "\" text-anchor=\"" << anchor << "\"" << extra << ">";
    out.text(shown);
    if (cut) {
        out << "<title>";
        out.text(text.simplified()) << "</title>";
    }
    out << "</text>\r\n";
}

void cellFrame(Out &out, double x0, double y0) {
    out << "<rect x=\"";
    out.at(x0 + 0.5) << "\" y=\"";
    out.at(y0 + 0.5) << "\" width=\"";
    out.at(kCellWidth - 1) << "\" height=\"";
    out.at(kCellHeight - 1) << "\" rx=\"2\" fill=\"none\" stroke=\"#bbb\" "
                               "stroke-width=\"0.25\"/>\r\n";
}

void drawTable(Out &out, const Plan &plan, const Table &t, double x0, double y0) {
    const double cx = x0 + kCellWidth / 2;
    const double cy = y0 + 35;
    cellFrame(out, x0, y0);
    out << "<circle cx=\"";
    out.at(cx) << "\" cy=\"";
    out.at(cy) << "\" r=\"";
    out.at(kRadius) << "\" fill=\"#f4f4f4\" stroke=\"#000\" stroke-width=\"0.5\""
                    << (t.listed ? "" : " stroke-dasharray=\"2 1\"") << "/>\r\n";
    // The ID inside the circle, smaller when long; the seats below it.
    const double inside = 2 * kRadius - 3;
    const QString id = t.tag.isEmpty() ? QStringLiteral("?") : t.tag;
    const double idSize = estimatedEms(id) * kIdSize * 1.15 <= inside ? kIdSize : kSmallSize;
    label(out, cx, cy - 1.2, "middle", idSize, id, inside / 1.15, " font-weight=\"bold\"");
    const QString seats = t.maxSeats > 0 ? QStringLiteral("%1/%2").arg(t.people).arg(t.maxSeats)
                                         : QString::number(t.people);
    label(out, cx, cy + 4, "middle", kSmallSize, seats, inside);
    // Below the table: the whole ID when the circle could not hold it, and the description.
    QStringList caption;
    if (estimatedEms(id) * kSmallSize * 1.15 > inside)
        caption << id;
    if (!t.listed)
        caption << QStringLiteral("not in the table list");
    else if (t.duplicate)
        caption << QStringLiteral("same ID as an earlier table");
    else if (!t.description.trimmed().isEmpty())
        caption << t.description;
    if (!caption.isEmpty())
        label(out, cx, y0 + kCellHeight - 4.5, "middle", kSmallSize,
              caption.join(QStringLiteral(" \u2013 ")), kCellWidth - 2 * kPad - 2,
              " fill=\"#333\"");

    // Names clockwise from the top: down the right side, then up the left side.
    const int perSide = int(2 * kLabelReach / kLabelGap) + 1;
    const int total = int(t.guests.size());
    const int shown = std::min(total, 2 * perSide);
    std::vector<QString> names;
    names.reserve(std::size_t(shown));
    for (int k = 0; k < shown; ++k)
        names.push_back(plan.guests[std::size_t(t.guests[std::size_t(k)])].name);
    if (total > shown)
        names.back() = QStringLiteral("+ %1 more").arg(total - shown + 1);
    const int right = (shown + 1) / 2;
    auto place = [&](int count, int first, bool onRight) {
        const double spacing =
            count > 1 ? std::min(kLabelSpacing, 2 * kLabelReach / (count - 1)) : 0;
        for (int k = 0; k < count; ++k) {
            const double dy = (onRight ? k - (count - 1) / 2.0 : (count - 1) / 2.0 - k) * spacing;
            // Hug the circle: start just clear of it at the label's nearest edge.
            const double near = std::max(0.0, std::abs(dy) - kNameSize / 2);
            const double clear = kRadius + 1.5;
            const double dx = near < clear ? std::sqrt(clear * clear - near * near) : 1.2;
            const double x = onRight ? cx + std::max(dx, 1.2) : cx - std::max(dx, 1.2);
            const double width = onRight ? (x0 + kCellWidth - kPad) - x : x - (x0 + kPad);
            label(out, x, cy + dy, onRight ? "start" : "end", kNameSize,
                  names[std::size_t(first + k)], width);
        }
    };
    place(right, 0, true);
    place(shown - right, right, false);
}

// Unseated guests fill the cells after the tables, two columns of names to a cell.
constexpr double kListTop = 12;
constexpr double kListLine = 4.2;
constexpr int kListRows = int((kCellHeight - 3 - kListTop) / kListLine) + 1;
constexpr int kListPerCell = 2 * kListRows;

void drawUnseated(Out &out, const Plan &plan, int from, double x0, double y0) {
    cellFrame(out, x0, y0);
    const int total = int(plan.unseated.size());
    const QString heading = from == 0 ? QStringLiteral("Not seated: ") + unseatedSummary(plan)
                                      : QStringLiteral("Not seated, continued");
    label(out, x0 + 3, y0 + 6, "start", 3.6, heading, kCellWidth - 6, " font-weight=\"bold\"");
    const double column = (kCellWidth - 6) / 2;
    for (int k = 0; k < kListPerCell && from + k < total; ++k) {
        const double x = x0 + 3 + (k / kListRows) * column;
        const double y = y0 + kListTop + (k % kListRows) * kListLine;
        label(out, x, y, "start", kNameSize,
              plan.guests[std::size_t(plan.unseated[std::size_t(from + k)])].name, column - 2);
    }
}

void chart(Out &out, const Plan &plan) {
    out << "<section id=\"chart\">\r\n<h2>Seating Chart</h2>\r\n";
    const int tables = int(plan.tables.size());
    const int lists = (int(plan.unseated.size()) + kListPerCell - 1) / kListPerCell;
    const int cells = tables + lists;
    if (cells == 0) {
        out << "<p>There are no tables and no guests yet.</p>\r\n</section>\r\n";
        return;
    }
    const int perSheet = kColumns * kRows;
    const int sheets = (cells + perSheet - 1) / perSheet;
    for (int sheet = 0; sheet < sheets; ++sheet) {
        const int first = sheet * perSheet;
        const int count = std::min(perSheet, cells - first);
        const int rows = (count + kColumns - 1) / kColumns;
        // A last sheet of a few tables is only as tall as its rows.
        const double height = rows * kCellHeight;
        out << "<div class=\"sheet\"><svg xmlns=\"http://www.w3.org/2000/svg\" "
               "viewBox=\"0 0 ";
        out.at(kSheetWidth) << " ";
        out.at(height) << "\" width=\"100%\" role=\"img\" aria-label=\"Seating chart, sheet "
                       << QByteArray::number(sheet + 1) << " of " << QByteArray::number(sheets)
                       << "\">\r\n";
        for (int k = 0; k < count; ++k) {
            const int cell = first + k;
            const double x0 = (k % kColumns) * kCellWidth;
            const double y0 = (k / kColumns) * kCellHeight;
            if (cell < tables)
                drawTable(out, plan, plan.tables[std::size_t(cell)], x0, y0);
            else
                drawUnseated(out, plan, (cell - tables) * kListPerCell, x0, y0);
        }
        out << "</svg></div>\r\n";
    }
    out << "</section>\r\n";
}

} // namespace

QByteArray seatingReport(const PalmDatabase *tables, const PalmDatabase *guests,
                         const QString &title, const Context &context) {
    const Plan plan = collect(tables, guests, context.locale);
    Out out;
    out.reserve(4096 + qsizetype(plan.guests.size()) * 400 + qsizetype(plan.tables.size()) * 600);
    appendHead(out.bytes(), title, context, kStyle);
    escortList(out, plan);
    tableBlocks(out, plan);
    chart(out, plan);
    out << "</body></html>\r\n";
    return out.take();
}

} // namespace Reports
