#include "frmtaskeditor.h"

#include "editors/noteeditor.h"
#include "plan/plan.h"
#include "rules/displayforms.h"
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

using namespace Schema;

frmTaskEditor::frmTaskEditor(const FormContext &forms, Record &task, bool isNew, QWidget *parent)
    : QDialog(parent)
    , m_forms(forms)
    , m_task(task)
    , m_isNew(isNew) {
    setObjectName(QStringLiteral("frmTaskEditor"));
    setWindowTitle(QStringLiteral("Wedding Task Editor"));
    setModal(true);

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
    auto *notes = new QPushButton(tr("&Notes"), this);
    notes->setObjectName(QStringLiteral("cmdTaskNotes"));
    notes->setAutoDefault(false);
    auto *ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdTaskOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdTaskCancel"));
    cancel->setAutoDefault(false);

    auto *form = new QFormLayout;
    form->addRow(tr("Time&Frame:"), m_times);
    form->addRow(tr("&Details:"), m_details);
    form->addRow(QString(), m_done);
    form->addRow(tr("D&ue Date:"), m_dueDate);
    form->addRow(QString(), note);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(notes);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addStretch(1);
    main->addLayout(buttons);

    // Escape and the window's close button end the dialog as Cancel does.
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(notes, &QPushButton::clicked, this, &frmTaskEditor::cmdTaskNotes_Click);

    load();
    resize(QSize(Twips::toPixels(5400), Twips::toPixels(3000)).expandedTo(minimumSizeHint()));
    m_details->setFocus();
}

void frmTaskEditor::load() {
    m_times->addItems(m_forms.plan.db(DbId::TimeFrames).listValues(kTimeFrame));
    m_times->insertItem(0, QStringLiteral("All"));
    const QString time = m_task.text(Task::kTimeFrame);
    m_times->setCurrentIndex(m_times->findText(time, Qt::MatchExactly | Qt::MatchCaseSensitive));
    m_times->setEditText(time);
    m_details->setText(m_task.text(Task::kDetails));
    m_done->setChecked(m_task.value(Task::kDone).toBool());
    m_dueDate->setText(
        TextForms::date(m_task.value(Task::kAlarm), QLocale(), TextForms::DateKind::DayAndTime));
    if (!m_isNew) {
        // A missing time, details or done shows empty and is added now, so OK can write it.
        m_forms.plan.applyQuietly([this](PlanEdit &edit) {
            edit.addEmptyField(DbId::Tasks, m_task, Task::kTimeFrame);
            edit.addEmptyField(DbId::Tasks, m_task, Task::kDetails);
            edit.addEmptyField(DbId::Tasks, m_task, Task::kDone, FieldKind::Boolean);
        });
    }
}

std::vector<FieldEntry> frmTaskEditor::entries() const {
    std::vector<FieldEntry> entries = {
        {Task::kTimeFrame, FieldValue(m_times->currentText())},
        {Task::kDetails, FieldValue(m_details->text())},
        {Task::kDone, FieldValue(m_done->isChecked()), FieldKind::Boolean}};
    if (m_note)
        entries.push_back({Task::kNote, FieldValue(*m_note)});
    return entries;
}

void frmTaskEditor::cmdTaskNotes_Click() {
    if (!m_isNew) {
        editNote(m_forms.plan, NoteKind::Task, m_task, this);
        return;
    }
    // A new task's note waits for the task, and goes with it on OK.
    NoteEditor editor(noteTarget(NoteKind::Task).caption, m_note.value_or(QString()), this);
    if (editor.exec() == QDialog::Accepted)
        m_note = editor.noteText();
}
