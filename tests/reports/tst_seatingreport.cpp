// The seating report: escort list, table pages and chart, checked in the text the writer makes
// (a browser reads the reports in the other report tests).
#include "reports/reports.h"
#include "support/testenv.h"

#include <QRegularExpression>
#include <QTest>

namespace {

void addTable(PalmDatabase &tables, const QString &tag, const QString &maxs,
              const QString &description = {}) {
    addRecord(tables, {{"ttag", tag}, {"tabl", description}, {"maxs", maxs}});
}

void addGuest(PalmDatabase &guests, const QString &name, const QString &rsvp,
              const std::optional<QString> &gtag) {
    Record &r = addRecord(guests, {{"gnam", name}, {"rsvp", rsvp}});
    if (gtag)
        guests.write(r, "gtag", *gtag);
}

// The text between `from` and the next `to`.
QString between(const QString &text, const QString &from, const QString &to) {
    const qsizetype start = text.indexOf(from);
    if (start < 0)
        return {};
    const qsizetype end = text.indexOf(to, start + from.size());
    return text.mid(start + from.size(), end < 0 ? -1 : end - start - from.size());
}

// The text of every cell of class `kind`, in order, entities decoded.
QStringList cells(const QString &html, const QString &kind) {
    const QRegularExpression cell(u"<td class=\""_qs + kind + u"[^\"]*\">(.*?)</td>"_qs);
    QStringList texts;
    for (auto it = cell.globalMatch(html); it.hasNext();) {
        texts << it.next()
                     .captured(1)
                     .replace(u"&lt;"_qs, u"<"_qs)
                     .replace(u"&gt;"_qs, u">"_qs)
                     .replace(u"&amp;"_qs, u"&"_qs);
    }
    return texts;
}

QStringList escortNames(const QString &html) {
    return cells(between(html, u"<section id=\"escort\">"_qs, u"</section>"_qs), u"guest"_qs);
}

// The blocks of the "Guests by Table" section: one per table, then the guests not seated.
QStringList tableBlocks(const QString &html) {
    return between(html, u"<section id=\"tables\">"_qs, u"</section>"_qs)
        .split(u"<div class=\"table-block\""_qs)
        .mid(1);
}

} // namespace

class TestSeatingReport : public QObject {
    Q_OBJECT
private slots:
    // The order is the user's language's: Swedish puts Ö after Z, German among the Os; without
    // a language, capitals and accents do not split the list.
    void escortOrderFollowsTheLocale() {
        PalmDatabase guests;
        for (const QString &name : {u"Zander"_qs, u"Öberg"_qs, u"Olsson"_qs, u"olsen"_qs})
            addGuest(guests, name, u"1"_qs, std::nullopt);
        auto order = [&](const char *locale) {
            return escortNames(QString::fromUtf8(
                Reports::seatingReport(nullptr, &guests, {}, {QLocale(locale), QDate()})));
        };
        QCOMPARE(order("sv_SE"),
                 (QStringList{u"olsen"_qs, u"Olsson"_qs, u"Zander"_qs, u"Öberg"_qs}));
        QCOMPARE(order("de_DE"),
                 (QStringList{u"Öberg"_qs, u"olsen"_qs, u"Olsson"_qs, u"Zander"_qs}));
        QCOMPARE(order("C"), order("de_DE"));
    }

