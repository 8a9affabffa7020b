// Posting the ticked rows: group commit per ledger file, the journal lines of a batch and of
// its reversal, a crash between two files followed by a re-import, and the faults that must
// fail only what they touch.
#include "batch/post.h"
#include "batch/report.h"
#include "batchfixture.h"
#include "ledger/journal.h"
#include "ledger/reversal.h"
#include "testregistry.h"

#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace tw::batch;
using tw::test::BatchFolder;
using tw::test::readAll;

namespace {

const QString kDate = ",1/5/2006,";

QString outcomes(const BatchResult& result) {
    static const char* const kNames[] = {"-", "Posted", "Meanwhile", "Failed", "Cancelled"};
    QStringList names;
    for (const RowResult& r : result.rows)
        names << kNames[int(r.outcome)];
    return names.join('|');
}

// The journal's lines after the header, as fields.
QList<QStringList> journalLines(const BatchFolder& f) {
    QList<QStringList> lines;
    const QList<QByteArray> all = readAll(f.file("POSTINGS.CSV")).split('\n');
    for (qsizetype i = 1; i < all.size(); ++i) {
        if (!all[i].isEmpty())
            lines << tw::test::parseCsvRecord(all[i] + '\n');
    }
    return lines;
}

} // namespace

class BatchPostTest : public QObject {
    Q_OBJECT
private slots:
    // Rows in file order, grouped by ledger file; a new customer gets one ledger; the report
    // and the journal name every row; the batch is reversed as a whole.
    void postsReportsAndReverses() {
        BatchFolder f;
        f.writeCsv({"ACME PRINTING,A2" + kDate + "10", "New Co,N1" + kDate + "20",
                    "ACME PRINTING,A1" + kDate + "30", "Zenith Labels,Z2" + kDate + "40",
                    "New Co,N2" + kDate + "50", "Zenith Labels,Z3,2/30/2006,60"});
        const Batch batch = f.check();
        const QByteArray ledger1 = readAll(f.ledgerFile(1));
        tw::ledger::LedgerStore store = f.store();
        const BatchResult result = postBatch(store, batch);
        QCOMPARE(outcomes(result), "Posted|Posted|-|Posted|Posted|-");
        RowReader reader(batch);
        const auto record = [&](int row) { return reader.entry(row).posting->record; };
        // The last record lacking its line end is completed before the new one.
        QCOMPARE(readAll(f.ledgerFile(1)), ledger1 + "\r\n" + record(0));
        QCOMPARE(readAll(f.ledgerFile(3)), record(1) + record(4));
        QCOMPARE(readAll(f.indexFile()).mid(2 * 47, 45), "00003New Co" + QByteArray(34, ' '));

        const QString origin = "from file " + QFileInfo(f.csvPath).absoluteFilePath() + " row ";
        QList<QStringList> lines = journalLines(f);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0].mid(3, 5),
                 (QStringList{"post " + origin + "2", "00001", "ACME PRINTING", "A2", ""}));
        QCOMPARE(lines[1][3], "post " + origin + "3"); // New Co's rows together

        const QList<QByteArray> report = reportCsv(store, batch, result).split('\n');
        QCOMPARE(report.size(), 8);
        QCOMPARE(tw::test::parseCsvRecord(report[3] + '\n'),
                 (QStringList{"4", "Duplicate", "00001", "ACME PRINTING", "A1", "30.00",
                              "Invoice A1 is already in ledger 00001, dated 1/5/2006, for "
                              "$100.00. Post it again?"}));
        QVERIFY(tw::test::parseCsvRecord(report[6] + '\n')[6].startsWith("Row 7, column \"Date\""));
        QCOMPARE(summaryLine(summaryOf(batch, &result)), "4 posted, 1 skipped, 1 failed");

        const QDate today(2006, 2, 1);
        QVERIFY(reverseBatchQuestion(batch, result, today)
                    .startsWith("Reverse the 4 invoices this batch posted, for $120.00 in all?"));
        const ReversalOutcome back = reverseBatch(store, batch, result, today);
        QCOMPARE(back.reversed, 4);
        QVERIFY(back.problems.isEmpty());
        const QByteArray ledger3 = readAll(f.ledgerFile(3));
        QCOMPARE(ledger3.size(), 4 * 128);
        QVERIFY(tw::ledger::reverses(QByteArrayView(ledger3).sliced(256, 128), record(1)));
        QVERIFY(tw::ledger::reverses(QByteArrayView(ledger3).sliced(384, 128), record(4)));
        lines = journalLines(f);
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[4].mid(3, 5),
                 (QStringList{"reverse " + origin + "2", "00001", "ACME PRINTING", "A2", ""}));
        QCOMPARE(lines[4][8], "-10.00");
        // Never twice: each row is named instead.
        const ReversalOutcome twice = reverseBatch(store, batch, result, today);
        QCOMPARE(twice.reversed, 0);
        QCOMPARE(twice.problems.value(0),
                 "Row 2 (ledger 00001): it was reversed already, so it was not reversed again.");
    }

    // A poster killed between two ledger files leaves the first file's rows posted; posting the
    // same file again marks them duplicates and posts only the rest.
    void crashBetweenFilesThenReimport() {
        BatchFolder f;
        f.writeCsv({"ACME PRINTING,A2" + kDate + "10", "Zenith Labels,Z2" + kDate + "20",
                    "ACME PRINTING,A3" + kDate + "30", "New Co,N1" + kDate + "40"});
        const pid_t child = ::fork();
        if (child == 0) {
            tw::ledger::LedgerStore store = f.store();
            postBatch(store, f.check(), [](const Progress& p) {
                if (p.rowsDone > 0)
                    ::_exit(0); // as a crash: no cleanup, no return
                return true;
            });
            ::_exit(1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(tw::test::checkLedger(readAll(f.ledgerFile(1))).invoices,
                 (QList<QByteArray>{"A1", "A9", "A2", "A3"}));
        QCOMPARE(readAll(f.ledgerFile(2)).size(), 128);

        const Batch again = f.check();
        QCOMPARE(again.count(Status::Duplicate), 2);
        tw::ledger::LedgerStore store = f.store();
        QCOMPARE(outcomes(postBatch(store, again)), "-|Posted|-|Posted");
        QCOMPARE(tw::test::checkLedger(readAll(f.ledgerFile(1))).invoices.size(), 4);
        QCOMPARE(tw::test::checkLedger(readAll(f.ledgerFile(2))).invoices,
                 (QList<QByteArray>{"Z1", "Z2"}));
        QCOMPARE(tw::test::checkLedger(readAll(f.ledgerFile(3))).invoices, QList<QByteArray>{"N1"});
    }

    void faults_data() {
        QTest::addColumn<QString>("fault"); // what happens between the check and the posting
        QTest::addColumn<QString>("outcomes");
        QTest::addColumn<QString>("told"); // the refusal or the failure's message, in part
        QTest::newRow("the file changed") << "file"
                                          << "-|-"
                                          << "has changed since it was checked";
        QTest::newRow("one ledger file cannot be written")
            << "ledger"
            << "Posted|Failed"
            << "Ledger 00002 of Zenith Labels: Cannot open "
               "F:\\LEDGER\\led00002.dat";
        QTest::newRow("another machine posted an invoice") << "another"
                                                           << "Meanwhile|Posted"
                                                           << "";
        QTest::newRow("cancelled after the first file") << "cancel"
                                                        << "Posted|Cancelled"
                                                        << "";
    }
    void faults() {
        QFETCH(QString, fault);
        QFETCH(QString, outcomes);
        QFETCH(QString, told);
        BatchFolder f;
        f.writeCsv({"ACME PRINTING,A2" + kDate + "10", "Zenith Labels,Z2" + kDate + "20"});
        const Batch batch = f.check();
        tw::ledger::LedgerStore store = f.store();
        if (fault == "file")
            tw::test::writeAll(f.csvPath, readAll(f.csvPath).replace("10", "11"));
        if (fault == "ledger")
            QVERIFY(QFile::remove(f.ledgerFile(2)) && QDir().mkdir(f.ledgerFile(2)));
        if (fault == "another")
            tw::test::postInvoice(store, "ACME PRINTING",
                                  RowReader(batch).entry(0).posting->record);
        const auto before = f.files();
        const BatchResult result = postBatch(store, batch, [&fault](const Progress& p) {
            return fault != "cancel" || p.rowsDone == 0;
        });
        QCOMPARE(::outcomes(result), outcomes);
        QVERIFY2((result.refusal + result.failures.join(' ')).contains(told),
                 qPrintable(result.refusal + result.failures.join(' ')));
        if (fault == "file")
            QCOMPARE(f.files(), before);
        // An invoice is in its ledger once, whatever happened.
        QCOMPARE(tw::test::checkLedger(readAll(f.ledgerFile(1))).invoices.count("A2"),
                 fault == "file" ? 0 : 1);
    }
};
TW_REGISTER_TEST(BatchPostTest)

#include "posttest.moc"
