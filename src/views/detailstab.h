#pragma once

#include "store/palmdatabase.h"

#include <QComboBox>
#include <QList>
#include <QTime>
#include <QWidget>
#include <vector>

class TabHost;
class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

// An editable time box. It reports the user leaving it, and tells list choices apart from
// the activation Qt adds when typed text happens to match an entry.
class TimeBox : public QComboBox {
    Q_OBJECT
public:
    explicit TimeBox(QWidget *parent = nullptr);

signals:
    // The user chose an entry from the list (mouse, arrow keys or wheel).
    void chosen();
    // The box lost the focus to another control, or Enter was pressed in it.
    void left();

protected:
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    bool m_typing = false;
};

// The "Details" tab: the one details record of the plan (who the plan is for, the date, the
// couple, church, officiant and reception).
class DetailsTab : public QWidget {
    Q_OBJECT
public:
    explicit DetailsTab(TabHost &host, QWidget *parent = nullptr);

    // Fills the tab from the details record. Every box is filled (a missing field shows empty);
    // when the plan has no details record at all it then throws StoreError, so that a load
    // can say so.
    void UpdateDetails();
    // Writes the tab (and the seating tab's two setup boxes) into the details record,
    // creating the record and any missing field; reports its own failure.
    void StoreDetails();
    // Writes the plan's name into every party, guest, task and vendor record.
    void StampOwner();
    // Empties the tab without touching any record.
    void ClearDetails();
    // Fills both time lists; once, when the window loads.
    void fillTimeLists();

    // The seating tab's two setup boxes, which the details record keeps.
    void setSeatingSetupBoxes(QLineEdit *noTables, QLineEdit *peoplePer) {
        m_noTables = noTables;
        m_peoplePer = peoplePer;
    }

    QString planName() const;
    void setPlanName(const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One field the tab shows, in the order the details record is written.
    struct Entry {
        FieldCode code;
        FieldKind kind;
        QLineEdit *text = nullptr;
        QCheckBox *check = nullptr;
        TimeBox *time = nullptr;
    };

    void buildForm();
    // Fills the boxes; false when there was no details record to fill them from.
    bool fill();
    void showDate(const QDate &date);
    void userEdited();
    void dateEdited(const QDate &date);
    void timeBoxLeft(TimeBox *box);
    void refuseTime(TimeBox *box);
    void openNote(int kind);

    TabHost &m_host;
    std::vector<Entry> m_entries;
    QLineEdit *m_owner = nullptr;
    QDateEdit *m_date = nullptr;
    QLineEdit *m_note = nullptr;
    QLineEdit *m_noTables = nullptr;
    QLineEdit *m_peoplePer = nullptr;
    TimeBox *m_start = nullptr;
    TimeBox *m_end = nullptr;
    QPushButton *m_churchNotes = nullptr;
    QPushButton *m_receptionNotes = nullptr;
    // The time of day of the stored date, kept when the user picks another day.
    QTime m_timeOfDay;
    // Set while the tab fills its own boxes, so that nothing counts as a user edit.
    bool m_filling = false;
    // Time boxes whose "Time Error" is about to be shown, and whether one is showing, so that
    // the message cannot start another.
    QList<TimeBox *> m_refusing;
    bool m_checkingTime = false;
};
