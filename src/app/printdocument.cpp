#include "printdocument.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>
#include <map>

namespace Print {

namespace {

constexpr double kPadX = pt(3);
constexpr double kPadY = pt(1.5);
constexpr double kColumnGap = mm(8);
constexpr double kRule = pt(0.5);
constexpr double kTotalRule = pt(1.5);
constexpr double kTableAfter = mm(4);
constexpr double kDrawingAfter = mm(4);
constexpr double kFootGap = mm(3);
constexpr double kCellPoints = 9;
constexpr double kFootPoints = 8;
// Half a dot: what is left of a length that should be zero after sums of doubles.
constexpr double kSlack = 0.5;

struct StyleInfo {
    double points;
    bool bold;
    bool italic;
    double before; // left out at the top of a column
    double after;
    bool keepWithNext; // a heading never stands alone at the foot of a column
};

StyleInfo styleInfo(Style style) {
    switch (style) {
    case Style::Title:
        return {16, true, false, 0, mm(1), true};
    case Style::Subtitle:
        return {9, false, false, 0, mm(4), true};
    case Style::Heading:
        return {14, true, false, mm(4), mm(3), true};
    case Style::Subheading:
        return {12, true, false, mm(2), mm(1), true};
    case Style::Note:
        return {9, false, true, 0, mm(2), false};
    case Style::Body:
        break;
    }
    return {9, false, false, 0, mm(2), false};
}

QFont makeFont(double pixels, bool bold, bool italic) {
    QFont font;
    // The reports' own faces first; DejaVu Sans is on every Debian desktop.
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Helvetica"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setBold(bold);
    font.setItalic(italic);
    // Whole dots for every letter's width: the positions a PDF file spells out per letter stay
    // short (at 1200 dots to the inch no reader sees the rounding).
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QString withPlainBreaks(const QString &text) {
    if (!text.contains(u'\r'))
        return text;
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(u'\r', u'\n');
    return plain;
}

// Letters that print alone, each with its own width: Latin, Greek and Cyrillic without their
// combining marks. Texts of them alone are measured letter by letter.
bool plainLetter(char16_t c) {
    return c >= 0x20 && c < 0x530 && c != 0x7f && !(c >= 0x300 && c < 0x370) &&
           !(c >= 0x483 && c < 0x48a);
}

} // namespace

// --- Fonts ------------------------------------------------------------------------------------

TextWidths::TextWidths(const QFont &font)
    : m_font(font)
    , m_metrics(font) {
    m_letters.fill(-1);
    m_space = of(u" ");
}

double TextWidths::of(QStringView text) {
    double width = 0;
    bool plain = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!plainLetter(u)) {
            plain = false;
            break;
        }
        float &letter = m_letters[u];
        if (letter < 0)
            letter = float(m_metrics.horizontalAdvance(c));
        width += letter;
    }
    // The sum of the letters' widths, where draw() sets them. Measured once per letter, it keeps
    // a list of 65,535 guests from being measured name by name.
    if (plain)
        return width;
    // Other scripts join, reorder and combine letters: measured whole, and remembered.
    const QString whole = text.toString();
    const auto found = m_widths.constFind(whole);
    if (found != m_widths.constEnd())
        return *found;
    width = m_metrics.horizontalAdvance(whole);
    if (m_widths.size() < 200000 && whole.size() <= 80)
        m_widths.insert(whole, width);
    return width;
}

void TextWidths::draw(QPainter &painter, QPointF at, QStringView text) {
    // Text of plain letters goes out as the face's glyphs at the widths it was measured with:
    // nothing to shape, which a list of thousands of pages would otherwise spend most of its
    // time on. Other text, and letters the face lacks, are set by Qt as usual.
    constexpr qsizetype kRun = 256;
    constexpr quint32 kNoGlyph = 0xffffffff;
    if (text.size() <= kRun) {
        quint32 glyphs[kRun];
        QPointF positions[kRun];
        double x = 0;
        qsizetype n = 0;
        for (; n < text.size(); ++n) {
            const char16_t c = text[n].unicode();
            if (!plainLetter(c))
                break;
            quint32 &glyph = m_glyphs[c];
            if (glyph == 0) {
                if (!m_raw.isValid())
                    m_raw = QRawFont::fromFont(m_font);
                const QList<quint32> found = m_raw.glyphIndexesForString(QString(QChar(c)));
                glyph = found.isEmpty() || found.first() == 0 ? kNoGlyph : found.first();
            }
            if (glyph == kNoGlyph)
                break; // another face has it
            if (m_letters[c] < 0)
                m_letters[c] = float(m_metrics.horizontalAdvance(QChar(c)));
            glyphs[n] = glyph;
            positions[n] = QPointF(x, 0);
            x += m_letters[c];
        }
        if (n == text.size()) {
            if (n == 0)
                return;
            QGlyphRun run;
            run.setRawFont(m_raw);
            run.setRawData(glyphs, positions, int(n));
            painter.drawGlyphRun(at, run);
            return;
        }
    }
    painter.setFont(m_font);
    painter.drawText(at, text.toString());
}

