#include "rules/seating.h"
#include "support/testenv.h"

#include <QTest>
#include <algorithm>

namespace {

// "-" stands for a field the record lacks.
void put(PalmDatabase &db, Record &r, FieldCode code, const QString &value) {
    if (value != QLatin1String("-"))
        db.write(r, code, value);
}

// A plan of tables and guests, changed through an edit as the program changes it.
PlanSet emptySet() {
    PlanSet set;
    for (const Schema::DatabaseInfo &info : Schema::kDatabases)
        set.setDatabase(info.id, std::make_unique<PalmDatabase>());
    return set;
}

struct Plan {
    PlanSet set = emptySet();
    PalmDatabase &tables = set.db(Schema::DbId::Tables);
    PalmDatabase &guests = set.db(Schema::DbId::Guest);
    PlanEdit edit{set};
    Record &table(const QString &tag, const QString &maxs, const QString &avai,
                  const QString &coun) {
        Record &t = tables.records().add();
        put(tables, t, "ttag", tag);
        put(tables, t, "maxs", maxs);
        put(tables, t, "avai", avai);
        put(tables, t, "coun", coun);
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

} // namespace

class TestSeating : public QObject {
    Q_OBJECT
private slots:
    void seat_data() {
        QTest::addColumn<QString>("before"); // maxs/avai/coun
        QTest::addColumn<QString>("rsvp");
        QTest::addColumn<int>("answer"); // -1: no question may be asked; 1 yes, 0 no
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("seated");
        // Seating through the tab's list covers the fitting and the growing table as well.
        QTest::newRow("exact fit") << QStringLiteral("8/3/5") << "3" << -1 << "8/0/8" << true;
        QTest::newRow("too big, grow") << QStringLiteral("8/1/7") << "4" << 1 << "11/0/11" << true;
        QTest::newRow("no avai: no check")
            << QStringLiteral("8/-/2") << "4" << -1 << "8/-/6" << true;
        QTest::newRow("no rsvp: no seat")
            << QStringLiteral("8/1/7") << "-" << -1 << "8/1/7" << true;
        QTest::newRow("no count yet") << QStringLiteral("8/6/-") << "2" << -1 << "8/4/2" << true;
        QTest::newRow("declined: no seat")
            << QStringLiteral("8/1/7") << "D4" << -1 << "8/1/7" << true;
    }
    void seat() {
        QFETCH(QString, before);
        QFETCH(QString, rsvp);
        QFETCH(int, answer);
        QFETCH(QString, after);
        QFETCH(bool, seated);
        Plan plan;
        const QStringList n = before.split(u'/');
        Record &table = plan.table(QStringLiteral(" T1 "), n[0], n[1], n[2]);
        Record &guest = plan.guest(rsvp);
        int asked = 0;
        const auto result = Seating::seat(plan.edit, table, guest, [&] {
            ++asked;
            return answer == 1;
        });
        QCOMPARE(asked, answer < 0 ? 0 : 1);
        QCOMPARE(result == Seating::SeatResult::Seated, seated);
        QCOMPARE(numbers(table), after);
        QCOMPARE(guest.has("gtag"), seated);
        if (seated)
            QCOMPARE(guest.text("gtag"), QStringLiteral("T1"));

        // Unseating gives back exactly what seating took.
        if (seated && answer < 0) {
            Seating::unseat(plan.edit, &table, guest);
            QCOMPARE(numbers(table), n[2] == "-" ? QString(n[0] + '/' + n[1] + "/0") : before);
            QVERIFY(!guest.has("gtag"));
        }
    }

    // Missing, empty and blank tags all mean "at no table"; tags compare trimmed.
    void whoSitsWhere() {
        Plan plan;
        plan.guest("1");
        plan.guest("1", "");
        plan.guest("1", "  ");
        plan.guest("2", " T1");
        plan.guest("3", "T1 ");
        plan.guest("4", "t1");
        plan.guest("D7", "T1"); // declined: at the table, taking no seat
        const auto &all = plan.guests.records().raw();
        auto unseated = [&] {
            return std::count_if(all.begin(), all.end(),
                                 [](auto &g) { return !Seating::isSeated(*g); });
        };
        QCOMPARE(unseated(), 3);
        QCOMPARE(Seating::guestsAt(plan.guests, "T1"), (std::vector<int>{4, 5, 7}));
        QCOMPARE(Seating::seatedPeople(plan.guests, "T1"), qint16(5));
        QCOMPARE(Seating::guestsAt(plan.guests, ""), std::vector<int>{});
        QCOMPARE(Seating::moveGuests(plan.edit, "T1", "T2"), 3);
        QCOMPARE(plan.guests.records().item(4).text("gtag"), QStringLiteral("T2"));
        QCOMPARE(Seating::unseatAll(plan.edit, "T2"), 3);
        QCOMPARE(unseated(), 6);
        QCOMPARE(plan.guests.records().item(6).text("gtag"), QStringLiteral("t1"));
    }

