#include "seatingtab.h"

#include "editors/frmrecordeditor.h"
#include "rules/seating.h"
#include "store/appstate.h"
#include "store/numbers.h"
#include "store/planview.h"
#include "views/frmtable.h"
#include "views/tabhost.h"
#include "widgets/twips.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <algorithm>
#include <utility>

using Schema::DbId;

namespace {

const QStringList kTableHeaders = {"Tag", "Description", "Max. Seats", "Count", "Available"};
const QStringList kSeatingHeaders = {"Name", "Relation", "Status", "RSVP",  "Address",
                                     "City", "State",    "Phone",  "E-Mail"};
const QString kTrue = QStringLiteral("True");

QString fieldText(const Fields &fields, FieldCode code) {
    const Field *field = fields.find(code);
    return field ? field->value().toText() : QString();
}

// Sets a flag for the lifetime of the object.
class FlagGuard {
public:
    explicit FlagGuard(bool &flag)
        : m_flag(flag)
        , m_old(flag) {
        m_flag = true;
    }
    ~FlagGuard() { m_flag = m_old; }
    FlagGuard(const FlagGuard &) = delete;
    FlagGuard &operator=(const FlagGuard &) = delete;

private:
    bool &m_flag;
    bool m_old;
};

} // namespace

// The entries of lstAddPerson: "Cancel" first, then one guest each, with the guest's record
// number as the entry's item data (0 for "Cancel"). One model reset per filling, however many
// guests are waiting.
class AddPersonModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : int(m_names.size());
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        if (role == Qt::DisplayRole)
            return m_names[index.row()];
        if (role == Qt::UserRole)
            return m_records[std::size_t(index.row())];
        return {};
    }
    int recordAt(int row) const {
        return row >= 0 && row < rowCount() ? m_records[std::size_t(row)] : -1;
    }
    void fill(QStringList names, std::vector<int> records) {
        beginResetModel();
        m_names = std::move(names);
        m_records = std::move(records);
        endResetModel();
    }
    void clear() { fill({}, {}); }

private:
    QStringList m_names;
    std::vector<int> m_records;
};

SeatingTab::SeatingTab(TabHost &host, QWidget *parent)
    : ListTab(host, parent) {
    QPushButton *addTable = addButton(QStringLiteral("cmdAddTable"), tr("&Add Table"));
    QPushButton *deleteTable = addButton(QStringLiteral("cmdDeleteTable"), tr("&Delete Table"));
    QPushButton *update = addButton(QStringLiteral("cmdUpdate"), tr("&Update"));
    m_addPerson = addButton(QStringLiteral("cmdAddPerson"), tr("Add Perso&n"));
    m_removePerson = addButton(QStringLiteral("cmdRemovePerson"), tr("&Remove Person"));

    m_tables = new ListGrid(QStringLiteral("TableGrid"), QStringLiteral("Table"), kTableHeaders);
    m_seating =
        new ListGrid(QStringLiteral("SeatingGrid"), QStringLiteral("Seating"), kSeatingHeaders);
    placeGrid(m_tables);
    placeGrid(m_seating);
    m_tables->resize(Twips::toPixels(kTableGridWidth), m_tables->height());
    m_seating->move(Twips::toPixels(kGridLeftTwips + kTableGridWidth + 120), m_seating->y());

    // The setup frame sits below the table grid, in the room the shorter grid leaves.
    m_setup = new QGroupBox(tr("Setup"), this);
    auto *row = new QHBoxLayout(m_setup);
    row->setContentsMargins(6, 2, 6, 4);
    m_noTables = new QLineEdit;
    m_noTables->setObjectName(QStringLiteral("txtNoTables"));
    m_peoplePer = new QLineEdit;
    m_peoplePer->setObjectName(QStringLiteral("txtPeoplePer"));
    for (auto [label, box] : {std::pair{tr("No. of &Tables:"), m_noTables},
                              std::pair{tr("Default &People/Table:"), m_peoplePer}}) {
        auto *caption = new QLabel(label);
        caption->setBuddy(box);
        box->setMaximumWidth(Twips::toPixels(700));
        row->addWidget(caption);
        row->addWidget(box);
    }
    row->addStretch(1);
    m_tables->installEventFilter(this);
    placeSetup();

    // The guests waiting for a seat pop up beside the seating grid and go away again as soon
    // as one is chosen or the list loses the focus.
    m_addModel = new AddPersonModel(this);
    m_addList = new QListView(this);
    m_addList->setObjectName(QStringLiteral("lstAddPerson"));
    m_addList->setModel(m_addModel);
    m_addList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_addList->setUniformItemSizes(true); // no measuring of 65,535 names
    m_addList->installEventFilter(this);
    hideGuestList();
    connect(m_addList, &QListView::clicked, this,
            [this](const QModelIndex &index) { chooseGuest(index.row()); });

    connect(addTable, &QPushButton::clicked, this, &SeatingTab::addTable);
    connect(deleteTable, &QPushButton::clicked, this, &SeatingTab::deleteTable);
    connect(update, &QPushButton::clicked, this, &SeatingTab::updateTable);
    connect(m_addPerson, &QPushButton::clicked, this, &SeatingTab::offerGuests);
    connect(m_removePerson, &QPushButton::clicked, this, &SeatingTab::removePerson);
    // Moving to another table, by mouse or keyboard, chooses it at once; a click on the table
    // already chosen recounts it again. The program's own row changes choose nothing.
    connect(m_tables->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (m_quiet || m_tables->row() < 1)
            return;
        m_chosenByPress = QApplication::mouseButtons() != Qt::NoButton;
        selectTable();
    });
    connect(m_tables, &ListGrid::rowClicked, this, [this] {
        if (!std::exchange(m_chosenByPress, false))
            selectTable();
    });
    m_tables->viewport()->installEventFilter(this);
    // Enter or a double-click on a table opens it, as "Update" does.
    connect(m_tables, &ListGrid::rowDoubleClicked, this, &SeatingTab::updateTable);
    connect(m_seating, &ListGrid::rowDoubleClicked, this, &SeatingTab::openSeatedGuest);

    clearSelection();
}