Fonts::Fonts()
    : m_body(makeFont(pt(kCellPoints), false, false))
    , m_bold(makeFont(pt(kCellPoints), true, false))
    , m_foot(makeFont(pt(kFootPoints), false, false)) {
    for (Style style : {Style::Title, Style::Subtitle, Style::Heading, Style::Subheading,
                        Style::Body, Style::Note}) {
        const StyleInfo info = styleInfo(style);
        m_styles.push_back(
            std::make_unique<TextWidths>(makeFont(pt(info.points), info.bold, info.italic)));
    }
}

TextWidths &Fonts::of(Style style) {
    return *m_styles[std::size_t(style)];
}

TextWidths &Fonts::sized(double pixels, bool bold) {
    const int key = std::max(1, int(std::lround(pixels))) * 2 + (bold ? 1 : 0);
    auto &slot = m_sized[key];
    if (!slot)
        slot = std::make_unique<TextWidths>(makeFont(pixels, bold, false));
    return *slot;
}

namespace {

// Calls `line(from, to)` for each line of `paragraph` (no line breaks in it) set in `width`:
// words go on a line while they fit; a word wider than the line is cut between two
// characters as the reader sees them. One paragraph is at least one line.
template <class Line>
void wrap(QStringView paragraph, TextWidths &font, double width, const Line &line) {
    const qsizetype n = paragraph.size();
    qsizetype start = -1; // of the line being filled
    qsizetype end = 0;
    double used = 0;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype gap = i;
        while (i < n && paragraph[i] == u' ')
            ++i;
        if (i >= n)
            break;
        const qsizetype wordStart = i;
        while (i < n && paragraph[i] != u' ')
            ++i;
        const QStringView word = paragraph.mid(wordStart, i - wordStart);
        const double wordWidth = font.of(word);
        const double blanks = double(wordStart - gap) * font.space();
        if (start >= 0 && used + blanks + wordWidth <= width) {
            used += blanks + wordWidth;
            end = i;
            continue;
        }
        if (start >= 0)
            line(start, end);
        start = wordStart;
        end = i;
        used = wordWidth;
        if (wordWidth <= width)
            continue;
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, word.data(), word.size());
        qsizetype from = 0;
        qsizetype previous = 0;
        used = 0;
        for (qsizetype next = graphemes.toNextBoundary(); next > 0;
             next = graphemes.toNextBoundary()) {
            const double part = font.of(word.mid(previous, next - previous));
            if (used + part > width && previous > from) {
                line(wordStart + from, wordStart + previous);
                from = previous;
                used = 0;
            }
            used += part;
            previous = next;
        }
        start = wordStart + from;
    }
    if (start >= 0)
        line(start, end);
    else
        line(0, 0);
}

} // namespace

QStringList Fonts::lines(const QString &text, TextWidths &font, double width) {
    QStringList out;
    const QString plain = withPlainBreaks(text);
    width = std::max(width, pt(4));
    for (QStringView paragraph : QStringView(plain).split(u'\n')) {
        if (font.of(paragraph) <= width) {
            out << paragraph.toString();
            continue;
        }
        wrap(paragraph, font, width, [&](qsizetype from, qsizetype to) {
            out << paragraph.mid(from, to - from).toString();
        });
    }
    return out;
}

int Fonts::lineCount(const QString &text, TextWidths &font, double width) {
    width = std::max(width, pt(4));
    if (!text.contains(u'\n') && !text.contains(u'\r') && font.of(text) <= width)
        return 1;
    int count = 0;
    const QString plain = withPlainBreaks(text);
    for (QStringView paragraph : QStringView(plain).split(u'\n')) {
        if (font.of(paragraph) <= width)
            ++count;
        else
            wrap(paragraph, font, width, [&count](qsizetype, qsizetype) { ++count; });
    }
    return count;
}

// --- Layout -----------------------------------------------------------------------------------

// The words of a sample of a table's rows: the widths of the words of each line of each cell,
// by row and column, to try column widths on without wrapping any text.
struct WordSample {
    using CellWords = std::vector<std::vector<float>>; // lines, each its words' widths
    double space = 0;
    std::vector<std::vector<CellWords>> rows;
};

struct Layout::Piece {
    enum class Kind : quint8 { Lines, Rows, Drawing };
    Kind kind = Kind::Lines;
    bool header = false; // Rows: the heading row first
    int block = 0;
    int first = 0; // Lines: the paragraph's lines [first, last); Rows: the rows
    int last = 0;
    int lineFirst = 0;  // Rows: of a row taller than a page, its lines from here
    int lineCount = -1; // ... this many (-1: the whole row)
    QPointF at;
    double width = 0; // Lines, Rows: of the column; Drawing: the scale
};

// Where a table's columns lie and how tall its rows are, for the width it is set in.
struct Layout::TableGeometry {
    // What each column holds: its widest word and its longest line, padding included. Measured
    // once, on a sample of the rows of a long table.
    std::vector<double> least;
    std::vector<double> most;
    WordSample sample;     // of the rows, for tables sized by their content
    double width = -1;     // the column's width they were made for
    std::vector<double> x; // column edges from the table's left, one more than the columns
    double headerHeight = 0;
    std::vector<float> rowHeights;

    double cellWidth(std::size_t column, int span) const {
        const std::size_t end = std::min(x.size() - 1, column + std::size_t(std::max(span, 1)));
        return column < end ? x[end] - x[column] : 0;
    }
};

