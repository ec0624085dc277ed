#include "editors/noteeditor.h"
#include "store/appstate.h"
#include "support/guitest.h"
#include "widgets/twips.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

namespace {

PalmDatabase &db(Schema::DbId id) {
    return appState().set.db(id);
}

// A details record without note fields, the guests Bob and Ann, and one task.
void openPlan() {
    for (int i = 0; i < Schema::kDatabaseCount; ++i)
        appState().set.setDatabase(Schema::DbId(i), std::make_unique<PalmDatabase>());
    Schema::defineDetailsRecord(db(Schema::DbId::Plan));
    db(Schema::DbId::Plan).records().item(1).fields().remove("note");
    PalmDatabase &guests = db(Schema::DbId::Guest);
    guests.write(guests.records().add(), "gnam", QStringLiteral("Bob"));
    guests.write(guests.records().add(), "gnam", QStringLiteral("Ann"));
    db(Schema::DbId::Tasks)
        .write(db(Schema::DbId::Tasks).records().add(), "evnt", QStringLiteral("Book the band"));
}

std::unique_ptr<NoteEditor> openNote(int kind, qint16 record) {
    appState().editorKind = kind;
    appState().selectedRecord = record;
    auto editor = std::make_unique<NoteEditor>();
    editor->show();
    return editor;
}

} // namespace

class TestNoteEditor : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgramFolder> m_program;

