#include "entry/entryfields.h"
#include "entry/amounts.h"
#include "testregistry.h"

#include <QtTest>

using namespace tw::entry;

class EntryFieldsTest : public QObject {
    Q_OBJECT
private slots:
    void dateRule_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QString>("result");
        QTest::newRow("no delimiter") << "010506" << true << "";
        QTest::newRow("blanks only") << "   " << true << "";
        QTest::newRow("not a date kept") << "ab/cd" << false << "ab/cd";
        QTest::newRow("dashes, short year") << "1-5-06" << false << "1/5/2006";
        QTest::newRow("short date form kept") << "1/5/2006" << false << "1/5/2006";
        QTest::newRow("two-digit parts") << "01/15/06" << false << "1/15/2006";
        QTest::newRow("year last century") << "12/25/99" << false << "12/25/1999";
        QTest::newRow("impossible day kept") << "2/30/2006" << false << "2/30/2006";
        QTest::newRow("empty is today") << "" << false << "1/15/2006";
    }
    void dateRule() {
        QFETCH(QString, typed);
        QFETCH(bool, missing);
        QFETCH(QString, result);
        const auto r = tw::entry::dateRule(typed, QDate(2006, 1, 15));
        QCOMPARE(r.missingDelimiter, missing);
        if (!missing)
            QCOMPARE(r.text, result);
        // Leaving the box again changes nothing.
        if (!missing)
            QCOMPARE(tw::entry::dateRule(r.text, QDate(2006, 1, 15)).text, result);
    }

    void dateMessageText() {
        QCOMPARE(kDateDelimiterMessage,
                 QStringLiteral("Enter date with delimiters such as - or /)"));
    }

    void jobRule() {
        QCOMPARE(normaliseJob(" 123 "), QStringLiteral("00000123"));
        QCOMPARE(normaliseJob("12345678"), QStringLiteral("12345678"));
        QCOMPARE(normaliseJob("4711"), QStringLiteral("00004711"));
        QCOMPARE(normaliseJob("AB 1"), QStringLiteral("0000AB 1"));
        QCOMPARE(normaliseJob(""), QString());
        QCOMPARE(normaliseJob("    "), QString());
    }

    void invoiceFromJob_data() {
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("invoice");
        QTest::newRow("zero-filled") << "00012345"
                                     << "12345";
        QTest::newRow("full width") << "12345678"
                                    << "12345678";
        QTest::newRow("letters") << "00ABC123"
                                 << "0";
        QTest::newRow("fraction") << "00001.50"
                                  << "1.5";
        QTest::newRow("inner blank") << "0001 2 3"
                                     << "123";
        QTest::newRow("all zero") << "00000000"
                                  << "0";
    }
    void invoiceFromJob() {
        QFETCH(QString, job);
        QFETCH(QString, invoice);
        QCOMPARE(tw::entry::invoiceFromJob(job), invoice);
    }

    void jobValueZero() {
        QVERIFY(jobValueIsZero(""));
        QVERIFY(jobValueIsZero("00000000"));
        QVERIFY(jobValueIsZero("00ABC123"));
        QVERIFY(!jobValueIsZero("00012345"));
    }

    // The Match option's invoice number: a job given counts when not empty, a job found when
    // the option is switched on only when its value is not zero.
    void matchedInvoice_data() {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("match");
        QTest::addColumn<QString>("job");
        QTest::addColumn<QString>("invoice"); // "-" for none
        QTest::newRow("job given") << false << true << "00012345"
                                   << "12345";
        QTest::newRow("job given, option off") << false << false << "00012345"
                                               << "-";
        QTest::newRow("empty job given") << false << true << ""
                                         << "-";
        QTest::newRow("zero job given") << false << true << "00000000"
                                        << "0";
        QTest::newRow("option ticked") << true << true << "12345678"
                                       << "12345678";
        QTest::newRow("option ticked, zero job") << true << true << "00000000"
                                                 << "-";
        QTest::newRow("option ticked, empty job") << true << true << ""
                                                  << "-";
        QTest::newRow("option cleared") << true << false << "00012345"
                                        << "-";
    }
    void matchedInvoice() {
        QFETCH(bool, ticked);
        QFETCH(bool, match);
        QFETCH(QString, job);
        QFETCH(QString, invoice);
        const auto trigger =
            ticked ? tw::entry::MatchTrigger::OptionTicked : tw::entry::MatchTrigger::JobGiven;
        QCOMPARE(tw::entry::matchedInvoice(match, job, trigger).value_or("-"), invoice);
    }

    void invoiceToJob() {
        QCOMPARE(jobFromInvoice(true, "4711", "").value_or("none"), QStringLiteral("00004711"));
        // Exactly as typed, not trimmed.
        QCOMPARE(jobFromInvoice(true, " 47", "").value_or("none"), QStringLiteral("00000 47"));
        QCOMPARE(jobFromInvoice(true, "12345678", "").value_or("none"), QStringLiteral("12345678"));
        QVERIFY(!jobFromInvoice(false, "4711", ""));
        QVERIFY(!jobFromInvoice(true, "", ""));
        QVERIFY(!jobFromInvoice(true, "4711", "00000001"));
    }

    void plainNumbers() {
        using tw::regional::Decimal;
        QCOMPARE(plainNumber(Decimal{0, 3}), QStringLiteral("0"));
        QCOMPARE(plainNumber(Decimal{-300, 2}), QStringLiteral("-3"));
        QCOMPARE(plainNumber(Decimal{5, 3}), QStringLiteral("0.005"));
        QCOMPARE(plainNumber(Decimal{12, -2}), QStringLiteral("1200"));
    }
};
TW_REGISTER_TEST(EntryFieldsTest)

