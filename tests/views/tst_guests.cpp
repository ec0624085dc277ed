#include "app/frmmain.h"
#include "app/listgrid.h"
#include "store/appstate.h"
#include "support/guitest.h"
#include "views/guesttab.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <optional>

namespace {

using Icon = Prompter::Icon;
using Buttons = Prompter::Buttons;
using Answer = Prompter::Answer;

struct Guest {
    QString name;
    std::optional<QString> relation; // none: the record lacks gtyp
    std::optional<bool> confirmed;   // none: the record lacks gcon
    QString rsvp;
    std::optional<QString> gift;
    bool thanked = false;
};

// A main window over a fresh default plan, holding the given guests.
class GuestPlan {
public:
    explicit GuestPlan(const QList<Guest> &guests = {}) {
        m_fixture.create();
        AppState &state = appState();
        refreshPlan(state.set, state.server, state.programFolder, true, m_fixture.window(),
                    m_fixture.prompter());
        for (const Guest &g : guests)
            add(g);
        // The status box holds fixed entries, whatever else fills the boxes.
        if (status()->findText(QStringLiteral("Unconfirmed")) < 0) {
            status()->clear();
            status()->addItems({"All", "Confirmed", "Unconfirmed"});
        }
        setFilters(QStringLiteral("All"), QStringLiteral("All"));
        state.markPlanSaved(AppState::PlanKind::User);
    }

    void add(const Guest &g) {
        PalmDatabase &db = guests();
        Record &record = db.records().add();
        db.write(record, "gnam", g.name);
        if (g.relation)
            db.write(record, "gtyp", *g.relation);
        if (g.confirmed)
            db.write(record, "gcon", *g.confirmed, FieldKind::Boolean);
        db.write(record, "rsvp", g.rsvp);
        db.write(record, "gadr", g.name + QStringLiteral(" Street"));
        db.write(record, "gcos", g.name.toLower() + QStringLiteral("@example.org"));
        if (g.gift)
            db.write(record, "gift", *g.gift);
        db.write(record, "tnku", g.thanked, FieldKind::Boolean);
    }

    void setFilters(const QString &relation, const QString &statusText) {
        PersonListTab::setBoxText(tab().relationBox(), relation);
        status()->setCurrentIndex(status()->findText(statusText));
        tab().UpdateGuestGrid();
    }

    frmMain &window() { return m_fixture.window(); }
    ScriptedPrompter &prompter() { return m_fixture.prompter(); }
    GuestTab &tab() { return *window().guests(); }
    ListGrid &grid() { return *tab().grid(); }
    QComboBox *status() { return tab().statusBox(); }
    PalmDatabase &guests() { return appState().set.db(Schema::DbId::Guest); }
    Record &record(int n) { return guests().records().item(n); }
    void click(const char *button) {
        QTest::mouseClick(m_fixture.find<QPushButton>(QString::fromLatin1(button)), Qt::LeftButton);
    }

    // Column 1 of every data row.
    QStringList names() {
        QStringList list;
        for (int r = 1; r < grid().rows(); ++r)
            list << grid().text(r, 1);
        return list;
    }

private:
    MainWindowFixture m_fixture;
};

// Closes any modal dialog that opens while it lives, and remembers that one did.
class ModalTrap {
public:
    ModalTrap() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                m_opened = true;
                modal->close();
            }
        });
        m_timer.start(20);
    }
    bool opened() const { return m_opened; }

private:
    QTimer m_timer;
    bool m_opened = false;
};

// What the record editor saw when it opened.
struct EditorCall {
    int kind = -1;
    int record = -1;
    int row = -1;
    int col = -1;
};

