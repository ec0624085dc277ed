#pragma once

#include <QDialog>

// The note editor: the note chosen by appState().editorKind and selectedRecord (general,
// church or reception notes of the details record; a party member's, guest's, vendor's or
// task's note). Any edit sets the changed flag; OK writes the note.
class NoteEditor : public QDialog {
    Q_OBJECT
public:
    explicit NoteEditor(QWidget *parent = nullptr);

    // The text with every carriage return removed, as notes are stored.
    static QString StripCarriageReturns(const QString &text);
};
