// Placeholder until the start dialog lands.
#include "frmstartup.h"

#include "store/appstate.h"

frmStartup::frmStartup(QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmStartup"));
    appState().startChoice = 3;
}
