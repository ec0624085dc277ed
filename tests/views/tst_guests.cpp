#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"
#include "views/guesttab.h"
#include "views/partytab.h"
#include "views/taskstab.h"
#include "views/vendorstab.h"
#include "widgets/listgrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <functional>
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
    bool declined = false; // beside gcon false
};

// A main window over a fresh default plan: the given people are both its guests and its
// wedding party, every filter shows "All", and the plan is not modified.
class GuestPlan : public TabTestWindow {
public:
    explicit GuestPlan(const QList<Guest> &guests) {
        PalmDatabase &party = TabTestWindow::db(Schema::DbId::Party);
        for (const Guest &g : guests) {
            Record &record = db().records().add();
            db().write(record, "gnam", g.name);
            if (g.relation)
                db().write(record, "gtyp", *g.relation);
            if (g.confirmed)
                db().write(record, "gcon", *g.confirmed, FieldKind::Boolean);
            db().write(record, "rsvp", g.rsvp);
            db().write(record, "gadr", g.name + QStringLiteral(" Street"));
            db().write(record, "gcos", g.name.toLower() + QStringLiteral("@example.org"));
            if (g.gift)
                db().write(record, "gift", *g.gift);
            db().write(record, "tnku", g.thanked, FieldKind::Boolean);
            if (g.declined)
                db().write(record, "gdec", true, FieldKind::Boolean);
            Record &member = party.records().add();
            party.write(member, "pnam", g.name);
            if (g.relation)
                party.write(member, "ptyp", *g.relation);
        }
        setFilters(QStringLiteral("All"), QStringLiteral("All"));
        showParty(QStringLiteral("All"));
        planSaved();
    }

    void setFilters(const QString &relation, const QString &statusText) {
        PersonListTab::setBoxText(tab().relationBox(), relation);
        status()->setCurrentIndex(status()->findText(statusText));
        tab().UpdateGuestGrid();
    }
    void showParty(const QString &relation) {
        PersonListTab::setBoxText(window().party()->relationBox(), relation);
        window().party()->UpdatePartyGrid();
    }

    GuestTab &tab() { return *window().guests(); }
    ListGrid &grid() { return *tab().grid(); }
    ListGrid &partyGrid() { return *window().party()->grid(); }
    QComboBox *status() { return tab().statusBox(); }
    PalmDatabase &db() { return TabTestWindow::db(Schema::DbId::Guest); }
    Record &record(int n) { return db().records().item(n); }
    QStringList names() { return column(grid(), 1); }
    static QStringList names(ListGrid &grid) { return column(grid, 1); }
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

const QList<Guest> kFiveGuests = {
    {"Ann", "Family", true, "2", {}, false},        {"Bob", "Friend", false, "3", {}, false},
    {"Cat", "family", true, "", {}, false},         {"Dan", {}, {}, "", {}, false},
    {"Eve", "Family", false, "1", {}, false, true},
};

} // namespace

