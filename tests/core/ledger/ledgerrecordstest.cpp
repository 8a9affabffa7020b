#include "ledger/ledgerrecords.h"
#include "platform/regional.h"
#include "testregistry.h"

#include <QtTest>

using namespace tw::ledger;

namespace {

const QDate kToday(2006, 1, 15);

QDate date(const char* text) {
    const auto d = tw::regional::readDate(QString::fromLatin1(text), kToday);
    if (!d)
        qFatal("test date does not read: %s", text);
    return *d;
}

LedgerEntryRecord sampleEntry() {
    LedgerEntryRecord r;
    r.InvoiceNumber = QStringLiteral("12345");
    r.InvoiceDate = date("1/5/99");
    r.DueDate = date("12/25/03");
    r.JobNumber = QStringLiteral("00004711");
    r.ProductCode = QStringLiteral("BC-Business cards");
    r.PONumber = QStringLiteral("PO-778");
    r.Description = QStringLiteral("500, Business cards");
    r.AmountCents = 123450;
    return r;
}

} // namespace

class LedgerRecordsTest : public QObject {
    Q_OBJECT
private slots:
    void ledgerNumberText() {
        QCOMPARE(tw::ledger::ledgerNumberText(1), QStringLiteral("00001"));
        QCOMPARE(tw::ledger::ledgerNumberText(213), QStringLiteral("00213"));
        QCOMPARE(tw::ledger::ledgerNumberText(12345), QStringLiteral("12345"));
        QCOMPARE(parseLedgerNumber(u"00013"), std::optional<int>(13));
        QVERIFY(!parseLedgerNumber(u"13"));
        QVERIFY(!parseLedgerNumber(u"0001a"));
        QVERIFY(!parseLedgerNumber(u" 0013"));
    }

    void indexRecord() {
        // Leading and trailing blanks go; inner blanks and case stay.
        LedgerIndexRecord r{13, QStringLiteral("  ACME  PRINTING  ")};
        const QByteArray bytes = r.encode();
        QCOMPARE(bytes.size(), 47);
        QCOMPARE(bytes, QByteArray("00013ACME  PRINTING") + QByteArray(26, ' ') + "\r\n");

        // Longer names keep their first 40 characters, the same 40 a search compares.
        const QString longName = QStringLiteral("THE VERY LONG NAMED PRINTING AND SUPPLY COMPANY");
        QCOMPARE(indexName(longName), longName.left(40).toLatin1());
        QCOMPARE(indexName(QStringLiteral("  ") + longName), indexName(longName));
        QCOMPARE(indexName(u"Caf\u00e9"), QByteArray("Caf\xe9") + QByteArray(36, ' '));
    }

