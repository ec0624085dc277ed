#include "reportpages.h"

#include <QVarLengthArray>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>

namespace ReportPages {

namespace {

using namespace Print;

// Marks a forced line break (<br>, or <p> inside a cell) while blanks are still being joined.
constexpr char16_t kBreak = 0x2028;

// Views of the report's text, which lives while it is read: no tag costs an allocation.
using Bytes = std::string_view;

bool sameLetters(Bytes a, Bytes b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(uchar(x)) == std::tolower(uchar(y));
           });
}

struct Tag {
    char letters[16]; // the name in lower case; longer names are no tags of the reports
    Bytes name;
    bool closing = false;
    QVarLengthArray<std::pair<Bytes, Bytes>, 8> attributes;

    Bytes attribute(Bytes key) const {
        for (const auto &[name, value] : attributes) {
            if (sameLetters(name, key))
                return value;
        }
        return {};
    }
    bool hasClass(Bytes wanted) const {
        const Bytes classes = attribute("class");
        for (std::size_t at = classes.find(wanted); at != Bytes::npos;
             at = classes.find(wanted, at + 1)) {
            const std::size_t end = at + wanted.size();
            if ((at == 0 || classes[at - 1] == ' ') &&
                (end == classes.size() || classes[end] == ' '))
                return true;
        }
        return false;
    }
};

// "&amp;", "&lt;", "&#233;"... in a run of text.
QString decoded(const char *begin, const char *end) {
    QString text = QString::fromUtf8(begin, end - begin);
    qsizetype amp = text.indexOf(u'&');
    if (amp < 0)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (amp >= 0) {
        out += QStringView(text).mid(from, amp - from);
        const qsizetype semicolon = text.indexOf(u';', amp);
        const QStringView name = semicolon > amp && semicolon - amp <= 10
                                     ? QStringView(text).mid(amp + 1, semicolon - amp - 1)
                                     : QStringView();
        char32_t c = 0;
        if (name == u"amp")
            c = u'&';
        else if (name == u"lt")
            c = u'<';
        else if (name == u"gt")
            c = u'>';
        else if (name == u"quot")
            c = u'"';
        else if (name == u"apos")
            c = u'\'';
        else if (name == u"nbsp")
            c = 0xA0;
        else if (name.startsWith(u'#')) {
            bool ok = false;
            const uint code = name.size() > 1 && (name[1] == u'x' || name[1] == u'X')
                                  ? name.mid(2).toUInt(&ok, 16)
                                  : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF))
                c = code;
        }
        if (c == 0) {
            out += u'&'; // not an entity: the ampersand as it stands
            from = amp + 1;
        } else {
            out += QString::fromUcs4(&c, 1);
            from = semicolon + 1;
        }
        amp = text.indexOf(u'&', from);
    }
    out += QStringView(text).mid(from);
    return out;
}

// Blanks as a browser sets them: every run of spaces and line ends as one blank, none at the
// start or end of a line (a no-break space there too: "&nbsp;" alone is the reports' empty
// cell); forced breaks become line breaks. No empty lines at the end.
QString collapsed(QStringView raw) {
    QString out;
    out.reserve(raw.size());
    bool blank = false;
    auto endLine = [&out] {
        while (!out.isEmpty() && (out.back() == u' ' || out.back() == QChar(0xA0)))
            out.chop(1);
    };
    for (const QChar c : raw) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\f') {
            blank = true;
            continue;
        }
        const bool lineStart = out.isEmpty() || out.back() == u'\n';
        if (u == kBreak) {
            endLine();
            out += u'\n';
            blank = false;
            continue;
        }
        if (lineStart && u == 0xA0)
            continue;
        if (blank && !lineStart)
            out += u' ';
        blank = false;
        out += c;
    }
    endLine();
    while (out.endsWith(u'\n')) {
        out.chop(1);
        endLine();
    }
    return out;
}

double number(Bytes text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return std::isfinite(value) ? value : 0;
}

// "14%" as a share of 1; 0 when not given.
double percent(Bytes text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (text.empty() || text.back() != '%')
        return 0;
    text.remove_suffix(1);
    return std::clamp(number(text) / 100.0, 0.0, 1.0);
}

QColor color(Bytes text) {
    if (text.empty() || text == "none")
        return {};
    return QColor::fromString(QLatin1StringView(text.data(), qsizetype(text.size())));
}

class Reader {
public:
    explicit Reader(const QByteArray &html)
        : m_html(html) {}