class TestGuests : public QObject {
    Q_OBJECT
private slots:
    // The filters are exact and case-sensitive, on the guest list and on the party list.
    void filters_data() {
        QTest::addColumn<bool>("party");
        QTest::addColumn<QString>("relation");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("names");
        const struct {
            const char *name;
            bool party;
            const char *relation;
            const char *status;
            QStringList names;
        } rows[] = {
            {"everyone", false, "All", "All", {"Ann", "Bob", "Cat", "Dan", "Eve"}},
            {"relation", false, "Family", "All", {"Ann", "Eve"}},
            {"relation is case-sensitive", false, "family", "All", {"Cat"}},
            {"relation is exact", false, "Fam", "All", {}},
            {"missing relation reads empty", false, "", "All", {"Dan"}},
            {"confirmed", false, "All", "Confirmed", {"Ann", "Cat"}},
            // A guest without gcon is awaiting a reply, and listed with them.
            {"awaiting", false, "All", "Awaiting reply", {"Bob", "Dan"}},
            {"declined", false, "All", "Declined", {"Eve"}},
            {"both filters", false, "Family", "Declined", {"Eve"}},
            {"party: relation", true, "Family", "", {"Ann", "Eve"}},
            {"party: missing relation reads empty", true, "", "", {"Dan"}},
        };
        for (const auto &row : rows)
            QTest::newRow(row.name) << row.party << row.relation << row.status << row.names;
    }
    void filters() {
        QFETCH(bool, party);
        QFETCH(QString, relation);
        QFETCH(QString, status);
        QFETCH(QStringList, names);
        GuestPlan plan(kFiveGuests);
        if (party)
            plan.showParty(relation);
        else
            plan.setFilters(relation, status);
        ListGrid &grid = party ? plan.partyGrid() : plan.grid();
        const PalmDatabase &db =
            TabTestWindow::db(party ? Schema::DbId::Party : Schema::DbId::Guest);
        QCOMPARE(GuestPlan::names(grid), names);
        if (!party && names.size() == 5) {
            // Each column shows its field; Dan lacks gtyp and gcon.
            const QStringList ann = {"1",          "Ann", "Family", "Confirmed", "2",
                                     "Ann Street", "",    "",       "",          "ann@example.org"};
            // The further columns (table, notes...) are there, hidden until asked for.
            QCOMPARE(grid.cols(), ann.size() + 6);
            QVERIFY(grid.isColumnHidden(10) && !grid.isColumnHidden(9));
            for (int c = 0; c < ann.size(); ++c)
                QCOMPARE(grid.text(1, c), ann[c]);
            QCOMPARE(grid.text(4, 2), QString());
            QCOMPARE(grid.text(4, 3), QStringLiteral("Awaiting reply"));
            QCOMPARE(grid.text(5, 3), QStringLiteral("Declined"));
        }
        const FieldCode nameCode = party ? FieldCode("pnam") : FieldCode("gnam");
        // Each row leads to the record it shows.
        for (int r = 1; r < grid.rows(); ++r)
            QCOMPARE(db.records().item(grid.rowData(r)).text(nameCode), names[r - 1]);
        VERIFY_PROMPTS(plan.prompter());
    }

    // "Edit..." in a filter box runs its list's editor once, then the filter is back on "All"
    // and the list shows everything again.
    void editEntryRunsTheListEditorOnce() {
        GuestPlan plan(kFiveGuests);
        frmMain &w = plan.window();
        plan.setFilters("Friend", "All");
        const struct {
            QComboBox *box;
            const char *title;
            std::function<void()> update;
            ListGrid *grid;
            Schema::DbId db;
        } boxes[] = {
            {plan.tab().relationBox(), "Edit Relations", [&] { plan.tab().UpdateGuestGrid(); },
             &plan.grid(), Schema::DbId::Guest},
            {w.tasks()->timeframeBox(), "Edit Timeframes", [&] { w.tasks()->UpdateTasks(); },
             w.tasks()->grid(), Schema::DbId::Tasks},
            {w.vendors()->typeBox(), "Edit Services", [&] { w.vendors()->UpdateVendorsGrid(); },
             w.vendors()->grid(), Schema::DbId::Vendors},
        };
        for (const auto &b : boxes) {
            int opened = 0;
            QString kind;
            onNextModal("frmEditCats", [&](QDialog *dialog) {
                ++opened;
                kind = dialog->windowTitle();
                dialog->reject();
            });
            ModalTrap trap; // a second editor would be closed here instead of hanging
            PersonListTab::setBoxText(b.box, QStringLiteral("Edit..."));
            b.update();
            QVERIFY(modalHandlersDone());
            QCOMPARE(opened, 1);
            QVERIFY(!trap.opened());
            QCOMPARE(kind, QString::fromLatin1(b.title));
            QCOMPARE(b.box->currentText(), QStringLiteral("All"));
            QCOMPARE(b.grid->rows(), TabTestWindow::db(b.db).records().count() + 1);
        }
    }

