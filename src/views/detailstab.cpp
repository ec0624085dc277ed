// Placeholder until the details tab lands.
#include "detailstab.h"

#include <QLineEdit>

DetailsTab::DetailsTab(frmMain &main, QWidget *parent)
    : QWidget(parent)
    , m_main(main) {
    auto *owner = new QLineEdit(this);
    owner->setObjectName(QStringLiteral("TXTownr"));
}

void DetailsTab::UpdateDetails() {
}
void DetailsTab::StoreDetails() {
}
void DetailsTab::StampOwner() {
}
void DetailsTab::ClearDetails() {
}
void DetailsTab::fillTimeLists() {
}

QString DetailsTab::planName() const {
    return findChild<QLineEdit *>(QStringLiteral("TXTownr"))->text();
}

void DetailsTab::setPlanName(const QString &name) {
    findChild<QLineEdit *>(QStringLiteral("TXTownr"))->setText(name);
}
