#pragma once

#include "listtab.h"

// The "Vendors" tab.
class VendorsTab : public ListTab {
    Q_OBJECT
public:
    explicit VendorsTab(TabHost &host, QWidget *parent = nullptr);
    ListGrid *grid() const { return m_grid; }
    void UpdateVendorsGrid() {}

private:
    ListGrid *m_grid;
};
