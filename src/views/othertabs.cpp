#include "othertabs.h"

#include "widgets/twips.h"
#include "editors/categorylists.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

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

SeatingTab::SeatingTab(TabHost &host, QWidget *parent)
    : ListTab(host, parent) {
    m_tables = new ListGrid(QStringLiteral("TableGrid"), QStringLiteral("Table"),
                            {"Tag", "Description", "Max. Seats", "Count", "Available"});
    m_seating = new ListGrid(
        QStringLiteral("SeatingGrid"), QStringLiteral("Seating"),
        {"Name", "Relation", "Status", "RSVP", "Address", "City", "State", "Phone", "E-Mail"});
    placeGrid(m_tables);
    placeGrid(m_seating);
    m_tables->resize(Twips::toPixels(kTableGridWidth), m_tables->height());
    m_seating->move(Twips::toPixels(kGridLeftTwips + kTableGridWidth + 120), m_seating->y());

    // The setup frame sits below the table grid, in the room the shorter grid leaves.
    m_setup = new QGroupBox(tr("Setup"), this);
    auto *row = new QHBoxLayout(m_setup);
    row->setContentsMargins(6, 2, 6, 4);
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
    row->addStretch(1);
    m_tables->installEventFilter(this);
    placeSetup();
}

bool SeatingTab::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_tables && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeSetup();
    return ListTab::eventFilter(watched, event);
}

void SeatingTab::placeSetup() {
    const int height = m_setup->sizeHint().height();
    m_setup->setGeometry(m_tables->x(), m_tables->geometry().bottom() + 4, m_tables->width(),
                         height);
}

TasksTab::TasksTab(TabHost &host, QWidget *parent)
    : ListTab(host, parent) {
    installTypeAhead(addFilterBox(QStringLiteral("cmbTasks"), tr("Timeframe:"), true),
                     QStringLiteral("time"));
    m_grid = new ListGrid(QStringLiteral("TaskGrid"), QStringLiteral("Task"),
                          {"Timeframe", "Task Details", "Status", "Due Date"});
    placeGrid(m_grid);
}

PaymentsTab::PaymentsTab(TabHost &host, QWidget *parent)
    : ListTab(host, parent) {
    addFilterBox(QStringLiteral("cboPayment"), tr("Show:"), false);
    m_grid = new ListGrid(QStringLiteral("PaymentGrid"), QStringLiteral("Payment"),
                          {"Vendor Name", "Service", "Payment ($)", "Due Date", "Phone", "Address",
                           "City", "State", "Zip"});
    placeGrid(m_grid);
}