// Answers the next record editor like its OK (confirmed) or Cancel button.
void answerEditor(GuestPlan &plan, bool confirm, EditorCall *call = nullptr) {
    onNextModal("frmRecordEditor", [&plan, confirm, call](QDialog *dialog) {
        if (call) {
            *call = {appState().editorKind, appState().selectedRecord, plan.grid().row(),
                     plan.grid().col()};
        }
        if (confirm) {
            appState().cancelled = false;
            appState().changed = true;
            dialog->accept();
        } else {
            appState().cancelled = true;
            dialog->reject();
        }
    });
}

const QList<Guest> kFiveGuests = {
    {"Ann", "Family", true, "2", {}, false},  {"Bob", "Friend", false, "3", {}, false},
    {"Cat", "family", true, "", {}, false},   {"Dan", {}, {}, "", {}, false},
    {"Eve", "Family", false, "1", {}, false},
};

} // namespace

Q_DECLARE_METATYPE(Guest)

class TestGuests : public QObject {
    Q_OBJECT
private slots:
    void filters_data() {
        QTest::addColumn<QString>("relation");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("everyone") << "All"
                                  << "All" << QStringList{"Ann", "Bob", "Cat", "Dan", "Eve"};
        QTest::newRow("relation") << "Family"
                                  << "All" << QStringList{"Ann", "Eve"};
        QTest::newRow("relation is case-sensitive") << "family"
                                                    << "All" << QStringList{"Cat"};
        QTest::newRow("relation is exact") << "Fam"
                                           << "All" << QStringList{};
        QTest::newRow("missing relation reads empty") << ""
                                                      << "All" << QStringList{"Dan"};
        QTest::newRow("confirmed") << "All"
                                   << "Confirmed" << QStringList{"Ann", "Cat"};
        // A guest without gcon is shown unconfirmed but filtered by its empty text.
        QTest::newRow("unconfirmed") << "All"
                                     << "Unconfirmed" << QStringList{"Bob", "Eve"};
        QTest::newRow("both filters") << "Family"
                                      << "Unconfirmed" << QStringList{"Eve"};
    }
    void filters() {
        QFETCH(QString, relation);
        QFETCH(QString, status);
        QFETCH(QStringList, names);
        GuestPlan plan(kFiveGuests);
        plan.setFilters(relation, status);
        QCOMPARE(plan.names(), names);
        // Each row leads to the record it shows.
        for (int r = 1; r < plan.grid().rows(); ++r)
            QCOMPARE(plan.record(plan.grid().rowData(r)).text("gnam"), names[r - 1]);
        VERIFY_PROMPTS(plan.prompter());
    }

    void rowCells() {
        GuestPlan plan(kFiveGuests);
        ListGrid &grid = plan.grid();
        QCOMPARE(grid.cols(), 10);
        const QStringList headers = {"Name", "Relation", "Status", "RSVP",  "Address",
                                     "City", "State",    "Phone",  "E-Mail"};
        for (int c = 1; c <= 9; ++c)
            QCOMPARE(grid.text(0, c), headers[c - 1]);
        const QStringList ann = {"1",          "Ann", "Family", "Confirmed", "2",
                                 "Ann Street", "",    "",       "",          "ann@example.org"};
        for (int c = 0; c <= 9; ++c)
            QCOMPARE(grid.text(1, c), ann[c]);
        QCOMPARE(grid.text(2, 3), QStringLiteral("Unconfirmed"));
        // Dan lacks gtyp and gcon.
        QCOMPARE(grid.text(4, 2), QString());
        QCOMPARE(grid.text(4, 3), QStringLiteral("Unconfirmed"));
    }

    void boxesRefreshTheList() {
        GuestPlan plan(kFiveGuests);
        QComboBox *relation = plan.tab().relationBox();
        relation->setEditText(QStringLiteral("Friend"));
        QTest::keyClick(relation->lineEdit(), Qt::Key_Return);
        QCOMPARE(plan.names(), QStringList{"Bob"});

        relation->setEditText(QStringLiteral("All"));
        QTest::keyClick(relation->lineEdit(), Qt::Key_Return);
        QCOMPARE(plan.grid().rows(), 6);
        QTest::keyClick(plan.status(), Qt::Key_Down); // "Confirmed"
        QCOMPARE(plan.names(), (QStringList{"Ann", "Cat"}));
    }