bool SeatingTab::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_tables && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeSetup();
    if (m_tables && watched == m_tables->viewport() && event->type() == QEvent::MouseButtonPress)
        m_chosenByPress = false;
    if (watched == m_addList) {
        if (event->type() == QEvent::FocusOut) {
            hideGuestList();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                chooseGuest(m_addList->currentIndex().row());
                return true;
            }
            if (key == Qt::Key_Escape) {
                chooseGuest(0);
                m_addPerson->setFocus();
                return true;
            }
        }
    }
    return ListTab::eventFilter(watched, event);
}

void SeatingTab::placeSetup() {
    const int height = m_setup->sizeHint().height();
    m_setup->setGeometry(m_tables->x(), m_tables->geometry().bottom() + 4, m_tables->width(),
                         height);
}

PalmDatabase *SeatingTab::db(DbId id) const {
    PlanSet &set = appState().set;
    return set.isOpen() ? &set.db(id) : nullptr;
}

Record *SeatingTab::tableRecord(int number) const {
    PalmDatabase *tables = db(DbId::Tables);
    if (!tables || number < 1 || number > tables->records().count())
        return nullptr;
    return &tables->records().item(number);
}

// --- Refreshes ---------------------------------------------------------------------------------

void SeatingTab::UpdateTableGrid() {
    const int remembered = appState().loading ? 0 : m_tables->row();
    fillTables();
    if (remembered >= 1 && remembered < m_tables->rows()) {
        setTableRow(remembered);
        takeTableOfRow(remembered);
        UpdateSeatingGrid();
    } else {
        clearSelection();
    }
}

void SeatingTab::fillTables() {
    FlagGuard quiet(m_quiet);
    GridRebuild rebuild(*m_tables, kTableHeaders);
    const PalmDatabase *tables = db(DbId::Tables);
    if (!tables)
        return;
    const auto &records = tables->records().raw();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Fields &fields = records[i]->fields();
        rebuild.add(int(i) + 1, {fieldText(fields, "ttag"), fieldText(fields, "tabl"),
                                 fieldText(fields, "maxs"), fieldText(fields, "coun"),
                                 fieldText(fields, "avai")});
    }
}

void SeatingTab::UpdateSeatingGrid() {
    GridRebuild rebuild(*m_seating, kSeatingHeaders);
    const QString &tag = appState().currentTableTag;
    const PalmDatabase *guests = db(DbId::Guest);
    if (!guests || tag.isEmpty())
        return;
    const auto &records = guests->records().raw();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!Seating::isSeatedAt(*records[i], tag))
            continue;
        const Fields &fields = records[i]->fields();
        QStringList cells;
        cells.reserve(kSeatingHeaders.size());
        cells << fieldText(fields, "gnam") << fieldText(fields, "gtyp")
              << (fieldText(fields, "gcon") == kTrue ? QStringLiteral("Confirmed")
                                                     : QStringLiteral("Unconfirmed"))
              << fieldText(fields, "rsvp") << fieldText(fields, "gadr") << fieldText(fields, "gcit")
              << fieldText(fields, "gsta") << fieldText(fields, "gpho")
              << fieldText(fields, "gcos");
        rebuild.add(int(i) + 1, cells);
    }
}

void SeatingTab::setTableRow(int row) {
    FlagGuard quiet(m_quiet);
    m_tables->setRow(row);
}