private slots:
    void init() {
        m_program = std::make_unique<TestProgramFolder>();
        openPlan();
    }
    void cleanup() { m_program.reset(); }

    void captionsAndFields_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("record");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("database");
        QTest::addColumn<QString>("field");
        const int plan = int(Schema::DbId::Plan);
        QTest::newRow("general") << 0 << 1 << "General Wedding Notes" << plan << "note";
        QTest::newRow("reception") << 2 << 1 << "Reception Notes Editor" << plan << "hnot";
        QTest::newRow("guest Ann")
            << 4 << 2 << "Note Editor - Ann" << int(Schema::DbId::Guest) << "gnot";
        QTest::newRow("task") << 6 << 1 << "Note Editor" << int(Schema::DbId::Tasks) << "note";
    }
    void captionsAndFields() {
        QFETCH(int, kind);
        QFETCH(int, record);
        QFETCH(QString, caption);
        QFETCH(int, database);
        QFETCH(QString, field);
        auto editor = openNote(kind, qint16(record));
        QCOMPARE(editor->windowTitle(), caption);
        editor->txtNoteEd()->setPlainText(QStringLiteral("Written"));
        clickButton(editor.get(), QStringLiteral("cmdNoteOK"));
        QCOMPARE(editor->result(), int(QDialog::Accepted));
        QCOMPARE(db(Schema::DbId(database)).records().item(record).text(FieldCode(field)),
                 QStringLiteral("Written"));
    }

    // Church notes on a details record without the field: opening adds it empty (no change);
    // an edit marks the plan changed even when the editor is then cancelled, writing nothing.
    void churchNotesWithoutTheField() {
        auto editor = openNote(1, 1);
        QCOMPARE(editor->windowTitle(), QStringLiteral("Church Notes Editor"));
        QCOMPARE(editor->txtNoteEd()->toPlainText(), QString());
        const Record &details = db(Schema::DbId::Plan).records().item(1);
        QVERIFY(details.has("cnot") && db(Schema::DbId::Plan).fieldList().exists("cnot"));
        QVERIFY(!appState().changed);
        QTest::keyClick(editor->txtNoteEd(), Qt::Key_X);
        QVERIFY(appState().changed);
        QTest::keyClick(editor.get(), Qt::Key_Escape);
        QCOMPARE(editor->result(), int(QDialog::Rejected));
        QCOMPARE(details.text("cnot"), QString());
    }

    void linesAreStoredWithLineFeeds() {
        auto editor = openNote(4, 1);
        QTest::keyClicks(editor->txtNoteEd(), QStringLiteral("First"));
        QTest::keyClick(editor->txtNoteEd(), Qt::Key_Return);
        QTest::keyClicks(editor->txtNoteEd(), QStringLiteral("Second\u00a0line"));
        QVERIFY(editor->isVisible()); // Enter starts a line, it does not close
        QApplication::clipboard()->setText(QStringLiteral("\r\nCall\r\n"));
        editor->txtNoteEd()->paste();
        editor->cmdNoteOK_Click();
        // Single line feeds, and the non-breaking space kept as typed.
        const QString stored = db(Schema::DbId::Guest).records().item(1).text("gnot");
        QCOMPARE(stored, QStringLiteral("First\nSecond\u00a0line\nCall\n"));

        auto again = openNote(4, 1);
        QCOMPARE(again->txtNoteEd()->document()->blockCount(), 4);
        QCOMPARE(again->txtNoteEd()->document()->findBlockByNumber(1).text(),
                 QStringLiteral("Second\u00a0line"));
        QCOMPARE(NoteEditor::StripCarriageReturns(QStringLiteral("\ra\r\nb\r")),
                 QStringLiteral("a\nb"));
    }

    void missingRecordsOpenEmptyAndWriteNothing_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("database");
        QTest::newRow("no such guest") << 4 << 9 << int(Schema::DbId::Guest);
        QTest::newRow("no record chosen") << 5 << 0 << int(Schema::DbId::Vendors);
        QTest::newRow("unknown kind") << 7 << 1 << int(Schema::DbId::Guest);
        QTest::newRow("no details record") << 0 << 1 << int(Schema::DbId::Plan);
        QTest::newRow("no plan open") << 1 << 1 << -1;
    }
    void missingRecordsOpenEmptyAndWriteNothing() {
        QFETCH(int, kind);
        QFETCH(int, record);
        QFETCH(int, database);
        if (database == int(Schema::DbId::Plan))
            db(Schema::DbId::Plan).records().removeAll();
        if (database < 0)
            appState().set.release();
        const int before = database < 0 ? 0 : db(Schema::DbId(database)).records().count();
        auto editor = openNote(kind, qint16(record));
        QCOMPARE(editor->txtNoteEd()->toPlainText(), QString());
        editor->txtNoteEd()->setPlainText(QStringLiteral("Lost"));
        editor->cmdNoteOK_Click();
        if (database >= 0)
            QCOMPARE(db(Schema::DbId(database)).records().count(), before);
    }

    // Run modally: the text has the focus, the text area fills the dialog with the buttons
    // just below it at the bottom edge, and Ctrl+Return confirms.
    void runsModally() {
        appState().editorKind = 2;
        onNextModal(QStringLiteral("NoteEditor"), [](QDialog *dialog) {
            auto *text = dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtNoteEd"));
            auto *ok = dialog->findChild<QWidget *>(QStringLiteral("cmdNoteOK"));
            dialog->resize(Twips::toPixels(8000), Twips::toPixels(6000));
            const int below = Twips::fromPixels(dialog->height() - ok->geometry().bottom() - 1);
            const bool follows = qAbs(text->width() - Twips::toPixels(8000 - 135)) <= 2 &&
                                 ok->y() > text->geometry().bottom() && below > 0 && below <= 200;
            QVERIFY(follows || (dialog->reject(), false));
            QVERIFY(dialog->focusWidget() == text || (dialog->reject(), false));
            QTest::keyClicks(text, QStringLiteral("Band at 8"));
            QTest::keyClick(text, Qt::Key_Return, Qt::ControlModifier);
            QVERIFY(!dialog->isVisible() || (dialog->reject(), false));
        });
        NoteEditor editor;
        QCOMPARE(editor.exec(), int(QDialog::Accepted));
        QCOMPARE(db(Schema::DbId::Plan).records().item(1).text("hnot"),
                 QStringLiteral("Band at 8"));
    }
};

VOWLINE_TEST(TestNoteEditor)
#include "tst_noteeditor.moc"
