#pragma once

#include <QDialog>

class QGridLayout;
class QPixmap;

// "Vowline Startup": which plan to open. Sets appState().startChoice to 1 (last folder),
// 2 (Palm HotSync files) or 3 (a new plan, also when closed any other way).
class frmStartup : public QDialog {
    Q_OBJECT
public:
    explicit frmStartup(QWidget *parent = nullptr);

    // The three pictures, drawn here so the program ships no image files for them.
    static QPixmap newPlanPicture(int size);
    static QPixmap lastFilePicture(int size);
    static QPixmap hotSyncPicture(int size);

private:
    // One entry: a picture in `column` with its caption below; both choose `choice`.
    void addChoice(QGridLayout *grid, int column, const QString &name, const QPixmap &picture,
                   const QString &caption, const QString &toolTip, int choice, bool enabled);
    void choose(int choice);
};
