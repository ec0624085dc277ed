#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"
#include "views/guesttab.h"
#include "views/partytab.h"
#include "views/paymentstab.h"
#include "views/taskstab.h"
#include "views/vendorstab.h"
#include "widgets/listgrid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using Schema::DbId;

namespace {

using Icon = Prompter::Icon;
using Buttons = Prompter::Buttons;
using Answer = Prompter::Answer;

// A main window over a fresh default plan: the given people (name, relation or "-" for none,
// reply: C confirmed, U not, D declined, "-" no gcon; RSVP) are both its guests and its wedding
// party, every filter shows "All", and the plan is not modified.
class GuestPlan : public TabTestWindow {
public:
    explicit GuestPlan(const QList<QStringList> &guests) {
        for (const QStringList &g : guests) {
            Record &r = addRecord(db(), {{"gnam", g[0]},
                                         {"rsvp", g[3]},
                                         {"gadr", g[0] + " Street"},
                                         {"gcos", g[0].toLower() + "@example.org"},
                                         {"tnku", false}});
            Record &member = addRecord(TabTestWindow::db(DbId::Party), {{"pnam", g[0]}});
            if (g[1] != u"-") {
                db().write(r, "gtyp", g[1]);
                TabTestWindow::db(DbId::Party).write(member, "ptyp", g[1]);
            }
            if (g[2] != u"-")
                db().write(r, "gcon", g[2] == u"C", FieldKind::Boolean);
            if (g[2] == u"D")
                db().write(r, "gdec", true, FieldKind::Boolean);
        }
        tab().UpdateGuestGrid();
        window().party()->UpdatePartyGrid();
        planSaved();
    }
    ListGrid &guests() { return grid("GuestGrid"); }
    GuestTab &tab() { return *window().guests(); }
    PalmDatabase &db() { return TabTestWindow::db(DbId::Guest); }
    QStringList names(const char *list = "GuestGrid") { return column(grid(list), 1); }
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

const QList<QStringList> kFiveGuests = {{"Ann", "Family", "C", "2"},
                                        {"Bob", "Friend", "U", "3"},
                                        {"Cat", "family", "C", ""},
                                        {"Dan", "-", "-", ""},
                                        {"Eve", "Family", "D", "1"}};

// The lists with an Add and a Delete command, each found by the names of its controls.
struct List {
    TabHost::Tab page;
    const char *grid, *add, *remove, *editor, *nameBox, *ok, *cancel;
    DbId db;
    FieldCode name;
};
const List kLists[] = {
    {TabHost::PartyPage, "PartyGrid", "cmdPartyAdd", "cmdPartyDelete", "frmRecordEditor", "txtName",
     "cmdRecordOK", "cmdRecordCancel", DbId::Party, "pnam"},
    {TabHost::GuestsPage, "GuestGrid", "cmdAddGuest", "cmdDeleteGuest", "frmRecordEditor",
     "txtName", "cmdRecordOK", "cmdRecordCancel", DbId::Guest, "gnam"},
    {TabHost::VendorsPage, "VendorGrid", "cmdAddVendor", "cmdDeleteVendor", "frmRecordEditor",
     "txtName", "cmdRecordOK", "cmdRecordCancel", DbId::Vendors, "vnam"},
    {TabHost::TasksPage, "TaskGrid", "cmdAddTask", "cmdDeleteTask", "frmTaskEditor",
     "txtEventDetails", "cmdTaskOK", "cmdTaskCancel", DbId::Tasks, "evnt"},
    {TabHost::SeatingPage, "TableGrid", "cmdAddTable", "cmdDeleteTable", "frmTable", "txtTableID",
     "cmdOK", "cmdCancel", DbId::Tables, "ttag"},
};
enum { Party, Guests, Vendors, Tasks, Tables };
const QDate kWedding(2027, 6, 12);

// Every list filled: the five guests (and party), four vendors (Cat's confirmation stored as
// text, as a handheld may store it; Ann and Cat with payments due), four full tables, the
// default tasks and a wedding day. `filters` ("objectName=text") are set as the user sets them.
class ListsPlan : public GuestPlan {
public:
    explicit ListsPlan(const QStringList &filters)
        : GuestPlan(kFiveGuests) {
        PalmDatabase &details = TabTestWindow::db(DbId::Plan);
        details.write(details.records().item(1), "date", kWedding.startOfDay(), FieldKind::Date);
        const QDateTime soon = QDate::currentDate().addDays(1).startOfDay();
        PalmDatabase &vendors = TabTestWindow::db(DbId::Vendors);
        addRecord(vendors, {{"vnam", "Ann"}, {"vtyp", "Florist"}, {"vcon", true}, {"npay", "20"}});
        addRecord(vendors, {{"vnam", "Bob"}, {"vtyp", "Caterer"}, {"vcon", false}});
        addRecord(vendors, {{"vnam", "Cat"}, {"vtyp", "florist"}, {"vcon", "TRUE"}, {"npay", "5"}});
        addRecord(vendors, {{"vnam", "Dan"}});
        for (int n : {1, 3})
            vendors.write(vendors.records().item(n), "ndat", soon, FieldKind::Date);
        for (int t = 0; t < 4; ++t)
            addRecord(TabTestWindow::db(DbId::Tables),
                      {{"ttag", QStringLiteral("T%1").arg(t)}, {"maxs", "8"}, {"avai", "0"}});
        set(filters);
        for (const List &list : kLists)
            grid(list.grid).listModel()->refresh();
        window().payments()->UpdatePayments();
        planSaved();
    }
};

} // namespace

class TestGuests : public QObject {
    Q_OBJECT
private slots:
    // The filters are exact and case-sensitive, on the guest list and on the party list.
    void filters_data() {
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<QStringList>("names");
        const struct {
            const char *name;
            QStringList filters, names;
        } rows[] = {
            {"everyone", {}, {"Ann", "Bob", "Cat", "Dan", "Eve"}},
            {"relation is exact and case-sensitive", {"cmbGuests=family"}, {"Cat"}},
            {"missing relation reads empty", {"cmbGuests="}, {"Dan"}},
            // A guest without gcon is awaiting a reply, and listed with them.
            {"awaiting", {"cmbGuestStatus=Awaiting reply"}, {"Bob", "Dan"}},
            {"both filters", {"cmbGuests=Family", "cmbGuestStatus=Declined"}, {"Eve"}},
            {"party", {"cmbPartyRelation=Family"}, {"Ann", "Eve"}},
        };
        for (const auto &row : rows)
            QTest::newRow(row.name) << row.filters << row.names;
    }
    void filters() {
        QFETCH(QStringList, filters);
        QFETCH(QStringList, names);
        GuestPlan plan(kFiveGuests);
        plan.set(filters);
        const bool party = QTest::currentDataTag() == QLatin1String("party");
        ListGrid &grid = plan.grid(party ? "PartyGrid" : "GuestGrid");
        QCOMPARE(TabTestWindow::column(grid, 1), names);
        if (names.size() == 5) {
            // Each column shows its field; Dan lacks gtyp and gcon. The further columns (table,
            // notes...) are there, hidden until asked for.
            const QStringList ann = {"1",          "Ann", "Family", "Confirmed", "2",
                                     "Ann Street", "",    "",       "",          "ann@example.org"};
            QCOMPARE(grid.cols(), ann.size() + 6);
            QVERIFY(grid.isColumnHidden(10) && !grid.isColumnHidden(9));
            for (int c = 0; c < ann.size(); ++c)
                QCOMPARE(grid.text(1, c), ann[c]);
            QCOMPARE(grid.text(4, 3), QStringLiteral("Awaiting reply"));
            QCOMPARE(grid.text(5, 3), QStringLiteral("Declined"));
        }
        // Each row leads to the record it shows.
        const PalmDatabase &db = TabTestWindow::db(party ? DbId::Party : DbId::Guest);
        const FieldCode name = party ? FieldCode("pnam") : FieldCode("gnam");
        for (int r = 1; r < grid.rows(); ++r)
            QCOMPARE(db.records().item(grid.rowData(r)).text(name), names[r - 1]);
        VERIFY_PROMPTS(plan.prompter());
    }

