#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>
#include <QRectF>
#include <QString>
#include <array>
#include <map>
#include <memory>
#include <variant>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPageLayout;

// Pages the program prints itself: a document of paragraphs, tables and drawings, laid out on
// pages of any size and painted one page at a time. Tables repeat their heading row at the top
// of every page they run onto, a row is never split across pages (unless it alone is taller
// than a page), and every page ends in a foot with the title, the day printed and "Page 2 of
// 12".
//
// Lengths are in dots of 1/1200 inch, whatever the device: a page is laid out once and
// painted the same on a printer, into a PDF file or into the preview.
namespace Print {

constexpr double kDotsPerInch = 1200;
constexpr double mm(double millimetres) {
    return millimetres * kDotsPerInch / 25.4;
}
constexpr double pt(double points) {
    return points * kDotsPerInch / 72;
}

// The kinds of text, each with its font and spacing.
enum class Style { Title, Subtitle, Heading, Subheading, Body, Note };

struct Paragraph {
    QString text;
    Style style = Style::Body;
};
// The room of one empty line.
struct Space {};
// The next block starts a new page.
struct PageBreak {};
// From here on the page is set in `count` columns (1 goes back to one).
struct Columns {
    int count = 1;
};
// The next `blocks` blocks go into one column when they fit into one.
struct KeepTogether {
    int blocks = 0;
};

struct Cell {
    QString text; // lines end in '\n'; long lines wrap
    int span = 1; // columns it covers
    bool bold = false;
};
struct Row {
    std::vector<Cell> cells;
    bool total = false; // bold, under a heavier rule
};
struct Column {
    double share = 0; // of the table's width; 0 shares what the others leave
    bool right = false;
};
struct Table {
    std::vector<Column> columns;
    // The columns sized by what they hold rather than by their shares.
    bool fitToContent = false;
    double width = 1; // share of the column it stands in
    Row header;       // repeats at the top of every page; no cells: no heading row
    std::vector<Row> rows;
};

// A vector drawing in its own units, scaled to the width of its column (the seating chart).
struct Shape {
    enum class Kind { Rect, Circle, Text };
    Kind kind = Kind::Rect;
    QRectF box;              // Rect, Circle: the outline's box
    QPointF at;              // Text: the start of its baseline
    double cornerRadius = 0; // Rect
    QColor fill;             // invalid: none
    QColor stroke;           // invalid: none
    double strokeWidth = 0;
    bool dashed = false;
    QString text;                         // Text
    double size = 0;                      // Text: the font's height
    Qt::Alignment anchor = Qt::AlignLeft; // Text: where `at` lies on the text
    bool bold = false;
};
struct Drawing {
    QSizeF size;
    std::vector<Shape> shapes;
};

using Block = std::variant<Paragraph, Table, Drawing, Space, PageBreak, Columns, KeepTogether>;

struct Document {
    QString title;   // at the foot of every page
    QString printed; // "Printed 1/15/2027", at the foot too
    std::vector<Block> blocks;
};

// The width of texts in one font, quick enough for a list of 65,535 guests: Latin, Greek and
// Cyrillic texts are measured letter by letter from widths measured once, other texts whole.
class TextWidths {
public:
    explicit TextWidths(const QFont &font);
    double of(QStringView text);
    double space() const { return m_space; }
    const QFontMetricsF &metrics() const { return m_metrics; }
    const QFont &font() const { return m_font; }
    // Draws `text` with its baseline starting at `at`, in this font whatever the painter's.
    void draw(QPainter &painter, QPointF at, QStringView text);

private:
    QFont m_font;
    QFontMetricsF m_metrics;
    std::array<float, 0x530> m_letters;    // -1: not measured yet
    std::array<quint32, 0x530> m_glyphs{}; // 0: not looked up yet, or none in the face
    QRawFont m_raw;
    double m_space = 0;
    QHash<QString, double> m_widths;
};

// The fonts of a document, their line heights and the widths of what they print.
class Fonts {
public:
    Fonts();
    TextWidths &of(Style style);
    TextWidths &cell(bool bold) { return bold ? m_bold : m_body; }
    TextWidths &foot() { return m_foot; }
    // A plain or bold face `pixels` dots high (the chart's names).
    TextWidths &sized(double pixels, bool bold);
    // Lines of `text` as they wrap in `width` (a line break starts a new line; an empty text
    // is one empty line).
    QStringList lines(const QString &text, TextWidths &font, double width);
    // How many lines that is, without making them when the text fits on one.
    int lineCount(const QString &text, TextWidths &font, double width);

private:
    std::vector<std::unique_ptr<TextWidths>> m_styles;
    TextWidths m_body;
    TextWidths m_bold;
    TextWidths m_foot;
    std::map<int, std::unique_ptr<TextWidths>> m_sized;
};

// A document laid out on pages of one size; any page can then be painted on its own, so the
// preview paints only what it shows. The document must outlive the layout.
class Layout {
public:
    // `page` is the printable part of the paper (its size, less the margins), in dots.
    Layout(const Document &document, QSizeF page);
    ~Layout();

    int pageCount() const;
    QSizeF pageSize() const { return m_page; }
    // Paints page `index` (0-based). The painter maps dots to the device, its origin at the
    // printable part's top left.
    void paintPage(QPainter &painter, int index) const;

    struct Piece;
    struct TableGeometry;

private:
    void paintPiece(QPainter &painter, const Piece &piece) const;
    void paintRows(QPainter &painter, const Piece &piece) const;
    void paintDrawing(QPainter &painter, const Piece &piece) const;
    void paintFoot(QPainter &painter, int index) const;
    QStringList splitLines(const Cell &cell, TextWidths &font, double width) const;

    const Document &m_document;
    QSizeF m_page;
    std::unique_ptr<Fonts> m_fonts;
    std::vector<std::vector<Piece>> m_pages;
    std::vector<std::unique_ptr<TableGeometry>> m_tables; // by block, for the tables
    std::vector<QStringList> m_paragraphLines;            // by block, for the paragraphs
    mutable std::vector<std::pair<const Cell *, QStringList>> m_splitLines;
};

// The same paper, margins and orientation: the pages need not be laid out again.
bool samePaper(const QPageLayout &a, const QPageLayout &b);

// The printable part of `layout`'s paper, in dots.
QSizeF printableSize(const QPageLayout &layout);

// Paints pages `first` to `last` (1-based, inclusive; 0 for every page) on `device`: a printer
// or a PDF writer, set to the paper the layout was made for. False when the device could not
// be started.
bool paint(const Layout &layout, QPagedPaintDevice &device, int first = 0, int last = 0);

} // namespace Print
