#include "frmoutlook.h"

#include "store/prompter.h"
#include "vcard.h"
#include "widgets/twips.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 5400;
constexpr int kHeight = 4200;

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// What the address book held that is not listed, for the line under the list.
QString unreadText(const VCard::Unread &unread) {
    QStringList parts;
    const QLocale locale;
    if (unread.cards == 1)
        parts << frmOutlook::tr("1 card could not be read: it is damaged or cut short.");
    else if (unread.cards > 1)
        parts << frmOutlook::tr("%1 cards could not be read: they are damaged or cut short.")
                     .arg(locale.toString(unread.cards));
    if (unread.files == 1)
        parts << frmOutlook::tr("1 file of the address book could not be read.");
    else if (unread.files > 1)
        parts << frmOutlook::tr("%1 files of the address book could not be read.")
                     .arg(locale.toString(unread.files));
    return parts.join(QStringLiteral("  "));
}

} // namespace

frmOutlook::frmOutlook(ContactSource &source, Prompter &prompter, QWidget *parent)
    : QDialog(parent)
    , m_source(source)
    , m_prompter(prompter) {
    setObjectName(QStringLiteral("frmOutlook"));
    setWindowTitle(tr("Contacts - Select One For Import"));
    setModal(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstOutlook"));
    // Thousands of entries of one line each: fixed heights keep filling and scrolling cheap.
    m_list->setUniformItemSizes(true);
    auto *fill = makeButton(this, "cmdFill", tr("&Fill List"));
    auto *choose = makeButton(this, "cmdChooseBook", tr("&Address Book..."));
    auto *ok = makeButton(this, "OKButton", tr("OK"));
    auto *cancel = makeButton(this, "CancelButton", tr("Cancel"));
    ok->setDefault(true);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addSpacing(12);
    buttons->addWidget(fill);
    buttons->addWidget(choose);
    buttons->addStretch(1);
    m_unread = new QLabel(this);
    m_unread->setObjectName(QStringLiteral("lblUnread"));
    m_unread->setWordWrap(true);
    m_unread->hide();
    auto *listSide = new QVBoxLayout;
    listSide->addWidget(m_list, 1);
    listSide->addWidget(m_unread);
    auto *main = new QHBoxLayout(this);
    main->addLayout(listSide, 1);
    main->addLayout(buttons);

    connect(fill, &QPushButton::clicked, this, &frmOutlook::FillList);
    connect(choose, &QPushButton::clicked, this, &frmOutlook::chooseAddressBook);
    connect(ok, &QPushButton::clicked, this, &frmOutlook::OKButton_Click);
    connect(cancel, &QPushButton::clicked, this, &frmOutlook::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &frmOutlook::OKButton_Click);
    resize(Twips::toPixels(kWidth), Twips::toPixels(kHeight));
}

void frmOutlook::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!m_filled) {
        m_filled = true;
        FillList();
        m_list->setFocus();
    }
}

void frmOutlook::FillList() {
    ContactSource &source = m_source;
    const std::optional<std::vector<Contact>> contacts = source.sortedContacts();
    if (!contacts) {
        const QString text =
            tr("No address book was found.  Vowline Desktop imports contacts exported as vCard "
               "(.vcf files) and looks for them in:") +
            u'\r' + source.placesSearched().join(u'\r') + u'\r' + u'\r' +
            tr("Do you want to choose an address book file now?");
        const auto answer = m_prompter.message(
            text, tr("Contacts Not Found"), Prompter::Icon::Exclamation, Prompter::Buttons::YesNo);
        if (answer == Prompter::Answer::Yes)
            chooseAddressBook();
        return; // the list stays as it was
    }
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    int n = 0;
    for (const Contact &contact : *contacts) {
        auto *item = new QListWidgetItem(contact.listText());
        item->setData(Qt::UserRole, ++n);
        m_list->addItem(item);
    }
    m_list->setUpdatesEnabled(true);
    const QString unread = unreadText(source.unread());
    m_unread->setText(unread);
    m_unread->setVisible(!unread.isEmpty());
}

void frmOutlook::chooseAddressBook() {
    const std::optional<QString> path =
        m_prompter.openFile(tr("Choose Address Book"),
                            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                            tr("vCard Files (*.vcf)|*.vcf"));
    if (!path || path->isEmpty())
        return;
    m_source.choose(*path);
    FillList();
}

void frmOutlook::OKButton_Click() {
    QListWidgetItem *item = m_list->currentItem();
    if (!item || !item->isSelected()) {
        m_prompter.tell(tr("You must first select a person from the list at the left."),
                        kProgramTitle);
        return;
    }
    // Read again and take the contact at the listed position; an address book that changed
    // in between is not trusted to hold the same contact there.
    const int position = item->data(Qt::UserRole).toInt();
    const auto contacts = m_source.sortedContacts();
    if (!contacts || position < 1 || position > int(contacts->size()) ||
        (*contacts)[std::size_t(position - 1)].listText() != item->text()) {
        m_prompter.tell(tr("The address book has changed since the list was filled.  "
                           "Please choose the contact again."),
                        kProgramTitle, Prompter::Icon::Exclamation);
        FillList();
        return;
    }
    m_chosen = (*contacts)[std::size_t(position - 1)];
    accept();
}
