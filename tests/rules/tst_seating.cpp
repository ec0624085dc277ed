#include "rules/seating.h"
#include "support/testenv.h"

#include <QTest>
#include <algorithm>

namespace {

// A plan of tables and guests, changed through an edit as the program changes it. "-" stands
// for a field the record lacks.
struct Hall {
    PlanSet set = emptyPlanSet();
    PalmDatabase &tables = set.db(Schema::DbId::Tables);
    PalmDatabase &guests = set.db(Schema::DbId::Guest);
    PlanEdit edit{set};
    static void put(PalmDatabase &db, Record &r, FieldCode code, const QString &value) {
        if (value != QLatin1String("-"))
            db.write(r, code, value);
    }
    // "maxs/avai/coun"
    Record &table(const QString &tag, const QString &numbers) {
        const QStringList n = numbers.split(u'/');
        Record &t = tables.records().add();
        put(tables, t, "ttag", tag);
        put(tables, t, "maxs", n[0]);
        put(tables, t, "avai", n[1]);
        put(tables, t, "coun", n[2]);
        return t;
    }
    // An rsvp written "D3" is a guest of three who declined.
    Record &guest(const QString &rsvp, const QString &gtag = QStringLiteral("-")) {
        Record &g = guests.records().add();
        const bool declined = rsvp.startsWith(u'D');
        put(guests, g, "rsvp", declined ? rsvp.mid(1) : rsvp);
        put(guests, g, "gtag", gtag);
        if (declined)
            guests.write(g, "gdec", true, FieldKind::Boolean);
        return g;
    }
};

// maxs/avai/coun of a table as one text, "-" for a missing field.
QString numbers(const Record &t) {
    QStringList parts;
    for (FieldCode code : {FieldCode("maxs"), FieldCode("avai"), FieldCode("coun")})
        parts << (t.has(code) ? t.text(code) : QStringLiteral("-"));
    return parts.join(u'/');
}

// One guest seated at a table: the question asked when the guest does not fit (-1: none may
// be asked; 1 yes, 0 no). Seating through the tab's list covers the fitting and the growing
// table as well.
const struct SeatCase {
    const char *name, *before, *rsvp;
    int answer;
    const char *after;
    bool seated;
} kSeatCases[] = {
    {"exact fit", "8/3/5", "3", -1, "8/0/8", true},
    {"too big, grow", "8/1/7", "4", 1, "11/0/11", true},
    {"too big, keep", "8/1/7", "4", 0, "8/1/7", false},
    {"no avai: no check", "8/-/2", "4", -1, "8/-/6", true},
    {"no rsvp: no seat", "8/1/7", "-", -1, "8/1/7", true},
    {"no count yet", "8/6/-", "2", -1, "8/4/2", true},
    {"declined: no seat", "8/1/7", "D4", -1, "8/1/7", true},
};

// The numbers a table takes from the guests seated there, with the default seats.
const struct RecountCase {
    const char *name, *maxs;
    double defaultSeats;
    QStringList rsvps;
    const char *after;
} kRecountCases[] = {
    {"own maximum", "10", 6.0, {"2", "3"}, "10/5/5"},
    {"no maximum, no default", "0", 0.0, {"2", "3"}, "5/0/5"},
    {"missing maximum", "-", 0.0, {"4"}, "4/0/4"},
    {"default", "", 8.0, {"2", "3"}, "8/3/5"},
    {"over-full", "4", 0.0, {"3", "3"}, "4/-2/6"},
    {"no rsvp counts 0", "6", 0.0, {"-", "2"}, "6/4/2"},
    {"nobody seated: untouched", "10", 0.0, {}, "10/1/1"},
    {"declined counts 0", "6", 0.0, {"D3", "2"}, "6/4/2"},
    {"declined, no maximum", "0", 0.0, {"D3", "2"}, "2/0/2"},
};

} // namespace

class TestSeating : public QObject {
    Q_OBJECT
private slots:
    void seat_data() { addRows(kSeatCases); }
    void seat() {
        const SeatCase &c = currentRow(kSeatCases);
        Hall hall;
        Record &table = hall.table(QStringLiteral(" T1 "), c.before);
        Record &guest = hall.guest(c.rsvp);
        int asked = 0;
        const auto result = Seating::seat(hall.edit, table, guest, [&] {
            ++asked;
            return c.answer == 1;
        });
        QCOMPARE(asked, c.answer < 0 ? 0 : 1);
        QCOMPARE(result == Seating::SeatResult::Seated, c.seated);
        QCOMPARE(numbers(table), QString(c.after));
        QCOMPARE(guest.has("gtag") ? guest.text("gtag") : QString(),
                 c.seated ? QStringLiteral("T1") : QString());

        // Unseating gives back exactly what seating took.
        if (c.seated && c.answer < 0) {
            Seating::unseat(hall.edit, &table, guest);
            const QString before(c.before);
            QCOMPARE(numbers(table), before.endsWith(u'-') ? before.chopped(1) + u'0' : before);
            QVERIFY(!guest.has("gtag"));
        }
    }

