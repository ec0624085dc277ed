#include "editors/frmrecordeditor.h"
#include "store/appstate.h"
#include "support/guitest.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

using Schema::DbId;

namespace {

using Values = QList<QPair<QString, FieldValue>>;

void expectSeatQuestion(ScriptedPrompter &p, Prompter::Answer answer) {
    p.expectMessage(QStringLiteral("Adding Ann to the selected table will exceed the table's "
                                   "number of available seats.  Do you want to adjust the number "
                                   "of seats for this table and continue?"),
                    QStringLiteral("Increase Table Size?"), Prompter::Icon::Question,
                    Prompter::Buttons::YesNo, answer);
}

DbId dbOf(int kind) {
    return kind == 3 ? DbId::Party : kind == 4 ? DbId::Guest : DbId::Vendors;
}

// A fresh default plan with the scripted prompter installed.
class Plan {
public:
    Plan() {
        appState().setPrompter(&prompter);
        buildDefaultSet(appState().set, appState().server, appState().programFolder, prompter);
    }
    ~Plan() { appState().setPrompter(nullptr); }

    PalmDatabase &db(DbId id) { return appState().set.db(id); }

    // Appends a record holding exactly these fields; returns its number.
    int add(DbId id, const Values &values) {
        PalmDatabase &d = db(id);
        Record &r = d.records().add();
        for (const auto &[code, value] : values)
            d.write(r, FieldCode(code), value,
                    value.type() == FieldValue::Type::Boolean ? FieldKind::Boolean
                                                              : FieldKind::Text);
        return d.records().count();
    }
    Record &record(DbId id, int n) { return db(id).records().item(n); }

