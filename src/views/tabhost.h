#pragma once

#include "rules/categorylookup.h"

// What a tab may ask of the window that holds it: bringing a page to the front, and running the
// category editor (after which every filter box of the window goes back to "All").
class TabHost {
public:
    enum Tab {
        DetailsPage,
        PartyPage,
        GuestsPage,
        VendorsPage,
        SeatingPage,
        TasksPage,
        PaymentsPage,
        BudgetPage
    };

    virtual ~TabHost() = default;

    virtual void showTab(Tab tab) = 0;
    virtual void editCategoryList(CategoryKind list) = 0;
};
