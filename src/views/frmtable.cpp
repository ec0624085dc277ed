#include "frmtable.h"

#include "rules/seating.h"
#include "store/appstate.h"
#include "store/numbers.h"
#include "widgets/twips.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

using Schema::DbId;

namespace {

constexpr int kWidth = 4200; // twips

QLineEdit *makeBox(QWidget *parent, const QString &name) {
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

// A number as the user may type one: blanks around it, a sign, a decimal point, an exponent.
bool isNumber(const QString &text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value);
}

// A seat count the tables and the handheld can hold: from none up to the 16-bit limit. An
// absurd maximum would only be cut down by the next recount.
bool isSeatCount(const QString &text) {
    if (!isNumber(text))
        return false;
    const double value = QLocale::c().toDouble(text.trimmed());
    return value >= 0 && value <= std::numeric_limits<qint16>::max();
}

// The default people per table of the details record, for a table that has no seats yet.
QString defaultSeats() {
    try {
        PalmDatabase &plan = appState().set.db(DbId::Plan);
        if (plan.records().count() >= 1)
            return plan.records().item(1).text("ptab");
    } catch (const StoreError &) {
    }
    return {};
}

} // namespace

frmTable::frmTable(QWidget *parent)
    : QDialog(parent)
    , m_index(appState().selectedRecord) {
    setObjectName(QStringLiteral("frmTable"));
    setWindowTitle(QStringLiteral("Table Details"));
    setModal(true);

    m_txtTableID = makeBox(this, QStringLiteral("txtTableID"));
    m_txtTableDesc = makeBox(this, QStringLiteral("txtTableDesc"));
    m_txtMaxSeats = makeBox(this, QStringLiteral("txtMaxSeats"));
    m_txtAvailSeats = makeBox(this, QStringLiteral("txtAvailSeats"));
    m_cmdOK = new QPushButton(tr("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = new QPushButton(tr("Cancel"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *form = new QFormLayout;
    form->addRow(tr("Table &ID:"), m_txtTableID);
    form->addRow(tr("&Description:"), m_txtTableDesc);
    form->addRow(tr("&Max. Seats:"), m_txtMaxSeats);
    form->addRow(tr("&Avail. Seats:"), m_txtAvailSeats);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addStretch(1);
    main->addLayout(buttons);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmTable::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmTable::cmdCancel_Click);

    // Until OK says otherwise, the caller treats the dialog as cancelled.
    appState().cancelled = true;
    load();
    resize(QSize(Twips::toPixels(kWidth), 0).expandedTo(minimumSizeHint()));
    m_txtTableID->setFocus();
}

Record *frmTable::table() const {
    try {
        PalmDatabase &tables = appState().set.db(DbId::Tables);
        if (m_index >= 1 && m_index <= tables.records().count())
            return &tables.records().item(m_index);
    } catch (const StoreError &) {
    }
    return nullptr;
}

void frmTable::load() {
    Record *rec = table();
    if (!rec)
        return;
    PalmDatabase &tables = appState().set.db(DbId::Tables);
    const QString seats = defaultSeats();
    const struct {
        FieldCode code;
        QLineEdit *box; // null: kept in the record, shown nowhere
        QString missing;
    } fields[] = {{Seating::kTag, m_txtTableID, {}},
                  {"tabl", m_txtTableDesc, {}},
                  {Seating::kMaxSeats, m_txtMaxSeats, seats},
                  {Seating::kAvailable, m_txtAvailSeats, seats},
                  {Seating::kCount, nullptr, {}}};
    for (const auto &f : fields) {
        try {
            if (!rec->has(f.code)) {
                // An older table lacks the field: repair it so OK can write it.
                tables.fieldList().add(f.code);
                rec->fields().add(f.code);
                if (f.box)
                    f.box->setText(f.missing);
            } else if (f.box) {
                f.box->setText(rec->text(f.code));
            }
        } catch (const StoreError &) {
            // A field that cannot be read shows empty.
        }
    }
}

void frmTable::refuse(QLineEdit *box, const QString &message) {
    appState().prompter().tell(message, kProgramTitle, Prompter::Icon::Exclamation);
    box->setFocus();
    box->selectAll();
}

bool frmTable::invalid() {
    Prompter &prompter = appState().prompter();
    // A blank ID is no ID: guests hold the trimmed ID, and an empty one seats nobody.
    const QString id = m_txtTableID->text().trimmed();
    if (id.isEmpty()) {
        refuse(m_txtTableID, QStringLiteral("You must enter a unique table ID."));
        return true;
    }
    try {
        const PalmDatabase &tables = appState().set.db(DbId::Tables);
        for (int i = 1; i <= tables.records().count(); ++i) {
            if (i != m_index && Seating::tableTag(tables.records().item(i)) == id) {
                refuse(m_txtTableID,
                       QStringLiteral("The entered table ID is already assigned to another "
                                      "table.  You must enter a unique table ID."));
                return true;
            }
        }
    } catch (const StoreError &) {
    }
    auto clearOrStop = [&](QLineEdit *box, const QString &what, const QString &cleared) {
        const auto answer = prompter.message(
            QStringLiteral("The entered value for the ") + what +
                QStringLiteral(" number of seat is not a valid number.  Do you want to clear "
                               "this entry and continue?"),
            kProgramTitle, Prompter::Icon::Question, Prompter::Buttons::YesNo);
        if (answer != Prompter::Answer::Yes) {
            box->setFocus();
            box->selectAll();
            return false;
        }
        box->setText(cleared);
        return true;
    };
    if (!m_txtMaxSeats->text().isEmpty() && !isSeatCount(m_txtMaxSeats->text()) &&
        !clearOrStop(m_txtMaxSeats, QStringLiteral("maximum"), QString()))
        return true;
    if (!m_txtAvailSeats->text().isEmpty() && !isNumber(m_txtAvailSeats->text()) &&
        !clearOrStop(m_txtAvailSeats, QStringLiteral("available"), QStringLiteral("0")))
        return true;
    return false;
}

void frmTable::cmdOK_Click() {
    AppState &state = appState();
    state.cancelled = false;
    if (invalid())
        return;
    if (Record *rec = table()) {
        try {
            PalmDatabase &tables = state.set.db(DbId::Tables);
            PalmDatabase &guests = state.set.db(DbId::Guest);
            const QString oldTag = Seating::tableTag(*rec);
            const QString newTag = m_txtTableID->text().trimmed();
            tables.write(*rec, Seating::kTag, m_txtTableID->text());
            tables.write(*rec, "tabl", m_txtTableDesc->text());
            tables.write(*rec, Seating::kMaxSeats, m_txtMaxSeats->text());
            // The guests seated here follow the table to its new ID rather than being left at
            // a table that no longer exists. An old ID another table shares stays with it.
            if (oldTag != newTag && Seating::tablesWithTag(tables, oldTag) == 0)
                Seating::moveGuests(guests, oldTag, newTag);
            const double free = Numbers::numericValue(m_txtMaxSeats->text()) -
                                Seating::seatedPeople(guests, newTag);
            tables.write(*rec, Seating::kAvailable, Numbers::numberText(free));
        } catch (const StoreError &) {
            // What could be written stays written; the rest is put right by the next recount.
        }
    }
    state.changed = true;
    accept();
}

// Closing by the frame or Escape goes through reject() alone and leaves the cancelled flag as
// the load set it.
void frmTable::cmdCancel_Click() {
    appState().cancelled = true;
    reject();
}
