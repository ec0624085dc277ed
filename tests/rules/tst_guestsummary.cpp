#include "rules/guestcount.h"
#include "rules/guestsummary.h"
#include "rules/replies.h"
#include "store/planedit.h"
#include "support/testenv.h"

#include <QRandomGenerator>
#include <QTest>

using Replies::Reply;
using Replies::Status;

namespace {

// One guest: its reply ("C" confirmed, "D" declined, "A" awaiting, "-" no gcon at all, "CD"
// confirmed on the handheld after a decline here), rsvp, meal and table; null for a field the
// record lacks.
struct G {
    const char *reply;
    const char *rsvp = nullptr;
    const char *meal = nullptr;
    const char *table = nullptr;
};

void addGuest(PalmDatabase &db, const G &g) {
    Record &r = db.records().add();
    db.write(r, "gnam", QStringLiteral("Guest"));
    const QString reply = QString::fromLatin1(g.reply);
    if (reply != u"-")
        db.write(r, "gcon", reply.startsWith(u'C'), FieldKind::Boolean);
    if (reply.endsWith(u'D'))
        db.write(r, "gdec", true, FieldKind::Boolean);
    if (g.rsvp)
        db.write(r, "rsvp", QString::fromUtf8(g.rsvp));
    if (g.meal)
        db.write(r, "gmea", QString::fromUtf8(g.meal));
    if (g.table)
        db.write(r, "gtag", QString::fromUtf8(g.table));
}

const QStringList kMeals = {"Meat", "Fish", "Vegan"};

// "Meat 2, Kosher* 1": the meals with their people, * for a meal the list lacks.
QString mealsOf(const GuestSummary &s) {
    QStringList parts;
    for (const GuestSummary::Meal &m : s.meals)
        parts << QStringLiteral("%1%2 %3").arg(m.name, m.listed ? "" : "*").arg(m.people);
    return parts.join(QStringLiteral(", "));
}

// invited/confirmed/people/awaiting/declined/seated/unseated/no meal
QString countsOf(const GuestSummary &s) {
    return QStringLiteral("%1/%2/%3/%4/%5/%6/%7/%8")
        .arg(s.invited)
        .arg(s.confirmed)
        .arg(s.confirmedPeople)
        .arg(s.awaiting)
        .arg(s.declined)
        .arg(s.seated)
        .arg(s.unseated)
        .arg(s.noMeal);
}

} // namespace

Q_DECLARE_METATYPE(G)

class TestGuestSummary : public QObject {
    Q_OBJECT
private slots:
    // A reply is read from gcon and gdec: a confirmation (from the handheld) wins over a
    // decline; the status boxes filter by it, "Unconfirmed" meaning declined or awaiting.
    void replies_data() {
        QTest::addColumn<QString>("reply"); // as G::reply
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("passing"); // the status box texts that list the guest
        const QStringList notConfirmed{"All", "Unconfirmed", "Awaiting reply", "Anything"};
        QTest::newRow("confirmed")
            << "C" << int(Reply::Confirmed) << QStringList{"All", "Confirmed", "Anything"};
        QTest::newRow("confirmed over a decline")
            << "CD" << int(Reply::Confirmed) << QStringList{"All", "Confirmed", "Anything"};
        QTest::newRow("declined") << "AD" << int(Reply::Declined)
                                  << QStringList{"All", "Unconfirmed", "Declined", "Anything"};
        QTest::newRow("declined without gcon")
            << "-D" << int(Reply::Declined)
            << QStringList{"All", "Unconfirmed", "Declined", "Anything"};
        QTest::newRow("awaiting") << "A" << int(Reply::Awaiting) << notConfirmed;
        QTest::newRow("no gcon") << "-" << int(Reply::Awaiting) << notConfirmed;
    }
    void replies() {
        QFETCH(QString, reply);
        QFETCH(int, expected);
        QFETCH(QStringList, passing);
        PalmDatabase db;
        const QByteArray latin = reply.toLatin1();
        addGuest(db, {latin.constData()});
        const Reply read = Replies::replyOf(db.records().item(1));
        QCOMPARE(int(read), expected);
        for (const QString box :
             {"All", "Confirmed", "Unconfirmed", "Declined", "Awaiting reply", "Anything"})
            QVERIFY2(Replies::passes(Replies::statusOf(box), read) == passing.contains(box),
                     qPrintable(box));

        // Written back, the reply reads the same, and only a decline leaves a gdec behind.
        PlanSet set = emptyPlanSet();
        Record &copy = set.db(Schema::DbId::Guest).records().add();
        copy.fields().add("gdec", FieldKind::Boolean).setValue(FieldValue(true));
        PlanEdit edit(set);
        edit.writeAll(Schema::DbId::Guest, copy, Replies::replyEntries(read));
        QCOMPARE(Replies::replyOf(copy), read);
        QCOMPARE(copy.has("gdec"), read == Reply::Declined);
        QCOMPARE(copy.value("gcon"), FieldValue(read == Reply::Confirmed));
    }

