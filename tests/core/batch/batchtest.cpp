// Checking a file before anything is written: each row's status in file order, duplicates
// against the customer's ledger and within the file, one new ledger per new name, and ticks.
#include "batch/batch.h"
#include "batchfixture.h"
#include "ledger/ledgermodel.h"
#include "testregistry.h"

#include <QtTest>

using namespace tw::batch;

class BatchCheckTest : public QObject {
    Q_OBJECT
private slots:
    void statuses_data() {
        QTest::addColumn<QStringList>("rows"); // Customer, Invoice, Date, Amount
        QTest::addColumn<QString>("removed");  // a file of the ledger folder removed first
        QTest::addColumn<QString>("statuses"); // row number, status, ledger ("-" when unticked)
        const QString d = ",1/5/2006,10";
        QTest::newRow("ready; in the ledger in other capitals")
            << QStringList{"ACME PRINTING,A2" + d, "ACME PRINTING,a1" + d} << ""
            << "2 Ready 00001|3 Duplicate 00001";
        QTest::newRow("in the ledger as its last record without line end")
            << QStringList{"ACME PRINTING,A9" + d} << ""
            << "2 Duplicate 00001";
        QTest::newRow("one new ledger for every row of a new name")
            << QStringList{"New Co,N1" + d, "Zenith Labels,Z2" + d, "New Co,N2" + d,
                           "Other Co,N1" + d}
            << ""
            << "2 New ledger 00003|3 Ready 00002|4 New ledger 00003|5 New ledger 00004";
        QTest::newRow("earlier row of the same customer")
            << QStringList{"New Co,N1" + d, "Other Co,N1" + d, "New Co,N1" + d,
                           "ACME PRINTING,A2" + d, "ACME PRINTING, a2 " + d}
            << ""
            << "2 New ledger 00003|3 New ledger 00004|4 Duplicate 00003|5 Ready 00001|"
               "6 Duplicate 00001";
        QTest::newRow("an error row hides no later one")
            << QStringList{"ACME PRINTING,A5,13/1/2006,10", "ACME PRINTING,A5,1/13/2006,10"} << ""
            << "2 Error 00000|3 Ready 00001";
        QTest::newRow("blank rows left out, counted")
            << QStringList{"", ",,,", "ACME PRINTING,A7" + d} << ""
            << "4 Ready 00001";
        QTest::newRow("no index yet") << QStringList{"ACME PRINTING,A1" + d} << "ledger.ndx"
                                      << "2 New ledger 00001";
        QTest::newRow("indexed, its file missing: unticked, noted")
            << QStringList{"Zenith Labels,Z2" + d} << "led00002.dat"
            << "2 Ready 00002 -";
    }
    void statuses() {
        QFETCH(QStringList, rows);
        QFETCH(QString, removed);
        QFETCH(QString, statuses);
        tw::test::BatchFolder f;
        if (!removed.isEmpty())
            QVERIFY(QFile::remove(f.file(removed)));
        f.writeCsv(rows);
        const auto before = f.files();
        const Batch batch = f.check();
        QStringList got;
        tw::ledger::LedgerStore store = f.store();
        RowReader reader(batch);
        for (std::size_t i = 0; i < batch.rows.size(); ++i) {
            const Row& r = batch.rows[i];
            got << QStringLiteral("%1 %2 %3%4")
                       .arg(r.number)
                       .arg(statusName(r.status), tw::ledger::ledgerNumberText(r.ledger),
                            r.canTick() && r.status != Status::Duplicate && !r.ticked
                                ? QStringLiteral(" -")
                                : QString());
        }
        QCOMPARE(got.join('|'), statuses);
        for (std::size_t i = 0; i < batch.rows.size(); ++i) {
            const Row& r = batch.rows[i];
            const QString message = reader.message(store, int(i));
            QCOMPARE(message.isEmpty(), r.ticked);
            if (r.status == Status::Ready && !r.ticked)
                QCOMPARE(message, tw::ledger::noEntriesNote(store, "00002"));
            if (r.status == Status::Error)
                QVERIFY2(message.startsWith(QStringLiteral("Row %1").arg(r.number)),
                         qPrintable(message));
        }
        // Checking writes nothing, not even a missing index.
        QCOMPARE(f.files(), before);
    }

    // Bad input gets a message naming the reason, or the row.
    void badInput_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("told"); // the check's message, or the first row's
        const QByteArray head = "Customer,Invoice,Date,Amount\r\n";
        QTest::newRow("empty") << QByteArray() << "The file march.csv is empty.";
        QTest::newRow("header only")
            << head << "The file march.csv has no rows below its first line.";
        QTest::newRow("binary") << QByteArray("PK\x03\x04\x14\x00\x06\x00", 8)
                                << "The file march.csv is not a text file";
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFE"
                                              "C\0u\0",
                                              6)
                                << "is saved as Unicode (UTF-16) text.";
        QTest::newRow("unclosed quote at the end")
            << head + "ACME PRINTING,\"A1,1/5/2006,10\r\n"
            << "Row 2 has a quoted field that is not closed before the end of the file.";
        QTest::newRow("NUL byte") << head + QByteArray("ACME PRINTING,A\0,1/5/2006,10\r\n", 31)
                                  << "Row 2 holds a NUL byte";
        QTest::newRow("more fields") << head + "ACME PRINTING,A2,1/5/2006,10,x\r\n"
                                     << "Row 2 has 5 fields, but the first line names 4 columns.";
    }
    void badInput() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, told);
        tw::test::BatchFolder f;
        tw::test::writeAll(f.csvPath, bytes);
        const tw::ledger::LedgerStore store = f.store();
        BatchChecker checker(store, f.csvPath, {});
        if (checker.open()) {
            while (checker.checkSome(10)) {
            }
        }
        QString message = checker.error();
        const Batch batch = checker.takeBatch();
        if (message.isEmpty())
            message = RowReader(batch).message(store, 0);
        QVERIFY2(message.contains(told), qPrintable(message));
    }
};
TW_REGISTER_TEST(BatchCheckTest)

#include "batchtest.moc"
