// Whole commands through the real main window: a guest's way from "Add Person" to the
// HotSync queue, and the save commands with their questions, the Reports menu's among them.
#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"
#include "views/guesttab.h"
#include "widgets/listgrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

using Schema::DbId;

namespace {

const auto kExclamation = Prompter::Icon::Exclamation;

std::unique_ptr<PalmDatabase> reopen(const QString &folder, DbId id) {
    return appState().server().OpenDatabase(folder + u'/' + Schema::info(id).fileName);
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

// A record the plan holds as loaded: not an edit of the user's.
Record &add(DbId id, std::initializer_list<std::pair<QString, QString>> fields) {
    Record *added = nullptr;
    appState().plan.applyQuietly([&](PlanEdit &edit) {
        added = &edit.appendRecord(id);
        for (const auto &[code, value] : fields)
            edit.write(id, *added, FieldCode(code), value);
    });
    return *added;
}

} // namespace

class TestPlanFlows : public QObject {
    Q_OBJECT
private slots:
    void roadOfOneGuest() {
        MainWindowFixture f({"Ann"}, QStringLiteral("Ann"));
        frmMain &w = f.create();
        f.startUp();
        QCOMPARE(w.statusText(), QStringLiteral("Vowline - User Database"));
        Record &table = add(DbId::Tables, {{"ttag", "T1"},
                                           {"tabl", "Near the dance floor"},
                                           {"maxs", "4"},
                                           {"coun", "2"},
                                           {"avai", "2"}});

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
        ListGrid *grid = guests->grid();
        // Read while the editor is open: rows, Confirmed, RSVP, caption; the table and the
        // history after the seat check.
        QStringList seen;
        onNextModal("frmRecordEditor", [&](QDialog *editor) {
            auto *rsvp = child<QComboBox>(editor, "cmbRSVP");
            seen << QString::number(grid->rows())
                 << QVariant(child<QCheckBox>(editor, "chkRecord")->isChecked()).toString()
                 << rsvp->currentText();
            type(child<QLineEdit>(editor, "txtName"), QStringLiteral("Zoë Wang"));
            seen << editor->windowTitle();
            rsvp->lineEdit()->selectAll();
            QTest::keyClicks(rsvp->lineEdit(), QStringLiteral("4"));
            QTest::keyClicks(child<QLineEdit>(editor, "txtCity"), QStringLiteral("Verona"));
            choose(child<QComboBox>(editor, "cboTable"), QStringLiteral("T1"));
            seen << table.text("maxs") << table.text("avai")
                 << QString::number(appState().plan.history().count());
            QTest::mouseClick(child<QPushButton>(editor, "cmdRecordOK"), Qt::LeftButton);
        });
        QTest::mouseClick(f.find<QPushButton>(QStringLiteral("cmdAddGuest")), Qt::LeftButton);
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(f.prompter());
        // The new guest joins the list on OK only; a confirmed guest counts one; the seat
        // check enlarged the table at once, as a step of its own.
        QCOMPARE(seen, (QStringList{"1", "true", "1", "Record Details - Zoë Wang", "6", "0", "1"}));
        QCOMPARE(appState().plan.history().count(), 2);
        QCOMPARE(grid->rows(), 2);
        QCOMPARE(grid->row(), 1);
        QCOMPARE((QStringList{grid->text(1, 1), grid->text(1, 3), grid->text(1, 4)}),
                 (QStringList{"Zoë Wang", "Confirmed", "4"}));
        QCOMPARE(w.statusText(), QStringLiteral("Vowline - User Database (modified)"));

        // "Save && Install": the nine files, then the HotSync queue of the current Palm user.
        const QString folder = appState().usersFolder() + QStringLiteral("/Ann");
        expectPlanNamePrompt(f.prompter(), QStringLiteral("Romeo & Juliet"));
        expectSavedMessage(f.prompter(), folder);
        f.prompter().expectMessage(
            QStringLiteral(
                "The Vowline Databases will be installed for Ann during the next HotSync."),
            QStringLiteral("Vowline Desktop"), Prompter::Icon::None);
        f.trigger("mnuFileSaveAll");
        VERIFY_PROMPTS(f.prompter());
        QVERIFY(!appState().plan.isModified());
        QCOMPARE(QDir(f.palmRoot() + QStringLiteral("/Ann/Install")).entryList(QDir::Files).size(),
                 9);

        // The saved guest comes back from disk with every field as typed.
        const auto saved = reopen(folder, DbId::Guest);
        QCOMPARE(saved->records().count(), 1);
        const Record &guest = saved->records().item(1);
        QCOMPARE(
            (QStringList{guest.text("gnam"), guest.text("gtyp"), guest.text("gcon"),
                         guest.text("rsvp"), guest.text("gcit"), guest.text("gtag"),
                         guest.text("ownr")}),
            (QStringList{"Zoë Wang", relation, "True", "4", "Verona", "T1", "Romeo & Juliet"}));
        QCOMPARE(reopen(folder, DbId::Tables)->records().item(1).text("avai"), QStringLiteral("0"));
        QCOMPARE(reopen(folder, DbId::Plan)->records().item(1).text("ownr"),
                 QStringLiteral("Romeo & Juliet"));
    }

