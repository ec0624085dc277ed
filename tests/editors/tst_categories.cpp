#include "app/frmmain.h"
#include "editorplan.h"
#include "editors/categorylists.h"
#include "editors/frmeditcats.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using Schema::DbId;

namespace {

const QStringList kRelations{"Friend", "Family", "Coworker"};
const QStringList kTimeframes{"12 Months Before", "Day Before"};
const QStringList kVendorTypes{"Caterer", "Florist", "Photographer"};

void setNames(PlanSet &set, DbId id, FieldCode code, const QStringList &names) {
    PalmDatabase &db = set.db(id);
    db.records().removeAll();
    for (const QString &name : names)
        db.write(db.records().add(), code, name);
}

// The default plan with the three lists above.
void shortLists(PlanSet &set) {
    setNames(set, DbId::RelTypes, "type", kRelations);
    setNames(set, DbId::TimeFrames, "time", kTimeframes);
    setNames(set, DbId::VenTypes, "type", kVendorTypes);
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

int selectedRow(const frmEditCats &editor) {
    const auto chosen = editor.lstCats()->selectedItems();
    return chosen.isEmpty() ? -1 : editor.lstCats()->row(chosen.first());
}

} // namespace

class TestCategories : public QObject {
    Q_OBJECT

    ScriptedPrompter m_prompter;

    std::unique_ptr<frmEditCats> openEditor(CategoryKind kind, const QStringList &names,
                                            int selected = -1) {
        auto editor = std::make_unique<frmEditCats>(kind, names, m_prompter);
        editor->show();
        if (selected >= 0)
            editor->lstCats()->setCurrentRow(selected);
        return editor;
    }

private slots:
    void init() { m_prompter = ScriptedPrompter(); }
    void cleanup() { VERIFY_PROMPTS(m_prompter); }

    // A filter box ends on its first entry; an emptied list, or no plan at all, still offers
    // "All" and the editor. (The filled boxes are the Options menu's test.)
    void emptyListsStillOfferTheEditor() {
        EditorPlan plan([](PlanSet &set) { setNames(set, DbId::VenTypes, "type", {}); });
        QComboBox box;
        box.setEditable(true);
        fillCategoryBox(&box, appState().plan, CategoryKind::VendorTypes);
        QCOMPARE(entries(&box), QStringList({"All", "Edit..."}));
        fillFixedBox(&box, {"Pending Payments", "Final Payments"});
        QCOMPARE(box.currentText(), QStringLiteral("Pending Payments"));
        appState().plan.release();
        fillCategoryBox(&box, appState().plan, CategoryKind::Timeframes);
        QCOMPARE(entries(&box), QStringList({"All", "Edit..."}));
    }

    void typeAheadCompletesAndSelects() {
        EditorPlan plan(shortLists);
        QWidget window;
        auto *box = new QComboBox(&window);
        box->setEditable(true);
        installTypeAhead(box, appState().plan, QStringLiteral("vendor"));
        QVERIFY(!box->completer());
        window.show();
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
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("selectedAfter");
        using E = frmEditCats;
        const QStringList r = kRelations;
        QTest::newRow("delete middle")
            << r << 1 << int(E::Delete) << QStringList({"Friend", "Coworker"}) << 1;
        QTest::newRow("delete last")
            << r << 2 << int(E::Delete) << QStringList({"Friend", "Family"}) << 1;
        QTest::newRow("delete, none selected") << r << -1 << int(E::Delete) << r << -1;
        QTest::newRow("move up first") << r << 0 << int(E::MoveUp) << r << 0;
        QTest::newRow("move up") << r << 2 << int(E::MoveUp)
                                 << QStringList({"Friend", "Coworker", "Family"}) << 1;
        QTest::newRow("move down last") << r << 2 << int(E::MoveDown) << r << 2;
        QTest::newRow("move down")
            << r << 0 << int(E::MoveDown) << QStringList({"Family", "Friend", "Coworker"}) << 1;
        // Sorting ignores letter case and keeps the selected place.
        QTest::newRow("sort") << QStringList({"b", "A", "c"}) << 2 << int(E::Sort)
                              << QStringList({"A", "b", "c"}) << 2;
    }
    void commandsEditTheLines() {
        QFETCH(QStringList, names);
        QFETCH(int, selected);
        QFETCH(int, command);
        QFETCH(QStringList, lines);
        QFETCH(int, selectedAfter);
        auto editor = openEditor(CategoryKind::Relations, names, selected);
        clickButton(editor.get(), QStringLiteral("cmdCmd(%1)").arg(command));
        QCOMPARE(editor->lines(), lines);
        QCOMPARE(selectedRow(*editor), selectedAfter);
    }