namespace {

// The shares of the table's width its columns ask for: each its own share, the columns without
// one sharing what the others leave.
std::vector<double> givenShares(const Table &table) {
    const std::size_t n = std::max<std::size_t>(1, table.columns.size());
    std::vector<double> shares(n, 0);
    double given = 0;
    std::size_t open = 0;
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        shares[c] = std::max(0.0, table.columns[c].share);
        given += shares[c];
        open += shares[c] == 0;
    }
    if (open > 0) {
        const double rest = given < 1 ? (1 - given) / double(open) : 1.0 / double(n);
        for (double &share : shares) {
            if (share == 0)
                share = rest;
        }
    }
    return shares;
}

// Widths that give each column at least its widest word, and beyond that what it asks for
// (`wanted`), as a browser sets a table: no word breaks while the columns' words fit at all.
std::vector<double> widthsWithin(double total, std::vector<double> wanted,
                                 const std::vector<double> &least) {
    double sumLeast = 0;
    for (double w : least)
        sumLeast += w;
    if (sumLeast >= total) {
        // Not even the words fit: every column in proportion to its widest word.
        for (std::size_t c = 0; c < wanted.size(); ++c)
            wanted[c] = sumLeast > 0 ? least[c] * total / sumLeast : total / double(wanted.size());
        return wanted;
    }
    double wantedSum = 0;
    for (double w : wanted)
        wantedSum += w;
    for (double &w : wanted)
        w = wantedSum > 0 ? w * total / wantedSum : total / double(wanted.size());
    // Columns narrower than their widest word take the room from those with some to spare.
    double deficit = 0;
    double spare = 0;
    for (std::size_t c = 0; c < wanted.size(); ++c) {
        if (wanted[c] < least[c])
            deficit += least[c] - wanted[c];
        else
            spare += wanted[c] - least[c];
    }
    if (deficit <= 0 || spare <= 0)
        return wanted;
    for (std::size_t c = 0; c < wanted.size(); ++c) {
        if (wanted[c] < least[c])
            wanted[c] = least[c];
        else
            wanted[c] -= (wanted[c] - least[c]) * deficit / spare;
    }
    return wanted;
}

// About how many lines `cell` takes in `width` (inside the padding), words set one after
// the other and a word wider than the column cut.
int linesIn(const WordSample::CellWords &cell, double width, double space) {
    width = std::max(width, 1.0);
    int count = 0;
    for (const auto &line : cell) {
        int n = 1;
        double x = 0;
        for (const float word : line) {
            if (x > 0 && x + space + word <= width) {
                x += space + word;
                continue;
            }
            if (x > 0) {
                ++n;
                x = 0;
            }
            const int parts = std::max(1, int(std::ceil(word / width)));
            n += parts - 1;
            x = word - (parts - 1) * width;
        }
        count += n;
    }
    return std::max(count, 1);
}

// Widths by what the columns hold, as a browser sets a table without widths: each column its
// longest line when they all fit. Else each its widest word, and the room left goes where it
// saves the most lines on the sampled rows for the room it takes: one more millimetre for a
// status or a phone number saves a line on every row, while names that wrap in a row that a
// two-line note makes two lines high anyway gain nothing.
std::vector<double> fittedWidths(double total, const std::vector<double> &least,
                                 std::vector<double> most, const WordSample &sample) {
    const std::size_t n = least.size();
    double sumLeast = 0;
    double sumMost = 0;
    for (std::size_t c = 0; c < n; ++c) {
        most[c] = std::max(most[c], least[c]);
        sumLeast += least[c];
        sumMost += most[c];
    }
    if (sumMost <= total) {
        for (double &w : most)
            w += (total - sumMost) * w / sumMost;
        return most;
    }
    if (sumLeast >= total)
        return widthsWithin(total, least, least);

    std::vector<double> widths = least;
    double room = total - sumLeast;
    const std::size_t rows = sample.rows.size();
    auto count = [&](std::size_t r, std::size_t c, double width) {
        const auto &cells = sample.rows[r];
        return c < cells.size() ? linesIn(cells[c], width - 2 * kPadX, sample.space) : 1;
    };
    std::vector<int> lines(rows * n, 1);
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < n; ++c)
            lines[r * n + c] = count(r, c, widths[c]);
    }
    // The widths worth trying: those of the runs of words a sampled line can break into
    // ("Anne Marie" of "Anne Marie Smith"), at which a cell takes a line less.
    std::vector<std::vector<double>> tries(n);
    for (std::size_t c = 0; c < n; ++c) {
        std::vector<double> all{most[c]};
        for (const auto &row : sample.rows) {
            if (c >= row.size())
                continue;
            for (const auto &line : row[c]) {
                for (std::size_t first = 0; first < line.size() && first < 8; ++first) {
                    double width = 2 * kPadX + 1 - sample.space;
                    for (std::size_t last = first; last < line.size(); ++last) {
                        width += sample.space + line[last];
                        if (width > least[c] && width < most[c])
                            all.push_back(width);
                    }
                }
            }
        }
        std::sort(all.begin(), all.end());
        all.erase(std::unique(all.begin(), all.end()), all.end());
        constexpr std::size_t kTries = 24;
        for (std::size_t k = 0; k < std::min(kTries, all.size()); ++k)
            tries[c].push_back(all[k * all.size() / std::min(kTries, all.size())]);
        tries[c].push_back(all.back());
    }
    for (int round = 0; round < 40 && room > kSlack; ++round) {
        double bestGain = 0;
        std::size_t best = n;
        double bestWidth = 0;
        for (std::size_t c = 0; c < n; ++c) {
            for (const double width : tries[c]) {
                const double cost = width - widths[c];
                if (cost <= kSlack || cost > room)
                    continue;
                long saved = 0;
                for (std::size_t r = 0; r < rows; ++r) {
                    int others = 1;
                    for (std::size_t k = 0; k < n; ++k) {
                        if (k != c)
                            others = std::max(others, lines[r * n + k]);
                    }
                    saved +=
                        std::max(others, lines[r * n + c]) - std::max(others, count(r, c, width));
                }
                if (saved > 0 && saved / cost > bestGain) {
                    bestGain = saved / cost;
                    best = c;
                    bestWidth = width;
                }
            }
        }
        if (best == n)
            break;
        room -= bestWidth - widths[best];
        widths[best] = bestWidth;
        for (std::size_t r = 0; r < rows; ++r)
            lines[r * n + best] = count(r, best, bestWidth);
    }
    // What is left goes to the columns that want more, in proportion to what they want.
    double wanting = 0;
    for (std::size_t c = 0; c < n; ++c)
        wanting += most[c] - widths[c];
    for (std::size_t c = 0; c < n; ++c)
        widths[c] += wanting > 0 ? room * (most[c] - widths[c]) / wanting : room / double(n);
    return widths;
}

} // namespace

