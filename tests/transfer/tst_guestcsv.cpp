#include "store/storeerror.h"
#include "support/testenv.h"
#include "transfer/guestcsv.h"

#include <QSettings>
#include <QTest>

using GuestCsv::Column;

namespace {

QString titles(const GuestCsv::Mapping &mapping) {
    QStringList t;
    for (Column c : mapping)
        t.append(GuestCsv::title(c));
    return t.join(u'|');
}

Csv::Table table(const char *text) {
    return Csv::parse(QByteArray(text), QStringLiteral("guests.csv"));
}

void addGuest(PalmDatabase &db, const QString &name, const QString &email) {
    Record &r = db.records().add();
    db.write(r, "gnam", name);
    db.write(r, "gcos", email);
}

QStringList names(const PalmDatabase &db, FieldCode code = "gnam") {
    return db.listValues(code);
}

// The file of the duplicate and skip cases: rows 2 to 7.
const char *const kMixedFile = "Name,Relation,E-Mail,RSVP\n"
                               "ZOE ADAMS, family ,,2\n" // the guest Zoë Adams, by name
                               ",Friends,x@y,1\n"        // no name
                               "Carl,Work,BOB@X ,\n"     // the guest Bob, by e-mail
                               "Dana,Friends,,two\n"     // RSVP not a number
                               "Eve,Neighbours,,2.0\n"   // fine
                               "\"eve \",Friends,,\n";   // row 6 again

} // namespace

class TestGuestCsv : public QObject {
    Q_OBJECT
private slots:
    void init() { QSettings().remove(QStringLiteral("Import")); }

    void guessesColumns_data() {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("fields");
        QTest::newRow("own export") << "Name,Relation,Address,City,State,ZIP,Country,Phone,E-Mail,"
                                       "RSVP,Confirmed,Gift,Notes"
                                    << "Name|Relation|Address|City|State|ZIP|Country|Phone|E-Mail|"
                                       "RSVP|Confirmed|Gift|Notes";
        QTest::newRow("other titles") << "Full Name,Relationship,Street,Town,Province,Postal Code,"
                                         "Telephone,Email Address,Party Size,Attending,Comments"
                                      << "Name|Relation|Address|City|State|ZIP|Phone|E-Mail|RSVP|"
                                         "Confirmed|Notes";
        QTest::newRow("first and last name") << "First Name,Last Name,Address 1,Address 2"
                                             << "Name|Name|Address|Address";
        QTest::newRow("a field once") << "Phone,Mobile,email,E-MAIL "
                                      << "Phone|(not imported)|E-Mail|(not imported)";
        QTest::newRow("unknown and accented") << "Favourite colour,  NÁME ,Ville"
                                              << "(not imported)|Name|(not imported)";
    }
    void guessesColumns() {
        QFETCH(QString, header);
        QFETCH(QString, fields);
        QCOMPARE(titles(GuestCsv::guessMapping(header.split(u','))), fields);
    }

    void remembersTheLastMapping() {
        const QStringList header{"Wer", "Name", "Notes"};
        GuestCsv::rememberMapping(header, {Column::Name, Column::Ignore, Column::Gift});
        // Another file: the remembered choices win over the usual titles, by header name.
        const QStringList next{"NOTES", "wer", "City"};
        QCOMPARE(titles(GuestCsv::guessMapping(next, GuestCsv::rememberedMapping())),
                 QStringLiteral("Gift|Name|City"));
    }

    void findsSkipsAndDuplicates() {
        PalmDatabase guests;
        addGuest(guests, QStringLiteral("Zoë Adams"), QStringLiteral("zoe@example.org"));
        addGuest(guests, QStringLiteral("Bob"), QStringLiteral("bob@x"));
        const Csv::Table t = table(kMixedFile);
        const auto plan = GuestCsv::analyse(t, GuestCsv::guessMapping(t.header), guests,
                                            {QStringLiteral("Family"), QStringLiteral("Friends")});
        QStringList skipped, duplicates;
        for (const auto &s : plan.skipped)
            skipped.append(GuestCsv::describe(s));
        for (const auto &d : plan.duplicates)
            duplicates.append(GuestCsv::describe(d, plan.guests[std::size_t(d.guest)]));
        QCOMPARE(skipped, QStringList({"Row 3: no name", "Row 5: the RSVP “two” is not a number"}));
        QCOMPARE(duplicates,
                 QStringList({"Row 2: ZOE ADAMS looks like the guest Zoë Adams (same name)",
                              "Row 4: Carl looks like the guest Bob (same e-mail)",
                              "Row 7: eve  looks like Eve in row 6 (same name)"}));
        QCOMPARE(plan.guests.size(), std::size_t(4));
        QCOMPARE(plan.guests[0].values[std::size_t(Column::Relation)], QStringLiteral("Family"));
        QCOMPARE(plan.guests[2].values[std::size_t(Column::Rsvp)], QStringLiteral("2"));
        QCOMPARE(plan.newRelations, QStringList({"Work", "Neighbours"}));
    }

