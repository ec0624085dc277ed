#include "paymentstab.h"

#include <QComboBox>

PaymentsTab::PaymentsTab(TabHost &host, QWidget *parent)
    : ListTab(host, parent) {
    addFilterBox(QStringLiteral("cboPayment"), tr("Show:"), false);
    m_grid = new ListGrid(QStringLiteral("PaymentGrid"), QStringLiteral("Payment"),
                          {"Vendor Name", "Service", "Payment ($)", "Due Date", "Phone", "Address",
                           "City", "State", "Zip"});
    placeGrid(m_grid);
}
