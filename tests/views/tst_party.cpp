#include "app/frmmain.h"
#include "app/listgrid.h"
#include "store/appstate.h"
#include "support/guitest.h"
#include "views/partytab.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <optional>

namespace {

struct Member {
    QString name;
    std::optional<QString> relation; // none: the record lacks ptyp
};

// A main window over a fresh default plan, holding the given party members.
class PartyPlan {
public:
    explicit PartyPlan(const QList<Member> &members) {
        m_fixture.create();
        AppState &state = appState();
        refreshPlan(state.set, state.server, state.programFolder, true, m_fixture.window(),
                    m_fixture.prompter());
        PalmDatabase &db = party();
        for (const Member &m : members) {
            Record &record = db.records().add();
            db.write(record, "pnam", m.name);
            if (m.relation)
                db.write(record, "ptyp", *m.relation);
            db.write(record, "pmai", m.name.toLower() + QStringLiteral("@example.org"));
        }
        showRelation(QStringLiteral("All"));
        state.markPlanSaved(AppState::PlanKind::User);
    }

    void showRelation(const QString &relation) {
        PersonListTab::setBoxText(tab().relationBox(), relation);
        tab().UpdatePartyGrid();
    }

    ScriptedPrompter &prompter() { return m_fixture.prompter(); }
    frmMain &window() { return m_fixture.window(); }
    PartyTab &tab() { return *window().party(); }
    ListGrid &grid() { return *tab().grid(); }
    PalmDatabase &party() { return appState().set.db(Schema::DbId::Party); }
    void click(const char *button) {
        QTest::mouseClick(m_fixture.find<QPushButton>(QString::fromLatin1(button)), Qt::LeftButton);
    }
    QStringList names() {
        QStringList list;
        for (int r = 1; r < grid().rows(); ++r)
            list << grid().text(r, 1);
        return list;
    }

private:
    MainWindowFixture m_fixture;
};

const QList<Member> kMembers = {
    {"Ann", "Bridesmaid"}, {"Bob", "Groomsman"}, {"Cat", "bridesmaid"}, {"Dan", {}}};

} // namespace

class TestParty : public QObject {
    Q_OBJECT
private slots:
    void relationFilter_data() {
        QTest::addColumn<QString>("relation");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("everyone") << "All" << QStringList{"Ann", "Bob", "Cat", "Dan"};
        QTest::newRow("exact") << "Bridesmaid" << QStringList{"Ann"};
        QTest::newRow("case-sensitive") << "bridesmaid" << QStringList{"Cat"};
        QTest::newRow("missing relation reads empty") << "" << QStringList{"Dan"};
    }
    void relationFilter() {
        QFETCH(QString, relation);
        QFETCH(QStringList, names);
        PartyPlan plan(kMembers);
        plan.showRelation(relation);
        QCOMPARE(plan.grid().cols(), 8);
        QCOMPARE(plan.grid().text(0, 7), QStringLiteral("E-Mail"));
        QCOMPARE(plan.names(), names);
        for (int r = 1; r < plan.grid().rows(); ++r)
            QCOMPARE(plan.party().records().item(plan.grid().rowData(r)).text("pnam"),
                     names[r - 1]);
    }

    void addWithEverythingShown_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void addWithEverythingShown() {
        QFETCH(bool, confirm);
        PartyPlan plan(kMembers);
        int kind = -1, record = -1, row = -1;
        onNextModal("frmRecordEditor", [&](QDialog *dialog) {
            kind = appState().editorKind;
            record = appState().selectedRecord;
            row = plan.grid().row();
            appState().cancelled = !confirm;
            appState().changed = confirm;
            confirm ? dialog->accept() : dialog->reject();
        });
        plan.click("cmdPartyAdd");
        QVERIFY(modalHandlersDone());
        QCOMPARE(kind, 3);
        QCOMPARE(record, 5);
        QCOMPARE(row, 5);
        VERIFY_PROMPTS(plan.prompter());
        QVERIFY(!appState().cancelled);
        if (!confirm) {
            QCOMPARE(plan.party().records().count(), 4);
            QCOMPARE(plan.grid().rows(), 5);
            QVERIFY(!appState().changed);
            return;
        }
        const Record &added = plan.party().records().item(5);
        for (FieldCode code :
             {FieldCode("pnam"), FieldCode("ptyp"), FieldCode("padr"), FieldCode("pcit"),
              FieldCode("psta"), FieldCode("pzip"), FieldCode("ppho"), FieldCode("pmai")})
            QCOMPARE(added.value(code), FieldValue(QString()));
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);
    }

    void sortThenOpen() {
        PartyPlan plan({{"Cat", "Usher"}, {"ann", "Usher"}, {"Bob", "Usher"}});
        plan.prompter().expectMessage("Wedding Party Database has been sorted.", "Database Sort",
                                      Prompter::Icon::Information, Prompter::Buttons::Ok);
        plan.window().findChild<QAction *>("mnuOptionsSortParty")->trigger();
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(plan.names(), (QStringList{"ann", "Bob", "Cat"}));
        QVERIFY(!appState().changed);

        plan.grid().setRow(3);
        int record = -1;
        onNextModal("frmRecordEditor", [&record](QDialog *dialog) {
            record = appState().selectedRecord;
            dialog->reject();
        });
        emit plan.grid().doubleClicked(plan.grid().currentIndex());
        QVERIFY(modalHandlersDone());
        QCOMPARE(plan.party().records().item(record).text("pnam"), QStringLiteral("Cat"));
    }
};

VOWLINE_TEST(TestParty)
#include "tst_party.moc"
