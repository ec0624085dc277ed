#include "guesttab.h"

#include "editors/categorylists.h"
#include "plan/plan.h"
#include "rules/guestcount.h"
#include "rules/newrecords.h"
#include "store/prompter.h"
#include "views/columns.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Schema;

namespace {

const QString kAll = QStringLiteral("All");
const QString kGiftsView = QStringLiteral("GIFTS");
const QString kEditEntry = QStringLiteral("Edit...");

std::vector<ListColumn> guestColumns() {
    return {Columns::field(QObject::tr("Name"), Guest::kName, true),
            Columns::field(QObject::tr("Relation"), Guest::kRelation),
            Columns::reply(QObject::tr("Status")),
            Columns::number(QObject::tr("RSVP"), Guest::kRsvp),
            Columns::field(QObject::tr("Address"), Guest::kAddress),
            Columns::field(QObject::tr("City"), Guest::kCity),
            Columns::field(QObject::tr("State"), Guest::kState),
            Columns::field(QObject::tr("Phone"), Guest::kPhone),
            Columns::field(QObject::tr("E-Mail"), Guest::kEmail),
            Columns::extra(QObject::tr("Table"), Guest::kTable),
            Columns::extra(QObject::tr("Zip"), Guest::kZip),
            Columns::extra(QObject::tr("Country"), Guest::kCountry),
            Columns::extra(QObject::tr("Notes"), Guest::kNote),
            Columns::extra(QObject::tr("Meal"), Guest::kMeal),
            Columns::extra(QObject::tr("Dietary Note"), Guest::kDiet)};
}

std::vector<ListColumn> giftColumns() {
    ListColumn thanked;
    thanked.header = QObject::tr("Thank You");
    thanked.text = [](const Record &r) {
        return r.value(Guest::kThanked).toBool() ? QStringLiteral("SENT") : QString();
    };
    return {Columns::field(QObject::tr("Name"), Guest::kName, true),
            Columns::field(QObject::tr("Relation"), Guest::kRelation),
            Columns::field(QObject::tr("Gift"), Guest::kGift),
            thanked,
            Columns::field(QObject::tr("Address"), Guest::kAddress),
            Columns::field(QObject::tr("City"), Guest::kCity),
            Columns::field(QObject::tr("State"), Guest::kState),
            Columns::field(QObject::tr("Phone"), Guest::kPhone),
            Columns::field(QObject::tr("E-Mail"), Guest::kEmail)};
}

} // namespace

