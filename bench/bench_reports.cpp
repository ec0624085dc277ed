// The guest report and the seating report of a plan at the format's limit (65,535 guests), the
// seating report of names padded to 1,000 characters, the contact picker filling its list from
// an address book of 5,000 contacts, and the guest list of 65,535 guests printed to PDF and
// shown in the print preview. Prints medians.
#include "app/printing.h"
#include "app/printpreview.h"
#include "benchwindow.h"
#include "contacts/frmoutlook.h"
#include "contacts/vcard.h"
#include "plan/appstate.h"
#include "reports/reports.h"
#include "views/guesttab.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

namespace {

void fillGuests(PalmDatabase &guests, int count) {
    QRandomGenerator rng(7);
    guests.records().reserve(count);
    for (int i = 0; i < count; ++i) {
        Record &r = guests.records().add();
        guests.write(r, "gnam",
                     QStringLiteral("Guest & Zoë %1 %2").arg(rng.bounded(100000)).arg(i));
        guests.write(r, "gtyp", QStringLiteral("Bride's Family"));
        guests.write(r, "gcon", rng.bounded(2) == 1, FieldKind::Boolean);
        guests.write(r, "rsvp", QString::number(rng.bounded(1, 5)));
        guests.write(r, "gadr", QStringLiteral("12 Main Street"));
        guests.write(r, "gcit", QStringLiteral("Springfield"));
        guests.write(r, "gsta", QStringLiteral("OH"));
        guests.write(r, "gpho", QStringLiteral("555-0100"));
        guests.write(r, "gnot", QStringLiteral("Table near the <band>"));
    }
}

QByteArray addressBook(int count) {
    QRandomGenerator rng(11);
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        const QByteArray first = "Name" + QByteArray::number(rng.bounded(100000));
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Family" + QByteArray::number(i) + ";" + first +
               ";;;\r\nFN:" + first + " Family" + QByteArray::number(i) +
               "\r\nORG:Company\\, Inc.\r\nADR;TYPE=HOME:;;1 Long Street;Springfield;IL;62701;US"
               "\r\nTEL;TYPE=HOME,VOICE:555-0100\r\nTEL;TYPE=WORK:555-0199\r\n"
               "EMAIL;TYPE=INTERNET:someone@example.com\r\nNOTE:A note folded over\r\n  two "
               "lines\r\nEND:VCARD\r\n";
    }
    return out;
}

// The address book file, without the settings store.
class FileSource : public ContactSource {
public:
    explicit FileSource(QString path)
        : m_path(std::move(path)) {}
    std::optional<std::vector<Contact>> sortedContacts() override {
        auto contacts = VCard::readAddressBook(m_path);
        if (contacts)
            VCard::sortByFirstName(*contacts);
        return contacts;
    }
    QStringList placesSearched() const override { return {m_path}; }
    void choose(const QString &) override {}

private:
    QString m_path;
};

} // namespace

// The guest list of 65,535 guests as File > Print prints it into a PDF file, and the time until
// the preview shows its first page.
void printing(BenchWindow &bench, const QString &folder) {
    frmMain &window = bench.window;
    fillGuests(appState().plan.db(Schema::DbId::Guest), 65535);
    window.showTab(frmMain::GuestsPage);
    window.guests()->UpdateGuestGrid();
    auto *printer = window.findChild<Printing::PlanPrinter *>();
    const QString pdf = folder + QStringLiteral("/Guests.pdf");
    printer->setPrinterChooser([&](QPrinter &p, int, QWidget *) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        p.setPageSize(QPageSize(QPageSize::Letter));
        return true;
    });
    QAction *print = window.findChild<QAction *>(QStringLiteral("mnuFilePrint"));
    const double printed = medianMs(bench.runs, [&] { print->trigger(); });
    std::printf("(%lld bytes)\n", QFile(pdf).size());
    report("guest list, 65,535 guests, printed to PDF", printed, 5000);

    // The Guest List report of the same guests, read from its HTML and printed the same way.
    const QString reportPdf = folder + QStringLiteral("/Guest_List.pdf");
    const QPageLayout letter(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                             QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    const double guestReport = medianMs(bench.runs, [&] {
        Printing::writePdf(Printing::reportDocument(Reports::Guests, appState().plan.set(),
                                                    QStringLiteral("Guest List for Bench"),
                                                    Reports::Context::now()),
                           letter, reportPdf);
    });
    std::printf("(%lld bytes)\n", QFile(reportPdf).size());
    report("guest report, 65,535 guests, printed to PDF", guestReport, 5000);

    // From the toolbar's button to the first page painted in the preview.
    QAction *preview = window.toolbarButton(6);
    std::vector<double> shown;
    int pages = 0;
    for (int run = 0; run < bench.runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<PrintPreview *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->grab(); // paints what is in view
            shown.push_back(double(clock.nsecsElapsed()) / 1e6);
            pages = dialog->pageCount();
            dialog->reject();
        });
        preview->trigger();
    }
    if (shown.empty())
        return;
    std::sort(shown.begin(), shown.end());
    std::printf("(%d pages)\n", pages);
    report("print preview, 65,535 guests, first page", shown[shown.size() / 2], 1000);
}

