#include "app/frmmain.h"
#include "plan/appstate.h"
#include "support/guitest.h"
#include "views/frmimportguests.h"
#include "views/guesttab.h"
#include "views/guesttransfer.h"
#include "widgets/listgrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <optional>

namespace {

using Icon = Prompter::Icon;
using Buttons = Prompter::Buttons;
using Answer = Prompter::Answer;

// Semicolons and Windows-1252, as a spreadsheet on Windows saves them. "Who" is no title the
// import knows, so the name column has to be chosen by hand.
const QByteArray kFile = "Who;Group;Mail;Count;Seat\r\n"
                         "ANN L\xC9"
                         "E;Groom's Family;;2;1\r\n"        // the guest Ann Lée
                         ";Neighbors;x@example.org;1;2\r\n" // no name
                         "Bob;Cousins;;1;3\r\n"             // a relation the list lacks
                         "Cy;Neighbors;;lots;4\r\n"         // an RSVP as text, kept
                         "Di;;;;5\r\n";

class ImportPlan : public TabTestWindow {
public:
    ImportPlan() {
        QSettings().remove(QStringLiteral("Import"));
        addRecord(guests(), {{"gnam", u"Ann Lée"_qs}});
        window().guests()->UpdateGuestGrid();
        planSaved();
        m_file = m_dir.path() + QStringLiteral("/guests.csv");
        writeAll(m_file, kFile);
    }

    PalmDatabase &guests() { return appState().plan.db(Schema::DbId::Guest); }
    QString file() const { return m_file; }
    QString folder() const { return m_dir.path(); }
    int gridRows() { return window().guests()->grid()->rows() - 1; }

private:
    QTemporaryDir m_dir;
    QString m_file;
};

QString summary(QDialog *d) {
    return child<QLabel>(d, "lblSummary")->text();
}

QStringList items(QDialog *d, const char *list) {
    QStringList texts;
    const QAbstractItemModel *model = child<QListView>(d, list)->model();
    for (int i = 0; i < model->rowCount(); ++i)
        texts.append(model->index(i, 0).data().toString());
    return texts;
}

// Chooses "Name" for the first column and checks what the preview then says.
void mapNameColumn(QDialog *d) {
    QCOMPARE(summary(d), QStringLiteral("Choose the column that holds the guests' names."));
    auto *who = child<QComboBox>(d, "cboField1");
    who->setCurrentIndex(who->findText(QStringLiteral("Name")));
    QCOMPARE(summary(d), QStringLiteral("3 guests will be added.  2 rows skipped.  0 of 1 likely "
                                        "duplicate added anyway."));
    QCOMPARE(items(d, "lstSkipped"), QStringList({"Row 3: no name"}));
    QCOMPARE(items(d, "lstDuplicates"),
             QStringList({"Row 2: ANN LÉE looks like the guest Ann Lée (same name)"}));
    QCOMPARE(child<QCheckBox>(d, "chkAddRelations")->text(),
             QStringLiteral("Add the new relation to the relation list:"));
    QCOMPARE(items(d, "lstNewRelations"), QStringList({"Cousins"}));
}

} // namespace

