// Placeholder until the record editor lands.
#include "frmrecordeditor.h"

#include "store/appstate.h"

frmRecordEditor::frmRecordEditor(QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmRecordEditor"));
    appState().cancelled = true;
}
