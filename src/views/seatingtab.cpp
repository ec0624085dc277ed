#include "seatingtab.h"

#include "editors/frmrecordeditor.h"
#include "plan/plan.h"
#include "rules/details.h"
#include "rules/newrecords.h"
#include "rules/replies.h"
#include "rules/seating.h"
#include "rules/textmatch.h"
#include "store/numbers.h"
#include "store/prompter.h"
#include "views/columns.h"
#include "views/frmtable.h"
#include "widgets/twips.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCollator>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

using namespace Schema;

// The guests waiting for a seat, by name in the user's language, each with the seats it needs;
// typing narrows them.
class GuestChoiceModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : int(m_shown.size());
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const Entry &entry = m_all[m_shown[std::size_t(index.row())]];
        if (role == Qt::DisplayRole)
            return entry.text;
        return {};
    }
    Record *guestAt(int row) const {
        return row >= 0 && row < rowCount() ? m_all[m_shown[std::size_t(row)]].guest : nullptr;
    }
    void fill(const PalmDatabase &guests) {
        beginResetModel();
        m_all.clear();
        QCollator collator = nameCollator();
        std::vector<std::pair<QCollatorSortKey, Entry>> sorted;
        for (const auto &guest : guests.records().raw()) {
            // A guest who declined needs no seat.
            if (Seating::isSeated(*guest) || Replies::replyOf(*guest) == Replies::Reply::Declined)
                continue;
            const QString name = guest->text(Guest::kName);
            const double seats = Seating::storedNumber(*guest, Guest::kRsvp);
            const QString need = seats == 1
                                     ? QObject::tr("1 seat")
                                     : QObject::tr("%1 seats").arg(Numbers::numberText(seats));
            sorted.emplace_back(collator.sortKey(name),
                                Entry{name + QStringLiteral("  (") + need + u')',
                                      TextMatch::folded(name), guest.get()});
        }
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
        m_all.reserve(sorted.size());
        for (auto &entry : sorted)
            m_all.push_back(std::move(entry.second));
        narrowTo(m_typed, false);
        endResetModel();
    }
    void narrow(const QString &typed) {
        beginResetModel();
        narrowTo(TextMatch::folded(typed), false);
        endResetModel();
    }
    void clear() {
        beginResetModel();
        m_all.clear();
        m_shown.clear();
        m_typed.clear();
        endResetModel();
    }

private:
    struct Entry {
        QString text;
        QString folded;
        Record *guest;
    };
    void narrowTo(const QString &typed, bool) {
        m_typed = typed;
        m_shown.clear();
        for (std::size_t i = 0; i < m_all.size(); ++i) {
            if (TextMatch::contains(m_all[i].folded, typed))
                m_shown.push_back(i);
        }
    }
    std::vector<Entry> m_all;
    std::vector<std::size_t> m_shown;
    QString m_typed;
};

namespace {

std::vector<ListColumn> tableColumns() {
    ListColumn tag = Columns::field(QObject::tr("Tag"), Table::kTag);
    tag.widest = QStringLiteral("Head 12"); // short IDs, mostly numbers
    ListColumn description = Columns::field(QObject::tr("Description"), Table::kDescription, true);
    description.widest = QStringLiteral("Bride's Family 2"); // the pane starts this wide
    return {std::move(tag), std::move(description),
            Columns::number(QObject::tr("Max. Seats"), Table::kMaxSeats),
            Columns::number(QObject::tr("Count"), Table::kCount),
            Columns::number(QObject::tr("Available"), Table::kAvailable)};
}

std::vector<ListColumn> seatedColumns() {
    return Columns::guest({Columns::extra(QObject::tr("Zip"), Guest::kZip),
                           Columns::extra(QObject::tr("Notes"), Guest::kNote)});
}

} // namespace