// Lays the blocks out, column by column and page by page.
class Paginator {
public:
    Paginator(const Document &document, QSizeF page, Fonts &fonts,
              std::vector<std::unique_ptr<Layout::TableGeometry>> &tables,
              std::vector<QStringList> &paragraphLines)
        : m_document(document)
        , m_fonts(fonts)
        , m_tables(tables)
        , m_paragraphLines(paragraphLines)
        , m_width(std::max(page.width(), mm(20))) {
        const QFontMetricsF &foot = fonts.foot().metrics();
        m_height = std::max(page.height() - foot.lineSpacing() - kFootGap, mm(20));
    }

    std::vector<std::vector<Layout::Piece>> run() {
        newPage();
        const auto &blocks = m_document.blocks;
        for (std::size_t b = 0; b < blocks.size(); ++b)
            std::visit([this, b](const auto &block) { place(int(b), block); }, blocks[b]);
        return std::move(m_pages);
    }

    // How tall a table's heading row and rows are in `width`.
    Layout::TableGeometry &geometry(int block, double width) {
        auto &slot = m_tables[std::size_t(block)];
        if (!slot)
            slot = std::make_unique<Layout::TableGeometry>();
        Layout::TableGeometry &g = *slot;
        if (g.width == width)
            return g;
        const Table &table = std::get<Table>(m_document.blocks[std::size_t(block)]);
        g.width = width;
        g.x = columnEdges(g, table, width);
        g.headerHeight = table.header.cells.empty() ? 0 : rowHeight(table.header, g, true);
        g.rowHeights.resize(table.rows.size());
        for (std::size_t r = 0; r < table.rows.size(); ++r)
            g.rowHeights[r] = float(rowHeight(table.rows[r], g, false));
        return g;
    }

private:
    // Calls `use(column, font, line)` for each line of each cell of `row` that stands in one
    // column, in the face the cell prints in.
    template <class Use>
    void eachLine(const Row &row, bool header, std::size_t columns, const Use &use) {
        std::size_t column = 0;
        for (const Cell &cell : row.cells) {
            const std::size_t at = column;
            column += std::size_t(std::max(cell.span, 1));
            if (cell.span != 1 || at >= columns || cell.text.isEmpty())
                continue;
            TextWidths &font = m_fonts.cell(header || row.total || cell.bold);
            const QString text = withPlainBreaks(cell.text);
            for (QStringView line : QStringView(text).split(u'\n'))
                use(at, font, line);
        }
    }

    // Measures the words and lines of the table's cells (of one column each), on every row of
    // a short table and on an even sample of a long one.
    void measureColumns(Layout::TableGeometry &g, const Table &table) {
        const std::size_t n = std::max<std::size_t>(1, table.columns.size());
        g.least.assign(n, 2 * kPadX + pt(6));
        g.most.assign(n, 2 * kPadX + pt(6));
        // A dot to spare, so that sums of widths never leave a line a hair too long.
        auto measure = [&](std::size_t at, TextWidths &font, QStringView line) {
            g.most[at] = std::max(g.most[at], font.of(line) + 2 * kPadX + 1);
            for (QStringView word : line.split(u' ', Qt::SkipEmptyParts))
                g.least[at] = std::max(g.least[at], font.of(word) + 2 * kPadX + 1);
        };
        eachLine(table.header, true, n, measure);
        const std::size_t rows = table.rows.size();
        constexpr std::size_t kMeasured = 2000;
        const std::size_t step = std::max<std::size_t>(1, rows / kMeasured);
        for (std::size_t r = 0; r < rows; r += step)
            eachLine(table.rows[r], false, n, measure);
        if (rows > 0)
            eachLine(table.rows.back(), false, n, measure); // a total row
        if (!table.fitToContent)
            return;
        // The words of some 200 rows, to try widths on.
        g.sample.space = m_fonts.cell(false).space();
        constexpr std::size_t kTried = 200;
        const std::size_t tryStep = std::max<std::size_t>(1, rows / kTried);
        for (std::size_t r = 0; r < rows; r += tryStep) {
            auto &cells = g.sample.rows.emplace_back(n);
            eachLine(table.rows[r], false, n,
                     [&](std::size_t at, TextWidths &font, QStringView line) {
                         auto &words = cells[at].emplace_back();
                         for (QStringView word : line.split(u' ', Qt::SkipEmptyParts))
                             words.push_back(float(font.of(word)));
                     });
        }
    }

