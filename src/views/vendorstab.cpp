#include "vendorstab.h"

#include "editors/categorylists.h"

#include <QComboBox>

VendorsTab::VendorsTab(TabHost &host, QWidget *parent)
    : ListTab(host, parent) {
    installTypeAhead(addFilterBox(QStringLiteral("cmbVendors"), tr("Service:"), true),
                     QStringLiteral("vendor"));
    addFilterBox(QStringLiteral("cmbVendorStatus"), tr("Status:"), false);
    m_grid = new ListGrid(
        QStringLiteral("VendorGrid"), QStringLiteral("Vendor"),
        {"Name", "Contact", "Service", "Status", "Price", "Address", "City", "State", "Phone"});
    placeGrid(m_grid);
}