SeatingTab::SeatingTab(const FormContext &forms, TabHost &host, QWidget *parent)
    : ListTab(forms, host, parent) {
    QPushButton *addTable = addButton(QStringLiteral("cmdAddTable"), tr("&Add Table"));
    QPushButton *deleteTable = addButton(QStringLiteral("cmdDeleteTable"), tr("&Delete Table"));
    QPushButton *update = addButton(QStringLiteral("cmdUpdate"), tr("U&pdate"));
    m_addPerson = addButton(QStringLiteral("cmdAddPerson"), tr("Add Perso&n"));
    m_removePerson = addButton(QStringLiteral("cmdRemovePerson"), tr("Re&move Person"));

    m_tableModel = new RecordListModel(forms.plan, DbId::Tables, tableColumns(), this);
    m_seatingModel = new RecordListModel(forms.plan, DbId::Guest, seatedColumns(), this);
    m_seatingModel->setFilter([this](const Record &r) { return Seating::isSeatedAt(r, m_tag); });

    // The tables on the left with the setup frame below them; the guests of the chosen table on
    // the right. The splitter lets the user share the width out differently.
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("SeatingSplitter"));
    split->setChildrenCollapsible(false);
    auto *left = new QWidget(split);
    auto *leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    m_tables =
        new ListGrid(QStringLiteral("TableGrid"), QStringLiteral("Table"), m_tableModel, left);
    m_tables->setAccessibleName(tr("table list"));
    leftColumn->addWidget(m_tables, 1);

    m_setup = new QGroupBox(tr("Setup"), left);
    auto *row = new QHBoxLayout(m_setup);
    row->setContentsMargins(6, 2, 6, 4);
    m_noTables = new QLineEdit;
    m_noTables->setObjectName(QStringLiteral("txtNoTables"));
    m_peoplePer = new QLineEdit;
    m_peoplePer->setObjectName(QStringLiteral("txtPeoplePer"));
    for (auto [label, box] : {std::pair{tr("No. of &Tables:"), m_noTables},
                              std::pair{tr("Default People/Ta&ble:"), m_peoplePer}}) {
        auto *caption = new QLabel(label);
        caption->setBuddy(box);
        box->setMaximumWidth(Twips::toPixels(700));
        row->addWidget(caption);
        row->addWidget(box);
    }
    row->addStretch(1);
    leftColumn->addWidget(m_setup);

    m_seating = new ListGrid(QStringLiteral("SeatingGrid"), QStringLiteral("Seating"),
                             m_seatingModel, split);
    m_seating->setAccessibleName(tr("guests at the chosen table"));
    split->addWidget(left);
    split->addWidget(m_seating);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    pageLayout()->addWidget(split, 1);
    // Wide enough for every column of the table list.
    int tableWidth = 2 * m_tables->frameWidth() + m_tables->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < m_tables->cols(); ++c)
        tableWidth += m_tables->columnWidth(c);
    left->setMinimumWidth(tableWidth);
    split->setSizes({tableWidth, 1000});

    // The guests waiting for a seat: a panel over the seating grid, gone again as soon as the
    // choice is made or the focus leaves it.
    m_addPanel = new QFrame(this);
    m_addPanel->setObjectName(QStringLiteral("AddPersonPanel"));
    m_addPanel->setFrameShape(QFrame::StyledPanel);
    m_addPanel->setAutoFillBackground(true);
    auto *panel = new QVBoxLayout(m_addPanel);
    m_addFind = new QLineEdit(m_addPanel);
    m_addFind->setObjectName(QStringLiteral("txtAddPersonFind"));
    m_addFind->setPlaceholderText(tr("Type to find a guest"));
    m_addFind->setAccessibleName(tr("Find a guest to seat"));
    m_addModel = new GuestChoiceModel(this);
    m_addList = new QListView(m_addPanel);
    m_addList->setObjectName(QStringLiteral("lstAddPerson"));
    m_addList->setAccessibleName(tr("Guests not yet seated"));
    m_addList->setModel(m_addModel);
    m_addList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_addList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_addList->setUniformItemSizes(true); // no measuring of 65,535 names
    auto *seat = new QPushButton(tr("&Seat"), m_addPanel);
    seat->setObjectName(QStringLiteral("cmdSeatChosen"));
    seat->setDefault(true);
    auto *cancel = new QPushButton(tr("Cancel"), m_addPanel);
    cancel->setObjectName(QStringLiteral("cmdSeatCancel"));
    auto *panelButtons = new QHBoxLayout;
    panelButtons->addStretch(1);
    panelButtons->addWidget(seat);
    panelButtons->addWidget(cancel);
    panel->addWidget(m_addFind);
    panel->addWidget(m_addList, 1);
    panel->addLayout(panelButtons);
    for (QWidget *w : {static_cast<QWidget *>(m_addFind), static_cast<QWidget *>(m_addList),
                       static_cast<QWidget *>(seat), static_cast<QWidget *>(cancel)})
        w->installEventFilter(this);
    m_addPanel->hide();
    connect(m_addFind, &QLineEdit::textChanged, m_addModel, &GuestChoiceModel::narrow);
    connect(m_addList, &QListView::doubleClicked, this, &SeatingTab::seatChosenGuests);
    connect(seat, &QPushButton::clicked, this, &SeatingTab::seatChosenGuests);
    connect(cancel, &QPushButton::clicked, this, [this] {
        hideGuestList();
        m_addPerson->setFocus();
    });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (m_addPanel->isVisible() && now && !m_addPanel->isAncestorOf(now) &&
            now->window() == window())
            hideGuestList();
    });

    connect(addTable, &QPushButton::clicked, this, &SeatingTab::addTable);
    connect(deleteTable, &QPushButton::clicked, this, &SeatingTab::deleteTable);
    connect(update, &QPushButton::clicked, this, &SeatingTab::updateTable);
    connect(m_addPerson, &QPushButton::clicked, this, &SeatingTab::offerGuests);
    connect(m_removePerson, &QPushButton::clicked, this, &SeatingTab::removePerson);
    // Moving to another table, by mouse or keyboard, chooses it at once; a click on the table
    // already chosen recounts it again. The program's own row changes choose nothing.
    connect(m_tables->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_quiet && m_tables->currentRecord() && m_tables->currentRecord() != m_table)
            selectTable();
    });
    connect(m_tables, &ListGrid::rowClicked, this, &SeatingTab::selectTable);
    // Enter or a double-click on a table opens it, as "Update" does.
    connect(m_tables, &ListGrid::rowDoubleClicked, this, &SeatingTab::updateTable);
    connect(m_tables, &ListGrid::deleteRequested, this, &SeatingTab::deleteTable);
    connect(m_seating, &ListGrid::rowDoubleClicked, this, &SeatingTab::openSeatedGuest);
    connect(m_seating, &ListGrid::deleteRequested, this, &SeatingTab::removePerson);

    // A table renamed or removed (by the editor, an undo...): the chosen one follows.
    connect(&forms.plan, &Plan::changed, this, [this](const PlanChange &change) {
        if (!m_table || !change.touches(DbId::Tables))
            return;
        if (m_tables->listModel()->rowOf(m_table) < 0) {
            clearSelection();
            return;
        }
        if (Seating::tableTag(*m_table) != m_tag) {
            m_tag = Seating::tableTag(*m_table);
            m_seatingModel->refresh();
        }
    });
    connect(&forms.plan, &Plan::reset, this, &SeatingTab::clearSelection);
    clearSelection();
}