    // "Edit..." in a filter box runs its list's editor once, then the filter is back on "All"
    // and the list shows everything again.
    void editEntryRunsTheListEditorOnce() {
        GuestPlan plan(kFiveGuests);
        plan.set({"cmbGuests=Friend"});
        const struct {
            const char *box, *title, *grid;
            DbId db;
        } boxes[] = {{"cmbGuests", "Edit Relations", "GuestGrid", DbId::Guest},
                     {"cmbTasks", "Edit Timeframes", "TaskGrid", DbId::Tasks},
                     {"cmbVendors", "Edit Services", "VendorGrid", DbId::Vendors}};
        for (const auto &b : boxes) {
            int opened = 0;
            QString kind;
            onNextModal("frmEditCats", [&](QDialog *dialog) {
                ++opened;
                kind = dialog->windowTitle();
                dialog->reject();
            });
            ModalTrap trap; // a second editor would be closed here instead of hanging
            plan.set({QString::fromLatin1(b.box) + u"=Edit..."_qs});
            QVERIFY(modalHandlersDone());
            QCOMPARE(opened, 1);
            QVERIFY(!trap.opened());
            QCOMPARE(kind, QString::fromLatin1(b.title));
            QCOMPARE(child<QComboBox>(&plan.window(), b.box)->currentText(), "All");
            QCOMPARE(plan.grid(b.grid).rows(), TabTestWindow::db(b.db).records().count() + 1);
        }
    }

