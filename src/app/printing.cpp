#include "printing.h"

#include "frmmain.h"
#include "plan/appstate.h"
#include "printpreview.h"
#include "reportpages.h"
#include "rules/details.h"
#include "rules/displayforms.h"
#include "rules/replies.h"
#include "store/safefile.h"
#include "views/guesttab.h"
#include "widgets/listgrid.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QTabWidget>

using namespace Schema;

namespace Printing {

namespace {

const QString kExportTitle = QStringLiteral("Export PDF");
const QString kPrintTitle = QStringLiteral("Print");

// What each tab prints: its list under the title of the report of the same records, or (the
// Details and Seating tabs) that report itself.
struct TabPrint {
    TabHost::Tab tab;
    Reports::Kind kind;
    bool report;
};
constexpr TabPrint kTabs[] = {{TabHost::DetailsPage, Reports::Details, true},
                              {TabHost::PartyPage, Reports::Party, false},
                              {TabHost::GuestsPage, Reports::Guests, false},
                              {TabHost::VendorsPage, Reports::Vendors, false},
                              {TabHost::SeatingPage, Reports::Seating, true},
                              {TabHost::TasksPage, Reports::Tasks, false},
                              {TabHost::PaymentsPage, Reports::Payments, false},
                              {TabHost::BudgetPage, Reports::Budget, true}};

bool askPrinter(QPrinter &printer, int pageCount, QWidget *parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("dlgPrint"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    dialog.setMinMax(1, std::max(1, pageCount));
    return dialog.exec() == QDialog::Accepted;
}

// A title as a file name: without the characters file systems refuse.
QString fileNameOf(const QString &title) {
    QString name;
    for (QChar c : title) {
        if (c.unicode() < 0x20 || QStringView(u"/\\:*?\"<>|").contains(c))
            name += u'_';
        else
            name += c;
    }
    name = name.simplified().left(120).trimmed();
    return (name.isEmpty() ? QStringLiteral("Vowline") : name) + QStringLiteral(".pdf");
}

// The filter boxes of a list tab that hold back some records, as "Relation: Friends".
QStringList filtersOf(const QWidget &tab) {
    QStringList shown;
    for (const QLabel *label : tab.findChildren<QLabel *>()) {
        const auto *box = qobject_cast<const QComboBox *>(label->buddy());
        if (!box)
            continue;
        const QString value = box->currentText().trimmed();
        if (value.isEmpty() || value == u"All" || value == u"Edit...")
            continue;
        QString name = label->text().remove(u'&').trimmed();
        if (name.endsWith(u':'))
            name.chop(1);
        shown << name + QStringLiteral(": ") + value;
    }
    return shown;
}

// The list's total row: the confirmed vendors' prices under the vendor list, the amounts due
// under the payment list. In cents, from the stored amounts, as the reports add them.
std::optional<ListTotal> totalOf(const frmMain &window, const ListGrid &grid) {
    const RecordListModel &model = *grid.listModel();
    int column = 0;
    for (std::size_t c = 0; c < model.columns().size() && column == 0; ++c) {
        if (model.columns()[c].alignment & Qt::AlignRight)
            column = int(c) + 1;
    }
    if (column == 0)
        return std::nullopt;
    auto sum = [&](FieldCode code, bool confirmedOnly) {
        qint64 cents = 0;
        for (const Record *r : model.shownRecords()) {
            if (r && (!confirmedOnly || Replies::isConfirmed(*r, Vendor::kConfirmed)))
                cents = TextForms::addCents(cents, TextForms::cents(r->text(code)).value_or(0));
        }
        return cents;
    };
    if (grid.objectName() == u"VendorGrid")
        return ListTotal{QStringLiteral("Total confirmed cost"), column, sum(Vendor::kPrice, true)};
    if (grid.objectName() == u"PaymentGrid") {
        const auto *view = window.findChild<QComboBox *>(QStringLiteral("cboPayment"));
        const bool final = view && view->currentText() == u"Final Payments";
        return ListTotal{QStringLiteral("Total due"), column,
                         sum(final ? Vendor::kBalance : Vendor::kNext, false)};
    }
    return std::nullopt;
}

} // namespace

Print::Document reportDocument(Reports::Kind kind, const PlanSet &set, const QString &title,
                               const Reports::Context &context) {
    return ReportPages::fromHtml(Reports::reportText(kind, set, title, context));
}

Print::Document listDocument(const ListGrid &grid, const QString &title, const QString &about,
                             const Reports::Context &context,
                             const std::optional<ListTotal> &total) {
    const RecordListModel &model = *grid.listModel();
    Print::Document document;
    document.title = title;
    document.printed =
        QStringLiteral("Printed ") + TextForms::date(context.printed, context.locale);
    document.blocks.emplace_back(Print::Paragraph{title, Print::Style::Title});
    document.blocks.emplace_back(
        Print::Paragraph{about.isEmpty() ? document.printed : document.printed + u'\n' + about,
                         Print::Style::Subtitle});

    // The columns the grid shows, in its order. They are as wide as what they hold: widths
    // made for a screen print poorly (a narrow column of long names wraps every name).
    std::vector<int> shown;
    const QHeaderView *header = grid.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (column < 0 || grid.isColumnHidden(column) || grid.columnWidth(column) <= 0)
            continue;
        shown.push_back(column);
    }
    Print::Table table;
    table.fitToContent = true;
    for (const int column : shown) {
        Print::Column printed;
        const QVariant alignment =
            model.rowCount() > 0 ? model.data(model.index(0, column), Qt::TextAlignmentRole)
                                 : model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole);
        printed.right = (alignment.value<Qt::Alignment>() & Qt::AlignRight) != 0;
        table.columns.push_back(printed);
        table.header.cells.push_back(
            {model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), 1, true});
    }
    const int rows = model.rowCount();
    table.rows.resize(std::size_t(rows));
    for (int row = 0; row < rows; ++row) {
        std::vector<Print::Cell> &cells = table.rows[std::size_t(row)].cells;
        cells.reserve(shown.size());
        for (const int column : shown)
            cells.push_back({model.cellText(row, column), 1, false});
    }
    if (total) {
        const auto at = std::find(shown.begin(), shown.end(), total->column);
        const int place = at == shown.end() ? int(shown.size()) - 1 : int(at - shown.begin());
        const QString amount = TextForms::moneyFromCents(total->cents, context.locale);
        Print::Row row;
        row.total = true;
        if (place > 0)
            row.cells.push_back({total->label, place, true});
        row.cells.push_back({place > 0 ? amount : total->label + u' ' + amount, 1, true});
        if (int(shown.size()) - place - 1 > 0)
            row.cells.push_back({QString(), int(shown.size()) - place - 1, true});
        table.rows.push_back(std::move(row));
    }
    document.blocks.emplace_back(std::move(table));
    return document;
}

