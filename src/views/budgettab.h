#pragma once

#include "listtab.h"
#include "rules/budget.h"

class QLineEdit;
class QTableView;
class BudgetModel;

// The "Budget" tab: the plan's total budget, and per service and in total what was budgeted,
// what the confirmed vendors cost, what was paid, what is still due and what is left. A line
// over its budget says "Over budget" in words. The amounts are typed into the total box and
// into a service's Budgeted cell; each change is one step of the history.
class BudgetTab : public ListTab {
    Q_OBJECT
public:
    BudgetTab(const FormContext &forms, TabHost &host, QWidget *parent = nullptr);

    QLineEdit *totalBox() const { return m_total; } // txtBudget
    QTableView *grid() const { return m_grid; }     // BudgetGrid
    const Budget::Sheet &sheet() const;

    // Reads the plan again.
    void UpdateBudget();
    // What a budget box holds after the user typed `typed`: the service's amount (empty for the
    // whole plan's), kept as a step; a text that is no amount is reported and nothing changes.
    // True when it was taken.
    bool enterBudget(const std::optional<QString> &service, const QString &typed);

private:
    void totalEdited();
    void showTotal();

    BudgetModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_total = nullptr;
    bool m_checking = false;
};
