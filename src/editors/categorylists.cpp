#include "categorylists.h"

#include "frmeditcats.h"
#include "plan/formcontext.h"
#include "plan/plan.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

const QString kAll = QStringLiteral("All");
const QString kEdit = QStringLiteral("Edit...");

// Completes the typed text in the box's line edit. Watches the keys so that a deletion
// (Backspace, Delete, cut) does not put back what the user just removed.
class TypeAhead : public QObject {
public:
    TypeAhead(QComboBox *box, const Plan &plan, const QString &kind)
        : QObject(box)
        , m_plan(plan)
        , m_box(box)
        , m_edit(box->lineEdit())
        , m_kind(kind) {
        // The box hands its keys straight to the line edit, past any filter there, so both
        // are watched.
        m_box->installEventFilter(this);
        m_edit->installEventFilter(this);
        connect(m_edit, &QLineEdit::textEdited, this, &TypeAhead::complete);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if ((watched == m_edit || watched == m_box) && event->type() == QEvent::KeyPress)
            m_deleting = isDeletion(static_cast<QKeyEvent *>(event));
        return QObject::eventFilter(watched, event);
    }

private:
    static bool isDeletion(QKeyEvent *key) {
        return key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
               key->matches(QKeySequence::Cut) || key->matches(QKeySequence::DeleteStartOfWord) ||
               key->matches(QKeySequence::DeleteEndOfWord) ||
               key->matches(QKeySequence::DeleteEndOfLine) ||
               key->matches(QKeySequence::DeleteCompleteLine);
    }

    void complete(const QString &typed) {
        const bool deleting = std::exchange(m_deleting, false);
        // Only text typed at the end is completed; an edit inside the text stays where it is.
        if (deleting || m_edit->cursorPosition() != typed.size())
            return;
        const QString name = categoryLookup(m_plan.set(), typed, m_kind);
        if (name.isEmpty() || name == typed)
            return;
        const qsizetype n = typed.size();
        m_edit->setText(name);
        m_edit->setSelection(int(n), int(name.size() - n));
    }

    const Plan &m_plan;
    QComboBox *m_box;
    QLineEdit *m_edit;
    QString m_kind;
    bool m_deleting = false;
};

} // namespace

void fillFixedBox(QComboBox *box, const QStringList &entries) {
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(0);
}

void fillCategoryBox(QComboBox *box, const Plan &plan, CategoryKind kind) {
    fillFixedBox(box, QStringList{kAll} + categoryNames(plan.set(), kind) + QStringList{kEdit});
}

bool asksForEditor(const QComboBox *box) {
    return box->currentText() == kEdit;
}

void installTypeAhead(QComboBox *box, const Plan &plan, const QString &kind) {
    if (!box || !box->isEditable() || !box->lineEdit())
        return;
    // Qt's own inline completion would fight ours over the selection.
    box->setCompleter(nullptr);
    new TypeAhead(box, plan, kind);
}

bool editCategoryList(const FormContext &forms, CategoryKind kind, QWidget *parent) {
    frmEditCats editor(kind, categoryNames(forms.plan.set(), kind), forms.prompter, parent);
    if (editor.exec() != QDialog::Accepted)
        return false;
    static const char *const kSteps[] = {"Edit Relations", "Edit Timeframes", "Edit Services",
                                         "Edit Meals"};
    return forms.plan.apply(QString::fromLatin1(kSteps[int(kind)]), [&](PlanEdit &edit) {
        replaceCategoryList(edit, kind, editor.lines(), editor.origins());
    });
}