    Document read() {
        const char *p = m_html.constData();
        const char *end = p + m_html.size();
        while (p < end) {
            const char *lt = static_cast<const char *>(std::memchr(p, '<', std::size_t(end - p)));
            if (!lt)
                lt = end;
            if (lt > p && m_collecting)
                m_text += decoded(p, lt);
            if (lt == end)
                break;
            p = readTag(lt, end);
        }
        finishParagraph();
        return std::move(m_document);
    }

private:
    enum class Text { None, Paragraph, Title, Subtitle, Heading, Subheading, Note, Cell, Label };
    enum class Div { Other, Group, Sheet };

    // Reads the tag at `p` and acts on it; returns where reading goes on.
    const char *readTag(const char *p, const char *end) {
        if (end - p >= 4 && std::memcmp(p, "<!--", 4) == 0) {
            const char *close = std::search(p + 4, end, "-->", "-->" + 3);
            return close == end ? end : close + 3;
        }
        auto skipTo = [end](const char *from, char c) {
            const char *at =
                static_cast<const char *>(std::memchr(from, c, std::size_t(end - from)));
            return at ? at + 1 : end;
        };
        if (p + 1 < end && (p[1] == '!' || p[1] == '?'))
            return skipTo(p, '>');
        Tag tag;
        const char *q = p + 1;
        if (q < end && *q == '/') {
            tag.closing = true;
            ++q;
        }
        std::size_t length = 0;
        while (q < end && (std::isalnum(uchar(*q)) || *q == '-')) {
            if (length < sizeof tag.letters)
                tag.letters[length] = char(std::tolower(uchar(*q)));
            ++length;
            ++q;
        }
        if (length == 0) {
            // A "<" that opens no tag is text.
            if (m_collecting)
                m_text += u'<';
            return p + 1;
        }
        tag.name = Bytes(tag.letters, std::min(length, sizeof tag.letters));
        // Attributes: name, name=value, name = "value".
        while (q < end && *q != '>') {
            if (std::isspace(uchar(*q)) || *q == '/') {
                ++q;
                continue;
            }
            const char *nameStart = q;
            while (q < end && !std::isspace(uchar(*q)) && *q != '=' && *q != '>' && *q != '/')
                ++q;
            const Bytes name(nameStart, std::size_t(q - nameStart));
            while (q < end && std::isspace(uchar(*q)))
                ++q;
            Bytes value;
            if (q < end && *q == '=') {
                ++q;
                while (q < end && std::isspace(uchar(*q)))
                    ++q;
                if (q < end && (*q == '"' || *q == '\'')) {
                    const char quote = *q++;
                    const char *close =
                        static_cast<const char *>(std::memchr(q, quote, std::size_t(end - q)));
                    if (!close)
                        close = end;
                    value = Bytes(q, std::size_t(close - q));
                    q = close < end ? close + 1 : end;
                } else {
                    const char *valueStart = q;
                    while (q < end && !std::isspace(uchar(*q)) && *q != '>')
                        ++q;
                    value = Bytes(valueStart, std::size_t(q - valueStart));
                }
            }
            if (!name.empty())
                tag.attributes.append({name, value});
        }
        q = q < end ? q + 1 : end;
        // Their content is no text of the page (a chart name's full text is its tooltip).
        if (!tag.closing && (tag.name == "style" || tag.name == "title" || tag.name == "script" ||
                             tag.name == "head")) {
            const QByteArray close = "</" + QByteArray(tag.name.data(), qsizetype(tag.name.size()));
            const qsizetype at = m_html.indexOf(close, q - m_html.constData());
            return at < 0 ? end : skipTo(m_html.constData() + at, '>');
        }
        if (tag.closing)
            closeTag(tag.name);
        else
            openTag(tag);
        return q;
    }

    void startText(Text kind) {
        m_textKind = kind;
        m_collecting = true;
        m_text.clear();
    }
    QString takeText() {
        m_blankLine = m_text.contains(QChar(0xA0));
        m_collecting = false;
        m_textKind = Text::None;
        const QString text = collapsed(m_text);
        m_text.clear(); // keeps its room for the next cell
        return text;
    }