int main(int argc, char **argv) {
    BenchWindow bench(argc, argv);
    const int runs = bench.runs;
    QTemporaryDir dir;

    PalmDatabase guests;
    fillGuests(guests, 65535);
    std::printf("Reports and contacts; %d runs each, medians\n\n", runs);
    const QString path = dir.filePath(QStringLiteral("Guest_List.htm"));
    const double report65k = medianMs(runs, [&] {
        Reports::writeReportFile(
            path, Reports::guestReport(&guests, QStringLiteral("Guest List for Bench")));
    });
    std::printf("(%lld bytes)\n", QFile(path).size());
    report("guest report, 65,535 guests, written", report65k, 300);

    // Every guest but each tenth seated at one of 500 tables, ordered as an English desktop
    // would order them.
    PalmDatabase tables;
    for (int t = 1; t <= 500; ++t) {
        Record &r = tables.records().add();
        tables.write(r, "ttag", QString::number(t));
        tables.write(r, "maxs", QStringLiteral("10"));
    }
    for (int i = 0; i < guests.records().count(); ++i) {
        if (i % 10 != 0)
            guests.write(guests.records().item(i + 1), "gtag", QString::number(i % 500 + 1));
    }
    const QString seatingPath = dir.filePath(QStringLiteral("Seating.htm"));
    const Reports::Context english{QLocale(QLocale::English), QDate(2027, 6, 12)};
    auto seating = [&](const char *what, double targetMs) {
        const double ms = medianMs(runs, [&] {
            Reports::writeReportFile(
                seatingPath,
                Reports::seatingReport(&tables, &guests, QStringLiteral("Seating Chart for Bench"),
                                       english));
        });
        std::printf("(%lld bytes)\n", QFile(seatingPath).size());
        report(what, ms, targetMs);
    };
    seating("seating report, 65,535 guests, 500 tables", 300);

    // The same seating with every name 1,000 characters long: 900 zero-width characters (as a
    // name pasted from a web page can carry) before a name too long for the chart, so each
    // shown name is shortened after walking its padding.
    QString padding;
    for (int k = 0; k < 900; ++k)
        padding += QChar(k % 3 == 0 ? 0x200D : 0x200B); // joiners and zero-width spaces
    for (int i = 0; i < guests.records().count(); ++i) {
        QString name = padding + QStringLiteral("Maximiliane Theodora %1 von Hohenzollern ").arg(i);
        while (name.size() < 1000)
            name += QStringLiteral("Sigmaringen ");
        name.truncate(1000);
        guests.write(guests.records().item(i + 1), "gnam", name);
    }
    seating("seating report, names of 1,000 characters", 2000);

    const QString book = dir.filePath(QStringLiteral("contacts.vcf"));
    QFile file(book);
    if (!file.open(QIODevice::WriteOnly) || file.write(addressBook(5000)) < 0)
        return 1;
    file.close();
    FileSource source(book);
    const double read = medianMs(runs, [&] { source.sortedContacts(); });
    report("read and sort 5,000 contacts", read);
    frmOutlook picker(source, bench.prompter);
    const double fill = medianMs(runs, [&] { picker.FillList(); });
    if (picker.list()->count() != 5000)
        return 1;
    report("picker Fill List, 5,000 contacts", fill, 200);

    printing(bench, dir.path());
    return 0;
}