    std::vector<double> columnEdges(Layout::TableGeometry &g, const Table &table, double width) {
        if (g.least.empty())
            measureColumns(g, table);
        const double total = width * std::clamp(table.width, 0.05, 1.0);
        // A word wider than a sixth of the table (an e-mail address) may break rather than
        // squeeze the other columns.
        std::vector<double> least = g.least;
        for (double &w : least)
            w = std::min(w, total / 6);
        const std::vector<double> widths = table.fitToContent
                                               ? fittedWidths(total, least, g.most, g.sample)
                                               : widthsWithin(total, givenShares(table), least);
        std::vector<double> x(widths.size() + 1, 0);
        for (std::size_t c = 0; c < widths.size(); ++c)
            x[c + 1] = x[c] + widths[c];
        return x;
    }

    double rowHeight(const Row &row, const Layout::TableGeometry &g, bool header) {
        int lines = 1;
        std::size_t column = 0;
        for (const Cell &cell : row.cells) {
            if (column + 1 >= g.x.size())
                break;
            if (!cell.text.isEmpty()) {
                TextWidths &font = m_fonts.cell(header || row.total || cell.bold);
                lines =
                    std::max(lines, m_fonts.lineCount(cell.text, font,
                                                      g.cellWidth(column, cell.span) - 2 * kPadX));
            }
            column += std::size_t(std::max(cell.span, 1));
        }
        return lines * m_fonts.cell(false).metrics().lineSpacing() + 2 * kPadY;
    }

    double frameWidth() const { return (m_width - kColumnGap * (m_columns - 1)) / m_columns; }
    double frameX() const { return m_column * (frameWidth() + kColumnGap); }
    double room() const { return m_height - m_y; }
    bool atTop() const { return m_y <= m_top + kSlack; }
    bool pageEmpty() const { return m_pages.back().empty(); }

    void newPage() {
        m_pages.emplace_back();
        m_column = 0;
        m_top = 0;
        m_y = 0;
        m_lowest = 0;
    }
    void nextFrame() {
        m_lowest = std::max(m_lowest, m_y);
        if (m_column + 1 < m_columns) {
            ++m_column;
            m_y = m_top;
        } else {
            newPage();
        }
    }
    void add(Layout::Piece piece) { m_pages.back().push_back(piece); }

    // The least room the block after `block` needs: its first line or row, or the whole of a
    // drawing. What a heading must have below it.
    double leastAfter(int block) {
        const auto &blocks = m_document.blocks;
        for (std::size_t b = std::size_t(block) + 1; b < blocks.size(); ++b) {
            const Block &next = blocks[b];
            if (const auto *p = std::get_if<Paragraph>(&next)) {
                const StyleInfo info = styleInfo(p->style);
                return info.before + m_fonts.of(p->style).metrics().lineSpacing();
            }
            if (std::holds_alternative<Table>(next)) {
                const Layout::TableGeometry &g = geometry(int(b), frameWidth());
                return g.headerHeight + (g.rowHeights.empty() ? 0 : g.rowHeights.front());
            }
            if (const auto *d = std::get_if<Drawing>(&next))
                return drawingScale(*d) * d->size.height();
            if (std::holds_alternative<PageBreak>(next))
                return 0;
        }
        return 0;
    }

    double drawingScale(const Drawing &d) const {
        if (d.size.width() <= 0 || d.size.height() <= 0)
            return 1;
        return std::min(frameWidth() / d.size.width(), m_height / d.size.height());
    }

    // The height of `count` blocks after `block`, set one after the other in this column.
    double heightOf(int block, int count) {
        double height = 0;
        const auto &blocks = m_document.blocks;
        for (int k = 1; k <= count && std::size_t(block + k) < blocks.size(); ++k) {
            const int b = block + k;
            const Block &next = blocks[std::size_t(b)];
            if (const auto *p = std::get_if<Paragraph>(&next)) {
                const StyleInfo info = styleInfo(p->style);
                TextWidths &font = m_fonts.of(p->style);
                height +=
                    (k > 1 ? info.before : 0) +
                    m_fonts.lineCount(p->text, font, frameWidth()) * font.metrics().lineSpacing() +
                    info.after;
            } else if (std::holds_alternative<Table>(next)) {
                const Layout::TableGeometry &g = geometry(b, frameWidth());
                height += g.headerHeight + kTableAfter;
                for (float h : g.rowHeights)
                    height += h;
            } else if (const auto *d = std::get_if<Drawing>(&next)) {
                height += drawingScale(*d) * d->size.height() + kDrawingAfter;
            } else if (std::holds_alternative<Space>(next)) {
                height += m_fonts.of(Style::Body).metrics().lineSpacing();
            }
        }
        return height;
    }