    // Add on each list opens its editor on a record made apart, from the filters: the list shows
    // no new row meanwhile. OK adds it as one step, sorted and selected; Cancel and Escape leave
    // the plan untouched. Opened again and confirmed unchanged, the record makes no step.
    void addOnEachList_data() {
        QTest::addColumn<int>("list");
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<QString>("close"); // OK, Cancel or Escape
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("row"); // where the new record is listed; 0: anywhere
        const QStringList guests = {"cmbGuests=Family", "cmbGuestStatus=Confirmed"};
        const QStringList vendors = {"cmbVendors=Florist", "cmbVendorStatus=Confirmed"};
        const QStringList frame = {"cmbTasks=9-12 Months Before"};
        QTest::newRow("party member under All")
            << int(Party) << QStringList() << "OK" << QStringList{"ptyp="} << 1;
        QTest::newRow("guest") << int(Guests) << guests << "OK"
                               << QStringList{"gtyp=Family", "gcon=True", "tnku=False"} << 1;
        QTest::newRow("guest, cancelled")
            << int(Guests) << guests << "Cancel" << QStringList{} << 0;
        QTest::newRow("vendor") << int(Vendors) << vendors << "OK"
                                << QStringList{"vtyp=Florist", "vcon=True", "paid=False", "vbal=0"}
                                << 1;
        // A task is placed by its timeframe's position.
        QTest::newRow("task") << int(Tasks) << frame << "OK"
                              << QStringList{"time=9-12 Months Before", "ordr=2"} << 0;
        QTest::newRow("task, escaped") << int(Tasks) << frame << "Escape" << QStringList{} << 0;
        // The table takes the seats per table; the number of tables grows to the tables listed.
        QTest::newRow("table") << int(Tables) << QStringList{"txtNoTables=4", "txtPeoplePer=6"}
                               << "OK" << QStringList{"maxs=6", "avai=6", "coun=0"} << 5;
    }
    void addOnEachList() {
        QFETCH(int, list);
        QFETCH(QStringList, filters);
        QFETCH(QString, close);
        QFETCH(QStringList, fields);
        QFETCH(int, row);
        const List &l = kLists[list];
        ListsPlan plan(filters);
        plan.window().showTab(l.page);
        ListGrid &grid = plan.grid(l.grid);
        PalmDatabase &db = TabTestWindow::db(l.db);
        const int rows = grid.rows(), records = db.records().count();
        int rowsWhileOpen = -1, recordsWhileOpen = -1;
        onNextModal(l.editor, [&](QDialog *dialog) {
            rowsWhileOpen = grid.rows();
            recordsWhileOpen = db.records().count();
            QTest::keyClicks(child<QLineEdit>(dialog, l.nameBox), QStringLiteral("Aaron"));
            if (close == u"Escape")
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                clickButton(dialog, close == u"OK" ? l.ok : l.cancel);
        });
        plan.click(l.add);
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(rowsWhileOpen, rows);
        QCOMPARE(recordsWhileOpen, records);
        const bool kept = close == u"OK";
        QCOMPARE(db.records().count(), records + (kept ? 1 : 0));
        QCOMPARE(grid.rows(), rows + (kept ? 1 : 0));
        QCOMPARE(appState().plan.history().count(), kept ? 1 : 0);
        QCOMPARE(appState().statusText(),
                 kept ? AppState::kUserDatabaseModified : AppState::kUserDatabase);
        if (!kept)
            return;
        const Record *added = grid.currentRecord();
        QVERIFY(added);
        QCOMPARE(added->text(l.name), QStringLiteral("Aaron"));
        if (row)
            QCOMPARE(grid.row(), row);
        for (const QString &field : fields)
            QCOMPARE(field.section(u'=', 0, 0) + u'=' + added->text(FieldCode(field.left(4))),
                     field);
        plan.open(grid, grid.row(), l.editor, [&](QDialog *d) { clickButton(d, l.ok); });
        QCOMPARE(appState().plan.history().count(), 1);
        QCOMPARE(grid.currentRecord(), added);
        if (list == Vendors) { // the final payment due on the wedding day, the next one today
            QCOMPARE(added->value("dued").toDateTime().date(), kWedding);
            QCOMPARE(added->value("ndat").toDateTime().date(), QDate::currentDate());
        } else if (list == Tables) {
            QCOMPARE(plan.window().findChild<QLineEdit *>("txtNoTables")->text(), "5");
            QVERIFY(plan.grid("SeatingGrid").isEnabled());
            // The details record keeps the setup boxes.
            QCOMPARE(TabTestWindow::db(DbId::Plan).records().item(1).text("ptab"), "6");
        }
    }

