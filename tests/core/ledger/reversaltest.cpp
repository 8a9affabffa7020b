// Reversing an entry: a new record, byte for byte the original's invoice, job, P.O. and
// product with the amount negated; refused where the ledger could not hold it; asked again
// when the entry was already reversed.
#include "ledger/reversal.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QtTest>

using namespace tw::ledger;
using tw::test::LedgerSandbox;
using tw::test::readAll;
using tw::test::writeAll;

namespace {

const QDate kToday(2006, 1, 15);

QByteArray original(const QString& desc, std::int64_t cents) {
    return *tw::test::sampleEntry(QStringLiteral(" A1001"), desc, cents).encode();
}

} // namespace

class ReversalTest : public QObject {
    Q_OBJECT
private slots:
    void recordBytes_data() {
        QTest::addColumn<QString>("desc");
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QByteArray>("expectedDesc");
        QTest::addColumn<QByteArray>("expectedAmount");
        QTest::newRow("plain") << "500, Business cards" << qint64(123450)
                               << QByteArray("REVERSAL 500, Business cards")
                               << QByteArray("-1234.5");
        QTest::newRow("negative") << "credit" << qint64(-5) << QByteArray("REVERSAL credit")
                                  << QByteArray("0.05");
        QTest::newRow("empty description")
            << "" << qint64(100) << QByteArray("REVERSAL") << QByteArray("-1");
        QTest::newRow("cut to the field")
            << QString(76, 'x') << qint64(1) << "REVERSAL " + QByteArray(67, 'x')
            << QByteArray("-0.01");
        QTest::newRow("leading blanks kept")
            << "  indented" << qint64(99999999) << QByteArray("REVERSAL   indented")
            << QByteArray("-999999.99");
    }
    void recordBytes() {
        QFETCH(QString, desc);
        QFETCH(qint64, cents);
        QFETCH(QByteArray, expectedDesc);
        QFETCH(QByteArray, expectedAmount);
        const QByteArray orig = original(desc, cents);
        const QByteArray expected = QByteArray(" A1001  ") // invoice, as stored
                                    + "060115"             // today, yymmdd
                                    + "      "             // no due date
                                    + "00004711"           // job
                                    + "BC"                 // product
                                    + "PO-778    "         // P.O.
                                    + expectedDesc.leftJustified(76, ' ') +
                                    expectedAmount.leftJustified(10, ' ') + "\r\n";
        QCOMPARE(reversalRecord(orig, kToday), expected);
        QVERIFY(reverses(expected, orig));
        QVERIFY(!reverses(orig, orig));
        QVERIFY(!reverses(expected, original(desc, cents + 1)));
    }

    // Another program's record may hold control characters: the reversal stores blanks in
    // their place, as Post does.
    void controlCharactersBecomeBlanks() {
        QByteArray dirty = original("cards", 100), clean = dirty;
        dirty.replace(0, 2, "\x1a\t");
        dirty.replace(40, 2, QByteArray("\0\x7f", 2));
        clean.replace(0, 2, "  ");
        clean.replace(40, 2, "  ");
        QCOMPARE(reversalRecord(dirty, kToday), reversalRecord(clean, kToday));
    }

    void refusals_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<qint64>("record");
        QTest::addColumn<QString>("refusal"); // a part of it
        const QByteArray sound = original("cards", 100);
        QByteArray oddAmount = sound;
        oddAmount.replace(LedgerEntryRecord::kAmountOffset, 10, "12,50     ");
        QByteArray outOfStep = sound;
        outOfStep.replace(126, 2, "XY");
        QTest::newRow("incomplete record")
            << sound + "tail" << qint64(-1) << "An incomplete record cannot be reversed.";
        QTest::newRow("amount does not read") << oddAmount << qint64(0) << "\"12,50\"";
        QTest::newRow("out of step") << outOfStep << qint64(0) << "does not end where";
        // 1,000,000.01 fits; -1,000,000.01 does not.
        QTest::newRow("negation too long")
            << original("big", 100000001) << qint64(0) << "-$1,000,000.01 does not fit";
        QTest::newRow("entry gone") << sound << qint64(1) << "no longer holds this entry";
    }
    void refusals() {
        QFETCH(QByteArray, file);
        QFETCH(qint64, record);
        QFETCH(QString, refusal);
        LedgerSandbox box;
        writeAll(box.file("led00013.dat"), file);
        const ReversalPlan plan = planReversal(box.store(), "00013", record, kToday);
        QVERIFY(plan.record.isEmpty());
        QVERIFY2(plan.refusal.contains(refusal), qPrintable(plan.refusal));
        QVERIFY(plan.question.isEmpty());
    }

    // The question says what is reversed, and that it was reversed before if it was; Yes
    // appends the record behind the others, which stay as they were.
    void postsBehindTheOthers_data() {
        QTest::addColumn<bool>("reversedBefore");
        QTest::newRow("first reversal") << false;
        QTest::newRow("reversed before") << true;
    }
    void postsBehindTheOthers() {
        QFETCH(bool, reversedBefore);
        LedgerSandbox box;
        const QByteArray orig = original("cards", 123450);
        QByteArray before = original("other", 5) + orig;
        if (reversedBefore)
            before += reversalRecord(orig, QDate(2006, 1, 10));
        writeAll(box.file("led00013.dat"), before);
        LedgerStore store = box.store();
        const ReversalPlan plan = planReversal(store, "00013", 1, kToday);
        QVERIFY2(plan.refusal.isEmpty(), qPrintable(plan.refusal));
        const QString ask = "Reverse invoice A1001 dated 1/5/2006 for $1,234.50? A reversal for "
                            "-$1,234.50 dated 1/15/2006 is added to ledger 00013.";
        QCOMPARE(plan.question,
                 reversedBefore ? "This entry was already reversed on 1/10/2006. " + ask : ask);

        const PostOutcome out = postReversal(store, "00013", "ACME", plan);
        QVERIFY2(out.posted, qPrintable(out.error));
        QCOMPARE(out.offset, qint64(before.size()));
        QCOMPARE(readAll(box.file("led00013.dat")), before + reversalRecord(orig, kToday));
        const QByteArray journal = readAll(box.file("POSTINGS.CSV"));
        QCOMPARE(tw::test::parseCsvRecord(journal.mid(journal.indexOf("\r\n") + 2)).value(3),
                 QStringLiteral("reverse"));
    }
};
TW_REGISTER_TEST(ReversalTest)

#include "reversaltest.moc"