    void place(int block, const Paragraph &paragraph) {
        const StyleInfo info = styleInfo(paragraph.style);
        TextWidths &font = m_fonts.of(paragraph.style);
        QStringList &lines = m_paragraphLines[std::size_t(block)];
        lines = m_fonts.lines(paragraph.text, font, frameWidth());
        const double lineHeight = font.metrics().lineSpacing();
        if (!atTop())
            m_y += info.before;
        if (info.keepWithNext && !atTop() &&
            lines.size() * lineHeight + info.after + leastAfter(block) > room())
            nextFrame();
        int first = 0;
        while (first < lines.size()) {
            int fit = int((room() + kSlack) / lineHeight);
            if (fit < 1) {
                if (!atTop()) {
                    nextFrame();
                    continue;
                }
                fit = 1; // a page lower than one line: the line goes on it all the same
            }
            const int last = std::min(int(lines.size()), first + fit);
            Layout::Piece piece;
            piece.kind = Layout::Piece::Kind::Lines;
            piece.block = block;
            piece.first = first;
            piece.last = last;
            piece.at = QPointF(frameX(), m_y);
            piece.width = frameWidth();
            add(piece);
            m_y += (last - first) * lineHeight;
            first = last;
            if (first < lines.size())
                nextFrame();
        }
        m_y += info.after;
    }

    void place(int block, const Table &table) {
        const Layout::TableGeometry &g = geometry(block, frameWidth());
        const bool header = !table.header.cells.empty();
        const double head = g.headerHeight;
        const int n = int(table.rows.size());
        const double lineHeight = m_fonts.cell(false).metrics().lineSpacing();
        // The heading row never stands alone at the foot of a column.
        if (!atTop() && head + (n > 0 ? g.rowHeights.front() : 0) > room() &&
            head + (n > 0 ? g.rowHeights.front() : 0) <= m_height)
            nextFrame();
        Layout::Piece piece;
        piece.kind = Layout::Piece::Kind::Rows;
        piece.block = block;
        piece.header = header;
        piece.width = frameWidth();
        if (n == 0) {
            piece.at = QPointF(frameX(), m_y);
            add(piece);
            m_y += head + kTableAfter;
            return;
        }
        int r = 0;
        while (r < n) {
            double y = m_y + head;
            int end = r;
            while (end < n && y + g.rowHeights[std::size_t(end)] <= m_height + kSlack)
                y += g.rowHeights[std::size_t(end++)];
            if (end == r) {
                // Not even the next row fits here: on in the next column, unless the row alone is
                // taller than a page; its lines then go on over as many pages as they take.
                if (head + g.rowHeights[std::size_t(r)] <= m_height || !atTop()) {
                    nextFrame();
                    continue;
                }
                const int lines =
                    int(std::lround((g.rowHeights[std::size_t(r)] - 2 * kPadY) / lineHeight));
                int line = 0;
                while (line < lines) {
                    const int fit =
                        std::max(1, int((m_height - m_y - head - 2 * kPadY + kSlack) / lineHeight));
                    piece.at = QPointF(frameX(), m_y);
                    piece.first = r;
                    piece.last = r + 1;
                    piece.lineFirst = line;
                    piece.lineCount = std::min(fit, lines - line);
                    add(piece);
                    m_y += head + piece.lineCount * lineHeight + 2 * kPadY;
                    line += piece.lineCount;
                    if (line < lines)
                        nextFrame();
                }
                piece.lineFirst = 0;
                piece.lineCount = -1;
                if (++r < n)
                    nextFrame();
                continue;
            }
            piece.at = QPointF(frameX(), m_y);
            piece.first = r;
            piece.last = end;
            add(piece);
            m_y = y;
            r = end;
            if (r < n)
                nextFrame();
        }
        m_y += kTableAfter;
    }

    void place(int block, const Drawing &drawing) {
        const double scale = drawingScale(drawing);
        const double height = drawing.size.height() * scale;
        if (!atTop() && height > room())
            nextFrame();
        Layout::Piece piece;
        piece.kind = Layout::Piece::Kind::Drawing;
        piece.block = block;
        piece.at = QPointF(frameX(), m_y);
        piece.width = scale;
        add(piece);
        m_y += height + kDrawingAfter;
    }

    void place(int, const Space &) {
        if (!atTop())
            m_y += m_fonts.of(Style::Body).metrics().lineSpacing();
    }

    void place(int, const PageBreak &) {
        if (!pageEmpty() || m_y > kSlack)
            newPage();
    }

    void place(int, const Columns &columns) {
        const int count = std::clamp(columns.count, 1, 6);
        if (count == m_columns)
            return;
        // The new columns start below everything set so far on this page.
        m_y = std::max(m_lowest, m_y);
        m_columns = count;
        m_column = 0;
        m_top = m_y;
        m_lowest = m_y;
    }

    void place(int block, const KeepTogether &group) {
        if (atTop())
            return;
        const double height = heightOf(block, group.blocks);
        if (height > room() && height <= m_height)
            nextFrame();
    }

