#pragma once

#include <QDialog>

// "Record Details": edits one party (editor kind 3), guest (4) or vendor (5) record, number
// appState().selectedRecord. Sets the cancelled flag on opening; OK writes every field back,
// re-sorts the database by name, clears the cancelled flag and sets the changed flag.
class frmRecordEditor : public QDialog {
    Q_OBJECT
public:
    explicit frmRecordEditor(QWidget *parent = nullptr);
};
