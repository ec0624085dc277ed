#include "frmrecordeditor.h"

#include "contacts/frmoutlook.h"
#include "editors/noteeditor.h"
#include "editors/pricingtab.h"
#include "plan/plan.h"
#include "rules/categorylookup.h"
#include "rules/money.h"
#include "rules/replies.h"
#include "rules/seating.h"
#include "store/numbers.h"
#include "store/prompter.h"
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

using namespace Schema;

namespace {

const QString kCaption = QStringLiteral("Record Details");

// The dialog's starting size, in twips.
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

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, QWidget *buddy) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
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

// The pricing page's money fields and the paid flag: repaired on opening like the others.
constexpr FieldCode kPricingTexts[] = {Vendor::kPrice, Vendor::kDown, Vendor::kNext,
                                       Vendor::kBalance};

NoteKind noteKindOf(RecordKind kind) {
    switch (kind) {
    case RecordKind::Party:
        return NoteKind::Party;
    case RecordKind::Guest:
        return NoteKind::Guest;
    case RecordKind::Vendor:
        break;
    }
    return NoteKind::Vendor;
}

} // namespace

DbId databaseOf(RecordKind kind) {
    switch (kind) {
    case RecordKind::Party:
        return DbId::Party;
    case RecordKind::Guest:
        return DbId::Guest;
    case RecordKind::Vendor:
        break;
    }
    return DbId::Vendors;
}

FieldCode nameFieldOf(RecordKind kind) {
    switch (kind) {
    case RecordKind::Party:
        return Party::kName;
    case RecordKind::Guest:
        return Guest::kName;
    case RecordKind::Vendor:
        break;
    }
    return Vendor::kName;
}

// A field of the record and the control that shows it, in load or save order.
struct frmRecordEditor::Binding {
    FieldCode code;
    QWidget *control;
};

frmRecordEditor::frmRecordEditor(const FormContext &forms, RecordKind kind, Record &record,
                                 bool isNew, QWidget *parent)
    : QDialog(parent)
    , m_forms(forms)
    , m_kind(kind)
    , m_record(record)
    , m_isNew(isNew) {
    setObjectName(QStringLiteral("frmRecordEditor"));
    setWindowTitle(kCaption);
    setModal(true);
    buildForm();
    FillComboBox();
    layOutForKind();
    loadRecord();
    m_txtName->setFocus();
}

QWidget *frmRecordEditor::pricingPage() const {
    return m_pricing;
}

// --- Building ------------------------------------------------------------------------------

