#pragma once

#include <QDialog>
#include <QStringList>

class Prompter;
class QPainter;
class QRectF;

// "About Vowline Desktop": title, version, description, rights notice, a picture that opens
// the program's web page, and a button that starts the desktop's system-information tool.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(Prompter &prompter, QWidget *parent = nullptr);

    static const QString kWebPage;

    // The desktop tools that show system information, best first; each is looked up on PATH.
    static QStringList defaultSysInfoTools();

    // Starts the first system-information tool that is installed and starts; when there is
    // none, says so. True when a tool was started.
    bool StartSysInfo();

private:
    void openWebPage();

    Prompter &m_prompter;
};

// The program's emblem, two interlocked wedding rings, drawn centred in `box`.
void paintWeddingRings(QPainter &painter, const QRectF &box);
