// The seating report: escort list, table pages and chart, checked in the text the writer makes
// and in what a real browser reads from it.
#include "reports/printmod.h"
#include "reports/reports.h"
#include "store/appstate.h"
#include "support/testenv.h"

#include <QCollator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <map>

using Schema::DbId;

namespace {

struct Seat {
    QString name;
    QString table; // trimmed ID; empty when not seated
};

void addTable(PalmDatabase &tables, const QString &tag, const QString &maxs,
              const QString &description = {}) {
    Record &r = tables.records().add();
    tables.write(r, "ttag", tag);
    tables.write(r, "tabl", description);
    tables.write(r, "maxs", maxs);
}

void addGuest(PalmDatabase &guests, const QString &name, const QString &rsvp,
              const std::optional<QString> &gtag) {
    Record &r = guests.records().add();
    guests.write(r, "gnam", name);
    guests.write(r, "rsvp", rsvp);
    if (gtag)
        guests.write(r, "gtag", *gtag);
}

// 30 tables and 300 guests: accented names and markup, every ninth guest unseated (one with
// a tag of blanks, some with an empty tag), tags padded with blanks on both sides.
std::vector<Seat> buildWedding(PlanSet &set) {
    for (const auto &info : Schema::kDatabases)
        set.setDatabase(info.id, std::make_unique<PalmDatabase>());
    PalmDatabase &tables = set.db(DbId::Tables);
    PalmDatabase &guests = set.db(DbId::Guest);
    for (int t = 1; t <= 30; ++t)
        addTable(tables, t % 4 == 0 ? QStringLiteral("  %1 ").arg(t) : QString::number(t),
                 QStringLiteral("10"),
                 t == 1 ? QStringLiteral("Head <table> & family") : QString());
    const QStringList names = {u"Zoë Ångström"_qs, u"<b>Ann</b>"_qs,   u"Tom & Jerry"_qs,
                               u"Émile Zola"_qs,   u"Łukasz Ðorđe"_qs, u"O'Brien \"Bo\""_qs,
                               u"Øyvind"_qs,       u"アン"_qs};
    std::vector<Seat> seats;
    for (int i = 0; i < 300; ++i) {
        const QString name = names[i % names.size()] + QStringLiteral(" %1").arg(i);
        const int table = i % 30 + 1;
        if (i % 9 == 0) {
            addGuest(guests, name, u"1"_qs,
                     i % 27 == 0 ? std::optional(u"   "_qs)
                                 : (i % 2 ? std::optional(QString()) : std::nullopt));
            seats.push_back({name, {}});
        } else {
            const QString tag =
                i % 5 == 0 ? QStringLiteral(" %1  ").arg(table) : QString::number(table);
            addGuest(guests, name, i % 11 == 0 ? QString() : QString::number(i % 3 + 1), tag);
            seats.push_back({name, QString::number(table)});
        }
    }
    return seats;
}

QString unescaped(QString html) {
    return html.replace(u"&lt;"_qs, u"<"_qs)
        .replace(u"&gt;"_qs, u">"_qs)
        .replace(u"&quot;"_qs, u"\""_qs)
        .replace(u"&nbsp;"_qs, QString(QChar(0xA0)))
        .replace(u"&amp;"_qs, u"&"_qs);
}

// The text between `from` and the next `to`.
QString between(const QString &text, const QString &from, const QString &to) {
    const qsizetype start = text.indexOf(from);
    if (start < 0)
        return {};
    const qsizetype end = text.indexOf(to, start + from.size());
    return text.mid(start + from.size(), end < 0 ? -1 : end - start - from.size());
}

QStringList guestCells(const QString &html) {
    static const QRegularExpression cell(u"<td class=\"guest\">(.*?)</td>"_qs);
    QStringList names;
    for (auto it = cell.globalMatch(html); it.hasNext();)
        names << unescaped(it.next().captured(1));
    return names;
}

// What the escort list says of each guest, in its order: name and table.
QList<QPair<QString, QString>> escortRows(const QString &html) {
    static const QRegularExpression row(
        u"<tr><td class=\"guest\">(.*?)</td><td class=\"seats\">[^<]*</td><td "
        "class=\"table( unseated)?\">(.*?)</td></tr>"_qs);
    QList<QPair<QString, QString>> rows;
    const QString escort = between(html, u"<section id=\"escort\">"_qs, u"</section>"_qs);
    for (auto it = row.globalMatch(escort); it.hasNext();) {
        const auto m = it.next();
        rows.append({unescaped(m.captured(1)),
                     m.captured(2).isEmpty() ? unescaped(m.captured(3)) : QString()});
    }
    return rows;
}

QString dumpDom(const QString &chromium, const QString &path) {
    QTemporaryDir profile;
    QProcess browser;
    browser.start(chromium, {u"--headless"_qs, u"--no-sandbox"_qs, u"--disable-gpu"_qs,
                             // Nothing but the local file: no updates, no sync.
                             u"--disable-background-networking"_qs,
                             u"--disable-component-update"_qs, u"--disable-sync"_qs,
                             u"--no-first-run"_qs, u"--user-data-dir="_qs + profile.path(),
                             u"--dump-dom"_qs, QUrl::fromLocalFile(path).toString()});
    if (!browser.waitForFinished(90000))
        return {};
    return QString::fromUtf8(browser.readAllStandardOutput());
}

} // namespace