class TestImportGuests : public QObject {
    Q_OBJECT
private slots:
    // Cancel adds nothing; OK adds what the preview says and remembers the columns chosen.
    void cancelAddsNothingThenOkAddsTheRest() {
        ImportPlan plan;
        plan.prompter().expectOpenFile(QStringLiteral("Import Guests"), plan.file());
        onNextModal(QStringLiteral("frmImportGuests"), [](QDialog *d) {
            mapNameColumn(d);
            clickButton(d, QStringLiteral("cmdCancel"));
        });
        plan.trigger("mnuFileImportGuests");
        QVERIFY(modalHandlersDone());
        QCOMPARE(plan.guests().records().count(), 1);
        QVERIFY(!appState().plan.isModified());
        VERIFY_PROMPTS(plan.prompter());

        plan.prompter()
            .expectOpenFile(QStringLiteral("Import Guests"), plan.file())
            .expectMessage(QStringLiteral("3 guests were added to the guest list."),
                           QStringLiteral("Import Guests"), Icon::Information);
        onNextModal(QStringLiteral("frmImportGuests"), [](QDialog *d) {
            mapNameColumn(d); // Cancel does not remember the mapping
            clickButton(d, QStringLiteral("cmdOK"));
        });
        plan.trigger("mnuFileImportGuests");
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(plan.guests().listValues("gnam"), QStringList({"Ann Lée", "Bob", "Cy", "Di"}));
        QCOMPARE(plan.guests().records().item(2).text("gtyp"), QStringLiteral("Cousins"));
        QCOMPARE(plan.guests().records().item(3).text("rsvp"), QStringLiteral("lots"));
        QVERIFY(appState().plan.db(Schema::DbId::RelTypes).listValues("type").contains("Cousins"));
        QVERIFY(appState().plan.isModified());
        QCOMPARE(appState().statusText(), AppState::kUserDatabaseModified);
        QCOMPARE(plan.gridRows(), 4);

        // The mapping chosen with OK is remembered for the next file.
        plan.prompter().expectOpenFile(QStringLiteral("Import Guests"), plan.file());
        onNextModal(QStringLiteral("frmImportGuests"), [](QDialog *d) {
            QVERIFY(summary(d).startsWith(QStringLiteral("0 guests will be added.")));
            clickButton(d, QStringLiteral("cmdCancel"));
        });
        plan.trigger("mnuFileImportGuests");
        QVERIFY(modalHandlersDone());
        VERIFY_PROMPTS(plan.prompter());

        // A file the import cannot read is reported, and nothing is added (what it says of each
        // file is the CSV reader's business).
        writeAll(plan.file(), "Name\r\n");
        plan.prompter()
            .expectOpenFile(QStringLiteral("Import Guests"), plan.file())
            .expectMessage(QStringLiteral("The file %1 holds only a header row and no guests.  No "
                                          "guests were added.")
                               .arg(plan.file()),
                           QStringLiteral("Import Guests"), Icon::Exclamation);
        plan.trigger("mnuFileImportGuests");
        VERIFY_PROMPTS(plan.prompter());
        QCOMPARE(plan.guests().records().count(), 4);
    }

