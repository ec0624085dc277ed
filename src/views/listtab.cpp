#include "listtab.h"

#include "editors/categorylists.h"
#include "plan/plan.h"
#include "store/prompter.h"
#include "widgets/twips.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace {

const QString kAll = QStringLiteral("All");
const QString kEditEntry = QStringLiteral("Edit...");

// Escape in a find box clears it; a second Escape goes on to the window.
class ClearOnEscape : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *box = qobject_cast<QLineEdit *>(watched);
        if (box && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !box->text().isEmpty()) {
            box->clear();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

ListTab::ListTab(const FormContext &forms, TabHost &host, QWidget *parent)
    : QWidget(parent)
    , m_forms(forms)
    , m_host(host) {
    m_page = new QVBoxLayout(this);
    m_page->setContentsMargins(Twips::toPixels(60), 4, Twips::toPixels(60), 4);
    m_page->setSpacing(4);
    m_topRow = new QHBoxLayout;
    m_topRow->setSpacing(6);
    m_topRow->addStretch(1);
    m_page->addLayout(m_topRow);
    // The find box's own line, used only when the top row has no room for it.
    m_findRow = new QHBoxLayout;
    m_findRow->setSpacing(6);
    m_findRow->addStretch(1);
    m_page->addLayout(m_findRow);
}

void ListTab::addToTop(QWidget *widget, const QString &label) {
    const int at = m_topRow->count() - 1; // before the stretch
    if (!label.isEmpty()) {
        auto *caption = new QLabel(label, this);
        caption->setBuddy(widget);
        m_topRow->insertWidget(at, caption);
        m_topRow->insertWidget(at + 1, widget);
        m_topRow->insertSpacing(at + 2, 8);
    } else {
        m_topRow->insertWidget(at, widget);
    }
}

QComboBox *ListTab::addFilterBox(const QString &objectName, const QString &label, bool editable) {
    auto *box = new QComboBox(this);
    box->setObjectName(objectName);
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    // As wide as the longest entry where there is room, narrower where there is not.
    box->setMinimumContentsLength(8);
    box->setMaxVisibleItems(20);
    addToTop(box, label);
    return box;
}

QPushButton *ListTab::addButton(const QString &objectName, const QString &caption) {
    auto *button = new QPushButton(caption, this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    addToTop(button);
    return button;
}

ListGrid *ListTab::addGrid(const QString &objectName, const QString &settingsKey,
                           RecordListModel *model, const QString &what) {
    auto *grid = new ListGrid(objectName, settingsKey, model, this);
    grid->setAccessibleName(what);
    m_page->addWidget(grid, 1);
    return grid;
}

void ListTab::addFindBox(ListGrid *grid, const QString &what) {
    m_findGrid = grid;
    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("txtFind") + grid->settingsKey());
    m_find->setAccessibleName(tr("Find in the %1").arg(what));
    m_find->setPlaceholderText(tr("Find"));
    m_find->setClearButtonEnabled(true);
    m_find->setToolTip(
        tr("Shows the rows that hold this text (%1)")
            .arg(QKeySequence(QKeySequence::Find).toString(QKeySequence::NativeText)));
    m_find->setMinimumWidth(Twips::toPixels(1800));
    m_find->installEventFilter(new ClearOnEscape(m_find));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lbl") + grid->settingsKey() + QStringLiteral("Found"));
    m_findRow->addWidget(m_find);
    m_findRow->addWidget(m_count);
    RecordListModel *model = grid->listModel();
    connect(m_find, &QLineEdit::textChanged, model, &RecordListModel::setSearchText);
    connect(model, &RecordListModel::countChanged, this, &ListTab::updateCount);
    updateCount();
}

void ListTab::updateCount() {
    if (!m_count)
        return;
    const RecordListModel *model = m_findGrid->listModel();
    const QLocale locale;
    m_count->setText(
        tr("%1 of %2")
            .arg(locale.toString(model->rowCountShown()), locale.toString(model->recordCount())));
    placeFindBox();
}

void ListTab::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    placeFindBox();
}

void ListTab::placeFindBox() {
    if (!m_find)
        return;
    // The find box and its count end the top row when everything fits there; otherwise they
    // take a line of their own below it rather than squeezing the filters and buttons together.
    const bool inTop = m_topRow->indexOf(m_find) >= 0;
    const int find = std::max(m_find->minimumWidth(), m_find->minimumSizeHint().width()) +
                     m_count->sizeHint().width() + 2 * m_topRow->spacing();
    const int others = m_topRow->minimumSize().width() - (inTop ? find : 0);
    const QMargins margins = m_page->contentsMargins();
    const bool fits = others + find <= width() - margins.left() - margins.right();
    if (fits == inTop)
        return;
    QHBoxLayout *from = fits ? m_findRow : m_topRow;
    QHBoxLayout *to = fits ? m_topRow : m_findRow;
    for (QWidget *widget : {static_cast<QWidget *>(m_find), static_cast<QWidget *>(m_count)}) {
        from->removeWidget(widget);
        to->addWidget(widget);
    }
}

void ListTab::focusFind() {
    if (!m_find)
        return;
    m_find->setFocus(Qt::ShortcutFocusReason);
    m_find->selectAll();
}

bool ListTab::editCategoriesIfAsked(const QComboBox *box, CategoryKind list) {
    if (!asksForEditor(box))
        return false;
    if (!m_editorOpen) {
        QScopedValueRollback open(m_editorOpen, true);
        m_host.editCategoryList(list);
    }
    return true;
}

QString ListTab::categoryForNewRecord(const QComboBox *box) {
    const QString text = box->currentText();
    return text == kAll || text == kEditEntry ? QString() : text;
}

bool ListTab::applyStep(const QString &step, const std::function<void(PlanEdit &)> &change) {
    try {
        return m_forms.plan.apply(step, change);
    } catch (const StoreError &error) {
        // The step was taken back whole; the plan is as it was.
        m_forms.prompter.tell(error.description(), kProgramTitle, Prompter::Icon::Exclamation);
        return false;
    }
}

bool ListTab::deleteCurrentRecord(ListGrid &grid, const QString &what, const QString &step) {
    Record *record = grid.currentRecord();
    // The header row shows no record: nothing to delete.
    if (!record)
        return false;
    const auto answer =
        m_forms.prompter.message(QStringLiteral("Are you sure you want to delete ") + what + u'?',
                                 kProgramTitle, Prompter::Icon::None, Prompter::Buttons::YesNo);
    if (answer != Prompter::Answer::Yes)
        return false;
    const Schema::DbId db = grid.listModel()->database();
    return applyStep(step, [&](PlanEdit &edit) { edit.removeRecord(db, *record); });
}

Record *ListTab::addNewRecord(ListGrid &grid, std::unique_ptr<Record> record, const QString &step,
                              const std::function<void(PlanEdit &, Record &)> &fill) {
    const Schema::DbId db = grid.listModel()->database();
    Record *added = nullptr;
    const bool done = applyStep(step, [&](PlanEdit &edit) {
        added = &edit.insertRecord(db, edit.db(db).records().count(), std::move(record));
        fill(edit, *added);
    });
    if (!done)
        return nullptr;
    grid.selectRecord(added);
    return added;
}