void SeatingTab::takeTableOfRow(int row) {
    AppState &state = appState();
    m_table = m_tables->rowData(row);
    state.selectedRecord = m_table;
    const Record *table = tableRecord(m_table);
    state.currentTableTag = table ? Seating::tableTag(*table) : QString();
    m_seating->setEnabled(true);
    m_addPerson->setEnabled(true);
    m_removePerson->setEnabled(true);
}

void SeatingTab::clearSelection() {
    AppState &state = appState();
    m_table = 0;
    state.selectedRecord = 0;
    state.currentTableTag.clear();
    setTableRow(0);
    { GridRebuild rebuild(*m_seating, kSeatingHeaders); }
    m_seating->setEnabled(false);
    m_addPerson->setEnabled(false);
    m_removePerson->setEnabled(false);
    hideGuestList();
}

// --- Tables ------------------------------------------------------------------------------------

void SeatingTab::selectTable() {
    const int row = m_tables->row();
    if (row < 1 || m_tables->rowData(row) < 1)
        return;
    takeTableOfRow(row);
    UpdateSeatingGrid();
    // A table nobody sits at keeps the numbers it has.
    if (m_seating->rows() == 1)
        return;
    PalmDatabase *tables = db(DbId::Tables);
    PalmDatabase *guests = db(DbId::Guest);
    Record *table = tableRecord(m_table);
    if (!tables || !guests || !table)
        return;
    std::vector<int> seated;
    seated.reserve(std::size_t(m_seating->rows() - 1));
    for (int r = 1; r < m_seating->rows(); ++r)
        seated.push_back(m_seating->rowData(r));
    try {
        Seating::recount(*tables, *table, *guests, seated,
                         Numbers::numericValue(m_peoplePer->text()));
    } catch (const StoreError &) {
        return;
    }
    // Show the recounted numbers; the rows and the selection stay as they are.
    fillTables();
}

void SeatingTab::addTable() {
    PalmDatabase *tables = db(DbId::Tables);
    if (!tables)
        return;
    AppState &state = appState();
    emit storeDetailsRequested();
    int added = 0;
    try {
        Record &table = tables->records().add();
        added = tables->records().count();
        const QString seats = m_peoplePer->text();
        tables->write(table, "ttag", QString());
        tables->write(table, "tabl", QString());
        tables->write(table, "maxs", seats);
        tables->write(table, "avai", seats);
        tables->write(table, "coun", QStringLiteral("0"));
    } catch (const StoreError &error) {
        // The database is full (65,535 tables): leave nothing behind.
        if (added > 0)
            removeTable(added);
        state.prompter().tell(error.description(), kProgramTitle, Prompter::Icon::Exclamation);
        return;
    }
    UpdateTableGrid();
    setTableRow(m_tables->rows() - 1);
    m_tables->setCol(1);
    state.selectedRecord = added;
    {
        frmTable editor(window());
        editor.exec();
    }
    if (state.cancelled) {
        removeTable(added);
        state.cancelled = false;
        return;
    }
    UpdateTableGrid();
    if (m_tables->row() >= 1)
        takeTableOfRow(m_tables->row());
    UpdateSeatingGrid();
    const int count = m_tables->rows() - 1;
    if (Numbers::numericValue(m_noTables->text()) < count)
        m_noTables->setText(QString::number(count));
    state.markPlanModified();
}

void SeatingTab::removeTable(int number) {
    if (PalmDatabase *tables = db(DbId::Tables)) {
        try {
            tables->records().remove(number);
        } catch (const StoreError &) {
        }
    }
    UpdateTableGrid();
    UpdateSeatingGrid();
}

void SeatingTab::deleteTable() {
    const int row = m_tables->row();
    const int number = m_tables->rowData(row);
    if (row < 1 || number < 1)
        return;
    AppState &state = appState();
    if (state.cancelled) {
        removeTable(number);
        return;
    }
    const auto answer =
        state.prompter().message(QStringLiteral("Are you sure you want to "
                                                "delete table ") +
                                     m_tables->text(row, 1) + u'?',
                                 kProgramTitle, Prompter::Icon::None, Prompter::Buttons::YesNo);
    if (answer != Prompter::Answer::Yes)
        return;
    PalmDatabase *tables = db(DbId::Tables);
    PalmDatabase *guests = db(DbId::Guest);
    const Record *table = tableRecord(number);
    if (!tables || !guests || !table)
        return;
    const QString tag = Seating::tableTag(*table);
    tables->records().remove(number);
    // Its guests are free again: they show up under "Add Person" instead of sitting at a
    // table nobody can see. A tag another table still carries keeps its guests.
    if (Seating::tablesWithTag(*tables, tag) == 0)
        Seating::unseatAll(*guests, tag);
    UpdateTableGrid();
    // Shown in the status bar too, so that the window never claims an unchanged plan.
    state.markPlanModified();
}

