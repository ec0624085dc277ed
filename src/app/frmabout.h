#pragma once

#include <QDialog>

// "About Vowline_Desktop": title, version, description, rights notice, a picture that opens
// the program's web page, and a button that starts the desktop's system-information tool.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
};