    // Delete on each list asks, naming the row; Yes removes the row's record (not the one at
    // the row's place in the whole list), No nothing. The Delete key asks as the button does.
    // (What else a deleted table takes along is the seating rules' test.)
    void deleteOnEachList_data() {
        QTest::addColumn<int>("list");
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("key");
        QTest::addColumn<bool>("yes");
        QTest::newRow("guest, filtered")
            << int(Guests) << QStringList{"cmbGuests=Family"} << 2 << "Eve" << false << true;
        QTest::newRow("guest, no") << int(Guests) << QStringList() << 2 << "Bob" << false << false;
        QTest::newRow("party member") << int(Party) << QStringList() << 3 << "Cat" << false << true;
        QTest::newRow("vendor, by the key")
            << int(Vendors) << QStringList{"cmbVendorStatus=Confirmed"} << 2 << "Cat" << true
            << true;
        // A task has no name: the question names its row.
        QTest::newRow("task") << int(Tasks) << QStringList{"cmbTasks=9-12 Months Before"} << 2
                              << "TASK 2" << false << true;
        QTest::newRow("table") << int(Tables) << QStringList() << 2 << "table T1" << false << true;
    }
    void deleteOnEachList() {
        QFETCH(int, list);
        QFETCH(QStringList, filters);
        QFETCH(int, row);
        QFETCH(QString, what);
        QFETCH(bool, key);
        QFETCH(bool, yes);
        const List &l = kLists[list];
        ListsPlan plan(filters);
        plan.window().showTab(l.page);
        ListGrid &grid = plan.grid(l.grid);
        PalmDatabase &db = TabTestWindow::db(l.db);
        const int records = db.records().count();
        grid.setRow(row);
        const QString name = grid.currentRecord()->text(l.name);
        plan.prompter().expectMessage("Are you sure you want to delete " + what + "?",
                                      "Vowline Desktop", Icon::None, Buttons::YesNo,
                                      yes ? Answer::Yes : Answer::No);
        if (key)
            QTest::keyClick(&grid, Qt::Key_Delete);
        else
            plan.click(l.remove);
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(db.records().count(), records - (yes ? 1 : 0));
        QCOMPARE(db.listValues(l.name).contains(name), !yes);
        QCOMPARE(appState().plan.isModified(), yes);
        // The payments follow the vendors' new numbers.
        ListGrid &payments = plan.grid("PaymentGrid");
        for (int r = 1; r < payments.rows(); ++r)
            QCOMPARE(
                TabTestWindow::db(DbId::Vendors).records().item(payments.rowData(r)).text("vnam"),
                payments.text(r, 1));
        if (list == Vendors)
            QCOMPARE(TabTestWindow::column(payments, 1), QStringList{"Ann"});
    }

