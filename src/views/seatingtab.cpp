#include "seatingtab.h"

#include "widgets/twips.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

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