    // The summary over guests of every reply, RSVP form and meal. A guest stands for the people
    // the guest count counts (an empty or missing RSVP one, "0" none, a text none); declined
    // guests take no seat and are neither seated nor waiting for one; meals count the
    // confirmed people.
    void counts_data() {
        QTest::addColumn<QList<G>>("guests");
        QTest::addColumn<QString>("counts"); // as countsOf
        QTest::addColumn<QString>("meals");  // as mealsOf
        QTest::newRow("no guests") << QList<G>{} << "0/0/0/0/0/0/0/0"
                                   << "";
        QTest::newRow("every reply")
            << QList<G>{{"C", "2"}, {"AD", "3"}, {"A", ""}, {"-", "1"}, {"CD", "1"}}
            << "5/2/3/2/1/0/4/3"
            << "";
        QTest::newRow("RSVP forms")
            << QList<G>{{"C"},        {"C", ""},    {"C", "0"},       {"C", "2"},
                        {"C", "abc"}, {"C", "2.5"}, {"C", "3 adults"}}
            << "7/7/9/0/0/0/7/9"
            << "";
        QTest::newRow("seats") << QList<G>{{"C", "2", nullptr, "T1"},
                                           {"AD", "3", nullptr, "T1"},
                                           {"AD", "3"},
                                           {"A", "1", nullptr, "  "},
                                           {"A", "1", nullptr, " T2"}}
                               << "5/1/2/2/2/2/1/2"
                               << "";
        QTest::newRow("meals of the confirmed")
            << QList<G>{{"C", "2", "Meat"}, {"C", "", "Fish"},   {"C", "0", "Vegan"},
                        {"A", "4", "Meat"}, {"AD", "5", "Fish"}, {"C", "1"},
                        {"C", "1", ""},     {"C", "3", "Meat"}}
            << "8/6/8/1/1/0/7/2"
            << "Meat 5, Fish 1";
        QTest::newRow("meals the list lacks, in the order met") << QList<G>{{"C", "1", "Kosher"},
                                                                            {"C", "2", "Fish"},
                                                                            {"C", "1", "fish"},
                                                                            {"C", "1", "Kosher"}}
                                                                << "4/4/5/0/0/0/4/0"
                                                                << "Fish 2, Kosher* 2, fish* 1";
    }
    void counts() {
        QFETCH(QList<G>, guests);
        QFETCH(QString, counts);
        QFETCH(QString, meals);
        PalmDatabase db;
        for (const G &g : guests)
            addGuest(db, g);
        const GuestSummary s = summarizeGuests(db, kMeals);
        QCOMPARE(countsOf(s), counts);
        QCOMPARE(mealsOf(s), meals);
        // The people confirmed are the guest count's.
        QCOMPARE(s.confirmedPeople, countGuests(db).confirmed);
    }