    void openTag(const Tag &tag) {
        const Bytes name = tag.name;
        if (name == "br" || (name == "p" && m_textKind == Text::Cell)) {
            if (m_collecting)
                m_text += QChar(kBreak);
        } else if (name == "p") {
            finishParagraph();
            startText(tag.hasClass("printed") ? Text::Subtitle
                      : tag.hasClass("note")  ? Text::Note
                                              : Text::Paragraph);
        } else if (name == "h1" || name == "h2" || name == "h3") {
            finishParagraph();
            startText(name == "h1" ? Text::Title : name == "h2" ? Text::Heading : Text::Subheading);
        } else if (name == "b" || name == "strong") {
            m_bold = true;
        } else if (name == "table") {
            finishParagraph();
            m_table = Table();
            const double width = percent(tag.attribute("width"));
            m_table->width = width > 0 ? width : 1;
            m_inHeader = false;
        } else if (name == "thead") {
            m_inHeader = true;
        } else if (name == "tbody") {
            m_inHeader = false;
        } else if (name == "tr" && m_table) {
            m_row = Row();
            m_row.total = tag.hasClass("total");
            m_column = 0;
        } else if ((name == "td" || name == "th") && m_table) {
            openCell(tag);
        } else if (name == "section") {
            finishParagraph();
            openSection(tag);
        } else if (name == "div") {
            finishParagraph();
            openDiv(tag);
        } else if (name == "svg") {
            finishParagraph();
            openDrawing(tag);
        } else if (m_drawing) {
            drawingShape(tag);
        }
    }

    void closeTag(Bytes name) {
        if (name == "p" || name == "h1" || name == "h2" || name == "h3") {
            if (m_textKind != Text::Cell)
                finishParagraph();
        } else if (name == "td" || name == "th") {
            closeCell();
        } else if (name == "tr" && m_table) {
            if (m_inHeader)
                m_table->header = std::move(m_row);
            else
                m_table->rows.push_back(std::move(m_row));
            m_row = Row();
        } else if (name == "thead") {
            m_inHeader = false;
        } else if (name == "table" && m_table) {
            closeCell();
            m_document.blocks.emplace_back(std::move(*m_table));
            m_table.reset();
        } else if (name == "div" && !m_divs.empty()) {
            const auto [kind, start] = m_divs.back();
            m_divs.pop_back();
            if (kind == Div::Group) {
                std::get<KeepTogether>(m_document.blocks[start]).blocks =
                    int(m_document.blocks.size() - start - 1);
            }
        } else if (name == "section") {
            if (m_columns) {
                m_document.blocks.emplace_back(Columns{1});
                m_columns = false;
            }
            m_columnsWanted = false;
        } else if (name == "text" && m_drawing && m_textKind == Text::Label) {
            m_label.text = takeText().replace(u'\n', u' ');
            m_drawing->shapes.push_back(std::move(m_label));
            m_label = Shape();
        } else if (name == "svg" && m_drawing) {
            m_document.blocks.emplace_back(std::move(*m_drawing));
            m_drawing.reset();
        }
    }

    void finishParagraph() {
        if (m_textKind == Text::None || m_textKind == Text::Cell || m_textKind == Text::Label)
            return;
        const Text kind = m_textKind;
        const QString text = takeText();
        if (text.isEmpty()) {
            // "<p>&nbsp;</p>": the reports' empty line between tables.
            if (kind == Text::Paragraph && m_blankLine)
                m_document.blocks.emplace_back(Space{});
            return;
        }
        Style style = Style::Body;
        switch (kind) {
        case Text::Title:
            style = Style::Title;
            m_document.title = text;
            break;
        case Text::Subtitle:
            style = Style::Subtitle;
            m_document.printed = text;
            break;
        case Text::Heading:
            style = Style::Heading;
            break;
        case Text::Subheading:
            style = Style::Subheading;
            break;
        case Text::Note:
            style = Style::Note;
            break;
        default:
            break;
        }
        m_document.blocks.emplace_back(Paragraph{text, style});
    }

    void openCell(const Tag &tag) {
        closeCell();
        m_cell = Cell();
        m_cell.span = std::clamp(int(number(tag.attribute("colspan"))), 1, 64);
        // The seating report's numbers: right-aligned in a column of 12 per cent.
        const bool numbers = tag.hasClass("seats") || tag.hasClass("no");
        const double share = numbers ? 0.12 : percent(tag.attribute("width"));
        if (m_table->columns.size() < m_column + std::size_t(m_cell.span))
            m_table->columns.resize(m_column + std::size_t(m_cell.span));
        Column &column = m_table->columns[m_column];
        // The first row that gives a width sets it (the guest list's notes cells are narrower
        // than their heading; the heading's width wins, as in a browser).
        if (m_cell.span == 1 && column.share == 0 && share > 0)
            column.share = share;
        if (tag.hasClass("money") || numbers)
            column.right = true;
        m_column += std::size_t(m_cell.span);
        m_bold = tag.name == "th";
        m_inCell = true;
        startText(Text::Cell);
    }

    void closeCell() {
        if (!m_inCell)
            return;
        m_inCell = false;
        m_cell.text = takeText();
        m_cell.bold = m_bold;
        m_bold = false;
        m_row.cells.push_back(std::move(m_cell));
        m_cell = Cell();
    }

