#include "app/frmmain.h"
#include "rules/timerules.h"
#include "store/appstate.h"
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

using Schema::DbId;

namespace {

const QString kTimeError =
    QStringLiteral("There was an error with the time entered.  Please select from the drop-down "
                   "menu, or modify a time as needed using that format.");
const QString kDefaultModified = QStringLiteral("Vowline - Default Database (modified)");
const QString kDefault = QStringLiteral("Vowline - Default Database");

// The 23 text boxes whose edits mark the plan modified, with their fields.
const QList<std::pair<const char *, const char *>> kTextBoxes = {
    {"TXTownr", "ownr"}, {"TXTbnam", "bnam"}, {"TXTgnam", "gnam"}, {"TXTaddr", "addr"},
    {"txtCity", "city"}, {"TXTstat", "stat"}, {"TXTzipc", "zipc"}, {"TXTphon", "phon"},
    {"TXTchrc", "chrc"}, {"TXTprst", "prst"}, {"TXTmngr", "mngr"}, {"TXTcadr", "cadr"},
    {"TXTccit", "ccit"}, {"TXTcsta", "csta"}, {"TXTczip", "czip"}, {"TXTcpho", "cpho"},
    {"TXThall", "hall"}, {"TXThper", "hper"}, {"TXThadr", "hadr"}, {"TXThcit", "hcit"},
    {"TXThsta", "hsta"}, {"TXThzip", "hzip"}, {"TXThpho", "hpho"}};

FieldCode codeOf(const char *code) {
    return FieldCode(QString::fromLatin1(code));
}

PalmDatabase &plan() {
    return appState().set.db(DbId::Plan);
}

Record &details() {
    return plan().records().item(1);
}

// A window over a fresh default plan, not modified.
struct Window {
    MainWindowFixture f;
    frmMain &w = f.create();
    Window() {
        buildDefaultSet(appState().set, appState().server, appState().programFolder, f.prompter());
        w.UpdateDetails();
        appState().markPlanSaved(AppState::PlanKind::Default);
    }
    template <class T> T *find(const char *name) {
        T *widget = f.find<T>(QLatin1StringView(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    void showActive() {
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }
};

} // namespace

class TestDetailsTab : public QObject {
    Q_OBJECT
private slots:
    void fitsTheSmallestWindow() {
        Window t;
        t.w.resize(t.w.minimumSize());
        t.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.w));
        auto *scroll = t.find<QScrollArea>("detailsScroll");
        QVERIFY(!scroll->horizontalScrollBar()->isVisible());
        QVERIFY(!scroll->verticalScrollBar()->isVisible());
    }

