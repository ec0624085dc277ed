#pragma once

#include "store/palmdatabase.h"

#include <QHash>
#include <QLocale>
#include <QStringList>
#include <vector>

// The guest list at a glance: who has replied, how many are coming, what they eat.
struct GuestSummary {
    struct Meal {
        QString name;
        qint64 people = 0;
        bool listed = true; // on the plan's meal list
    };

    qint64 invited = 0;         // guest records, whatever their reply
    qint64 confirmed = 0;       // confirmed guest records...
    qint64 confirmedPeople = 0; // ...and the people they stand for, as the guest count counts
    qint64 awaiting = 0;
    qint64 declined = 0;
    // Guests who did not decline, at a table and at none (a declined guest takes no seat).
    qint64 seated = 0;
    qint64 unseated = 0;
    // The confirmed people by meal: the meal list's order, then meals the list lacks in the
    // order first met; meals nobody confirmed chose are left out.
    std::vector<Meal> meals;
    qint64 noMeal = 0; // confirmed people without a meal choice
};

// One line for the guest tab: "Invited 250 · Confirmed 180 (212 people) · …". At most
// `mealsShown` meals are named, the rest counted.
QString summaryText(const GuestSummary &summary, const QLocale &locale, int mealsShown = 12);

// Keeps the summary of a guest database. A full count reads each guest once and allocates
// nothing per guest; after an edit of some guests only their share is counted again.
class GuestTally {
public:
    // The meal list, in its order. Call recount() after.
    void setMeals(const QStringList &meals);
    void recount(const PalmDatabase &guests);
    // Counts one guest again after its fields changed. Recounts everything when the guest is
    // not where the last count found it (records came, went or moved).
    void update(const PalmDatabase &guests, const Record &guest);
    GuestSummary summary() const;

private:
    struct Share {
        qint64 people = 0;
        int meal = -1; // index into m_meals, -1 for none
        quint8 reply = 0;
        bool seated = false;
    };
    Share shareOf(const Record &guest);
    // The meal's place in m_meals (added when the list lacks it), -1 for none.
    int mealIndex(const FieldValue &meal);
    int indexOfName(const QString &name);
    void add(const Share &share, int sign);

    QStringList m_meals; // the list's meals, then those met that it lacks
    int m_listed = 0;
    QHash<QString, int> m_mealIndex;
    int m_lastMeal = -1;
    static constexpr qsizetype kScanned = 16;
    std::vector<qint64> m_mealPeople;
    std::vector<Share> m_shares; // by the guest's place in the database
    qint64 m_replies[3] = {0, 0, 0};
    qint64 m_confirmedPeople = 0;
    qint64 m_seated = 0;
    qint64 m_unseated = 0;
    qint64 m_noMeal = 0;
};

// The summary of a guest database in one go.
GuestSummary summarizeGuests(const PalmDatabase &guests, const QStringList &meals);
