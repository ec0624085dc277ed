#include "othertabs.h"

#include "app/twips.h"
#include "editors/categorylists.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

VendorsTab::VendorsTab(frmMain &main, QWidget *parent)
    : ListTab(main, parent) {
    installTypeAhead(addFilterBox(QStringLiteral("cmbVendors"), tr("Service:"), true),
                     QStringLiteral("vendor"));
    addFilterBox(QStringLiteral("cmbVendorStatus"), tr("Status:"), false);
    m_grid = new ListGrid(
        QStringLiteral("VendorGrid"), QStringLiteral("Vendor"),
        {"Name", "Contact", "Service", "Status", "Price", "Address", "City", "State", "Phone"});
    placeGrid(m_grid);
}

SeatingTab::SeatingTab(frmMain &main, QWidget *parent)
    : ListTab(main, parent) {
    auto *setup = new QGroupBox(tr("Setup"));
    auto *row = new QHBoxLayout(setup);
    row->setContentsMargins(6, 0, 6, 0);
    m_noTables = new QLineEdit;
    m_noTables->setObjectName(QStringLiteral("txtNoTables"));
    m_peoplePer = new QLineEdit;
    m_peoplePer->setObjectName(QStringLiteral("txtPeoplePer"));
    for (auto [label, box] : {std::pair{tr("No. of &Tables:"), m_noTables},
                              std::pair{tr("Default &People/Table:"), m_peoplePer}}) {
        auto *caption = new QLabel(label);
        caption->setBuddy(box);
        box->setMaximumWidth(Twips::toPixels(700));
        row->addWidget(caption);
        row->addWidget(box);
    }
    addToTop(setup);
    m_tables = new ListGrid(QStringLiteral("TableGrid"), QStringLiteral("Table"),
                            {"Tag", "Description", "Max. Seats", "Count", "Available"});
    m_seating = new ListGrid(
        QStringLiteral("SeatingGrid"), QStringLiteral("Seating"),
        {"Name", "Relation", "Status", "RSVP", "Address", "City", "State", "Phone", "E-Mail"});
    placeGrid(m_tables);
    placeGrid(m_seating);
    m_tables->resize(Twips::toPixels(5700), m_tables->height());
    m_seating->move(Twips::toPixels(kGridLeftTwips + 5700 + 120), m_seating->y());
}

TasksTab::TasksTab(frmMain &main, QWidget *parent)
    : ListTab(main, parent) {
    installTypeAhead(addFilterBox(QStringLiteral("cmbTasks"), tr("Timeframe:"), true),
                     QStringLiteral("time"));
    m_grid = new ListGrid(QStringLiteral("TaskGrid"), QStringLiteral("Task"),
                          {"Timeframe", "Task Details", "Status", "Due Date"});
    placeGrid(m_grid);
}

PaymentsTab::PaymentsTab(frmMain &main, QWidget *parent)
    : ListTab(main, parent) {
    addFilterBox(QStringLiteral("cboPayment"), tr("Show:"), false);
    m_grid = new ListGrid(QStringLiteral("PaymentGrid"), QStringLiteral("Payment"),
                          {"Vendor Name", "Service", "Payment ($)", "Due Date", "Phone", "Address",
                           "City", "State", "Zip"});
    placeGrid(m_grid);
}
