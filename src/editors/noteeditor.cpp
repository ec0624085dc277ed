#include "noteeditor.h"

#include "store/appstate.h"
#include "widgets/twips.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

namespace {

const QString kDesignCaption = QStringLiteral("Note Editor");

// Sizes in twips.
constexpr int kInitialWidth = 6000;
constexpr int kInitialHeight = 4500;
constexpr int kMinimumWidth = 3600;
constexpr int kMinimumHeight = 2800;
constexpr int kMargin = 60;
constexpr int kButtonWidth = 975;
constexpr int kButtonHeight = 375;

} // namespace

NoteEditor::NoteEditor(QWidget *parent)
    : QDialog(parent)
    , m_target(targetOfKind(appState().editorKind)) {
    setObjectName(QStringLiteral("NoteEditor"));
    setWindowTitle(kDesignCaption);
    setModal(true);
    setSizeGripEnabled(true);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtNoteEd"));
    // Tab leaves the box, so the buttons stay within reach of the keyboard.
    m_text->setTabChangesFocus(true);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdNoteOK"));
    m_ok->setAutoDefault(false);
    m_ok->setToolTip(QStringLiteral("OK (%1)").arg(
        QKeySequence(Qt::CTRL | Qt::Key_Return).toString(QKeySequence::NativeText)));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdNoteCancel"));
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &NoteEditor::cmdNoteOK_Click);
    connect(m_cancel, &QPushButton::clicked, this, &NoteEditor::cmdNoteCancel_Click);
    // Enter starts a new line in the note; Ctrl+Enter confirms.
    m_text->installEventFilter(this);

    load();
    // Connected after loading: only the user's edits mark the plan changed.
    connect(m_text, &QPlainTextEdit::textChanged, this, [] { appState().changed = true; });

    setMinimumSize(Twips::toPixels(kMinimumWidth), Twips::toPixels(kMinimumHeight));
    resize(Twips::toPixels(kInitialWidth), Twips::toPixels(kInitialHeight));
    placeControls();
    m_text->setFocus();
}

QString NoteEditor::StripCarriageReturns(const QString &text) {
    QString stripped = text;
    stripped.remove(QChar(13));
    return stripped;
}

QString NoteEditor::noteText() const {
    // The raw text keeps every character as typed (the plain-text form would turn
    // non-breaking spaces into spaces); only its line breaks need turning into line feeds.
    QString text = m_text->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return StripCarriageReturns(text);
}

std::optional<NoteEditor::Target> NoteEditor::targetOfKind(int kind) {
    using Schema::DbId;
    switch (kind) {
    case 0:
        return Target{DbId::Plan, "note", std::nullopt, QStringLiteral("General Wedding Notes")};
    case 1:
        return Target{DbId::Plan, "cnot", std::nullopt, QStringLiteral("Church Notes Editor")};
    case 2:
        return Target{DbId::Plan, "hnot", std::nullopt, QStringLiteral("Reception Notes Editor")};
    case 3:
        return Target{DbId::Party, "pnot", FieldCode("pnam"), kDesignCaption};
    case 4:
        return Target{DbId::Guest, "gnot", FieldCode("gnam"), kDesignCaption};
    case 5:
        return Target{DbId::Vendors, "vnot", FieldCode("vnam"), kDesignCaption};
    case 6:
        return Target{DbId::Tasks, "note", std::nullopt, kDesignCaption};
    default:
        return std::nullopt;
    }
}

int NoteEditor::recordNumber() const {
    // The three notes of the plan always belong to the details record.
    return m_target && m_target->db == Schema::DbId::Plan ? 1 : appState().selectedRecord;
}

void NoteEditor::load() {
    if (!m_target)
        return;
    setWindowTitle(m_target->caption);
    try {
        PalmDatabase &db = appState().set.db(m_target->db);
        Record &record = db.records().item(recordNumber());
        m_loaded = true;
        if (record.has(m_target->note)) {
            m_text->setPlainText(record.text(m_target->note));
        } else {
            // Repair the record now, so the note field is there even when nothing is saved.
            m_text->clear();
            db.fieldList().add(m_target->note, FieldKind::Text);
            record.fields().add(m_target->note, FieldKind::Text);
        }
        if (m_target->name && record.has(*m_target->name))
            setWindowTitle(kDesignCaption + QStringLiteral(" - ") + record.text(*m_target->name));
    } catch (const StoreError &) {
        // No such record (or no plan open): the box stays empty and OK writes nothing.
    }
}

void NoteEditor::cmdNoteOK_Click() {
    if (m_target && m_loaded) {
        try {
            PalmDatabase &db = appState().set.db(m_target->db);
            db.write(db.records().item(recordNumber()), m_target->note, noteText());
        } catch (const StoreError &) {
            // The record went away while the dialog was open: nothing to write into.
        }
    }
    accept();
}

void NoteEditor::cmdNoteCancel_Click() {
    reject();
}

bool NoteEditor::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers().testFlag(Qt::ControlModifier)) {
            cmdNoteOK_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void NoteEditor::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    placeControls();
}

void NoteEditor::placeControls() {
    using Twips::toPixels;
    const int width = Twips::fromPixels(this->width());
    // The rules measure the whole window, title bar and borders included, as the main
    // window's do; Qt's height is the inside only.
    const int height = Twips::fromPixels(this->height()) + Twips::kFrameAllowance;
    // Below these sizes the controls stay where they were.
    if (width > 2500) {
        const int okLeft = width / 2 - 1087;
        m_text->setGeometry(toPixels(kMargin), m_text->y(), toPixels(width - 135),
                            m_text->height());
        m_ok->setGeometry(toPixels(okLeft), m_ok->y(), toPixels(kButtonWidth),
                          toPixels(kButtonHeight));
        m_cancel->setGeometry(toPixels(okLeft + 1200), m_cancel->y(), toPixels(kButtonWidth),
                              toPixels(kButtonHeight));
    }
    if (height > 2400) {
        m_text->setGeometry(m_text->x(), toPixels(kMargin), m_text->width(),
                            toPixels(height - 1110));
        m_ok->move(m_ok->x(), toPixels(height - 1005));
        m_cancel->move(m_cancel->x(), toPixels(height - 1005));
    }
}
