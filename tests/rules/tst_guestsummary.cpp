#include "rules/guestcount.h"
#include "rules/guestsummary.h"
#include "rules/replies.h"
#include "store/planedit.h"
#include "support/testenv.h"

#include <QRandomGenerator>
#include <QTest>

using Replies::Reply;

namespace {

// One guest written "reply/rsvp/meal/table": a field left off the end, or written "~", is one
// the record lacks. The reply is C (gcon true), A (gcon false) or - (no gcon), then D when gdec
// is set: declined here, or with C confirmed on the handheld since.
void addGuest(PalmDatabase &db, const QString &guest) {
    const QStringList f = guest.split(u'/');
    Record &r = db.records().add();
    db.write(r, "gnam", QStringLiteral("Guest"));
    if (!f[0].startsWith(u'-'))
        db.write(r, "gcon", f[0].startsWith(u'C'), FieldKind::Boolean);
    if (f[0].endsWith(u'D'))
        db.write(r, "gdec", true, FieldKind::Boolean);
    const FieldCode codes[] = {"rsvp", "gmea", "gtag"};
    for (qsizetype i = 1; i < f.size(); ++i) {
        if (f[i] != u"~")
            db.write(r, codes[i - 1], f[i]);
    }
}

PalmDatabase guestsOf(const QStringList &guests) {
    PalmDatabase db;
    for (const QString &g : guests)
        addGuest(db, g);
    return db;
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
    QStringList n;
    for (qint64 v :
         {qint64(s.invited), qint64(s.confirmed), qint64(s.confirmedPeople), qint64(s.awaiting),
          qint64(s.declined), qint64(s.seated), qint64(s.unseated), qint64(s.noMeal)})
        n << QString::number(v);
    return n.join(u'/');
}

} // namespace

