#include "budgettab.h"

#include "plan/plan.h"
#include "rules/details.h"
#include "rules/displayforms.h"
#include "store/prompter.h"
#include "widgets/twips.h"

#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

using namespace Schema;

namespace {

enum Column { Service, Budgeted, Committed, Paid, Due, Left, Status, ColumnCount };

const char *const kHeaders[ColumnCount] = {"Service",   "Budgeted", "Committed", "Paid",
                                           "Still due", "Left",     "Status"};

QString noService() {
    return QStringLiteral("(no service)");
}

} // namespace

// The budget's lines: one per service, the total last. Made from the sheet when shown; the
// Budgeted cell of a named service and of the total can be edited.
class BudgetModel : public QAbstractTableModel {
public:
    using Entered = std::function<bool(const std::optional<QString> &service, const QString &)>;

    BudgetModel(Entered entered, QObject *parent)
        : QAbstractTableModel(parent)
        , m_entered(std::move(entered)) {}

    const Budget::Sheet &sheet() const { return m_sheet; }
    void setSheet(Budget::Sheet sheet) {
        beginResetModel();
        m_sheet = std::move(sheet);
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : int(m_sheet.services.size()) + 1;
    }
    int columnCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : ColumnCount;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < ColumnCount)
            return QObject::tr(kHeaders[section]);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        // A budget belongs to a named service or to the whole plan.
        if (index.column() == Budgeted &&
            (isTotal(index.row()) || !line(index.row()).service.isEmpty()))
            f |= Qt::ItemIsEditable;
        return f;
    }
    QVariant data(const QModelIndex &index, int role) const override {
        if (!index.isValid())
            return {};
        const Budget::Line &l = line(index.row());
        const bool total = isTotal(index.row());
        switch (role) {
        case Qt::DisplayRole:
            return text(l, total, index.column());
        case Qt::EditRole:
            return index.column() == Budgeted && l.budgeted && !(total && m_sheet.totalFromServices)
                       ? TextForms::moneyFromCents(*l.budgeted, QLocale())
                       : QString();
        case Qt::TextAlignmentRole:
            return index.column() == Service || index.column() == Status
                       ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                       : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        case Qt::FontRole: {
            if (!total && !(l.overspent() && (index.column() == Left || index.column() == Status)))
                return {};
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        case Qt::ForegroundRole:
            // Colour only repeats what the Status column says in words.
            if (l.overspent() && (index.column() == Left || index.column() == Status))
                return QColor(Qt::darkRed);
            return {};
        case Qt::ToolTipRole:
            if (index.column() == Service && !total && !l.listed)
                return QObject::tr("Not on the service list: a budget typed here adds it.");
            if (index.column() == Budgeted && total && m_sheet.totalFromServices)
                return QObject::tr("No total budget is set: this is the sum of the services' "
                                   "budgets.");
            return {};
        default:
            return {};
        }
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override {
        if (role != Qt::EditRole || index.column() != Budgeted)
            return false;
        const std::optional<QString> service =
            isTotal(index.row()) ? std::nullopt : std::optional(line(index.row()).service);
        // Taken once the view is done with its editor: the step rebuilds these lines.
        QTimer::singleShot(
            0, this, [this, service, typed = value.toString()] { m_entered(service, typed); });
        return true;
    }

private:
    bool isTotal(int row) const { return row >= int(m_sheet.services.size()); }
    const Budget::Line &line(int row) const {
        return isTotal(row) ? m_sheet.total : m_sheet.services[std::size_t(row)];
    }
    QString text(const Budget::Line &l, bool total, int column) const {
        const QLocale locale;
        auto amount = [&locale](std::optional<qint64> cents) {
            return cents ? TextForms::moneyFromCents(*cents, locale) : QString();
        };
        switch (column) {
        case Service:
            return total ? QObject::tr("Total") : l.service.isEmpty() ? noService() : l.service;
        case Budgeted:
            return amount(l.budgeted);
        case Committed:
            return amount(l.committed);
        case Paid:
            return amount(l.paid);
        case Due:
            return amount(l.due());
        case Left:
            return amount(l.left());
        case Status:
            return l.overspent() ? QObject::tr("Over budget") : QString();
        default:
            return {};
        }
    }

    Entered m_entered;
    Budget::Sheet m_sheet;
};

BudgetTab::BudgetTab(const FormContext &forms, TabHost &host, QWidget *parent)
    : ListTab(forms, host, parent) {
    m_total = new QLineEdit(this);
    m_total->setObjectName(QStringLiteral("txtBudget"));
    m_total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_total->setMinimumWidth(Twips::toPixels(1800));
    m_total->setPlaceholderText(tr("none"));
    addToTop(m_total, tr("Total &budget:"));

    m_model = new BudgetModel([this](const std::optional<QString> &service,
                                     const QString &typed) { return enterBudget(service, typed); },
                              this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("BudgetGrid"));
    m_grid->setAccessibleName(tr("budget"));
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_grid->verticalHeader()->hide();
    m_grid->setWordWrap(false);
    m_grid->horizontalHeader()->setSectionResizeMode(Service, QHeaderView::Stretch);
    for (int c = Budgeted; c < ColumnCount; ++c)
        m_grid->setColumnWidth(c, Twips::toPixels(c == Status ? 1600 : 1300));
    pageLayout()->addWidget(m_grid, 1);

    auto *note = new QLabel(
        tr("Committed: the prices of the confirmed vendors.  Paid: their down payments marked "
           "paid.  Type a service's budget into its Budgeted cell."),
        this);
    note->setWordWrap(true);
    pageLayout()->addWidget(note);

    connect(m_total, &QLineEdit::editingFinished, this, &BudgetTab::totalEdited);
    connect(&forms.plan, &Plan::changed, this, [this](const PlanChange &change) {
        if (change.touches(DbId::Vendors) || change.touches(DbId::VenTypes) ||
            change.touches(DbId::Plan))
            UpdateBudget();
    });
    connect(&forms.plan, &Plan::reset, this, &BudgetTab::UpdateBudget);
    UpdateBudget();
}

const Budget::Sheet &BudgetTab::sheet() const {
    return m_model->sheet();
}

void BudgetTab::UpdateBudget() {
    const Plan &plan = m_forms.plan;
    if (!plan.isOpen()) {
        m_model->setSheet({});
    } else {
        m_model->setSheet(
            Budget::compute(plan.db(DbId::Vendors), plan.db(DbId::VenTypes), plan.db(DbId::Plan)));
    }
    if (!m_checking)
        showTotal();
}

void BudgetTab::showTotal() {
    const std::optional<qint64> total =
        m_forms.plan.isOpen()
            ? Budget::storedAmount(DetailsRecord::find(m_forms.plan.db(DbId::Plan)),
                                   Details::kBudget)
            : std::nullopt;
    m_total->setText(total ? TextForms::moneyFromCents(*total, QLocale()) : QString());
}

void BudgetTab::totalEdited() {
    if (m_checking)
        return;
    QScopedValueRollback checking(m_checking, true);
    enterBudget(std::nullopt, m_total->text());
    showTotal();
}

bool BudgetTab::enterBudget(const std::optional<QString> &service, const QString &typed) {
    if (!m_forms.plan.isOpen())
        return false;
    QString stored;
    if (!typed.trimmed().isEmpty()) {
        const TextForms::MoneyReading reading =
            TextForms::readMoney(typed, QLocale(), TextForms::Negative::Refused);
        if (!reading.ok()) {
            // Said once the box or the cell has let go of the text, which stays as it was.
            const QString message = TextForms::moneyErrorMessage(reading.error) +
                                    QStringLiteral("  The budget is left as it was.");
            QTimer::singleShot(0, this, [this, message] {
                m_forms.prompter.tell(message, QStringLiteral("Data Type Error"),
                                      Prompter::Icon::Exclamation);
            });
            return false;
        }
        stored = reading.stored;
    }
    const QString step = service ? tr("Set Budget for %1").arg(*service) : tr("Set Budget");
    try {
        m_forms.plan.apply(step, [&](PlanEdit &edit) {
            if (service)
                Budget::setForService(edit, *service, stored);
            else
                Budget::setTotal(edit, stored);
        });
    } catch (const StoreError &error) {
        m_forms.prompter.tell(error.description(), kProgramTitle, Prompter::Icon::Exclamation);
        return false;
    }
    return true;
}
