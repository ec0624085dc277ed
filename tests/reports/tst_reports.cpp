#include "browser.h"
#include "plan/appstate.h"
#include "plan/printmod.h"
#include "reports/reports.h"
#include "support/scriptedprompter.h"
#include "support/testenv.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>

using Schema::DbId;

namespace {

const QDateTime kWedding(QDate(2027, 6, 12), QTime(0, 0));
// A time never chosen for a due date (a new vendor's is "now"): the reports leave it out.
const QDateTime kNextDue(QDate(2027, 3, 1), QTime(14, 30, 15));
const QString kOwner = QStringLiteral("Zoë & <b>Ann</b>");
// The golden files are written in US English on a fixed day.
const Reports::Context kContext{QLocale(QLocale::English, QLocale::UnitedStates),
                                QDate(2027, 1, 15)};

// Appends a record of the fields `spec` lists as "code=text|code=text"; "code=?" stands for a
// Boolean true, "code=?f" for false.
Record &add(PlanSet &set, DbId id, const QString &spec) {
    PalmDatabase &db = set.db(id);
    Record &r = db.records().add();
    for (const QString &field : spec.split(u'|')) {
        const QString text = field.mid(5);
        if (text.startsWith(u'?'))
            db.write(r, FieldCode(field.left(4)), text == u"?", FieldKind::Boolean);
        else
            db.write(r, FieldCode(field.left(4)), text, FieldKind::Text);
    }
    return r;
}

// A plan that meets every blank-cell and status rule of the six reports, with markup and
// accented names in its values.
void buildPlan(PlanSet &set) {
    for (const auto &info : Schema::kDatabases)
        set.setDatabase(info.id, std::make_unique<PalmDatabase>());
    Record &details =
        add(set, DbId::Plan,
            u"ownr="_qs + kOwner +
                u"|note=Dinner at \"Chez Zoë\"\r\nthen dancing|bnam=Zoë|gnam=Tom & "
                u"Jerry|city=|stat=CA|chrc=St. <Mary>|ccon=?|prst=Fr. Brown|hall=The "
                u"Hall|hcon=False|star=4:00:00 PM|stop=11:59:00 PM|hnot=Band > DJ"_qs);
    set.db(DbId::Plan).write(details, "date", kWedding, FieldKind::Date);
    add(set, DbId::Party,
        u"pnam=<b>Ann</b>|ptyp=Bridesmaid|padr=1 Elm St|pcit=Springfield|psta=IL|"
        u"pzip=62701|ppho=555-0101|pmai=ann@example.com|pnot=Zoë's sister"_qs);
    add(set, DbId::Party, u"pnam=Zoë Ångström"_qs);
    add(set, DbId::Party, u"pnam=|ptyp=|padr=|pzip=12345"_qs);
    add(set, DbId::Guest,
        u"gnam=<b>Ann</b>|gtyp=Friend|gadr=2 Oak Ave|gcit=Zürich|gsta=ZH|gzip=8001|"
        u"gpho=555-0102|gcon=?|rsvp=2|gnot=Tom & Jerry\nat the <band> table"_qs);
    add(set, DbId::Guest, u"gnam=Zoë|rsvp="_qs);
    add(set, DbId::Guest, u"gnam=Carl|gcon=?f|gsta=NY"_qs);
    // Declined: left out of the list, and counted under it.
    add(set, DbId::Guest, u"gnam=Dora|gcon=?f|gdec=?|gmea=Fish"_qs);
    PalmDatabase &vendors = set.db(DbId::Vendors);
    Record &florist =
        add(set, DbId::Vendors,
            u"vnam=Flowers & Co|vtyp=Florist|vcnt=Zoë|vadr=3 Rose Rd|vcit=Springfield|"
            u"vsta=IL|vzip=62702|vpho=555-0103|vcon=?|vcos=18750|npay=1500.5|"
            u"vbal=300|vnot=<i>roses</i>"_qs);
    vendors.write(florist, "ndat", kNextDue, FieldKind::Date);
    vendors.write(florist, "dued", kWedding, FieldKind::Date);
    add(set, DbId::Vendors, u"vnam=Band|vcon=?|npay=|vsta=|vbal=900"_qs);
    add(set, DbId::Vendors, u"vnam=Caterer|vcon=?f|npay=50"_qs);
    // Due before the florist on both counts: the payments come in date order.
    Record &dj = add(set, DbId::Vendors, u"vnam=DJ|vcon=True|npay=0|vbal=1000.25|vcit=Köln"_qs);
    vendors.write(dj, "ndat", QDateTime(QDate(2027, 2, 1), QTime(0, 0)), FieldKind::Date);
    vendors.write(dj, "dued", QDateTime(QDate(2027, 5, 1), QTime(9, 0)), FieldKind::Date);
    add(set, DbId::Vendors, u"vnam=Limo|npay=10"_qs);
    add(set, DbId::Vendors, u"vnam=Photographer|vcon=?|vcos=1500.5|vzip=02134"_qs);
    // The budget: a total, and a service over its own.
    set.db(DbId::Plan).write(details, "bdgt", QStringLiteral("25000"));
    add(set, DbId::VenTypes, u"type=Florist|bdgt=15000.5"_qs);
    add(set, DbId::VenTypes, u"type=Band"_qs);
    add(set, DbId::VenTypes, u"type=<DJ & co>|bdgt=2000"_qs);
    add(set, DbId::Tasks, u"time=6 Months|evnt=Book <the> band|done=?|note=Zoë calls"_qs);
    add(set, DbId::Tasks, u"time=1 Month|evnt=Send invitations"_qs);
    add(set, DbId::Tasks, u"evnt=|done="_qs);
}

QString goldenPath(const QString &fileName) {
    return QStringLiteral(VOWLINE_TEST_DATA "/reports/") + fileName;
}

const int kKinds[] = {0, 3, 4, 5, 6, 7, 9};

} // namespace

