#pragma once

#include "store/palmdatabase.h"

#include <QDate>
#include <QDateTime>
#include <QWidget>

class QCheckBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

// The "Pricing" page of the record editor for a vendor: contract price, down payment, next
// payment with its due date, and the balance with the final due date. A due date is stored only
// while its picker is enabled; a disabled picker means the payment has no date and the field is
// removed on save.
class PricingTab : public QWidget {
    Q_OBJECT
public:
    explicit PricingTab(QWidget *parent = nullptr);

    // Fills the page from the vendor: vcos, dued, vdwn, npay, ndat, vbal, paid. A missing money
    // field or paid is added to the record (and the field list) empty; a missing date is not.
    void load(PalmDatabase &vendors, Record &vendor);
    // Writes the page back, after recalculating the balance.
    void save(PalmDatabase &vendors, Record &vendor);

    // "Recalculate Balance": price − down payment − next payment.
    void recalculate();
    // The text of a money box as checked when the box is left; may say it was not a number.
    static QString ValidatePrice(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void toggleDate(QDateEdit *picker, QPushButton *button);
    static void setDateState(QDateEdit *picker, QPushButton *button, bool enabled);
    void loadDate(const Record &vendor, FieldCode code, QDateEdit *picker, QPushButton *button,
                  const QDate &fallback, QDateTime &loaded);
    void saveDate(PalmDatabase &vendors, Record &vendor, FieldCode code, QDateEdit *picker,
                  const QDateTime &loaded);

    QLineEdit *m_price = nullptr;
    QDateEdit *m_finalDate = nullptr;
    QPushButton *m_editFinal = nullptr;
    QLineEdit *m_down = nullptr;
    QCheckBox *m_paid = nullptr;
    QLineEdit *m_next = nullptr;
    QDateEdit *m_nextDate = nullptr;
    QPushButton *m_editNext = nullptr;
    QLineEdit *m_balance = nullptr;
    QPushButton *m_recalc = nullptr;

    // The stored dates, so that an unchanged day keeps its time of day.
    QDateTime m_loadedFinal;
    QDateTime m_loadedNext;
    bool m_validating = false;
};
