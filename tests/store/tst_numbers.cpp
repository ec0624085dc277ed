#include "store/numbers.h"
#include "support/testenv.h"

#include <QTest>

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void numericValue_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("word") << "abc" << 0.0;
        QTest::newRow("plain") << "42" << 42.0;
        QTest::newRow("trailing text") << "12.50abc" << 12.5;
        QTest::newRow("leading blanks") << "   7" << 7.0;
        QTest::newRow("blanks inside") << "1 2 3" << 123.0;
        QTest::newRow("negative") << "-3.25" << -3.25;
        QTest::newRow("sign then blank") << "- 5" << -5.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("second point stops") << "1.2.3" << 1.2;
        QTest::newRow("comma is not a point") << "1,5" << 1.0;
        QTest::newRow("currency sign") << "$100" << 0.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("dangling exponent") << "2e" << 2.0;
        QTest::newRow("huge") << "1e999" << 0.0;
    }
    void numericValue() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(Numbers::numericValue(text), value);
    }

    void clampedInteger() {
        QCOMPARE(Numbers::clampedInteger(1e9), qint16(32767));
        QCOMPARE(Numbers::clampedInteger(-1e9), qint16(-32768));
        QCOMPARE(Numbers::clampedInteger(0.5), qint16(0)); // halves to even
        QCOMPARE(Numbers::clampedInteger(3.5), qint16(4));
    }

    void numberText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1500.0 << "1500";
        QTest::newRow("no trailing zeros") << 12.5 << "12.5";
        QTest::newRow("negative") << -3.75 << "-3.75";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("no grouping") << 1234567.0 << "1234567";
        QTest::newRow("cents") << 0.1 + 0.2 << "0.3";
    }
    void numberText() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(Numbers::numberText(value), text);
    }
};

VOWLINE_TEST(TestNumbers)
#include "tst_numbers.moc"