GuestTab::GuestTab(const FormContext &forms, TabHost &host, QWidget *parent)
    : PersonListTab(forms, host, RecordKind::Guest, parent)
    , m_shownMeal(kAll)
    , m_shownRelation(kAll) {
    QComboBox *relation = addFilterBox(QStringLiteral("cmbGuests"), tr("Re&lation:"), true);
    m_status = addFilterBox(QStringLiteral("cmbGuestStatus"), tr("&Status:"), false);
    m_meal = addFilterBox(QStringLiteral("cmbGuestMeal"), tr("&Meal:"), true);
    QPushButton *add = addButton(QStringLiteral("cmdAddGuest"), tr("&Add Person"));
    QPushButton *remove = addButton(QStringLiteral("cmdDeleteGuest"), tr("&Delete Person"));
    QPushButton *count = addButton(QStringLiteral("cmdGuestCount"), tr("Guest &Count"));
    setUpList(relation, QStringLiteral("GuestGrid"), QStringLiteral("Guest"), guestColumns(),
              tr("guest list"));
    m_model->setSearchFields({Guest::kNote, Guest::kDiet});
    m_model->setFilter([this](const Record &r) {
        // The gifts view lists every guest with a gift, whatever the filters.
        if (m_giftsShown)
            return !r.text(Guest::kGift).isEmpty();
        // A meal is matched as the relation is: exactly, a missing one reading empty. The
        // reply is read only when a status is chosen: most refreshes show every guest.
        return (m_shownRelation == kAll || r.text(Guest::kRelation) == m_shownRelation) &&
               (m_shownStatus == Replies::Status::All ||
                Replies::passes(m_shownStatus, Replies::replyOf(r))) &&
               (m_shownMeal == kAll || r.text(Guest::kMeal) == m_shownMeal);
    });
    fillFixedBox(m_status, Replies::guestStatusTexts());

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblGuestSummary"));
    m_summary->setAccessibleName(tr("Guest summary"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pageLayout()->addWidget(m_summary);

    installTypeAhead(m_meal, m_forms.plan, QStringLiteral("meal"));
    connect(m_meal, &QComboBox::activated, this, &GuestTab::UpdateGuestGrid);
    if (QLineEdit *edit = m_meal->lineEdit())
        connect(edit, &QLineEdit::editingFinished, this, &GuestTab::UpdateGuestGrid);
    connect(m_status, &QComboBox::activated, this, &GuestTab::UpdateGuestGrid);
    connect(&m_forms.plan, &Plan::changed, this, &GuestTab::planChanged);
    connect(&m_forms.plan, &Plan::reset, this, &GuestTab::recount);
    connect(add, &QPushButton::clicked, this, &GuestTab::addPerson);
    connect(remove, &QPushButton::clicked, this, &GuestTab::deletePerson);
    connect(count, &QPushButton::clicked, this, &GuestTab::showGuestCount);
}

void GuestTab::UpdateGuestGrid() {
    // "GIFTS" in the relation box names the gifts view, not a relation: every refresh while
    // it is shown keeps the gift list. Choosing anything else in the box leaves the view.
    if (m_giftsShown) {
        if (m_relation->currentText() == kGiftsView) {
            m_model->refresh();
            return;
        }
        setGiftsShown(false);
    }
    if (relationEditorRequested() || editCategoriesIfAsked(m_meal, CategoryKind::Meals))
        return;
    m_shownRelation = m_relation->currentText();
    m_shownStatus = Replies::statusOf(m_status->currentText());
    m_shownMeal = m_meal->currentText();
    m_model->refresh();
}

void GuestTab::fillFilterBoxes() {
    setGiftsShown(false);
    fillCategoryBox(m_relation, m_forms.plan, CategoryKind::Relations);
    fillFixedBox(m_status, Replies::guestStatusTexts());
    fillMealBox();
    recount();
    UpdateGuestGrid();
}

void GuestTab::fillMealBox() {
    m_meals = categoryNames(m_forms.plan.set(), CategoryKind::Meals);
    fillFixedBox(m_meal, QStringList{kAll} + m_meals + QStringList{kEditEntry});
}

void GuestTab::recount() {
    m_meals = categoryNames(m_forms.plan.set(), CategoryKind::Meals);
    m_tally.setMeals(m_meals);
    if (m_forms.plan.isOpen())
        m_tally.recount(m_forms.plan.db(DbId::Guest));
    else
        m_tally.recount(PalmDatabase());
    showSummary();
}

void GuestTab::planChanged(const PlanChange &change) {
    if (!m_forms.plan.isOpen())
        return;
    // The meal list lives in the details record: the counts and the box follow an edit of it
    // (an undo included), the box keeping the meal it shows.
    if (change.touches(DbId::Plan) &&
        categoryNames(m_forms.plan.set(), CategoryKind::Meals) != m_meals) {
        const QString shown = m_meal->currentText();
        fillMealBox();
        setBoxText(m_meal, shown);
        recount();
        return;
    }
    if (!change.touches(DbId::Guest))
        return;
    const PalmDatabase &guests = m_forms.plan.db(DbId::Guest);
    if (change.rowsChanged(DbId::Guest)) {
        m_tally.recount(guests);
    } else {
        for (const Record *guest : change.records(DbId::Guest))
            m_tally.update(guests, *guest);
    }
    showSummary();
}

void GuestTab::showSummary() {
    m_summary->setText(summaryText(m_tally.summary(), QLocale()));
}

void GuestTab::ShowGiftList() {
    m_host.showTab(TabHost::GuestsPage);
    setBoxText(m_relation, kGiftsView);
    setGiftsShown(true);
    if (m_model->rowCountShown() == 0) {
        m_forms.prompter.tell(
            QStringLiteral("There are no recorded gifts.  View all your guests and edit them as "
                           "needed."),
            QStringLiteral("Wedding Gifts"), Prompter::Icon::Information);
    }
}

void GuestTab::setGiftsShown(bool shown) {
    if (shown == m_giftsShown)
        return;
    m_giftsShown = shown;
    m_model->setColumns(shown ? giftColumns() : guestColumns());
    m_grid->resetColumns();
    emit giftsViewChanged(shown);
}

void GuestTab::showAllGuests() {
    setGiftsShown(false);
    setBoxText(m_relation, kAll);
    UpdateGuestGrid();
}

QString GuestTab::sortedMessage() const {
    return QStringLiteral("Wedding Guests Database has been sorted.");
}

void GuestTab::showGuestCount() {
    if (!m_forms.plan.isOpen())
        return;
    // Every guest is expected to carry an rsvp: the count gives one to those without.
    m_forms.plan.applyQuietly(addMissingRsvp);
    const GuestCount count = countGuests(m_forms.plan.db(DbId::Guest));
    m_forms.prompter.tell(QStringLiteral("Total Confirmed Guests: ") +
                              QString::number(count.confirmed) + QStringLiteral("\r\r") +
                              QStringLiteral("Out of a Possible ") +
                              QString::number(count.possible) + QStringLiteral(" Invited Guests."),
                          QStringLiteral("Wedding Guest Count"), Prompter::Icon::None);
}

std::unique_ptr<Record> GuestTab::newRecord() const {
    // The gifts view's "GIFTS" is no relation a guest may be given.
    QString relation = relationForNewRecord();
    if (m_giftsShown || relation == kGiftsView)
        relation.clear();
    const Replies::Status status = Replies::statusOf(m_status->currentText());
    std::unique_ptr<Record> guest =
        NewRecords::guest(relation, status == Replies::Status::Confirmed);
    if (status == Replies::Status::Declined)
        guest->fields().add(Guest::kDeclined, FieldKind::Boolean).setValue(FieldValue(true));
    // A guest added while one meal is shown has that meal.
    if (const QString meal = categoryForNewRecord(m_meal); !meal.isEmpty() && !m_giftsShown)
        guest->fields().add(Guest::kMeal).setValue(FieldValue(meal));
    return guest;
}
