#pragma once

#include <QDialog>
#include <vector>

class PalmDatabase;
class PricingTab;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class Record;

// "Record Details": edits one party (editor kind 3), guest (4) or vendor (5) record, number
// appState().selectedRecord. Sets the cancelled flag on opening; OK writes every field back,
// re-sorts the database by name, clears the cancelled flag and sets the changed flag. Any
// other kind, or an index that names no record, loads nothing and OK writes nothing.
class frmRecordEditor : public QDialog {
    Q_OBJECT
public:
    explicit frmRecordEditor(QWidget *parent = nullptr);

    // Fills the relation or service list, the guests' table list and the RSVP entries.
    void FillComboBox();

    QTabWidget *tabs() const { return m_tabs; }
    // The "Pricing" page, shown for vendors only.
    QWidget *pricingPage() const { return m_pricingPage; }
    // True when the selected record index named a record of the kind's database on opening.
    bool hasRecord() const { return m_hasRecord; }

private:
    enum Kind { Party = 3, Guest = 4, Vendor = 5 };

    void buildForm();
    void layOutForKind();
    void loadRecord();
    void writeRecord();

    void cmdRecordOK_Click();
    void cmdRecordCancel_Click();
    void cmdRecordNote_Click();
    void cmdOutlook_Click();
    void chkRecord_Click();
    void cboTable_Click();
    void txtName_Change(const QString &name);

    // The database of the editor kind; null for another kind or when no plan is open.
    PalmDatabase *database() const;
    // The record being edited, looked up by its number; null when there is none.
    Record *record() const;

    // One field of the record and the control that shows it, in load or save order.
    struct Binding;
    std::vector<Binding> loadOrder() const;
    std::vector<Binding> saveOrder() const;

    const int m_kind;
    const int m_index;
    bool m_hasRecord = false;

    QTabWidget *m_tabs = nullptr;
    QWidget *m_contactPage = nullptr;
    QWidget *m_pricingPage = nullptr;
    PricingTab *m_pricing = nullptr;

    QLabel *m_lblName = nullptr;
    QLabel *m_lblType = nullptr;
    QLabel *m_lblContact = nullptr;
    QLabel *m_lblAddress = nullptr;
    QLabel *m_lblCity = nullptr;
    QLabel *m_lblState = nullptr;
    QLabel *m_lblZip = nullptr;
    QLabel *m_lblPhone = nullptr;
    QLabel *m_lblEmail = nullptr;
    QLabel *m_lblCountry = nullptr;
    QLabel *m_lblRSVP = nullptr;
    QLabel *m_lblGift = nullptr;

    QLineEdit *m_txtName = nullptr;
    QComboBox *m_cboType = nullptr;
    QLineEdit *m_txtContact = nullptr;
    QComboBox *m_cboTable = nullptr;
    QLineEdit *m_txtAddress = nullptr;
    QLineEdit *m_txtCity = nullptr;
    QLineEdit *m_txtState = nullptr;
    QLineEdit *m_txtZip = nullptr;
    QLineEdit *m_txtPhone = nullptr;
    QLineEdit *m_txtEmail = nullptr;
    QLineEdit *m_txtCountry = nullptr;
    QComboBox *m_cmbRSVP = nullptr;
    QLineEdit *m_txtGift = nullptr;
    QCheckBox *m_chkThankYou = nullptr;
    QCheckBox *m_chkRecord = nullptr;

    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    QPushButton *m_cmdNote = nullptr;
    QPushButton *m_cmdOutlook = nullptr;
};
