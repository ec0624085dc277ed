#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// "Contacts - Select One For Import": lists the user's address book by first name and hands
// the chosen contact to the record editor through contactPick(). Fills itself when shown.
// OK takes the contact by its position in a fresh read of the address book; Cancel, Escape
// and the window frame all count as cancelled.
class frmOutlook : public QDialog {
    Q_OBJECT
public:
    explicit frmOutlook(QWidget *parent = nullptr);

    // Reads the address book into the list; offers to choose one when none is found.
    void FillList();
    QListWidget *list() const { return m_list; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OKButton_Click();
    void chooseAddressBook();

    QListWidget *m_list = nullptr;
    QLabel *m_unread = nullptr;
    bool m_filled = false;
};
