#include "app/frmmain.h"
#include "editors/categorylists.h"
#include "editors/frmeditcats.h"
#include "store/appstate.h"
#include "support/guitest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

const QStringList kRelations{"Friend", "Family", "Coworker"};
const QStringList kTimeframes{"12 Months Before", "Day Before"};
const QStringList kVendorTypes{"Caterer", "Florist", "Photographer"};

PalmDatabase &db(Schema::DbId id) {
    return appState().set.db(id);
}

void setNames(Schema::DbId id, FieldCode code, const QStringList &names) {
    db(id).records().removeAll();
    for (const QString &name : names)
        db(id).write(db(id).records().add(), code, name);
}

void openPlan() {
    for (int i = 0; i < Schema::kDatabaseCount; ++i)
        appState().set.setDatabase(Schema::DbId(i), std::make_unique<PalmDatabase>());
    setNames(Schema::DbId::RelTypes, "type", kRelations);
    setNames(Schema::DbId::TimeFrames, "time", kTimeframes);
    setNames(Schema::DbId::VenTypes, "type", kVendorTypes);
}

QStringList entries(const QComboBox *box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

QStringList wrapped(const QStringList &names) {
    return QStringList{"All"} + names + QStringList{"Edit..."};
}

// A stand-in for the main window holding filter boxes by name.
struct FilterHost {
    explicit FilterHost(const QStringList &names) {
        for (const QString &name : names) {
            auto *box = new QComboBox(&window);
            box->setObjectName(name);
            box->setEditable(true);
            box->addItem(QStringLiteral("stale"));
        }
    }
    QComboBox *box(const QString &name) { return window.findChild<QComboBox *>(name); }
    QWidget window;
};

int selectedRow(const frmEditCats &editor) {
    const auto chosen = editor.lstCats()->selectedItems();
    return chosen.isEmpty() ? -1 : editor.lstCats()->row(chosen.first());
}

} // namespace

class TestCategories : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> m_program;
    ScriptedPrompter m_prompter;

    std::unique_ptr<frmEditCats> openEditor(int kind, int selected = -1) {
        appState().categoryKind = kind;
        auto editor = std::make_unique<frmEditCats>();
        editor->show();
        if (selected >= 0)
            editor->lstCats()->setCurrentRow(selected);
        return editor;
    }

