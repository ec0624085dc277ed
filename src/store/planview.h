#pragma once

#include <QString>

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

// What saving needs of the window besides the refreshes: the plan's name box, the details
// tab, and the Palm-user box.
class PlanWindow : public PlanView {
public:
    // The text of "Wedding Plan For:".
    virtual QString planName() const = 0;
    virtual void setPlanName(const QString &name) = 0;
    // Writes the details tab into the details record; reports its own failures.
    virtual void StoreDetails() = 0;
    // Writes the plan's name into every party, guest, task and vendor record.
    virtual void StampOwner() = 0;
    virtual bool palmUserBoxEnabled() const = 0;
    virtual QString palmUserBoxText() const = 0;
};