    // A few controls of each kind: a text box of each part of the tab, a tick box and a time
    // chosen from the list (typing a time is no edit, see typedTime).
    void userEditsMarkThePlanModified_data() {
        QTest::addColumn<QString>("name");
        for (const char *name : {"TXTbnam", "TXTchrc", "TXThpho", "chkReception", "cmbEndTime"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void userEditsMarkThePlanModified() {
        QFETCH(QString, name);
        Window t;
        QVERIFY(!appState().changed);
        QWidget *control = t.f.find<QWidget>(name);
        QVERIFY(control);
        if (auto *check = qobject_cast<QCheckBox *>(control))
            QTest::keyClick(check, Qt::Key_Space);
        else if (auto *box = qobject_cast<QComboBox *>(control))
            QTest::keyClick(box, Qt::Key_Down);
        else
            QTest::keyClicks(control, QStringLiteral("x"));
        QVERIFY(appState().changed);
        QCOMPARE(t.w.statusText(), kDefaultModified);
        // Nothing reaches the record until the tab is stored.
        QCOMPARE(details().text("bnam"), QString());
    }

    void storeAndUpdateRoundTrip() {
        Window t;
        for (const char *name : {"cmbStartTime", "cmbEndTime"})
            QCOMPARE(t.find<QComboBox>(name)->count(), halfHourTimes().size());
        for (const auto &[name, code] : kTextBoxes)
            t.find<QLineEdit>(name)->setText(QStringLiteral("%1 text").arg(code));
        t.find<QCheckBox>("chkChurch")->setChecked(true);
        t.find<QComboBox>("cmbStartTime")->setEditText(QStringLiteral("6:30:00 PM"));
        t.find<QComboBox>("cmbEndTime")->setEditText(QStringLiteral("11:59:00 PM"));
        t.w.seating()->noTablesBox()->setText(QStringLiteral("12"));
        t.w.seating()->peoplePerBox()->setText(QStringLiteral("8"));
        t.w.StoreDetails();

        const Record &record = details();
        for (const auto &[name, code] : kTextBoxes)
            QCOMPARE(record.text(codeOf(code)), QStringLiteral("%1 text").arg(code));
        QCOMPARE(record.value("ccon"), FieldValue(true));
        QCOMPARE(record.value("hcon"), FieldValue(false));
        QCOMPARE(record.text("star"), QStringLiteral("6:30:00 PM"));
        QCOMPARE(record.text("stop"), QStringLiteral("11:59:00 PM"));
        QCOMPARE(record.text("ntab"), QStringLiteral("12"));
        QCOMPARE(record.text("ptab"), QStringLiteral("8"));

        // And back: a cleared tab shows the record again.
        plan().write(details(), "note", "first line\nsecond line");
        t.w.details()->ClearDetails();
        t.w.UpdateDetails();
        for (const auto &[name, code] : kTextBoxes)
            QCOMPARE(t.find<QLineEdit>(name)->text(), QStringLiteral("%1 text").arg(code));
        QVERIFY(t.find<QCheckBox>("chkChurch")->isChecked());
        QVERIFY(!t.find<QCheckBox>("chkReception")->isChecked());
        QCOMPARE(t.find<QComboBox>("cmbStartTime")->currentText(), QStringLiteral("6:30:00 PM"));
        QCOMPARE(t.find<QComboBox>("cmbEndTime")->currentText(), QStringLiteral("11:59:00 PM"));
        QCOMPARE(t.find<QLineEdit>("TXTnote")->text(), QStringLiteral("first line second line"));
        // The seating boxes are written, never loaded back.
        t.w.seating()->noTablesBox()->clear();
        t.w.UpdateDetails();
        QCOMPARE(t.w.seating()->noTablesBox()->text(), QString());
        // Filling the tab is no edit.
        QVERIFY(!appState().changed);
        QCOMPARE(t.w.statusText(), kDefault);

        // Empty time and setup boxes leave what is stored.
        t.find<QComboBox>("cmbStartTime")->setEditText(QString());
        t.w.StoreDetails();
        QCOMPARE(details().text("star"), QStringLiteral("6:30:00 PM"));
        QCOMPARE(details().text("ntab"), QStringLiteral("12"));
    }

    void planWithoutDetailsRecord() {
        Window t;
        t.find<QLineEdit>("TXTbnam")->setText(QStringLiteral("stale"));
        t.find<QCheckBox>("chkReception")->setChecked(true);
        t.find<QDateEdit>("TXTdate")->setDate(QDate(2001, 1, 1));
        plan().records().removeAll();
        appState().changed = false;
        QVERIFY_THROWS_EXCEPTION(StoreError, t.w.UpdateDetails());
        QCOMPARE(t.find<QLineEdit>("TXTbnam")->text(), QString());
        QVERIFY(!t.find<QCheckBox>("chkReception")->isChecked());
        QCOMPARE(t.find<QDateEdit>("TXTdate")->date(), QDate::currentDate());
        QCOMPARE(plan().records().count(), 0);

        t.find<QLineEdit>("TXTbnam")->setText(QStringLiteral("Juliet"));
        t.w.StoreDetails();
        QCOMPARE(plan().records().count(), 1);
        const Record &record = details();
        QCOMPARE(record.fields().count(), 29);
        for (const auto &[name, code] : kTextBoxes)
            QVERIFY2(record.has(codeOf(code)), code);
        for (const char *code : {"ccon", "hcon", "star", "stop", "ntab", "ptab"})
            QVERIFY2(record.has(codeOf(code)), code);
        QCOMPARE(record.text("bnam"), QStringLiteral("Juliet"));
        QVERIFY(record.value("star").isNone());
        QVERIFY(record.value("ntab").isNone());
        QCOMPARE(plan().fieldList().item("star").kind(), FieldKind::Time);
        // The date and the notes have their own writers.
        QVERIFY(!record.has("date"));
        QVERIFY(!record.has("note"));

        // With no plan at all, storing is reported rather than thrown.
        appState().set.release();
        t.f.prompter()
            .expectMessage(QStringLiteral("There was an error collecting data from the "
                                          "Interface.  If this error continues, please contact "
                                          "the application developer.\r"),
                           QStringLiteral("Error"), Prompter::Icon::Exclamation)
            .prefixOnly();
        t.w.StoreDetails();
        VERIFY_PROMPTS(t.f.prompter());
    }

    void dateChangeIsStoredAtOnce_data() {
        QTest::addColumn<bool>("withRecord");
        QTest::newRow("details record") << true;
        QTest::newRow("no details record") << false;
    }
    void dateChangeIsStoredAtOnce() {
        QFETCH(bool, withRecord);
        Window t;
        QTime timeOfDay(0, 0);
        if (withRecord) {
            timeOfDay = details().value("date").toDateTime().time();
        } else {
            plan().records().removeAll();
            plan().fieldList().remove("date");
            QVERIFY_THROWS_EXCEPTION(StoreError, t.w.UpdateDetails());
        }
        t.find<QLineEdit>("TXThall")->setText(QStringLiteral("Grand Hall"));
        t.find<QDateEdit>("TXTdate")->setDate(QDate(2030, 6, 15));
        QCOMPARE(plan().records().count(), 1);
        QCOMPARE(details().value("date").toDateTime(), QDateTime(QDate(2030, 6, 15), timeOfDay));
        QCOMPARE(plan().fieldList().item("date").kind(), FieldKind::Date);
        QCOMPARE(details().text("hall"), QStringLiteral("Grand Hall")); // the tab was stored
        // A new date is an edit: closing without a save question would lose it.
        QVERIFY(appState().changed);
        QCOMPARE(t.w.statusText(), kDefaultModified);
    }

    // A typed time is put in normal form when the box is left, or refused with a message.
    void typedTime_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("otherTab"); // left for another tab rather than another box
        QTest::addColumn<QString>("shown"); // empty: refused
        QTest::newRow("short form") << "cmbStartTime"
                                    << "7:30p" << false << "7:30:00 PM";
        QTest::newRow("bad start") << "cmbStartTime"
                                   << "25:00" << false << "";
        QTest::newRow("bad end") << "cmbEndTime"
                                 << "7:x" << false << "";
        // The start box brings its tab back to the front.
        QTest::newRow("bad start, left for another tab") << "cmbStartTime"
                                                         << "soon" << true << "";
    }
    void typedTime() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(bool, otherTab);
        QFETCH(QString, shown);
        Window t;
        t.showActive();
        auto *box = t.f.find<QComboBox>(name);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClicks(box, typed);
        if (shown.isEmpty())
            t.f.prompter().expectMessage(kTimeError, QStringLiteral("Time Error"),
                                         Prompter::Icon::Exclamation);
        if (otherTab)
            t.w.showTab(frmMain::GuestsPage);
        else
            t.find<QLineEdit>("TXThall")->setFocus();
        QTRY_VERIFY(t.f.prompter().done());
        QCOMPARE(box->currentText(), shown);
        QVERIFY(!appState().changed);
        QCOMPARE(t.w.statusText(), kDefault);
        QVERIFY(!details().has("star") || details().value("star").isNone());
        if (shown.isEmpty()) {
            QCOMPARE(t.w.mainTab()->currentWidget(), t.w.details());
            QTRY_VERIFY(box->hasFocus());
        }
    }

    void noteButtons_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("edited");
        QTest::newRow("general, clicked") << "TXTnote" << 0 << false;
        QTest::newRow("general, Enter") << "TXTnote" << 0 << true;
        QTest::newRow("church") << "cmdChurchNotes" << 1 << false;
        QTest::newRow("reception, edited") << "cmdReception" << 2 << true;
    }
    void noteButtons() {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(bool, edited);
        Window t;
        t.find<QLineEdit>("TXTchrc")->setText(QStringLiteral("St. Mary"));
        int seenKind = -1;
        int seenRecord = -1;
        onNextModal(QStringLiteral("NoteEditor"), [&](QDialog *dialog) {
            seenKind = appState().editorKind;
            seenRecord = appState().selectedRecord;
            QCOMPARE(dialog->parentWidget(), &t.w);
            if (edited) {
                plan().write(details(), "hnot", "from the editor");
                appState().changed = true;
            }
            dialog->reject();
        });
        if (kind == 0 && edited)
            QTest::keyClick(t.f.find<QWidget>(name), Qt::Key_Return);
        else
            QTest::mouseClick(t.f.find<QWidget>(name), Qt::LeftButton);
        QVERIFY(modalHandlersDone());
        QCOMPARE(seenKind, kind);
        QCOMPARE(seenRecord, 1);
        QCOMPARE(details().text("chrc"), QStringLiteral("St. Mary")); // stored afterwards
        QCOMPARE(t.w.statusText(), edited ? kDefaultModified : kDefault);
    }
};

VOWLINE_TEST(TestDetailsTab)
#include "tst_details.moc"
