#include "noteeditor.h"

#include "plan/plan.h"
#include "widgets/twips.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kDesignCaption = QStringLiteral("Note Editor");

// Sizes in twips: the dialog opens at this size and is not made smaller than the minimum.
constexpr int kInitialWidth = 6000;
constexpr int kInitialHeight = 4500;
constexpr int kMinimumWidth = 3600;
constexpr int kMinimumHeight = 2800;

} // namespace

NoteTarget noteTarget(NoteKind kind) {
    using namespace Schema;
    switch (kind) {
    case NoteKind::General:
        return {DbId::Plan, Details::kNote, std::nullopt, QStringLiteral("General Wedding Notes")};
    case NoteKind::Church:
        return {DbId::Plan, Details::kChurchNotes, std::nullopt,
                QStringLiteral("Church Notes Editor")};
    case NoteKind::Reception:
        return {DbId::Plan, Details::kHallNotes, std::nullopt,
                QStringLiteral("Reception Notes Editor")};
    case NoteKind::Party:
        return {DbId::Party, Party::kNote, Party::kName, kDesignCaption};
    case NoteKind::Guest:
        return {DbId::Guest, Guest::kNote, Guest::kName, kDesignCaption};
    case NoteKind::Vendor:
        return {DbId::Vendors, Vendor::kNote, Vendor::kName, kDesignCaption};
    case NoteKind::Task:
        break;
    }
    return {DbId::Tasks, Task::kNote, std::nullopt, kDesignCaption};
}

NoteEditor::NoteEditor(const QString &caption, const QString &note, QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("NoteEditor"));
    setWindowTitle(caption);
    setModal(true);
    setSizeGripEnabled(true);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtNoteEd"));
    // Tab leaves the box, so the buttons stay within reach of the keyboard.
    m_text->setTabChangesFocus(true);
    m_text->setPlainText(note);
    m_ok = new QPushButton(tr("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdNoteOK"));
    m_ok->setAutoDefault(false);
    m_ok->setToolTip(tr("OK (%1)").arg(
        QKeySequence(Qt::CTRL | Qt::Key_Return).toString(QKeySequence::NativeText)));
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdNoteCancel"));
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Enter starts a new line in the note; Ctrl+Enter confirms.
    m_text->installEventFilter(this);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);

    setMinimumSize(Twips::toPixels(kMinimumWidth), Twips::toPixels(kMinimumHeight));
    resize(Twips::toPixels(kInitialWidth), Twips::toPixels(kInitialHeight));
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

bool NoteEditor::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers().testFlag(Qt::ControlModifier)) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool editNote(Plan &plan, NoteKind kind, Record &record, QWidget *parent) {
    const NoteTarget target = noteTarget(kind);
    // The record gets its note field now, so it is there even when nothing is saved.
    plan.applyQuietly([&](PlanEdit &edit) { edit.addEmptyField(target.db, record, target.note); });
    QString caption = target.caption;
    if (target.name && record.has(*target.name))
        caption = kDesignCaption + QStringLiteral(" - ") + record.text(*target.name);
    NoteEditor editor(caption, record.text(target.note), parent);
    if (editor.exec() != QDialog::Accepted)
        return false;
    QString step;
    switch (kind) {
    case NoteKind::General:
        step = QObject::tr("Edit Wedding Notes");
        break;
    case NoteKind::Church:
        step = QObject::tr("Edit Church Notes");
        break;
    case NoteKind::Reception:
        step = QObject::tr("Edit Reception Notes");
        break;
    case NoteKind::Task:
        step = QObject::tr("Edit Task Notes");
        break;
    default:
        step = QObject::tr("Edit Notes of %1").arg(record.text(*target.name));
        break;
    }
    return plan.apply(step, [&](PlanEdit &edit) {
        edit.write(target.db, record, target.note, editor.noteText());
    });
}