private slots:
    void init() {
        m_program = std::make_unique<TestProgramFolder>();
        m_prompter = ScriptedPrompter();
        appState().setPrompter(&m_prompter);
        openPlan();
    }
    void cleanup() {
        VERIFY_PROMPTS(m_prompter);
        appState().setPrompter(nullptr);
        m_program.reset();
    }

    void fillsEveryBoxQuietly() {
        FilterHost host({"cmbPartyRelation", "cmbGuests", "cmbGuestStatus", "cmbVendors",
                         "cmbVendorStatus", "cmbTasks", "cboPayment"});
        int signalsSent = 0;
        for (QComboBox *box : host.window.findChildren<QComboBox *>())
            connect(box, &QComboBox::currentIndexChanged, box, [&] { ++signalsSent; });
        setNames(Schema::DbId::VenTypes, "type", {}); // an emptied list
        fillFilterBoxes(host.window);
        const QStringList status{"All", "Confirmed", "Unconfirmed"};
        QCOMPARE(entries(host.box("cmbPartyRelation")), wrapped(kRelations));
        QCOMPARE(entries(host.box("cmbGuests")), wrapped(kRelations));
        QCOMPARE(entries(host.box("cmbGuestStatus")), status);
        QCOMPARE(entries(host.box("cmbVendors")), QStringList({"All", "Edit..."}));
        QCOMPARE(entries(host.box("cmbVendorStatus")), status);
        QCOMPARE(entries(host.box("cmbTasks")), wrapped(kTimeframes));
        QCOMPARE(entries(host.box("cboPayment")),
                 QStringList({"Pending Payments", "Final Payments"}));
        for (QComboBox *box : host.window.findChildren<QComboBox *>())
            QCOMPARE(box->currentText(), box->itemText(0));
        QCOMPARE(signalsSent, 0);
        // Without a plan the boxes still offer "All" and the editor.
        appState().set.release();
        fillFilterBoxes(host.window);
        QCOMPARE(entries(host.box("cmbTasks")), QStringList({"All", "Edit..."}));
    }

    void typeAheadCompletesAndSelects() {
        FilterHost host({"cmbVendors"});
        QComboBox *box = host.box("cmbVendors");
        installTypeAhead(box, QStringLiteral("vendor"));
        QVERIFY(!box->completer());
        host.window.show();
        box->lineEdit()->clear();
        QTest::keyClicks(box, QStringLiteral("ph"));
        QCOMPARE(box->currentText(), QStringLiteral("Photographer"));
        QCOMPARE(box->lineEdit()->selectionStart(), 2);
        QCOMPARE(box->lineEdit()->selectedText(), QStringLiteral("otographer"));
        // Backspace removes the completed part and then a letter; it brings nothing back.
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->currentText(), QStringLiteral("P"));
        QTest::keyClicks(box, QStringLiteral("H"));
        QCOMPARE(box->currentText(), QStringLiteral("Photographer"));
        QCOMPARE(box->lineEdit()->selectedText(), QStringLiteral("otographer"));
        // A letter no name begins with replaces the selection and stays as typed.
        QTest::keyClicks(box, QStringLiteral("x"));
        QCOMPARE(box->currentText(), QStringLiteral("Phx"));
    }

    void commandsEditTheLines_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("selectedAfter");
        using E = frmEditCats;
        QTest::newRow("delete middle")
            << 1 << int(E::Delete) << QStringList({"Friend", "Coworker"}) << 1;
        QTest::newRow("delete last")
            << 2 << int(E::Delete) << QStringList({"Friend", "Family"}) << 1;
        QTest::newRow("delete, none selected") << -1 << int(E::Delete) << kRelations << -1;
        QTest::newRow("move up first") << 0 << int(E::MoveUp) << kRelations << 0;
        QTest::newRow("move up") << 2 << int(E::MoveUp)
                                 << QStringList({"Friend", "Coworker", "Family"}) << 1;
        QTest::newRow("move down last") << 2 << int(E::MoveDown) << kRelations << 2;
        QTest::newRow("move down")
            << 0 << int(E::MoveDown) << QStringList({"Family", "Friend", "Coworker"}) << 1;
        QTest::newRow("sort") << 1 << int(E::Sort) << QStringList({"Coworker", "Family", "Friend"})
                              << 1;
    }
    void commandsEditTheLines() {
        QFETCH(int, selected);
        QFETCH(int, command);
        QFETCH(QStringList, lines);
        QFETCH(int, selectedAfter);
        auto editor = openEditor(0, selected);
        clickButton(editor.get(), QStringLiteral("cmdCmd(%1)").arg(command));
        QCOMPARE(editor->lines(), lines);
        QCOMPARE(selectedRow(*editor), selectedAfter);
        QCOMPARE(db(Schema::DbId::RelTypes).listValues("type"), kRelations); // not before OK
    }

    void sortIgnoresCase() {
        setNames(Schema::DbId::RelTypes, "type", {"b", "A", "c"});
        auto editor = openEditor(0, 2);
        editor->cmdCmd_Click(frmEditCats::Sort);
        QCOMPARE(editor->lines(), QStringList({"A", "b", "c"}));
        QCOMPARE(selectedRow(*editor), 2);
    }

    void addEditAndKeys() {
        auto editor = openEditor(2);
        m_prompter.expectInput(QStringLiteral("Add new item:"), QStringLiteral("New"), QString())
            .expectInput(QStringLiteral("Add new item:"), QStringLiteral("New"), std::nullopt)
            .expectInput(QStringLiteral("Add new item:"), QStringLiteral("New"), "Baker")
            .expectInput(QStringLiteral("Edit existing item:"), QStringLiteral("Edit"), "");
        for (int i = 0; i < 3; ++i)
            editor->cmdCmd_Click(frmEditCats::Add);
        QCOMPARE(editor->lines(), kVendorTypes + QStringList{"Baker"});
        editor->lstCats()->setCurrentRow(1);
        editor->cmdCmd_Click(frmEditCats::Edit);
        QCOMPARE(m_prompter.lastStep()->defaultText, QStringLiteral("Florist"));
        QCOMPARE(editor->lines().at(1), QStringLiteral("Florist"));
        // A double-click edits; the Delete key deletes.
        m_prompter.expectInput(QStringLiteral("Edit existing item:"), QStringLiteral("Edit"),
                               "Flowers");
        QListWidget *list = editor->lstCats();
        const QPoint cell = list->visualItemRect(list->item(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(editor->lines(), QStringList({"Caterer", "Photographer", "Baker"}));
    }

    void okRewritesTheList() {
        auto editor = openEditor(1);
        editor->cmdOK_Click(); // unchanged: still rewritten and marked changed
        QCOMPARE(db(Schema::DbId::TimeFrames).listValues("time"), kTimeframes);
        QVERIFY(appState().changed);

        editor = openEditor(0, 0);
        for (int i = 0; i < 3; ++i)
            editor->cmdCmd_Click(frmEditCats::Delete);
        clickButton(editor.get(), QStringLiteral("cmdOK"));
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(db(Schema::DbId::RelTypes).records().count(), 0);
    }

    void cancelWritesNothing() {
        auto editor = openEditor(0, 0);
        editor->cmdCmd_Click(frmEditCats::Delete);
        editor->cmdCmd_Click(frmEditCats::Sort);
        QTest::keyClick(editor.get(), Qt::Key_Escape);
        QCOMPARE(editor->result(), int(QDialog::Rejected));
        QCOMPARE(db(Schema::DbId::RelTypes).listValues("type"), kRelations);
        QVERIFY(!appState().changed);
        // Without a plan the editor opens empty and OK has nothing to write into.
        appState().set.release();
        editor = openEditor(0);
        QCOMPARE(editor->lines(), QStringList());
        editor->cmdOK_Click();
        QVERIFY(!appState().changed);
    }

    void menuCommandRefillsTheBoxes() {
        MainWindowFixture fixture;
        openPlan();
        appState().markPlanSaved(AppState::PlanKind::User);
        frmMain &window = fixture.create();
        auto *vendors = fixture.find<QComboBox>(QStringLiteral("cmbVendors"));
        QVERIFY(vendors);
        fixture.prompter().expectInput(QStringLiteral("Add new item:"), QStringLiteral("New"),
                                       "Baker");
        onNextModal(QStringLiteral("frmEditCats"), [](QDialog *dialog) {
            clickButton(dialog, QStringLiteral("cmdCmd(0)"));
            clickButton(dialog, QStringLiteral("cmdOK"));
        });
        window.mnuOptionsVendors_Click();
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(fixture.prompter());
        QCOMPARE(entries(vendors), wrapped(kVendorTypes + QStringList{"Baker"}));
        QCOMPARE(vendors->currentIndex(), 0);
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);
    }
};

VOWLINE_TEST(TestCategories)
#include "tst_categories.moc"