    void editEntryRunsTheRelationEditorOnce() {
        GuestPlan plan(kFiveGuests);
        plan.setFilters("Friend", "All");
        int opened = 0;
        onNextModal("frmEditCats", [&opened](QDialog *dialog) {
            ++opened;
            dialog->reject();
        });
        ModalTrap trap; // a second editor would be closed here instead of hanging
        PersonListTab::setBoxText(plan.tab().relationBox(), QStringLiteral("Edit..."));
        plan.tab().UpdateGuestGrid();
        QVERIFY(modalHandlersDone());
        QCOMPARE(opened, 1);
        QVERIFY(!trap.opened());
        // The editor puts every filter back on "All", and the list follows its box.
        QCOMPARE(plan.tab().relationBox()->currentText(), QStringLiteral("All"));
        QCOMPARE(plan.names().size(), 5);
    }

    void addPerson_data() {
        QTest::addColumn<QString>("relation");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<int>("row"); // where the new guest is listed
        QTest::newRow("relation, confirmed") << "Family"
                                             << "Confirmed" << true << 2;
        QTest::newRow("cancelled") << "Family"
                                   << "Confirmed" << false << 2;
        QTest::newRow("everything shown") << "All"
                                          << "All" << true << 6;
    }
    void addPerson() {
        QFETCH(QString, relation);
        QFETCH(QString, status);
        QFETCH(bool, confirm);
        QFETCH(int, row);
        GuestPlan plan(kFiveGuests);
        plan.setFilters(relation, status);
        EditorCall call;
        answerEditor(plan, confirm, &call);
        plan.click("cmdAddGuest");
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(call.kind, 4);
        QCOMPARE(call.record, 6);
        QCOMPARE(call.row, row);
        QCOMPARE(call.col, 1);
        QVERIFY(!appState().cancelled);
        QCOMPARE(appState().changed, confirm);
        if (!confirm) { // removed again without a question
            QCOMPARE(plan.guests().records().count(), 5);
            QCOMPARE(plan.grid().rows(), row);
            QCOMPARE(appState().statusText(), AppState::kUserDatabase);
            return;
        }
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);
        QCOMPARE(plan.grid().rowData(row), 6);
        Record &added = plan.record(6);
        QCOMPARE(added.value("gtyp"), FieldValue(relation == "All" ? QString() : relation));
        QCOMPARE(added.value("gcon"), FieldValue(status == "Confirmed"));
        QCOMPARE(added.value("tnku"), FieldValue(false));
        for (FieldCode code :
             {FieldCode("gnam"), FieldCode("gtag"), FieldCode("gadr"), FieldCode("gcit"),
              FieldCode("gsta"), FieldCode("gzip"), FieldCode("gpho"), FieldCode("gmai"),
              FieldCode("rsvp"), FieldCode("gift")})
            QCOMPARE(added.value(code), FieldValue(QString()));
    }

    // The real editor: OK writes and re-sorts by name, Cancel leaves nothing behind.
    void addThroughTheRecordEditor_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("OK") << "cmdRecordOK"
                            << QStringList{"Aaron", "Ann", "Bob", "Cat", "Dan", "Eve"};
        QTest::newRow("Cancel") << "cmdRecordCancel"
                                << QStringList{"Ann", "Bob", "Cat", "Dan", "Eve"};
    }
    void addThroughTheRecordEditor() {
        QFETCH(QString, button);
        QFETCH(QStringList, names);
        GuestPlan plan(kFiveGuests);
        onNextModal("frmRecordEditor", [button](QDialog *dialog) {
            dialog->findChild<QLineEdit *>("txtName")->setText(QStringLiteral("Aaron"));
            clickButton(dialog, button);
        });
        plan.click("cmdAddGuest");
        QVERIFY(modalHandlersDone());
        QCOMPARE(plan.names(), names);
        const bool confirmed = button == QLatin1String("cmdRecordOK");
        QCOMPARE(appState().changed, confirmed);
        QVERIFY(!appState().cancelled);
        VERIFY_PROMPTS(plan.prompter());
    }

    void deletePerson_data() {
        QTest::addColumn<QString>("relation");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("left");
        const QStringList all = {"Ann", "Bob", "Cat", "Dan", "Eve"};
        QTest::newRow("yes") << "All" << 2 << "Bob" << true
                             << QStringList{"Ann", "Cat", "Dan", "Eve"};
        QTest::newRow("no") << "All" << 2 << "Bob" << false << all;
        // The row's record, not the row's position, is removed.
        QTest::newRow("filtered") << "Family" << 2 << "Eve" << true
                                  << QStringList{"Ann", "Bob", "Cat", "Dan"};
    }
    void deletePerson() {
        QFETCH(QString, relation);
        QFETCH(int, row);
        QFETCH(QString, name);
        QFETCH(bool, yes);
        QFETCH(QStringList, left);
        GuestPlan plan(kFiveGuests);
        plan.setFilters(relation, "All");
        plan.grid().setRow(row);
        plan.prompter().expectMessage("Are you sure you want to delete " + name + "?",
                                      "Vowline Desktop", Icon::None, Buttons::YesNo,
                                      yes ? Answer::Yes : Answer::No);
        plan.click("cmdDeleteGuest");
        VERIFY_PROMPTS(plan.prompter());
        QStringList stored;
        for (int i = 1; i <= plan.guests().records().count(); ++i)
            stored << plan.record(i).text("gnam");
        QCOMPARE(stored, left);
        QCOMPARE(appState().changed, yes);
    }

    void noDataRowDoesNothing() {
        GuestPlan plan(kFiveGuests);
        plan.setFilters("Nobody", "All");
        QCOMPARE(plan.grid().rows(), 1);
        QCOMPARE(plan.grid().row(), 0);
        ModalTrap trap;
        plan.click("cmdDeleteGuest");
        emit plan.grid().rowDoubleClicked();
        QTest::keyClick(&plan.grid(), Qt::Key_Return);
        QVERIFY(!trap.opened());
        QCOMPARE(plan.guests().records().count(), 5);
        QVERIFY(!appState().changed);
        VERIFY_PROMPTS(plan.prompter());
    }

    void guestCount_data() {
        QTest::addColumn<QList<Guest>>("guests");
        QTest::addColumn<QString>("text");
        QTest::newRow("three guests")
            << QList<Guest>{{"A", "Family", true, "2", {}, false},
                            {"B", "Family", false, "3", {}, false},
                            {"C", "Family", false, "", {}, false}}
            << "Total Confirmed Guests: 2\r\rOut of a Possible 6 Invited Guests.";
        QTest::newRow("no guests") << QList<Guest>{}
                                   << "Total Confirmed Guests: 0\r\rOut of a Possible 0 "
                                      "Invited Guests.";
    }
    void guestCount() {
        QFETCH(QList<Guest>, guests);
        QFETCH(QString, text);
        GuestPlan plan(guests);
        plan.prompter().expectMessage(text, "Wedding Guest Count", Icon::None, Buttons::Ok);
        plan.click("cmdGuestCount");
        VERIFY_PROMPTS(plan.prompter());
        QVERIFY(!appState().changed);
    }

    void giftsViewWithoutGifts() {
        GuestPlan plan({{"Ann", "Family", true, "2", QString(), false},
                        {"Bob", "Friend", false, "", {}, false}});
        plan.prompter().expectMessage("There are no recorded gifts.  View all your guests and "
                                      "edit them as needed.",
                                      "Wedding Gifts", Icon::Information, Buttons::Ok);
        QAction *toggle = plan.window().toolbarButton(12);
        toggle->trigger();
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(plan.window().mainTab()->currentIndex(), int(frmMain::GuestsPage));
        QCOMPARE(plan.tab().relationBox()->currentText(), QStringLiteral("GIFTS"));
        QCOMPARE(plan.grid().rows(), 1);
        QCOMPARE(plan.grid().text(0, 3), QStringLiteral("Gift"));
        QCOMPARE(plan.grid().text(0, 4), QStringLiteral("Thank You"));

        // And back to every guest.
        toggle->trigger();
        QCOMPARE(plan.tab().relationBox()->currentText(), QStringLiteral("All"));
        QCOMPARE(plan.grid().text(0, 3), QStringLiteral("Status"));
        QCOMPARE(plan.names(), (QStringList{"Ann", "Bob"}));
    }

    void giftsViewListsGifts() {
        GuestPlan plan({{"Ann", "Family", true, "2", "Toaster", true},
                        {"Bob", "Friend", false, "", {}, false},
                        {"Cat", "Friend", false, "", "Vase", false}});
        plan.tab().ShowGiftList();
        QCOMPARE(plan.names(), (QStringList{"Ann", "Cat"}));
        QCOMPARE(plan.grid().text(1, 3), QStringLiteral("Toaster"));
        QCOMPARE(plan.grid().text(1, 4), QStringLiteral("SENT"));
        QCOMPARE(plan.grid().text(2, 4), QString());
        QCOMPARE(plan.grid().text(2, 9), QStringLiteral("cat@example.org"));
        QCOMPARE(plan.grid().rowData(2), 3);

        // Opening a gift's guest refreshes by the box's text, which reads "GIFTS".
        plan.grid().setRow(2);
        EditorCall call;
        answerEditor(plan, true, &call);
        emit plan.grid().rowDoubleClicked();
        QVERIFY(modalHandlersDone());
        QCOMPARE(call.record, 3);
        QCOMPARE(plan.grid().text(0, 3), QStringLiteral("Status"));
        QCOMPARE(plan.grid().rows(), 1);
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);
        QVERIFY(!appState().cancelled);
    }

    void currentRowStaysAfterRefresh() {
        GuestPlan plan(kFiveGuests);
        plan.grid().setRow(4);
        plan.tab().UpdateGuestGrid();
        QCOMPARE(plan.grid().row(), 4);
        plan.setFilters("Family", "All"); // two rows: row 4 is gone
        QVERIFY(plan.grid().row() < plan.grid().rows());
    }

    void sortThenOpen() {
        GuestPlan plan({{"Cat", "Family", true, "", {}, false},
                        {"ann", "Family", true, "", {}, false},
                        {"Bob", "Friend", false, "", {}, false}});
        plan.prompter().expectMessage("Wedding Guests Database has been sorted.", "Database Sort",
                                      Icon::Information, Buttons::Ok);
        plan.window().findChild<QAction *>("mnuOptionsSortGuests")->trigger();
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(plan.names(), (QStringList{"ann", "Bob", "Cat"}));
        for (int r = 1; r <= 3; ++r)
            QCOMPARE(plan.grid().rowData(r), r);
        QVERIFY(!appState().changed);
        QCOMPARE(appState().statusText(), AppState::kUserDatabase);

        plan.grid().setRow(2);
        EditorCall call;
        answerEditor(plan, false, &call);
        QTest::keyClick(&plan.grid(), Qt::Key_Return);
        QVERIFY(modalHandlersDone());
        QCOMPARE(call.kind, 4);
        QCOMPARE(plan.record(call.record).text("gnam"), QStringLiteral("Bob"));
        QVERIFY(!appState().cancelled);
        QVERIFY(!appState().changed);
    }
};

VOWLINE_TEST(TestGuests)
#include "tst_guests.moc"
