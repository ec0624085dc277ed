#pragma once

#include "listtab.h"

class PalmDatabase;
class QComboBox;
class Record;

// The "Vendors" tab: the vendor list with its service and status filters, adding, deleting and
// opening vendors, and the cost of the confirmed vendors.
class VendorsTab : public ListTab {
    Q_OBJECT
public:
    explicit VendorsTab(TabHost &host, QWidget *parent = nullptr);
    ListGrid *grid() const { return m_grid; }
    QComboBox *typeBox() const { return m_type; }     // cmbVendors
    QComboBox *statusBox() const { return m_status; } // cmbVendorStatus

    void UpdateVendorsGrid();
    // "Add Vendor": a new vendor from the filters, opened in the record editor at once; it is
    // removed again when the editor is cancelled.
    void addVendor();
    // "Delete Vendor": asks first, unless an Add is being undone (the cancelled flag is set).
    void deleteVendor();
    // Double-click or Enter on a row.
    void openCurrentRow();
    // "Vendor Cost".
    void showVendorCost();
    // "Sort Vendors by Name". Sorting is not an edit of the plan.
    void sortByName();

    // Opens vendor `recordNumber` in the record editor over `parent`; false when the number
    // cannot be handed over. The caller refreshes and reads the flags.
    static bool runVendorEditor(QWidget *parent, int recordNumber);
    // The open plan's vendors, or null when no plan is open.
    static PalmDatabase *vendors();

private:
    PalmDatabase *listDatabase() override { return vendors(); }
    // The payment rows name vendors by number too, and those numbers move with a removal.
    void refreshList() override;
    void writeNewVendor(PalmDatabase &db, Record &record) const;

    ListGrid *m_grid = nullptr;
    QComboBox *m_type = nullptr;
    QComboBox *m_status = nullptr;
};