    // "Add Person" opens the real editor on a new guest made from the filters. OK adds it, sorted
    // by name and selected; Cancel adds nothing at all.
    void addPerson_data() {
        QTest::addColumn<QString>("relation");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("cancelled") << "Family"
                                   << "Confirmed"
                                   << "cmdRecordCancel" << QStringList{"Ann"};
        QTest::newRow("everything shown")
            << "All"
            << "All"
            << "cmdRecordOK" << QStringList{"Aaron", "Ann", "Bob", "Cat", "Dan", "Eve"};
        QTest::newRow("filtered") << "Family"
                                  << "Confirmed"
                                  << "cmdRecordOK" << QStringList{"Aaron", "Ann"};
    }
    void addPerson() {
        QFETCH(QString, relation);
        QFETCH(QString, status);
        QFETCH(QString, button);
        QFETCH(QStringList, names);
        GuestPlan plan(kFiveGuests);
        plan.setFilters(relation, status);
        QString caption, type;
        bool checked = false;
        onNextModal("frmRecordEditor", [&](QDialog *dialog) {
            type = dialog->findChild<QComboBox *>("cboType")->currentText();
            checked = dialog->findChild<QCheckBox *>("chkRecord")->isChecked();
            dialog->findChild<QLineEdit *>("txtName")->setText(QStringLiteral("Aaron"));
            caption = dialog->windowTitle();
            clickButton(dialog, button);
        });
        plan.click("cmdAddGuest");
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(caption, QStringLiteral("Record Details - Aaron"));
        QCOMPARE(type, relation == "All" ? QString() : relation);
        QCOMPARE(checked, status == "Confirmed");
        QCOMPARE(plan.names(), names);
        const bool kept = button == QLatin1String("cmdRecordOK");
        QCOMPARE(appState().plan.isModified(), kept);
        QCOMPARE(plan.db().records().count(), kept ? 6 : 5);
        QCOMPARE(appState().statusText(),
                 kept ? AppState::kUserDatabaseModified : AppState::kUserDatabase);
        if (kept) {
            const Record &added = plan.record(1); // sorted first
            QCOMPARE(added.text("gnam"), QStringLiteral("Aaron"));
            QCOMPARE(added.value("gtyp"), FieldValue(relation == "All" ? QString() : relation));
            QCOMPARE(added.value("gcon"), FieldValue(status == "Confirmed"));
            QCOMPARE(added.value("tnku"), FieldValue(false));
            // The new guest is the selected row, wherever the sort put it.
            QCOMPARE(plan.grid().currentRecord(), &added);
        }
    }

    void deletePerson_data() {
        QTest::addColumn<QString>("relation");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("yes") << "All"
                             << "Bob" << true << QStringList{"Ann", "Cat", "Dan", "Eve"};
        QTest::newRow("no") << "All"
                            << "Bob" << false << QStringList{"Ann", "Bob", "Cat", "Dan", "Eve"};
        // The row's record, not the row's position, is removed.
        QTest::newRow("filtered") << "Family"
                                  << "Eve" << true << QStringList{"Ann", "Bob", "Cat", "Dan"};
    }
    void deletePerson() {
        QFETCH(QString, relation);
        QFETCH(QString, name);
        QFETCH(bool, yes);
        QFETCH(QStringList, left);
        GuestPlan plan(kFiveGuests);
        plan.setFilters(relation, "All");
        plan.grid().setRow(2);
        plan.prompter().expectMessage("Are you sure you want to delete " + name + "?",
                                      "Vowline Desktop", Icon::None, Buttons::YesNo,
                                      yes ? Answer::Yes : Answer::No);
        plan.click("cmdDeleteGuest");
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(plan.db().listValues("gnam"), left);
        QCOMPARE(appState().plan.isModified(), yes);
    }

    void noDataRowDoesNothing() {
        GuestPlan plan(kFiveGuests);
        plan.setFilters("Nobody", "All");
        QCOMPARE(plan.grid().row(), 0);
        ModalTrap trap;
        plan.click("cmdDeleteGuest");
        emit plan.grid().rowDoubleClicked();
        QTest::keyClick(&plan.grid(), Qt::Key_Return);
        QVERIFY(!trap.opened());
        QCOMPARE(plan.db().records().count(), 5);
        QVERIFY(!appState().plan.isModified());
        VERIFY_PROMPTS(plan.prompter());
    }

    void guestCountThenNoGifts() {
        GuestPlan plan({{"A", "Family", true, "2", QString(), false}, // an empty gift is none
                        {"B", "Family", false, "3", {}, false},
                        {"C", "Family", false, "", {}, false}});
        plan.prompter().expectMessage(
            "Total Confirmed Guests: 2\r\rOut of a Possible 6 Invited Guests.",
            "Wedding Guest Count", Icon::None, Buttons::Ok);
        plan.click("cmdGuestCount");
        VERIFY_PROMPTS(plan.prompter());
        QVERIFY(!appState().plan.isModified());

        // None of them has a gift: the gifts view says so and shows no rows.
        plan.prompter().expectMessage("There are no recorded gifts.  View all your guests and "
                                      "edit them as needed.",
                                      "Wedding Gifts", Icon::Information, Buttons::Ok);
        plan.window().toolbarButton(12)->trigger();
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(plan.grid().rows(), 1);
        QCOMPARE(plan.grid().text(0, 3), QStringLiteral("Gift"));
    }

