// Whole commands through the real main window: a guest's way from "Add Person" to the
// HotSync queue, the save commands with their questions, and the Reports menu.
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

// Empty when both databases hold the same field list and records, value for value.
QString difference(const PalmDatabase &a, const PalmDatabase &b) {
    auto sameFields = [](const Fields &x, const Fields &y) {
        if (x.count() != y.count())
            return false;
        for (const Field &f : x) {
            const Field *g = y.find(f.code());
            if (!g || g->kind() != f.kind() || !(g->value() == f.value()))
                return false;
        }
        return true;
    };
    if (!sameFields(a.fieldList(), b.fieldList()))
        return QStringLiteral("field list");
    if (a.records().count() != b.records().count())
        return QStringLiteral("record count");
    for (int n = 1; n <= a.records().count(); ++n) {
        if (!sameFields(a.records().item(n).fields(), b.records().item(n).fields()))
            return QStringLiteral("record %1").arg(n);
    }
    return {};
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
        onNextModal(QStringLiteral("frmRecordEditor"), [&](QDialog *editor) {
            auto *rsvp = editor->findChild<QComboBox *>(QStringLiteral("cmbRSVP"));
            seen << QString::number(grid->rows())
                 << QVariant(
                        editor->findChild<QCheckBox *>(QStringLiteral("chkRecord"))->isChecked())
                        .toString()
                 << rsvp->currentText();
            type(editor->findChild<QLineEdit *>(QStringLiteral("txtName")),
                 QStringLiteral("Zoë Wang"));
            seen << editor->windowTitle();
            rsvp->lineEdit()->selectAll();
            QTest::keyClicks(rsvp->lineEdit(), QStringLiteral("4"));
            QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("txtCity")),
                             QStringLiteral("Verona"));
            choose(editor->findChild<QComboBox *>(QStringLiteral("cboTable")),
                   QStringLiteral("T1"));
            seen << table.text("maxs") << table.text("avai")
                 << QString::number(appState().plan.history().count());
            QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("cmdRecordOK")),
                              Qt::LeftButton);
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
        QCOMPARE(grid->text(1, 1), QStringLiteral("Zoë Wang"));
        QCOMPARE(grid->text(1, 3), QStringLiteral("Confirmed"));
        QCOMPARE(grid->text(1, 4), QStringLiteral("4"));
        QCOMPARE(w.statusText(), QStringLiteral("Vowline - User Database (modified)"));

        // "Save && Install": the nine files, then the HotSync queue of the current Palm user.
        QAction *saveAndInstall = f.find<QAction>(QStringLiteral("mnuFileSaveAll"));
        QCOMPARE(saveAndInstall->text(), QStringLiteral("Save && &Install"));
        const QString folder = appState().usersFolder() + QStringLiteral("/Ann");
        expectPlanNamePrompt(f.prompter(), QStringLiteral("Romeo & Juliet"));
        expectSavedMessage(f.prompter(), folder);
        f.prompter().expectMessage(
            QStringLiteral(
                "The Vowline Databases will be installed for Ann during the next HotSync."),
            QStringLiteral("Vowline Desktop"), Prompter::Icon::None);
        saveAndInstall->trigger();
        VERIFY_PROMPTS(f.prompter());
        QVERIFY(!appState().plan.isModified());
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

        const QString folder = f.programFolder() + QStringLiteral("/Users/Smith");
        expectPlanNamePrompt(f.prompter(), QStringLiteral("Romeo & Juliet"));
        expectUserNamePrompt(f.prompter(), QStringLiteral("Smith"));
        expectSavedMessage(f.prompter(), folder);
        f.find<QAction>(QStringLiteral("mnuFileSave"))->trigger();
        VERIFY_PROMPTS(f.prompter());
        QVERIFY(!appState().plan.isModified());
        QCOMPARE(appState().currentSetFolder, folder);
        QCOMPARE(w.windowTitle(), QStringLiteral("Vowline Desktop - [Smith]"));
        QCOMPARE(f.find<QLineEdit>(QStringLiteral("TXTownr"))->text(),
                 QStringLiteral("Romeo & Juliet"));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 9);
        // Each file reopens with its identity and every value the plan holds.
        PlanSet &set = appState().plan.set();
        for (const Schema::DatabaseInfo &info : Schema::kDatabases) {
            QCOMPARE(set.path(info.id), folder + u'/' + info.fileName);
            const auto saved = reopen(folder, info.id);
            QCOMPARE(saved->name(), QString(info.name));
            QCOMPARE(saved->type(), QString(info.type));
            QCOMPARE(saved->creator(), QStringLiteral("Vowl"));
            QCOMPARE(difference(*saved, set.db(info.id)), QString());
        }
        // The plan's name is in the details and every party, guest, task and vendor record.
        for (DbId id : {DbId::Plan, DbId::Party, DbId::Guest, DbId::Tasks, DbId::Vendors}) {
            const auto saved = reopen(folder, id);
            QVERIFY(saved->records().count() > 0);
            for (int n = 1; n <= saved->records().count(); ++n)
                QCOMPARE(saved->records().item(n).text("ownr"), QStringLiteral("Romeo & Juliet"));
        }
        QVERIFY(!set.db(DbId::RelTypes).records().item(1).has("ownr"));
        QCOMPARE(reopen(folder, DbId::Plan)->records().item(1).text("bnam"),
                 QStringLiteral("Juliet Capulet"));
        QCOMPARE(reopen(folder, DbId::Guest)->records().item(1).text("gnam"),
                 QStringLiteral("Zoë 王 ✓"));
        QCOMPARE(reopen(folder, DbId::Party)->listValues("pnam"),
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
        f.find<QAction>(QStringLiteral("mnuFileSave"))->trigger();
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
        f.find<QAction>(QStringLiteral("mnuFileSaveAs"))->trigger();
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(readAll(chosen), QByteArray("an older plan"));

        // Yes writes over it; blanks around the chosen path do not count.
        f.prompter().expectSaveFile(QStringLiteral("Save As"),
                                    QStringLiteral("  ") + chosen + QStringLiteral(" "));
        expectOverwrite(Prompter::Answer::Yes);
        expectSavedMessage(f.prompter(), other.path());
        f.find<QAction>(QStringLiteral("mnuFileSaveAs"))->trigger();
        VERIFY_PROMPTS(f.prompter());
        QCOMPARE(QDir(other.path()).entryList(QDir::Files).size(), 9);
        QCOMPARE(reopen(other.path(), DbId::Plan)->records().item(1).text("ownr"), name);
        QCOMPARE(appState().currentSetFolder, other.path());
    }

    // The Reports menu: the save question, the folder and the viewer.
    void reportsMenu() {
        MainWindowFixture f;
        f.expectNoPalmUser();
        f.create();
        f.startUp();
        QStringList shown;
        appState().setViewer([&](const QString &path) { shown << path; });
        auto trigger = [&](const char *name) {
            f.find<QAction>(QString::fromLatin1(name))->trigger();
        };

        // A new plan has no folder yet: the report goes into the program folder.
        trigger("mnuReportsGuests");
        QCOMPARE(shown, QStringList{f.programFolder() + QStringLiteral("/Guest_List.htm")});

        const QString question = QStringLiteral(
            "Before you can print, you must save the changes to the current Wedding Plan.  Do "
            "you want to save the changes now?");
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("TXTbnam")), QStringLiteral("Juliet"));
        f.prompter().expectMessage(question, QStringLiteral("Save Changes?"),
                                   Prompter::Icon::Question, Prompter::Buttons::YesNo,
                                   Prompter::Answer::No);
        trigger("mnuReportsDetails");
        QCOMPARE(shown.size(), 1);
        QVERIFY(!QFile::exists(f.programFolder() + QStringLiteral("/Details.htm")));

        // Yes saves first; the report then goes beside the saved plan, titled by its name.
        const QString folder = f.programFolder() + QStringLiteral("/Users/Smith");
        f.prompter().expectMessage(question, QStringLiteral("Save Changes?"),
                                   Prompter::Icon::Question, Prompter::Buttons::YesNo,
                                   Prompter::Answer::Yes);
        expectPlanNamePrompt(f.prompter(), QStringLiteral("Zoë & <b>Ann</b>"));
        expectUserNamePrompt(f.prompter(), QStringLiteral("Smith"));
        expectSavedMessage(f.prompter(), folder);
        trigger("mnuReportsDetails");
        QCOMPARE(shown.last(), folder + QStringLiteral("/Details.htm"));
        const QString html = QString::fromUtf8(readAll(shown.last()));
        QVERIFY(html.contains(
            QStringLiteral("<h1>Wedding Details for Zoë &amp; &lt;b&gt;Ann&lt;/b&gt;</h1>")));
        QVERIFY(html.contains(QStringLiteral("<td width=\"82%\">Juliet</td>")));
        // The seating chart goes the same way, beside the plan.
        trigger("mnuReportsSeating");
        QCOMPARE(shown.last(), folder + QStringLiteral("/Seating.htm"));
        QVERIFY(QString::fromUtf8(readAll(shown.last()))
                    .contains(QStringLiteral(
                        "<h1>Seating Chart for Zoë &amp; &lt;b&gt;Ann&lt;/b&gt;</h1>")));
        VERIFY_PROMPTS(f.prompter());
        appState().setViewer({});
    }
};

VOWLINE_TEST(TestPlanFlows)
#include "tst_planflows.moc"
