#include "paymentstab.h"

#include "editors/categorylists.h"
#include "rules/displayforms.h"
#include "rules/money.h"
#include "store/prompter.h"
#include "views/columns.h"
#include "views/vendorstab.h"

#include <QComboBox>
#include <QPushButton>

using namespace Schema;

namespace {

const QString kPending = QStringLiteral("Pending Payments");
const QString kFinal = QStringLiteral("Final Payments");

} // namespace

PaymentsTab::PaymentsTab(const FormContext &forms, TabHost &host, QWidget *parent)
    : ListTab(forms, host, parent) {
    m_view = addFilterBox(QStringLiteral("cboPayment"), tr("S&how:"), false);
    QPushButton *total = addButton(QStringLiteral("cmdPaymentTotal"), tr("&Total"));
    // The amount and its date follow the view: the next payment, or the balance.
    auto switched = [this](ListColumn next, const ListColumn &last) {
        next.text = [this, text = next.text, finalText = last.text](const Record &r) {
            return m_final ? finalText(r) : text(r);
        };
        next.number = [this, number = next.number, finalNumber = last.number](const Record &r) {
            return m_final ? finalNumber(r) : number(r);
        };
        next.field.reset();
        return next;
    };
    const ListColumn amount = switched(Columns::money(tr("Payment ($)"), Vendor::kNext),
                                       Columns::money(tr("Payment ($)"), Vendor::kBalance));
    const ListColumn due = switched(Columns::date(tr("Due Date"), Vendor::kNextDue),
                                    Columns::date(tr("Due Date"), Vendor::kFinalDue));
    m_model = new RecordListModel(
        forms.plan, DbId::Vendors,
        {Columns::field(tr("Vendor Name"), Vendor::kName, true),
         Columns::field(tr("Service"), Vendor::kService), amount, due,
         Columns::field(tr("Phone"), Vendor::kPhone),
         Columns::field(tr("Address"), Vendor::kAddress), Columns::field(tr("City"), Vendor::kCity),
         Columns::field(tr("State"), Vendor::kState), Columns::field(tr("Zip"), Vendor::kZip),
         Columns::extra(tr("Contact"), Vendor::kContact),
         Columns::extra(tr("E-Mail"), Vendor::kEmail), Columns::extra(tr("Notes"), Vendor::kNote)},
        this);
    m_model->setSearchFields({Vendor::kNote});
    m_model->setFilter([this](const Record &r) {
        return m_final ? Money::isFinalPayment(r)
                       : Money::isPendingPayment(r, QDate::currentDate());
    });
    m_grid = addGrid(QStringLiteral("PaymentGrid"), QStringLiteral("Payment"), m_model,
                     tr("payment list"));
    addFindBox(m_grid, tr("payment list"));
    fillFixedBox(m_view, {kPending, kFinal});
    connect(m_view, &QComboBox::activated, this, &PaymentsTab::UpdatePayments);
    connect(total, &QPushButton::clicked, this, &PaymentsTab::showTotal);
    connect(m_grid, &ListGrid::rowDoubleClicked, this, &PaymentsTab::openCurrentRow);
}

void PaymentsTab::UpdatePayments() {
    m_final = m_view->currentText() == kFinal;
    m_model->refresh();
}

void PaymentsTab::fillFilterBoxes() {
    fillFixedBox(m_view, {kPending, kFinal});
    UpdatePayments();
}

void PaymentsTab::showTotal() {
    const qint64 total = Money::paymentTotal(m_model->shownRecords(), m_final);
    m_forms.prompter.tell(QStringLiteral(" Total:  $") +
                              TextForms::moneyFromWhole(total, QLocale()),
                          QStringLiteral("Payment Total"), Prompter::Icon::Information);
}

void PaymentsTab::openCurrentRow() {
    if (Record *vendor = m_grid->currentRecord()) {
        if (VendorsTab::editVendor(m_forms, *vendor, window()))
            m_grid->selectRecord(vendor);
    }
}