QString SeatingTab::currentTag() const {
    return m_tag;
}

bool SeatingTab::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress &&
        m_addPanel->isAncestorOf(qobject_cast<QWidget *>(watched))) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            hideGuestList();
            m_addPerson->setFocus();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && watched != m_addPanel) {
            seatChosenGuests();
            return true;
        }
        // Arrow keys in the find box move through the list.
        if (watched == m_addFind && (key == Qt::Key_Down || key == Qt::Key_Up)) {
            QApplication::sendEvent(m_addList, event);
            return true;
        }
    }
    return ListTab::eventFilter(watched, event);
}

// --- Refreshes ---------------------------------------------------------------------------------

void SeatingTab::UpdateTableGrid() {
    m_tableModel->refresh();
    if (!m_table || m_tableModel->rowOf(m_table) < 0)
        clearSelection();
}

void SeatingTab::UpdateSeatingGrid() {
    m_seatingModel->refresh();
}

void SeatingTab::takeTable(Record *table) {
    m_table = table;
    m_tag = Seating::tableTag(*table);
    m_seating->setEnabled(true);
    m_addPerson->setEnabled(true);
    m_removePerson->setEnabled(true);
    m_seatingModel->refresh();
}

void SeatingTab::clearSelection() {
    m_table = nullptr;
    m_tag.clear();
    {
        QScopedValueRollback quiet(m_quiet, true);
        m_tables->setRow(0);
    }
    m_seatingModel->refresh();
    m_seating->setEnabled(false);
    m_addPerson->setEnabled(false);
    m_removePerson->setEnabled(false);
    hideGuestList();
}

