// Placeholder until the note editor lands.
#include "noteeditor.h"

NoteEditor::NoteEditor(QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("NoteEditor"));
}

QString NoteEditor::StripCarriageReturns(const QString &text) {
    QString stripped = text;
    stripped.remove(QChar(13));
    return stripped;
}