void writePdf(const Print::Document &document, const QPageLayout &page, const QString &path) {
    const Print::Layout layout(document, Print::printableSize(page));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(int(Print::kDotsPerInch));
        writer.setPageLayout(page);
        writer.setCreator(kProgramTitle);
        writer.setTitle(document.title);
        if (!Print::paint(layout, writer))
            throw StoreError(QStringLiteral("The pages could not be made into a PDF file."));
    }
    // Written whole or not at all: a full disk leaves an older file as it was.
    SafeFile::writeAtomically(path, buffer.data());
}

QPageSize::PageSizeId localPaper(const QLocale &locale) {
    if (locale.measurementSystem() == QLocale::ImperialUSSystem)
        return QPageSize::Letter;
    switch (locale.territory()) {
    case QLocale::Canada:
    case QLocale::Mexico:
    case QLocale::Chile:
    case QLocale::Colombia:
    case QLocale::CostaRica:
    case QLocale::DominicanRepublic:
    case QLocale::ElSalvador:
    case QLocale::Guatemala:
    case QLocale::Nicaragua:
    case QLocale::Panama:
    case QLocale::Philippines:
    case QLocale::PuertoRico:
    case QLocale::Venezuela:
        return QPageSize::Letter;
    default:
        return QPageSize::A4;
    }
}

// --- The commands ------------------------------------------------------------------------------

PlanPrinter::PlanPrinter(frmMain &window)
    : QObject(&window)
    , m_window(window)
    , m_chooser(askPrinter) {
    setObjectName(QStringLiteral("PlanPrinter"));
}

PlanPrinter::~PlanPrinter() = default;

QPrinter &PlanPrinter::printer() {
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // Without a printer of the desktop's, the paper is the country's.
        if (m_printer->outputFormat() == QPrinter::PdfFormat)
            m_printer->setPageSize(QPageSize(localPaper(QLocale())));
        // The reports' margins, where the printer can print that close to the edge.
        m_printer->setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        m_printer->setCreator(kProgramTitle);
    }
    return *m_printer;
}

