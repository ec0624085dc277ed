#include "guesttab.h"

#include "editors/categorylists.h"
#include "editors/frmrecordeditor.h"
#include "rules/guestcount.h"
#include "store/appstate.h"
#include "views/tabhost.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

namespace {

const QString kAll = QStringLiteral("All");
const QString kConfirmed = QStringLiteral("Confirmed");
const QString kUnconfirmed = QStringLiteral("Unconfirmed");
const QString kTrue = QStringLiteral("True");
const QString kGiftsView = QStringLiteral("GIFTS");

const QStringList kGuestHeaders = {"Name", "Relation", "Status", "RSVP",  "Address",
                                   "City", "State",    "Phone",  "E-Mail"};
const QStringList kGiftHeaders = {"Name", "Relation", "Gift",  "Thank You", "Address",
                                  "City", "State",    "Phone", "E-Mail"};

} // namespace

// --- GuestTab ----------------------------------------------------------------------------------

GuestTab::GuestTab(TabHost &host, QWidget *parent)
    : PersonListTab(host, Schema::DbId::Guest, 4, parent) {
    QComboBox *relation = addFilterBox(QStringLiteral("cmbGuests"), tr("Re&lation:"), true);
    m_status = addFilterBox(QStringLiteral("cmbGuestStatus"), tr("&Status:"), false);
    QPushButton *add = addButton(QStringLiteral("cmdAddGuest"), tr("&Add Person"));
    QPushButton *remove = addButton(QStringLiteral("cmdDeleteGuest"), tr("&Delete Person"));
    QPushButton *count = addButton(QStringLiteral("cmdGuestCount"), tr("Guest &Count"));
    auto *grid = new ListGrid(QStringLiteral("GuestGrid"), QStringLiteral("Guest"), kGuestHeaders);
    placeGrid(grid);
    connectControls(relation, grid);

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
            fillGiftList();
            return;
        }
        setGiftsShown(false);
    }
    if (relationEditorRequested())
        return;
    const QString relation = m_relation->currentText();
    const bool anyRelation = relation == kAll;
    const QString status = statusFilter(m_status);
    const bool anyStatus = status == kAll;

    GridRebuild rebuild(*m_grid, kGuestHeaders);
    const PalmDatabase *db = database();
    if (!db)
        return;
    const auto &records = db->records().raw();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Fields &fields = records[i]->fields();
        QString type = fieldText(fields, "gtyp");
        if (!anyRelation && type != relation)
            continue;
        QString confirmed = fieldText(fields, "gcon");
        if (!anyStatus && confirmed != status)
            continue;
        QStringList cells;
        cells.reserve(kGuestHeaders.size());
        cells << fieldText(fields, "gnam") << std::move(type)
              << (confirmed == kTrue ? kConfirmed : kUnconfirmed) << fieldText(fields, "rsvp")
              << fieldText(fields, "gadr") << fieldText(fields, "gcit") << fieldText(fields, "gsta")
              << fieldText(fields, "gpho") << fieldText(fields, "gcos");
        rebuild.add(int(i) + 1, cells);
    }
}

void GuestTab::ShowGiftList() {
    m_host.showTab(TabHost::GuestsPage);
    setBoxText(m_relation, kGiftsView);
    setGiftsShown(true);
    fillGiftList();
    if (m_grid->rows() == 1) {
        appState().prompter().tell(
            QStringLiteral("There are no recorded gifts.  View all your guests and edit them as "
                           "needed."),
            QStringLiteral("Wedding Gifts"), Prompter::Icon::Information);
    }
}

void GuestTab::fillGiftList() {
    GridRebuild rebuild(*m_grid, kGiftHeaders);
    const PalmDatabase *db = database();
    if (!db)
        return;
    const auto &records = db->records().raw();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Fields &fields = records[i]->fields();
        QString gift = fieldText(fields, "gift");
        if (gift.isEmpty())
            continue;
        const Field *thanked = fields.find("tnku");
        QStringList cells;
        cells.reserve(kGiftHeaders.size());
        cells << fieldText(fields, "gnam") << fieldText(fields, "gtyp") << std::move(gift)
              << (thanked && thanked->value().toBool() ? QStringLiteral("SENT") : QString())
              << fieldText(fields, "gadr") << fieldText(fields, "gcit") << fieldText(fields, "gsta")
              << fieldText(fields, "gpho") << fieldText(fields, "gcos");
        rebuild.add(int(i) + 1, cells);
    }
}

void GuestTab::setGiftsShown(bool shown) {
    if (shown == m_giftsShown)
        return;
    m_giftsShown = shown;
    emit giftsViewChanged(shown);
}

void GuestTab::showAllGuests() {
    setGiftsShown(false);
    setBoxText(m_relation, kAll);
    UpdateGuestGrid();
}

void GuestTab::sortByName() {
    sortByNameField("gnam", QStringLiteral("Wedding Guests Database has been sorted."));
}

void GuestTab::showGuestCount() {
    PalmDatabase *db = database();
    if (!db)
        return;
    const GuestCount count = countGuests(*db);
    appState().prompter().tell(
        QStringLiteral("Total Confirmed Guests: ") + QString::number(count.confirmed) +
            QStringLiteral("\r\r") + QStringLiteral("Out of a Possible ") +
            QString::number(count.possible) + QStringLiteral(" Invited Guests."),
        QStringLiteral("Wedding Guest Count"), Prompter::Icon::None);
}

void GuestTab::writeNewRecord(PalmDatabase &db, Record &record) {
    // The gifts view's "GIFTS" is no relation a guest may be given.
    QString relation = relationForNewRecord();
    if (m_giftsShown || relation == kGiftsView)
        relation.clear();
    const QString status = m_status->currentText();
    for (FieldCode code :
         {FieldCode("gnam"), FieldCode("gtag"), FieldCode("gadr"), FieldCode("gcit"),
          FieldCode("gsta"), FieldCode("gzip"), FieldCode("gpho"), FieldCode("gmai")})
        db.write(record, code, QString());
    db.write(record, "gtyp", relation);
    db.write(record, "gcon", status == kConfirmed, FieldKind::Boolean);
    db.write(record, "rsvp", QString());
    db.write(record, "gift", QString());
    db.write(record, "tnku", false, FieldKind::Boolean);
}
