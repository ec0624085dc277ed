// Whole commands through the real main window: a guest's way from "Add Person" to the
// HotSync queue, and the save commands with their questions.
#include "app/frmmain.h"
#include "app/listgrid.h"
#include "store/appstate.h"
#include "support/guitest.h"
#include "views/guesttab.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using Schema::DbId;

namespace {

const auto kNone = Prompter::Icon::None;
const auto kExclamation = Prompter::Icon::Exclamation;
const QString kTitle = QStringLiteral("Vowline Desktop");

void expectPlanName(ScriptedPrompter &p, const QString &name) {
    p.expectMessage(
         QStringLiteral("You must enter a name for this Wedding Plan.  This is the name to be "
                        "displayed on the main Vowline screen on your handheld."),
         QStringLiteral("Missing Data"), kExclamation)
        .expectInput(QStringLiteral("This Wedding Plan is for whom?\rex: Romeo & Juliet"),
                     QStringLiteral("Enter Name"), name);
}

void expectSaved(ScriptedPrompter &p, const QString &folder) {
    p.expectMessage(QStringLiteral("The Vowline Databases have been saved to ") +
                        QDir::toNativeSeparators(folder),
                    kTitle, kNone);
}

void startUp(MainWindowFixture &f) {
    onNextModal(QStringLiteral("frmStartup"), [](QDialog *d) { d->reject(); });
    f.window().StartUp();
    QTRY_VERIFY(!appState().loading);
}

std::unique_ptr<PalmDatabase> reopen(const QString &folder, DbId id) {
    return appState().server.OpenDatabase(folder + u'/' + Schema::info(id).fileName);
}

// Types like QTest::keyClicks, also characters outside ASCII.
void type(QWidget *widget, const QString &text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

void choose(QComboBox *box, const QString &text) {
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

} // namespace

class TestPlanFlows : public QObject {
    Q_OBJECT
private slots:
    void roadOfOneGuest() {
        MainWindowFixture f({"Ann"}, QStringLiteral("Ann"));
        frmMain &w = f.create();
        startUp(f);
        QCOMPARE(w.statusText(), QStringLiteral("Vowline - User Database"));
        PalmDatabase &tables = appState().set.db(DbId::Tables);
        Record &table = tables.records().add();
        tables.write(table, "ttag", QStringLiteral("T1"));
        tables.write(table, "tabl", QStringLiteral("Near the dance floor"));
        tables.write(table, "maxs", QStringLiteral("4"));
        tables.write(table, "coun", QStringLiteral("2"));
        tables.write(table, "avai", QStringLiteral("2"));

        // On "Guests": a relation and "Confirmed" in the filters, then "Add Person".
        w.showTab(frmMain::GuestsPage);
        GuestTab *guests = w.guests();
        const QString relation = guests->relationBox()->itemText(1);
        QVERIFY(!relation.isEmpty() && relation != u"Edit...");
        choose(guests->relationBox(), relation);
        choose(guests->statusBox(), QStringLiteral("Confirmed"));

        f.prompter().expectMessage(
            QStringLiteral(
                "Adding Zoë Wang to the selected table will exceed the table's number of available "
                "seats.  Do you want to adjust the number of seats for this table and continue?"),
            QStringLiteral("Increase Table Size?"), Prompter::Icon::Question,
            Prompter::Buttons::YesNo, Prompter::Answer::Yes);
        int editedRecord = 0;
        onNextModal(QStringLiteral("frmRecordEditor"), [&](QDialog *editor) {
            editedRecord = appState().selectedRecord;
            QCOMPARE(appState().editorKind, 4);
            auto *confirmed = editor->findChild<QCheckBox *>(QStringLiteral("chkRecord"));
            QVERIFY(confirmed->isChecked());
            auto *rsvp = editor->findChild<QComboBox *>(QStringLiteral("cmbRSVP"));
            QCOMPARE(rsvp->currentText(), QStringLiteral("1")); // a confirmed guest counts one
            type(editor->findChild<QLineEdit *>(QStringLiteral("txtName")),
                 QStringLiteral("Zoë Wang"));
            QCOMPARE(editor->windowTitle(), QStringLiteral("Record Details - Zoë Wang"));
            rsvp->lineEdit()->selectAll();
            QTest::keyClicks(rsvp->lineEdit(), QStringLiteral("4"));
            QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("txtCity")),
                             QStringLiteral("Verona"));
            choose(editor->findChild<QComboBox *>(QStringLiteral("cboTable")),
                   QStringLiteral("T1"));
            // The seat check enlarged the table at once.
            QCOMPARE(tables.records().item(1).value("maxs").toNumber(), 6.0);
            QCOMPARE(tables.records().item(1).text("avai"), QStringLiteral("0"));
            QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdRecordOK")),
                              Qt::LeftButton);
        });
        QTest::mouseClick(f.find<QPushButton>(QStringLiteral("cmdAddGuest")), Qt::LeftButton);
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(f.prompter());
        QVERIFY(editedRecord >= 1);

