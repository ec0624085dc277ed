#include "vendorstab.h"

#include "editors/categorylists.h"
#include "editors/frmrecordeditor.h"
#include "plan/plan.h"
#include "rules/displayforms.h"
#include "rules/money.h"
#include "rules/newrecords.h"
#include "store/prompter.h"
#include "views/columns.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Schema;

namespace {

const QString kAll = QStringLiteral("All");

QString vendorName(const std::vector<FieldEntry> &entries) {
    for (const FieldEntry &entry : entries) {
        if (entry.code == Vendor::kName && entry.value)
            return entry.value->toText();
    }
    return {};
}

} // namespace

VendorsTab::VendorsTab(const FormContext &forms, TabHost &host, QWidget *parent)
    : ListTab(forms, host, parent)
    , m_shownType(kAll) {
    m_type = addFilterBox(QStringLiteral("cmbVendors"), tr("&Service:"), true);
    m_status = addFilterBox(QStringLiteral("cmbVendorStatus"), tr("S&tatus:"), false);
    QPushButton *add = addButton(QStringLiteral("cmdAddVendor"), tr("&Add Vendor"));
    QPushButton *remove = addButton(QStringLiteral("cmdDeleteVendor"), tr("&Delete Vendor"));
    QPushButton *cost = addButton(QStringLiteral("cmdVendorCost"), tr("Vendor &Cost"));
    m_model = new RecordListModel(
        forms.plan, DbId::Vendors,
        {Columns::field(tr("Name"), Vendor::kName, true),
         Columns::field(tr("Contact"), Vendor::kContact),
         Columns::field(tr("Service"), Vendor::kService),
         Columns::confirmation(tr("Status"), Vendor::kConfirmed),
         Columns::money(tr("Price"), Vendor::kPrice),
         Columns::field(tr("Address"), Vendor::kAddress), Columns::field(tr("City"), Vendor::kCity),
         Columns::field(tr("State"), Vendor::kState), Columns::field(tr("Phone"), Vendor::kPhone),
         Columns::extra(tr("Zip"), Vendor::kZip), Columns::extra(tr("E-Mail"), Vendor::kEmail),
         Columns::extra(tr("Notes"), Vendor::kNote)},
        this);
    m_model->setSearchFields({Vendor::kNote});
    m_model->setFilter([this](const Record &r) {
        return (m_shownType == kAll || r.text(Vendor::kService) == m_shownType) &&
               Replies::passes(m_shownStatus, Replies::isConfirmed(r, Vendor::kConfirmed));
    });
    m_grid =
        addGrid(QStringLiteral("VendorGrid"), QStringLiteral("Vendor"), m_model, tr("vendor list"));
    addFindBox(m_grid, tr("vendor list"));

    installTypeAhead(m_type, forms.plan, QStringLiteral("vendor"));
    connect(m_type, &QComboBox::activated, this, &VendorsTab::UpdateVendorsGrid);
    // Enter and the loss of focus both end an edit of the typed service.
    if (QLineEdit *edit = m_type->lineEdit())
        connect(edit, &QLineEdit::editingFinished, this, &VendorsTab::UpdateVendorsGrid);
    connect(m_status, &QComboBox::activated, this, &VendorsTab::UpdateVendorsGrid);
    connect(add, &QPushButton::clicked, this, &VendorsTab::addVendor);
    connect(remove, &QPushButton::clicked, this, &VendorsTab::deleteVendor);
    connect(cost, &QPushButton::clicked, this, &VendorsTab::showVendorCost);
    connect(m_grid, &ListGrid::rowDoubleClicked, this, &VendorsTab::openCurrentRow);
    connect(m_grid, &ListGrid::deleteRequested, this, &VendorsTab::deleteVendor);
    connect(&forms.plan, &Plan::changed, this, [this](const PlanChange &change) {
        if (change.touches(DbId::VenTypes))
            fillFilterBoxes();
    });
}

void VendorsTab::UpdateVendorsGrid() {
    if (editCategoriesIfAsked(m_type, CategoryKind::VendorTypes))
        return;
    m_shownType = m_type->currentText();
    m_shownStatus = Replies::statusOf(m_status->currentText());
    m_model->refresh();
}

void VendorsTab::fillFilterBoxes() {
    fillCategoryBox(m_type, m_forms.plan, CategoryKind::VendorTypes);
    fillFixedBox(m_status, {kAll, QStringLiteral("Confirmed"), QStringLiteral("Unconfirmed")});
    UpdateVendorsGrid();
}

bool VendorsTab::editVendor(const FormContext &forms, Record &vendor, QWidget *parent) {
    frmRecordEditor editor(forms, RecordKind::Vendor, vendor, false, parent);
    if (editor.exec() != QDialog::Accepted)
        return false;
    const std::vector<FieldEntry> entries = editor.entries();
    try {
        forms.plan.apply(tr("Edit Vendor %1").arg(vendorName(entries)), [&](PlanEdit &edit) {
            edit.writeAll(DbId::Vendors, vendor, entries);
            edit.sort(DbId::Vendors, Vendor::kName);
        });
    } catch (const StoreError &error) {
        forms.prompter.tell(error.description(), kProgramTitle, Prompter::Icon::Exclamation);
        return false;
    }
    return true;
}

void VendorsTab::addVendor() {
    const QDate wedding = Money::weddingDate(m_forms.plan.db(DbId::Plan)).date();
    std::unique_ptr<Record> record =
        NewRecords::vendor(categoryForNewRecord(m_type), m_status->currentText() == u"Confirmed",
                           wedding, QDate::currentDate());
    frmRecordEditor editor(m_forms, RecordKind::Vendor, *record, true, window());
    if (editor.exec() != QDialog::Accepted)
        return;
    const std::vector<FieldEntry> entries = editor.entries();
    addNewRecord(*m_grid, std::move(record), tr("Add Vendor %1").arg(vendorName(entries)),
                 [&](PlanEdit &edit, Record &added) {
                     edit.writeAll(DbId::Vendors, added, entries);
                     edit.sort(DbId::Vendors, Vendor::kName);
                 });
}

void VendorsTab::deleteVendor() {
    if (Record *vendor = m_grid->currentRecord())
        deleteCurrentRecord(*m_grid, m_grid->text(m_grid->row(), 1),
                            tr("Delete Vendor %1").arg(vendor->text(Vendor::kName)));
}

void VendorsTab::openCurrentRow() {
    if (Record *vendor = m_grid->currentRecord()) {
        if (editVendor(m_forms, *vendor, window()))
            m_grid->selectRecord(vendor);
    }
}

void VendorsTab::showVendorCost() {
    const qint64 total =
        m_forms.plan.isOpen() ? Money::vendorCost(m_forms.plan.db(DbId::Vendors)) : 0;
    m_forms.prompter.tell(QStringLiteral("Total Confirmed Vendor's Cost: $") +
                              TextForms::moneyFromWhole(total, QLocale()),
                          kProgramTitle, Prompter::Icon::None);
}

void VendorsTab::sortByName() {
    if (!m_forms.plan.isOpen())
        return;
    m_forms.plan.apply(tr("Sort Vendors by Name"),
                       [](PlanEdit &edit) { edit.sort(DbId::Vendors, Vendor::kName); },
                       {.marksModified = false, .mergeKey = {}});
    m_forms.prompter.tell(QStringLiteral("Wedding Vendors Database has been sorted."),
                          QStringLiteral("Database Sort"), Prompter::Icon::Information);
}
