#pragma once

#include "store/schema.h"

#include <QDialog>
#include <optional>

class QPlainTextEdit;
class QPushButton;

// The note editor: the note chosen by appState().editorKind and selectedRecord (general,
// church or reception notes of the details record; a party member's, guest's, vendor's or
// task's note). Any edit by the user sets the changed flag, OK or not; OK writes the note.
class NoteEditor : public QDialog {
    Q_OBJECT
public:
    explicit NoteEditor(QWidget *parent = nullptr);

    // The text with every carriage return removed, as notes are stored.
    static QString StripCarriageReturns(const QString &text);

    QPlainTextEdit *txtNoteEd() const { return m_text; }
    // The text of the box as the note will be stored.
    QString noteText() const;

public slots:
    void cmdNoteOK_Click();
    void cmdNoteCancel_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Target {
        Schema::DbId db;
        FieldCode note;
        std::optional<FieldCode> name; // the name shown in the caption
        QString caption;
    };
    static std::optional<Target> targetOfKind(int kind);
    int recordNumber() const;
    void load();
    void placeControls();

    std::optional<Target> m_target;
    bool m_loaded = false; // a record was there to edit
    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