class TestGuestSummary : public QObject {
    Q_OBJECT
private slots:
    // A reply is read from gcon and gdec: a confirmation (from the handheld) wins over a
    // decline, and gcon as the text "true" counts; the status boxes filter by it,
    // "Unconfirmed" meaning declined or awaiting.
    void replies_data() {
        QTest::addColumn<QString>("reply"); // as addGuest's
        QTest::addColumn<int>("expected");
        QTest::addColumn<QStringList>("passing"); // the status box texts that list the guest
        const QStringList confirmed{"All", "Confirmed", "Anything"},
            declined{"All", "Unconfirmed", "Declined", "Anything"},
            awaiting{"All", "Unconfirmed", "Awaiting reply", "Anything"};
        QTest::newRow("confirmed") << "C" << int(Reply::Confirmed) << confirmed;
        QTest::newRow("confirmed over a decline") << "CD" << int(Reply::Confirmed) << confirmed;
        QTest::newRow("gcon the text true") << "true" << int(Reply::Confirmed) << confirmed;
        QTest::newRow("declined") << "AD" << int(Reply::Declined) << declined;
        QTest::newRow("declined without gcon") << "-D" << int(Reply::Declined) << declined;
        QTest::newRow("awaiting") << "A" << int(Reply::Awaiting) << awaiting;
        QTest::newRow("no gcon") << "-" << int(Reply::Awaiting) << awaiting;
    }
    void replies() {
        QFETCH(QString, reply);
        QFETCH(int, expected);
        QFETCH(QStringList, passing);
        PalmDatabase db;
        if (reply == u"true") // as another tool may store it
            db.write(db.records().add(), "gcon", QStringLiteral("true"));
        else
            addGuest(db, reply);
        const Reply read = Replies::replyOf(db.records().item(1));
        QCOMPARE(int(read), expected);
        for (const QString box :
             {"All", "Confirmed", "Unconfirmed", "Declined", "Awaiting reply", "Anything"})
            QVERIFY2(Replies::passes(Replies::statusOf(box), read) == passing.contains(box),
                     qPrintable(box));
        QCOMPARE(countGuests(db).confirmed, qint64(read == Reply::Confirmed ? 1 : 0));

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

    // The people a guest stands for: an empty or missing RSVP one, a text none, the leading
    // number rounded halves to even, held in 32 bits; declined guests are not invited any more.
    void guestCount() {
        const struct {
            const char *name, *guests; // as addGuest's, ";" between them
            qint64 confirmed, possible;
        } rows[] = {
            {"no guests", "", 0, 0},
            {"three guests", "C/2;A/3;A/", 2, 6},
            {"confirmed, empty RSVP is one person", "C/;A/", 1, 2},
            {"missing rsvp is one person", "C;A", 1, 2},
            {"missing gcon is unconfirmed", "-/4", 0, 4},
            {"not a number counts 0", "C/abc;A/two", 0, 0},
            {"leading number", "C/3 people", 3, 3},
            {"plain digits, leading zeros", "C/007;A/123456789;A/1234567890", 7,
             7 + 123456789 + 1234567890},
            {"blank is not empty", "C/ ", 0, 0},
            {"halves to even", "C/2.5;C/3.5", 6, 6},
            {"past 16 bits", "C/30000;C/30000;A/9", 60000, 60009},
            {"declined guests are not invited any more", "C/2;AD/3;AD/;A/1", 2, 3},
            {"a confirmation wins over a decline", "CD/2;AD/4", 2, 2},
            {"absurd RSVP held in 32 bits", "C/1e300;A/1", 2147483647, 2147483648},
        };
        for (const auto &r : rows) {
            const GuestCount count =
                countGuests(guestsOf(QString(r.guests).split(u';', Qt::SkipEmptyParts)));
            QVERIFY2(count.confirmed == r.confirmed && count.possible == r.possible, r.name);
        }
    }

    void manyLargeRsvpsDoNotOverflow() {
        PalmDatabase db;
        db.records().reserve(65535);
        for (int i = 0; i < 65535; ++i)
            addRecord(db, {{"gcon", i % 2 == 0}, {"rsvp", "99999"}});
        const GuestCount count = countGuests(db);
        QCOMPARE(count.confirmed, qint64(32768) * 99999);
        QCOMPARE(count.possible, qint64(65535) * 99999);
    }

    // Counting again after the repair reads the added empty fields the same way.
    void missingRsvpIsAddedEmpty() {
        PlanSet set = emptyPlanSet();
        PalmDatabase &db = set.db(Schema::DbId::Guest);
        addGuest(db, "C");
        addGuest(db, "A");
        QCOMPARE(countGuests(db).possible, qint64(2));
        PlanEdit edit(set);
        addMissingRsvp(edit);
        QCOMPARE(db.fieldList().item("rsvp").kind(), FieldKind::Text);
        for (int i = 1; i <= 2; ++i) {
            QVERIFY(db.records().item(i).has("rsvp"));
            QVERIFY(db.records().item(i).value("rsvp").isNone());
            QCOMPARE(db.records().item(i).fields().item("rsvp").kind(), FieldKind::Text);
        }
        QCOMPARE(countGuests(db).possible, qint64(2));
    }

    // The summary over guests of every reply, RSVP form and meal. A guest stands for the people
    // the guest count counts; declined guests take no seat and are neither seated nor waiting
    // for one; meals count the confirmed people.
    void counts_data() {
        QTest::addColumn<QStringList>("guests");
        QTest::addColumn<QString>("counts"); // as countsOf
        QTest::addColumn<QString>("meals");  // as mealsOf
        QTest::newRow("no guests") << QStringList{} << "0/0/0/0/0/0/0/0"
                                   << "";
        QTest::newRow("every reply")
            << QStringList{"C/2", "AD/3", "A/", "-/1", "CD/1"} << "5/2/3/2/1/0/4/3"
            << "";
        QTest::newRow("RSVP forms")
            << QStringList{"C", "C/", "C/0", "C/2", "C/abc", "C/2.5", "C/3 adults"}
            << "7/7/9/0/0/0/7/9"
            << "";
        QTest::newRow("seats") << QStringList{"C/2/~/T1", "AD/3/~/T1", "AD/3", "A/1/~/  ",
                                              "A/1/~/ T2"}
                               << "5/1/2/2/2/2/1/2"
                               << "";
        QTest::newRow("meals of the confirmed")
            << QStringList{"C/2/Meat",  "C//Fish", "C/0/Vegan", "A/4/Meat",
                           "AD/5/Fish", "C/1",     "C/1/",      "C/3/Meat"}
            << "8/6/8/1/1/0/7/2"
            << "Meat 5, Fish 1";
        QTest::newRow("meals the list lacks, in the order met")
            << QStringList{"C/1/Kosher", "C/2/Fish", "C/1/fish", "C/1/Kosher"} << "4/4/5/0/0/0/4/0"
            << "Fish 2, Kosher* 2, fish* 1";
    }
    void counts() {
        QFETCH(QStringList, guests);
        QFETCH(QString, counts);
        QFETCH(QString, meals);
        const PalmDatabase db = guestsOf(guests);
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
            return QString::fromUtf8(value ? value : "~");
        };
        for (int i = 0; i < 300; ++i)
            addGuest(
                db, QStringList{any(replies), text(any(rsvps)), text(any(meals)), text(any(tables))}
                        .join(u'/'));
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
                edit.write(Schema::DbId::Guest, guest, "rsvp", QString::fromUtf8(any(rsvps)));
                break;
            case 2:
                if (const char *meal = any(meals))
                    edit.write(Schema::DbId::Guest, guest, "gmea", QString::fromUtf8(meal));
                else
                    edit.removeField(Schema::DbId::Guest, guest, "gmea");
                break;
            case 3:
                edit.write(Schema::DbId::Guest, guest, "gtag", QString::fromUtf8(any(tables)));
                break;
            case 4:
                edit.removeRecord(Schema::DbId::Guest, guest);
                break;
            default: {
                Record &added = edit.appendRecord(Schema::DbId::Guest);
                edit.writeAll(Schema::DbId::Guest, added,
                              Replies::replyEntries(Reply(rng.bounded(3))));
                edit.write(Schema::DbId::Guest, added, "gmea", QString::fromUtf8(any(meals)));
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

    // The line the guest tab shows: counts grouped the user's way, at most so many meals
    // named. A list of 65,535 meals, and guests whose meal it lacks, count as any other.
    void text() {
        QStringList guests;
        for (int i = 0; i < 1200; ++i)
            guests << (i % 2 ? "C/1/Meat" : "C/1/Fish");
        guests << "C/2/Vegan"
               << "C/1/Kosher"
               << "C/1"
               << "AD/1"
               << "A/1/~/T1";
        QCOMPARE(summaryText(summarizeGuests(guestsOf(guests), kMeals),
                             QLocale(QLocale::English, QLocale::UnitedStates), 2),
                 QStringLiteral("Invited 1,205 \u00B7 Confirmed 1,203 (1,204 people) \u00B7 "
                                "Awaiting reply 1 \u00B7 Declined 1 \u00B7 Seated 1 \u00B7 Not "
                                "seated 1,203 \u00B7 Meals: Meat 600, Fish 600, 2 more, no "
                                "choice 1"));
        QCOMPARE(summaryText(summarizeGuests(PalmDatabase(), {}), QLocale::c()),
                 QStringLiteral("Invited 0 \u00B7 Confirmed 0 (0 people) \u00B7 Awaiting reply 0 "
                                "\u00B7 Declined 0 \u00B7 Seated 0 \u00B7 Not seated 0"));

        QStringList meals;
        for (int i = 0; i < 65535; ++i)
            meals << QStringLiteral("Meal %1").arg(i);
        const PalmDatabase many = guestsOf({"C/2/Meal 65534", "C/1/Meal 0", "C/1/Not listed"});
        QCOMPARE(mealsOf(summarizeGuests(many, meals)),
                 QStringLiteral("Meal 0 1, Meal 65534 2, Not listed* 1"));
    }
};

VOWLINE_TEST(TestGuestSummary)
#include "tst_guestsummary.moc"