    void dateFields_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("invoice");
        QTest::addColumn<QByteArray>("due");
        QTest::newRow("1/5/99") << "1/5/99" << QByteArray("990105") << QByteArray("010599");
        QTest::newRow("12/25/03") << "12/25/03" << QByteArray("031225") << QByteArray("122503");
        // The short date form carries four year digits; the date itself is what is stored.
        QTest::newRow("1/5/2006") << "1/5/2006" << QByteArray("060105") << QByteArray("010506");
        QTest::newRow("1/15/2006") << "1/15/2006" << QByteArray("060115") << QByteArray("011506");
        QTest::newRow("01/15/06") << "01/15/06" << QByteArray("060115") << QByteArray("011506");
        QTest::newRow("12/31/1999") << "12/31/1999" << QByteArray("991231") << QByteArray("123199");
    }
    void dateFields() {
        QFETCH(QString, text);
        QFETCH(QByteArray, invoice);
        QFETCH(QByteArray, due);
        const QDate d = date(text.toLatin1().constData());
        QCOMPARE(dateField(d, DateOrder::YyMmDd), invoice);
        QCOMPARE(dateField(d, DateOrder::MmDdYy), due);
    }

    void emptyDateIsSixBlanks() {
        QCOMPARE(dateField(QDate(), DateOrder::MmDdYy), QByteArray(6, ' '));
        QCOMPARE(dateField(QDate(), DateOrder::YyMmDd), QByteArray(6, ' '));
    }

    void amountText_data() {
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("1234.50") << qint64(123450) << QByteArray("1234.5");
        QTest::newRow("100.00") << qint64(10000) << QByteArray("100");
        QTest::newRow("12.05") << qint64(1205) << QByteArray("12.05");
        QTest::newRow("exact cents") << qint64(12345678) << QByteArray("123456.78");
        QTest::newRow("below one") << qint64(50) << QByteArray("0.5");
        QTest::newRow("one cent") << qint64(1) << QByteArray("0.01");
        QTest::newRow("zero") << qint64(0) << QByteArray("0");
        QTest::newRow("negative") << qint64(-5000) << QByteArray("-50");
        QTest::newRow("negative cents") << qint64(-1234567) << QByteArray("-12345.67");
        QTest::newRow("largest") << qint64(999999999) << QByteArray("9999999.99");
        QTest::newRow("-1,000,000.00") << qint64(-100000000) << QByteArray("-1000000");
    }
    void amountText() {
        QFETCH(qint64, cents);
        QFETCH(QByteArray, text);
        QCOMPARE(tw::ledger::amountText(cents), std::optional<QByteArray>(text));
    }

    void amountTooLongRefused() {
        QVERIFY(!tw::ledger::amountText(1000000000));  // 10,000,000.00
        QVERIFY(!tw::ledger::amountText(-100000001));  // -1,000,000.01
        QVERIFY(!tw::ledger::amountText(-1000000000)); // -10,000,000.00
        QVERIFY(!tw::ledger::amountText(INT64_MIN));
        QVERIFY(!tw::ledger::amountText(INT64_MAX));
        LedgerEntryRecord r = sampleEntry();
        r.AmountCents = 1000000000;
        QVERIFY(!r.encode());
    }

    void entryRecordBytes() {
        const auto bytes = sampleEntry().encode();
        QVERIFY(bytes);
        const QByteArray expected = QByteArray("12345   ") // invoice number, 8
                                    + "990105"             // invoice date yymmdd
                                    + "122503"             // due date mmddyy
                                    + "00004711"           // job number
                                    + "BC"                 // product code, cut to 2
                                    + "PO-778    "         // P.O. number, 10
                                    + QByteArray("500, Business cards").leftJustified(76, ' ') +
                                    "1234.5    " // amount, 10
                                    + "\r\n";
        QCOMPARE(bytes->size(), 128);
        QCOMPARE(*bytes, expected);
    }

    void entryFieldsCutAndKept() {
        LedgerEntryRecord r;
        r.InvoiceNumber = QStringLiteral("1234567890"); // cut to 8
        r.InvoiceDate = date("1/5/99");
        r.JobNumber = QStringLiteral(" 42");           // a leading blank stays
        r.Description = QString(90, QLatin1Char('x')); // cut to 76
        r.AmountCents = 10000;
        const QByteArray b = *r.encode();
        QCOMPARE(b.mid(0, 8), QByteArray("12345678"));
        QCOMPARE(b.mid(8, 6), QByteArray("990105"));
        QCOMPARE(b.mid(14, 6), QByteArray(6, ' '));
        QCOMPARE(b.mid(20, 8), QByteArray(" 42     "));
        QCOMPARE(b.mid(28, 2), QByteArray("  "));
        QCOMPARE(b.mid(40, 76), QByteArray(76, 'x'));
        QCOMPARE(b.mid(116, 10), QByteArray("100       "));
        QCOMPARE(b.right(2), QByteArray("\r\n"));

        r.InvoiceNumber = QStringLiteral(" 12");
        QCOMPARE(r.encode()->left(8), QByteArray(" 12     "));
    }

    void lineBreaksNeverEnterARecord() {
        LedgerEntryRecord r = sampleEntry();
        r.Description = QStringLiteral("first line\r\nsecond\nthird");
        r.PONumber = QStringLiteral("A\nB");
        const QByteArray b = *r.encode();
        QCOMPARE(b.size(), 128);
        QCOMPARE(b.count('\r'), 1);
        QCOMPARE(b.count('\n'), 1);
        QCOMPARE(b.mid(40, 24), QByteArray("first line  second third"));
        QCOMPARE(b.mid(30, 3), QByteArray("A B"));
        QCOMPARE(LedgerIndexRecord({1, QStringLiteral("TWO\nLINES")}).encode().mid(5, 9),
                 QByteArray("TWO LINES"));
    }
};

TW_REGISTER_TEST(LedgerRecordsTest)
#include "ledgerrecordstest.moc"