    TestProgramFolder program;
    ScriptedPrompter prompter;
};

void edit(int kind, int index) {
    appState().editorKind = kind;
    appState().selectedRecord = qint16(index);
}

template <class T> T *child(QWidget *dlg, const char *name) {
    T *w = dlg->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

QString labelText(QWidget *dlg, const char *name) {
    return child<QLabel>(dlg, name)->text().remove(u'&');
}

bool shown(QWidget *dlg, const char *name) {
    return child<QWidget>(dlg, name)->isVisibleTo(dlg);
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
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("typeLabel");
        QTest::addColumn<QString>("contactLabel"); // empty: the contact row is hidden
        QTest::addColumn<DbId>("categories");
        QTest::addColumn<QString>("list"); // code=control ...
        QTest::newRow("party") << 3 << "Relation:"
                               << "" << DbId::RelTypes
                               << "pnam=txtName ptyp=cboType padr=txtAddress pcit=txtCity "
                                  "psta=txtState pzip=txtZip ppho=txtPhone pmai=txtEmail "
                                  "pctr=txtCountry";
        QTest::newRow("guest") << 4 << "Relation:"
                               << "Table:" << DbId::RelTypes
                               << "gnam=txtName gtyp=cboType gtag=cboTable gadr=txtAddress "
                                  "gcit=txtCity gsta=txtState gzip=txtZip gpho=txtPhone "
                                  "gcos=txtEmail rsvp=cmbRSVP gift=txtGift gctr=txtCountry";
        QTest::newRow("vendor") << 5 << "Service:"
                                << "Contact:" << DbId::VenTypes
                                << "vnam=txtName vtyp=cboType vcnt=txtContact vadr=txtAddress "
                                   "vcit=txtCity vsta=txtState vzip=txtZip vpho=txtPhone "
                                   "vema=txtEmail vctr=txtCountry";
    }
    void everyFieldOfEachKind() {
        QFETCH(int, kind);
        QFETCH(QString, typeLabel);
        QFETCH(QString, contactLabel);
        QFETCH(DbId, categories);
        QFETCH(QString, list);
        Plan plan;
        {
            edit(kind, plan.add(dbOf(kind), {}));
            frmRecordEditor dlg;
            QCOMPARE(dlg.tabs()->isTabVisible(dlg.tabs()->indexOf(dlg.pricingPage())), kind == 5);
            QCOMPARE(labelText(&dlg, "lblType"), typeLabel);
            QCOMPARE(shown(&dlg, "lblContact"), !contactLabel.isEmpty());
            if (!contactLabel.isEmpty())
                QCOMPARE(labelText(&dlg, "lblContact"), contactLabel);
            QCOMPARE(shown(&dlg, "cboTable"), kind == 4);
            auto *type = child<QComboBox>(&dlg, "cboType");
            QCOMPARE(type->count(), plan.db(categories).records().count());
            QCOMPARE(type->currentText(), QString()); // a missing field shows empty, not entry 1
        }
        const QStringList fields = list.split(u' ');
        Values stored;
        for (const QString &f : fields)
            stored.append({f.left(4), QStringLiteral(" %1 ").arg(f.left(4))});
        edit(kind, plan.add(dbOf(kind), stored));
        frmRecordEditor dlg;
        for (const QString &f : fields) {
            const QByteArray control = f.mid(5).toLatin1();
            QCOMPARE(textOf(&dlg, control), QStringLiteral(" %1 ").arg(f.left(4)));
            setText(&dlg, control, QStringLiteral("new ") + control);
        }
        if (kind != 3)
            child<QCheckBox>(&dlg, "chkRecord")->setChecked(true);
        clickButton(&dlg, QStringLiteral("cmdRecordOK"));
        const Record &r = plan.record(dbOf(kind), 2);
        for (const QString &f : fields)
            QCOMPARE(r.text(f.left(4)), QStringLiteral("new ") + f.mid(5));
        if (kind != 3) {
            const FieldCode confirmed = kind == 4 ? FieldCode("gcon") : FieldCode("vcon");
            QCOMPARE(r.value(confirmed), FieldValue(true));
            QCOMPARE(plan.db(dbOf(kind)).fieldList().item(confirmed).kind(), FieldKind::Boolean);
        }
        // Dates are never added by a load or by the contact fields' save.
        QVERIFY(!r.has("dued") && !r.has("ndat"));
        QVERIFY(!appState().cancelled);
        QVERIFY(appState().changed);
        VERIFY_PROMPTS(plan.prompter);
    }

    void emptyTablesDatabase_data() {
        QTest::addColumn<QString>("tag"); // "-": the guest has no gtag at all
        QTest::newRow("seated at a deleted table") << "T9";
        QTest::newRow("never seated") << "-";
    }
    void emptyTablesDatabase() {
        QFETCH(QString, tag);
        Plan plan;
        Values guest{{QStringLiteral("gnam"), FieldValue("Ann")}};
        if (tag != QLatin1String("-"))
            guest.append({QStringLiteral("gtag"), tag});
        edit(4, plan.add(DbId::Guest, guest));
        frmRecordEditor dlg;
        const QString shownTag = tag == QLatin1String("-") ? QString() : tag;
        QVERIFY(!child<QComboBox>(&dlg, "cboTable")->isEnabled());
        QCOMPARE(textOf(&dlg, "cboTable"), shownTag);
        clickButton(&dlg, QStringLiteral("cmdRecordOK"));
        // Written back from the disabled box; an empty tag means "not seated".
        QVERIFY(plan.record(DbId::Guest, 1).has("gtag"));
        QCOMPARE(plan.record(DbId::Guest, 1).text("gtag"), shownTag);
    }

    void missingFieldsAreRepairedOnLoad() {
        Plan plan;
        // A guest written before country, gift and thank-you existed.
        edit(4, plan.add(DbId::Guest, {{"gnam", "Ann"}, {"rsvp", "2"}, {"gcon", false}}));
        frmRecordEditor dlg;
        QCOMPARE(textOf(&dlg, "txtCountry"), QString());
        QCOMPARE(textOf(&dlg, "txtGift"), QString());
        QVERIFY(!child<QCheckBox>(&dlg, "chkThankYou")->isChecked());
        const Fields &list = plan.db(DbId::Guest).fieldList();
        const Record &r = plan.record(DbId::Guest, 1);
        for (FieldCode code : {FieldCode("gctr"), FieldCode("gift"), FieldCode("tnku")})
            QVERIFY(list.exists(code) && r.has(code));
        QCOMPARE(r.fields().item("tnku").kind(), FieldKind::Boolean);

        clickButton(&dlg, QStringLiteral("cmdRecordOK"));
        QCOMPARE(r.value("gift"), FieldValue(QString()));
        QCOMPARE(r.value("tnku"), FieldValue(false));
        QCOMPARE(r.text("rsvp"), QStringLiteral("2"));
    }

    // The Confirmed box gives a guest without a count one person, on load or by a click.
    void confirmedGuestGetsOnePerson_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<bool>("click");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ticked by the user") << 4 << false << true << "1";
        QTest::newRow("unconfirmed guest") << 4 << false << false << "";
        QTest::newRow("vendor") << 5 << false << true << "";
    }
    void confirmedGuestGetsOnePerson() {
        QFETCH(int, kind);
        QFETCH(bool, confirmed);
        QFETCH(bool, click);
        QFETCH(QString, expected);
        Plan plan;
        edit(kind, plan.add(dbOf(kind), {{"rsvp", ""}, {"gcon", confirmed}}));
        frmRecordEditor dlg;
        dlg.show();
        if (click)
            QTest::mouseClick(child<QCheckBox>(&dlg, "chkRecord"), Qt::LeftButton);
        QCOMPARE(textOf(&dlg, "cmbRSVP"), expected);
        clickButton(&dlg, QStringLiteral("cmdRecordOK"));
        QCOMPARE(plan.record(dbOf(kind), 1).text("rsvp"), expected);
    }

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
        QTest::newRow("absurd avai") << "1e30" << -1 << " T1 " << 6.0 << 4.0 << "1e30";
        QTest::newRow("over-full table") << "-2.5" << yes << " T1 " << 12.0 << 7.0 << "0";
    }
    void seatCheck() {
        QFETCH(QString, avai);
        QFETCH(int, answer);
        QFETCH(QString, boxAfter);
        QFETCH(double, maxs);
        QFETCH(double, coun);
        QFETCH(QString, avaiAfter);
        Plan plan;
        plan.add(DbId::Tables, {{"ttag", "T2"}, {"maxs", "8"}, {"coun", "8"}, {"avai", "0"}});
        // The tag matches after trimming.
        plan.add(DbId::Tables, {{"ttag", " T1 "}, {"maxs", "6"}, {"coun", "4"}, {"avai", avai}});
        edit(4, plan.add(DbId::Guest, {{"gnam", "Ann"}, {"rsvp", "3"}, {"gtag", "T2"}}));
        if (answer >= 0)
            expectSeatQuestion(plan.prompter, Prompter::Answer(answer));
        frmRecordEditor dlg;
        dlg.show();
        setText(&dlg, "cmbRSVP", QStringLiteral("4"));
        pickTable(&dlg, QStringLiteral(" T1 "));
        VERIFY_PROMPTS(plan.prompter);
        QCOMPARE(textOf(&dlg, "cboTable"), boxAfter);
        const Record &t1 = plan.record(DbId::Tables, 2);
        QCOMPARE(t1.value("maxs").toNumber(), maxs);
        QCOMPARE(t1.value("coun").toNumber(), coun); // grows by the stored rsvp
        QCOMPARE(t1.text("avai"), avaiAfter);
        QCOMPARE(plan.record(DbId::Tables, 1).text("maxs"), QStringLiteral("8"));
        // The table changes at once and stays so after Cancel; the guest waits for OK.
        clickButton(&dlg, QStringLiteral("cmdRecordCancel"));
        QVERIFY(appState().cancelled);
        QVERIFY(!appState().changed);
        QCOMPARE(t1.text("avai"), avaiAfter);
        QCOMPARE(plan.record(DbId::Guest, 1).text("gtag"), QStringLiteral("T2"));
        QCOMPARE(plan.record(DbId::Guest, 1).text("rsvp"), QStringLiteral("3"));
    }

    void everyWayOutButOkWritesNothing_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("frame close") << 2;
    }
    void everyWayOutButOkWritesNothing() {
        QFETCH(int, how);
        Plan plan;
        edit(3, plan.add(DbId::Party, {{"pnam", "Ann"}}));
        appState().cancelled = false;
        frmRecordEditor dlg;
        QVERIFY(appState().cancelled);
        dlg.show();
        setText(&dlg, "txtName", QStringLiteral("Changed"));
        if (how == 0)
            clickButton(&dlg, QStringLiteral("cmdRecordCancel"));
        else if (how == 1)
            QTest::keyClick(child<QLineEdit>(&dlg, "txtName"), Qt::Key_Escape);
        else
            dlg.close();
        QVERIFY(!dlg.isVisible());
        QVERIFY(appState().cancelled);
        QVERIFY(!appState().changed);
        QCOMPARE(plan.record(DbId::Party, 1).text("pnam"), QStringLiteral("Ann"));
    }

    // A header row or a stale index names no record: nothing is read, written or added.
    void noRecordToEdit_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("index");
        QTest::newRow("index 0") << 4 << 0;
        QTest::newRow("past the end") << 4 << 2;
        QTest::newRow("negative") << 3 << -1;
        QTest::newRow("not a record kind") << 6 << 1;
    }
    void noRecordToEdit() {
        QFETCH(int, kind);
        QFETCH(int, index);
        Plan plan;
        plan.add(DbId::Guest, {{"gnam", "Ann"}});
        plan.add(DbId::Party, {{"pnam", "Ann"}});
        plan.add(DbId::Tables, {{"ttag", "T1"}, {"avai", "0"}});
        edit(kind, index);
        frmRecordEditor dlg;
        QVERIFY(!dlg.hasRecord());
        QCOMPARE(textOf(&dlg, "txtName"), QString());
        QVERIFY(!child<QWidget>(&dlg, "cmdRecordNote")->isEnabled());
        dlg.show();
        if (kind == 4) {
            setText(&dlg, "cmbRSVP", QStringLiteral("5"));
            pickTable(&dlg, QStringLiteral("T1")); // no stored guest: no question
        }
        setText(&dlg, "txtName", QStringLiteral("Zed"));
        clickButton(&dlg, QStringLiteral("cmdRecordOK"));
        QVERIFY(!appState().cancelled);
        QCOMPARE(plan.record(DbId::Guest, 1).fields().count(), 1);
        QCOMPARE(plan.record(DbId::Party, 1).fields().count(), 1);
        QCOMPARE(plan.record(DbId::Tables, 1).text("avai"), QStringLiteral("0"));
        VERIFY_PROMPTS(plan.prompter);
    }

    void notesButton() {
        Plan plan;
        edit(4, plan.add(DbId::Guest, {{"gnam", "Ann"}}));
        frmRecordEditor dlg;
        dlg.show();
        bool opened = false;
        onNextModal(QStringLiteral("NoteEditor"), [&](QDialog *notes) {
            opened = true;
            QCOMPARE(notes->parentWidget(), static_cast<QWidget *>(&dlg));
            notes->reject();
        });
        clickButton(&dlg, QStringLiteral("cmdRecordNote"));
        QVERIFY(opened);
        VERIFY_PROMPTS(plan.prompter);
        QVERIFY(dlg.isVisible());
        QVERIFY(appState().cancelled);
    }
};

VOWLINE_TEST(TestRecordEditor)
#include "tst_recordeditor.moc"