    // Plans the table tab would not make but files may hold: a repeated ID, an ID of blanks,
    // guests at an ID no table has, an overfull table, a name too long for the chart. Seats
    // are the guest count's people: an empty RSVP takes one.
    void oddTablesKeepEveryGuest() {
        PalmDatabase tables;
        PalmDatabase guests;
        addTable(tables, u"A"_qs, u"2"_qs, u"Head <table> & family"_qs);
        addTable(tables, u" A"_qs, u"8"_qs);
        addTable(tables, u"  "_qs, u"4"_qs);
        const QString longName = u"Maximiliane Theodora von Hohenzollern-Sigmaringen"_qs;
        addGuest(guests, longName, u"3"_qs, u"A "_qs);
        addGuest(guests, u"Empty RSVP"_qs, QString(), u"A"_qs);
        addGuest(guests, u"Gone"_qs, u"2"_qs, u"Z"_qs);
        addGuest(guests, u"Waiting"_qs, u"2"_qs, std::nullopt);
        addGuest(guests, u"Waiting too"_qs, QString(), std::nullopt);
        // Guests who declined have no place anywhere, seated or not.
        addGuest(guests, u"Regrets"_qs, u"4"_qs, u"A"_qs);
        addGuest(guests, u"Regrets too"_qs, u"1"_qs, std::nullopt);
        for (int n : {6, 7})
            guests.write(guests.records().item(n), "gdec", true, FieldKind::Boolean);
        const QString html = QString::fromUtf8(Reports::seatingReport(&tables, &guests, {}));
        QVERIFY(!html.contains(u"Regrets"_qs));
        const QStringList pages = tableBlocks(html);
        QCOMPARE(pages.size(), 5);
        QCOMPARE(cells(pages[0], u"guest"_qs), (QStringList{u"Empty RSVP"_qs, longName}));
        QVERIFY(pages[0].contains(u"2 guests, 4 of 2 seats taken, 2 over"_qs));
        QVERIFY(pages[0].contains(u"Head &lt;table&gt; &amp; family"_qs));
        QVERIFY(pages[1].contains(u"same ID"_qs));
        QCOMPARE(cells(pages[1], u"guest"_qs), QStringList{});
        QVERIFY(pages[2].contains(u"<h3>Table without an ID</h3>"_qs));
        QVERIFY(pages[3].contains(u"<h3>Table Z</h3>"_qs));
        QVERIFY(pages[3].contains(u"table list has no table"_qs));
        QCOMPARE(cells(pages[3], u"guest"_qs), QStringList{u"Gone"_qs});
        QVERIFY(pages[4].contains(u"<p class=\"count\">2 guests need 3 seats</p>"_qs));
        QCOMPARE(cells(pages[4], u"guest"_qs), (QStringList{u"Waiting"_qs, u"Waiting too"_qs}));
        // In the chart the long name is shortened, the whole of it kept as the tooltip; the
        // guests not seated are counted with the seats they need.
        const QString svg = between(html, u"<section id=\"chart\">"_qs, u"</section>"_qs);
        QVERIFY(svg.contains(u"…<title>"_qs + longName + u"</title>"_qs));
        QVERIFY(svg.contains(u"Not seated: 2 guests need 3 seats"_qs));
        QCOMPARE(svg.count(u"<circle"_qs), 4);

        QVERIFY(QString::fromUtf8(Reports::seatingReport(nullptr, nullptr, {}))
                    .contains(u"There are no tables and no guests yet."_qs));
    }

    // Names padded with thousands of zero-width characters before the visible ones are
    // shortened like any other (this once took seconds a name), and the chart is whole. The
    // padding prints as one character: it shows nothing.
    void zeroWidthPaddedNamesAreFitted() {
        PalmDatabase tables;
        PalmDatabase guests;
        addTable(tables, u"1"_qs, u"20"_qs);
        QStringList names;
        for (int i = 0; i < 20; ++i) {
            QString padding;
            for (int k = 0; k < 5000; ++k)
                padding += QChar(k % 3 == 0 ? 0x200D : 0x200B); // joiners and zero-width spaces
            names << padding + u"Maximiliane Theodora von Hohenzollern-Sigmaringen %1"_qs.arg(i);
            addGuest(guests, names.last(), u"1"_qs, u"1"_qs);
        }
        const QString html = QString::fromUtf8(Reports::seatingReport(&tables, &guests, {}));
        QVERIFY(html.endsWith(u"</svg></div>\r\n</section>\r\n</body></html>\r\n"_qs));
        const QString svg = between(html, u"<section id=\"chart\">"_qs, u"</section>"_qs);
        const QRegularExpression label(u"<text [^>]*>([^<]*)<title>([^<]*)</title></text>"_qs);
        QStringList tooltips;
        for (auto it = label.globalMatch(svg); it.hasNext();) {
            const auto match = it.next();
            QVERIFY(match.captured(1).endsWith(u"…"_qs));
            QVERIFY(match.captured(1).contains(u"Maxi"_qs));
            tooltips << match.captured(2);
        }
        tooltips.sort();
        names.sort();
        for (QString &name : names)
            name.remove(1, 4999); // the padding's first character stays
        QCOMPARE(tooltips, names);
    }
};

VOWLINE_TEST(TestSeatingReport)
#include "tst_seatingreport.moc"