class TestSeatingReport : public QObject {
    Q_OBJECT
private slots:
    void init() { m_program = std::make_unique<TestProgramFolder>(false); }
    void cleanup() {
        PrintMod::setViewer({});
        appState().set.release();
        m_program.reset();
    }

    // A real browser finds every guest once in the escort list and under the right table.
    void chromiumReadsEveryGuestAtItsTable() {
        const QString chromium = QStandardPaths::findExecutable(u"chromium"_qs);
        if (chromium.isEmpty())
            QSKIP("chromium is not installed (apt-get install chromium)");
        const std::vector<Seat> seats = buildWedding(appState().set);
        appState().editorKind = Reports::Seating;
        QStringList shown;
        PrintMod::setViewer([&](const QString &path) { shown << path; });
        const QString path = PrintMod::PrintReport(u"Zoë & <b>Ann</b>"_qs);
        QCOMPARE(shown, QStringList{m_program->path() + u"/Seating.htm"_qs});

        const QString dom = dumpDom(chromium, path);
        QVERIFY2(dom.contains(u"<h1>Seating Chart for Zoë &amp; &lt;b&gt;Ann&lt;/b&gt;</h1>"_qs),
                 qPrintable(dom.left(800)));
        QVERIFY(!dom.contains(u"<b>"_qs));           // markup in values stays text
        QVERIFY(!dom.contains(u"<table>"_qs));       // also in a description and in the chart
        QVERIFY(dom.contains(u"Łukasz Ðorđe 4"_qs)); // decoded as UTF-8

        std::map<QString, QString> expected;
        for (const Seat &s : seats)
            expected[s.name] = s.table;
        const auto rows = escortRows(dom);
        QCOMPARE(rows.size(), 300);
        std::map<QString, QString> listed;
        for (const auto &[name, table] : rows)
            QVERIFY2(listed.emplace(name, table).second, qPrintable(u"twice: "_qs + name));
        QVERIFY(listed == expected);
        QCollator collator;
        collator.setNumericMode(true);
        for (qsizetype i = 1; i < rows.size(); ++i)
            QVERIFY2(collator.compare(rows[i - 1].first, rows[i].first) <= 0,
                     qPrintable(rows[i - 1].first + u" > "_qs + rows[i].first));

        // One page per table: its guests and the seats they take.
        const QStringList pages = dom.split(u"<section class=\"table-page\">"_qs).mid(1);
        QCOMPARE(pages.size(), 30);
        std::map<QString, QString> atTables;
        for (const QString &page : pages) {
            const QString table = between(page, u"<h2>Table "_qs, u"</h2>"_qs);
            const QStringList names = guestCells(between(page, u"<tbody>"_qs, u"</tbody>"_qs));
            QVERIFY(between(page, u"<p class=\"count\">"_qs, u" guests, "_qs) ==
                    QString::number(names.size()));
            for (const QString &name : names)
                QVERIFY(atTables.emplace(name, table).second);
        }
        std::map<QString, QString> seated;
        for (const auto &[name, table] : expected) {
            if (!table.isEmpty())
                seated.emplace(name, table);
        }
        QVERIFY(atTables == seated);
        QVERIFY(pages.first().contains(u"Head &lt;table&gt; &amp; family"_qs));
        QCOMPARE(dom.count(u"<circle"_qs), 30);
    }

