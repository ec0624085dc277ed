// Printing from the program: File > Print, Print Preview and Export PDF, the Reports menu's
// Print Report. The pages go into PDF files through Qt's own printer (offscreen), and Poppler's
// pdftotext and pdfinfo read them back.
#include "app/frmmain.h"
#include "app/printing.h"
#include "app/printpreview.h"
#include "plan/appstate.h"
#include "reports/printedplan.h"
#include "support/guitest.h"
#include "views/guesttab.h"
#include "widgets/listgrid.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolBar>

using namespace PrintedPlan;
using Schema::DbId;

namespace {

const QRegularExpression kGuestHeading(u"Name\\s+Relation\\s+Status\\s+RSVP\\s+Address"_qs);

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_skip = missingPoppler();
        // Money and dates as the checks read them.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void cleanupTestCase() { QLocale::setDefault(QLocale::system()); }

    void init() {
        m_window = std::make_unique<TabTestWindow>();
        PlanSet set;
        buildPlan(set);
        addRecord(set.db(DbId::Plan), {{"ownr", u"Smith"_qs}});
        appState().plan.replace(std::move(set));
        m_window->planSaved();
        m_printer = frame().findChild<Printing::PlanPrinter *>();
        QVERIFY(m_printer);
    }
    void cleanup() {
        VERIFY_PROMPTS(m_window->prompter());
        m_window.reset();
    }

    void papers_data() {
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<QString>("size");
        QTest::newRow("Letter") << QPageSize::Letter << u"(letter)"_qs;
        QTest::newRow("A4") << QPageSize::A4 << u"(A4)"_qs;
    }

    // File > Print on the Guests tab, the notes shown: every guest once, each row whole on its
    // page, the heading row and "Page i of N" on every page, the paper chosen in the dialog.
    void guestList_data() { papers_data(); }
    void guestList() {
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(QString, size);
        if (!m_skip.isEmpty())
            QSKIP(qPrintable(m_skip));
        frame().showTab(TabHost::GuestsPage);
        ListGrid &grid = *frame().guests()->grid();
        grid.setColumnShown(columnOf(grid, u"Notes"_qs), true);
        const auto printed = printFromMenu(paper);
        QVERIFY(printed);
        QVERIFY2(printed->paperSize.endsWith(size), qPrintable(printed->paperSize));
        // 12 pages on Letter, 11 on A4 with DejaVu Sans at 9 points.
        const int pages = int(printed->layout.size());
        QVERIFY2(pages >= 8 && pages <= 16, qPrintable(QString::number(pages)));
        for (int p = 0; p < pages; ++p) {
            QVERIFY2(printed->layout[p].contains(kGuestHeading), qPrintable(printed->layout[p]));
            QVERIFY(printed->layout[p].contains(u"Page %1 of %2"_qs.arg(p + 1).arg(pages)));
            QVERIFY(printed->layout[p].contains(u"Guest List for Smith"_qs));
        }
        const QString all = printed->running.join(QString());
        for (int i = 0; i < kGuests; ++i) {
            const QString name = guestName(i);
            QCOMPARE(occurrences(all, name), 1);
            // Both lines of the note, on the page of the name.
            QCOMPARE(pagesWith(printed->running, u"Note A"_qs + number(i)),
                     pagesWith(printed->running, name));
            QCOMPARE(pagesWith(printed->running, u"Note B"_qs + number(i)),
                     pagesWith(printed->running, name));
        }
        QVERIFY(printed->running.first().contains(u"300listed"_qs));
    }

    // The list as the user filtered, found and sorted it.
    void guestListAsShown() {
        if (!m_skip.isEmpty())
            QSKIP(qPrintable(m_skip));
        frame().showTab(TabHost::GuestsPage);
        GuestTab &tab = *frame().guests();
        tab.statusBox()->setCurrentIndex(tab.statusBox()->findText(u"Confirmed"_qs));
        tab.UpdateGuestGrid();
        tab.findBox()->setText(u"Zola"_qs);
        // Two clicks on the Name heading: Z to A.
        emit tab.grid()->horizontalHeader()->sectionClicked(1);
        emit tab.grid()->horizontalHeader()->sectionClicked(1);
        const auto printed = printFromMenu(QPageSize::Letter);
        QVERIFY(printed);
        const QString all = printed->running.join(QString());
        QStringList expected;
        for (int i = kGuests - 1; i >= 0; --i) {
            if (i % 8 == 2 && i % 3 != 0)
                expected << guestName(i).remove(u' ');
        }
        // Only the confirmed guests found, in the order of the sorted column.
        qsizetype at = 0;
        for (const QString &name : expected) {
            const qsizetype found = all.indexOf(name, at);
            QVERIFY2(found >= at, qPrintable(name));
            at = found;
        }
        QCOMPARE(occurrences(all, u"Zoë Ångström"_qs), 0);
        QVERIFY(printed->layout.first().contains(u"Status: Confirmed"_qs));
        QVERIFY(printed->layout.first().contains(u"%1 of 300 listed"_qs.arg(expected.size())));
        QVERIFY(printed->layout.first().contains(u"Sorted by Name, descending"_qs));
    }

