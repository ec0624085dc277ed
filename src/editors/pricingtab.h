#pragma once

#include "store/planedit.h"

#include <QHash>
#include <QWidget>

class Prompter;
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
    explicit PricingTab(Prompter &prompter, QWidget *parent = nullptr);

    // Fills the page from the vendor: vcos, dued, vdwn, npay, ndat, vbal, paid. A disabled
    // final due date shows the wedding day.
    void load(const Record &vendor, const QDate &weddingDay);
    // The page's fields as they are to be written, after recalculating the balance.
    std::vector<FieldEntry> entries();

    // "Recalculate Balance": price − down payment − next payment.
    void recalculate();
    // The text of a money box as checked when the box is left; may say it was not a number.
    QString ValidatePrice(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void toggleDate(QDateEdit *picker, QPushButton *button);
    static void setDateState(QDateEdit *picker, QPushButton *button, bool enabled);
    void loadDate(const Record &vendor, FieldCode code, QDateEdit *picker, QPushButton *button,
                  const QDate &fallback, QTime &loadedTime);
    static FieldEntry dateEntry(FieldCode code, const QDateEdit *picker, const QTime &time);
    // Money boxes show amounts in the user's writing ("1,500.50"); the plan keeps plain digits.
    static QString shownMoney(const QString &stored);
    void setMoney(QLineEdit *box, const QString &stored);
    QString storedMoney(const QLineEdit *box) const;

    Prompter &m_prompter;
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

    // The time of day of the stored dates, kept when the user picks another day.
    QTime m_finalTime;
    QTime m_nextTime;
    bool m_validating = false;
    // What each money box was loaded with.
    QHash<const QLineEdit *, QString> m_loaded;
};