    // After any edit, counting again only the guests it touched gives what a full count gives;
    // records added or removed make the tally count everything again.
    void editsAreCountedAsAFullCountWould() {
        PlanSet set = emptyPlanSet();
        PalmDatabase &db = set.db(Schema::DbId::Guest);
        QRandomGenerator rng(7);
        const char *replies[] = {"C", "AD", "A", "-", "CD"};
        const char *rsvps[] = {nullptr, "", "0", "1", "2", "abc"};
        const char *meals[] = {nullptr, "", "Meat", "Fish", "Kosher", "Halal"};
        const char *tables[] = {nullptr, "", "T1", " T2 "};
        auto any = [&rng](const auto &values) {
            return values[rng.bounded(int(std::size(values)))];
        };
        auto text = [](const char *value) {
            return QString::fromUtf8(value ? value : "");
        };
        for (int i = 0; i < 300; ++i)
            addGuest(db, {any(replies), any(rsvps), any(meals), any(tables)});
        GuestTally tally;
        tally.setMeals(kMeals);
        tally.recount(db);
        for (int round = 0; round < 400; ++round) {
            PlanEdit edit(set);
            const int n = db.records().count();
            Record &guest = db.records().item(1 + rng.bounded(n));
            switch (rng.bounded(6)) {
            case 0:
                edit.writeAll(Schema::DbId::Guest, guest,
                              Replies::replyEntries(Reply(rng.bounded(3))));
                break;
            case 1:
                edit.write(Schema::DbId::Guest, guest, "rsvp", text(any(rsvps)));
                break;
            case 2:
                if (const char *meal = any(meals))
                    edit.write(Schema::DbId::Guest, guest, "gmea", QString::fromUtf8(meal));
                else
                    edit.removeField(Schema::DbId::Guest, guest, "gmea");
                break;
            case 3:
                edit.write(Schema::DbId::Guest, guest, "gtag", text(any(tables)));
                break;
            case 4:
                edit.removeRecord(Schema::DbId::Guest, guest);
                break;
            default: {
                Record &added = edit.appendRecord(Schema::DbId::Guest);
                edit.writeAll(Schema::DbId::Guest, added,
                              Replies::replyEntries(Reply(rng.bounded(3))));
                edit.write(Schema::DbId::Guest, added, "gmea", text(any(meals)));
                break;
            }
            }
            // What the guest tab does with the plan's announcement.
            const PlanChange change = edit.change();
            if (change.rowsChanged(Schema::DbId::Guest))
                tally.recount(db);
            for (const Record *touched : change.records(Schema::DbId::Guest))
                tally.update(db, *touched);
            if (rng.bounded(5) == 0) // a record added behind the tally's back
                tally.update(db, db.records().item(db.records().count()));
            const GuestSummary full = summarizeGuests(db, kMeals);
            QCOMPARE(countsOf(tally.summary()), countsOf(full));
            QCOMPARE(mealsOf(tally.summary()), mealsOf(full));
        }
    }

    // The line the guest tab shows: counts grouped the user's way, at most so many meals named.
    void text() {
        PalmDatabase db;
        for (int i = 0; i < 1200; ++i)
            addGuest(db, {"C", "1", i % 2 ? "Meat" : "Fish"});
        addGuest(db, {"C", "2", "Vegan"});
        addGuest(db, {"C", "1", "Kosher"});
        addGuest(db, {"C", "1"});
        addGuest(db, {"AD", "1"});
        addGuest(db, {"A", "1", nullptr, "T1"});
        const GuestSummary s = summarizeGuests(db, kMeals);
        QCOMPARE(summaryText(s, QLocale(QLocale::English, QLocale::UnitedStates), 2),
                 QStringLiteral("Invited 1,205 \u00B7 Confirmed 1,203 (1,204 people) \u00B7 "
                                "Awaiting reply 1 \u00B7 Declined 1 \u00B7 Seated 1 \u00B7 Not "
                                "seated 1,203 \u00B7 Meals: Meat 600, Fish 600, 2 more, no "
                                "choice 1"));
        QCOMPARE(summaryText(summarizeGuests(PalmDatabase(), {}), QLocale::c()),
                 QStringLiteral("Invited 0 \u00B7 Confirmed 0 (0 people) \u00B7 Awaiting reply 0 "
                                "\u00B7 Declined 0 \u00B7 Seated 0 \u00B7 Not seated 0"));
    }

    // A list of 65,535 meals, and guests whose meal it lacks, count as any other.
    void hugeMealList() {
        QStringList meals;
        for (int i = 0; i < 65535; ++i)
            meals << QStringLiteral("Meal %1").arg(i);
        PalmDatabase db;
        addGuest(db, {"C", "2", "Meal 65534"});
        addGuest(db, {"C", "1", "Meal 0"});
        addGuest(db, {"C", "1", "Not listed"});
        QCOMPARE(mealsOf(summarizeGuests(db, meals)),
                 QStringLiteral("Meal 0 1, Meal 65534 2, Not listed* 1"));
    }
};

VOWLINE_TEST(TestGuestSummary)
#include "tst_guestsummary.moc"