    // Missing, empty and blank tags all mean "at no table"; tags compare trimmed.
    void whoSitsWhere() {
        Hall hall;
        for (const char *tag : {"-", "", "  "})
            hall.guest("1", QString::fromLatin1(tag));
        hall.guest("2", " T1");
        hall.guest("3", "T1 ");
        hall.guest("4", "t1");
        hall.guest("D7", "T1"); // declined: at the table, taking no seat
        const auto &all = hall.guests.records().raw();
        auto unseated = [&] {
            return std::count_if(all.begin(), all.end(),
                                 [](auto &g) { return !Seating::isSeated(*g); });
        };
        QCOMPARE(unseated(), 3);
        QCOMPARE(Seating::guestsAt(hall.guests, "T1"), (std::vector<int>{4, 5, 7}));
        QCOMPARE(Seating::seatedPeople(hall.guests, "T1"), qint16(5));
        QCOMPARE(Seating::guestsAt(hall.guests, ""), std::vector<int>{});
        QCOMPARE(Seating::moveGuests(hall.edit, "T1", "T2"), 3);
        QCOMPARE(hall.guests.records().item(4).text("gtag"), QStringLiteral("T2"));
        QCOMPARE(Seating::unseatAll(hall.edit, "T2"), 3);
        QCOMPARE(unseated(), 6);
        QCOMPARE(hall.guests.records().item(6).text("gtag"), QStringLiteral("t1"));
    }

    void recount_data() { addRows(kRecountCases); }
    void recount() {
        const RecountCase &c = currentRow(kRecountCases);
        Hall hall;
        Record &table = hall.table("T1", QString(c.maxs) + QStringLiteral("/1/1"));
        std::vector<int> seated;
        for (const QString &rsvp : c.rsvps) {
            hall.guest(rsvp, "T1");
            seated.push_back(hall.guests.records().count());
        }
        QCOMPARE(Seating::recount(hall.edit, table, seated, c.defaultSeats), !c.rsvps.isEmpty());
        QCOMPARE(numbers(table), QString(c.after));
    }

    // Several guests seated at once: in order, each with the seat check, and one question at
    // the first that does not fit, whose answer holds for the rest.
    void seatAll() {
        for (const bool grow : {true, false}) {
            Hall hall;
            Record &table = hall.table("T1", "6/6/0");
            std::vector<Record *> guests{&hall.guest("4"), &hall.guest("4"), &hall.guest("1")};
            int asked = 0;
            QCOMPARE(Seating::seatAll(hall.edit, table, guests,
                                      [&] {
                                          ++asked;
                                          return grow;
                                      }),
                     grow ? 3 : 2);
            QCOMPARE(asked, 1);
            QCOMPARE(numbers(table), grow ? QStringLiteral("9/0/9") : QStringLiteral("6/1/5"));
            QCOMPARE(guests[1]->has("gtag"), grow);
        }
    }

    // The table editor's rules: a unique, non-blank ID; a whole number of seats; a new ID takes
    // the table's guests along (unless another table keeps the old one); the free seats are
    // the maximum less the people seated. Deleting a table unseats its guests.
    void tableRules() {
        Hall hall;
        Record &t1 = hall.table("T1", "10/10/0");
        Record &t2 = hall.table(" T2 ", "8/8/0");
        using Seating::IdProblem;
        QCOMPARE(Seating::checkTableId(hall.tables, &t1, "  "), IdProblem::Empty);
        QCOMPARE(Seating::checkTableId(hall.tables, &t1, "T2"), IdProblem::Taken);
        QCOMPARE(Seating::checkTableId(hall.tables, &t1, " T1 "), IdProblem::None);
        QCOMPARE(Seating::checkTableId(hall.tables, nullptr, "T1"), IdProblem::Taken);
        QCOMPARE(Seating::checkTableId(hall.tables, nullptr, "t1"), IdProblem::None);
        using Seating::SeatsProblem;
        const std::pair<const char *, SeatsProblem> seats[] = {
            {"", SeatsProblem::None},
            {"12", SeatsProblem::None},
            {"8.5", SeatsProblem::NotWhole},
            {"-3", SeatsProblem::OutOfRange},
            {"40000", SeatsProblem::OutOfRange},
            {"twelve", SeatsProblem::NotANumber}};
        for (const auto &[text, problem] : seats)
            QCOMPARE(Seating::checkSeatCount(text), problem);

        Record &a = hall.guest("2", "T1");
        Record &b = hall.guest("3", " T1");
        Seating::writeTable(hall.edit, t1, {"Head", "By the window", "12"});
        QCOMPARE(a.text("gtag"), QStringLiteral("Head"));
        QCOMPARE(b.text("gtag"), QStringLiteral("Head"));
        QCOMPARE(numbers(t1), QStringLiteral("12/7/0"));
        QCOMPARE(t1.text("tabl"), QStringLiteral("By the window"));
        Seating::deleteTable(hall.edit, t1);
        QVERIFY(!a.has("gtag") && !b.has("gtag"));
        QCOMPARE(hall.tables.records().count(), 1);
        QCOMPARE(Seating::tableWithTag(hall.tables, "T2 "), &t2);
    }
};

VOWLINE_TEST(TestSeating)
#include "tst_seating.moc"
