#include "pricingtab.h"

#include "rules/displayforms.h"
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
#include <QStyle>
#include <QStyleOptionFrame>

using Schema::DbId;

namespace {

// The two date buttons read alike; each has its own access key and a name that tells them
// apart to a screen reader.
struct DateButton {
    const char *clear;
    const char *enable;
    const char *date;
};
constexpr DateButton kFinalButton{"Cl&ear Date", "&Enable Date", "Final Due Date"};
constexpr DateButton kNextButton{"Cle&ar Date", "En&able Date", "Next Due Date"};

const DateButton &captionsOf(const QPushButton *button) {
    return button->objectName() == u"cmdEditFinal" ? kFinalButton : kNextButton;
}

QLineEdit *moneyBox(QWidget *parent, const QString &name) {
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Wide enough for a price of seven digits and cents, in the user's writing and font.
    const QString widest = TextForms::money(QStringLiteral("-9999999.99"), QLocale());
    QStyleOptionFrame option;
    option.initFrom(box);
    const QMargins margins = box->textMargins();
    const QSize text(box->fontMetrics().horizontalAdvance(widest) + margins.left() +
                         margins.right() + 2 * box->fontMetrics().averageCharWidth(),
                     box->sizeHint().height());
    box->setMinimumWidth(
        box->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, box).width());
    return box;
}

QDateEdit *datePicker(QWidget *parent, const QString &name) {
    auto *picker = new QDateEdit(parent);
    picker->setObjectName(name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(TextForms::dateFormat(QLocale()));
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
    m_editFinal = button(this, QStringLiteral("cmdEditFinal"), tr(kFinalButton.clear));
    m_down = moneyBox(this, QStringLiteral("txtDownPayment"));
    m_paid = new QCheckBox(tr("Down Pa&yment Paid"), this);
    m_paid->setObjectName(QStringLiteral("chkPaid"));
    m_next = moneyBox(this, QStringLiteral("txtNextPayment"));
    m_nextDate = datePicker(this, QStringLiteral("txtNextDueDate"));
    m_editNext = button(this, QStringLiteral("cmdNextDate"), tr(kNextButton.clear));
    m_balance = moneyBox(this, QStringLiteral("txtBalanceDue"));
    m_recalc = button(this, QStringLiteral("cmdRecalc"), tr("&Recalculate Balance"));

    auto *grid = new QGridLayout(this);
    auto label = [this](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(tr("Contract &Price: $"), m_price), 0, 0);
    grid->addWidget(m_price, 0, 1);
    grid->addWidget(label(tr("&Final Due Date:"), m_finalDate), 0, 2);
    grid->addWidget(m_finalDate, 0, 3);
    grid->addWidget(m_editFinal, 1, 3);
    grid->addWidget(label(tr("Do&wn Payment: $"), m_down), 2, 0);
    grid->addWidget(m_down, 2, 1);
    grid->addWidget(m_paid, 2, 2, 1, 2);
    grid->addWidget(label(tr("&Next Payment:  $"), m_next), 3, 0);
    grid->addWidget(m_next, 3, 1);
    grid->addWidget(label(tr("Next D&ue Date:"), m_nextDate), 3, 2);
    grid->addWidget(m_nextDate, 3, 3);
    grid->addWidget(m_editNext, 4, 3);
    grid->addWidget(label(tr("&Balance Due:   $"), m_balance), 5, 0);
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
                const QString checked = shownMoney(ValidatePrice(box->text()));
                if (checked != box->text())
                    box->setText(checked);
                m_validating = false;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString PricingTab::shownMoney(const QString &stored) {
    return TextForms::money(stored, QLocale());
}

void PricingTab::setMoney(QLineEdit *box, const QString &stored) {
    m_loaded[box] = stored;
    box->setText(shownMoney(stored));
}

QString PricingTab::storedMoney(const QLineEdit *box) const {
    // A box the user left as it was loaded keeps its stored text exactly, so an OK without
    // changes changes nothing.
    const auto loaded = m_loaded.constFind(box);
    if (loaded != m_loaded.cend() && box->text() == shownMoney(*loaded))
        return *loaded;
    return Money::storedMoneyText(box->text());
}

void PricingTab::recalculate() {
    const QString balance =
        Money::balanceText(storedMoney(m_price), storedMoney(m_down), storedMoney(m_next));
    if (balance != storedMoney(m_balance))
        m_balance->setText(shownMoney(balance));
}

void PricingTab::setDateState(QDateEdit *picker, QPushButton *button, bool enabled) {
    picker->setEnabled(enabled);
    const DateButton &captions = captionsOf(button);
    button->setText(tr(enabled ? captions.clear : captions.enable));
    button->setAccessibleName((enabled ? tr("Clear %1") : tr("Enable %1")).arg(tr(captions.date)));
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
    setMoney(m_price, vendor.text(Vendor::kPrice));
    loadDate(vendor, Vendor::kFinalDue, m_finalDate, m_editFinal, weddingDay, m_finalTime);
    setMoney(m_down, vendor.text(Vendor::kDown));
    setMoney(m_next, vendor.text(Vendor::kNext));
    loadDate(vendor, Vendor::kNextDue, m_nextDate, m_editNext, QDate::currentDate(), m_nextTime);
    setMoney(m_balance, vendor.text(Vendor::kBalance));
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
    auto money = [this](FieldCode code, const QLineEdit *box) {
        return FieldEntry{code, FieldValue(storedMoney(box))};
    };
    return {money(Vendor::kPrice, m_price),
            dateEntry(Vendor::kFinalDue, m_finalDate, m_finalTime),
            money(Vendor::kDown, m_down),
            money(Vendor::kNext, m_next),
            dateEntry(Vendor::kNextDue, m_nextDate, m_nextTime),
            money(Vendor::kBalance, m_balance),
            {Vendor::kPaid, FieldValue(m_paid->isChecked()), FieldKind::Boolean}};
}
