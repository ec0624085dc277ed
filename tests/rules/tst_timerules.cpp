#include "rules/timerules.h"
#include "support/testenv.h"

#include <QTest>

class TestTimeRules : public QObject {
    Q_OBJECT
private slots:
    void normalizeTime_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        const struct {
            const char *name;
            QString typed;
            QString expected;
        } rows[] = {
            // The documented behaviour.
            {"p suffix", "7:30p", "7:30:00 PM"},
            {"a suffix", "7:30a", "7:30:00 AM"},
            {"bare 7 is evening", "7", "7:00:00 PM"},
            {"bare 11 is morning", "11", "11:00:00 AM"},
            {"24-hour clock", "19:30", "7:30:00 PM"},
            {"noon quarter", "12:15", "12:15:00 PM"},
            {"zero hour", "0:30", "0:30:00 PM"},
            {"24 is noon", "24", "12:00:00 PM"},
            {"25 is an error", "25:00", "Error"},
            {"minutes carry", "7:75", "8:15:00 PM"},
            {"60 does not carry", "7:60", "7:60:00 PM"},
            {"empty", "", "12:00:00 AM"},
            {"hour kept as typed", "07:15", "07:15:00 PM"},
            {"short minutes padded", "19:5", "7:05:00 PM"},
            // Suffix forms.
            {"pm lower case", "7:30 pm", "7:30:00 PM"},
            {"suffix beats the hour rule", "11p", "11:00:00 PM"},
            {"afternoon overrides AM", "13:00 AM", "1:00:00 PM"},
            {"seconds given", "7:30:15", "7:30:15 PM"},
            {"seconds carry into the hour", "10:59:120", "11:01:00 AM"},
            {"minutes carry past 24", "23:120", "Error"},
            {"blanks around", "  8 : 05  ", "8:05:00 PM"},
            // Numbers with a decimal point are numbers; the whole part decides.
            {"decimal hour", "7.5", "7.5:00:00 PM"},
            {"decimal minutes padded", "7:5.5", "7:05:00 PM"},
            {"point first", ".5", ".5:00:00 PM"},
            // Bad input: an error, never a crash or a wrap-around.
            {"word", "abc", "Error"},
            {"suffix only", "pm", "Error"},
            {"missing hour", ":30", "Error"},
            {"missing minutes", "7:", "Error"},
            {"too many parts", "7:30:15:20", "Error"},
            {"negative hour", "-5", "Error"},
            {"negative minutes", "7:-30", "Error"},
            {"exponent", "1e1", "Error"},
            {"two points", "7.3.0", "Error"},
            {"point alone", ".", "Error"},
            {"other digits", QStringLiteral("\u0667:30"), "Error"},
            {"huge hour", "99999999999999:00", "Error"},
            {"huge minutes", "1:99999999999999", "Error"},
            {"huge seconds", "1:00:99999999999999999999", "Error"},
            {"beyond a double", QString(400, u'9'), "Error"},
        };
        for (const auto &row : rows)
            QTest::newRow(row.name) << row.typed << row.expected;
    }
    void normalizeTime() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(NormalizeTime(typed), expected);
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
