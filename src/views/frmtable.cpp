#include "frmtable.h"

#include "plan/plan.h"
#include "rules/details.h"
#include "store/prompter.h"
#include "widgets/twips.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

using namespace Schema;

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

} // namespace

frmTable::frmTable(const FormContext &forms, Record &table, bool isNew, QWidget *parent)
    : QDialog(parent)
    , m_forms(forms)
    , m_table(table)
    , m_isNew(isNew) {
    setObjectName(QStringLiteral("frmTable"));
    setWindowTitle(QStringLiteral("Table Details"));
    setModal(true);

    m_txtTableID = makeBox(this, QStringLiteral("txtTableID"));
    m_txtTableDesc = makeBox(this, QStringLiteral("txtTableDesc"));
    m_txtMaxSeats = makeBox(this, QStringLiteral("txtMaxSeats"));
    m_txtAvailSeats = makeBox(this, QStringLiteral("txtAvailSeats"));
    auto *ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *form = new QFormLayout;
    form->addRow(tr("Table &ID:"), m_txtTableID);
    form->addRow(tr("&Description:"), m_txtTableDesc);
    form->addRow(tr("&Max. Seats:"), m_txtMaxSeats);
    form->addRow(tr("&Avail. Seats:"), m_txtAvailSeats);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addStretch(1);
    main->addLayout(buttons);

    // Escape and the window frame cancel, as the Cancel button does.
    connect(ok, &QPushButton::clicked, this, &frmTable::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    load();
    resize(QSize(Twips::toPixels(kWidth), 0).expandedTo(minimumSizeHint()));
    m_txtTableID->setFocus();
}

void frmTable::load() {
    // A table without seats of its own shows the default people per table.
    const Record *details = DetailsRecord::find(m_forms.plan.db(DbId::Plan));
    const QString seats = details ? details->text(Details::kPeoplePerTable) : QString();
    const struct {
        FieldCode code;
        QLineEdit *box; // null: kept in the record, shown nowhere
        QString missing;
    } fields[] = {{Table::kTag, m_txtTableID, {}},
                  {Table::kDescription, m_txtTableDesc, {}},
                  {Table::kMaxSeats, m_txtMaxSeats, seats},
                  {Table::kAvailable, m_txtAvailSeats, seats},
                  {Table::kCount, nullptr, {}}};
    for (const auto &f : fields) {
        if (f.box)
            f.box->setText(m_table.has(f.code) ? m_table.text(f.code) : f.missing);
    }
    if (!m_isNew) {
        // An older table lacks fields: repair it now so OK can write them.
        m_forms.plan.applyQuietly([&](PlanEdit &edit) {
            for (const auto &f : fields)
                edit.addEmptyField(DbId::Tables, m_table, f.code);
        });
    }
}

void frmTable::refuse(QLineEdit *box, const QString &message) {
    m_forms.prompter.tell(message, kProgramTitle, Prompter::Icon::Exclamation);
    box->setFocus();
    box->selectAll();
}

bool frmTable::invalid() {
    Prompter &prompter = m_forms.prompter;
    switch (Seating::checkTableId(m_forms.plan.db(DbId::Tables), m_isNew ? nullptr : &m_table,
                                  m_txtTableID->text())) {
    case Seating::IdProblem::Empty:
        refuse(m_txtTableID, QStringLiteral("You must enter a unique table ID."));
        return true;
    case Seating::IdProblem::Taken:
        refuse(m_txtTableID, QStringLiteral("The entered table ID is already assigned to another "
                                            "table.  You must enter a unique table ID."));
        return true;
    case Seating::IdProblem::None:
        break;
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
    switch (Seating::checkSeatCount(m_txtMaxSeats->text())) {
    case Seating::SeatsProblem::NotANumber:
        if (!clearOrStop(m_txtMaxSeats, QStringLiteral("maximum"), QString()))
            return true;
        break;
    case Seating::SeatsProblem::NotWhole:
    case Seating::SeatsProblem::OutOfRange:
        // A number, but no number of seats: say what is allowed rather than call it no number.
        refuse(m_txtMaxSeats, tr("A table has a whole number of seats, from 0 to %1.")
                                  .arg(QLocale().toString(32767)));
        return true;
    case Seating::SeatsProblem::None:
        break;
    }
    if (!m_txtAvailSeats->text().isEmpty() && !isNumber(m_txtAvailSeats->text()) &&
        !clearOrStop(m_txtAvailSeats, QStringLiteral("available"), QStringLiteral("0")))
        return true;
    return false;
}

Seating::TableValues frmTable::values() const {
    return {m_txtTableID->text(), m_txtTableDesc->text(), m_txtMaxSeats->text()};
}

void frmTable::cmdOK_Click() {
    if (!invalid())
        accept();
}
