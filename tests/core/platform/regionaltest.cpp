#include "platform/regional.h"
#include "testregistry.h"

#include <QtTest>

namespace rg = tw::regional;

class RegionalTest : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("whole");
        QTest::newRow("plain") << "42" << 42.0 << qint64(42);
        QTest::newRow("blanks inside") << " 1 2.5x" << 12.5 << qint64(12);
        QTest::newRow("tab and line feed") << "\t-1\n0.5" << -10.5 << qint64(-10);
        QTest::newRow("minus") << "-3" << -3.0 << qint64(-3);
        QTest::newRow("plus") << "+7.25%" << 7.25 << qint64(7);
        QTest::newRow("dollar first") << "$5" << 0.0 << qint64(0);
        QTest::newRow("letters") << "abc" << 0.0 << qint64(0);
        QTest::newRow("empty") << "" << 0.0 << qint64(0);
        QTest::newRow("second point stops") << "1.2.3" << 1.2 << qint64(1);
        QTest::newRow("comma stops") << "1,234" << 1.0 << qint64(1);
        QTest::newRow("point only") << ".5" << 0.5 << qint64(0);
        QTest::newRow("half to even down") << "2.5" << 2.5 << qint64(2);
        QTest::newRow("half to even up") << "3.5" << 3.5 << qint64(4);
        QTest::newRow("negative half") << "-2.5" << -2.5 << qint64(-2);
        QTest::newRow("above half") << "2.5000001" << 2.5000001 << qint64(3);
        QTest::newRow("job number") << "00004711" << 4711.0 << qint64(4711);
        QTest::newRow("carriage return stops") << "1\r2" << 1.0 << qint64(1);
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(qint64, whole);
        QCOMPARE(rg::leadingNumber(text), value);
        QCOMPARE(rg::leadingWhole(text), whole);
    }

    void hugeNumbersDoNotOverflow() {
        const QString big = QString(60, '9');
        QVERIFY(rg::leadingNumber(big) > 9.9e59);
        QCOMPARE(rg::leadingWhole(big), std::numeric_limits<std::int64_t>::max());
        QCOMPARE(rg::leadingWhole("-" + big), std::numeric_limits<std::int64_t>::min());
        QCOMPARE(rg::toCents("0." + QString(50, '0') + "1"), 0);
        QCOMPARE(rg::toCents("$" + big), std::numeric_limits<std::int64_t>::max());
    }

    void conversion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("cents");
        QTest::newRow("plain") << "12.34" << true << qint64(1234);
        QTest::newRow("money text") << "$1,234.50     " << true << qint64(123450);
        QTest::newRow("blanks around") << "  \t5  " << true << qint64(500);
        QTest::newRow("minus before dollar") << "-$50.00" << true << qint64(-5000);
        QTest::newRow("minus after dollar") << "$-50" << true << qint64(-5000);
        QTest::newRow("parentheses") << "($1,000.10)" << true << qint64(-100010);
        QTest::newRow("parentheses plain") << "(3)" << true << qint64(-300);
        QTest::newRow("half cent up") << "1.005" << true << qint64(101);
        QTest::newRow("half cent negative") << "-1.005" << true << qint64(-101);
        QTest::newRow("below half") << "2.00499" << true << qint64(200);
        QTest::newRow("binary trap") << "0.285" << true << qint64(29);
        QTest::newRow("no fraction digits") << "7." << true << qint64(700);
        QTest::newRow("millions") << "1,234,567.891" << true << qint64(123456789);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("blank") << "   " << false << qint64(0);
        QTest::newRow("dollar only") << "$" << false << qint64(0);
        QTest::newRow("point only") << "." << false << qint64(0);
        QTest::newRow("letters after") << "12abc" << false << qint64(0);
        QTest::newRow("two points") << "1.2.3" << false << qint64(0);
        QTest::newRow("comma in fraction") << "1.2,3" << false << qint64(0);
        QTest::newRow("leading comma") << ",5" << false << qint64(0);
        QTest::newRow("open parenthesis") << "(5" << false << qint64(0);
        QTest::newRow("minus and parentheses") << "-(5)" << false << qint64(0);
        QTest::newRow("two minus") << "--5" << false << qint64(0);
        QTest::newRow("trailing minus") << "5-" << false << qint64(0);
        QTest::newRow("percent") << "6.5%" << false << qint64(0);
        QTest::newRow("euro sign") << "\u20ac5" << false << qint64(0);
    }
    void conversion() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qint64, cents);
        const auto c = rg::toCents(text);
        QCOMPARE(c.has_value(), ok);
        QCOMPARE(rg::toNumber(text).has_value(), ok);
        if (ok) {
            QCOMPARE(*c, cents);
        }
    }

    void exactDecimals() {
        const auto d = rg::toDecimal(u"$1,234.5670");
        QVERIFY(d);
        QVERIFY(d->mantissa == 12345670);
        QCOMPARE(d->scale, 4);
        QCOMPARE(d->toDouble(), 1234.567);
        QCOMPARE(*rg::toNumber(u"(0.1)"), -0.1);
        QCOMPARE(rg::leadingDecimal(u"-0.005").toCents(), -1);
        QCOMPARE(rg::leadingDecimal(u"12").toCents(), 1200);
    }

    void money_data() {
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "$0.00";
        QTest::newRow("cents") << qint64(5) << "$0.05";
        QTest::newRow("hundreds") << qint64(99999) << "$999.99";
        QTest::newRow("thousand") << qint64(123450) << "$1,234.50";
        QTest::newRow("million") << qint64(123456789) << "$1,234,567.89";
        QTest::newRow("negative") << qint64(-5000) << "-$50.00";
        QTest::newRow("negative thousand") << qint64(-100001) << "-$1,000.01";
        QTest::newRow("smallest") << std::numeric_limits<qint64>::min()
                                  << "-$92,233,720,368,547,758.08";
    }
    void money() {
        QFETCH(qint64, cents);
        QFETCH(QString, text);
        QCOMPARE(rg::formatMoney(cents), text);
    }

    void moneyTextReadsBack() {
        for (qint64 c : {qint64(0), qint64(1), qint64(-1), qint64(123456), qint64(-98765432)})
            QCOMPARE(rg::toCents(rg::formatMoney(c)), c);
    }

    void shortDate() {
        QCOMPARE(rg::shortDate(QDate(2006, 1, 5)), QStringLiteral("1/5/2006"));
        QCOMPARE(rg::shortDate(QDate(1999, 12, 31)), QStringLiteral("12/31/1999"));
        QCOMPARE(rg::shortDate(QDate()), QString());
    }

    void readDate_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date"); // invalid: does not read
        QTest::newRow("m/d/yyyy") << "1/5/2006" << QDate(2006, 1, 5);
        QTest::newRow("mm/dd/yyyy") << "01/05/2006" << QDate(2006, 1, 5);
        QTest::newRow("m/d/yy") << "12/31/05" << QDate(2005, 12, 31);
        QTest::newRow("m-d-yy") << "3-4-06" << QDate(2006, 3, 4);
        QTest::newRow("m-d-yyyy") << "3-4-2006" << QDate(2006, 3, 4);
        QTest::newRow("yyyy-m-d") << "2006-3-4" << QDate(2006, 3, 4);
        QTest::newRow("yyyy-mm-dd") << "2006-03-04" << QDate(2006, 3, 4);
        QTest::newRow("m/d this year") << "3/4" << QDate(2006, 3, 4);
        QTest::newRow("m-d this year") << "12-25" << QDate(2006, 12, 25);
        QTest::newRow("blanks") << "  7/4/76 " << QDate(1976, 7, 4);
        QTest::newRow("yy 30 is 1930") << "1/1/30" << QDate(1930, 1, 1);
        QTest::newRow("yy 99 is 1999") << "1/1/99" << QDate(1999, 1, 1);
        QTest::newRow("yy 29 is 2029") << "1/1/29" << QDate(2029, 1, 1);
        QTest::newRow("yy 00 is 2000") << "2/29/00" << QDate(2000, 2, 29);
        QTest::newRow("one-digit year") << "1/1/7" << QDate(2007, 1, 1);
        QTest::newRow("leap day") << "2/29/2004" << QDate(2004, 2, 29);
        QTest::newRow("no leap day") << "2/29/2006" << QDate();
        QTest::newRow("february 30") << "2/30/2006" << QDate();
        QTest::newRow("april 31") << "4/31/06" << QDate();
        QTest::newRow("month 13") << "13/1/2006" << QDate();
        QTest::newRow("day 0") << "1/0/2006" << QDate();
        QTest::newRow("month 0") << "0/1/2006" << QDate();
        QTest::newRow("day-first is no date") << "31/12/2006" << QDate();
        QTest::newRow("three-digit year") << "1/5/206" << QDate();
        QTest::newRow("mixed separators") << "1/5-2006" << QDate();
        QTest::newRow("dots") << "1.5.2006" << QDate();
        QTest::newRow("one number") << "15" << QDate();
        QTest::newRow("four parts") << "1/2/3/4" << QDate();
        QTest::newRow("trailing separator") << "1/5/" << QDate();
        QTest::newRow("letters") << "Jan/5/2006" << QDate();
        QTest::newRow("trailing junk") << "1/5/2006x" << QDate();
        QTest::newRow("empty") << "" << QDate();
        QTest::newRow("m/d this year no leap") << "2/29" << QDate();
    }
    void readDate() {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        const auto got = rg::readDate(text, QDate(2006, 1, 15));
        if (date.isValid()) {
            QVERIFY2(got.has_value(), qPrintable(text));
            QCOMPARE(*got, date);
        } else {
            QVERIFY2(!got.has_value(), qPrintable(text));
        }
    }

    void monthDayUsesTodaysYear() {
        QCOMPARE(rg::readDate(u"2/29", QDate(2008, 6, 1)),
                 std::optional<QDate>(QDate(2008, 2, 29)));
        QCOMPARE(rg::readDate(u"12/31", QDate(1999, 1, 1)),
                 std::optional<QDate>(QDate(1999, 12, 31)));
    }
};

TW_REGISTER_TEST(RegionalTest)
#include "regionaltest.moc"