    // No data row: Delete and opening do nothing.
    void noDataRowDoesNothing() {
        GuestPlan plan(kFiveGuests);
        plan.set({"cmbGuests=Nobody"});
        QCOMPARE(plan.guests().row(), 0);
        ModalTrap trap;
        plan.click("cmdDeleteGuest");
        emit plan.guests().rowDoubleClicked();
        QTest::keyClick(&plan.guests(), Qt::Key_Return);
        QVERIFY(!trap.opened());
        QCOMPARE(plan.db().records().count(), 5);
        QVERIFY(!appState().plan.isModified());
        VERIFY_PROMPTS(plan.prompter());
    }

    // The toolbar's gifts view: the guests with a gift, or a word that there are none.
    void giftsView() {
        GuestPlan plan(
            {{"Ann", "Family", "C", "2"}, {"Bob", "Friend", "U", ""}, {"Cat", "Friend", "U", ""}});
        QAction *toggle = plan.window().toolbarButton(12);
        plan.prompter().expectMessage("There are no recorded gifts.  View all your guests and "
                                      "edit them as needed.",
                                      "Wedding Gifts", Icon::Information, Buttons::Ok);
        toggle->trigger();
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(plan.guests().rows(), 1);
        QCOMPARE(plan.guests().text(0, 3), QStringLiteral("Gift"));
        toggle->trigger();
        plan.db().write(plan.db().records().item(1), "gift", QStringLiteral("Toaster"));
        plan.db().write(plan.db().records().item(1), "tnku", true, FieldKind::Boolean);
        plan.db().write(plan.db().records().item(3), "gift", QStringLiteral("Vase"));
        toggle->trigger();
        QCOMPARE(plan.window().mainTab()->currentIndex(), int(frmMain::GuestsPage));
        QCOMPARE(plan.tab().relationBox()->currentText(), QStringLiteral("GIFTS"));
        QCOMPARE(plan.names(), (QStringList{"Ann", "Cat"}));
        QCOMPARE((QStringList{plan.guests().text(1, 3), plan.guests().text(1, 4),
                              plan.guests().text(2, 4), plan.guests().text(2, 9)}),
                 (QStringList{"Toaster", "SENT", "", "cat@example.org"}));

        // Opening a gift's guest and changing it comes back to the gifts view.
        QString opened;
        plan.open(plan.guests(), 2, "frmRecordEditor", [&opened](QDialog *dialog) {
            opened = child<QLineEdit>(dialog, "txtName")->text();
            child<QLineEdit>(dialog, "txtCity")->setText(QStringLiteral("Rome"));
            clickButton(dialog, QStringLiteral("cmdRecordOK"));
        });
        QCOMPARE(opened, QStringLiteral("Cat"));
        QCOMPARE(plan.guests().text(0, 3), QStringLiteral("Gift"));
        QCOMPARE(plan.names(), (QStringList{"Ann", "Cat"}));

        // "Add Person" there makes a guest without a relation, not one of "GIFTS".
        onNextModal("frmRecordEditor", [](QDialog *dialog) {
            child<QLineEdit>(dialog, "txtName")->setText(QStringLiteral("Dee"));
            clickButton(dialog, QStringLiteral("cmdRecordOK"));
        });
        plan.click("cmdAddGuest");
        QVERIFY(modalHandlersDone());
        QCOMPARE(plan.db().listValues("gtyp").count(QStringLiteral("GIFTS")), 0);
        QCOMPARE(plan.guests().text(0, 3), QStringLiteral("Gift"));

        // Choosing a relation in the box leaves the view, and the toolbar follows.
        plan.set({"cmbGuests=Friend"});
        QCOMPARE(plan.names(), (QStringList{"Bob", "Cat"}));
        QCOMPARE(toggle->property("key").toString(), QStringLiteral("Gift"));
        toggle->trigger();
        QCOMPARE(toggle->property("key").toString(), QStringLiteral("Guest"));
        // And back to every guest.
        toggle->trigger();
        QCOMPARE(plan.tab().relationBox()->currentText(), QStringLiteral("All"));
        QCOMPARE(plan.names(), (QStringList{"Ann", "Bob", "Cat", "Dee"}));
    }