QString PlanPrinter::planName() const {
    const Plan &plan = m_window.state().plan;
    return plan.isOpen() ? DetailsRecord::planName(plan.db(DbId::Plan)) : QString();
}

Print::Document PlanPrinter::reportDocument(Reports::Kind kind) const {
    BusyPointer busy(m_window.state().prompter());
    const Reports::Info *info = Reports::info(kind);
    return Printing::reportDocument(kind, m_window.state().plan.set(),
                                    info ? info->titlePrefix + planName() : planName(),
                                    Reports::Context::now());
}

Print::Document PlanPrinter::currentDocument() const {
    BusyPointer busy(m_window.state().prompter());
    const int tab = m_window.mainTab()->currentIndex();
    for (const TabPrint &print : kTabs) {
        if (print.tab == tab)
            return print.report ? reportDocument(print.kind) : listOfTab(tab);
    }
    return reportDocument(Reports::Details);
}

Print::Document PlanPrinter::listOfTab(int tab) const {
    QWidget *page = m_window.mainTab()->widget(tab);
    const ListGrid *grid = page ? page->findChild<ListGrid *>() : nullptr;
    if (!grid)
        return reportDocument(Reports::Details);
    Reports::Kind kind = Reports::Details;
    for (const TabPrint &print : kTabs) {
        if (print.tab == tab)
            kind = print.kind;
    }
    // The gifts view is a list of its own: its filters do not apply.
    const bool gifts = tab == TabHost::GuestsPage && m_window.guests()->giftsShown();
    const QString name = planName();
    QString title = gifts ? QStringLiteral("Wedding Gifts for ") : Reports::info(kind)->titlePrefix;
    if (name.isEmpty() && title.endsWith(QStringLiteral(" for ")))
        title.chop(5);
    else
        title += name;

    const RecordListModel &model = *grid->listModel();
    QStringList about = gifts ? QStringList() : filtersOf(*page);
    if (!model.searchText().isEmpty())
        about << QStringLiteral("Find: %1").arg(model.searchText());
    if (const auto column = model.sortColumn()) {
        about << QStringLiteral("Sorted by %1, %2")
                     .arg(model.headerData(*column, Qt::Horizontal, Qt::DisplayRole).toString(),
                          model.sortOrder() == Qt::DescendingOrder ? QStringLiteral("descending")
                                                                   : QStringLiteral("ascending"));
    }
    about << (model.rowCountShown() == model.recordCount()
                  ? QStringLiteral("%1 listed").arg(model.rowCountShown())
                  : QStringLiteral("%1 of %2 listed")
                        .arg(model.rowCountShown())
                        .arg(model.recordCount()));
    return listDocument(*grid, title, about.join(QStringLiteral("  \u00b7  ")),
                        Reports::Context::now(), totalOf(m_window, *grid));
}

bool PlanPrinter::print(const Print::Document &document) {
    Prompter &prompter = m_window.state().prompter();
    QPrinter &printer = this->printer();
    printer.setDocName(document.title);
    printer.setPrintRange(QPrinter::AllPages);
    const QPageLayout offered = printer.pageLayout();
    std::unique_ptr<Print::Layout> layout;
    {
        BusyPointer busy(prompter);
        layout = std::make_unique<Print::Layout>(document, Print::printableSize(offered));
    }
    // Over the preview when it asks.
    QWidget *parent = QApplication::activeModalWidget();
    if (!m_chooser(printer, layout->pageCount(), parent ? parent : &m_window))
        return false;
    BusyPointer busy(prompter);
    // Another paper chosen in the dialog: the pages are laid out again.
    if (!Print::samePaper(printer.pageLayout(), offered))
        layout =
            std::make_unique<Print::Layout>(document, Print::printableSize(printer.pageLayout()));
    const bool range = printer.printRange() == QPrinter::PageRange;
    if (!Print::paint(*layout, printer, range ? printer.fromPage() : 0,
                      range ? printer.toPage() : 0) ||
        printer.printerState() == QPrinter::Error) {
        prompter.tell(
            printer.outputFileName().isEmpty()
                ? QStringLiteral("The pages could not be printed on %1.").arg(printer.printerName())
                : QStringLiteral("The file %1 could not be written.")
                      .arg(QDir::toNativeSeparators(printer.outputFileName())),
            kPrintTitle, Prompter::Icon::Exclamation);
        return false;
    }
    return true;
}

