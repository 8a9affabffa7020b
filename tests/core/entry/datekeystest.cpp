// The date boxes' shortcut keys: today, a day and a month either way, across month and year
// ends and leap days, and the keys left to typing while a date is being typed.
#include "entry/datekeys.h"
#include "testregistry.h"

#include <QtTest>

using tw::entry::applyDateKey;
using tw::entry::DateKey;

Q_DECLARE_METATYPE(DateKey)

class DateKeysTest : public QObject {
    Q_OBJECT
private slots:
    void keys_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<DateKey>("key");
        QTest::addColumn<QString>("result"); // "typed": the key goes into the text
        const auto fwd = DateKey::DayForward, back = DateKey::DayBack;
        const auto up = DateKey::MonthForward, down = DateKey::MonthBack;
        // Today is 1/15/2006.
        QTest::newRow("today") << "" << DateKey::Today << "1/15/2006";
        QTest::newRow("today over a date") << "3/3/1999" << DateKey::Today << "1/15/2006";
        QTest::newRow("empty +") << "" << fwd << "1/16/2006";
        QTest::newRow("empty -") << "  " << back << "1/14/2006";
        QTest::newRow("empty PgUp") << "" << up << "2/15/2006";
        QTest::newRow("month end") << "1/31/2006" << fwd << "2/1/2006";
        QTest::newRow("back over month end") << "3/1/2006" << back << "2/28/2006";
        QTest::newRow("into leap day") << "2/28/2004" << fwd << "2/29/2004";
        QTest::newRow("out of leap day") << "2/29/2004" << fwd << "3/1/2004";
        QTest::newRow("back into leap day") << "3/1/2004" << back << "2/29/2004";
        QTest::newRow("year end") << "12/31/2005" << fwd << "1/1/2006";
        QTest::newRow("back over year end") << "1/1/2006" << back << "12/31/2005";
        QTest::newRow("two-digit year") << "12/25/06" << fwd << "12/26/2006";
        QTest::newRow("dashes") << "1-5-2006" << back << "1/4/2006";
        QTest::newRow("year first") << "2006-1-5" << fwd << "1/6/2006";
        QTest::newRow("month: last day") << "1/31/2006" << up << "2/28/2006";
        QTest::newRow("month: leap year") << "1/31/2004" << up << "2/29/2004";
        QTest::newRow("month: from leap day") << "2/29/2004" << down << "1/29/2004";
        QTest::newRow("month: year end") << "12/15/2005" << up << "1/15/2006";
        QTest::newRow("month back: year start") << "1/15/2006" << down << "12/15/2005";
        QTest::newRow("month back: last day") << "3/31/2006" << down << "2/28/2006";
        // The steps stop where the ledger's two-digit years end: Post would refuse beyond.
        QTest::newRow("last storable day") << "12/31/2029" << fwd << "12/31/2029";
        QTest::newRow("first storable day") << "1/1/1930" << back << "1/1/1930";
        QTest::newRow("month past the last") << "12/15/2029" << up << "12/31/2029";
        QTest::newRow("from beyond the range") << "3/5/2040" << down << "12/31/2029";
        // Still being typed: the key is a character of the date.
        QTest::newRow("typing 1-") << "1" << back << "typed";
        QTest::newRow("typing 1-5-") << "1-5" << back << "typed";
        QTest::newRow("no year") << "1/5" << fwd << "typed";
        QTest::newRow("not a date") << "13/45/2006" << fwd << "typed";
        QTest::newRow("letters") << "abc" << up << "typed";
    }
    void keys() {
        QFETCH(QString, text);
        QFETCH(DateKey, key);
        QFETCH(QString, result);
        const auto got = applyDateKey(text, key, QDate(2006, 1, 15));
        if (result == QLatin1String("typed"))
            QVERIFY2(!got, qPrintable(got.value_or(QString())));
        else
            QCOMPARE(got, std::optional<QString>(result));
    }
};
TW_REGISTER_TEST(DateKeysTest)

#include "datekeystest.moc"