    void addEditAndKeys() {
        auto editor = openEditor(CategoryKind::VendorTypes, kVendorTypes);
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

    // OK writes the list back as one step when it changed; an unchanged OK (also after moves
    // that cancel out) and Cancel leave the plan as it was.
    void okWritesOnlyAChange_data() {
        QTest::addColumn<QStringList>("clicks"); // buttons, then cmdOK or cmdCancel
        QTest::addColumn<QStringList>("after");
        const QString down = QStringLiteral("cmdCmd(%1)").arg(int(frmEditCats::MoveDown));
        const QString up = QStringLiteral("cmdCmd(%1)").arg(int(frmEditCats::MoveUp));
        const QString del = QStringLiteral("cmdCmd(%1)").arg(int(frmEditCats::Delete));
        QTest::newRow("OK unchanged") << QStringList{"cmdOK"} << kTimeframes;
        QTest::newRow("OK, moved back") << QStringList{down, up, "cmdOK"} << kTimeframes;
        QTest::newRow("Cancel after deleting") << QStringList{del, "cmdCancel"} << kTimeframes;
        QTest::newRow("OK after deleting all") << QStringList{del, del, "cmdOK"} << QStringList();
    }
    void okWritesOnlyAChange() {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, after);
        EditorPlan plan(shortLists);
        onNextModal(QStringLiteral("frmEditCats"), [&](QDialog *dialog) {
            static_cast<frmEditCats *>(dialog)->lstCats()->setCurrentRow(0);
            for (const QString &button : clicks)
                clickButton(dialog, button);
        });
        const bool changed = editCategoryList(plan.forms(), CategoryKind::Timeframes, nullptr);
        QVERIFY(modalHandlersDone());
        const bool written = after != kTimeframes;
        QCOMPARE(changed, written);
        QCOMPARE(plan.db(DbId::TimeFrames).listValues("time"), after);
        QCOMPARE(plan.db(DbId::TimeFrames).records().count(), int(after.size()));
        QCOMPARE(plan.steps(), written ? 1 : 0);
        QCOMPARE(plan.modified(), written);
    }

    // The Options menu's editors, each titled by its list; OK refills the window's filter boxes.
    void menuCommandRefillsTheBoxes_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("relations")
            << "mnuOptionsRelations"
            << "Edit Relations" << QStringList{"cmbPartyRelation", "cmbGuests"} << kRelations;
        QTest::newRow("services") << "mnuOptionsVendors"
                                  << "Edit Services" << QStringList{"cmbVendors"} << kVendorTypes;
        QTest::newRow("timeframes") << "mnuOptionsTimeframes"
                                    << "Edit Timeframes" << QStringList{"cmbTasks"} << kTimeframes;
        // A plan without a meal list of its own offers the starter meals.
        QTest::newRow("meals") << "mnuOptionsMeals"
                               << "Edit Meals" << QStringList{"cmbGuestMeal"} << defaultMeals();
    }
    void menuCommandRefillsTheBoxes() {
        QFETCH(QString, command);
        QFETCH(QString, title);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, names);
        MainWindowFixture fixture;
        fixture.create();
        appState().plan.replace(EditorPlan::defaultSet(shortLists));
        appState().markPlanSaved(AppState::PlanKind::User);
        // Every filter box is filled from the plan and shows its first entry.
        for (const QString &name : boxes) {
            QComboBox *box = fixture.find<QComboBox>(name);
            QCOMPARE(entries(box), wrapped(names));
            box->setCurrentIndex(1);
        }
        fixture.prompter().expectInput(QStringLiteral("Add new item:"), QStringLiteral("New"),
                                       "Baker");
        QString shownTitle;
        onNextModal(QStringLiteral("frmEditCats"), [&](QDialog *dialog) {
            shownTitle = dialog->windowTitle();
            clickButton(dialog, QStringLiteral("cmdCmd(0)"));
            clickButton(dialog, QStringLiteral("cmdOK"));
        });
        fixture.find<QAction>(command)->trigger();
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(fixture.prompter());
        QCOMPARE(shownTitle, title);
        for (const QString &name : boxes) {
            QComboBox *box = fixture.find<QComboBox>(name);
            QCOMPARE(entries(box), wrapped(names + QStringList{"Baker"}));
            QCOMPARE(box->currentIndex(), 0);
        }
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);
    }
};

VOWLINE_TEST(TestCategories)
#include "tst_categories.moc"
