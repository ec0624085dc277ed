#include "rules/timerules.h"
#include "support/testenv.h"

#include <QTest>

class TestTimeRules : public QObject {
    Q_OBJECT
private slots:
    void normalizeTime_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        // The documented behaviour.
        QTest::newRow("p suffix") << "7:30p"
                                  << "7:30:00 PM";
        QTest::newRow("a suffix") << "7:30a"
                                  << "7:30:00 AM";
        QTest::newRow("bare 7 is evening") << "7"
                                           << "7:00:00 PM";
        QTest::newRow("bare 11 is morning") << "11"
                                            << "11:00:00 AM";
        QTest::newRow("24-hour clock") << "19:30"
                                       << "7:30:00 PM";
        QTest::newRow("noon quarter") << "12:15"
                                      << "12:15:00 PM";
        QTest::newRow("zero hour") << "0:30"
                                   << "0:30:00 PM";
        QTest::newRow("24 is noon") << "24"
                                    << "12:00:00 PM";
        QTest::newRow("25 is an error") << "25:00"
                                        << "Error";
        QTest::newRow("minutes carry") << "7:75"
                                       << "8:15:00 PM";
        QTest::newRow("60 does not carry") << "7:60"
                                           << "7:60:00 PM";
        QTest::newRow("empty") << ""
                               << "12:00:00 AM";
        QTest::newRow("hour kept as typed") << "07:15"
                                            << "07:15:00 PM";
        QTest::newRow("short minutes padded") << "19:5"
                                              << "7:05:00 PM";
        // List entries come back unchanged.
        QTest::newRow("midnight") << "12:00:00 AM"
                                  << "12:00:00 AM";
        QTest::newRow("last entry") << "11:59:00 PM"
                                    << "11:59:00 PM";
        // Suffix forms.
        QTest::newRow("pm lower case") << "7:30 pm"
                                       << "7:30:00 PM";
        QTest::newRow("suffix beats the hour rule") << "11p"
                                                    << "11:00:00 PM";
        QTest::newRow("afternoon overrides AM") << "13:00 AM"
                                                << "1:00:00 PM";
        QTest::newRow("seconds given") << "7:30:15"
                                       << "7:30:15 PM";
        QTest::newRow("seconds carry") << "7:30:75"
                                       << "7:31:15 PM";
        QTest::newRow("seconds carry into the hour") << "10:59:120"
                                                     << "11:01:00 AM";
        QTest::newRow("minutes carry past 24") << "23:120"
                                               << "Error";
        QTest::newRow("blanks around") << "  8 : 05  "
                                       << "8:05:00 PM";
        QTest::newRow("only blanks") << "   "
                                     << "12:00:00 AM";
        // Numbers with a decimal point are numbers; the whole part decides.
        QTest::newRow("decimal hour") << "7.5"
                                      << "7.5:00:00 PM";
        QTest::newRow("decimal minutes padded") << "7:5.5"
                                                << "7:05:00 PM";
        QTest::newRow("point first") << ".5"
                                     << ".5:00:00 PM";
        // Bad input: an error, never a crash or a wrap-around.
        QTest::newRow("word") << "abc"
                              << "Error";
        QTest::newRow("suffix only") << "pm"
                                     << "Error";
        QTest::newRow("two colons only") << "::"
                                         << "Error";
        QTest::newRow("missing hour") << ":30"
                                      << "Error";
        QTest::newRow("missing minutes") << "7:"
                                         << "Error";
        QTest::newRow("too many parts") << "7:30:15:20"
                                        << "Error";
        QTest::newRow("negative hour") << "-5"
                                       << "Error";
        QTest::newRow("negative minutes") << "7:-30"
                                          << "Error";
        QTest::newRow("exponent") << "1e1"
                                  << "Error";
        QTest::newRow("two points") << "7.3.0"
                                    << "Error";
        QTest::newRow("point alone") << "."
                                     << "Error";
        QTest::newRow("other digits") << QStringLiteral("\u0667:30") << "Error";
        QTest::newRow("huge hour") << "99999999999999:00"
                                   << "Error";
        QTest::newRow("huge minutes") << "1:99999999999999"
                                      << "Error";
        QTest::newRow("huge seconds") << "1:00:99999999999999999999"
                                      << "Error";
        QTest::newRow("beyond a double") << QString(400, u'9') << "Error";
    }
    void normalizeTime() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(NormalizeTime(typed), expected);
    }

    void hourSuffix_data() {
        QTest::addColumn<QString>("hour");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("0") << "0"
                           << "PM";
        QTest::newRow("10") << "10"
                            << "PM";
        QTest::newRow("11") << "11"
                            << "AM";
        QTest::newRow("12") << "12"
                            << "PM";
        QTest::newRow("12 with a point") << "12.0"
                                         << "PM";
        QTest::newRow("12.5") << "12.5"
                              << "AM";
    }
    void hourSuffix() {
        QFETCH(QString, hour);
        QFETCH(QString, suffix);
        QCOMPARE(HourSuffix(hour), suffix);
    }

    void timeList() {
        const QStringList times = halfHourTimes();
        QCOMPARE(times.size(), 47);
        QCOMPARE(times.first(), QStringLiteral("12:00:00 AM"));
        QCOMPARE(times.at(1), QStringLiteral("1:00:00 AM"));
        QCOMPARE(times.at(2), QStringLiteral("1:30:00 AM"));
        QCOMPARE(times.at(22), QStringLiteral("11:30:00 AM"));
        QCOMPARE(times.at(23), QStringLiteral("12:00:00 PM"));
        QCOMPARE(times.at(24), QStringLiteral("1:00:00 PM"));
        QCOMPARE(times.at(45), QStringLiteral("11:30:00 PM"));
        QCOMPARE(times.last(), QStringLiteral("11:59:00 PM"));
        QVERIFY(!times.contains(QStringLiteral("12:30:00 AM")));
        QVERIFY(!times.contains(QStringLiteral("12:30:00 PM")));
        // Every entry is already in normal form.
        for (const QString &t : times)
            QCOMPARE(NormalizeTime(t), t);
    }

    void listTimeText() {
        QCOMPARE(::listTimeText(QTime(0, 0)), QStringLiteral("12:00:00 AM"));
        QCOMPARE(::listTimeText(QTime(12, 0)), QStringLiteral("12:00:00 PM"));
        QCOMPARE(::listTimeText(QTime(19, 5, 9)), QStringLiteral("7:05:09 PM"));
        QCOMPARE(::listTimeText(QTime()), QString());
    }
};

VOWLINE_TEST(TestTimeRules)
#include "tst_timerules.moc"
