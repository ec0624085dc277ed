#include "frmrecordeditor.h"

#include "contacts/frmoutlook.h"
#include "contacts/vcard.h"
#include "editors/noteeditor.h"
#include "editors/pricingtab.h"
#include "rules/seating.h"
#include "store/appstate.h"
#include "store/numbers.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

using Schema::DbId;

namespace {

const QString kCaption = QStringLiteral("Record Details");

// The dialog's size, in twips.
constexpr int kWidth = 6000;
constexpr int kHeight = 5000;

FieldKind kindOf(const QWidget *control) {
    return qobject_cast<const QCheckBox *>(control) ? FieldKind::Boolean : FieldKind::Text;
}

// Marks the matching entry as current but shows the text exactly as given, so a value that
// is not in the list survives unchanged.
void setComboText(QComboBox *combo, const QString &text) {
    combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    combo->setEditText(text);
}

void showValue(QWidget *control, const FieldValue &value) {
    if (auto *box = qobject_cast<QCheckBox *>(control))
        box->setChecked(value.toBool());
    else if (auto *combo = qobject_cast<QComboBox *>(control))
        setComboText(combo, value.toText());
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setText(value.toText());
}

FieldValue valueOf(const QWidget *control) {
    if (auto *box = qobject_cast<const QCheckBox *>(control))
        return box->isChecked();
    if (auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentText();
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    return {};
}

QLabel *makeLabel(QWidget *parent, const QString &name) {
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

QLineEdit *makeEdit(QWidget *parent, const QString &name) {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QComboBox *makeCombo(QWidget *parent, const QString &name) {
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    // Typed text is a value of the record, not a new list entry.
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

// A field and the control that shows it; the vendor's pricing fields belong to the pricing
// page, which loads and saves them itself.
struct frmRecordEditor::Binding {
    FieldCode code;
    QWidget *control;
};

frmRecordEditor::frmRecordEditor(QWidget *parent)
    : QDialog(parent)
    , m_kind(appState().editorKind)
    , m_index(appState().selectedRecord) {
    setObjectName(QStringLiteral("frmRecordEditor"));
    setWindowTitle(kCaption);
    setModal(true);
    buildForm();

    // Until OK says otherwise, the caller treats the dialog as cancelled.
    appState().cancelled = true;
    FillComboBox();
    layOutForKind();
    loadRecord();
    m_txtName->setFocus();
}

// --- Building ------------------------------------------------------------------------------

void frmRecordEditor::buildForm() {
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("RecordTabs"));
    m_contactPage = new QWidget;
    m_contactPage->setObjectName(QStringLiteral("ContactInfoPage"));
    m_pricingPage = m_pricing = new PricingTab;
    m_pricingPage->setObjectName(QStringLiteral("PricingPage"));
    m_tabs->addTab(m_contactPage, tr("Contact Info"));
    m_tabs->addTab(m_pricingPage, tr("Pricing"));

    QWidget *page = m_contactPage;
    m_lblName = makeLabel(page, QStringLiteral("lblName"));
    m_lblType = makeLabel(page, QStringLiteral("lblType"));
    m_lblContact = makeLabel(page, QStringLiteral("lblContact"));
    m_lblAddress = makeLabel(page, QStringLiteral("lblAddress"));
    m_lblCity = makeLabel(page, QStringLiteral("lblCity"));
    m_lblState = makeLabel(page, QStringLiteral("lblState"));
    m_lblZip = makeLabel(page, QStringLiteral("lblZip"));
    m_lblPhone = makeLabel(page, QStringLiteral("lblPhone"));
    m_lblEmail = makeLabel(page, QStringLiteral("lblEmail"));
    m_lblCountry = makeLabel(page, QStringLiteral("lblCountry"));
    m_lblRSVP = makeLabel(page, QStringLiteral("lblRSVP"));
    m_lblGift = makeLabel(page, QStringLiteral("lblGift"));

    m_txtName = makeEdit(page, QStringLiteral("txtName"));
    m_cboType = makeCombo(page, QStringLiteral("cboType"));
    m_txtContact = makeEdit(page, QStringLiteral("txtContact"));
    m_cboTable = makeCombo(page, QStringLiteral("cboTable"));
    m_txtAddress = makeEdit(page, QStringLiteral("txtAddress"));
    m_txtCity = makeEdit(page, QStringLiteral("txtCity"));
    m_txtState = makeEdit(page, QStringLiteral("txtState"));
    m_txtZip = makeEdit(page, QStringLiteral("txtZip"));
    m_txtPhone = makeEdit(page, QStringLiteral("txtPhone"));
    m_txtEmail = makeEdit(page, QStringLiteral("txtEmail"));
    m_txtCountry = makeEdit(page, QStringLiteral("txtCountry"));
    m_cmbRSVP = makeCombo(page, QStringLiteral("cmbRSVP"));
    m_txtGift = makeEdit(page, QStringLiteral("txtGift"));
    m_chkThankYou = new QCheckBox(tr("T&hank You Note Sent"), page);
    m_chkThankYou->setObjectName(QStringLiteral("chkThankYou"));
    m_chkRecord = new QCheckBox(tr("Con&firmed"), page);
    m_chkRecord->setObjectName(QStringLiteral("chkRecord"));

    // Design captions; the kind's layout changes the three that differ.
    m_lblName->setText(tr("&Name:"));
    m_lblType->setText(tr("&Relation:"));
    m_lblContact->setText(tr("&Contact:"));
    m_lblAddress->setText(tr("&Address:"));
    m_lblCity->setText(tr("Cit&y:"));
    m_lblState->setText(tr("Stat&e:"));
    m_lblZip->setText(tr("&Zip Code:"));
    m_lblPhone->setText(tr("&Phone:"));
    m_lblEmail->setText(tr("E-&Mail:"));
    m_lblCountry->setText(tr("Co&untry:"));
    m_lblRSVP->setText(tr("RS&VP:"));
    m_lblGift->setText(tr("&Gift:"));

    m_lblName->setBuddy(m_txtName);
    m_lblType->setBuddy(m_cboType);
    m_lblContact->setBuddy(m_txtContact);
    m_lblAddress->setBuddy(m_txtAddress);
    m_lblCity->setBuddy(m_txtCity);
    m_lblState->setBuddy(m_txtState);
    m_lblZip->setBuddy(m_txtZip);
    m_lblPhone->setBuddy(m_txtPhone);
    m_lblEmail->setBuddy(m_txtEmail);
    m_lblCountry->setBuddy(m_txtCountry);
    m_lblRSVP->setBuddy(m_cmbRSVP);
    m_lblGift->setBuddy(m_txtGift);

    auto *grid = new QGridLayout(page);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->addWidget(m_lblName, 0, 0);
    grid->addWidget(m_txtName, 0, 1, 1, 3);
    grid->addWidget(m_lblType, 1, 0);
    grid->addWidget(m_cboType, 1, 1);
    grid->addWidget(m_lblContact, 1, 2);
    // The contact row holds either the vendor's contact or the guest's table.
    grid->addWidget(m_txtContact, 1, 3);
    grid->addWidget(m_cboTable, 1, 3);
    grid->addWidget(m_lblAddress, 2, 0);
    grid->addWidget(m_txtAddress, 2, 1, 1, 3);
    grid->addWidget(m_lblCity, 3, 0);
    grid->addWidget(m_txtCity, 3, 1);
    grid->addWidget(m_lblState, 3, 2);
    grid->addWidget(m_txtState, 3, 3);
    grid->addWidget(m_lblZip, 4, 0);
    grid->addWidget(m_txtZip, 4, 1);
    grid->addWidget(m_lblPhone, 4, 2);
    grid->addWidget(m_txtPhone, 4, 3);
    grid->addWidget(m_lblEmail, 5, 0);
    grid->addWidget(m_txtEmail, 5, 1, 1, 3);
    grid->addWidget(m_lblCountry, 6, 0);
    grid->addWidget(m_txtCountry, 6, 1);
    grid->addWidget(m_lblRSVP, 6, 2);
    grid->addWidget(m_cmbRSVP, 6, 3);
    grid->addWidget(m_lblGift, 7, 0);
    grid->addWidget(m_txtGift, 7, 1, 1, 3);
    grid->addWidget(m_chkRecord, 8, 1);
    grid->addWidget(m_chkThankYou, 8, 2, 1, 2);
    grid->setRowStretch(9, 1);
    m_cboTable->hide();

    m_cmdOK = makeButton(this, QStringLiteral("cmdRecordOK"), tr("OK"));
    m_cmdOK->setDefault(true);
    m_cmdCancel = makeButton(this, QStringLiteral("cmdRecordCancel"), tr("Cancel"));
    m_cmdNote = makeButton(this, QStringLiteral("cmdRecordNote"), tr("N&otes"));
    m_cmdOutlook = makeButton(this, QStringLiteral("cmdOutlook"), tr("&Import Contact"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdOutlook);
    buttons->addWidget(m_cmdNote);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);

    auto *main = new QVBoxLayout(this);
    main->addWidget(m_tabs);
    main->addLayout(buttons);

    QWidget::setTabOrder(m_txtName, m_cboType);
    QWidget::setTabOrder(m_cboType, m_txtContact);
    QWidget::setTabOrder(m_txtContact, m_cboTable);
    QWidget::setTabOrder(m_cboTable, m_txtAddress);
    QWidget::setTabOrder(m_txtAddress, m_txtCity);
    QWidget::setTabOrder(m_txtCity, m_txtState);
    QWidget::setTabOrder(m_txtState, m_txtZip);
    QWidget::setTabOrder(m_txtZip, m_txtPhone);
    QWidget::setTabOrder(m_txtPhone, m_txtEmail);
    QWidget::setTabOrder(m_txtEmail, m_txtCountry);
    QWidget::setTabOrder(m_txtCountry, m_cmbRSVP);
    QWidget::setTabOrder(m_cmbRSVP, m_txtGift);
    QWidget::setTabOrder(m_txtGift, m_chkRecord);
    QWidget::setTabOrder(m_chkRecord, m_chkThankYou);
    QWidget::setTabOrder(m_chkThankYou, m_cmdOK);
    QWidget::setTabOrder(m_cmdOK, m_cmdCancel);
    QWidget::setTabOrder(m_cmdCancel, m_cmdNote);
    QWidget::setTabOrder(m_cmdNote, m_cmdOutlook);

    connect(m_txtName, &QLineEdit::textChanged, this, &frmRecordEditor::txtName_Change);
    connect(m_chkRecord, &QCheckBox::toggled, this, [this] { chkRecord_Click(); });
    // Only a pick from the list (mouse, arrow keys, Enter on a completion) runs the seat
    // check; typing and loading do not.
    connect(m_cboTable, &QComboBox::activated, this, [this] { cboTable_Click(); });
    connect(m_cmdOK, &QPushButton::clicked, this, &frmRecordEditor::cmdRecordOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmRecordEditor::cmdRecordCancel_Click);
    connect(m_cmdNote, &QPushButton::clicked, this, &frmRecordEditor::cmdRecordNote_Click);
    connect(m_cmdOutlook, &QPushButton::clicked, this, &frmRecordEditor::cmdOutlook_Click);

    const QSize wanted(Twips::toPixels(kWidth), Twips::toPixels(kHeight));
    resize(wanted.expandedTo(minimumSizeHint()));
}

// --- Loading -------------------------------------------------------------------------------

void frmRecordEditor::FillComboBox() {
    auto fill = [](QComboBox *combo, DbId id, FieldCode code) {
        try {
            appState().set.db(id).fillList(*combo, code, QString());
        } catch (const StoreError &) {
            // A list that cannot be read stays empty; the box still takes typed text.
        }
    };
    switch (m_kind) {
    case Party:
        fill(m_cboType, DbId::RelTypes, Schema::kCategoryType);
        break;
    case Guest:
        fill(m_cboType, DbId::RelTypes, Schema::kCategoryType);
        fill(m_cboTable, DbId::Tables, "ttag");
        break;
    case Vendor:
        fill(m_cboType, DbId::VenTypes, Schema::kCategoryType);
        break;
    default:
        break;
    }
    for (int n = 1; n <= 9; ++n)
        m_cmbRSVP->addItem(QString::number(n));
    // Adding the first entry selects it; the boxes start empty until the record fills them.
    for (QComboBox *combo : {m_cboType, m_cboTable, m_cmbRSVP})
        combo->setCurrentIndex(-1);
}

void frmRecordEditor::layOutForKind() {
    m_tabs->setTabVisible(m_tabs->indexOf(m_pricingPage), m_kind == Vendor);
    if (m_kind != Party && m_kind != Guest && m_kind != Vendor)
        return; // the design layout

    const bool guest = m_kind == Guest;
    const bool vendor = m_kind == Vendor;
    m_lblType->setText(vendor ? tr("&Service:") : tr("&Relation:"));
    m_lblContact->setVisible(m_kind != Party);
    m_lblContact->setText(guest ? tr("&Table:") : tr("&Contact:"));
    m_lblContact->setBuddy(guest ? static_cast<QWidget *>(m_cboTable) : m_txtContact);
    m_txtContact->setVisible(vendor);
    m_cboTable->setVisible(guest);
    if (guest) {
        try {
            if (appState().set.db(DbId::Tables).records().count() == 0)
                m_cboTable->setEnabled(false);
        } catch (const StoreError &) {
            m_cboTable->setEnabled(false);
        }
    }
    m_chkRecord->setVisible(m_kind != Party);
    m_lblEmail->setText(vendor ? tr("E-&mail:") : tr("E-&Mail:"));
    m_lblCountry->show();
    m_txtCountry->show();
    for (QWidget *w : std::initializer_list<QWidget *>{m_lblRSVP, m_cmbRSVP, m_lblGift, m_txtGift,
                                                       m_chkThankYou})
        w->setVisible(guest);
}

std::vector<frmRecordEditor::Binding> frmRecordEditor::loadOrder() const {
    switch (m_kind) {
    case Party:
        return {{"pnam", m_txtName},  {"ptyp", m_cboType},  {"padr", m_txtAddress},
                {"pcit", m_txtCity},  {"psta", m_txtState}, {"pzip", m_txtZip},
                {"ppho", m_txtPhone}, {"pmai", m_txtEmail}, {"pctr", m_txtCountry}};
    case Guest:
        // rsvp comes before gcon, so a confirmed guest without a count opens with "1".
        return {{"gnam", m_txtName},     {"gtyp", m_cboType},   {"gtag", m_cboTable},
                {"gadr", m_txtAddress},  {"gcit", m_txtCity},   {"gsta", m_txtState},
                {"gzip", m_txtZip},      {"gpho", m_txtPhone},  {"gcos", m_txtEmail},
                {"rsvp", m_cmbRSVP},     {"gcon", m_chkRecord}, {"gift", m_txtGift},
                {"tnku", m_chkThankYou}, {"gctr", m_txtCountry}};
    case Vendor:
        // The pricing page loads vcos, dued, vdwn, npay, ndat, vbal and paid after these.
        return {{"vnam", m_txtName},    {"vtyp", m_cboType},   {"vcnt", m_txtContact},
                {"vadr", m_txtAddress}, {"vcit", m_txtCity},   {"vsta", m_txtState},
                {"vzip", m_txtZip},     {"vpho", m_txtPhone},  {"vema", m_txtEmail},
                {"vcon", m_chkRecord},  {"vctr", m_txtCountry}};
    default:
        return {};
    }
}

std::vector<frmRecordEditor::Binding> frmRecordEditor::saveOrder() const {
    switch (m_kind) {
    case Party:
        return loadOrder();
    case Guest:
        return {{"gnam", m_txtName},     {"gtyp", m_cboType},    {"gadr", m_txtAddress},
                {"gcit", m_txtCity},     {"gsta", m_txtState},   {"gzip", m_txtZip},
                {"gpho", m_txtPhone},    {"gcos", m_txtEmail},   {"rsvp", m_cmbRSVP},
                {"gift", m_txtGift},     {"gctr", m_txtCountry}, {"gtag", m_cboTable},
                {"tnku", m_chkThankYou}, {"gcon", m_chkRecord}};
    case Vendor:
        // The pricing page writes vcos, dued, vdwn, npay, ndat, vbal and paid after these.
        return {{"vnam", m_txtName},    {"vtyp", m_cboType},  {"vcnt", m_txtContact},
                {"vadr", m_txtAddress}, {"vcit", m_txtCity},  {"vsta", m_txtState},
                {"vzip", m_txtZip},     {"vpho", m_txtPhone}, {"vema", m_txtEmail},
                {"vctr", m_txtCountry}, {"vcon", m_chkRecord}};
    default:
        return {};
    }
}

PalmDatabase *frmRecordEditor::database() const {
    try {
        switch (m_kind) {
        case Party:
            return &appState().set.db(DbId::Party);
        case Guest:
            return &appState().set.db(DbId::Guest);
        case Vendor:
            return &appState().set.db(DbId::Vendors);
        default:
            return nullptr;
        }
    } catch (const StoreError &) {
        return nullptr;
    }
}

Record *frmRecordEditor::record() const {
    PalmDatabase *db = database();
    // Index 0 (or a header row passed by mistake) names no record: nothing is read or written.
    if (!db || m_index < 1 || m_index > db->records().count())
        return nullptr;
    return &db->records().item(m_index);
}

void frmRecordEditor::loadRecord() {
    Record *rec = record();
    m_hasRecord = rec != nullptr;
    // Notes belong to a record; without one there is nothing for them to edit.
    m_cmdNote->setEnabled(m_hasRecord);
    if (!rec)
        return;
    PalmDatabase &db = *database();
    for (const Binding &b : loadOrder()) {
        if (!b.control)
            continue;
        try {
            if (rec->has(b.code)) {
                showValue(b.control, rec->value(b.code));
            } else {
                // An older record lacks the field: show it empty and repair the record so OK
                // can write it.
                showValue(b.control, FieldValue());
                db.fieldList().add(b.code, kindOf(b.control));
                rec->fields().add(b.code, kindOf(b.control));
            }
        } catch (const StoreError &) {
            // A field that cannot be read shows empty.
        }
    }
    if (m_kind == Vendor) {
        try {
            m_pricing->load(db, *rec);
        } catch (const StoreError &) {
        }
    }
}

// --- Events --------------------------------------------------------------------------------

void frmRecordEditor::txtName_Change(const QString &name) {
    setWindowTitle(kCaption + QStringLiteral(" - ") + name);
}

void frmRecordEditor::chkRecord_Click() {
    // A confirmed guest stands for at least one person.
    if (m_kind == Guest && m_cmbRSVP->currentText().isEmpty()) {
        m_cmbRSVP->setCurrentIndex(0);
        m_cmbRSVP->setEditText(m_cmbRSVP->itemText(0));
    }
}

void frmRecordEditor::cboTable_Click() {
    if (m_kind != Guest)
        return;
    const Record *guest = record();
    if (!guest)
        return; // no stored guest to seat
    const QString chosen = m_cboTable->currentText().trimmed();
    try {
        PalmDatabase &tables = appState().set.db(DbId::Tables);
        for (int i = 1; i <= tables.records().count(); ++i) {
            Record &table = tables.records().item(i);
            if (!table.has("ttag") || table.text("ttag").trimmed() != chosen || !table.has("avai"))
                continue;
            // Tags are unique, so this is the table.
            const Seating::SeatCheck check =
                Seating::checkSeats(table, Numbers::numericValue(m_cmbRSVP->currentText()));
            if (check.fits())
                return;
            const QString question =
                QStringLiteral("Adding ") + m_txtName->text() +
                QStringLiteral(" to the selected table will exceed the table's number of "
                               "available seats.  Do you want to adjust the number of seats "
                               "for this table and continue?");
            const auto answer =
                appState().prompter().message(question, QStringLiteral("Increase Table Size?"),
                                              Prompter::Icon::Question, Prompter::Buttons::YesNo);
            if (answer == Prompter::Answer::Yes) {
                // coun takes the rsvp saved in the guest record, not the box: the box is not
                // saved yet.
                if (table.has(Seating::kCount))
                    Seating::addToCount(tables, table, Seating::storedNumber(*guest, "rsvp"));
                Seating::growTable(tables, table, check);
            } else {
                setComboText(m_cboTable, guest->text("gtag"));
            }
            return;
        }
    } catch (const StoreError &) {
        // The tables cannot be read: the choice stands without a check.
    }
}

void frmRecordEditor::cmdRecordOK_Click() {
    appState().cancelled = false;
    writeRecord();
    appState().changed = true;
    accept();
}

void frmRecordEditor::writeRecord() {
    if (!m_hasRecord)
        return;
    PalmDatabase *db = database();
    Record *rec = record();
    if (!db || !rec)
        return;
    for (const Binding &b : saveOrder()) {
        if (!b.control)
            continue;
        try {
            db->write(*rec, b.code, valueOf(b.control), kindOf(b.control));
        } catch (const StoreError &) {
            // One field that cannot be written does not stop the others.
        }
    }
    if (m_kind == Vendor) {
        try {
            m_pricing->save(*db, *rec); // recalculates the balance first
        } catch (const StoreError &) {
        }
    }
    const FieldCode name = m_kind == Party   ? FieldCode("pnam")
                           : m_kind == Guest ? FieldCode("gnam")
                                             : FieldCode("vnam");
    try {
        db->sort(name, true, QString(), true);
    } catch (const StoreError &) {
    }
}

// Closing by the frame or Escape goes through reject() alone and leaves the cancelled flag as
// the load set it.
void frmRecordEditor::cmdRecordCancel_Click() {
    appState().cancelled = true;
    reject();
}

void frmRecordEditor::cmdRecordNote_Click() {
    NoteEditor dlg(this);
    dlg.exec();
}

void frmRecordEditor::cmdOutlook_Click() {
    ContactPick &pick = contactPick();
    pick.cancelled = false;
    pick.chosen.reset();
    if (!m_txtName->text().isEmpty()) {
        const auto answer = appState().prompter().message(
            tr("The current record contains information that will be replaced with the contact "
               "data you specify.  Do you want to replace the existing data?"),
            tr("Overwrite Data?"), Prompter::Icon::Exclamation, Prompter::Buttons::YesNo);
        if (answer != Prompter::Answer::Yes)
            return;
    }
    frmOutlook picker(this);
    picker.exec();
    if (!pick.cancelled && pick.chosen) {
        const Contact &c = *pick.chosen;
        // Every mapped box is overwritten, with empty text too; the others stay as they are.
        if (m_kind == Vendor) {
            m_txtName->setText(c.company);
            m_txtContact->setText(c.fullName);
        } else {
            m_txtName->setText(c.fullName);
        }
        m_txtAddress->setText(c.street);
        m_txtCity->setText(c.city);
        m_txtState->setText(c.state);
        m_txtZip->setText(c.postalCode);
        if (m_kind == Vendor) {
            m_txtPhone->setText(c.businessPhone);
        } else {
            m_txtPhone->setText(c.homePhone);
            if (m_txtPhone->text().isEmpty())
                m_txtPhone->setText(c.businessPhone);
        }
        m_txtEmail->setText(c.email);
        if (m_kind == Guest && m_cmbRSVP->currentText().isEmpty())
            setComboText(m_cmbRSVP, QStringLiteral("1"));
    }
    pick.chosen.reset();
    pick.cancelled = false;
}
