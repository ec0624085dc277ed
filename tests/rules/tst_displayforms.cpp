// Money and dates as the user reads and types them, in several locales at once and under
// several time zones.
#include "rules/displayforms.h"
#include "store/palmdatabase.h"
#include "support/testenv.h"

#include <QTest>

Q_DECLARE_METATYPE(TextForms::MoneyError)

namespace {

const char *const kLocales[] = {"C", "en_US", "de_DE", "fr_FR", "de_CH"};

QLocale localeNamed(const QString &name) {
    return name == u"C" ? QLocale::c() : QLocale(name);
}

// "18 750" in French groups with a narrow no-break space; Swiss German with an apostrophe.
const QString kNarrow = QString(QChar(0x202F));
const QString kSwiss = QString(QChar(0x2019));

} // namespace

class TestDisplayForms : public QObject {
    Q_OBJECT
private slots:
    // Stored amounts and texts read by the numeric value rule, shown in each locale.
    void moneyShown_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        // The texts shown in the five locales, "|" between them. "_" stands for the narrow
        // no-break space that groups French digits, "'" for the apostrophe (U+2019) of Swiss
        // German.
        const struct {
            const char *stored, *shown;
        } rows[] = {
            {"18750", "18,750|18,750|18.750|18_750|18'750"},
            {"1500.5", "1,500.50|1,500.50|1.500,50|1_500,50|1'500.50"},
            {"-250.25", "-250.25|-250.25|-250,25|-250,25|-250.25"},
            {"0.125", "0.125|0.125|0,125|0,125|0.125"},
            {"007", "7|7|7|7|7"},
            {"1234567890123456789012",
             "1,234,567,890,123,456,789,012|1,234,567,890,123,456,789,012|"
             "1.234.567.890.123.456.789.012|1_234_567_890_123_456_789_012|"
             "1'234'567'890'123'456'789'012"},
            // Texts that are not the stored form count as the totals count them.
            {" 2500 ", "2,500|2,500|2.500|2_500|2'500"},
            {"12abc", "12|12|12|12|12"},
            {"1,500", "1|1|1|1|1"},
            {"call us", "call us|call us|call us|call us|call us"},
            {"", "||||"},
        };
        for (const auto &row : rows) {
            const QStringList shown = QString::fromLatin1(row.shown)
                                          .replace(u'_', kNarrow)
                                          .replace(u'\'', kSwiss)
                                          .split(u'|');
            for (int l = 0; l < 5; ++l) {
                QTest::addRow("%s %s", kLocales[l], row.stored)
                    << QString::fromLatin1(kLocales[l]) << QString::fromUtf8(row.stored)
                    << shown[l];
            }
        }
    }
    void moneyShown() {
        QFETCH(QString, locale);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QCOMPARE(TextForms::money(stored, localeNamed(locale)), shown);
    }

    // Totals in 64 bits, whole units and cents, up to the limits.
    void totalsShown() {
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(TextForms::moneyFromWhole(33300, us), u"33,300"_qs);
        QCOMPARE(TextForms::moneyFromWhole(33300, QLocale::c()), u"33,300"_qs);
        QCOMPARE(TextForms::moneyFromWhole(33300, german), u"33.300"_qs);
        QCOMPARE(TextForms::moneyFromWhole(std::numeric_limits<qint64>::min(), us),
                 u"-9,223,372,036,854,775,808"_qs);
        QCOMPARE(TextForms::moneyFromCents(125050, us), u"1,250.50"_qs);
        QCOMPARE(TextForms::moneyFromCents(125050, german), u"1.250,50"_qs);
        QCOMPARE(TextForms::moneyFromCents(-5, us), u"-0.05"_qs);
        QCOMPARE(TextForms::moneyFromCents(3330000, us), u"33,300"_qs);
        QCOMPARE(TextForms::moneyFromCents(std::numeric_limits<qint64>::min(), us),
                 u"-92,233,720,368,547,758.08"_qs);

        QCOMPARE(TextForms::cents(u"1500.5"_qs), std::optional<qint64>(150050));
        QCOMPARE(TextForms::cents(u"0.015"_qs), std::optional<qint64>(2)); // halves to even
        QCOMPARE(TextForms::cents(u"0.025"_qs), std::optional<qint64>(2));
        QCOMPARE(TextForms::cents(u"12abc"_qs), std::optional<qint64>(1200));
        QCOMPARE(TextForms::cents(u"92233720368547758.07"_qs),
                 std::optional<qint64>(std::numeric_limits<qint64>::max()));
        QCOMPARE(TextForms::cents(u"92233720368547758.08"_qs), std::nullopt);
        QCOMPARE(TextForms::cents(u"1e300"_qs), std::nullopt);
        const qint64 max = std::numeric_limits<qint64>::max();
        QCOMPARE(TextForms::addCents(max, 1), max);
        QCOMPARE(TextForms::addCents(-max, -5), std::numeric_limits<qint64>::min());
    }

    // What users type in their own writing becomes the stored form; the stored form passes
    // everywhere; refusals say why.
    void moneyRead_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("negativeAllowed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<TextForms::MoneyError>("error");
        using E = TextForms::MoneyError;
        // The program's own stored amounts, in every locale.
        for (const char *locale : kLocales) {
            for (const char *amount : {"1500.5", "18750", "0.05", "-100", "749.45", ".5"}) {
                const QString stored =
                    QString::fromLatin1(amount) == u".5" ? u"0.5"_qs : QString(amount);
                QTest::addRow("%s stored %s", locale, amount)
                    << QString(locale) << QString(amount) << true << stored << E::None;
            }
        }
        const struct {
            const char *locale;
            QString typed;
            bool negativeAllowed;
            const char *stored;
            E error;
        } rows[] = {
            {"en_US", "$1,500", false, "1500", E::None},
            {"en_US", "1,500.50", false, "1500.5", E::None},
            {"en_US", "1.500", false, "1.5", E::None},
            {"en_US", " USD 20 ", false, "20", E::None},
            {"en_US", "-$20", true, "-20", E::None},
            {"en_US", "$-20", true, "-20", E::None},
            {"en_US", "+5", false, "5", E::None},
            {"en_US", "-$20", false, "", E::Negative},
            {"en_US", "-0", false, "0", E::None},
            {"en_US", "1,50", false, "", E::NotANumber},
            {"en_US", "1 500", false, "", E::NotANumber},
            {"en_US", "--5", true, "", E::NotANumber},
            {"en_US", "12abc", false, "", E::NotANumber},
            {"en_US", "5.", false, "5", E::None},
            {"en_US", "$", false, "", E::NotANumber},
            {"en_US", "   ", false, "", E::Empty},
            {"en_US", "92233720368547758.07", false, "92233720368547758.07", E::None},
            {"en_US", "92,233,720,368,547,758.08", false, "", E::TooLarge},
            {"en_US", "-99999999999999999999", true, "", E::TooLarge},
            {"C", "1,500", false, "1500", E::None},
            {"de_DE", "1.500,50", false, "1500.5", E::None},
            {"de_DE", "1500,5", false, "1500.5", E::None},
            {"de_DE", "1.500", false, "1500", E::None}, // the locale decides: thousands
            {"de_DE", "12.50", false, "12.5", E::None}, // no grouping: the stored form
            {"de_DE", "1.234.567", false, "1234567", E::None},
            {"de_DE", "12,5 €", false, "12.5", E::None},
            {"de_DE", "EUR 3", false, "3", E::None},
            {"de_DE", "$1,500", false, "", E::NotANumber},
            {"de_DE", "1.500.5", false, "", E::NotANumber},
            {"fr_FR", "1 500,50", false, "1500.5", E::None},
            {"fr_FR", "1" + kNarrow + "500,50", false, "1500.5", E::None},
            {"fr_FR", "1\u00A0500 €", false, "1500", E::None},
            {"fr_FR", "1 50", false, "", E::NotANumber},
            {"de_CH", "1'500.50", false, "1500.5", E::None},
            {"de_CH", "1" + kSwiss + "500.50", false, "1500.5", E::None},
            {"de_CH", "CHF 20", false, "20", E::None},
        };
        for (const auto &row : rows) {
            QTest::addRow("%s %s", row.locale, qPrintable(row.typed))
                << QString(row.locale) << row.typed << row.negativeAllowed
                << QString::fromUtf8(row.stored) << row.error;
        }
    }
    void moneyRead() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(bool, negativeAllowed);
        QFETCH(QString, stored);
        QFETCH(TextForms::MoneyError, error);
        const TextForms::MoneyReading read = TextForms::readMoney(
            typed, localeNamed(locale),
            negativeAllowed ? TextForms::Negative::Allowed : TextForms::Negative::Refused);
        QCOMPARE(read.error, error);
        QCOMPARE(read.stored, stored);
        QCOMPARE(TextForms::moneyErrorMessage(error).isEmpty(),
                 error == TextForms::MoneyError::None);
        // What is shown reads back as the same amount, in the same locale.
        if (read.ok()) {
            const QString shown = TextForms::money(read.stored, localeNamed(locale));
            QCOMPARE(TextForms::readMoney(shown, localeNamed(locale), TextForms::Negative::Allowed)
                         .stored,
                     stored);
        }
    }

    // Every kind of date in every locale and several zones: a time only where one was chosen,
    // never seconds, never a zone's name.
    void datesShown_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<FieldValue>("value");
        QTest::addColumn<bool>("withTime");
        QTest::addColumn<QString>("shown");
        const FieldValue evening(QDate(2027, 6, 12), QTime(23, 18, 11));
        const FieldValue midnight(QDate(2018, 11, 4), QTime(0, 0)); // skipped in Sao Paulo
        const FieldValue gap(QDate(2027, 3, 28), QTime(2, 30));     // skipped in Berlin
        const struct {
            const char *name;
            FieldValue value;
            bool withTime;
            const char *shown; // C, en_US, de_DE, fr_FR, de_CH, "|" between them
        } rows[] = {
            {"due date", evening, false, "12 Jun 2027|6/12/2027|12.06.2027|12/06/2027|12.06.2027"},
            {"alarm", evening, true,
             "12 Jun 2027 23:18|6/12/2027 11:18 PM|12.06.2027 23:18|12/06/2027 23:18|"
             "12.06.2027 23:18"},
            {"alarm at midnight", midnight, true,
             "4 Nov 2018|11/4/2018|04.11.2018|04/11/2018|04.11.2018"},
            {"alarm in a skipped hour", gap, true,
             "28 Mar 2027 02:30|3/28/2027 2:30 AM|28.03.2027 02:30|28/03/2027 02:30|"
             "28.03.2027 02:30"},
            {"alarm before 1904", FieldValue(QDate(1899, 12, 31), QTime(13, 5, 7)), true,
             "31 Dec 1899 13:05|12/31/1899 1:05 PM|31.12.1899 13:05|31/12/1899 13:05|"
             "31.12.1899 13:05"},
            {"no date", FieldValue(), true, "||||"},
            {"not a date", FieldValue("soon"), false, "soon|soon|soon|soon|soon"},
        };
        for (const QByteArray zone :
             {"UTC", "America/Sao_Paulo", "Europe/Berlin", "Pacific/Kiritimati"}) {
            for (const auto &row : rows) {
                for (int l = 0; l < 5; ++l) {
                    QTest::addRow("%s %s %s", zone.constData(), kLocales[l], row.name)
                        << zone << QString(kLocales[l]) << row.value << row.withTime
                        << QString(row.shown).split(u'|')[l];
                }
            }
        }
    }
    void datesShown() {
        QFETCH(QByteArray, zone);
        QFETCH(QString, locale);
        QFETCH(FieldValue, value);
        QFETCH(bool, withTime);
        QFETCH(QString, shown);
        const ZoneGuard guard(zone);
        const QLocale l = localeNamed(locale);
        QCOMPARE(
            TextForms::date(value, l,
                            withTime ? TextForms::DateKind::DayAndTime : TextForms::DateKind::Day),
            shown);
        // A date of this century kept as text in the user's short form reads as the same day.
        if (value.type() == FieldValue::Type::DateTime && value.toDate().year() >= 2000) {
            const FieldValue typed(l.toString(value.toDate(), QLocale::ShortFormat));
            QCOMPARE(TextForms::date(typed, l, TextForms::DateKind::Day),
                     TextForms::date(value, l, TextForms::DateKind::Day));
        }
    }

    // A short date with a two-digit year is one of this century; every date is shown with
    // four digits.
    void datesRead() {
        const struct {
            const char *locale, *text;
            QDate day;
            const char *shown;
        } rows[] = {
            {"en_US", "6/12/27", QDate(2027, 6, 12), "6/12/2027"},
            {"en_US", " 12/31/99 ", QDate(2099, 12, 31), "12/31/2099"},
            {"en_US", "6/12/1927", QDate(1927, 6, 12), "6/12/1927"},
            {"de_DE", "12.06.27", QDate(2027, 6, 12), "12.06.2027"},
            {"C", "12 Jun 2027", QDate(2027, 6, 12), "12 Jun 2027"},
            {"en_US", "2027-06-12", QDate(2027, 6, 12), "6/12/2027"},
            {"en_US", "13/1/27", QDate(), "13/1/27"},
        };
        for (const auto &row : rows) {
            const QLocale l = localeNamed(QString::fromLatin1(row.locale));
            const FieldValue stored(row.text);
            QVERIFY2(TextForms::day(stored, l) == row.day, row.text);
            QCOMPARE(TextForms::date(stored, l, TextForms::DateKind::Day), QString(row.shown));
        }
    }

    // Reception times are kept in the time list's long form and shown in the short one.
    void timesShown_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("us");
        QTest::addColumn<QString>("german");
        QTest::newRow("list form") << u"4:00:00 PM"_qs << u"4:00 PM"_qs << u"16:00"_qs;
        QTest::newRow("last entry") << u"11:59:00 PM"_qs << u"11:59 PM"_qs << u"23:59"_qs;
        QTest::newRow("lower case, no seconds") << u"7:30 am"_qs << u"7:30 AM"_qs << u"07:30"_qs;
        QTest::newRow("24-hour") << u"19:05"_qs << u"7:05 PM"_qs << u"19:05"_qs;
        QTest::newRow("not a time") << u"Error"_qs << u"Error"_qs << u"Error"_qs;
        QTest::newRow("empty") << QString() << QString() << QString();
    }
    void timesShown() {
        QFETCH(QString, stored);
        QFETCH(QString, us);
        QFETCH(QString, german);
        QCOMPARE(TextForms::timeOfDay(FieldValue(stored), QLocale(u"en_US"_qs)), us);
        QCOMPARE(TextForms::timeOfDay(FieldValue(stored), QLocale(u"de_DE"_qs)), german);
    }
};

VOWLINE_TEST(TestDisplayForms)
#include "tst_displayforms.moc"
