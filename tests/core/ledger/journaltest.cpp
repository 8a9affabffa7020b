// The journal of postings: RFC 4180 lines in UTF-8 that a spreadsheet reads back field for
// field, a header once, and a line that stays whole after a torn one.
#include "ledger/journal.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "platform/ioerror.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QTimeZone>
#include <QtTest>

using namespace tw::ledger;
using tw::test::LedgerSandbox;
using tw::test::readAll;
using tw::test::writeAll;

namespace {

JournalEntry sampleEntry() {
    JournalEntry e;
    e.time = QDateTime(QDate(2006, 1, 15), QTime(14, 3, 9), QTimeZone(-5 * 3600));
    e.user = QStringLiteral("clerk");
    e.computer = QStringLiteral("OFFICE-2");
    e.action = JournalEntry::Action::Post;
    e.ledgerNumber = QStringLiteral("00013");
    e.customerName = QStringLiteral("ACME PRINTING");
    e.invoiceNumber = QStringLiteral("A1001");
    e.jobNumber = QStringLiteral("00004711");
    e.amountCents = 123450;
    e.recordOffset = 1536;
    return e;
}

} // namespace

class JournalTest : public QObject {
    Q_OBJECT
private slots:
    void fieldsReadBackWhole_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("plain") << "ACME PRINTING" << QByteArray("ACME PRINTING");
        QTest::newRow("empty") << "" << QByteArray("");
        QTest::newRow("comma") << "Smith, Jones & Co" << QByteArray("\"Smith, Jones & Co\"");
        QTest::newRow("quotes") << "The \"Best\" Press" << QByteArray("\"The \"\"Best\"\" Press\"");
        QTest::newRow("line break") << "two\r\nlines" << QByteArray("\"two\r\nlines\"");
        QTest::newRow("non-ASCII")
            << "Caf\u00e9 \u00c9mile \u20ac" << QByteArray("Caf\xc3\xa9 \xc3\x89mile \xe2\x82\xac");
        QTest::newRow("semicolon stays") << "a;b" << QByteArray("a;b");
    }
    void fieldsReadBackWhole() {
        QFETCH(QString, text);
        QFETCH(QByteArray, csv);
        QCOMPARE(csvField(text), csv);
        JournalEntry e = sampleEntry();
        e.customerName = text;
        e.invoiceNumber = text;
        const QStringList fields = tw::test::parseCsvRecord(journalLine(e));
        QCOMPARE(fields.size(), 10);
        QCOMPARE(fields[5], text);
        QCOMPARE(fields[6], text);
    }

    void lineColumns() {
        JournalEntry e = sampleEntry();
        QCOMPARE(journalLine(e), QByteArray("2006-01-15T14:03:09-05:00,clerk,OFFICE-2,post,00013,"
                                            "ACME PRINTING,A1001,00004711,1234.50,1536\r\n"));
        e.action = JournalEntry::Action::Reverse;
        e.amountCents = -123450;
        QCOMPARE(tw::test::parseCsvRecord(journalLine(e)).mid(3, 1), QStringList{"reverse"});
        QCOMPARE(tw::test::parseCsvRecord(journalLine(e)).mid(8, 1), QStringList{"-1234.50"});
        QCOMPARE(tw::test::parseCsvRecord(journalHeader()).size(), 10);
        // A journal entry of this machine names a user and a computer.
        const JournalEntry here = JournalEntry::now();
        QVERIFY(!here.user.isEmpty());
        QVERIFY(!here.computer.isEmpty());
        QVERIFY(here.time.isValid());
    }

    void timeAndAmount_data() {
        QTest::addColumn<int>("offsetSeconds");
        QTest::addColumn<QString>("time");
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QString>("amount");
        QTest::newRow("UTC") << 0 << "2006-01-15T14:03:09+00:00" << qint64(0) << "0.00";
        QTest::newRow("west") << -5 * 3600 << "2006-01-15T14:03:09-05:00" << qint64(-5) << "-0.05";
        QTest::newRow("half hour")
            << 5 * 3600 + 1800 << "2006-01-15T14:03:09+05:30" << qint64(100) << "1.00";
        QTest::newRow("west half hour") << -(3 * 3600 + 1800) << "2006-01-15T14:03:09-03:30"
                                        << qint64(999999999) << "9999999.99";
    }
    void timeAndAmount() {
        QFETCH(int, offsetSeconds);
        QFETCH(QString, time);
        QFETCH(qint64, cents);
        QFETCH(QString, amount);
        const QDateTime t(QDate(2006, 1, 15), QTime(14, 3, 9), QTimeZone(offsetSeconds));
        QCOMPARE(isoTimeWithOffset(t), time);
        QCOMPARE(plainAmount(cents), amount);
    }

    void appendsWithOneHeader() {
        LedgerSandbox f;
        const LedgerStore store = f.store();
        JournalEntry e = sampleEntry();
        appendJournal(store, e);
        QCOMPARE(readAll(f.file("POSTINGS.CSV")), journalHeader() + journalLine(e));
        e.invoiceNumber = QStringLiteral("A1002");
        appendJournal(store, e);
        QCOMPARE(readAll(f.file("POSTINGS.CSV")),
                 journalHeader() + journalLine(sampleEntry()) + journalLine(e));
    }

    // A line torn by a crash is ended so that a CSV reader takes it as one short row and the
    // next line whole; an empty journal (a failed first write) gets its header first.
    void tornLineIsEndedFirst_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("rows"); // read back before the new line
        JournalEntry quoted = sampleEntry();
        quoted.customerName = QStringLiteral("Smith, \"Best\" Jones");
        const QByteArray head = journalHeader() + journalLine(sampleEntry());
        QTest::newRow("empty journal") << QByteArray() << 1;
        QTest::newRow("torn outside quotes") << head + journalLine(quoted).left(30) << 3;
        QTest::newRow("torn inside quotes") << head + journalLine(quoted).left(58) << 3;
        QTest::newRow("torn between doubled quotes") << head + journalLine(quoted).left(61) << 3;
        QTest::newRow("torn after doubled quotes") << head + journalLine(quoted).left(64) << 3;
        QTest::newRow("torn after its CR") << head + journalLine(quoted).chopped(1) << 3;
    }
    void tornLineIsEndedFirst() {
        QFETCH(QByteArray, before);
        QFETCH(int, rows);
        LedgerSandbox f;
        writeAll(f.file("POSTINGS.CSV"), before);
        appendJournal(f.store(), sampleEntry());
        const QByteArray after = readAll(f.file("POSTINGS.CSV"));
        QVERIFY(after.startsWith(before));
        const QList<QStringList> read = tw::test::parseCsv(after);
        QCOMPARE(read.size(), rows + 1);
        QCOMPARE(read.first(), tw::test::parseCsvRecord(journalHeader()));
        QCOMPARE(read.last(), tw::test::parseCsvRecord(journalLine(sampleEntry())));
    }

    void failureNamesTheFile() {
        LedgerSandbox f;
        try {
            appendJournal(f.store("F:\\MISSING"), sampleEntry());
            QFAIL("a journal in a missing folder was written");
        } catch (const tw::IoError& e) {
            QVERIFY2(e.text().contains("F:\\MISSING\\POSTINGS.CSV"), qPrintable(e.text()));
        }
    }

    // Each posting leaves one line with what its record holds, under the name the index gives
    // the ledger's owner; a journal that cannot be written leaves the posting in place and
    // says so.
    void postingsAreJournalled_data() {
        QTest::addColumn<bool>("reversal");
        QTest::addColumn<bool>("journalBlocked");
        QTest::addColumn<QString>("owner"); // the name of index record 13; empty: no index
        QTest::newRow("post") << false << false << "";
        QTest::newRow("reverse") << true << false << "";
        QTest::newRow("journal cannot be written") << false << true << "";
        QTest::newRow("owner named by the index") << true << false << "OWNER, LTD";
    }
    void postingsAreJournalled() {
        QFETCH(bool, reversal);
        QFETCH(bool, journalBlocked);
        QFETCH(QString, owner);
        LedgerSandbox f;
        LedgerStore store = f.store();
        if (!owner.isEmpty())
            writeAll(f.indexFile(), tw::test::indexOf(QStringList(12, "X") << owner));
        if (journalBlocked)
            QVERIFY(QDir().mkpath(f.file("POSTINGS.CSV")));
        LedgerEntryRecord r;
        r.InvoiceNumber = QStringLiteral("A1,\"1");
        r.InvoiceDate = QDate(2006, 1, 5);
        r.JobNumber = QStringLiteral("00004711");
        r.AmountCents = reversal ? -123450 : 123450;
        Posting p = Posting::toLedger(13, *r.encode(), QStringLiteral("  Caf\u00e9, Inc. "));
        p.reversal = reversal;
        store.appendEntry("00013", *r.encode()); // an earlier entry: the new one is at 128

        const PostOutcome out = post(store, p);
        QVERIFY(out.posted);
        QCOMPARE(readAll(f.file("led00013.dat")), *r.encode() + *r.encode());
        if (journalBlocked) {
            QVERIFY2(out.warning.contains("F:\\LEDGER\\POSTINGS.CSV"), qPrintable(out.warning));
            QVERIFY(out.error.isEmpty());
            return;
        }
        QCOMPARE(out.warning, QString());
        const QByteArray journal = readAll(f.file("POSTINGS.CSV"));
        QVERIFY(journal.startsWith(journalHeader()));
        const QStringList fields = tw::test::parseCsvRecord(journal.mid(journalHeader().size()));
        QCOMPARE(fields.size(), 10);
        QCOMPARE(fields.mid(3),
                 (QStringList{reversal ? "reverse" : "post", "00013",
                              owner.isEmpty() ? "Caf\u00e9, Inc." : owner, "A1,\"1", "00004711",
                              reversal ? "-1234.50" : "1234.50", "128"}));
        QCOMPARE(QDateTime::fromString(fields[0], Qt::ISODate).isValid(), true);
    }
};
TW_REGISTER_TEST(JournalTest)

#include "journaltest.moc"