    // Saving without a Palm user, first through the Reports menu's question, then Save to File.
    void saveWithoutAPalmUser() {
        MainWindowFixture f;
        f.expectNoPalmUser();
        frmMain &w = f.create();
        f.startUp();
        for (const char *name : {"Tybalt", "benvolio", "Mercutio"})
            add(DbId::Party, {{"pnam", QString::fromLatin1(name)}});
        add(DbId::Guest, {{"gnam", QStringLiteral("Zoë 王 ✓")}});
        add(DbId::Vendors, {{"vnam", QStringLiteral("Florist")}});

        // Typing marks the plan modified.
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("TXTbnam")),
                         QStringLiteral("Juliet Capulet"));
        QCOMPARE(w.statusText(), QStringLiteral("Vowline - Default Database (modified)"));

        // A report asks to save the changes first: No shows nothing; Yes saves, naming the plan
        // and its user, and the report goes beside the saved plan, titled by its name.
        QStringList shown;
        appState().setViewer([&](const QString &path) { shown << path; });
        for (const auto answer : {Prompter::Answer::No, Prompter::Answer::Yes})
            f.prompter().expectMessage(
                QStringLiteral("Before you can print, you must save the changes to the current "
                               "Wedding Plan.  Do you want to save the changes now?"),
                QStringLiteral("Save Changes?"), Prompter::Icon::Question, Prompter::Buttons::YesNo,
                answer);
        f.trigger("mnuReportsDetails");
        QVERIFY(shown.isEmpty());
        const QString folder = f.programFolder() + QStringLiteral("/Users/Smith");
        expectPlanNamePrompt(f.prompter(), QStringLiteral("Romeo & Juliet"));
        expectUserNamePrompt(f.prompter(), QStringLiteral("Smith"));
        expectSavedMessage(f.prompter(), folder);
        f.trigger("mnuReportsDetails");
        f.trigger("mnuReportsSeating");
        appState().setViewer({});
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(shown, (QStringList{folder + "/Details.htm", folder + "/Seating.htm"}));
        QVERIFY(QString::fromUtf8(readAll(shown.first()))
                    .contains(QStringLiteral("<h1>Wedding Details for Romeo &amp; Juliet</h1>")));
        QVERIFY(!appState().plan.isModified());
        QCOMPARE(appState().currentSetFolder, folder);
        QCOMPARE(w.windowTitle(), QStringLiteral("Vowline Desktop - [Smith]"));
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("TXTownr"))->text(),
                 QStringLiteral("Romeo & Juliet"));
        QCOMPARE(QDir(folder).entryList({"*.pdb"}, QDir::Files).size(), 9);
        // Each file reopens as the plan holds it: its identity and every value (the header's
        // creation and modification dates aside).
        PlanSet &set = appState().plan.set();
        const auto image = [](const PalmDatabase &db) {
            return db.toBytes().remove(36, 8);
        };
        for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
            QCOMPARE(set.path(info.id), folder + u'/' + info.fileName);
            QCOMPARE(image(*reopen(folder, info.id)), image(set.db(info.id)));
        }
        // The plan's name is in the details and every party, guest, task and vendor record.
        for (DbId id : {DbId::Plan, DbId::Party, DbId::Guest, DbId::Tasks, DbId::Vendors})
            for (const auto &record : set.db(id).records().raw())
                QCOMPARE(record->text("ownr"), QStringLiteral("Romeo & Juliet"));
        QVERIFY(!set.db(DbId::RelTypes).records().item(1).has("ownr"));
        QCOMPARE(set.db(DbId::Plan).records().item(1).text("bnam"), u"Juliet Capulet"_qs);
        QCOMPARE(set.db(DbId::Guest).records().item(1).text("gnam"), u"Zoë 王 ✓"_qs);
        QCOMPARE(set.db(DbId::Party).listValues("pnam"),
                 QStringList({"benvolio", "Mercutio", "Tybalt"})); // sorted by the save

        // After New, a second save for Smith asks first; No opens Save As instead.
        QVERIFY(w.NewPlan());
        expectPlanNamePrompt(f.prompter(), QStringLiteral("Second plan"));
        expectUserNamePrompt(f.prompter(), QStringLiteral("Smith"));
        f.prompter().expectMessage(
            QStringLiteral(
                "The User Name, Smith, already exists.  Do you want to overwrite the data?"),
            QStringLiteral("Overwrite Data"), kExclamation, Prompter::Buttons::YesNoCancel,
            Prompter::Answer::No);
        f.prompter().expectSaveFile(QStringLiteral("Save As"), std::nullopt);
        f.trigger("mnuFileSave");
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(f.prompter().lastStep()->folder, f.programFolder());
        QCOMPARE(f.prompter().lastStep()->defaultText, QStringLiteral("VowlineDB.pdb"));
        QCOMPARE(appState().currentSetFolder, QString()); // nothing was written over
        QCOMPARE(reopen(folder, DbId::Plan)->records().item(1).text("ownr"),
                 QStringLiteral("Romeo & Juliet"));
    }

    void saveAsAsksBeforeOverwriting() {
        MainWindowFixture f({"Ann"}, QStringLiteral("Ann"));
        f.create();
        f.startUp();
        QTemporaryDir other;
        const QString chosen = other.filePath(QStringLiteral("VowlineDB.pdb"));
        writeAll(chosen, "an older plan");
        // Any character may stand in a plan name; a NUL must not cut it or what follows.
        const QString name = QStringLiteral("Ann's plan ") + QChar(0) + QStringLiteral(" ♥");
        appState().plan.apply(QStringLiteral("Name the plan"), [&](PlanEdit &edit) {
            edit.write(DbId::Plan, edit.db(DbId::Plan).records().item(1), "ownr", name);
        });
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("TXTownr"))->text(), name);
        auto expectOverwrite = [&f](Prompter::Answer answer) {
            f.prompter().expectMessage(
                QStringLiteral("That location already contains a Vowline database set.  Do you "
                               "want to overwrite the existing files?"),
                QStringLiteral("Overwrite?"), kExclamation, Prompter::Buttons::YesNoCancel, answer);
        };
        // No shows the dialog again; another file name in the same folder meets the same set.
        f.prompter().expectSaveFile(QStringLiteral("Save As"), chosen);
        expectOverwrite(Prompter::Answer::No);
        f.prompter().expectSaveFile(QStringLiteral("Save As"),
                                    other.filePath(QStringLiteral("Plan.pdb")));
        expectOverwrite(Prompter::Answer::Cancel);
        f.trigger("mnuFileSaveAs");
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(readAll(chosen), QByteArray("an older plan"));

        // Yes writes over it; blanks around the chosen path do not count.
        f.prompter().expectSaveFile(QStringLiteral("Save As"),
                                    QStringLiteral("  ") + chosen + QStringLiteral(" "));
        expectOverwrite(Prompter::Answer::Yes);
        expectSavedMessage(f.prompter(), other.path());
        f.trigger("mnuFileSaveAs");
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(QDir(other.path()).entryList(QDir::Files).size(), 9);
        QCOMPARE(reopen(other.path(), DbId::Plan)->records().item(1).text("ownr"), name);
        QCOMPARE(appState().currentSetFolder, other.path());
    }
};

VOWLINE_TEST(TestPlanFlows)
#include "tst_planflows.moc"
