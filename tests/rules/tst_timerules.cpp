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

    // The time list: every half hour but 12:30, ending at 11:59 PM, each entry in normal form;
    // a time of day in the list's form.
    void timeList() {
        const QStringList t = halfHourTimes();
        QCOMPARE(t.size(), 47);
        QCOMPARE(QStringList({t[0], t[1], t[2], t[22], t[23], t[24], t[45], t[46]}),
                 QStringList({"12:00:00 AM", "1:00:00 AM", "1:30:00 AM", "11:30:00 AM",
                              "12:00:00 PM", "1:00:00 PM", "11:30:00 PM", "11:59:00 PM"}));
        for (const QString &time : t)
            QCOMPARE(NormalizeTime(time), time);
        QCOMPARE(listTimeText(QTime(0, 0)), QStringLiteral("12:00:00 AM"));
        QCOMPARE(listTimeText(QTime(12, 0)), QStringLiteral("12:00:00 PM"));
        QCOMPARE(listTimeText(QTime(19, 5, 9)), QStringLiteral("7:05:09 PM"));
        QCOMPARE(listTimeText(QTime()), QString());
    }
};

VOWLINE_TEST(TestTimeRules)
#include "tst_timerules.moc"