    void giftsView() {
        GuestPlan plan({{"Ann", "Family", true, "2", "Toaster", true},
                        {"Bob", "Friend", false, "", {}, false},
                        {"Cat", "Friend", false, "", "Vase", false}});
        QAction *toggle = plan.window().toolbarButton(12);
        toggle->trigger();
        QCOMPARE(plan.window().mainTab()->currentIndex(), int(frmMain::GuestsPage));
        QCOMPARE(plan.tab().relationBox()->currentText(), QStringLiteral("GIFTS"));
        QCOMPARE(plan.names(), (QStringList{"Ann", "Cat"}));
        QCOMPARE(plan.grid().text(1, 3), QStringLiteral("Toaster"));
        QCOMPARE(plan.grid().text(1, 4), QStringLiteral("SENT"));
        QCOMPARE(plan.grid().text(2, 4), QString());
        QCOMPARE(plan.grid().text(2, 9), QStringLiteral("cat@example.org"));

        // Opening a gift's guest and changing it comes back to the gifts view.
        plan.grid().setRow(2);
        QString opened;
        onNextModal("frmRecordEditor", [&opened](QDialog *dialog) {
            opened = dialog->findChild<QLineEdit *>("txtName")->text();
            dialog->findChild<QLineEdit *>("txtCity")->setText(QStringLiteral("Rome"));
            clickButton(dialog, QStringLiteral("cmdRecordOK"));
        });
        emit plan.grid().rowDoubleClicked();
        QVERIFY(modalHandlersDone());
        QCOMPARE(opened, QStringLiteral("Cat"));
        QCOMPARE(plan.grid().text(0, 3), QStringLiteral("Gift"));
        QCOMPARE(plan.names(), (QStringList{"Ann", "Cat"}));
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);

        // "Add Person" there makes a guest without a relation, not one of "GIFTS".
        onNextModal("frmRecordEditor", [](QDialog *dialog) {
            dialog->findChild<QLineEdit *>("txtName")->setText(QStringLiteral("Dee"));
            clickButton(dialog, QStringLiteral("cmdRecordOK"));
        });
        plan.click("cmdAddGuest");
        QVERIFY(modalHandlersDone());
        QCOMPARE(plan.db().listValues("gtyp").count(QStringLiteral("GIFTS")), 0);
        QCOMPARE(plan.grid().text(0, 3), QStringLiteral("Gift"));

        // Choosing a relation in the box leaves the view, and the toolbar follows.
        PersonListTab::setBoxText(plan.tab().relationBox(), QStringLiteral("Friend"));
        plan.tab().UpdateGuestGrid();
        QCOMPARE(plan.names(), (QStringList{"Bob", "Cat"}));
        QCOMPARE(toggle->property("key").toString(), QStringLiteral("Gift"));
        toggle->trigger();
        QCOMPARE(toggle->property("key").toString(), QStringLiteral("Guest"));

        // And back to every guest.
        toggle->trigger();
        QCOMPARE(plan.tab().relationBox()->currentText(), QStringLiteral("All"));
        QCOMPARE(plan.names(), (QStringList{"Ann", "Bob", "Cat", "Dee"}));
    }

    // After sorting, a double-click opens the member shown on that row.
    void partySortThenOpen() {
        GuestPlan plan({{"Cat", "Usher", {}, "", {}, false},
                        {"ann", "Usher", {}, "", {}, false},
                        {"Bob", "Usher", {}, "", {}, false}});
        plan.prompter().expectMessage("Wedding Party Database has been sorted.", "Database Sort",
                                      Icon::Information, Buttons::Ok);
        plan.window().findChild<QAction *>("mnuOptionsSortParty")->trigger();
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(GuestPlan::names(plan.partyGrid()), (QStringList{"ann", "Bob", "Cat"}));
        QVERIFY(!appState().plan.isModified());

        plan.partyGrid().setRow(3);
        QString opened;
        onNextModal("frmRecordEditor", [&opened](QDialog *dialog) {
            opened = dialog->findChild<QLineEdit *>("txtName")->text();
            dialog->reject();
        });
        emit plan.partyGrid().doubleClicked(plan.partyGrid().currentIndex());
        QVERIFY(modalHandlersDone());
        QCOMPARE(opened, QStringLiteral("Cat"));
    }
};

VOWLINE_TEST(TestGuests)
#include "tst_guests.moc"
