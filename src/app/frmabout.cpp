// Placeholder until the about box lands.
#include "frmabout.h"

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
}