    // Export PDF on the Seating tab writes the seating chart: every guest once in the escort
    // list and once among the tables, the heading row on each escort page, the chart's sheets
    // on pages of their own.
    void seatingChart_data() { papers_data(); }
    void seatingChart() {
        QFETCH(QPageSize::PageSizeId, paper);
        if (!m_skip.isEmpty())
            QSKIP(qPrintable(m_skip));
        frame().showTab(TabHost::SeatingPage);
        m_printer->printer().setPageSize(QPageSize(paper));
        const QString pdf = m_dir.filePath(u"Seating-%1.pdf"_qs.arg(int(paper)));
        m_window->prompter().expectSaveFile(u"Export PDF"_qs, pdf);
        action(u"mnuFileExportPdf"_qs)->trigger();
        const auto printed = readPdf(pdf);
        QVERIFY(printed);
        // The escort list, the tables two columns to a page, and six sheets of the chart.
        const int pages = int(printed->layout.size());
        const QRegularExpression chartHeading(u"SeatingChart(?!for)"_qs);
        const QList<int> tablesStart = pagesWith(printed->running, u"GuestsbyTable"_qs);
        QCOMPARE(tablesStart.size(), 1);
        int chartStart = -1;
        for (int p = tablesStart.first() + 1; p < pages && chartStart < 0; ++p) {
            if (printed->running[p].contains(chartHeading))
                chartStart = p;
        }
        QVERIFY(chartStart > tablesStart.first());
        // Several tables to a page, not one each; six tables to a sheet, a sheet to a page.
        QVERIFY2(chartStart - tablesStart.first() <= 7, qPrintable(QString::number(chartStart)));
        QCOMPARE(pages - chartStart, 6);
        for (int p = 0; p < tablesStart.first(); ++p) {
            QVERIFY(printed->layout[p].contains(QRegularExpression(u"Guest\\s+Seats\\s+Table"_qs)));
            QVERIFY(printed->layout[p].contains(u"Page %1 of %2"_qs.arg(p + 1).arg(pages)));
        }
        const QString all = printed->running.join(QString());
        const QString escort = all.section(u"GuestsbyTable"_qs, 0, 0);
        const QString tables = all.section(u"GuestsbyTable"_qs, 1).section(chartHeading, 0, 0);
        for (int i = 0; i < kGuests; ++i) {
            QCOMPARE(occurrences(escort, guestName(i)), 1);
            QCOMPARE(occurrences(tables, guestName(i)), 1);
        }
    }

