// The reports as a browser prints them: headless Chromium makes PDF files on Letter and A4
// paper (set in the page's CSS, as a user's print dialog would), and Poppler's pdftotext and
// pdfinfo read them back.
#include "browser.h"
#include "reports/reports.h"
#include "store/planset.h"
#include "support/testenv.h"

#include <QRegularExpression>
#include <QTest>

using Schema::DbId;

namespace {

constexpr int kGuests = 300;
constexpr int kTables = 30;
constexpr int kVendors = 40;

const Reports::Context kContext{QLocale(QLocale::English, QLocale::UnitedStates),
                                QDate(2027, 1, 15)};

QString guestName(int i) {
    static const QStringList names = {u"Zoë Ångström"_qs,
                                      u"<b>Ann</b> & Bo"_qs,
                                      u"Émile Zola"_qs,
                                      u"Łukasz Ðorđe"_qs,
                                      u"O'Brien"_qs,
                                      u"Øyvind Berg"_qs,
                                      u"Anne-Marie Dubois-Lefèvre"_qs,
                                      u"Ōtani Ünal"_qs};
    return names[i % names.size()] + QStringLiteral(" (%1)").arg(i, 3, 10, QChar(u'0'));
}

// 300 guests at 30 tables (every 25th not seated), with two-line notes and addresses; 40
// vendors with prices, payments and due dates in no particular order.
void buildPlan(PlanSet &set) {
    for (const auto &info : Schema::kDatabases)
        set.setDatabase(info.id, std::make_unique<PalmDatabase>());
    PalmDatabase &tables = set.db(DbId::Tables);
    for (int t = 1; t <= kTables; ++t) {
        Record &r = tables.records().add();
        tables.write(r, "ttag", QString::number(t));
        tables.write(r, "maxs", u"12"_qs);
    }
    PalmDatabase &guests = set.db(DbId::Guest);
    for (int i = 0; i < kGuests; ++i) {
        Record &r = guests.records().add();
        const QString n = QStringLiteral("%1").arg(i, 3, 10, QChar(u'0'));
        guests.write(r, "gnam", guestName(i));
        guests.write(r, "gtyp", u"Bride's Family"_qs);
        guests.write(r, "gadr", u"12 Main Street"_qs);
        guests.write(r, "gcit", u"Springfield"_qs);
        guests.write(r, "gsta", u"OH"_qs);
        guests.write(r, "gzip", u"45501"_qs);
        guests.write(r, "gpho", u"555-1"_qs + n);
        guests.write(r, "gcon", i % 3 != 0, FieldKind::Boolean);
        guests.write(r, "rsvp", i % 4 == 0 ? QString() : QString::number(i % 4));
        guests.write(r, "gnot", u"Note A"_qs + n + u"\nNote B"_qs + n);
        if (i % 25 != 0)
            guests.write(r, "gtag", QString::number(i % kTables + 1));
    }
    PalmDatabase &vendors = set.db(DbId::Vendors);
    for (int i = 0; i < kVendors; ++i) {
        Record &r = vendors.records().add();
        vendors.write(r, "vnam", QStringLiteral("Vendor %1").arg(i, 2, 10, QChar(u'0')));
        vendors.write(r, "vtyp", u"Florist"_qs);
        vendors.write(r, "vcon", i % 4 != 3, FieldKind::Boolean);
        vendors.write(r, "vcos", QStringLiteral("%1.5").arg(1000 + i * 250));
        vendors.write(r, "npay", QString::number(100 * (i + 1)));
        vendors.write(r, "vbal", QStringLiteral("%1.25").arg(500 + i));
        vendors.write(r, "vnot", u"Deliver before noon\nCall first"_qs);
        // Due dates scattered over the year; every tenth vendor has none.
        if (i % 10 != 9) {
            vendors.write(r, "ndat", QDateTime(QDate(2027, 1 + (i * 7) % 12, 1), QTime(23, 15, 1)),
                          FieldKind::Date);
            vendors.write(r, "dued", QDateTime(QDate(2027, 1 + (i * 5) % 12, 2), QTime()),
                          FieldKind::Date);
        }
    }
}

struct Printed {
    QString paperSize;   // as pdfinfo says it
    QStringList layout;  // each page, laid out as printed
    QStringList running; // each page, in reading order, without blanks and line breaks
};

QString run(const QString &program, const QStringList &arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Prints `html` on `paper` ("letter" or "A4") and reads the PDF back.
std::optional<Printed> print(const QString &chromium, const QByteArray &html, const QString &paper,
                             const QTemporaryDir &dir, const QString &name) {
    QByteArray sized = html;
    sized.replace("</head>", "<style>@page { size: " + paper.toLatin1() + "; }</style>\r\n</head>");
    const QString page = dir.filePath(name + u'-' + paper + u".htm"_qs);
    const QString pdf = dir.filePath(name + u'-' + paper + u".pdf"_qs);
    Reports::writeReportFile(page, sized);
    // Without the browser's own header and footer, which repeat the title on every page: the
    // page holds the report's text alone.
    if (!runChromium(chromium, page, {u"--no-pdf-header-footer"_qs, u"--print-to-pdf="_qs + pdf}) ||
        !QFile::exists(pdf))
        return std::nullopt;
    Printed printed;
    const QString info = run(u"pdfinfo"_qs, {pdf});
    printed.paperSize = QRegularExpression(u"Page size:\\s+(.*)"_qs).match(info).captured(1);
    // pdftotext ends every page with a form feed.
    printed.layout = run(u"pdftotext"_qs, {u"-layout"_qs, pdf, u"-"_qs}).split(u'\f');
    printed.running = run(u"pdftotext"_qs, {u"-raw"_qs, pdf, u"-"_qs}).split(u'\f');
    printed.layout.removeLast();
    printed.running.removeLast();
    // Without blanks: a name wrapped in a narrow column reads as one.
    static const QRegularExpression blanks(u"\\s+"_qs);
    for (QString &text : printed.running)
        text.remove(blanks);
    if (printed.layout.isEmpty() || printed.layout.size() != printed.running.size())
        return std::nullopt;
    return printed;
}

// How often `name` stands in `text` (read without blanks). Every name and note carries a
// number of three digits, so none is part of another.
qsizetype occurrences(const QString &text, QString name) {
    name.remove(u' ');
    return text.count(name);
}

// The pages on which `text` stands.
QList<int> pagesWith(const QStringList &pages, const QString &text) {
    QList<int> found;
    for (int p = 0; p < pages.size(); ++p) {
        if (occurrences(pages[p], text) > 0)
            found << p;
    }
    return found;
}

// "1,234.50" as cents.
qint64 centsOf(QString shown) {
    shown.remove(u',');
    return qRound64(shown.toDouble() * 100);
}

} // namespace

class TestPrintedReports : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_chromium = chromiumPath();
        if (m_chromium.isEmpty())
            QSKIP("chromium is not installed (apt-get install chromium)");
        if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty() ||
            QStandardPaths::findExecutable(u"pdfinfo"_qs).isEmpty())
            QSKIP("pdftotext and pdfinfo are not installed (apt-get install poppler-utils)");
        buildPlan(m_set);
    }

    void papers_data() {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QString>("size");
        QTest::newRow("Letter") << u"letter"_qs << u"(letter)"_qs;
        QTest::newRow("A4") << u"A4"_qs << u"(A4)"_qs;
    }

    // Every guest once, on the page of its whole row; the heading row on every page.
    void guestList_data() { papers_data(); }
    void guestList() {
        QFETCH(QString, paper);
        QFETCH(QString, size);
        const auto printed = printReport(Reports::Guests, paper);
        QVERIFY(printed);
        QVERIFY2(printed->paperSize.endsWith(size), qPrintable(printed->paperSize));
        // 11 pages on Letter, 14 on A4 with DejaVu Sans; rows of a wider font wrap more.
        const int pages = int(printed->layout.size());
        QVERIFY2(pages <= 16, qPrintable(QString::number(pages)));
        const QRegularExpression heading(
            u"Name\\s+Relation\\s+Address\\s+Phone\\s+Status\\s+RSVP\\s+Notes"_qs);
        for (int p = 0; p < pages; ++p) {
            QVERIFY2(printed->layout[p].contains(heading), qPrintable(printed->layout[p]));
            QVERIFY(printed->layout[p].contains(u"Page %1 of %2"_qs.arg(p + 1).arg(pages)));
        }
        const QString all = printed->running.join(QString());
        for (int i = 0; i < kGuests; ++i) {
            const QString name = guestName(i);
            QCOMPARE(occurrences(all, name), 1);
            // The row is whole: its name and the last line of its note on the same page.
            const QString n = QStringLiteral("%1").arg(i, 3, 10, QChar(u'0'));
            QCOMPARE(pagesWith(printed->running, u"Note B"_qs + n),
                     pagesWith(printed->running, name));
        }
    }

    // Escort list, tables and chart: every guest once among the tables (or not seated), the
    // escort list's heading row on each of its pages, several tables to a page.
    void seatingChart_data() { papers_data(); }
    void seatingChart() {
        QFETCH(QString, paper);
        const auto printed = printReport(Reports::Seating, paper);
        QVERIFY(printed);
        // 18 pages on Letter, 16 on A4: six each for the escort list, the tables and the chart.
        const int pages = int(printed->layout.size());
        QVERIFY2(pages <= 22, qPrintable(QString::number(pages)));
        const QList<int> tablesStart = pagesWith(printed->running, u"GuestsbyTable"_qs);
        QCOMPARE(tablesStart.size(), 1);
        const QList<int> chartStart = pagesWith(printed->running, u"SeatingChart"_qs);
        QVERIFY(chartStart.size() >= 2 && chartStart[1] > tablesStart.first());
        // Several tables to a page, not one each.
        QVERIFY2(chartStart[1] - tablesStart.first() <= 8,
                 qPrintable(QString::number(chartStart[1])));
        for (int p = 0; p < tablesStart.first(); ++p)
            QVERIFY(printed->layout[p].contains(QRegularExpression(u"Guest\\s+Seats\\s+Table"_qs)));
        const QString all = printed->running.join(QString());
        const QString tables =
            all.section(u"GuestsbyTable"_qs, 1).section(u"SeatingChart"_qs, 0, 0);
        for (int i = 0; i < kGuests; ++i)
            QCOMPARE(occurrences(tables, guestName(i)), 1);
        QVERIFY(tables.contains(u"Notseated12guestsneed21seats"_qs));
    }

    // The vendor list's total, under the prices.
    void vendorTotal_data() { papers_data(); }
    void vendorTotal() {
        QFETCH(QString, paper);
        const auto printed = printReport(Reports::Vendors, paper);
        QVERIFY(printed);
        qint64 expected = 0;
        for (int i = 0; i < kVendors; ++i) {
            if (i % 4 != 3)
                expected += (1000 + i * 250) * 100 + 50;
        }
        const QString all = printed->layout.join(u'\n');
        const auto match = QRegularExpression(u"Total confirmed cost\\s+([\\d,.]+)"_qs).match(all);
        QVERIFY2(match.hasMatch(), qPrintable(all.right(2000)));
        QCOMPARE(centsOf(match.captured(1)), expected);
        for (const QString &page : printed->layout)
            QVERIFY(page.contains(QRegularExpression(u"Name\\s+Service\\s+Contact"_qs)));
    }

    // Payments by due date, each table with its total.
    void paymentTotals_data() { papers_data(); }
    void paymentTotals() {
        QFETCH(QString, paper);
        const auto printed = printReport(Reports::Payments, paper);
        QVERIFY(printed);
        qint64 pending = 0;
        qint64 final = 0;
        for (int i = 0; i < kVendors; ++i) {
            if (i % 4 != 3) {
                pending += 100 * (i + 1) * 100;
                final += (500 + i) * 100 + 25;
            }
        }
        const QString all = printed->layout.join(u'\n');
        QList<qint64> totals;
        for (auto it = QRegularExpression(u"Total due\\s+([\\d,.]+)"_qs).globalMatch(all);
             it.hasNext();)
            totals << centsOf(it.next().captured(1));
        QCOMPARE(totals, (QList<qint64>{pending, final}));
        // The pending due dates rise down the page.
        const QString section = all.section(u"Final Payments"_qs, 0, 0);
        QDate previous;
        for (auto it = QRegularExpression(u"^\\s*(\\d+/\\d+/\\d{4})\\s"_qs,
                                          QRegularExpression::MultilineOption)
                           .globalMatch(section);
             it.hasNext();) {
            const QDate due = QDate::fromString(it.next().captured(1), u"M/d/yyyy"_qs);
            QVERIFY(due.isValid());
            QVERIFY(!previous.isValid() || previous <= due);
            previous = due;
        }
        QVERIFY(previous.isValid());
    }

private:
    std::optional<Printed> printReport(Reports::Kind kind, const QString &paper) {
        const Reports::Info *info = Reports::info(kind);
        return print(m_chromium,
                     Reports::reportText(kind, m_set, info->titlePrefix + u"Smith"_qs, kContext),
                     paper, m_dir, info->fileName);
    }

    QString m_chromium;
    PlanSet m_set;
    QTemporaryDir m_dir;
};

VOWLINE_TEST(TestPrintedReports)
#include "tst_printedreports.moc"