        ListGrid *grid = guests->grid();
        QCOMPARE(grid->rows(), 2);
        QCOMPARE(grid->text(1, 1), QStringLiteral("Zoë Wang"));
        QCOMPARE(grid->text(1, 3), QStringLiteral("Confirmed"));
        QCOMPARE(grid->text(1, 4), QStringLiteral("4"));
        QCOMPARE(w.statusText(), QStringLiteral("Vowline - User Database (modified)"));

        // "Save && Install": the nine files, then the HotSync queue of the current Palm user.
        const QString folder = appState().usersFolder() + QStringLiteral("/Ann");
        expectPlanName(f.prompter(), QStringLiteral("Romeo & Juliet"));
        expectSaved(f.prompter(), folder);
        f.prompter().expectMessage(
            QStringLiteral(
                "The Vowline Databases will be installed for Ann during the next HotSync."),
            kTitle, kNone);
        f.find<QAction>(QStringLiteral("mnuFileSaveAll"))->trigger();
        VERIFY_PROMPTS(f.prompter());
        QVERIFY(!appState().changed);
        const QStringList queued =
            QDir(f.palmRoot() + QStringLiteral("/Ann/Install")).entryList(QDir::Files);
        QCOMPARE(queued.size(), 9);

        // The saved guest comes back from disk with every field as typed.
        const auto saved = reopen(folder, DbId::Guest);
        QCOMPARE(saved->records().count(), 1);
        const Record &guest = saved->records().item(1);
        QCOMPARE(guest.text("gnam"), QStringLiteral("Zoë Wang"));
        QCOMPARE(guest.text("gtyp"), relation);
        QCOMPARE(guest.text("gcon"), QStringLiteral("True"));
        QCOMPARE(guest.text("rsvp"), QStringLiteral("4"));
        QCOMPARE(guest.text("gcit"), QStringLiteral("Verona"));
        QCOMPARE(guest.text("gtag"), QStringLiteral("T1"));
        QCOMPARE(guest.text("tnku"), QStringLiteral("False"));
        QCOMPARE(guest.text("ownr"), QStringLiteral("Romeo & Juliet"));
        QCOMPARE(reopen(folder, DbId::Tables)->records().item(1).text("avai"), QStringLiteral("0"));
        QCOMPARE(reopen(folder, DbId::Plan)->records().item(1).text("ownr"),
                 QStringLiteral("Romeo & Juliet"));
    }

    void saveWithoutAPalmUser() {
        MainWindowFixture f;
        f.prompter().expectMessage(
            QStringLiteral("No Palm Device is installed on this computer, or you have not "
                           "done a HotSync.\rYou must create a new Wedding Database Set to "
                           "use with Vowline Desktop.  Your changes will not be saved on "
                           "your handheld, but can be saved to a local folder."),
            QStringLiteral("No Palm User"), kExclamation);
        frmMain &w = f.create();
        startUp(f);
        PalmDatabase &party = appState().set.db(DbId::Party);
        party.write(party.records().add(), "pnam", QStringLiteral("Mercutio"));

        // Typing marks the plan modified.
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("TXTbnam")),
                         QStringLiteral("Juliet Capulet"));
        QCOMPARE(w.statusText(), QStringLiteral("Vowline - Default Database (modified)"));

        const QString folder = appState().usersFolder() + QStringLiteral("/Smith");
        QCOMPARE(folder, f.programFolder() + QStringLiteral("/Users/Smith"));
        expectPlanName(f.prompter(), QStringLiteral("Romeo & Juliet"));
        f.prompter().expectInput(
            QStringLiteral("Enter Vowline User Name for use with Vowline Desktop"),
            QStringLiteral("User Name"), QStringLiteral("Smith"));
        expectSaved(f.prompter(), folder);
        f.find<QAction>(QStringLiteral("mnuFileSave"))->trigger();
        VERIFY_PROMPTS(f.prompter());
        QVERIFY(!appState().changed);
        QCOMPARE(appState().currentPalmUser, QStringLiteral("Smith"));
        QCOMPARE(appState().currentSetFolder, folder);
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 9);
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("TXTownr"))->text(),
                 QStringLiteral("Romeo & Juliet"));
        const auto details = reopen(folder, DbId::Plan);
        QCOMPARE(details->records().item(1).text("bnam"), QStringLiteral("Juliet Capulet"));
        QCOMPARE(details->records().item(1).text("ownr"), QStringLiteral("Romeo & Juliet"));
        QCOMPARE(reopen(folder, DbId::Party)->records().item(1).text("ownr"),
                 QStringLiteral("Romeo & Juliet"));
        const auto tasks = reopen(folder, DbId::Tasks);
        QVERIFY(tasks->records().count() > 0);
        for (int i = 1; i <= tasks->records().count(); ++i)
            QCOMPARE(tasks->records().item(i).text("ownr"), QStringLiteral("Romeo & Juliet"));

        // After New, a second save for Smith asks first; No opens Save As instead.
        QVERIFY(w.NewPlan());
        expectPlanName(f.prompter(), QStringLiteral("Second plan"));
        f.prompter().expectInput(
            QStringLiteral("Enter Vowline User Name for use with Vowline Desktop"),
            QStringLiteral("User Name"), QStringLiteral("Smith"));
        f.prompter().expectMessage(
            QStringLiteral(
                "The User Name, Smith, already exists.  Do you want to overwrite the data?"),
            QStringLiteral("Overwrite Data"), kExclamation, Prompter::Buttons::YesNoCancel,
            Prompter::Answer::No);
        f.prompter().expectSaveFile(QStringLiteral("Save As"), std::nullopt);
        f.find<QAction>(QStringLiteral("mnuFileSave"))->trigger();
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(appState().currentSetFolder, QString()); // nothing was written over
        QCOMPARE(reopen(folder, DbId::Plan)->records().item(1).text("ownr"),
                 QStringLiteral("Romeo & Juliet"));
    }

    void saveAsAsksBeforeOverwriting() {
        MainWindowFixture f({"Ann"}, QStringLiteral("Ann"));
        f.create();
        startUp(f);
        QTemporaryDir other;
        writeAll(other.filePath(QStringLiteral("VowlineDB.pdb")), "an older plan");
        const QString chosen = other.filePath(QStringLiteral("VowlineDB.pdb"));
        const QString overwrite =
            QStringLiteral("That location already contains a Vowline database set.  Do you want to "
                           "overwrite the existing files?");
        f.find<QLineEdit>(QStringLiteral("TXTownr"))->setText(QStringLiteral("Ann's plan"));
        f.prompter()
            .expectSaveFile(QStringLiteral("Save As"), chosen)
            .expectMessage(overwrite, QStringLiteral("Overwrite?"), kExclamation,
                           Prompter::Buttons::YesNoCancel, Prompter::Answer::No)
            .expectSaveFile(QStringLiteral("Save As"), chosen) // No shows the dialog again
            .expectMessage(overwrite, QStringLiteral("Overwrite?"), kExclamation,
                           Prompter::Buttons::YesNoCancel, Prompter::Answer::Cancel);
        f.find<QAction>(QStringLiteral("mnuFileSaveAs"))->trigger();
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(f.prompter().lastStep()->kind, ScriptedPrompter::Kind::Message);
        QCOMPARE(readAll(chosen), QByteArray("an older plan"));

        f.prompter()
            .expectSaveFile(QStringLiteral("Save As"), chosen)
            .expectMessage(overwrite, QStringLiteral("Overwrite?"), kExclamation,
                           Prompter::Buttons::YesNoCancel, Prompter::Answer::Yes);
        expectSaved(f.prompter(), other.path());
        f.find<QAction>(QStringLiteral("mnuFileSaveAs"))->trigger();
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(QDir(other.path()).entryList(QDir::Files).size(), 9);
        QCOMPARE(reopen(other.path(), DbId::Plan)->records().item(1).text("ownr"),
                 QStringLiteral("Ann's plan"));
        QCOMPARE(appState().currentSetFolder, other.path());
    }
};

VOWLINE_TEST(TestPlanFlows)
#include "tst_planflows.moc"