    // The order is the user's language's: Swedish puts Ö after Z, German among the Os.
    void escortOrderFollowsTheLocale() {
        PalmDatabase guests;
        for (const QString &name : {u"Zander"_qs, u"Öberg"_qs, u"Olsson"_qs, u"olsen"_qs})
            addGuest(guests, name, u"1"_qs, std::nullopt);
        auto order = [&](const char *locale) {
            QStringList names;
            const QString html =
                QString::fromUtf8(Reports::seatingReport(nullptr, &guests, {}, QLocale(locale)));
            for (const auto &row : escortRows(html))
                names << row.first;
            return names;
        };
        QCOMPARE(order("sv_SE"),
                 (QStringList{u"olsen"_qs, u"Olsson"_qs, u"Zander"_qs, u"Öberg"_qs}));
        QCOMPARE(order("de_DE"),
                 (QStringList{u"Öberg"_qs, u"olsen"_qs, u"Olsson"_qs, u"Zander"_qs}));
    }

    // Plans the table tab would not make but files may hold: a repeated ID, an ID of blanks,
    // guests at an ID no table has, an overfull table, a name too long for the chart.
    void oddTablesKeepEveryGuest() {
        PalmDatabase tables;
        PalmDatabase guests;
        addTable(tables, u"A"_qs, u"2"_qs);
        addTable(tables, u" A"_qs, u"8"_qs);
        addTable(tables, u"  "_qs, u"4"_qs);
        const QString longName = u"Maximiliane Theodora von Hohenzollern-Sigmaringen"_qs;
        addGuest(guests, longName, u"3"_qs, u"A "_qs);
        addGuest(guests, u"Gone"_qs, u"2"_qs, u"Z"_qs);
        const QString html = QString::fromUtf8(Reports::seatingReport(&tables, &guests, {}));
        const QStringList pages = html.split(u"<section class=\"table-page\">"_qs).mid(1);
        QCOMPARE(pages.size(), 4);
        QCOMPARE(guestCells(pages[0]), QStringList{longName});
        QVERIFY(pages[0].contains(u"1 guest, 3 of 2 seats taken, 1 over"_qs));
        QVERIFY(pages[1].contains(u"same ID"_qs));
        QCOMPARE(guestCells(pages[1]), QStringList{});
        QVERIFY(pages[2].contains(u"<h2>Table without an ID</h2>"_qs));
        QVERIFY(pages[3].contains(u"<h2>Table Z</h2>"_qs));
        QVERIFY(pages[3].contains(u"table list has no table"_qs));
        QCOMPARE(guestCells(pages[3]), QStringList{u"Gone"_qs});
        // In the chart the long name is shortened, the whole of it kept as the tooltip.
        const QString svg = between(html, u"<section id=\"chart\">"_qs, u"</section>"_qs);
        QVERIFY(svg.contains(u"…<title>"_qs + longName + u"</title>"_qs));
        QCOMPARE(svg.count(u"<circle"_qs), 4);

        QVERIFY(QString::fromUtf8(Reports::seatingReport(nullptr, nullptr, {}))
                    .contains(u"There are no tables and no guests yet."_qs));
    }

private:
    std::unique_ptr<TestProgramFolder> m_program;
};

VOWLINE_TEST(TestSeatingReport)
#include "tst_seatingreport.moc"
