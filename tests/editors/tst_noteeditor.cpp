#include "editorplan.h"
#include "editors/noteeditor.h"
#include "widgets/twips.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

using Schema::DbId;

namespace {

Record &details() {
    return EditorPlan::db(DbId::Plan).records().item(1);
}

// Runs the note editor on `record`, handing the dialog to `handle` once it is shown.
bool runNote(NoteKind kind, Record &record, std::function<void(QDialog *)> handle) {
    onNextModal(QStringLiteral("NoteEditor"), std::move(handle));
    return editNote(appState().plan, kind, record, nullptr) && modalHandlersDone();
}

QPlainTextEdit *textOf(QDialog *dialog) {
    return dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtNoteEd"));
}

} // namespace

class TestNoteEditor : public QObject {
    Q_OBJECT
private slots:
    // Each note goes into its own field of its own record, as one step.
    void eachNoteItsField_data() {
        QTest::addColumn<NoteKind>("kind");
        QTest::addColumn<DbId>("database");
        QTest::addColumn<QString>("field");
        QTest::newRow("general") << NoteKind::General << DbId::Plan << "note";
        QTest::newRow("guest") << NoteKind::Guest << DbId::Guest << "gnot";
        QTest::newRow("vendor") << NoteKind::Vendor << DbId::Vendors << "vnot";
        QTest::newRow("task") << NoteKind::Task << DbId::Tasks << "note";
    }
    void eachNoteItsField() {
        QFETCH(NoteKind, kind);
        QFETCH(DbId, database);
        QFETCH(QString, field);
        EditorPlan plan;
        Record &record = database == DbId::Plan ? details() : plan.add(database, {});
        QVERIFY(runNote(kind, record, [](QDialog *dialog) {
            textOf(dialog)->setPlainText(QStringLiteral("Written"));
            clickButton(dialog, QStringLiteral("cmdNoteOK"));
        }));
        QCOMPARE(record.text(FieldCode(field)), QStringLiteral("Written"));
        QCOMPARE(plan.steps(), 1);
        QVERIFY(plan.modified());
    }

    // Neither an unchanged OK (also after typing taken back) nor a Cancel after typing is a
    // change. On a details record without the church notes, opening adds the field, empty.
    void noChangeNoStep_data() {
        QTest::addColumn<bool>("lacking"); // the details record lacks cnot
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("OK unchanged") << false << "" << false;
        QTest::newRow("OK, typing taken back") << false << "x\b" << false;
        QTest::newRow("Cancel after typing") << false << "x" << true;
        QTest::newRow("no field, Cancel after typing") << true << "x" << true;
        QTest::newRow("no field, OK unchanged") << true << "" << false;
    }
    void noChangeNoStep() {
        QFETCH(bool, lacking);
        QFETCH(QString, typed);
        QFETCH(bool, cancel);
        const QString before = lacking ? QString() : QStringLiteral("Rings");
        EditorPlan plan([&](PlanSet &set) {
            PalmDatabase &db = set.db(DbId::Plan);
            if (lacking)
                db.records().item(1).fields().remove("cnot");
            else
                db.write(db.records().item(1), "cnot", before);
        });
        QCOMPARE(details().has("cnot"), !lacking);
        QString shown = QStringLiteral("?");
        const bool changed = runNote(NoteKind::Church, details(), [&](QDialog *dialog) {
            shown = textOf(dialog)->toPlainText();
            for (const QChar c : typed)
                QTest::keyClick(textOf(dialog), c == u'\b' ? Qt::Key_Backspace : Qt::Key_X);
            if (cancel)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                QTest::keyClick(textOf(dialog), Qt::Key_Return, Qt::ControlModifier);
        });
        QCOMPARE(shown, before);
        QVERIFY(details().has("cnot") && plan.db(DbId::Plan).fieldList().exists("cnot"));
        QCOMPARE(details().text("cnot"), before);
        QVERIFY(!changed);
        QCOMPARE(plan.steps(), 0);
        QVERIFY(!plan.modified());
    }

    void linesAreStoredWithLineFeeds() {
        NoteEditor editor(QStringLiteral("Note Editor"), QString());
        editor.show();
        QTest::keyClicks(editor.txtNoteEd(), QStringLiteral("First"));
        QTest::keyClick(editor.txtNoteEd(), Qt::Key_Return);
        QTest::keyClicks(editor.txtNoteEd(), QStringLiteral("Second\u00a0line"));
        QVERIFY(editor.isVisible()); // Enter starts a line, it does not close
        QApplication::clipboard()->setText(QStringLiteral("\r\nCall\r\n"));
        editor.txtNoteEd()->paste();
        // Single line feeds, and the non-breaking space kept as typed.
        const QString stored = editor.noteText();
        QCOMPARE(stored, QStringLiteral("First\nSecond\u00a0line\nCall\n"));

        NoteEditor again(QStringLiteral("Note Editor"), stored);
        QCOMPARE(again.txtNoteEd()->document()->blockCount(), 4);
        QCOMPARE(again.txtNoteEd()->document()->findBlockByNumber(1).text(),
                 QStringLiteral("Second\u00a0line"));
        QCOMPARE(NoteEditor::StripCarriageReturns(QStringLiteral("\ra\r\nb\r")),
                 QStringLiteral("a\nb"));
    }

    // Run modally: the text has the focus, the text area fills the dialog with the buttons
    // just below it at the bottom edge, and Ctrl+Return confirms.
    void runsModally() {
        EditorPlan plan;
        QVERIFY(runNote(NoteKind::Reception, details(), [](QDialog *dialog) {
            QPlainTextEdit *text = textOf(dialog);
            auto *ok = dialog->findChild<QWidget *>(QStringLiteral("cmdNoteOK"));
            dialog->resize(Twips::toPixels(8000), Twips::toPixels(6000));
            // The layout's margins only, the same on both sides; the buttons at the bottom.
            const QRect box = text->geometry();
            const int right = Twips::fromPixels(dialog->width() - box.right() - 1);
            const int below = Twips::fromPixels(dialog->height() - ok->geometry().bottom() - 1);
            QVERIFY(box.x() == dialog->width() - box.right() - 1 && right <= 200 &&
                    ok->y() > box.bottom() && below > 0 && below <= 200);
            QCOMPARE(dialog->focusWidget(), text);
            QTest::keyClicks(text, QStringLiteral("Band at 8"));
            QTest::keyClick(text, Qt::Key_Return, Qt::ControlModifier);
            QVERIFY(!dialog->isVisible());
        }));
        QCOMPARE(details().text("hnot"), QStringLiteral("Band at 8"));
    }
};

VOWLINE_TEST(TestNoteEditor)
#include "tst_noteeditor.moc"