void SeatingTab::updateTable() {
    const int row = m_tables->row();
    const int number = m_tables->rowData(row);
    if (row < 1 || number < 1)
        return;
    AppState &state = appState();
    emit storeDetailsRequested();
    state.selectedRecord = number;
    {
        frmTable editor(window());
        editor.exec();
    }
    UpdateTableGrid();
    selectTable();
    state.cancelled = false;
    if (state.changed)
        state.markPlanModified();
}

// --- Guests ------------------------------------------------------------------------------------

void SeatingTab::offerGuests() {
    const PalmDatabase *guests = db(DbId::Guest);
    const Record *table = tableRecord(m_table);
    if (!guests || !table)
        return;
    if (Seating::tableTag(*table).isEmpty()) {
        // A table without an ID cannot hold anyone: guests find their table by its ID.
        appState().prompter().tell(QStringLiteral("You must enter a unique table ID."),
                                   kProgramTitle, Prompter::Icon::Exclamation);
        return;
    }
    // One pass over the guests: who waits for a seat, and their names.
    QStringList names{QStringLiteral("Cancel")};
    std::vector<int> records{0};
    const auto &all = guests->records().raw();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (Seating::isSeated(*all[i]))
            continue;
        names << fieldText(all[i]->fields(), "gnam");
        records.push_back(int(i) + 1);
    }
    m_addModel->fill(std::move(names), std::move(records));

    m_addList->setGeometry(Twips::toPixels(kListShownLeft), m_seating->y(), Twips::toPixels(3200),
                           std::max(m_seating->height(), 120));
    m_addList->show();
    m_addList->raise();
    m_addList->setCurrentIndex(m_addModel->index(0));
    m_addList->setFocus();
}

void SeatingTab::hideGuestList() {
    m_addList->hide();
    m_addList->move(Twips::toPixels(kListHiddenLeft), m_addList->y());
    if (m_addModel->rowCount() > 0)
        m_addModel->clear();
}

void SeatingTab::chooseGuest(int entry) {
    const int number = m_addModel->recordAt(entry);
    hideGuestList();
    // The first entry is "Cancel"; it is told apart by its place, so a guest who happens to be
    // named "Cancel" can still be seated.
    if (number < 1)
        return;
    PalmDatabase *tables = db(DbId::Tables);
    PalmDatabase *guests = db(DbId::Guest);
    Record *table = tableRecord(m_table);
    if (!tables || !guests || !table || number > guests->records().count())
        return;
    Record &guest = guests->records().item(number);
    if (Seating::isSeated(guest))
        return;
    AppState &state = appState();
    auto askToGrow = [&state] {
        return state.prompter().message(
                   QStringLiteral("Adding this guest will cause your table to exceed the "
                                  "number of available seats.  Do you want to adjust the "
                                  "maximum number of seats for this table and continue?"),
                   kProgramTitle, Prompter::Icon::Question,
                   Prompter::Buttons::YesNo) == Prompter::Answer::Yes;
    };
    try {
        if (Seating::seat(*tables, *table, *guests, guest, Seating::tableTag(*table), askToGrow) ==
            Seating::SeatResult::Seated)
            state.markPlanModified();
    } catch (const StoreError &) {
        // Whatever was written stays; the next recount of the table puts its numbers right.
        state.markPlanModified();
    }
    UpdateTableGrid();
    UpdateSeatingGrid();
}

void SeatingTab::removePerson() {
    const int row = m_seating->row();
    const int number = m_seating->rowData(row);
    if (row < 1 || number < 1)
        return;
    AppState &state = appState();
    const auto answer =
        state.prompter().message(QStringLiteral("Are you sure you want to remove ") +
                                     m_seating->text(row, 1) + QStringLiteral(" from this table?"),
                                 kProgramTitle, Prompter::Icon::Question, Prompter::Buttons::YesNo);
    if (answer != Prompter::Answer::Yes)
        return;
    PalmDatabase *tables = db(DbId::Tables);
    PalmDatabase *guests = db(DbId::Guest);
    if (!tables || !guests || number > guests->records().count())
        return;
    try {
        Seating::unseat(*tables, tableRecord(m_table), guests->records().item(number));
    } catch (const StoreError &) {
    }
    state.markPlanModified();
    UpdateTableGrid();
    UpdateSeatingGrid();
}

void SeatingTab::openSeatedGuest() {
    const int number = m_seating->rowData(m_seating->row());
    if (number < 1)
        return;
    AppState &state = appState();
    state.editorKind = 4;
    state.selectedRecord = number;
    {
        frmRecordEditor editor(window());
        editor.exec();
    }
    // The editor may have moved the guest or enlarged a table: both grids follow.
    UpdateTableGrid();
    UpdateSeatingGrid();
    m_host.planView().UpdateGuestGrid();
    state.cancelled = false;
    if (state.changed)
        state.markPlanModified();
}
