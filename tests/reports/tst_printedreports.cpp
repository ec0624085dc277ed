// The reports as a browser prints them: headless Chromium makes PDF files on Letter and A4
// paper (set in the page's CSS, as a user's print dialog would), and Poppler's pdftotext and
// pdfinfo read them back.
#include "browser.h"
#include "printedplan.h"
#include "reports/reports.h"
#include "store/planset.h"
#include "support/testenv.h"

#include <QRegularExpression>
#include <QTest>

using Schema::DbId;

using namespace PrintedPlan;

namespace {

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
    return readPdf(pdf);
}

} // namespace

class TestPrintedReports : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_chromium = chromiumPath();
        if (m_chromium.isEmpty())
            QSKIP("chromium is not installed (apt-get install chromium)");
        if (const QString missing = missingPoppler(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
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
            QCOMPARE(pagesWith(printed->running, u"Note B"_qs + number(i)),
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
