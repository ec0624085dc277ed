#include "pricingtab.h"

#include "rules/money.h"
#include "store/prompter.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

using Schema::DbId;

namespace {

const QString kClearDate = QStringLiteral("Clear Date");
const QString kEnableDate = QStringLiteral("Enable Date");

QLineEdit *moneyBox(QWidget *parent, const QString &name) {
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return box;
}

QDateEdit *datePicker(QWidget *parent, const QString &name) {
    auto *picker = new QDateEdit(parent);
    picker->setObjectName(name);
    picker->setCalendarPopup(true);
    // The user's short format, with the year in full so no date reads as another century.
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    picker->setDisplayFormat(format);
    picker->setDate(QDate::currentDate());
    return picker;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

PricingTab::PricingTab(Prompter &prompter, QWidget *parent)
    : QWidget(parent)
    , m_prompter(prompter) {
    m_price = moneyBox(this, QStringLiteral("txtPrice"));
    m_finalDate = datePicker(this, QStringLiteral("txtDueDate"));
    m_editFinal = button(this, QStringLiteral("cmdEditFinal"), kClearDate);
    m_down = moneyBox(this, QStringLiteral("txtDownPayment"));
    m_paid = new QCheckBox(QStringLiteral("Down Payment Paid"), this);
    m_paid->setObjectName(QStringLiteral("chkPaid"));
    m_next = moneyBox(this, QStringLiteral("txtNextPayment"));
    m_nextDate = datePicker(this, QStringLiteral("txtNextDueDate"));
    m_editNext = button(this, QStringLiteral("cmdNextDate"), kClearDate);
    m_balance = moneyBox(this, QStringLiteral("txtBalanceDue"));
    m_recalc = button(this, QStringLiteral("cmdRecalc"), QStringLiteral("Recalculate Balance"));

    auto *grid = new QGridLayout(this);
    auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(QStringLiteral("Contract Price: $"), m_price), 0, 0);
    grid->addWidget(m_price, 0, 1);
    grid->addWidget(label(QStringLiteral("Final Due Date:"), m_finalDate), 0, 2);
    grid->addWidget(m_finalDate, 0, 3);
    grid->addWidget(m_editFinal, 1, 3);
    grid->addWidget(label(QStringLiteral("Down Payment: $"), m_down), 2, 0);
    grid->addWidget(m_down, 2, 1);
    grid->addWidget(m_paid, 2, 2, 1, 2);
    grid->addWidget(label(QStringLiteral("Next Payment:  $"), m_next), 3, 0);
    grid->addWidget(m_next, 3, 1);
    grid->addWidget(label(QStringLiteral("Next Due Date:"), m_nextDate), 3, 2);
    grid->addWidget(m_nextDate, 3, 3);
    grid->addWidget(m_editNext, 4, 3);
    grid->addWidget(label(QStringLiteral("Balance Due:   $"), m_balance), 5, 0);
    grid->addWidget(m_balance, 5, 1);
    grid->addWidget(m_recalc, 5, 2, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(6, 1);

    setTabOrder(m_price, m_finalDate);
    setTabOrder(m_finalDate, m_editFinal);
    setTabOrder(m_editFinal, m_down);
    setTabOrder(m_down, m_paid);
    setTabOrder(m_paid, m_next);
    setTabOrder(m_next, m_nextDate);
    setTabOrder(m_nextDate, m_editNext);
    setTabOrder(m_editNext, m_balance);
    setTabOrder(m_balance, m_recalc);

    for (QLineEdit *box : {m_price, m_down, m_next, m_balance})
        box->installEventFilter(this);
    connect(m_recalc, &QPushButton::clicked, this, &PricingTab::recalculate);
    connect(m_editFinal, &QPushButton::clicked, this,
            [this] { toggleDate(m_finalDate, m_editFinal); });
    connect(m_editNext, &QPushButton::clicked, this,
            [this] { toggleDate(m_nextDate, m_editNext); });
}

QString PricingTab::ValidatePrice(const QString &text) {
    const Money::CheckedPrice checked = Money::validatePrice(text);
    if (checked.substituted) {
        m_prompter.tell(Money::notANumberMessage(), QStringLiteral("Data Type Error"),
                        Prompter::Icon::Exclamation);
    }
    return checked.text;
}

bool PricingTab::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusOut && !m_validating) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Another window or a context menu taking the focus is not leaving the box.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (auto *box = qobject_cast<QLineEdit *>(watched)) {
                m_validating = true;
                const QString checked = ValidatePrice(box->text());
                if (checked != box->text())
                    box->setText(checked);
                m_validating = false;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PricingTab::recalculate() {
    m_balance->setText(Money::balanceText(m_price->text(), m_down->text(), m_next->text()));
}

void PricingTab::setDateState(QDateEdit *picker, QPushButton *button, bool enabled) {
    picker->setEnabled(enabled);
    button->setText(enabled ? kClearDate : kEnableDate);
}

void PricingTab::toggleDate(QDateEdit *picker, QPushButton *button) {
    setDateState(picker, button, !picker->isEnabled());
}

// --- Loading and saving ----------------------------------------------------------------------

void PricingTab::loadDate(const Record &vendor, FieldCode code, QDateEdit *picker,
                          QPushButton *button, const QDate &fallback, QTime &loadedTime) {
    loadedTime = QTime();
    if (fallback.isValid())
        picker->setDate(fallback);
    const Field *field = vendor.fields().find(code);
    setDateState(picker, button, field != nullptr);
    if (!field)
        return;
    const QDate date = Money::dateOf(vendor, code);
    if (!date.isValid())
        return; // present but unreadable: the picker offers its start date
    picker->setDate(date);
    if (field->value().type() == FieldValue::Type::DateTime)
        loadedTime = field->value().toTime();
}

void PricingTab::load(const Record &vendor, const QDate &weddingDay) {
    using namespace Schema;
    m_price->setText(vendor.text(Vendor::kPrice));
    loadDate(vendor, Vendor::kFinalDue, m_finalDate, m_editFinal, weddingDay, m_finalTime);
    m_down->setText(vendor.text(Vendor::kDown));
    m_next->setText(vendor.text(Vendor::kNext));
    loadDate(vendor, Vendor::kNextDue, m_nextDate, m_editNext, QDate::currentDate(), m_nextTime);
    m_balance->setText(vendor.text(Vendor::kBalance));
    m_paid->setChecked(vendor.value(Vendor::kPaid).toBool());
}

FieldEntry PricingTab::dateEntry(FieldCode code, const QDateEdit *picker, const QTime &time) {
    if (!picker->isEnabled())
        return {code, std::nullopt, FieldKind::Date};
    // A time of day the handheld stored stays with the date.
    return {code, FieldValue(picker->date(), time.isValid() ? time : QTime(0, 0)), FieldKind::Date};
}

std::vector<FieldEntry> PricingTab::entries() {
    using namespace Schema;
    recalculate();
    // A box left with "$1,500" in it is stored as 1500, so lists and totals read the amount
    // the user meant; a non-number is stored as typed.
    auto money = [](FieldCode code, const QLineEdit *box) {
        return FieldEntry{code, FieldValue(Money::storedMoneyText(box->text()))};
    };
    return {money(Vendor::kPrice, m_price),
            dateEntry(Vendor::kFinalDue, m_finalDate, m_finalTime),
            money(Vendor::kDown, m_down),
            money(Vendor::kNext, m_next),
            dateEntry(Vendor::kNextDue, m_nextDate, m_nextTime),
            {Vendor::kBalance, FieldValue(m_balance->text())},
            {Vendor::kPaid, FieldValue(m_paid->isChecked()), FieldKind::Boolean}};
}