    void addsWhatWasChosen_data() {
        QTest::addColumn<QList<bool>>("addDuplicate");
        QTest::addColumn<bool>("addRelations");
        QTest::addColumn<QStringList>("guests");
        QTest::addColumn<QStringList>("relations");
        QTest::newRow("duplicates skipped")
            << QList<bool>{} << true << QStringList{"Bob", "Eve", "Zoë Adams"}
            << QStringList{"Family", "Neighbours"};
        QTest::newRow("one added, no new relations")
            << QList<bool>{false, true, false} << false
            << QStringList{"Bob", "Carl", "Eve", "Zoë Adams"} << QStringList{"Family"};
        QTest::newRow("all added")
            << QList<bool>{true, true, true} << true
            << QStringList{"Bob", "Carl", "Eve", "eve ", "ZOE ADAMS", "Zoë Adams"}
            << QStringList{"Family", "Work", "Neighbours", "Friends"};
    }
    void addsWhatWasChosen() {
        QFETCH(QList<bool>, addDuplicate);
        QFETCH(bool, addRelations);
        QFETCH(QStringList, guests);
        QFETCH(QStringList, relations);
        PalmDatabase db, rel;
        addGuest(db, QStringLiteral("Zoë Adams"), QStringLiteral("zoe@example.org"));
        addGuest(db, QStringLiteral("Bob"), QStringLiteral("bob@x"));
        rel.write(rel.records().add(), "type", QStringLiteral("Family"));
        const Csv::Table t = table(kMixedFile);
        const auto plan =
            GuestCsv::analyse(t, GuestCsv::guessMapping(t.header), db, rel.listValues("type"));
        GuestCsv::Choices choices;
        choices.addDuplicate.assign(addDuplicate.begin(), addDuplicate.end());
        choices.addRelations = addRelations;
        QCOMPARE(GuestCsv::apply(plan, choices, db, rel), guests.size() - 2);
        db.sort("gnam");
        QCOMPARE(names(db), guests);
        QCOMPARE(rel.listValues("type"), relations);
    }

    void neverPassesTheRecordLimit() {
        PalmDatabase db, rel;
        for (int i = 0; i < GuestCsv::kMaxGuests - 1; ++i)
            db.records().add();
        const Csv::Table t = table("Name\nAnn\nBen\n");
        const auto plan = GuestCsv::analyse(t, GuestCsv::guessMapping(t.header), db, {});
        QVERIFY_THROWS_EXCEPTION(StoreError, GuestCsv::apply(plan, {}, db, rel));
        QCOMPARE(db.records().count(), GuestCsv::kMaxGuests - 1);
    }

    void exportThenImportGivesTheSameGuests() {
        PalmDatabase original;
        const QList<QStringList> guests = {
            {"Lee, Ann \"Annie\"", "Family", "1 Main St", "Boston", "MA", "02134", "USA",
             "+1 617 555 0100", "ann@example.org", "2", "True", "Vase", "Vegetarian\nNo nuts"},
            {"Zoë Ørsted", "Friends", "", "Köln", "", "50667", "Deutschland", "", "", "", "False",
             "", ""},
            {"=cmd|' /C calc'!A0", "", "@home", "", "", "K1A 0B1", "", "-", "", "1", "True", "",
             "=\"quoted\""},
        };
        for (const QStringList &g : guests) {
            Record &r = original.records().add();
            for (std::size_t f = 0; f < GuestCsv::fields().size(); ++f) {
                const auto &info = GuestCsv::fields()[f];
                if (info.column == Column::Confirmed)
                    original.write(r, info.code, g[qsizetype(f)] == "True", FieldKind::Boolean);
                else
                    original.write(r, info.code, g[qsizetype(f)]);
            }
        }
        const QByteArray file = GuestCsv::exportGuests(original, GuestCsv::Form::AllFields);
        QVERIFY(file.startsWith("\xEF\xBB\xBF"));
        QVERIFY(file.contains(",\"=\"\"02134\"\"\","));

        const Csv::Table t = Csv::parse(file, QStringLiteral("export.csv"));
        PalmDatabase back, rel;
        const auto plan = GuestCsv::analyse(t, GuestCsv::guessMapping(t.header), back, {});
        QVERIFY(plan.skipped.empty() && plan.duplicates.empty());
        QCOMPARE(GuestCsv::apply(plan, {}, back, rel), 3);
        back.sort("gnam");
        original.sort("gnam");
        for (int i = 1; i <= 3; ++i) {
            for (const auto &info : GuestCsv::fields()) {
                QCOMPARE(back.records().item(i).value(info.code).toText(),
                         original.records().item(i).value(info.code).toText());
            }
        }
    }

    void envelopesForTheStationer() {
        PalmDatabase db;
        auto add = [&db](const char *name, const char *city, const char *state, const char *zip,
                         bool confirmed) {
            Record &r = db.records().add();
            db.write(r, "gnam", name);
            db.write(r, "gadr", "1 Elm St");
            db.write(r, "gcit", city);
            db.write(r, "gsta", state);
            db.write(r, "gzip", zip);
            db.write(r, "gcon", confirmed, FieldKind::Boolean);
        };
        add("Ann", "Boston", "MA", "02134", true);
        add("Ben", "Paris", "", "75001", true);
        add("Cy", "Rome", "", "", false);
        add("Di", "", "", "", true);
        int rows = 0;
        const QByteArray file = GuestCsv::exportGuests(db, GuestCsv::Form::Envelopes, &rows);
        QCOMPARE(rows, 3);
        QCOMPARE(QString::fromUtf8(file.mid(3)),
                 QStringLiteral("Name,Street,\"City, State ZIP\",Country\r\n"
                                "Ann,1 Elm St,\"Boston, MA 02134\",\r\n"
                                "Ben,1 Elm St,\"Paris, 75001\",\r\n"
                                "Di,1 Elm St,,\r\n"));
    }
};

VOWLINE_TEST(TestGuestCsv)
#include "tst_guestcsv.moc"