    // The preview paints only the pages in view, follows the paper and orientation chosen,
    // moves from page to page and prints what it shows.
    void preview() {
        if (!m_skip.isEmpty())
            QSKIP(qPrintable(m_skip));
        frame().showTab(TabHost::GuestsPage);
        const QString pdf = m_dir.filePath(u"FromPreview.pdf"_qs);
        int portrait = 0;
        int offered = 0;
        onNextModal(u"dlgPrintPreview"_qs, [&](QDialog *dialog) {
            auto *preview = static_cast<PrintPreview *>(dialog);
            QTRY_VERIFY(preview->pages()->pagesPainted() > 0);
            portrait = preview->pageCount();
            QVERIFY(portrait >= 3);
            QCOMPARE(child<QLabel>(dialog, "lblPageCount")->text(), u"of %1"_qs.arg(portrait));
            QVERIFY2(preview->pages()->pagesPainted() <= 3,
                     qPrintable(QString::number(preview->pages()->pagesPainted())));
            QTest::keyClick(preview->pages(), Qt::Key_End);
            QCOMPARE(child<QSpinBox>(dialog, "spnPage")->value(), portrait);
            QTest::keyClick(preview->pages(), Qt::Key_Home);
            QCOMPARE(child<QSpinBox>(dialog, "spnPage")->value(), 1);
            choose(child<QComboBox>(dialog, "cboOrientation"), u"Landscape"_qs);
            QCOMPARE(child<QLabel>(dialog, "lblPageCount")->text(),
                     u"of %1"_qs.arg(preview->pageCount()));
            m_printer->setPrinterChooser([&](QPrinter &printer, int pages, QWidget *) {
                offered = pages;
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(pdf);
                return true;
            });
            clickButton(dialog, u"cmdPrint"_qs);
            // The print dialog offers the pages shown.
            QCOMPARE(offered, preview->pageCount());
        });
        frame().toolbarButton(6)->trigger();
        QVERIFY(modalHandlersDone());
        const auto printed = readPdf(pdf);
        QVERIFY(printed);
        QVERIFY(printed->paperSize.contains(u"792 x 612"_qs) ||
                printed->paperSize.contains(u"842 x 595"_qs));
        // The orientation chosen stays for the next job of the session.
        QCOMPARE(m_printer->printer().pageLayout().orientation(), QPageLayout::Landscape);

        // Reports > Print Report shows the report in the preview, on the paper chosen there.
        const QString report = m_dir.filePath(u"Payments.pdf"_qs);
        onNextModal(u"dlgPrintPreview"_qs, [&](QDialog *dialog) {
            auto *paper = child<QComboBox>(dialog, "cboPaperSize");
            paper->setCurrentIndex(paper->findData(int(QPageSize::A4)));
            emit paper->activated(paper->currentIndex());
            m_window->prompter().expectSaveFile(u"Export PDF"_qs, report);
            clickButton(dialog, u"cmdExportPdf"_qs);
            clickButton(dialog, u"cmdClose"_qs);
        });
        action(u"mnuReportsPrintPayments"_qs)->trigger();
        QVERIFY(modalHandlersDone());
        const auto payments = readPdf(report);
        QVERIFY(payments);
        QVERIFY2(payments->paperSize.endsWith(u"(A4)"_qs), qPrintable(payments->paperSize));
        QVERIFY(payments->layout.first().trimmed().startsWith(u"Upcoming Payments for Smith"_qs));
    }

