#pragma once

#include "store/schema.h"

#include <QDialog>
#include <optional>

class Plan;
class QPlainTextEdit;
class QPushButton;

// Which note an editor works on: the three notes of the details record, or the note of a
// party member, guest, vendor or task.
enum class NoteKind { General, Church, Reception, Party, Guest, Vendor, Task };

struct NoteTarget {
    Schema::DbId db;
    FieldCode note;
    std::optional<FieldCode> name; // the name the caption shows
    QString caption;
};
NoteTarget noteTarget(NoteKind kind);

// The note editor: one note as plain text, several lines allowed. OK hands back the text as
// notes are stored (noteText()); the dialog writes nothing itself.
class NoteEditor : public QDialog {
    Q_OBJECT
public:
    NoteEditor(const QString &caption, const QString &note, QWidget *parent = nullptr);

    // The text with every carriage return removed, as notes are stored.
    static QString StripCarriageReturns(const QString &text);

    QPlainTextEdit *txtNoteEd() const { return m_text; }
    // The text of the box as the note will be stored.
    QString noteText() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

// Opens the note editor on the note of `record` (of the kind's database). A record that lacks
// its note field gets it at once, empty. OK writes the note as one step of the history; true
// when the note changed.
bool editNote(Plan &plan, NoteKind kind, Record &record, QWidget *parent);
