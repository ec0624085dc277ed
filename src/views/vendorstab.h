#pragma once

#include "listtab.h"
#include "rules/replies.h"

class QComboBox;

// The "Vendors" tab: the vendor list with its service and status filters, adding, deleting and
// opening vendors, and the cost of the confirmed vendors.
class VendorsTab : public ListTab {
    Q_OBJECT
public:
    VendorsTab(const FormContext &forms, TabHost &host, QWidget *parent = nullptr);
    ListGrid *grid() const { return m_grid; }
    QComboBox *typeBox() const { return m_type; }     // cmbVendors
    QComboBox *statusBox() const { return m_status; } // cmbVendorStatus

    void UpdateVendorsGrid();
    void fillFilterBoxes() override;
    // "Add Vendor": a new vendor from the filters, opened in the record editor; it joins the
    // list when the editor is confirmed.
    void addVendor();
    // "Delete Vendor": asks first.
    void deleteVendor();
    // Double-click or Enter on a row.
    void openCurrentRow();
    // "Vendor Cost".
    void showVendorCost();
    // "Sort Vendors by Name", a step of the history that does not mark the plan modified.
    void sortByName();

    // The vendor in the record editor; OK writes it as one step. False when cancelled.
    static bool editVendor(const FormContext &forms, Record &vendor, QWidget *parent);

private:
    ListGrid *m_grid = nullptr;
    RecordListModel *m_model = nullptr;
    QComboBox *m_type = nullptr;
    QComboBox *m_status = nullptr;
    QString m_shownType; // "All" for every service
    Replies::Status m_shownStatus = Replies::Status::All;
};
