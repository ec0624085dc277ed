#include "app/frmmain.h"
#include "editorplan.h"
#include "editors/frmrecordeditor.h"
#include "rules/newrecords.h"
#include "views/guesttab.h"
#include "views/partytab.h"
#include "views/vendorstab.h"
#include "widgets/listgrid.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

using Schema::DbId;

namespace {

using Values = EditorPlan::Values;

// OK on the editor, then its fields written back as one step, as the lists do.
void confirm(frmRecordEditor &dlg, RecordKind kind, Record &record) {
    clickButton(&dlg, QStringLiteral("cmdRecordOK"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    const std::vector<FieldEntry> entries = dlg.entries();
    appState().plan.apply(QStringLiteral("Edit"), [&](PlanEdit &edit) {
        edit.writeAll(databaseOf(kind), record, entries);
    });
}

QString textOf(QWidget *dlg, const char *name) {
    if (auto *combo = qobject_cast<QComboBox *>(child<QWidget>(dlg, name)))
        return combo->currentText();
    return child<QLineEdit>(dlg, name)->text();
}

void setText(QWidget *dlg, const char *name, const QString &text) {
    if (auto *combo = qobject_cast<QComboBox *>(child<QWidget>(dlg, name)))
        combo->setEditText(text);
    else
        child<QLineEdit>(dlg, name)->setText(text);
}

// The user picks an entry of the table box from its list.
void pickTable(QWidget *dlg, const QString &tag) {
    auto *box = child<QComboBox>(dlg, "cboTable");
    const int index = box->findText(tag);
    QVERIFY2(index >= 0, qPrintable(tag));
    box->showPopup();
    QAbstractItemView *list = box->view();
    QTRY_VERIFY(list->isVisible());
    const QRect cell = list->visualRect(list->model()->index(index, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_VERIFY(!list->isVisible());
}

} // namespace

class TestRecordEditor : public QObject {
    Q_OBJECT
private slots:
    // Each kind shows its own controls (a party member none of the guest-only ones), and
    // every field reaches its box untrimmed and comes back from it on OK.
    void everyFieldOfEachKind_data() {
        QTest::addColumn<RecordKind>("kind");
        QTest::addColumn<bool>("contactRow");
        QTest::addColumn<DbId>("categories");
        QTest::addColumn<QString>("list"); // code=control ...
        QTest::newRow("party") << RecordKind::Party << false << DbId::RelTypes
                               << "pnam=txtName ptyp=cboType padr=txtAddress pcit=txtCity "
                                  "psta=txtState pzip=txtZip ppho=txtPhone pmai=txtEmail "
                                  "pctr=txtCountry";
        QTest::newRow("guest") << RecordKind::Guest << true << DbId::RelTypes
                               << "gnam=txtName gtyp=cboType gtag=cboTable gadr=txtAddress "
                                  "gcit=txtCity gsta=txtState gzip=txtZip gpho=txtPhone "
                                  "gcos=txtEmail rsvp=cmbRSVP gift=txtGift gctr=txtCountry";
        QTest::newRow("vendor") << RecordKind::Vendor << true << DbId::VenTypes
                                << "vnam=txtName vtyp=cboType vcnt=txtContact vadr=txtAddress "
                                   "vcit=txtCity vsta=txtState vzip=txtZip vpho=txtPhone "
                                   "vema=txtEmail vctr=txtCountry";
    }
    void everyFieldOfEachKind() {
        QFETCH(RecordKind, kind);
        QFETCH(bool, contactRow);
        QFETCH(DbId, categories);
        QFETCH(QString, list);
        EditorPlan plan;
        const DbId db = databaseOf(kind);
        const QStringList fields = list.split(u' ');
        // The check boxes' fields: Confirmed first.
        const QStringList flags = kind == RecordKind::Guest    ? QStringList{"gcon", "tnku"}
                                  : kind == RecordKind::Vendor ? QStringList{"vcon"}
                                                               : QStringList();
        {
            // A record without fields gets each of them on opening, empty and of its kind
            // (but no date); that is no change.
            Record &bare = plan.add(db, {});
            frmRecordEditor dlg(plan.forms(), kind, bare, false);
            QCOMPARE(dlg.tabs()->isTabVisible(dlg.tabs()->indexOf(dlg.pricingPage())),
                     kind == RecordKind::Vendor);
            QCOMPARE(child<QWidget>(&dlg, "lblContact")->isVisibleTo(&dlg), contactRow);
            QCOMPARE(child<QWidget>(&dlg, "cboTable")->isVisibleTo(&dlg),
                     kind == RecordKind::Guest);
            auto *type = child<QComboBox>(&dlg, "cboType");
            QCOMPARE(type->count(), plan.db(categories).records().count());
            QCOMPARE(type->currentText(), QString()); // a missing field shows empty, not entry 1
            for (const QString &f : fields)
                QVERIFY(bare.has(FieldCode(f.left(4))) &&
                        plan.db(db).fieldList().exists(FieldCode(f.left(4))));
            for (const QString &code : flags) {
                QCOMPARE(bare.fields().item(FieldCode(code)).kind(), FieldKind::Boolean);
                QCOMPARE(plan.db(db).fieldList().item(FieldCode(code)).kind(), FieldKind::Boolean);
            }
            QVERIFY(!bare.has("dued") && !bare.has("ndat"));
            QCOMPARE(plan.steps(), 0);
            QVERIFY(!plan.modified());
        }
        Values stored;
        for (const QString &f : fields)
            stored.append({f.left(4), QStringLiteral(" %1 ").arg(f.left(4))});
        Record &r = plan.add(db, stored);
        if (kind == RecordKind::Guest) // a guest sits at a table of the plan or at none
            plan.add(DbId::Tables, {{"ttag", "new cboTable"}});
        frmRecordEditor dlg(plan.forms(), kind, r, false);
        for (const QString &f : fields) {
            const QByteArray control = f.mid(5).toLatin1();
            QCOMPARE(textOf(&dlg, control), QStringLiteral(" %1 ").arg(f.left(4)));
            setText(&dlg, control, QStringLiteral("new ") + control);
        }
        if (kind != RecordKind::Party)
            child<QCheckBox>(&dlg, "chkRecord")->setChecked(true);
        confirm(dlg, kind, r);
        for (const QString &f : fields)
            QCOMPARE(r.text(f.left(4)), QStringLiteral("new ") + f.mid(5));
        if (!flags.isEmpty())
            QCOMPARE(r.value(FieldCode(flags.first())), FieldValue(true));
        // Dates are never added by the contact fields' save.
        QVERIFY(!r.has("dued") && !r.has("ndat"));
        QVERIFY(plan.modified());
        VERIFY_PROMPTS(plan.prompter);
    }

    // The table box: disabled and showing the stored ID when the plan has no tables; OK
    // refuses a typed ID that no table has and keeps the editor open, and takes an empty box
    // ("not seated"), a table of the plan or the ID the guest already held.
    void tableBox_data() {
        QTest::addColumn<bool>("tables");
        QTest::addColumn<QString>("stored");  // "-": the guest has no gtag at all
        QTest::addColumn<QString>("typed");   // "-": left as shown
        QTest::addColumn<QString>("written"); // "-": refused
        const char *rows[][5] = {
            {"no tables, seated at a deleted one", "", "T9", "-", "T9"},
            {"no tables, never seated", "", "-", "-", ""},
            {"no such table", "tables", "T7", " T9 ", "-"},
            {"not seated", "tables", "T7", "", ""},
            {"a table of the plan", "tables", "T7", "T1", "T1"},
            {"the ID held before", "tables", "T7", "T7", "T7"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << (*r[1] != 0) << r[2] << r[3] << r[4];
    }
    void tableBox() {
        QFETCH(bool, tables);
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        EditorPlan plan;
        if (tables)
            plan.add(DbId::Tables, {{"ttag", "T1"}, {"maxs", "8"}, {"coun", "0"}, {"avai", "8"}});
        Values values{{QStringLiteral("gnam"), FieldValue("Ann")}};
        if (stored != u"-")
            values.append({QStringLiteral("gtag"), stored});
        Record &guest = plan.add(DbId::Guest, values);
        frmRecordEditor dlg(plan.forms(), RecordKind::Guest, guest, false);
        dlg.show();
        QCOMPARE(child<QComboBox>(&dlg, "cboTable")->isEnabled(), tables);
        QCOMPARE(textOf(&dlg, "cboTable"), stored == u"-" ? QString() : stored);
        if (typed != u"-")
            setText(&dlg, "cboTable", typed);
        if (written == u"-") {
            plan.prompter.expectMessage(
                QStringLiteral("There is no table with the ID T9.  Choose a table from the list, "
                               "or leave the box empty for a guest not yet seated."),
                kProgramTitle, Prompter::Icon::Exclamation);
            clickButton(&dlg, QStringLiteral("cmdRecordOK"));
            QVERIFY(dlg.isVisible());
        } else {
            confirm(dlg, RecordKind::Guest, guest);
            QVERIFY(guest.has("gtag")); // an empty ID means "not seated"
            QCOMPARE(guest.text("gtag"), written);
        }
        VERIFY_PROMPTS(plan.prompter);
    }

    // A guest's reply, meal and dietary note: shown as stored (a confirmation from the handheld
    // winning over a decline, a meal the list lacks as it is), written back with gcon in step
    // and the desktop's own fields left out while empty. Confirming gives one person.
    void replyMealAndDiet_data() {
        QTest::addColumn<QString>("stored"); // C confirmed, D declined, A awaiting, CD both
        QTest::addColumn<QString>("meal");   // stored; empty: no gmea
        QTest::addColumn<QString>("shown");  // the reply box on opening
        QTest::addColumn<QString>("choose"); // a reply picked, or empty
        QTest::addColumn<QString>("typed");  // meal typed, or "-"
        QTest::addColumn<QString>("after");  // gcon/gdec ("-" absent)/gmea ("-" absent)/rsvp
        const char *rows[][7] = {
            {"declined, a meal the list lacks", "D", "Kosher", "Declined", "", "-",
             "False/True/Kosher/"},
            {"confirmed on the handheld after a decline", "CD", "", "Confirmed", "", "-",
             "True/-/-/1"},
            {"declining a confirmed guest", "C", "Fish", "Confirmed", "Declined", "-",
             "False/True/Fish/1"},
            {"back to awaiting", "D", "", "Declined", "Awaiting reply", "Meat", "False/-/Meat/"},
            {"confirming gives one person", "A", "", "Awaiting reply", "Confirmed", "-",
             "True/-/-/1"},
            {"meal cleared", "C", "Fish", "Confirmed", "", "", "True/-/-/1"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << r[1] << r[2] << r[3] << r[4] << r[5] << r[6];
    }
    void replyMealAndDiet() {
        QFETCH(QString, stored);
        QFETCH(QString, meal);
        QFETCH(QString, shown);
        QFETCH(QString, choose);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        EditorPlan plan;
        Values values{{"gnam", FieldValue("Ann")},
                      {"rsvp", FieldValue("")},
                      {"gcon", FieldValue(stored.startsWith(u'C'))}};
        if (stored.endsWith(u'D'))
            values.append({"gdec", FieldValue(true)});
        if (!meal.isEmpty())
            values.append({"gmea", FieldValue(meal)});
        Record &r = plan.add(DbId::Guest, values);
        frmRecordEditor dlg(plan.forms(), RecordKind::Guest, r, false);
        dlg.show();
        auto *reply = child<QComboBox>(&dlg, "cboReply");
        QVERIFY(reply->isVisible() && !child<QCheckBox>(&dlg, "chkRecord")->isVisible());
        QCOMPARE(reply->currentText(), shown);
        QCOMPARE(textOf(&dlg, "cboMeal"), meal);
        QVERIFY(child<QComboBox>(&dlg, "cboMeal")->findText("Children's meal") >= 0);
        QVERIFY(!r.has("gmea") || !meal.isEmpty()); // opening adds none of them
        QVERIFY(!r.has("gdie"));
        if (!choose.isEmpty()) {
            reply->setFocus();
            QTest::keyClick(reply, Qt::Key_Home);
            while (reply->currentText() != choose && reply->currentIndex() < reply->count() - 1)
                QTest::keyClick(reply, Qt::Key_Down);
            QCOMPARE(reply->currentText(), choose);
        }
        // The hidden Confirmed box, which older code drives, stays in step.
        QCOMPARE(child<QCheckBox>(&dlg, "chkRecord")->isChecked(),
                 reply->currentText() == u"Confirmed");
        if (typed != u"-")
            setText(&dlg, "cboMeal", typed);
        setText(&dlg, "txtDiet", meal.isEmpty() ? QString() : QStringLiteral("no nuts"));
        confirm(dlg, RecordKind::Guest, r);
        const QString got = QStringList{r.text("gcon"), r.has("gdec") ? r.text("gdec") : "-",
                                        r.has("gmea") ? r.text("gmea") : "-", r.text("rsvp")}
                                .join(u'/');
        QCOMPARE(got, after);
        QCOMPARE(r.has("gdie"), !meal.isEmpty());
        VERIFY_PROMPTS(plan.prompter);
    }

    // Picking a table the guest does not fit asks; "Yes" enlarges the table at once, as a step
    // of its own that stays whatever becomes of the guest.
    void seatCheck_data() {
        QTest::addColumn<QString>("avai");
        QTest::addColumn<int>("answer"); // -1: no question expected
        QTest::addColumn<QString>("boxAfter");
        QTest::addColumn<double>("maxs");
        QTest::addColumn<double>("coun");
        QTest::addColumn<QString>("avaiAfter");
        const int yes = int(Prompter::Answer::Yes), no = int(Prompter::Answer::No);
        QTest::newRow("yes") << "2" << yes << " T1 " << 8.0 << 7.0 << "0";
        QTest::newRow("no") << "2" << no << "T2" << 6.0 << 4.0 << "2";
        QTest::newRow("fits") << "4" << -1 << " T1 " << 6.0 << 4.0 << "4";
    }
    void seatCheck() {
        QFETCH(QString, avai);
        QFETCH(int, answer);
        QFETCH(QString, boxAfter);
        QFETCH(double, maxs);
        QFETCH(double, coun);
        QFETCH(QString, avaiAfter);
        EditorPlan plan;
        Record &t2 =
            plan.add(DbId::Tables, {{"ttag", "T2"}, {"maxs", "8"}, {"coun", "8"}, {"avai", "0"}});
        // The tag matches after trimming.
        Record &t1 = plan.add(DbId::Tables,
                              {{"ttag", " T1 "}, {"maxs", "6"}, {"coun", "4"}, {"avai", avai}});
        Record &guest = plan.add(DbId::Guest, {{"gnam", "Ann"}, {"rsvp", "3"}, {"gtag", "T2"}});
        if (answer >= 0)
            plan.prompter.expectMessage(
                QStringLiteral("Adding Ann to the selected table will exceed the table's number "
                               "of available seats.  Do you want to adjust the number of seats "
                               "for this table and continue?"),
                QStringLiteral("Increase Table Size?"), Prompter::Icon::Question,
                Prompter::Buttons::YesNo, Prompter::Answer(answer));
        frmRecordEditor dlg(plan.forms(), RecordKind::Guest, guest, false);
        dlg.show();
        setText(&dlg, "cmbRSVP", QStringLiteral("4"));
        pickTable(&dlg, QStringLiteral(" T1 "));
        VERIFY_PROMPTS(plan.prompter);
        QCOMPARE(textOf(&dlg, "cboTable"), boxAfter);
        QCOMPARE(t1.value("maxs").toNumber(), maxs);
        QCOMPARE(t1.value("coun").toNumber(), coun); // grows by the stored rsvp
        QCOMPARE(t1.text("avai"), avaiAfter);
        QCOMPARE(t2.text("maxs"), QStringLiteral("8"));
        const bool enlarged = answer == int(Prompter::Answer::Yes);
        QCOMPARE(plan.steps(), enlarged ? 1 : 0);
        QCOMPARE(plan.modified(), enlarged);
        // Cancel keeps the enlarged table; the guest was never written.
        clickButton(&dlg, QStringLiteral("cmdRecordCancel"));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(t1.text("avai"), avaiAfter);
        QCOMPARE(plan.steps(), enlarged ? 1 : 0);
        QCOMPARE(guest.text("gtag"), QStringLiteral("T2"));
        QCOMPARE(guest.text("rsvp"), QStringLiteral("3"));
    }

    // A stored record's note is a step of its own, made at once; a new record's note waits for
    // the record and goes with its fields on OK.
    void notes_data() {
        QTest::addColumn<bool>("isNew");
        QTest::newRow("stored guest") << false;
        QTest::newRow("new guest") << true;
    }
    void notes() {
        QFETCH(bool, isNew);
        EditorPlan plan;
        std::unique_ptr<Record> made = NewRecords::guest(QString(), false);
        Record &guest = isNew ? *made : plan.add(DbId::Guest, {{"gnam", "Ann"}});
        frmRecordEditor dlg(plan.forms(), RecordKind::Guest, guest, isNew);
        dlg.show();
        onNextModal(QStringLiteral("NoteEditor"), [](QDialog *notes) {
            notes->findChild<QPlainTextEdit *>()->setPlainText(QStringLiteral("Vegetarian"));
            clickButton(notes, QStringLiteral("cmdNoteOK"));
        });
        clickButton(&dlg, QStringLiteral("cmdRecordNote"));
        QVERIFY(modalHandlersDone());
        QVERIFY(dlg.isVisible());
        QCOMPARE(plan.steps(), isNew ? 0 : 1);
        QCOMPARE(guest.text("gnot"), isNew ? QString() : QStringLiteral("Vegetarian"));
        clickButton(&dlg, QStringLiteral("cmdRecordOK"));
        const std::vector<FieldEntry> entries = dlg.entries();
        const auto note = std::find_if(entries.begin(), entries.end(),
                                       [](const FieldEntry &e) { return e.code == "gnot"; });
        QCOMPARE(note != entries.end(), isNew);
        if (isNew)
            QCOMPARE(note->value, std::optional<FieldValue>(QStringLiteral("Vegetarian")));
        VERIFY_PROMPTS(plan.prompter);
    }

    // A guest as an older plan holds it, lacking most fields: opened from the list and
    // confirmed unchanged, it makes no step and leaves the plan unmodified.
    void okWithoutAChangeMakesNoStep() {
        TabTestWindow w;
        EditorPlan::add(DbId::Guest, {{"gnam", "Bo"}, {"gcon", false}});
        ListGrid &grid = w.grid("GuestGrid");
        grid.listModel()->refresh();
        w.planSaved();
        w.open(grid, 1, "frmRecordEditor", [](QDialog *d) { clickButton(d, "cmdRecordOK"); });
        VERIFY_PROMPTS(w.prompter());
        QCOMPARE(EditorPlan::steps(), 0);
        QVERIFY(!EditorPlan::modified());
    }
};

VOWLINE_TEST(TestRecordEditor)
#include "tst_recordeditor.moc"
