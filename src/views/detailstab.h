#pragma once

#include <QWidget>

class frmMain;

// The "Details" tab: the one details record of the plan (who the plan is for, the date, the
// couple, church, officiant and reception).
class DetailsTab : public QWidget {
    Q_OBJECT
public:
    explicit DetailsTab(frmMain &main, QWidget *parent = nullptr);

    // Fills the tab from the details record.
    void UpdateDetails();
    // Writes the tab (and the seating tab's two setup boxes) into the details record,
    // creating the record and any missing field; reports its own failure.
    void StoreDetails();
    // Writes the plan's name into every party, guest, task and vendor record.
    void StampOwner();
    // Empties the tab without touching any record.
    void ClearDetails();
    // Fills both time lists; once, when the window loads.
    void fillTimeLists();

    QString planName() const;
    void setPlanName(const QString &name);

private:
    frmMain &m_main;
};
