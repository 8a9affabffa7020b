// Text from outside the program at its extremes, as fuzzing found it: numbers far beyond a
// double's range must keep their sign and size instead of reading as zero.
#include "platform/regional.h"
#include "testregistry.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace rg = tw::regional;

class OutsideTextTest : public QObject {
    Q_OBJECT
private slots:
    void hugeLeadingNumbersKeepTheirSign() {
        const QString digits(400, QLatin1Char('9'));
        QVERIFY(std::isinf(rg::leadingNumber(digits)));
        QVERIFY(rg::leadingNumber(digits) > 0);
        QVERIFY(rg::leadingNumber(QLatin1Char('-') + digits) < 0);
        QCOMPARE(rg::leadingWhole(digits), std::numeric_limits<std::int64_t>::max());
        // A month of 400 digits is no month of zero in the date test's sums.
        QVERIFY(rg::leadingNumber(digits + QStringLiteral("/1/2006")) > 12);
        // Converted money text takes the same way to a double.
        const auto n = rg::toNumber(QLatin1Char('$') + digits);
        QVERIFY(n && std::isinf(*n) && *n > 0);
    }
    void tinyLeadingNumbersAreZero() {
        const QString tiny =
            QStringLiteral("0.") + QString(400, QLatin1Char('0')) + QLatin1Char('7');
        QCOMPARE(rg::leadingNumber(tiny), 0.0);
        QCOMPARE(rg::leadingWhole(tiny), std::int64_t(0));
        QCOMPARE(rg::leadingDecimal(tiny).toCents(), std::int64_t(0));
    }
    void largeButRepresentableNumbersAreExact() {
        QCOMPARE(rg::leadingNumber(QStringLiteral("1") + QString(300, QLatin1Char('0'))), 1e300);
        QCOMPARE(rg::leadingNumber(QStringLiteral("-2") + QString(200, QLatin1Char('0'))), -2e200);
    }
};

TW_REGISTER_TEST(OutsideTextTest)
#include "outsidetexttest.moc"
