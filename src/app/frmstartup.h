#pragma once

#include <QDialog>

// "Vowline Startup": which plan to open. Sets appState().startChoice to 1 (last folder),
// 2 (Palm HotSync files) or 3 (a new plan, also when closed any other way).
class frmStartup : public QDialog {
    Q_OBJECT
public:
    explicit frmStartup(QWidget *parent = nullptr);
};