void SeatingTab::storeSetup(PlanEdit &edit) const {
    DetailsRecord::store(edit, Details::kTables, m_noTables->text());
    DetailsRecord::store(edit, Details::kPeoplePerTable, m_peoplePer->text());
}

void SeatingTab::storeSetupNow() {
    // The setup boxes are no edit of their own: they go with the save, or with the table.
    m_forms.plan.applyQuietly([this](PlanEdit &edit) { storeSetup(edit); });
}

// --- Tables ------------------------------------------------------------------------------------

void SeatingTab::selectTable() {
    Record *table = m_tables->currentRecord();
    if (!table)
        return;
    takeTable(table);
    // A table nobody sits at keeps the numbers it has.
    std::vector<int> seated;
    seated.reserve(std::size_t(m_seatingModel->rowCountShown()));
    for (int r = 0; r < m_seatingModel->rowCountShown(); ++r)
        seated.push_back(m_seatingModel->recordNumber(r));
    if (seated.empty())
        return;
    // A correction, not an edit: the numbers are put right from the guests seated.
    QScopedValueRollback quiet(m_quiet, true);
    m_forms.plan.applyQuietly([&](PlanEdit &edit) {
        Seating::recount(edit, *table, seated, Numbers::numericValue(m_peoplePer->text()));
    });
}

void SeatingTab::addTable() {
    storeSetupNow();
    std::unique_ptr<Record> record = NewRecords::table(m_peoplePer->text());
    frmTable editor(m_forms, *record, true, window());
    if (editor.exec() != QDialog::Accepted)
        return; // nothing was added
    const Seating::TableValues values = editor.values();
    Record *added = addNewRecord(
        *m_tables, std::move(record), tr("Add Table %1").arg(values.id.trimmed()),
        [&](PlanEdit &edit, Record &table) { Seating::writeTable(edit, table, values); });
    if (!added)
        return;
    takeTable(added);
    const int count = m_tableModel->recordCount();
    if (Numbers::numericValue(m_noTables->text()) < count)
        m_noTables->setText(QString::number(count));
}

void SeatingTab::deleteTable() {
    Record *table = m_tables->currentRecord();
    if (!table)
        return;
    const auto answer =
        m_forms.prompter.message(QStringLiteral("Are you sure you want to delete table ") +
                                     m_tables->text(m_tables->row(), 1) + u'?',
                                 kProgramTitle, Prompter::Icon::None, Prompter::Buttons::YesNo);
    if (answer != Prompter::Answer::Yes)
        return;
    applyStep(tr("Delete Table %1").arg(Seating::tableTag(*table)),
              [&](PlanEdit &edit) { Seating::deleteTable(edit, *table); });
}

void SeatingTab::updateTable() {
    Record *table = m_tables->currentRecord();
    if (!table)
        return;
    storeSetupNow();
    frmTable editor(m_forms, *table, false, window());
    if (editor.exec() == QDialog::Accepted) {
        const Seating::TableValues values = editor.values();
        applyStep(tr("Edit Table %1").arg(values.id.trimmed()),
                  [&](PlanEdit &edit) { Seating::writeTable(edit, *table, values); });
    }
    m_tables->selectRecord(table);
    selectTable();
}