class TestReports : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_program = std::make_unique<TestProgramFolder>(false);
        buildPlan(appState().plan.set());
    }
    void cleanup() {
        appState().setViewer({});
        appState().setPrompter(nullptr);
        m_program.reset();
    }

    void goldenReports_data() {
        QTest::addColumn<int>("kind");
        for (int kind : kKinds)
            QTest::newRow(qPrintable(Reports::info(kind)->fileName)) << kind;
    }
    void goldenReports() {
        QFETCH(int, kind);
        const Reports::Info *info = Reports::info(kind);
        const QString html = QString::fromUtf8(
            Reports::reportText(kind, appState().plan.set(), info->titlePrefix + kOwner, kContext));
        const QString golden = goldenPath(info->fileName);
        if (qEnvironmentVariableIsSet("VOWLINE_UPDATE_GOLDEN"))
            writeAll(golden, html.toUtf8());
        const QString expected = QString::fromUtf8(readAll(golden));
        QVERIFY2(!expected.isEmpty(), qPrintable(golden));
        QCOMPARE(html.split(u'\n'), expected.split(u'\n'));
    }

    // The folder follows the open set; a report replaces the earlier one of its kind.
    void writtenWhereThePlanIs() {
        QCOMPARE(Reports::reportFolder(u"/plan"_qs, m_program->path()), u"/plan"_qs);
        QCOMPARE(Reports::reportFolder({}, m_program->path()), m_program->path());
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QCOMPARE(Reports::reportFolder({}, m_program->path() + u"/gone"_qs), data);
        QVERIFY(QFileInfo(data).isDir());

        QStringList shown;
        appState().setViewer([&](const QString &path) { shown << path; });
        // No report of that kind.
        QVERIFY(PrintMod::PrintReport(appState(), Reports::Kind(1), kOwner).isEmpty());
        const QString path = m_program->path() + u"/Guest_List.htm"_qs;
        writeAll(path, "an earlier report, longer than nothing at all");
        QCOMPARE(PrintMod::PrintReport(appState(), Reports::Kind(4), kOwner), path);
        QCOMPARE(shown, QStringList{path});
        QVERIFY(readAll(path).startsWith(
            "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>Guest"));
    }

    // A report that cannot be written says so, with the system's reason, and shows nothing.
    void failureIsReportedAndNothingShown() {
        ScriptedPrompter prompter;
        appState().setPrompter(&prompter);
        bool shown = false;
        appState().setViewer([&](const QString &) { shown = true; });
        QDir(m_program->path()).mkdir(u"Details.htm"_qs); // a folder where the file should be
        prompter
            .expectMessage(u"There was an error completing the Wedding Details Report.\r"_qs,
                           u"Report Error"_qs, Prompter::Icon::Exclamation)
            .prefixOnly();
        QVERIFY(PrintMod::PrintReport(appState(), Reports::Kind(0), kOwner).isEmpty());
        appState().currentSetFolder = m_program->path() + u"/missing"_qs;
        prompter
            .expectMessage(
                u"There was an error completing the Upcoming Payments Report.\rThe file "_qs +
                    QDir::toNativeSeparators(appState().currentSetFolder),
                u"Report Error"_qs, Prompter::Icon::Exclamation)
            .prefixOnly();
        QVERIFY(PrintMod::PrintReport(appState(), Reports::Kind(7), kOwner).isEmpty());
        QVERIFY(!shown);
        VERIFY_PROMPTS(prompter);
    }

    // A real browser shows the markup in values as text and decodes the accented names.
    void chromiumShowsValuesAsText() {
        const QString chromium = chromiumPath();
        if (chromium.isEmpty())
            QSKIP("chromium is not installed (apt-get install chromium)");
        QTemporaryDir out;
        for (int kind : kKinds) {
            const Reports::Info *info = Reports::info(kind);
            const QString path = out.filePath(info->fileName);
            Reports::writeReportFile(
                path, Reports::reportText(kind, appState().plan.set(), info->titlePrefix + kOwner));
            const std::optional<QByteArray> output =
                runChromium(chromium, path, {QStringLiteral("--dump-dom")});
            QVERIFY2(output, qPrintable(info->fileName));
            const QString dom = QString::fromUtf8(*output);
            // Serialized DOM: text "<b>Ann</b>" comes back as entities, never as an element.
            const QString heading = QStringLiteral("<h1>") + info->titlePrefix +
                                    QStringLiteral("Zoë &amp; &lt;b&gt;Ann&lt;/b&gt;</h1>");
            QVERIFY2(dom.contains(heading), qPrintable(info->fileName + u'\n' + dom.left(600)));
            QVERIFY2(!dom.contains(QStringLiteral("<b>Ann</b>")), qPrintable(info->fileName));
            if (kind == 3 || kind == 4)
                QVERIFY(
                    dom.contains(QStringLiteral("<td width=\"14%\">&lt;b&gt;Ann&lt;/b&gt;</td>")));
        }
    }

private:
    std::unique_ptr<TestProgramFolder> m_program;
};

VOWLINE_TEST(TestReports)
#include "tst_reports.moc"
