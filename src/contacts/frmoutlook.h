#pragma once

#include "vcard.h"

#include <QDialog>
#include <optional>

class Prompter;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// "Contacts - Select One For Import": lists the user's address book by first name; after OK,
// chosen() is the contact. Fills itself when shown. OK takes the contact by its position in a
// fresh read of the address book; Cancel, Escape and the window frame all count as cancelled.
class frmOutlook : public QDialog {
    Q_OBJECT
public:
    frmOutlook(ContactSource &source, Prompter &prompter, QWidget *parent = nullptr);

    const std::optional<Contact> &chosen() const { return m_chosen; }

    // Reads the address book into the list; offers to choose one when none is found.
    void FillList();
    QListWidget *list() const { return m_list; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OKButton_Click();
    void chooseAddressBook();

    ContactSource &m_source;
    Prompter &m_prompter;
    std::optional<Contact> m_chosen;
    QListWidget *m_list = nullptr;
    QLabel *m_unread = nullptr;
    bool m_filled = false;
};
