#pragma once

#include "plan/formcontext.h"
#include "store/planedit.h"

#include <QComboBox>
#include <QList>
#include <QTime>
#include <QWidget>
#include <vector>

class TabHost;
class QCheckBox;
enum class NoteKind;
class QDateEdit;
class QLineEdit;
class QPushButton;

// An editable time box. It reports the user leaving it, and tells list choices apart from
// the activation Qt adds when typed text happens to match an entry.
class TimeBox : public QComboBox {
    Q_OBJECT
public:
    explicit TimeBox(QWidget *parent = nullptr);

    // The box shows times the user's way ("4:00 PM", "16:00"); the plan and the handheld keep
    // the list's form ("4:00:00 PM").
    void setTimes(const QStringList &stored);
    void setStored(const QString &stored);
    // The list's form of what the box shows: an entry's, the loaded time's, or the typed time
    // read by the time rule ("Error" when it cannot be read); empty for an empty box.
    QString stored() const;

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
    QString m_loaded;
};

// The "Details" tab: the one details record of the plan (who the plan is for, the date, the
// couple, church, officiant and reception). What the user changes in a box goes into the record
// at once, as a step of the history: typing in one box is one step until the box is left.
class DetailsTab : public QWidget {
    Q_OBJECT
public:
    DetailsTab(const FormContext &forms, TabHost &host, QWidget *parent = nullptr);

    // Fills the tab from the details record (a missing field shows empty); false when the plan
    // has no details record at all.
    bool UpdateDetails();
    // Writes what the tab shows into the details record (a save does, before it writes).
    void storeInto(PlanEdit &edit) const;
    // Empties the tab without touching any record.
    void ClearDetails();
    // Fills both time lists; once, when the window loads.
    void fillTimeLists();

    QString planName() const;

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
        QString label; // as the step names it
        int burst = 0; // typing since the box was last entered
    };

    void buildForm();
    // Fills the boxes; false when there was no details record to fill them from.
    bool fill();
    void showDate(const QDate &date);
    FieldValue valueOf(const Entry &entry) const;
    // Writes the entry's box into the record as a step; typing merges into one step.
    void userEdited(Entry &entry, bool typing);
    void dateEdited(const QDate &date);
    void timeBoxLeft(Entry &entry);
    void refuseTime(TimeBox *box);
    void openNote(NoteKind kind);

    const FormContext m_forms;
    TabHost &m_host;
    std::vector<Entry> m_entries;
    QLineEdit *m_owner = nullptr;
    QDateEdit *m_date = nullptr;
    QLineEdit *m_note = nullptr;
    TimeBox *m_start = nullptr;
    TimeBox *m_end = nullptr;
    QPushButton *m_churchNotes = nullptr;
    QPushButton *m_receptionNotes = nullptr;
    // The time of day of the stored date, kept when the user picks another day.
    QTime m_timeOfDay;
    // Set while the tab fills its own boxes, so that nothing counts as a user edit, and while
    // it writes, so that its own change does not fill the boxes again under the cursor.
    bool m_filling = false;
    bool m_storing = false;
    // Time boxes whose "Time Error" is about to be shown, and whether one is showing, so that
    // the message cannot start another.
    QList<TimeBox *> m_refusing;
    bool m_checkingTime = false;
};