    const Document &m_document;
    Fonts &m_fonts;
    std::vector<std::unique_ptr<Layout::TableGeometry>> &m_tables;
    std::vector<QStringList> &m_paragraphLines;
    std::vector<std::vector<Layout::Piece>> m_pages;
    double m_width;
    double m_height; // of a page's text, above the foot
    int m_columns = 1;
    int m_column = 0;
    double m_top = 0;    // where the columns start on this page
    double m_y = 0;      // where the next block goes
    double m_lowest = 0; // the lowest any column of this page reached
};

Layout::Layout(const Document &document, QSizeF page)
    : m_document(document)
    , m_page(page)
    , m_fonts(std::make_unique<Fonts>()) {
    m_tables.resize(document.blocks.size());
    m_paragraphLines.resize(document.blocks.size());
    Paginator paginator(document, page, *m_fonts, m_tables, m_paragraphLines);
    m_pages = paginator.run();
}

Layout::~Layout() = default;

int Layout::pageCount() const {
    return int(m_pages.size());
}

void Layout::paintPage(QPainter &painter, int index) const {
    if (index < 0 || index >= pageCount())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const Piece &piece : m_pages[std::size_t(index)]) {
        switch (piece.kind) {
        case Piece::Kind::Lines: {
            const auto &paragraph =
                std::get<Paragraph>(m_document.blocks[std::size_t(piece.block)]);
            TextWidths &font = m_fonts->of(paragraph.style);
            painter.setPen(Qt::black);
            const QStringList &lines = m_paragraphLines[std::size_t(piece.block)];
            const double lineHeight = font.metrics().lineSpacing();
            for (int i = piece.first; i < piece.last; ++i) {
                font.draw(painter,
                          QPointF(piece.at.x(), piece.at.y() + font.metrics().ascent() +
                                                    (i - piece.first) * lineHeight),
                          lines[i]);
            }
            break;
        }
        case Piece::Kind::Rows:
            paintRows(painter, piece);
            break;
        case Piece::Kind::Drawing:
            paintDrawing(painter, piece);
            break;
        }
    }
    paintFoot(painter, index);
    painter.restore();
}

void Layout::paintRows(QPainter &painter, const Piece &piece) const {
    const auto &table = std::get<Table>(m_document.blocks[std::size_t(piece.block)]);
    const TableGeometry &g = *m_tables[std::size_t(piece.block)];
    const double left = piece.at.x();
    const double right = left + g.x.back();
    const double lineHeight = m_fonts->cell(false).metrics().lineSpacing();
    const double ascent = m_fonts->cell(false).metrics().ascent();
    std::vector<QLineF> rules;

    auto cells = [&](const Row &row, double top, bool bold, int lineFirst, int lineCount) {
        std::size_t column = 0;
        for (const Cell &cell : row.cells) {
            if (column + 1 >= g.x.size())
                break;
            const std::size_t at = column;
            column += std::size_t(std::max(cell.span, 1));
            if (cell.text.isEmpty())
                continue;
            TextWidths &font = m_fonts->cell(bold || cell.bold);
            const double width = g.cellWidth(at, cell.span) - 2 * kPadX;
            const bool alignRight = at < table.columns.size() && table.columns[at].right;
            auto draw = [&](const QString &line, int k) {
                const double x = alignRight ? left + g.x[at] + kPadX + width - font.of(line)
                                            : left + g.x[at] + kPadX;
                font.draw(painter,
                          QPointF(std::round(x), std::round(top + kPadY + ascent + k * lineHeight)),
                          line);
            };
            if (lineCount < 0 && !cell.text.contains(u'\n') && !cell.text.contains(u'\r') &&
                font.of(cell.text) <= std::max(width, pt(4))) {
                draw(cell.text, 0);
                continue;
            }
            const QStringList lines = lineCount < 0 ? m_fonts->lines(cell.text, font, width)
                                                    : splitLines(cell, font, width);
            const int end = lineCount < 0 ? int(lines.size())
                                          : std::min(int(lines.size()), lineFirst + lineCount);
            for (int k = lineFirst; k < end; ++k)
                draw(lines[k], k - lineFirst);
        }
    };
    // The rules between a run of rows without joined cells are drawn once for the run.
    auto columnRules = [&](double top, double bottom) {
        if (bottom > top) {
            for (double x : g.x)
                rules.emplace_back(left + x, top, left + x, bottom);
        }
    };
    auto joinedRules = [&](const Row &row, double top, double bottom) {
        std::size_t column = 0;
        rules.emplace_back(left, top, left, bottom);
        for (const Cell &cell : row.cells) {
            column = std::min(g.x.size() - 1, column + std::size_t(std::max(cell.span, 1)));
            rules.emplace_back(left + g.x[column], top, left + g.x[column], bottom);
        }
        rules.emplace_back(right, top, right, bottom);
    };

    painter.setPen(Qt::black);
    double y = piece.at.y();
    double runTop = y;
    if (piece.header) {
        painter.fillRect(QRectF(left, y, right - left, g.headerHeight), QColor(0xe8, 0xe8, 0xe8));
        cells(table.header, y, true, 0, -1);
        rules.emplace_back(left, y, right, y);
        y += g.headerHeight;
    }
    std::vector<QLineF> heavy;
    for (int r = piece.first; r < piece.last; ++r) {
        const Row &row = table.rows[std::size_t(r)];
        const double height = piece.lineCount < 0 ? g.rowHeights[std::size_t(r)]
                                                  : piece.lineCount * lineHeight + 2 * kPadY;
        (row.total ? heavy : rules).emplace_back(left, y, right, y);
        const bool joined = row.cells.size() < table.columns.size() ||
                            std::any_of(row.cells.begin(), row.cells.end(),
                                        [](const Cell &c) { return c.span > 1; });
        if (joined) {
            columnRules(runTop, y);
            joinedRules(row, y, y + height);
            runTop = y + height;
        }
        cells(row, y, row.total, piece.lineFirst, piece.lineCount);
        y += height;
    }
    columnRules(runTop, y);
    rules.emplace_back(left, y, right, y);

    painter.setPen(QPen(QColor(0x88, 0x88, 0x88), kRule));
    painter.drawLines(rules.data(), int(rules.size()));
    if (!heavy.empty()) {
        painter.setPen(QPen(Qt::black, kTotalRule));
        painter.drawLines(heavy.data(), int(heavy.size()));
    }
}

