#include "vendorstab.h"

#include "editors/categorylists.h"
#include "editors/frmrecordeditor.h"
#include "rules/money.h"
#include "store/appstate.h"
#include "store/planview.h"
#include "views/tabhost.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

namespace {

const QString kAll = QStringLiteral("All");
const QString kConfirmed = QStringLiteral("Confirmed");
const QString kUnconfirmed = QStringLiteral("Unconfirmed");
const QString kTrue = QStringLiteral("True");

const QStringList kHeaders = {"Name",    "Contact", "Service", "Status", "Price",
                              "Address", "City",    "State",   "Phone"};

QString fieldText(const Fields &fields, FieldCode code) {
    const Field *field = fields.find(code);
    return field ? field->value().toText() : QString();
}

} // namespace

VendorsTab::VendorsTab(TabHost &host, QWidget *parent)
    : ListTab(host, parent) {
    m_type = addFilterBox(QStringLiteral("cmbVendors"), tr("Ser&vice:"), true);
    m_status = addFilterBox(QStringLiteral("cmbVendorStatus"), tr("&Status:"), false);
    QPushButton *add = addButton(QStringLiteral("cmdAddVendor"), tr("&Add Vendor"));
    QPushButton *remove = addButton(QStringLiteral("cmdDeleteVendor"), tr("&Delete Vendor"));
    QPushButton *cost = addButton(QStringLiteral("cmdVendorCost"), tr("Vendor &Cost"));
    m_grid = new ListGrid(QStringLiteral("VendorGrid"), QStringLiteral("Vendor"), kHeaders);
    placeGrid(m_grid);

    installTypeAhead(m_type, QStringLiteral("vendor"));
    connect(m_type, &QComboBox::activated, this, &VendorsTab::UpdateVendorsGrid);
    // Enter and the loss of focus both end an edit of the typed service.
    if (QLineEdit *edit = m_type->lineEdit())
        connect(edit, &QLineEdit::editingFinished, this, &VendorsTab::UpdateVendorsGrid);
    connect(m_status, &QComboBox::activated, this, &VendorsTab::UpdateVendorsGrid);
    connect(add, &QPushButton::clicked, this, &VendorsTab::addVendor);
    connect(remove, &QPushButton::clicked, this, &VendorsTab::deleteVendor);
    connect(cost, &QPushButton::clicked, this, &VendorsTab::showVendorCost);
    connect(m_grid, &ListGrid::rowDoubleClicked, this, &VendorsTab::openCurrentRow);
}

PalmDatabase *VendorsTab::vendors() {
    PlanSet &set = appState().set;
    return set.isOpen() ? &set.db(Schema::DbId::Vendors) : nullptr;
}

void VendorsTab::UpdateVendorsGrid() {
    if (editCategoriesIfAsked(m_type, TabHost::CategoryList::VendorTypes))
        return;
    const QString type = m_type->currentText();
    const bool anyType = type == kAll;
    const QString status = statusFilter(m_status);
    const bool anyStatus = status == kAll;

    GridRebuild rebuild(*m_grid, kHeaders);
    const PalmDatabase *db = vendors();
    if (!db)
        return;
    const auto &records = db->records().raw();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Fields &fields = records[i]->fields();
        QString service = fieldText(fields, "vtyp");
        if (!anyType && service != type)
            continue;
        const QString confirmed = fieldText(fields, "vcon");
        if (!anyStatus && confirmed != status)
            continue;
        QStringList cells;
        cells.reserve(kHeaders.size());
        cells << fieldText(fields, "vnam") << fieldText(fields, "vcnt") << std::move(service)
              << (confirmed == kTrue ? kConfirmed : kUnconfirmed) << fieldText(fields, "vcos")
              << fieldText(fields, "vadr") << fieldText(fields, "vcit") << fieldText(fields, "vsta")
              << fieldText(fields, "vpho");
        rebuild.add(int(i) + 1, cells);
    }
}

void VendorsTab::writeNewVendor(PalmDatabase &db, Record &record) const {
    const QString type = categoryForNewRecord(m_type);
    const QDateTime today = QDate::currentDate().startOfDay();
    QDateTime wedding;
    try {
        wedding = Money::weddingDate(appState().set.db(Schema::DbId::Plan));
    } catch (const StoreError &) {
    }
    db.write(record, "vnam", QString());
    db.write(record, "vtyp", type);
    for (FieldCode code :
         {FieldCode("vcnt"), FieldCode("vadr"), FieldCode("vcit"), FieldCode("vsta"),
          FieldCode("vzip"), FieldCode("vpho"), FieldCode("vema"), FieldCode("vnot")})
        db.write(record, code, QString());
    db.write(record, "vcon", m_status->currentText() == kConfirmed, FieldKind::Boolean);
    db.write(record, "vcos", QString());
    db.write(record, "dued", wedding.isValid() ? wedding : today, FieldKind::Date);
    db.write(record, "vdwn", QString());
    db.write(record, "npay", QString());
    db.write(record, "ndat", today, FieldKind::Date);
    db.write(record, "vbal", QString());
    db.write(record, "paid", false, FieldKind::Boolean);
}

void VendorsTab::addVendor() {
    const int added = appendRecord(
        *m_grid, [this](PalmDatabase &db, Record &record) { writeNewVendor(db, record); });
    if (added == 0)
        return;
    AppState &state = appState();
    if (!runVendorEditor(this, added) || state.cancelled) {
        removeRecordSilently(added);
        state.cancelled = false;
        return;
    }
    UpdateVendorsGrid();
    m_host.planView().UpdatePayments();
    state.markPlanModified();
}

void VendorsTab::deleteVendor() {
    if (deleteCurrentRecord(*m_grid, [this](int row) { return m_grid->text(row, 1); }))
        appState().markPlanModified();
}

void VendorsTab::openCurrentRow() {
    const int number = m_grid->rowData(m_grid->row());
    if (number < 1 || !runVendorEditor(this, number))
        return;
    UpdateVendorsGrid();
    m_host.planView().UpdatePayments();
    AppState &state = appState();
    state.cancelled = false;
    if (state.changed)
        state.markPlanModified();
}

void VendorsTab::showVendorCost() {
    const PalmDatabase *db = vendors();
    const qint64 total = db ? Money::vendorCost(*db) : 0;
    appState().prompter().tell(QStringLiteral("Total Confirmed Vendor's Cost: $") +
                                   QString::number(total),
                               kProgramTitle, Prompter::Icon::None);
}

void VendorsTab::sortByName() {
    PalmDatabase *db = vendors();
    if (!db)
        return;
    db->sort("vnam", true, QString(), true);
    UpdateVendorsGrid();
    // The payment rows must follow the new record numbers too.
    m_host.planView().UpdatePayments();
    appState().prompter().tell(QStringLiteral("Wedding Vendors Database has been sorted."),
                               QStringLiteral("Database Sort"), Prompter::Icon::Information);
}

void VendorsTab::refreshList() {
    UpdateVendorsGrid();
    m_host.planView().UpdatePayments();
}

bool VendorsTab::runVendorEditor(QWidget *parent, int recordNumber) {
    AppState &state = appState();
    using Index = decltype(state.selectedRecord);
    if (!std::in_range<Index>(recordNumber))
        return false;
    state.editorKind = 5;
    state.selectedRecord = Index(recordNumber);
    frmRecordEditor editor(parent->window());
    editor.exec();
    return true;
}