    void recount_data() {
        QTest::addColumn<QString>("maxs");
        QTest::addColumn<double>("defaultSeats");
        QTest::addColumn<QStringList>("rsvps"); // of the guests seated there
        QTest::addColumn<QString>("after");     // maxs/avai/coun
        QTest::newRow("own maximum") << "10" << 6.0 << QStringList{"2", "3"} << "10/5/5";
        QTest::newRow("no maximum, no default") << "0" << 0.0 << QStringList{"2", "3"} << "5/0/5";
        QTest::newRow("missing maximum") << "-" << 0.0 << QStringList{"4"} << "4/0/4";
        QTest::newRow("default") << "" << 8.0 << QStringList{"2", "3"} << "8/3/5";
        QTest::newRow("over-full") << "4" << 0.0 << QStringList{"3", "3"} << "4/-2/6";
        QTest::newRow("no rsvp counts 0") << "6" << 0.0 << QStringList{"-", "2"} << "6/4/2";
        QTest::newRow("nobody seated: untouched") << "10" << 0.0 << QStringList{} << "10/1/1";
        QTest::newRow("declined counts 0") << "6" << 0.0 << QStringList{"D3", "2"} << "6/4/2";
        QTest::newRow("declined, no maximum") << "0" << 0.0 << QStringList{"D3", "2"} << "2/0/2";
    }
    void recount() {
        QFETCH(QString, maxs);
        QFETCH(double, defaultSeats);
        QFETCH(QStringList, rsvps);
        QFETCH(QString, after);
        Plan plan;
        Record &table = plan.table("T1", maxs, "1", "1");
        std::vector<int> seated;
        for (const QString &rsvp : rsvps) {
            plan.guest(rsvp, "T1");
            seated.push_back(plan.guests.records().count());
        }
        QCOMPARE(Seating::recount(plan.edit, table, seated, defaultSeats), !rsvps.isEmpty());
        QCOMPARE(numbers(table), after);
    }

    // Several guests seated at once: in order, each with the seat check, and one question at
    // the first that does not fit, whose answer holds for the rest.
    void seatAll_data() {
        QTest::addColumn<bool>("grow");
        QTest::addColumn<QString>("after"); // maxs/avai/coun
        QTest::addColumn<int>("seated");
        QTest::newRow("yes: all seated") << true << "9/0/9" << 3;
        QTest::newRow("no: those that fit") << false << "6/1/5" << 2;
    }
    void seatAll() {
        QFETCH(bool, grow);
        QFETCH(QString, after);
        QFETCH(int, seated);
        Plan plan;
        Record &table = plan.table("T1", "6", "6", "0");
        std::vector<Record *> guests{&plan.guest("4"), &plan.guest("4"), &plan.guest("1")};
        int asked = 0;
        QCOMPARE(Seating::seatAll(plan.edit, table, guests,
                                  [&] {
                                      ++asked;
                                      return grow;
                                  }),
                 seated);
        QCOMPARE(asked, 1);
        QCOMPARE(numbers(table), after);
        QCOMPARE(guests[1]->has("gtag"), grow);
    }

    // The table editor's rules: a unique, non-blank ID; a whole number of seats; a new ID takes
    // the table's guests along (unless another table keeps the old one); the free seats are
    // the maximum less the people seated. Deleting a table unseats its guests.
    void tableRules() {
        Plan plan;
        Record &t1 = plan.table("T1", "10", "10", "0");
        Record &t2 = plan.table(" T2 ", "8", "8", "0");
        using Seating::IdProblem;
        QCOMPARE(Seating::checkTableId(plan.tables, &t1, "  "), IdProblem::Empty);
        QCOMPARE(Seating::checkTableId(plan.tables, &t1, "T2"), IdProblem::Taken);
        QCOMPARE(Seating::checkTableId(plan.tables, &t1, " T1 "), IdProblem::None);
        QCOMPARE(Seating::checkTableId(plan.tables, nullptr, "T1"), IdProblem::Taken);
        QCOMPARE(Seating::checkTableId(plan.tables, nullptr, "t1"), IdProblem::None);
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

        Record &a = plan.guest("2", "T1");
        Record &b = plan.guest("3", " T1");
        Seating::writeTable(plan.edit, t1, {"Head", "By the window", "12"});
        QCOMPARE(a.text("gtag"), QStringLiteral("Head"));
        QCOMPARE(b.text("gtag"), QStringLiteral("Head"));
        QCOMPARE(numbers(t1), QStringLiteral("12/7/0"));
        QCOMPARE(t1.text("tabl"), QStringLiteral("By the window"));
        Seating::deleteTable(plan.edit, t1);
        QVERIFY(!a.has("gtag") && !b.has("gtag"));
        QCOMPARE(plan.tables.records().count(), 1);
        QCOMPARE(Seating::tableWithTag(plan.tables, "T2 "), &t2);
    }
};

VOWLINE_TEST(TestSeating)
#include "tst_seating.moc"
