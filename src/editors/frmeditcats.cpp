// Placeholder until the category editor lands.
#include "frmeditcats.h"

frmEditCats::frmEditCats(QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmEditCats"));
}
