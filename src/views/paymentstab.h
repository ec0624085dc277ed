#pragma once

#include "listtab.h"

class QComboBox;

// The "Payments" tab: the confirmed vendors' pending (next) or final payments, and their total.
class PaymentsTab : public ListTab {
    Q_OBJECT
public:
    PaymentsTab(const FormContext &forms, TabHost &host, QWidget *parent = nullptr);
    ListGrid *grid() const { return m_grid; }
    QComboBox *viewBox() const { return m_view; } // cboPayment

    void UpdatePayments();
    void fillFilterBoxes() override;
    // "Total": the amounts listed.
    void showTotal();
    // Double-click or Enter on a row: the vendor in the record editor.
    void openCurrentRow();

private:
    ListGrid *m_grid = nullptr;
    RecordListModel *m_model = nullptr;
    QComboBox *m_view = nullptr;
    bool m_final = false; // "Final Payments" rather than "Pending Payments"
};