void PlanPrinter::preview(const Print::Document &document) {
    std::unique_ptr<PrintPreview> dialog;
    {
        BusyPointer busy(m_window.state().prompter());
        dialog = std::make_unique<PrintPreview>(document, printer().pageLayout(), &m_window);
    }
    dialog->setPrintCommand([this, &document, &dialog](const QPageLayout &page) {
        printer().setPageLayout(page);
        const bool printed = print(document);
        // The paper chosen in the print dialog is the preview's too.
        dialog->setPageLayout(printer().pageLayout());
        return printed;
    });
    dialog->setExportCommand([this, &document](const QPageLayout &page) {
        printer().setPageLayout(page);
        exportPdf(document);
    });
    dialog->exec();
    printer().setPageLayout(dialog->pageLayout());
}

void PlanPrinter::exportPdf(const Print::Document &document) {
    Prompter &prompter = m_window.state().prompter();
    const QString &planFolder = m_window.state().currentSetFolder;
    const QString folder =
        !planFolder.isEmpty() && QFileInfo(planFolder).isDir()
            ? planFolder
            : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const auto path = prompter.saveFile(kExportTitle, folder, QStringLiteral("PDF Files|*.pdf"),
                                        fileNameOf(document.title));
    if (!path)
        return;
    if (SafeFile::probe(*path) != SafeFile::Kind::Missing &&
        prompter.message(QStringLiteral("%1 already exists.  Do you want to replace it?")
                             .arg(QDir::toNativeSeparators(*path)),
                         kExportTitle, Prompter::Icon::Exclamation,
                         Prompter::Buttons::YesNo) != Prompter::Answer::Yes)
        return;
    try {
        BusyPointer busy(prompter);
        writePdf(document, printer().pageLayout(), *path);
    } catch (const StoreError &error) {
        prompter.tell(error.description(), kExportTitle, Prompter::Icon::Exclamation);
    }
}

PlanPrinter *addCommands(frmMain &window) {
    auto *printer = new PlanPrinter(window);
    auto item = [printer](QMenu *menu, const QString &name, const QString &caption,
                          std::function<void()> command) {
        auto *action = new QAction(caption, menu);
        action->setObjectName(name);
        QObject::connect(action, &QAction::triggered, printer, command);
        return action;
    };

    if (QMenu *file = window.findChild<QMenu *>(QStringLiteral("mnuFile"))) {
        QAction *print = item(file, QStringLiteral("mnuFilePrint"), PlanPrinter::tr("&Print..."),
                              [printer] { printer->print(printer->currentDocument()); });
        print->setShortcut(QKeySequence::Print);
        QAction *preview =
            item(file, QStringLiteral("mnuFilePrintPreview"), PlanPrinter::tr("Print Pre&view..."),
                 [printer] { printer->preview(printer->currentDocument()); });
        QAction *pdf =
            item(file, QStringLiteral("mnuFileExportPdf"), PlanPrinter::tr("Export P&DF..."),
                 [printer] { printer->exportPdf(printer->currentDocument()); });
        // Before the separator above Exit.
        const QList<QAction *> actions = file->actions();
        QAction *exit = window.findChild<QAction *>(QStringLiteral("mnuFileExit"));
        const qsizetype at = actions.indexOf(exit);
        QAction *before = at > 0 && actions[at - 1]->isSeparator() ? actions[at - 1] : exit;
        file->insertSeparator(before);
        file->insertActions(before, {print, preview, pdf});
    }
    if (QAction *button = window.toolbarButton(6)) {
        QObject::connect(button, &QAction::triggered, printer,
                         [printer] { printer->preview(printer->currentDocument()); });
    }
    if (QMenu *reports = window.findChild<QMenu *>(QStringLiteral("mnuReports"))) {
        // Each report of the menu, named as there ("mnuReportsGuests" → "mnuReportsPrintGuests").
        const QList<QAction *> shown = reports->actions();
        reports->addSeparator();
        QMenu *submenu = reports->addMenu(PlanPrinter::tr("P&rint Report"));
        submenu->setObjectName(QStringLiteral("mnuReportsPrint"));
        const QString prefix = QStringLiteral("mnuReports");
        for (const QAction *report : shown) {
            if (!report->data().isValid())
                continue;
            const auto kind = Reports::Kind(report->data().toInt());
            submenu->addAction(item(
                submenu, prefix + QStringLiteral("Print") + report->objectName().mid(prefix.size()),
                report->text(),
                [printer, kind] { printer->preview(printer->reportDocument(kind)); }));
        }
    }
    return printer;
}

} // namespace Printing
