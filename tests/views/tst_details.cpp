#include "app/frmmain.h"
#include "plan/appstate.h"
#include "rules/displayforms.h"
#include "rules/timerules.h"
#include "support/guitest.h"
#include "views/detailstab.h"
#include "views/seatingtab.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>

using Schema::DbId;

namespace {

const QString kTimeError =
    QStringLiteral("There was an error with the time entered.  Please select from the drop-down "
                   "menu, or modify a time as needed using that format.");

const QString &kSaved = AppState::kUserDatabase;
const QString &kModified = AppState::kUserDatabaseModified;

// The 23 text boxes of the tab, each named after its field (but for the city's).
const QStringList kTextFields =
    QStringLiteral("ownr bnam gnam addr city stat zipc phon chrc prst mngr cadr ccit csta czip "
                   "cpho hall hper hadr hcit hsta hzip hpho")
        .split(u' ');

QString boxOf(const QString &code) {
    return code == u"city" ? QStringLiteral("txtCity") : QStringLiteral("TXT") + code;
}

PalmDatabase &plan() {
    return TabTestWindow::db(DbId::Plan);
}

Record &details() {
    return plan().records().item(1);
}

// A window over a fresh default plan, not modified.
class DetailsPlan : public TabTestWindow {
public:
    DetailsPlan() { planSaved(); }
    template <class T> T *find(const QString &name) {
        return child<T>(&window(), qPrintable(name));
    }
    void showActive() {
        window().show();
        QApplication::setActiveWindow(&window());
        QVERIFY(QTest::qWaitForWindowActive(&window()));
    }
    // "Save to File" into a folder of its own; the plan has a name by then.
    void save() {
        appState().currentSetFolder = m_folder.path();
        expectSavedMessage(prompter(), m_folder.path());
        QVERIFY(Saving::saveToFolder(appState(), window()));
        VERIFY_PROMPTS(prompter());
    }
    // What the status bar says.
    QString status() { return window().statusText(); }

private:
    QTemporaryDir m_folder;
};

} // namespace

