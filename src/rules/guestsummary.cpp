#include "guestsummary.h"

#include "fieldpass.h"
#include "guestcount.h"
#include "replies.h"

using Replies::Reply;
using namespace Schema;

void GuestTally::setMeals(const QStringList &meals) {
    m_meals = meals;
    m_listed = int(meals.size());
    m_lastMeal = -1;
    m_mealIndex.clear();
    m_mealIndex.reserve(meals.size());
    // A name listed twice counts under its first place.
    for (int i = int(meals.size()) - 1; i >= 0; --i)
        m_mealIndex.insert(meals[i], i);
    m_shares.clear();
}

GuestTally::Share GuestTally::shareOf(const Record &guest) {
    const auto [confirmed, declined, rsvp, table, meal] = findFields(
        guest, Guest::kConfirmed, Guest::kDeclined, Guest::kRsvp, Guest::kTable, Guest::kMeal);
    Share share;
    const Reply reply = confirmed && confirmed->value().toBool() ? Reply::Confirmed
                        : declined && declined->value().toBool() ? Reply::Declined
                                                                 : Reply::Awaiting;
    share.reply = quint8(reply);
    share.people = rsvp ? guestPeople(rsvp->value()) : 1;
    share.seated = table && !table->value().textView().trimmed().isEmpty();
    if (meal)
        share.meal = mealIndex(meal->value());
    return share;
}

int GuestTally::mealIndex(const FieldValue &meal) {
    const QStringView text = meal.textView();
    if (text.isEmpty())
        return meal.type() == FieldValue::Type::Text ? -1 : indexOfName(meal.toText());
    // Guests in a row often share a meal; a short list is quicker to scan than to hash.
    if (m_lastMeal >= 0 && m_meals[m_lastMeal] == text)
        return m_lastMeal;
    if (m_meals.size() <= kScanned) {
        for (qsizetype i = 0; i < m_meals.size(); ++i) {
            if (m_meals[i] == text)
                return m_lastMeal = int(i);
        }
    }
    return m_lastMeal = indexOfName(text.toString());
}

int GuestTally::indexOfName(const QString &name) {
    if (name.isEmpty())
        return -1;
    const auto found = m_mealIndex.constFind(name);
    if (found != m_mealIndex.constEnd())
        return *found;
    const int index = int(m_meals.size());
    m_meals.append(name);
    m_mealIndex.insert(name, index);
    m_mealPeople.push_back(0);
    return index;
}

void GuestTally::add(const Share &share, int sign) {
    m_replies[share.reply] += sign;
    if (Reply(share.reply) == Reply::Declined)
        return;
    (share.seated ? m_seated : m_unseated) += sign;
    if (Reply(share.reply) != Reply::Confirmed)
        return;
    const qint64 people = sign * share.people;
    m_confirmedPeople += people;
    if (share.meal >= 0)
        m_mealPeople[std::size_t(share.meal)] += people;
    else
        m_noMeal += people;
}

void GuestTally::recount(const PalmDatabase &guests) {
    // Meals met before that the list lacks are forgotten, so that edits do not pile them up.
    for (qsizetype i = m_listed; i < m_meals.size(); ++i)
        m_mealIndex.remove(m_meals[i]);
    m_meals.resize(m_listed);
    m_lastMeal = -1;
    m_mealPeople.assign(std::size_t(m_listed), 0);
    m_replies[0] = m_replies[1] = m_replies[2] = 0;
    m_confirmedPeople = m_seated = m_unseated = m_noMeal = 0;
    const auto &records = guests.records().raw();
    m_shares.resize(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        m_shares[i] = shareOf(*records[i]);
        add(m_shares[i], 1);
    }
}

void GuestTally::update(const PalmDatabase &guests, const Record &guest) {
    const int place = guests.records().indexOf(&guest);
    if (place < 0 || std::size_t(guests.records().count()) != m_shares.size()) {
        recount(guests);
        return;
    }
    Share &share = m_shares[std::size_t(place)];
    add(share, -1);
    share = shareOf(guest);
    add(share, 1);
}

GuestSummary GuestTally::summary() const {
    GuestSummary s;
    s.confirmed = m_replies[int(Reply::Confirmed)];
    s.declined = m_replies[int(Reply::Declined)];
    s.awaiting = m_replies[int(Reply::Awaiting)];
    s.invited = s.confirmed + s.declined + s.awaiting;
    s.confirmedPeople = m_confirmedPeople;
    s.seated = m_seated;
    s.unseated = m_unseated;
    s.noMeal = m_noMeal;
    for (std::size_t i = 0; i < m_mealPeople.size(); ++i) {
        if (m_mealPeople[i] != 0)
            s.meals.push_back({m_meals[qsizetype(i)], m_mealPeople[i], int(i) < m_listed});
    }
    return s;
}

GuestSummary summarizeGuests(const PalmDatabase &guests, const QStringList &meals) {
    GuestTally tally;
    tally.setMeals(meals);
    tally.recount(guests);
    return tally.summary();
}

QString summaryText(const GuestSummary &s, const QLocale &locale, int mealsShown) {
    const auto n = [&locale](qint64 value) {
        return locale.toString(value);
    };
    QStringList parts;
    parts << QStringLiteral("Invited %1").arg(n(s.invited))
          << QStringLiteral("Confirmed %1 (%2 %3)")
                 .arg(n(s.confirmed), n(s.confirmedPeople),
                      s.confirmedPeople == 1 ? QStringLiteral("person") : QStringLiteral("people"))
          << QStringLiteral("Awaiting reply %1").arg(n(s.awaiting))
          << QStringLiteral("Declined %1").arg(n(s.declined))
          << QStringLiteral("Seated %1").arg(n(s.seated))
          << QStringLiteral("Not seated %1").arg(n(s.unseated));
    QStringList meals;
    for (const GuestSummary::Meal &meal : s.meals) {
        if (meals.size() == mealsShown)
            break;
        meals << QStringLiteral("%1 %2").arg(meal.name, n(meal.people));
    }
    if (const qsizetype more = qsizetype(s.meals.size()) - meals.size(); more > 0)
        meals << QStringLiteral("%1 more").arg(n(more));
    if (s.noMeal != 0)
        meals << QStringLiteral("no choice %1").arg(n(s.noMeal));
    if (!meals.isEmpty())
        parts << QStringLiteral("Meals: ") + meals.join(QStringLiteral(", "));
    return parts.join(QStringLiteral(" \u00B7 "));
}