void frmRecordEditor::buildForm() {
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("RecordTabs"));
    m_contactPage = new QWidget;
    m_contactPage->setObjectName(QStringLiteral("ContactInfoPage"));
    m_pricing = new PricingTab(m_forms.prompter);
    m_pricing->setObjectName(QStringLiteral("PricingPage"));
    m_tabs->addTab(m_contactPage, tr("Contact Info"));
    m_tabs->addTab(m_pricing, tr("Pricing"));

    QWidget *page = m_contactPage;
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
    m_cboReply = new QComboBox(page);
    m_cboReply->setObjectName(QStringLiteral("cboReply"));
    m_cboReply->addItems(Replies::replyTexts());
    m_cboMeal = makeCombo(page, QStringLiteral("cboMeal"));
    m_txtDiet = makeEdit(page, QStringLiteral("txtDiet"));

    // Design captions; the kind's layout changes the three that differ.
    auto *lblName = makeLabel(page, QStringLiteral("lblName"), tr("&Name:"), m_txtName);
    m_lblType = makeLabel(page, QStringLiteral("lblType"), tr("&Relation:"), m_cboType);
    m_lblContact = makeLabel(page, QStringLiteral("lblContact"), tr("&Contact:"), m_txtContact);
    auto *lblAddress = makeLabel(page, QStringLiteral("lblAddress"), tr("&Address:"), m_txtAddress);
    auto *lblCity = makeLabel(page, QStringLiteral("lblCity"), tr("Cit&y:"), m_txtCity);
    auto *lblState = makeLabel(page, QStringLiteral("lblState"), tr("Stat&e:"), m_txtState);
    auto *lblZip = makeLabel(page, QStringLiteral("lblZip"), tr("&Zip Code:"), m_txtZip);
    auto *lblPhone = makeLabel(page, QStringLiteral("lblPhone"), tr("&Phone:"), m_txtPhone);
    m_lblEmail = makeLabel(page, QStringLiteral("lblEmail"), tr("E-&Mail:"), m_txtEmail);
    m_lblCountry = makeLabel(page, QStringLiteral("lblCountry"), tr("Co&untry:"), m_txtCountry);
    m_lblRSVP = makeLabel(page, QStringLiteral("lblRSVP"), tr("RS&VP:"), m_cmbRSVP);
    m_lblGift = makeLabel(page, QStringLiteral("lblGift"), tr("&Gift:"), m_txtGift);
    m_lblReply = makeLabel(page, QStringLiteral("lblReply"), tr("Rep&ly:"), m_cboReply);
    m_lblMeal = makeLabel(page, QStringLiteral("lblMeal"), tr("Meal &choice:"), m_cboMeal);
    m_lblDiet = makeLabel(page, QStringLiteral("lblDiet"), tr("&Dietary note:"), m_txtDiet);

    auto *grid = new QGridLayout(page);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->addWidget(lblName, 0, 0);
    grid->addWidget(m_txtName, 0, 1, 1, 3);
    grid->addWidget(m_lblType, 1, 0);
    grid->addWidget(m_cboType, 1, 1);
    grid->addWidget(m_lblContact, 1, 2);
    // The contact row holds either the vendor's contact or the guest's table.
    grid->addWidget(m_txtContact, 1, 3);
    grid->addWidget(m_cboTable, 1, 3);
    grid->addWidget(lblAddress, 2, 0);
    grid->addWidget(m_txtAddress, 2, 1, 1, 3);
    grid->addWidget(lblCity, 3, 0);
    grid->addWidget(m_txtCity, 3, 1);
    grid->addWidget(lblState, 3, 2);
    grid->addWidget(m_txtState, 3, 3);
    grid->addWidget(lblZip, 4, 0);
    grid->addWidget(m_txtZip, 4, 1);
    grid->addWidget(lblPhone, 4, 2);
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
    grid->addWidget(m_lblReply, 8, 0);
    grid->addWidget(m_cboReply, 8, 1);
    grid->addWidget(m_chkThankYou, 8, 2, 1, 2);
    grid->addWidget(m_lblMeal, 9, 0);
    grid->addWidget(m_cboMeal, 9, 1);
    grid->addWidget(m_lblDiet, 9, 2);
    grid->addWidget(m_txtDiet, 9, 3);
    grid->setRowStretch(10, 1);
    m_cboTable->hide();

    auto *ok = makeButton(this, QStringLiteral("cmdRecordOK"), tr("OK"));
    ok->setDefault(true);
    auto *cancel = makeButton(this, QStringLiteral("cmdRecordCancel"), tr("Cancel"));
    auto *note = makeButton(this, QStringLiteral("cmdRecordNote"), tr("N&otes"));
    auto *outlook = makeButton(this, QStringLiteral("cmdOutlook"), tr("&Import Contact"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(outlook);
    buttons->addWidget(note);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *main = new QVBoxLayout(this);
    main->addWidget(m_tabs);
    main->addLayout(buttons);

    const QList<QWidget *> order = {
        m_txtName,  m_cboType,   m_txtContact, m_cboTable,    m_txtAddress, m_txtCity,
        m_txtState, m_txtZip,    m_txtPhone,   m_txtEmail,    m_txtCountry, m_cmbRSVP,
        m_txtGift,  m_chkRecord, m_cboReply,   m_chkThankYou, m_cboMeal,    m_txtDiet,
        ok,         cancel,      note,         outlook};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_txtName, &QLineEdit::textChanged, this, &frmRecordEditor::txtName_Change);
    connect(m_chkRecord, &QCheckBox::toggled, this, [this] { chkRecord_Click(); });
    connect(m_cboReply, &QComboBox::currentIndexChanged, this, [this] { cboReply_Change(); });
    // Only a pick from the list (mouse, arrow keys, Enter on a completion) runs the seat
    // check; typing and loading do not.
    connect(m_cboTable, &QComboBox::activated, this, [this] { cboTable_Click(); });
    connect(ok, &QPushButton::clicked, this, &frmRecordEditor::cmdRecordOK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(note, &QPushButton::clicked, this, &frmRecordEditor::cmdRecordNote_Click);
    connect(outlook, &QPushButton::clicked, this, &frmRecordEditor::cmdOutlook_Click);

    const QSize wanted(Twips::toPixels(kWidth), Twips::toPixels(kHeight));
    resize(wanted.expandedTo(minimumSizeHint()));
}

// --- Loading -------------------------------------------------------------------------------

void frmRecordEditor::FillComboBox() {
    const Plan &plan = m_forms.plan;
    const DbId types = m_kind == RecordKind::Vendor ? DbId::VenTypes : DbId::RelTypes;
    m_cboType->addItems(plan.db(types).listValues(kCategoryType));
    if (m_kind == RecordKind::Guest) {
        m_cboTable->addItems(plan.db(DbId::Tables).listValues(Table::kTag));
        m_cboMeal->addItems(categoryNames(plan.set(), CategoryKind::Meals));
    }
    for (int n = 1; n <= 9; ++n)
        m_cmbRSVP->addItem(QString::number(n));
    // Adding the first entry selects it; the boxes start empty until the record fills them.
    for (QComboBox *combo : {m_cboType, m_cboTable, m_cmbRSVP, m_cboMeal})
        combo->setCurrentIndex(-1);
}

void frmRecordEditor::layOutForKind() {
    const bool party = m_kind == RecordKind::Party;
    const bool guest = m_kind == RecordKind::Guest;
    const bool vendor = m_kind == RecordKind::Vendor;
    m_tabs->setTabVisible(m_tabs->indexOf(m_pricing), vendor);
    m_lblType->setText(vendor ? tr("&Service:") : tr("&Relation:"));
    m_lblContact->setVisible(!party);
    m_lblContact->setText(guest ? tr("&Table:") : tr("&Contact:"));
    m_lblContact->setBuddy(guest ? static_cast<QWidget *>(m_cboTable) : m_txtContact);
    m_txtContact->setVisible(vendor);
    m_cboTable->setVisible(guest);
    if (guest && m_forms.plan.db(DbId::Tables).records().count() == 0)
        m_cboTable->setEnabled(false);
    m_chkRecord->setVisible(vendor);
    for (QWidget *w : std::initializer_list<QWidget *>{m_lblReply, m_cboReply, m_lblMeal, m_cboMeal,
                                                       m_lblDiet, m_txtDiet})
        w->setVisible(guest);
    m_lblEmail->setText(vendor ? tr("E-&mail:") : tr("E-&Mail:"));
    for (QWidget *w : std::initializer_list<QWidget *>{m_lblRSVP, m_cmbRSVP, m_lblGift, m_txtGift,
                                                       m_chkThankYou})
        w->setVisible(guest);
}

std::vector<frmRecordEditor::Binding> frmRecordEditor::loadOrder() const {
    switch (m_kind) {
    case RecordKind::Party:
        return {{Party::kName, m_txtName},       {Party::kRelation, m_cboType},
                {Party::kAddress, m_txtAddress}, {Party::kCity, m_txtCity},
                {Party::kState, m_txtState},     {Party::kZip, m_txtZip},
                {Party::kPhone, m_txtPhone},     {Party::kEmail, m_txtEmail},
                {Party::kCountry, m_txtCountry}};
    case RecordKind::Guest:
        // rsvp comes before gcon, so a confirmed guest without a count opens with "1".
        return {{Guest::kName, m_txtName},        {Guest::kRelation, m_cboType},
                {Guest::kTable, m_cboTable},      {Guest::kAddress, m_txtAddress},
                {Guest::kCity, m_txtCity},        {Guest::kState, m_txtState},
                {Guest::kZip, m_txtZip},          {Guest::kPhone, m_txtPhone},
                {Guest::kEmail, m_txtEmail},      {Guest::kRsvp, m_cmbRSVP},
                {Guest::kConfirmed, m_chkRecord}, {Guest::kGift, m_txtGift},
                {Guest::kThanked, m_chkThankYou}, {Guest::kCountry, m_txtCountry}};
    case RecordKind::Vendor:
        break;
    }
    // The pricing page loads vcos, dued, vdwn, npay, ndat, vbal and paid after these.
    return {{Vendor::kName, m_txtName},       {Vendor::kService, m_cboType},
            {Vendor::kContact, m_txtContact}, {Vendor::kAddress, m_txtAddress},
            {Vendor::kCity, m_txtCity},       {Vendor::kState, m_txtState},
            {Vendor::kZip, m_txtZip},         {Vendor::kPhone, m_txtPhone},
            {Vendor::kEmail, m_txtEmail},     {Vendor::kConfirmed, m_chkRecord},
            {Vendor::kCountry, m_txtCountry}};
}

std::vector<frmRecordEditor::Binding> frmRecordEditor::saveOrder() const {
    switch (m_kind) {
    case RecordKind::Party:
        return loadOrder();
    case RecordKind::Guest:
        return {{Guest::kName, m_txtName},        {Guest::kRelation, m_cboType},
                {Guest::kAddress, m_txtAddress},  {Guest::kCity, m_txtCity},
                {Guest::kState, m_txtState},      {Guest::kZip, m_txtZip},
                {Guest::kPhone, m_txtPhone},      {Guest::kEmail, m_txtEmail},
                {Guest::kRsvp, m_cmbRSVP},        {Guest::kGift, m_txtGift},
                {Guest::kCountry, m_txtCountry},  {Guest::kTable, m_cboTable},
                {Guest::kThanked, m_chkThankYou}, {Guest::kConfirmed, m_chkRecord}};
    case RecordKind::Vendor:
        break;
    }
    // The pricing fields and vcon follow these (see entries()).
    return {{Vendor::kName, m_txtName},       {Vendor::kService, m_cboType},
            {Vendor::kContact, m_txtContact}, {Vendor::kAddress, m_txtAddress},
            {Vendor::kCity, m_txtCity},       {Vendor::kState, m_txtState},
            {Vendor::kZip, m_txtZip},         {Vendor::kPhone, m_txtPhone},
            {Vendor::kEmail, m_txtEmail},     {Vendor::kCountry, m_txtCountry}};
}

void frmRecordEditor::loadRecord() {
    const DbId db = databaseOf(m_kind);
    const std::vector<Binding> order = loadOrder();
    if (!m_isNew) {
        // An older record lacks fields: it gets them now, empty, so that OK can write them.
        m_forms.plan.applyQuietly([&](PlanEdit &edit) {
            for (const Binding &b : order)
                edit.addEmptyField(db, m_record, b.code, kindOf(b.control));
            if (m_kind == RecordKind::Vendor) {
                for (FieldCode code : kPricingTexts)
                    edit.addEmptyField(db, m_record, code);
                edit.addEmptyField(db, m_record, Vendor::kPaid, FieldKind::Boolean);
            }
        });
    }
    for (const Binding &b : order)
        showValue(b.control, m_record.value(b.code));
    if (m_kind == RecordKind::Guest) {
        // Shown, but not added to a record that lacks them: they stay absent while empty.
        m_cboReply->setCurrentText(Replies::replyText(Replies::replyOf(m_record)));
        showValue(m_cboMeal, m_record.value(Guest::kMeal));
        showValue(m_txtDiet, m_record.value(Guest::kDiet));
    }
    if (m_kind == RecordKind::Vendor)
        m_pricing->load(m_record, Money::weddingDate(m_forms.plan.db(DbId::Plan)).date());
}

std::vector<FieldEntry> frmRecordEditor::entries() {
    std::vector<FieldEntry> entries;
    for (const Binding &b : saveOrder())
        entries.push_back({b.code, valueOf(b.control), kindOf(b.control)});
    if (m_kind == RecordKind::Vendor) {
        std::vector<FieldEntry> pricing = m_pricing->entries(); // recalculates the balance
        // vcon goes between the balance and paid, which is last.
        entries.insert(entries.end(), pricing.begin(), pricing.end() - 1);
        entries.push_back({Vendor::kConfirmed, valueOf(m_chkRecord), FieldKind::Boolean});
        entries.push_back(pricing.back());
    }
    if (m_kind == RecordKind::Guest) {
        // gcon came with the Confirmed box, which the reply keeps in step; then gdec.
        entries.push_back(Replies::replyEntries(currentReply()).back());
        for (const auto &[code, text] : {std::pair{Guest::kMeal, m_cboMeal->currentText()},
                                         std::pair{Guest::kDiet, m_txtDiet->text()}}) {
            entries.push_back({code, text.isEmpty() ? std::nullopt
                                                    : std::optional<FieldValue>(FieldValue(text))});
        }
    }
    if (m_note)
        entries.push_back({noteTarget(noteKindOf(m_kind)).note, *m_note});
    return entries;
}

// --- Events --------------------------------------------------------------------------------

void frmRecordEditor::txtName_Change(const QString &name) {
    setWindowTitle(kCaption + QStringLiteral(" - ") + name);
}

void frmRecordEditor::chkRecord_Click() {
    if (m_kind != RecordKind::Guest)
        return;
    // The reply follows the box: ticked is confirmed; unticked leaves a decline as it is.
    if (m_chkRecord->isChecked())
        m_cboReply->setCurrentText(Replies::replyText(Replies::Reply::Confirmed));
    else if (currentReply() == Replies::Reply::Confirmed)
        m_cboReply->setCurrentText(Replies::replyText(Replies::Reply::Awaiting));
    // A confirmed guest stands for at least one person.
    if (m_chkRecord->isChecked() && m_cmbRSVP->currentText().isEmpty())
        setComboText(m_cmbRSVP, m_cmbRSVP->itemText(0));
}

void frmRecordEditor::cboReply_Change() {
    m_chkRecord->setChecked(currentReply() == Replies::Reply::Confirmed);
}

Replies::Reply frmRecordEditor::currentReply() const {
    const QString text = m_cboReply->currentText();
    for (Replies::Reply reply :
         {Replies::Reply::Confirmed, Replies::Reply::Declined, Replies::Reply::Awaiting}) {
        if (text == Replies::replyText(reply))
            return reply;
    }
    return Replies::Reply::Awaiting;
}

void frmRecordEditor::cboTable_Click() {
    Plan &plan = m_forms.plan;
    Record *table = Seating::tableWithTag(plan.db(DbId::Tables), m_cboTable->currentText());
    // A guest who declined takes no seat: there is nothing to check.
    if (!table || !table->has(Table::kAvailable) || currentReply() == Replies::Reply::Declined)
        return;
    const Seating::SeatCheck check =
        Seating::checkSeats(*table, Numbers::numericValue(m_cmbRSVP->currentText()));
    if (check.fits())
        return;
    const QString question =
        QStringLiteral("Adding ") + m_txtName->text() +
        QStringLiteral(" to the selected table will exceed the table's number of available "
                       "seats.  Do you want to adjust the number of seats for this table and "
                       "continue?");
    const auto answer =
        m_forms.prompter.message(question, QStringLiteral("Increase Table Size?"),
                                 Prompter::Icon::Question, Prompter::Buttons::YesNo);
    if (answer != Prompter::Answer::Yes) {
        setComboText(m_cboTable, m_record.text(Guest::kTable));
        return;
    }
    // Made at once, as a step of its own: the table stays enlarged whatever becomes of the
    // guest. coun takes the rsvp saved in the record, not the box: the box is not saved yet.
    plan.apply(tr("Enlarge Table %1").arg(Seating::tableTag(*table)), [&](PlanEdit &edit) {
        if (table->has(Table::kCount))
            Seating::addToCount(edit, *table, Seating::storedNumber(m_record, Guest::kRsvp));
        Seating::growTable(edit, *table, check);
    });
}

void frmRecordEditor::cmdRecordOK_Click() {
    if (m_kind == RecordKind::Guest) {
        // A guest sits at a table of the plan or at none: a typed ID of no table would leave
        // the guest at a table nobody can see. What the record already held may stay.
        const QString typed = m_cboTable->currentText();
        if (!typed.trimmed().isEmpty() && typed != m_record.text(Guest::kTable) &&
            !Seating::tableWithTag(m_forms.plan.db(DbId::Tables), typed)) {
            m_forms.prompter.tell(
                tr("There is no table with the ID %1.  Choose a table from the list, or leave "
                   "the box empty for a guest not yet seated.")
                    .arg(typed.trimmed()),
                kProgramTitle, Prompter::Icon::Exclamation);
            m_cboTable->setFocus();
            return;
        }
    }
    accept();
}

void frmRecordEditor::cmdRecordNote_Click() {
    const NoteKind kind = noteKindOf(m_kind);
    if (!m_isNew) {
        editNote(m_forms.plan, kind, m_record, this);
        return;
    }
    // A new record's note waits for the record, and goes with it on OK.
    const NoteTarget target = noteTarget(kind);
    QString caption = target.caption;
    if (!m_txtName->text().isEmpty())
        caption += QStringLiteral(" - ") + m_txtName->text();
    NoteEditor editor(caption, m_note.value_or(m_record.text(target.note)), this);
    if (editor.exec() == QDialog::Accepted)
        m_note = editor.noteText();
}

void frmRecordEditor::cmdOutlook_Click() {
    if (!m_txtName->text().isEmpty()) {
        const auto answer = m_forms.prompter.message(
            tr("The current record contains information that will be replaced with the contact "
               "data you specify.  Do you want to replace the existing data?"),
            tr("Overwrite Data?"), Prompter::Icon::Exclamation, Prompter::Buttons::YesNo);
        if (answer != Prompter::Answer::Yes)
            return;
    }
    frmOutlook picker(m_forms.contacts, m_forms.prompter, this);
    if (picker.exec() != QDialog::Accepted || !picker.chosen())
        return;
    const Contact &c = *picker.chosen();
    // Every mapped box is overwritten, with empty text too; the others stay as they are.
    if (m_kind == RecordKind::Vendor) {
        m_txtName->setText(c.company);
        m_txtContact->setText(c.fullName);
    } else {
        m_txtName->setText(c.fullName);
    }
    m_txtAddress->setText(c.street);
    m_txtCity->setText(c.city);
    m_txtState->setText(c.state);
    m_txtZip->setText(c.postalCode);
    if (m_kind == RecordKind::Vendor) {
        m_txtPhone->setText(c.businessPhone);
    } else {
        m_txtPhone->setText(c.homePhone);
        if (m_txtPhone->text().isEmpty())
            m_txtPhone->setText(c.businessPhone);
    }
    m_txtEmail->setText(c.email);
    if (m_kind == RecordKind::Guest && m_cmbRSVP->currentText().isEmpty())
        setComboText(m_cmbRSVP, QStringLiteral("1"));
}