class TestDetailsTab : public QObject {
    Q_OBJECT
private slots:
    void fitsTheSmallestWindow() {
        DetailsPlan t;
        t.window().resize(t.window().minimumSize());
        t.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.window()));
        auto *scroll = t.find<QScrollArea>("detailsScroll");
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        QVERIFY(!scroll->verticalScrollBar()->isVisible());
    }

    // What the user does reaches the record at once, a step per box (typing in one box is one
    // step until the box is left): the text boxes, a tick box, a time chosen from the list, the
    // date (keeping the stored time of day). The save writes the whole tab, setup boxes
    // included, into the details record; the record fills the tab again.
    void fillAndSave() {
        DetailsPlan t;
        for (const char *name : {"cmbStartTime", "cmbEndTime"})
            QCOMPARE(t.find<QComboBox>(name)->count(), halfHourTimes().size());
        for (const QString &code : kTextFields)
            QTest::keyClicks(t.find<QLineEdit>(boxOf(code)), code + QStringLiteral(" text"));
        QTest::keyClick(t.find<QCheckBox>("chkChurch"), Qt::Key_Space);
        QTest::keyClick(t.find<QComboBox>("cmbEndTime"), Qt::Key_Down);
        const QTime timeOfDay = details().value("date").toDateTime().time();
        t.find<QDateEdit>("TXTdate")->setDate(QDate(2030, 6, 15));
        QCOMPARE(appState().plan.history().undoText(), QStringLiteral("Change Wedding Date"));
        QCOMPARE(appState().plan.history().count(), kTextFields.size() + 3);
        QCOMPARE(t.status(), kModified);
        for (const QString &code : kTextFields)
            QCOMPARE(details().text(FieldCode(code)), code + QStringLiteral(" text"));
        QCOMPARE(details().value("ccon"), FieldValue(true));
        QCOMPARE(details().text("stop"), t.find<QComboBox>("cmbEndTime")->currentData().toString());
        QCOMPARE(details().value("date").toDateTime(), QDateTime(QDate(2030, 6, 15), timeOfDay));

        t.find<QComboBox>("cmbStartTime")->setEditText(QStringLiteral("6:30:00 PM"));
        t.find<QComboBox>("cmbEndTime")->setEditText(QStringLiteral("11:59:00 PM"));
        t.window().seating()->noTablesBox()->setText(QStringLiteral("12"));
        t.window().seating()->peoplePerBox()->setText(QStringLiteral("8"));
        t.save();
        const Record &record = details();
        QCOMPARE(record.value("hcon"), FieldValue(false));
        QCOMPARE(record.text("star"), QStringLiteral("6:30:00 PM"));
        QCOMPARE(record.text("stop"), QStringLiteral("11:59:00 PM"));
        QCOMPARE(record.text("ntab"), QStringLiteral("12"));
        QCOMPARE(record.text("ptab"), QStringLiteral("8"));

        // And back: a cleared tab shows the record again.
        plan().write(details(), "note", "first line\nsecond line");
        t.window().details()->ClearDetails();
        QCOMPARE(t.find<QLineEdit>("TXTbnam")->text(), QString());
        QVERIFY(t.window().details()->UpdateDetails());
        for (const QString &code : kTextFields)
            QCOMPARE(t.find<QLineEdit>(boxOf(code))->text(), code + QStringLiteral(" text"));
        QVERIFY(t.find<QCheckBox>("chkChurch")->isChecked());
        QVERIFY(!t.find<QCheckBox>("chkReception")->isChecked());
        // Shown the user's way, without seconds.
        QCOMPARE(t.find<QComboBox>("cmbStartTime")->currentText(), QStringLiteral("18:30"));
        QCOMPARE(t.find<QComboBox>("cmbEndTime")->currentText(), QStringLiteral("23:59"));
        QCOMPARE(t.find<QLineEdit>("TXTnote")->text(), QStringLiteral("first line second line"));
        // The seating boxes are written, never loaded back.
        t.window().seating()->noTablesBox()->clear();
        t.window().details()->UpdateDetails();
        QCOMPARE(t.window().seating()->noTablesBox()->text(), QString());
        // Filling the tab is no edit.
        QCOMPARE(t.status(), kSaved);

        // Empty time and setup boxes leave what is stored.
        t.find<QComboBox>("cmbStartTime")->setEditText(QString());
        t.save();
        QCOMPARE(details().text("star"), QStringLiteral("6:30:00 PM"));
        QCOMPARE(details().text("ntab"), QStringLiteral("12"));
    }

    void planWithoutDetailsRecord() {
        DetailsPlan t;
        plan().write(details(), "date", QDate(2001, 1, 1).startOfDay(), FieldKind::Date);
        t.window().details()->UpdateDetails();
        t.find<QLineEdit>("TXTbnam")->setText(QStringLiteral("stale"));
        t.find<QCheckBox>("chkReception")->setChecked(true);
        QCOMPARE(t.find<QDateEdit>("TXTdate")->date(), QDate(2001, 1, 1));
        plan().records().removeAll();
        plan().fieldList().remove("date");
        QVERIFY(!t.window().details()->UpdateDetails());
        QCOMPARE(t.find<QLineEdit>("TXTbnam")->text(), QString());
        QVERIFY(!t.find<QCheckBox>("chkReception")->isChecked());
        QCOMPARE(t.find<QDateEdit>("TXTdate")->date(), QDate::currentDate());
        QCOMPARE(plan().records().count(), 0);

        // The first edit makes the record, a new date too; the save gives it every field of the
        // tab.
        t.find<QDateEdit>("TXTdate")->setDate(QDate(2030, 6, 15));
        QCOMPARE(plan().records().count(), 1);
        QCOMPARE(details().value("date").toDateTime(), QDate(2030, 6, 15).startOfDay());
        QCOMPARE(plan().fieldList().item("date").kind(), FieldKind::Date);
        QTest::keyClicks(t.find<QLineEdit>("TXTbnam"), QStringLiteral("Juliet"));
        QCOMPARE(plan().records().count(), 1);
        QCOMPARE(details().text("bnam"), QStringLiteral("Juliet"));
        QCOMPARE(t.status(), kModified);
        expectPlanNamePrompt(t.prompter(), QStringLiteral("Romeo & Juliet"));
        t.save();
        const Record &record = details();
        QCOMPARE(record.fields().count(), 30);
        for (const QString &code :
             kTextFields + QStringList{"ccon", "hcon", "star", "stop", "ntab", "ptab"})
            QVERIFY2(record.has(FieldCode(code)), qPrintable(code));
        QCOMPARE(record.text("ownr"), QStringLiteral("Romeo & Juliet"));
        QCOMPARE(record.text("bnam"), QStringLiteral("Juliet"));
        QVERIFY(record.value("star").isNone());
        QVERIFY(record.value("ntab").isNone());
        QCOMPARE(plan().fieldList().item("star").kind(), FieldKind::Time);
        // The notes have their own writer.
        QVERIFY(!record.has("note"));

        // With no plan at all, an edit is reported rather than thrown.
        appState().plan.release();
        t.prompter()
            .expectMessage(QStringLiteral("There was an error collecting data from the "
                                          "Interface.  If this error continues, please contact "
                                          "the application developer.\r"),
                           QStringLiteral("Error"), Prompter::Icon::Exclamation)
            .prefixOnly();
        QTest::keyClicks(t.find<QLineEdit>("TXTgnam"), QStringLiteral("R"));
        VERIFY_PROMPTS(t.prompter());
    }

    // A typed time is put in normal form when the box is left (for another box, another tab or
    // by Enter) and stored as a step; or refused with a message, storing nothing. A time that
    // is already stored is no step.
    void typedTime_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");   // box, tab or Enter
        QTest::addColumn<QString>("shown"); // empty: refused
        const struct {
            const char *name, *box, *stored, *typed, *how, *shown;
        } rows[] = {
            {"short form", "cmbStartTime", "", "7:30p", "box", "7:30:00 PM"},
            {"by Enter", "cmbEndTime", "", "19:30", "Enter", "7:30:00 PM"},
            {"stored already", "cmbStartTime", "7:30:00 PM", "7:30p", "box", "7:30:00 PM"},
            {"bad start", "cmbStartTime", "", "25:00", "box", ""},
            {"bad end", "cmbEndTime", "", "7:x", "box", ""},
            // The start box brings its tab back to the front.
            {"bad start, left for another tab", "cmbStartTime", "", "soon", "tab", ""},
        };
        for (const auto &r : rows)
            QTest::newRow(r.name) << r.box << r.stored << r.typed << r.how << r.shown;
    }
    void typedTime() {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(QString, shown);
        DetailsPlan t;
        const FieldCode code = name == "cmbStartTime" ? FieldCode("star") : FieldCode("stop");
        if (!stored.isEmpty()) {
            plan().write(details(), code, stored, FieldKind::Time);
            t.window().details()->UpdateDetails();
        }
        t.showActive();
        auto *box = t.fixture().find<QComboBox>(name);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->clearEditText();
        QTest::keyClicks(box, typed);
        if (shown.isEmpty())
            t.prompter().expectMessage(kTimeError, QStringLiteral("Time Error"),
                                       Prompter::Icon::Exclamation);
        if (how == "tab")
            t.window().showTab(frmMain::GuestsPage);
        else if (how == "Enter")
            QTest::keyClick(box, Qt::Key_Return);
        else
            t.find<QLineEdit>("TXThall")->setFocus();
        QTRY_VERIFY(t.prompter().done());
        QCOMPARE(box->currentText(), TextForms::timeOfDay(FieldValue(shown), QLocale()));
        const bool step = !shown.isEmpty() && stored.isEmpty();
        QCOMPARE(appState().plan.history().count(), step ? 1 : 0);
        QCOMPARE(t.status(), step ? kModified : kSaved);
        QCOMPARE(details().text(code), shown.isEmpty() ? stored : shown);
        if (shown.isEmpty()) {
            QCOMPARE(t.window().mainTab()->currentWidget(), t.window().details());
            QTRY_VERIFY(box->hasFocus());
        }
    }
};

VOWLINE_TEST(TestDetailsTab)
#include "tst_details.moc"