    // The Options menu's sorts: by name, letter case aside; a step of the history but no edit
    // of the plan. The lists follow the new record numbers: a row opens the record it shows.
    void sortCommands_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QString>("opened"); // from this grid's first row
        const char *rows[][4] = {{"party", "mnuOptionsSortParty", "Party", "PartyGrid"},
                                 {"guests", "mnuOptionsSortGuests", "Guests", "GuestGrid"},
                                 {"vendors", "mnuOptionsSortVendors", "Vendors", "VendorGrid"}};
        for (const auto &r : rows)
            QTest::newRow(r[0]) << r[1] << u"Wedding %1 Database has been sorted."_qs.arg(r[2])
                                << r[3]
                                << (r[3] == QByteArray("VendorGrid") ? "PaymentGrid" : r[3]);
    }
    void sortCommands() {
        QFETCH(QString, action);
        QFETCH(QString, message);
        QFETCH(QString, grid);
        QFETCH(QString, opened);
        GuestPlan plan({{"Cat", "-", "-", ""}, {"ann", "-", "-", ""}, {"Bob", "-", "-", ""}});
        PalmDatabase &vendors = TabTestWindow::db(DbId::Vendors);
        for (const char *name : {"Cat", "ann", "Bob"})
            addRecord(vendors, {{"vnam", QString::fromLatin1(name)}, {"vcon", true}});
        // Only Cat has a payment due: the payment list's one row.
        vendors.write(vendors.records().item(1), "npay", QStringLiteral("10"));
        vendors.write(vendors.records().item(1), "ndat",
                      QDate::currentDate().addDays(1).startOfDay(), FieldKind::Date);
        plan.window().payments()->UpdatePayments();
        plan.prompter().expectMessage(message, "Database Sort", Icon::Information);
        plan.trigger(action.toLatin1().constData());
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(plan.names(grid.toLatin1().constData()), (QStringList{"ann", "Bob", "Cat"}));
        QCOMPARE(appState().plan.history().count(), 1);
        QVERIFY(!appState().plan.isModified());
        ListGrid &openFrom = plan.grid(opened.toLatin1().constData());
        QString name;
        plan.open(openFrom, openFrom.rows() - 1, "frmRecordEditor", [&name](QDialog *dialog) {
            name = child<QLineEdit>(dialog, "txtName")->text();
            dialog->reject();
        });
        QCOMPARE(name, QStringLiteral("Cat"));
    }
};

VOWLINE_TEST(TestGuests)
#include "tst_guests.moc"