    void openSection(const Tag &tag) {
        const Bytes id = tag.attribute("id");
        // The seating report's print styles: the tables and the chart each begin a page, the
        // tables in two columns below their heading.
        if (id == "tables" || id == "chart")
            m_document.blocks.emplace_back(PageBreak{});
        m_columnsWanted = id == "tables";
        m_sheets = 0;
    }

    void openDiv(const Tag &tag) {
        if (tag.hasClass("table-block")) {
            if (m_columnsWanted && !m_columns) {
                m_document.blocks.emplace_back(Columns{2});
                m_columns = true;
            }
            m_divs.emplace_back(Div::Group, m_document.blocks.size());
            m_document.blocks.emplace_back(KeepTogether{});
        } else if (tag.hasClass("sheet")) {
            if (m_sheets++ > 0)
                m_document.blocks.emplace_back(PageBreak{});
            m_divs.emplace_back(Div::Sheet, m_document.blocks.size());
        } else {
            m_divs.emplace_back(Div::Other, m_document.blocks.size());
        }
    }

    void openDrawing(const Tag &tag) {
        m_drawing = Drawing();
        // viewBox="0 0 190 231": the drawing's own width and height are the last two.
        const Bytes box = tag.attribute("viewBox");
        double values[4] = {};
        int count = 0;
        for (const char *at = box.data(), *end = at + box.size(); count < 4 && at < end;) {
            while (at < end && (*at == ' ' || *at == ','))
                ++at;
            const auto [next, error] = std::from_chars(at, end, values[count]);
            if (error != std::errc())
                break;
            ++count;
            at = next;
        }
        if (count == 4)
            m_drawing->size = QSizeF(values[2], values[3]);
        else
            m_drawing->size =
                QSizeF(number(tag.attribute("width")), number(tag.attribute("height")));
    }

    void drawingShape(const Tag &tag) {
        Shape shape;
        shape.fill = color(tag.attribute("fill"));
        shape.stroke = color(tag.attribute("stroke"));
        shape.strokeWidth =
            tag.attribute("stroke").empty()
                ? 0
                : (tag.attribute("stroke-width").empty() ? 1
                                                         : number(tag.attribute("stroke-width")));
        shape.dashed = !tag.attribute("stroke-dasharray").empty();
        if (tag.name == "rect") {
            shape.kind = Shape::Kind::Rect;
            shape.box = QRectF(number(tag.attribute("x")), number(tag.attribute("y")),
                               number(tag.attribute("width")), number(tag.attribute("height")));
            shape.cornerRadius = number(tag.attribute("rx"));
            if (tag.attribute("fill").empty())
                shape.fill = Qt::black; // SVG's default fill
            m_drawing->shapes.push_back(shape);
        } else if (tag.name == "circle") {
            shape.kind = Shape::Kind::Circle;
            const double r = number(tag.attribute("r"));
            shape.box = QRectF(number(tag.attribute("cx")) - r, number(tag.attribute("cy")) - r,
                               2 * r, 2 * r);
            if (tag.attribute("fill").empty())
                shape.fill = Qt::black;
            m_drawing->shapes.push_back(shape);
        } else if (tag.name == "text") {
            shape.kind = Shape::Kind::Text;
            shape.at = QPointF(number(tag.attribute("x")), number(tag.attribute("y")));
            shape.size = number(tag.attribute("font-size"));
            if (shape.size <= 0)
                shape.size = 16;
            const Bytes anchor = tag.attribute("text-anchor");
            shape.anchor = anchor == "middle" ? Qt::AlignHCenter
                           : anchor == "end"  ? Qt::AlignRight
                                              : Qt::AlignLeft;
            shape.bold = tag.attribute("font-weight") == "bold";
            m_label = shape;
            startText(Text::Label);
        }
    }

    const QByteArray &m_html;
    Document m_document;
    Text m_textKind = Text::None;
    bool m_collecting = false;
    QString m_text;
    bool m_blankLine = false; // the text just taken held a no-break space
    bool m_bold = false;      // the cell has bold text: the reports bold whole cells
    std::optional<Table> m_table;
    bool m_inHeader = false;
    Row m_row;
    Cell m_cell;
    bool m_inCell = false;
    std::size_t m_column = 0;
    std::vector<std::pair<Div, std::size_t>> m_divs;
    bool m_columnsWanted = false;
    bool m_columns = false;
    int m_sheets = 0;
    std::optional<Drawing> m_drawing;
    Shape m_label;
};

} // namespace

Document fromHtml(const QByteArray &html) {
    return Reader(html).read();
}

} // namespace ReportPages
