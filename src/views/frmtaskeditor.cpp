#include "frmtaskeditor.h"

#include "editors/noteeditor.h"
#include "rules/taskorder.h"
#include "store/appstate.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

using Schema::DbId;

namespace {

constexpr FieldCode kDetails = "evnt";
constexpr FieldCode kDone = "done";
constexpr FieldCode kAlarm = "alrm";

PalmDatabase *taskDatabase() {
    PlanSet &set = appState().set;
    return set.isOpen() ? &set.db(DbId::Tasks) : nullptr;
}

} // namespace

frmTaskEditor::frmTaskEditor(QWidget *parent)
    : QDialog(parent)
    , m_index(appState().selectedRecord) {
    setObjectName(QStringLiteral("frmTaskEditor"));
    setWindowTitle(QStringLiteral("Wedding Task Editor"));
    setModal(true);
    appState().cancelled = false;

    m_times = new QComboBox(this);
    m_times->setObjectName(QStringLiteral("cboTaskTimes"));
    // Editable, so a timeframe no longer in the list is shown and kept as it is.
    m_times->setEditable(true);
    m_times->setInsertPolicy(QComboBox::NoInsert);
    m_details = new QLineEdit(this);
    m_details->setObjectName(QStringLiteral("txtEventDetails"));
    m_details->setMaxLength(std::numeric_limits<int>::max());
    m_done = new QCheckBox(tr("&Complete"), this);
    m_done->setObjectName(QStringLiteral("chkTaskDone"));
    m_dueDate = new QLineEdit(this);
    m_dueDate->setObjectName(QStringLiteral("txtDueDate"));
    m_dueDate->setReadOnly(true);
    auto *note = new QLabel(QStringLiteral("NOTE: Alarms can only be set on the Handheld)"), this);
    note->setWordWrap(true);
    m_notes = new QPushButton(tr("&Notes"), this);
    m_notes->setObjectName(QStringLiteral("cmdTaskNotes"));
    m_notes->setAutoDefault(false);
    m_ok = new QPushButton(tr("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdTaskOK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdTaskCancel"));
    m_cancel->setAutoDefault(false);

    auto *form = new QFormLayout;
    form->addRow(tr("Time&Frame:"), m_times);
    form->addRow(tr("&Details:"), m_details);
    form->addRow(QString(), m_done);
    form->addRow(tr("D&ue Date:"), m_dueDate);
    form->addRow(QString(), note);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_notes);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addStretch(1);
    main->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &frmTaskEditor::cmdTaskOK_Click);
    connect(m_cancel, &QPushButton::clicked, this, &frmTaskEditor::cmdTaskCancel_Click);
    connect(m_notes, &QPushButton::clicked, this, &frmTaskEditor::cmdTaskNotes_Click);

    load();
    resize(QSize(Twips::toPixels(5400), Twips::toPixels(3000)).expandedTo(minimumSizeHint()));
    m_details->setFocus();
}

Record *frmTaskEditor::record() const {
    PalmDatabase *db = taskDatabase();
    if (!db || m_index < 1 || m_index > db->records().count())
        return nullptr;
    return &db->records().item(m_index);
}

void frmTaskEditor::load() {
    PalmDatabase *db = taskDatabase();
    if (!db)
        return;
    try {
        appState().set.db(DbId::TimeFrames).fillList(*m_times, Schema::kTimeFrame, QString());
    } catch (const StoreError &) {
    }
    m_times->insertItem(0, QStringLiteral("All"));
    Record *task = record();
    m_notes->setEnabled(task != nullptr);
    if (!task) {
        m_times->setCurrentIndex(-1);
        return;
    }
    // A missing time, details or done shows empty and is added, so OK can write it.
    auto field = [&](FieldCode code, FieldKind kind) -> const FieldValue * {
        if (const Field *f = task->fields().find(code))
            return &f->value();
        db->fieldList().add(code, kind);
        task->fields().add(code, kind);
        return nullptr;
    };
    const FieldValue *time = field(Schema::kTimeFrame, FieldKind::Text);
    const QString timeText = time ? time->toText() : QString();
    m_times->setCurrentIndex(
        m_times->findText(timeText, Qt::MatchExactly | Qt::MatchCaseSensitive));
    m_times->setEditText(timeText);
    const FieldValue *details = field(kDetails, FieldKind::Text);
    m_details->setText(details ? details->toText() : QString());
    const FieldValue *done = field(kDone, FieldKind::Boolean);
    m_done->setChecked(done && done->toBool());
    m_dueDate->setText(task->text(kAlarm));
}

void frmTaskEditor::cmdTaskOK_Click() {
    PalmDatabase *db = taskDatabase();
    Record *task = record();
    if (db && task) {
        const QString time = m_times->currentText();
        const QString details = m_details->text();
        const bool done = m_done->isChecked();
        const bool edited = task->text(Schema::kTimeFrame) != time ||
                            task->text(kDetails) != details || task->value(kDone).toBool() != done;
        try {
            db->write(*task, Schema::kTimeFrame, time);
            db->write(*task, kDetails, details);
            db->write(*task, kDone, done, FieldKind::Boolean);
            TaskOrder::renumberTask(*db, *task, appState().set.db(DbId::TimeFrames));
            TaskOrder::sortTasks(*db);
        } catch (const StoreError &) {
        }
        // An edited task is an unsaved change of the plan, whoever opened the editor.
        if (edited)
            appState().changed = true;
    }
    accept();
}

void frmTaskEditor::cmdTaskCancel_Click() {
    reject();
}

void frmTaskEditor::reject() {
    // Escape and the window's close button end the dialog as Cancel does, so a task just added
    // is taken back whichever way the user leaves.
    appState().cancelled = true;
    QDialog::reject();
}

void frmTaskEditor::cmdTaskNotes_Click() {
    if (!record())
        return;
    appState().editorKind = 6;
    appState().selectedRecord = m_index;
    NoteEditor notes(this);
    notes.exec();
}