QStringList Layout::splitLines(const Cell &cell, TextWidths &font, double width) const {
    // A row taller than a page is painted a page at a time: its cells are wrapped once, not
    // once for each of its pages.
    for (const auto &[wrapped, lines] : m_splitLines) {
        if (wrapped == &cell)
            return lines;
    }
    if (m_splitLines.size() >= 8)
        m_splitLines.erase(m_splitLines.begin());
    m_splitLines.emplace_back(&cell, m_fonts->lines(cell.text, font, width));
    return m_splitLines.back().second;
}

void Layout::paintDrawing(QPainter &painter, const Piece &piece) const {
    const auto &drawing = std::get<Drawing>(m_document.blocks[std::size_t(piece.block)]);
    const double scale = piece.width;
    auto map = [&](const QRectF &box) {
        return QRectF(piece.at + box.topLeft() * scale, box.size() * scale);
    };
    for (const Shape &shape : drawing.shapes) {
        if (shape.kind == Shape::Kind::Text) {
            TextWidths &font = m_fonts->sized(shape.size * scale, shape.bold);
            painter.setPen(shape.fill.isValid() ? shape.fill : QColor(Qt::black));
            const double width = font.of(shape.text);
            QPointF at = piece.at + shape.at * scale;
            if (shape.anchor & Qt::AlignHCenter)
                at.rx() -= width / 2;
            else if (shape.anchor & Qt::AlignRight)
                at.rx() -= width;
            font.draw(painter, at, shape.text);
            continue;
        }
        if (shape.stroke.isValid() && shape.strokeWidth > 0) {
            QPen pen(shape.stroke, shape.strokeWidth * scale);
            if (shape.dashed)
                pen.setDashPattern({4, 2});
            painter.setPen(pen);
        } else {
            painter.setPen(Qt::NoPen);
        }
        painter.setBrush(shape.fill.isValid() ? QBrush(shape.fill) : QBrush(Qt::NoBrush));
        if (shape.kind == Shape::Kind::Circle)
            painter.drawEllipse(map(shape.box));
        else
            painter.drawRoundedRect(map(shape.box), shape.cornerRadius * scale,
                                    shape.cornerRadius * scale);
    }
    painter.setBrush(Qt::NoBrush);
}

void Layout::paintFoot(QPainter &painter, int index) const {
    TextWidths &font = m_fonts->foot();
    const QFontMetricsF &metrics = font.metrics();
    const double baseline = m_page.height() - metrics.descent();
    const double rule = m_page.height() - metrics.lineSpacing() - mm(1);
    painter.setPen(QPen(QColor(0x88, 0x88, 0x88), kRule));
    painter.drawLine(QPointF(0, rule), QPointF(m_page.width(), rule));
    painter.setPen(Qt::black);
    const QString page = QStringLiteral("Page %1 of %2").arg(index + 1).arg(pageCount());
    const double pageWidth = font.of(page);
    const double printedWidth = font.of(m_document.printed);
    // The title takes what the other two leave, shortened with "…" when it must be.
    const double room = m_page.width() - pageWidth - printedWidth - mm(12);
    font.draw(painter, QPointF(0, baseline),
              metrics.elidedText(m_document.title, Qt::ElideRight, std::max(room, mm(10))));
    font.draw(painter, QPointF(m_page.width() - pageWidth - printedWidth - mm(6), baseline),
              m_document.printed);
    font.draw(painter, QPointF(m_page.width() - pageWidth, baseline), page);
}

bool samePaper(const QPageLayout &a, const QPageLayout &b) {
    return a.isEquivalentTo(b) && a.orientation() == b.orientation();
}

QSizeF printableSize(const QPageLayout &layout) {
    return layout.paintRect(QPageLayout::Point).size() * (kDotsPerInch / 72.0);
}

bool paint(const Layout &layout, QPagedPaintDevice &device, int first, int last) {
    const int count = layout.pageCount();
    first = first <= 0 ? 1 : std::min(first, count);
    last = last <= 0 ? count : std::clamp(last, first, count);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.scale(device.logicalDpiX() / kDotsPerInch, device.logicalDpiY() / kDotsPerInch);
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage())
            return false;
        layout.paintPage(painter, page - 1);
    }
    return painter.end();
}

} // namespace Print
