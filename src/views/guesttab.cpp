#include "guesttab.h"

#include "editors/categorylists.h"
#include "plan/plan.h"
#include "rules/guestcount.h"
#include "rules/newrecords.h"
#include "store/prompter.h"
#include "views/columns.h"

#include <QComboBox>
#include <QPushButton>

using namespace Schema;

namespace {

const QString kAll = QStringLiteral("All");
const QString kGiftsView = QStringLiteral("GIFTS");

std::vector<ListColumn> guestColumns() {
    return {Columns::field(QObject::tr("Name"), Guest::kName, true),
            Columns::field(QObject::tr("Relation"), Guest::kRelation),
            Columns::confirmation(QObject::tr("Status"), Guest::kConfirmed),
            Columns::number(QObject::tr("RSVP"), Guest::kRsvp),
            Columns::field(QObject::tr("Address"), Guest::kAddress),
            Columns::field(QObject::tr("City"), Guest::kCity),
            Columns::field(QObject::tr("State"), Guest::kState),
            Columns::field(QObject::tr("Phone"), Guest::kPhone),
            Columns::field(QObject::tr("E-Mail"), Guest::kEmail),
            Columns::extra(QObject::tr("Table"), Guest::kTable),
            Columns::extra(QObject::tr("Zip"), Guest::kZip),
            Columns::extra(QObject::tr("Country"), Guest::kCountry),
            Columns::extra(QObject::tr("Notes"), Guest::kNote)};
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
    , m_shownRelation(kAll) {
    QComboBox *relation = addFilterBox(QStringLiteral("cmbGuests"), tr("Re&lation:"), true);
    m_status = addFilterBox(QStringLiteral("cmbGuestStatus"), tr("&Status:"), false);
    QPushButton *add = addButton(QStringLiteral("cmdAddGuest"), tr("&Add Person"));
    QPushButton *remove = addButton(QStringLiteral("cmdDeleteGuest"), tr("&Delete Person"));
    QPushButton *count = addButton(QStringLiteral("cmdGuestCount"), tr("Guest &Count"));
    setUpList(relation, QStringLiteral("GuestGrid"), QStringLiteral("Guest"), guestColumns(),
              tr("guest list"));
    m_model->setSearchFields({Guest::kNote});
    m_model->setFilter([this](const Record &r) {
        // The gifts view lists every guest with a gift, whatever the filters.
        if (m_giftsShown)
            return !r.text(Guest::kGift).isEmpty();
        return (m_shownRelation == kAll || r.text(Guest::kRelation) == m_shownRelation) &&
               Replies::passes(m_shownStatus, Replies::isConfirmed(r));
    });
    fillFixedBox(m_status, {kAll, QStringLiteral("Confirmed"), QStringLiteral("Unconfirmed")});

    connect(m_status, &QComboBox::activated, this, &GuestTab::UpdateGuestGrid);
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
    if (relationEditorRequested())
        return;
    m_shownRelation = m_relation->currentText();
    m_shownStatus = Replies::statusOf(m_status->currentText());
    m_model->refresh();
}

void GuestTab::fillFilterBoxes() {
    setGiftsShown(false);
    fillCategoryBox(m_relation, m_forms.plan, CategoryKind::Relations);
    fillFixedBox(m_status, {kAll, QStringLiteral("Confirmed"), QStringLiteral("Unconfirmed")});
    UpdateGuestGrid();
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
    return NewRecords::guest(relation, m_status->currentText() == u"Confirmed");
}