class AmountsTest : public QObject {
    Q_OBJECT
private slots:
    void amountRule_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("grouping") << "1234.5"
                                  << "$1,234.50 ";
        QTest::newRow("empty") << ""
                               << "          ";
        QTest::newRow("not a number") << "abc"
                                      << "abc       ";
        QTest::newRow("negative") << "-50"
                                  << "-$50.00   ";
        QTest::newRow("half cent up") << "1.005"
                                      << "$1.01     ";
        QTest::newRow("cents") << "0.05"
                               << "$0.05     ";
        QTest::newRow("zero") << "0"
                              << "$0.00     ";
        QTest::newRow("money text again") << "$1,234.50 "
                                          << "$1,234.50 ";
        QTest::newRow("blanks around") << "  12  "
                                       << "$12.00    ";
        // Never cut: the value read back is the value shown.
        QTest::newRow("11 characters") << "123456.78"
                                       << "$123,456.78";
        QTest::newRow("17 characters") << "9999999999"
                                       << "$9,999,999,999.00";
        QTest::newRow("negative 11") << "-10000"
                                     << "-$10,000.00";
        QTest::newRow("long non-number cut") << "abcdefghijklmn"
                                             << "abcdefghij";
    }
    void amountRule() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        const QString got = tw::entry::amountRule(typed);
        QCOMPARE(got, shown);
        QCOMPARE(tw::entry::amountRule(got), shown); // leaving twice gives the same text
    }

    void moneyTextKeepsValue() {
        // Every amount's money text converts back to the same cents.
        for (std::int64_t cents : {0LL, 1LL, 99LL, 12345678LL, 9999999999LL, -1000001LL}) {
            const QString text = moneyText(tw::regional::formatMoney(cents));
            QVERIFY(text.size() >= kMoneyBoxLength);
            QCOMPARE(tw::regional::toCents(text).value_or(-7), cents);
        }
    }

    void qualifying_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("money zero") << "$0.00     " << true;
        QTest::newRow("money") << "$12.00    " << true;
        QTest::newRow("dollar not a number") << "$abc" << true;
        QTest::newRow("plain positive") << "12" << true;
        QTest::newRow("leading blank") << " 5" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blanks") << "          " << false;
        QTest::newRow("bare zero") << "0" << false;
        QTest::newRow("negative money") << "-$50.00   " << false;
        QTest::newRow("negative") << "-50" << false;
        QTest::newRow("letters") << "abc" << false;
    }
    void qualifying() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QCOMPARE(qualifies(text), ok);
    }

    void tax_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("percent");
        QTest::addColumn<QString>("tax");
        QTest::addColumn<QString>("total");
        QTest::newRow("6.5%") << "$100.00   "
                              << "6.5"
                              << "$6.50"
                              << "$106.50";
        QTest::newRow("6%") << "$100.00   "
                            << "6"
                            << "$6.00"
                            << "$106.00";
        QTest::newRow("7.25% with sign") << "$100.00   "
                                         << "7.25%"
                                         << "$7.25"
                                         << "$107.25";
        QTest::newRow("empty percent") << "$100.00   "
                                       << ""
                                       << "$0.00"
                                       << "$100.00";
        QTest::newRow("text percent") << "$100.00   "
                                      << "abc"
                                      << "$0.00"
                                      << "$100.00";
        QTest::newRow("zero amount") << "$0.00     "
                                     << "6.5"
                                     << "$0.00"
                                     << "$0.00";
        QTest::newRow("half cent away from zero") << "$1.00"
                                                  << "0.5"
                                                  << "$0.01"
                                                  << "$1.01";
        QTest::newRow("negative half cent") << "$1.00"
                                            << "-0.5"
                                            << "-$0.01"
                                            << "$0.99";
        QTest::newRow("plain amount") << "1234.5"
                                      << "8"
                                      << "$98.76"
                                      << "$1,333.26";
        // Single-precision sums would show $132,407.41 here.
        QTest::newRow("large exact") << "$123,456.78"
                                     << "7.25"
                                     << "$8,950.62"
                                     << "$132,407.40";
    }
    void tax() {
        QFETCH(QString, amount);
        QFETCH(QString, percent);
        QFETCH(QString, tax);
        QFETCH(QString, total);
        const TaxResult r = computeTax(amount, percent);
        QCOMPARE(r.outcome, TaxResult::Outcome::Computed);
        QCOMPARE(tw::regional::formatMoney(r.taxCents), tax);
        QCOMPARE(tw::regional::formatMoney(r.invoiceCents), total);
    }

    void taxShownSumsAdd() {
        // The shown amount plus the shown tax is the shown invoice amount, for every amount.
        for (std::int64_t cents = 1; cents < 2'000'000; cents += 997) {
            const QString amount = moneyText(tw::regional::formatMoney(cents));
            const TaxResult r = computeTax(amount, QStringLiteral("6.875"));
            QCOMPARE(r.outcome, TaxResult::Outcome::Computed);
            QCOMPARE(r.invoiceCents, cents + r.taxCents);
            // And the tax is the exact product rounded half away from zero.
            const std::int64_t scaled = cents * 6875; // tax in 1/100000 cent
            QCOMPARE(r.taxCents, (scaled + 50000) / 100000);
        }
    }

    void taxNotComputed() {
        QCOMPARE(computeTax(QStringLiteral("-$50.00   "), QStringLiteral("6")).outcome,
                 TaxResult::Outcome::NotQualifying);
        QCOMPARE(computeTax(QString(), QStringLiteral("6")).outcome,
                 TaxResult::Outcome::NotQualifying);
        QCOMPARE(computeTax(QStringLiteral("$abc"), QStringLiteral("6")).outcome,
                 TaxResult::Outcome::NotANumber);
        QCOMPARE(
            computeTax(QStringLiteral("$99,999,999,999,999,999.00"), QStringLiteral("6")).outcome,
            TaxResult::Outcome::TooLarge);
        QCOMPARE(
            computeTax(QStringLiteral("$100.00"), QStringLiteral("99999999999999999999")).outcome,
            TaxResult::Outcome::TooLarge);
    }
};
TW_REGISTER_TEST(AmountsTest)

#include "entryfieldstest.moc"
