#include "listtab.h"

#include "store/appstate.h"
#include "widgets/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScopeGuard>

namespace {

const QString kAll = QStringLiteral("All");
const QString kEditEntry = QStringLiteral("Edit...");
bool g_categoryEditorOpen = false;

} // namespace

ListTab::ListTab(TabHost &host, QWidget *parent)
    : QWidget(parent)
    , m_host(host) {
    m_bar = new QWidget(this);
    m_topRow = new QHBoxLayout(m_bar);
    m_topRow->setContentsMargins(Twips::toPixels(kGridLeftTwips), 3,
                                 Twips::toPixels(kGridLeftTwips), 3);
    m_topRow->setSpacing(6);
    m_topRow->addStretch(1);
    m_bar->setGeometry(0, 0, width(), Twips::toPixels(kGridTopTwips));
}

void ListTab::addToTop(QWidget *widget, const QString &label) {
    const int at = m_topRow->count() - 1; // before the stretch
    if (!label.isEmpty()) {
        auto *caption = new QLabel(label, m_bar);
        caption->setBuddy(widget);
        m_topRow->insertWidget(at, caption);
        m_topRow->insertWidget(at + 1, widget);
        m_topRow->insertSpacing(at + 2, 8);
    } else {
        m_topRow->insertWidget(at, widget);
    }
}

QComboBox *ListTab::addFilterBox(const QString &objectName, const QString &label, bool editable) {
    auto *box = new QComboBox(m_bar);
    box->setObjectName(objectName);
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumWidth(Twips::toPixels(2400));
    box->setMaxVisibleItems(20);
    addToTop(box, label);
    return box;
}

QPushButton *ListTab::addButton(const QString &objectName, const QString &caption) {
    auto *button = new QPushButton(caption, m_bar);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    addToTop(button);
    return button;
}

void ListTab::placeGrid(ListGrid *grid) {
    grid->setParent(this);
    grid->move(Twips::toPixels(kGridLeftTwips), Twips::toPixels(kGridTopTwips));
}

void ListTab::resizeEvent(QResizeEvent *event) {
    m_bar->setGeometry(0, 0, event->size().width(), Twips::toPixels(kGridTopTwips));
    QWidget::resizeEvent(event);
}

bool ListTab::editCategoriesIfAsked(const QComboBox *box, TabHost::CategoryList list) {
    if (box->currentText() != kEditEntry)
        return false;
    if (!g_categoryEditorOpen) {
        g_categoryEditorOpen = true;
        const auto reset = qScopeGuard([] { g_categoryEditorOpen = false; });
        m_host.editCategoryList(list);
    }
    return true;
}

QString ListTab::categoryForNewRecord(const QComboBox *box) {
    const QString text = box->currentText();
    return text == kAll || text == kEditEntry ? QString() : text;
}

void ListTab::removeRecordSilently(int recordNumber) {
    if (PalmDatabase *db = listDatabase()) {
        try {
            db->records().remove(recordNumber);
        } catch (const StoreError &) {
        }
    }
    refreshList();
}

bool ListTab::deleteCurrentRecord(const ListGrid &grid,
                                  const std::function<QString(int row)> &what) {
    const int row = grid.row();
    const int number = grid.rowData(row);
    // The header row shows no record: nothing to delete.
    if (row < 1 || number < 1)
        return false;
    AppState &state = appState();
    if (state.cancelled) {
        removeRecordSilently(number);
        return false;
    }
    const auto answer = state.prompter().message(
        QStringLiteral("Are you sure you want to delete ") + what(row) + u'?', kProgramTitle,
        Prompter::Icon::None, Prompter::Buttons::YesNo);
    if (answer != Prompter::Answer::Yes)
        return false;
    PalmDatabase *db = listDatabase();
    if (!db)
        return false;
    try {
        db->records().remove(number);
    } catch (const StoreError &) {
        return false; // the record is already gone
    }
    refreshList();
    return true;
}

int ListTab::appendRecord(ListGrid &grid,
                          const std::function<void(PalmDatabase &, Record &)> &init) {
    PalmDatabase *db = listDatabase();
    if (!db)
        return 0;
    int added = 0;
    try {
        Record &record = db->records().add();
        added = db->records().count();
        init(*db, record);
    } catch (const StoreError &error) {
        // The database is full (65,535 records) or the record could not be written: leave
        // nothing behind.
        if (added > 0)
            db->records().remove(added);
        appState().prompter().tell(error.description(), kProgramTitle, Prompter::Icon::Exclamation);
        return 0;
    }
    refreshList();
    const int last = grid.rows() - 1;
    if (last >= 1 && grid.rowData(last) == added) {
        grid.setRow(last);
        grid.setCol(1);
    }
    return added;
}

QString ListTab::statusFilter(const QComboBox *box) {
    const QString text = box->currentText();
    if (text == u"Confirmed")
        return QStringLiteral("True");
    if (text == u"Unconfirmed")
        return QStringLiteral("False");
    return text;
}
