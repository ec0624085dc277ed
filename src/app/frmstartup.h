#pragma once

#include <QDialog>

class QGridLayout;
class QPixmap;

// "Vowline Startup": which plan to open. choice() is the last folder, the Palm HotSync files,
// or a new plan (also when the dialog is closed any other way).
class frmStartup : public QDialog {
    Q_OBJECT
public:
    enum class Choice { LastFile = 1, HotSync = 2, NewPlan = 3 };

    // `lastFolder` empty: no plan opened from a folder yet. `palmUser` empty: no Palm user
    // chosen (`noUsers`: none on this computer).
    frmStartup(const QString &lastFolder, bool noUsers, const QString &palmUser,
               QWidget *parent = nullptr);

    Choice choice() const { return m_choice; }

    // The three pictures, drawn here so the program ships no image files for them.
    static QPixmap newPlanPicture(int size);
    static QPixmap lastFilePicture(int size);
    static QPixmap hotSyncPicture(int size);

private:
    // One entry: a picture in `column` with its caption below; both choose `choice`.
    void addChoice(QGridLayout *grid, int column, const QString &name, const QPixmap &picture,
                   const QString &caption, const QString &toolTip, Choice choice, bool enabled);
    void choose(Choice choice);

    Choice m_choice = Choice::NewPlan;
};
