#pragma once

class PlanView;

// What a tab may ask of the window that holds it: the plan-wide refreshes, bringing a page to
// the front, and opening a category editor. Tabs know nothing else of the window.
class TabHost {
public:
    enum Tab {
        DetailsPage,
        PartyPage,
        GuestsPage,
        VendorsPage,
        SeatingPage,
        TasksPage,
        PaymentsPage
    };
    // The category lists a tab can ask to have edited.
    enum class CategoryList { Relations, Timeframes, VendorTypes };

    virtual ~TabHost() = default;

    virtual PlanView &planView() = 0;
    virtual void showTab(Tab tab) = 0;
    // Runs the category editor for `list` and refreshes what depends on it.
    virtual void editCategoryList(CategoryList list) = 0;
};
