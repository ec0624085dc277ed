#pragma once

#include "printdocument.h"
#include "reports/reports.h"

#include <QObject>
#include <QPageLayout>
#include <functional>
#include <memory>
#include <optional>

class frmMain;
class ListGrid;
class PlanSet;
class QPrinter;
class QWidget;

// Printing from the program: File > Print..., Print Preview... and Export PDF..., the
// toolbar's Print button (the preview) and the Reports menu's "Print Report". What is printed
// is what the window shows: the current tab's list as a table, with its filter, find and sort;
// on the Details tab the details report, on the Seating tab the seating chart. Any report can
// be printed from the Reports menu. Pages are laid out by the program (printdocument.h), on
// the paper of the printer or of the user's choice.
namespace Printing {

// The report of `kind` as pages: the report's own HTML, read (reportpages.h).
Print::Document reportDocument(Reports::Kind kind, const PlanSet &set, const QString &title,
                               const Reports::Context &context);

// A total row under a list: `label` across the columns before the amount's column.
struct ListTotal {
    QString label;
    int column = 0; // of the model
    qint64 cents = 0;
};

// A list as its grid shows it: the shown columns in their order, sized as on the screen and
// scaled to the paper; the rows the list shows, in its order; `about` (the filters, the find
// text) under the title.
Print::Document listDocument(const ListGrid &grid, const QString &title, const QString &about,
                             const Reports::Context &context,
                             const std::optional<ListTotal> &total = std::nullopt);

// `document` as a PDF file on `page`; throws StoreError when it cannot be written (an older
// file of that name is then left as it was).
void writePdf(const Print::Document &document, const QPageLayout &page, const QString &path);

// The paper of the user's country: Letter in the Americas' Letter countries, A4 elsewhere.
QPageSize::PageSizeId localPaper(const QLocale &locale);

// Asks for the printer, its paper and the pages to print (Qt's print dialog); false when the
// user cancelled. Tests put in one that prints into a PDF file.
using PrinterChooser = std::function<bool(QPrinter &printer, int pageCount, QWidget *parent)>;

// The print commands of one main window. A child of the window, found by tests as
// findChild<Printing::PlanPrinter *>().
class PlanPrinter : public QObject {
    Q_OBJECT
public:
    explicit PlanPrinter(frmMain &window);
    ~PlanPrinter() override;

    void setPrinterChooser(PrinterChooser chooser) { m_chooser = std::move(chooser); }
    // The session's printer: the paper and orientation the user chose stay for the next job.
    QPrinter &printer();

    // What the window shows, as pages.
    Print::Document currentDocument() const;
    Print::Document reportDocument(Reports::Kind kind) const;

    // The print dialog, then the printer. Reports a printer that fails; true when printed.
    bool print(const Print::Document &document);
    // The preview (dlgPrintPreview), from which the user prints or exports.
    void preview(const Print::Document &document);
    // The save dialog, then the file. Reports a file that cannot be written.
    void exportPdf(const Print::Document &document);

private:
    QString planName() const;
    Print::Document listOfTab(int tab) const;

    frmMain &m_window;
    std::unique_ptr<QPrinter> m_printer;
    PrinterChooser m_chooser;
};

// Adds the print commands to `window`: File > Print... (Ctrl+P), Print Preview... and Export
// PDF... before Exit, the Reports menu's "Print Report", and the toolbar's Print button.
PlanPrinter *addCommands(frmMain &window);

} // namespace Printing
