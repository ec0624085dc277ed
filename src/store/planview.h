#pragma once

// What the plan store needs of the main window after a load or a save: its refresh methods,
// called by name and in a fixed order. Each may throw; the callers catch and report.
class PlanView {
public:
    virtual ~PlanView() = default;

    virtual void FillFilterBoxes() = 0;
    virtual void RefreshCaption() = 0;
    virtual void UpdateDetails() = 0;
    virtual void UpdatePartyGrid() = 0;
    virtual void UpdateGuestGrid() = 0;
    virtual void UpdateTableGrid() = 0;
    virtual void UpdateSeatingGrid() = 0;
    virtual void UpdateVendorsGrid() = 0;
    virtual void UpdateTasks() = 0;
    virtual void UpdatePayments() = 0;
    virtual void SortTasks() = 0;
};
