#pragma once

#include "listtab.h"

// The "Payments" tab.
class PaymentsTab : public ListTab {
    Q_OBJECT
public:
    explicit PaymentsTab(TabHost &host, QWidget *parent = nullptr);
    ListGrid *grid() const { return m_grid; }
    void UpdatePayments() {}

private:
    ListGrid *m_grid;
};