    // What each tab prints: its list, or on the Details and Seating tabs their reports. The
    // vendor list ends in the confirmed vendors' prices, the payment list in the amounts due.
    void eachTab_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("content");
        QTest::addColumn<qint64>("total"); // in cents; -1: none
        const auto row = [](const char *name, TabHost::Tab tab, const char *content,
                            qint64 total = -1) {
            QTest::newRow(name) << int(tab) << QString::fromUtf8(name) + u" for Smith"_qs
                                << QString::fromUtf8(content) << total;
        };
        row("Wedding Details", TabHost::DetailsPage, "Reception:");
        row("Wedding Party", TabHost::PartyPage, "0 listed");
        row("Guest List", TabHost::GuestsPage, "300 listed");
        row("Vendor List", TabHost::VendorsPage, "40 listed", confirmedCost());
        row("Seating Chart", TabHost::SeatingPage, "Escort List");
        row("Wedding Tasks", TabHost::TasksPage, "0 listed");
        row("Upcoming Payments", TabHost::PaymentsPage, "Show: Final Payments", finalDue());
        row("Budget", TabHost::BudgetPage, "Still due");
    }
    void eachTab() {
        QFETCH(int, tab);
        QFETCH(QString, title);
        QFETCH(QString, content);
        QFETCH(qint64, total);
        if (!m_skip.isEmpty())
            QSKIP(qPrintable(m_skip));
        frame().showTab(TabHost::Tab(tab));
        choose(frame().findChild<QComboBox *>(u"cboPayment"_qs), u"Final Payments"_qs);
        const QString pdf = m_dir.filePath(u"Tab%1.pdf"_qs.arg(tab));
        m_window->prompter().expectSaveFile(u"Export PDF"_qs, pdf);
        action(u"mnuFileExportPdf"_qs)->trigger();
        const auto printed = readPdf(pdf);
        QVERIFY(printed);
        const QString first = printed->layout.first();
        QVERIFY2(first.trimmed().startsWith(title), qPrintable(first.left(200)));
        QVERIFY2(first.contains(content), qPrintable(first.left(2000)));
        QVERIFY(first.contains(u"Page 1 of %1"_qs.arg(printed->layout.size())));
        const auto sum = QRegularExpression(u"Total (confirmed cost|due)\\s+([\\d,.]+)"_qs)
                             .match(printed->layout.join(u'\n'));
        QCOMPARE(sum.hasMatch() ? centsOf(sum.captured(2)) : -1, total);
    }

    // A file that cannot be written is reported and nothing is lost: a folder in the way, an
    // older file the user keeps, a printer's file in a folder that does not exist.
    void failures() {
        frame().showTab(TabHost::VendorsPage);
        const auto expectExport = [this](const QString &file, Prompter::Answer replace) {
            m_window->prompter().expectSaveFile(u"Export PDF"_qs, file);
            m_window->prompter().expectMessage(
                u"%1 already exists.  Do you want to replace it?"_qs.arg(file), u"Export PDF"_qs,
                Prompter::Icon::Exclamation, Prompter::Buttons::YesNo, replace);
        };
        const QString folder = m_dir.filePath(u"Taken.pdf"_qs);
        QVERIFY(QDir().mkpath(folder));
        expectExport(folder, Prompter::Answer::Yes);
        m_window->prompter()
            .expectMessage(
                u"The file %1 cannot be written"_qs.arg(QDir::toNativeSeparators(folder)),
                u"Export PDF"_qs, Prompter::Icon::Exclamation)
            .prefixOnly();
        action(u"mnuFileExportPdf"_qs)->trigger();
        QVERIFY(QFileInfo(folder).isDir());

        const QString kept = m_dir.filePath(u"Kept.pdf"_qs);
        writeAll(kept, "older");
        expectExport(kept, Prompter::Answer::No);
        action(u"mnuFileExportPdf"_qs)->trigger();
        QCOMPARE(readAll(kept), QByteArray("older"));

        const QString nowhere = m_dir.filePath(u"missing/folder/List.pdf"_qs);
        m_printer->setPrinterChooser([&](QPrinter &printer, int, QWidget *) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(nowhere);
            return true;
        });
        m_window->prompter().expectMessage(
            u"The file %1 could not be written."_qs.arg(QDir::toNativeSeparators(nowhere)),
            u"Print"_qs, Prompter::Icon::Exclamation);
        action(u"mnuFilePrint"_qs)->trigger();
        QVERIFY(!QFileInfo::exists(nowhere));

        // Cancelled in the print dialog: nothing printed, nothing asked.
        m_printer->setPrinterChooser([](QPrinter &, int, QWidget *) { return false; });
        action(u"mnuFilePrint"_qs)->trigger();
    }

    // Pages the layout must not lose: a row taller than a page goes on over pages, line by
    // line, its heading row above it on each; a word wider than its column breaks.
    void tallRows_data() { papers_data(); }
    void tallRows() {
        QFETCH(QPageSize::PageSizeId, paper);
        if (!m_skip.isEmpty())
            QSKIP(qPrintable(m_skip));
        Print::Document document;
        document.title = u"Tall"_qs;
        document.printed = u"Printed today"_qs;
        Print::Table table;
        table.columns = {{0.2, false}, {0.8, false}};
        table.header.cells = {{u"Who"_qs, 1, true}, {u"What"_qs, 1, true}};
        QStringList lines;
        for (int i = 0; i < 150; ++i)
            lines << u"Line %1"_qs.arg(i, 3, 10, QChar(u'0'));
        table.rows.push_back({{{u"First"_qs}, {lines.join(u'\n')}}, false});
        table.rows.push_back({{{QString(300, u'X')}, {u"Last"_qs}}, false});
        document.blocks.emplace_back(std::move(table));
        const QString pdf = m_dir.filePath(u"Tall.pdf"_qs);
        Printing::writePdf(document, QPageLayout(QPageSize(paper), QPageLayout::Portrait, {}), pdf);
        const auto printed = readPdf(pdf);
        QVERIFY(printed);
        QVERIFY(printed->layout.size() >= 3);
        const QString all = printed->running.join(QString());
        for (const QString &line : lines)
            QCOMPARE(occurrences(all, line), 1);
        QCOMPARE(all.count(u'X'), 300);
        for (const QString &page : printed->layout)
            QVERIFY(page.contains(QRegularExpression(u"Who\\s+What"_qs)));
    }

private:
    frmMain &frame() { return m_window->window(); }

    QAction *action(const QString &name) { return frame().findChild<QAction *>(name); }

    static int columnOf(const ListGrid &grid, const QString &header) {
        for (int c = 1; c < grid.cols(); ++c) {
            if (grid.text(0, c) == header)
                return c;
        }
        return -1;
    }

    // File > Print into a PDF file on `paper`, chosen as in the print dialog.
    std::optional<Printed> printFromMenu(QPageSize::PageSizeId paper) {
        const QString pdf = m_dir.filePath(u"Printed-%1.pdf"_qs.arg(++m_jobs));
        m_printer->setPrinterChooser([&](QPrinter &printer, int, QWidget *) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageSize(QPageSize(paper));
            return true;
        });
        action(u"mnuFilePrint"_qs)->trigger();
        return readPdf(pdf);
    }

    QString m_skip;
    std::unique_ptr<TabTestWindow> m_window;
    Printing::PlanPrinter *m_printer = nullptr;
    QTemporaryDir m_dir;
    int m_jobs = 0;
};

VOWLINE_TEST(TestPrinting)
#include "tst_printing.moc"
