#include "paymentstab.h"

#include "rules/money.h"
#include "store/appstate.h"
#include "store/planview.h"
#include "views/tabhost.h"
#include "views/vendorstab.h"

#include <QComboBox>
#include <QDate>
#include <QPushButton>

namespace {

const QStringList kHeaders = {"Vendor Name", "Service", "Payment ($)", "Due Date", "Phone",
                              "Address",     "City",    "State",       "Zip"};

QString fieldText(const Fields &fields, FieldCode code) {
    const Field *field = fields.find(code);
    return field ? field->value().toText() : QString();
}

} // namespace

PaymentsTab::PaymentsTab(TabHost &host, QWidget *parent)
    : ListTab(host, parent) {
    m_view = addFilterBox(QStringLiteral("cboPayment"), tr("S&how:"), false);
    QPushButton *total = addButton(QStringLiteral("cmdPaymentTotal"), tr("&Total"));
    m_grid = new ListGrid(QStringLiteral("PaymentGrid"), QStringLiteral("Payment"), kHeaders);
    placeGrid(m_grid);
    connect(m_view, &QComboBox::activated, this, &PaymentsTab::UpdatePayments);
    connect(total, &QPushButton::clicked, this, &PaymentsTab::showTotal);
    connect(m_grid, &ListGrid::rowDoubleClicked, this, &PaymentsTab::openCurrentRow);
}

void PaymentsTab::UpdatePayments() {
    const bool final = m_view->currentText() == QLatin1String("Final Payments");
    GridRebuild rebuild(*m_grid, kHeaders);
    const PalmDatabase *db = VendorsTab::vendors();
    if (!db)
        return;
    const QDate today = QDate::currentDate();
    const FieldCode amount = final ? FieldCode("vbal") : FieldCode("npay");
    const FieldCode due = final ? FieldCode("dued") : FieldCode("ndat");
    const auto &records = db->records().raw();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record &vendor = *records[i];
        if (final ? !Money::isFinalPayment(vendor) : !Money::isPendingPayment(vendor, today))
            continue;
        const Fields &fields = vendor.fields();
        QStringList cells;
        cells.reserve(kHeaders.size());
        cells << fieldText(fields, "vnam") << fieldText(fields, "vtyp") << fieldText(fields, amount)
              << fieldText(fields, due) << fieldText(fields, "vpho") << fieldText(fields, "vadr")
              << fieldText(fields, "vcit") << fieldText(fields, "vsta")
              << fieldText(fields, "vzip");
        rebuild.add(int(i) + 1, cells);
    }
}

void PaymentsTab::showTotal() {
    QStringList amounts;
    for (int row = 1; row < m_grid->rows(); ++row)
        amounts << m_grid->text(row, 3);
    appState().prompter().tell(QStringLiteral(" Total:  $") +
                                   QString::number(Money::paymentTotal(amounts)),
                               QStringLiteral("Payment Total"), Prompter::Icon::Information);
}

void PaymentsTab::openCurrentRow() {
    const int number = m_grid->rowData(m_grid->row());
    if (number < 1 || !VendorsTab::runVendorEditor(this, number))
        return;
    UpdatePayments();
    m_host.planView().UpdateVendorsGrid();
    AppState &state = appState();
    state.cancelled = false;
    if (state.changed)
        state.markPlanModified();
}