    // The preview of large files: counts in the user's digit grouping, a file that would pass
    // the record limit says nothing can be added, and the lists of a file of many rows are
    // models whose ticks count like any other.
    void previewCountsLargeFiles() {
        const UsLocale english;
        PalmDatabase guests;
        Csv::Table table;
        table.header = {QStringLiteral("Name"), QStringLiteral("E-Mail")};
        for (int i = 0; i < 1001; ++i)
            table.rows.append({QStringLiteral("Guest %1").arg(i), QString()});
        table.rows.append({QStringLiteral("guest 7"), QString()});
        {
            frmImportGuests preview(table, QStringLiteral("guests.csv"), guests, {});
            QCOMPARE(summary(&preview), QStringLiteral("1,001 guests will be added.  1 row "
                                                       "skipped.  0 of 1 likely duplicate added "
                                                       "anyway."));
        }
        for (int i = 0; i < 65000; ++i)
            guests.records().add();
        {
            frmImportGuests preview(table, QStringLiteral("guests.csv"), guests, {});
            QCOMPARE(summary(&preview),
                     QStringLiteral("Nothing can be added: 1,001 guests would be added, but the "
                                    "guest list holds at most 65,535 guests and has 65,000 "
                                    "already.  1 row skipped.  0 of 1 likely duplicate added "
                                    "anyway."));
            QVERIFY(!child<QPushButton>(&preview, "cmdOK")->isEnabled());
        }

        // One guest 300,000 times over: one to add, the rest likely duplicates.
        PalmDatabase none;
        table.rows = QList<QStringList>(300000, {QStringLiteral("Ann Lee"), QString()});
        frmImportGuests preview(table, QStringLiteral("guests.csv"), none, {});
        QAbstractItemModel *duplicates = child<QListView>(&preview, "lstDuplicates")->model();
        QCOMPARE(duplicates->rowCount(), 299999);
        QCOMPARE(
            duplicates->index(199999, 0).data().toString(),
            QStringLiteral("Row 200002: Ann Lee looks like Ann Lee in row 200001 (same name)"));
        auto *view = child<QListView>(&preview, "lstDuplicates");
        preview.show();
        view->setFocus();
        view->setCurrentIndex(duplicates->index(199999, 0));
        QTest::keyClick(view, Qt::Key_Space); // ticks it
        QCOMPARE(duplicates->index(199999, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(summary(&preview), QStringLiteral("2 guests will be added.  299,998 rows "
                                                   "skipped.  1 of 299,999 likely duplicates "
                                                   "added anyway."));
        QCOMPARE(preview.choices().addDuplicate[199999], true);
    }

    // However many new relations, and however long, the preview keeps to a window's width.
    void newRelationsScrollRatherThanWiden() {
        const UsLocale english;
        Csv::Table table;
        table.header = {QStringLiteral("Name"), QStringLiteral("Relation")};
        for (int i = 0; i < 2000; ++i) {
            table.rows.append({QStringLiteral("Guest %1").arg(i),
                               QStringLiteral("The family of the bride's %1th cousin").arg(i)});
        }
        PalmDatabase guests;
        frmImportGuests preview(table, QStringLiteral("guests.csv"), guests, {});
        preview.show();
        QVERIFY2(preview.minimumSizeHint().width() < 800,
                 qPrintable(QString::number(preview.minimumSizeHint().width())));
        QVERIFY(preview.width() < 1000);
        QCOMPARE(items(&preview, "lstNewRelations").size(), 2000);
        QCOMPARE(child<QCheckBox>(&preview, "chkAddRelations")->text(),
                 QStringLiteral("Add the 2,000 new relations to the relation list:"));
    }

    void exportKeepsTheOldFileUnlessReplaced() {
        ImportPlan plan;
        const QString title = QStringLiteral("Export Guests");
        const QString target = plan.folder() + QStringLiteral("/out.csv");
        writeAll(target, "old");
        // Every export asks what to write and where; an existing file asks to be replaced.
        auto expectExport = [&](const QString &file,
                                std::optional<Answer> replace) -> ScriptedPrompter & {
            plan.prompter()
                .expectChoice(GuestTransfer::kExportQuestion, title, GuestTransfer::exportForms(),
                              0)
                .expectSaveFile(title, file);
            if (replace)
                plan.prompter().expectMessage(
                    QStringLiteral("%1 already exists.  Do you want to replace it?").arg(file),
                    title, Icon::Exclamation, Buttons::YesNo, *replace);
            return plan.prompter();
        };
        expectExport(target, Answer::No);
        plan.trigger("mnuFileExportGuests");
        QCOMPARE(readAll(target), QByteArray("old"));

        // A folder that cannot be written to: reported, nothing claimed.
        const QString nowhere = plan.folder() + QStringLiteral("/missing/out.csv");
        expectExport(nowhere, std::nullopt)
            .expectMessage(QStringLiteral("The file %1 cannot be written").arg(nowhere), title,
                           Icon::Exclamation)
            .prefixOnly();
        plan.trigger("mnuFileExportGuests");

        expectExport(target, Answer::Yes)
            .expectMessage(QStringLiteral("1 guest was exported to %1.").arg(target), title,
                           Icon::Information);
        plan.trigger("mnuFileExportGuests");
        VERIFY_PROMPTS(plan.prompter());
        QVERIFY(readAll(target).startsWith("\xEF\xBB\xBFName,Relation,Address"));
        QVERIFY(!appState().plan.isModified());
    }
};

VOWLINE_TEST(TestImportGuests)
#include "tst_importguests.moc"
