#pragma once

#include <QDialog>

// "Edit Categories": edits one category list (appState().categoryKind: 0 relation types,
// 1 timeframes, 2 vendor types) as lines; OK writes the list back and sets the changed flag.
class frmEditCats : public QDialog {
    Q_OBJECT
public:
    explicit frmEditCats(QWidget *parent = nullptr);
};
