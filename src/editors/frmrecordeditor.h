#pragma once

#include "plan/formcontext.h"
#include "rules/replies.h"
#include "store/planedit.h"

#include <QDialog>
#include <optional>
#include <vector>

class PricingTab;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The kinds of record the record editor edits.
enum class RecordKind { Party, Guest, Vendor };

// The database, name field and note kind of each record kind.
Schema::DbId databaseOf(RecordKind kind);
FieldCode nameFieldOf(RecordKind kind);

// "Record Details": one party member, guest or vendor. A guest's reply (awaiting, confirmed or
// declined), meal and dietary note are edited beside the fields the handheld shares. It shows
// `record` (one of the plan's, or a new one made apart when `isNew`) and hands back on OK the
// fields to write, in the order they are written (entries()); the caller writes them as one step.
// The table choice's seat check and the notes of a stored record are steps of their own, made at
// once.
class frmRecordEditor : public QDialog {
    Q_OBJECT
public:
    frmRecordEditor(const FormContext &forms, RecordKind kind, Record &record, bool isNew,
                    QWidget *parent = nullptr);

    // After OK: every field of the form, in the order they are written.
    std::vector<FieldEntry> entries();

    QTabWidget *tabs() const { return m_tabs; }
    // The "Pricing" page, shown for vendors only.
    QWidget *pricingPage() const;

private:
    struct Binding;

    void buildForm();
    void layOutForKind();
    void FillComboBox();
    void loadRecord();
    std::vector<Binding> loadOrder() const;
    std::vector<Binding> saveOrder() const;

    void cmdRecordOK_Click();
    void cmdRecordNote_Click();
    void cmdOutlook_Click();
    void chkRecord_Click();
    void cboReply_Change();
    Replies::Reply currentReply() const;
    void cboTable_Click();
    void txtName_Change(const QString &name);

    const FormContext m_forms;
    const RecordKind m_kind;
    Record &m_record;
    const bool m_isNew;
    // A new record's note, kept until the record joins the plan.
    std::optional<QString> m_note;

    QTabWidget *m_tabs = nullptr;
    QWidget *m_contactPage = nullptr;
    PricingTab *m_pricing = nullptr;

    QLabel *m_lblType = nullptr;
    QLabel *m_lblContact = nullptr;
    QLabel *m_lblEmail = nullptr;
    QLabel *m_lblRSVP = nullptr;
    QLabel *m_lblGift = nullptr;
    QLabel *m_lblCountry = nullptr;

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
    // A guest's reply takes the Confirmed box's place and keeps it in step.
    QLabel *m_lblReply = nullptr;
    QComboBox *m_cboReply = nullptr;
    QLabel *m_lblMeal = nullptr;
    QComboBox *m_cboMeal = nullptr;
    QLabel *m_lblDiet = nullptr;
    QLineEdit *m_txtDiet = nullptr;
};