// --- Guests ------------------------------------------------------------------------------------

void SeatingTab::offerGuests() {
    if (!m_table)
        return;
    if (m_tag.isEmpty()) {
        // A table without an ID cannot hold anyone: guests find their table by its ID.
        m_forms.prompter.tell(QStringLiteral("You must enter a unique table ID."), kProgramTitle,
                              Prompter::Icon::Exclamation);
        return;
    }
    m_addFind->clear();
    m_addModel->fill(m_forms.plan.db(DbId::Guest));
    const QRect over = m_seating->geometry();
    const QPoint at = m_seating->parentWidget()->mapTo(this, over.topLeft());
    m_addPanel->setGeometry(at.x(), at.y(), std::min(over.width(), Twips::toPixels(4200)),
                            std::max(over.height(), 160));
    m_addPanel->show();
    m_addPanel->raise();
    if (m_addModel->rowCount() > 0)
        m_addList->setCurrentIndex(m_addModel->index(0));
    m_addFind->setFocus();
}

void SeatingTab::hideGuestList() {
    if (!m_addPanel || !m_addPanel->isVisible())
        return;
    m_addPanel->hide();
    m_addModel->clear();
}

void SeatingTab::seatChosenGuests() {
    std::vector<Record *> chosen;
    QModelIndexList rows = m_addList->selectionModel()->selectedRows();
    if (rows.isEmpty() && m_addList->currentIndex().isValid())
        rows << m_addList->currentIndex();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &index : std::as_const(rows)) {
        if (Record *guest = m_addModel->guestAt(index.row()))
            chosen.push_back(guest);
    }
    hideGuestList();
    Record *table = m_table;
    if (chosen.empty() || !table)
        return;
    const bool several = chosen.size() > 1;
    auto askToGrow = [&] {
        const QString question =
            several ? QStringLiteral("Adding these guests will cause your table to exceed the "
                                     "number of available seats.  Do you want to adjust the "
                                     "maximum number of seats for this table and continue?")
                    : QStringLiteral("Adding this guest will cause your table to exceed the "
                                     "number of available seats.  Do you want to adjust the "
                                     "maximum number of seats for this table and continue?");
        return m_forms.prompter.message(question, kProgramTitle, Prompter::Icon::Question,
                                        Prompter::Buttons::YesNo) == Prompter::Answer::Yes;
    };
    const QString step =
        several ? tr("Seat %1 Guests at Table %2").arg(chosen.size()).arg(m_tag)
                : tr("Seat %1 at Table %2").arg(chosen.front()->text(Guest::kName), m_tag);
    applyStep(step, [&](PlanEdit &edit) { Seating::seatAll(edit, *table, chosen, askToGrow); });
    m_addPerson->setFocus();
}

void SeatingTab::removePerson() {
    Record *guest = m_seating->currentRecord();
    if (!guest)
        return;
    const auto answer = m_forms.prompter.message(
        QStringLiteral("Are you sure you want to remove ") + m_seating->text(m_seating->row(), 1) +
            QStringLiteral(" from this table?"),
        kProgramTitle, Prompter::Icon::Question, Prompter::Buttons::YesNo);
    if (answer != Prompter::Answer::Yes)
        return;
    Record *table = m_table;
    applyStep(tr("Remove %1 from Table %2").arg(guest->text(Guest::kName), m_tag),
              [&](PlanEdit &edit) { Seating::unseat(edit, table, *guest); });
}

void SeatingTab::openSeatedGuest() {
    Record *guest = m_seating->currentRecord();
    if (!guest)
        return;
    frmRecordEditor editor(m_forms, RecordKind::Guest, *guest, false, window());
    if (editor.exec() != QDialog::Accepted)
        return;
    const std::vector<FieldEntry> entries = editor.entries();
    applyStep(tr("Edit Guest %1").arg(guest->text(Guest::kName)), [&](PlanEdit &edit) {
        edit.writeAll(DbId::Guest, *guest, entries);
        edit.sort(DbId::Guest, Guest::kName);
    });
}
