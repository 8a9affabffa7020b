// The ledger window's rows: what each cell shows for sound and odd records, the filter, and
// the count and total below the table.
#include "ledger/ledgermodel.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QtTest>

using namespace tw::ledger;

namespace {

QByteArray record(const QString& invoice, const QString& job, const QString& po,
                  const QString& desc, std::int64_t cents) {
    LedgerEntryRecord r;
    r.InvoiceNumber = invoice;
    r.InvoiceDate = QDate(2006, 1, 5);
    r.JobNumber = job;
    r.ProductCode = QStringLiteral("BC");
    r.PONumber = po;
    r.Description = desc;
    r.AmountCents = cents;
    return *r.encode();
}

// Five records, the fourth with an amount and a due date that do not read, and a torn tail.
LedgerContents sample() {
    LedgerContents c;
    c.records = record("A1001", "00004711", "PO-1", "Business cards", 123450) +
                record("a1002", "00004712", "", "Letterheads", -5000) +
                record("B77", "00000001", "acme-9", "Envelopes", 1) +
                record("C5", "00000002", "", "Flyers", 700) +
                record("D9", "00000003", "", "Posters, A1", 100000);
    c.records.replace(3 * 128 + LedgerEntryRecord::kAmountOffset, 10, "12,50     ");
    c.records.replace(3 * 128 + 14, 6, "13XX06");
    c.trailing = record("E1", "", "", "torn", 1).left(70);
    return c;
}

QVariant cell(const LedgerModel& m, int row, int col, int role = Qt::DisplayRole) {
    return m.data(m.index(row, col), role);
}

} // namespace

class LedgerModelTest : public QObject {
    Q_OBJECT
private slots:
    void cellsOfSoundAndOddRecords() {
        LedgerModel m;
        m.setContents(sample());
        QCOMPARE(m.rowCount(), 6);
        QCOMPARE(m.columnCount(), int(LedgerModel::ColumnCount));
        QCOMPARE(cell(m, 0, LedgerModel::ColInvoiceDate).toString(), QStringLiteral("1/5/2006"));
        QCOMPARE(cell(m, 0, LedgerModel::ColAmount).toString(), QStringLiteral("$1,234.50"));
        QCOMPARE(cell(m, 1, LedgerModel::ColAmount).toString(), QStringLiteral("-$50.00"));
        QCOMPARE(cell(m, 0, LedgerModel::ColDueDate).toString(), QString());
        QCOMPARE(cell(m, 4, LedgerModel::ColDescription).toString(), QStringLiteral("Posters, A1"));
        for (int col = 0; col < LedgerModel::ColumnCount; ++col)
            QCOMPARE(cell(m, 0, col, LedgerModel::OddRole).toBool(), false);

        // The odd record shows what the file holds, marked, in the two fields that do not read.
        QCOMPARE(cell(m, 3, LedgerModel::ColAmount).toString(), QStringLiteral("12,50"));
        QCOMPARE(cell(m, 3, LedgerModel::ColDueDate).toString(), QStringLiteral("13XX06"));
        QVERIFY(cell(m, 3, LedgerModel::ColAmount, LedgerModel::OddRole).toBool());
        QVERIFY(cell(m, 3, LedgerModel::ColDueDate, LedgerModel::OddRole).toBool());
        QVERIFY(!cell(m, 3, LedgerModel::ColInvoiceDate, LedgerModel::OddRole).toBool());
        QVERIFY(cell(m, 3, LedgerModel::ColAmount, Qt::ToolTipRole).toString().contains("12,50"));
        QVERIFY(cell(m, 2, LedgerModel::ColAmount, Qt::ToolTipRole).isNull());

        // The torn tail is one marked row, not an entry.
        QVERIFY(m.isIncompleteRow(5));
        QCOMPARE(m.recordAt(5), qint64(-1));
        QCOMPARE(cell(m, 5, 0).toString(), QStringLiteral("(incomplete record, 70 bytes)"));
        QVERIFY(cell(m, 5, LedgerModel::ColAmount, LedgerModel::OddRole).toBool());
        QVERIFY(cell(m, 5, LedgerModel::ColAmount).isNull());

        const auto s = m.summary();
        QCOMPARE(s.all, qint64(5));
        QCOMPARE(s.shown, qint64(5));
        QCOMPARE(s.unread, qint64(1));
        QCOMPARE(s.totalCents, qint64(123450 - 5000 + 1 + 100000));
        QCOMPARE(m.headerData(4, Qt::Vertical).toLongLong(), qint64(5));
    }

    void filter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("records");
        QTest::addColumn<qint64>("total");
        QTest::newRow("none") << "" << QList<int>{0, 1, 2, 3, 4} << qint64(218451);
        QTest::newRow("invoice, any case") << "a100" << QList<int>{0, 1} << qint64(118450);
        QTest::newRow("job") << "4712" << QList<int>{1} << qint64(-5000);
        QTest::newRow("P.O.") << "ACME" << QList<int>{2} << qint64(1);
        QTest::newRow("description") << "cards" << QList<int>{0} << qint64(123450);
        // "A1" is in an invoice and in a description.
        QTest::newRow("two fields") << "a1" << QList<int>{0, 1, 4} << qint64(218450);
        QTest::newRow("product not searched") << "BC" << QList<int>{} << qint64(0);
        QTest::newRow("amount not searched") << "1234" << QList<int>{} << qint64(0);
        QTest::newRow("nothing") << "zzz" << QList<int>{} << qint64(0);
    }
    void filter() {
        QFETCH(QString, text);
        QFETCH(QList<int>, records);
        QFETCH(qint64, total);
        LedgerModel m;
        m.setContents(sample());
        m.setFilter(text);
        // The incomplete record's row stays last whatever the filter.
        QCOMPARE(m.rowCount(), records.size() + 1);
        QVERIFY(m.isIncompleteRow(int(records.size())));
        for (int row = 0; row < records.size(); ++row) {
            QCOMPARE(m.recordAt(row), qint64(records[row]));
            QCOMPARE(m.rowOf(records[row]), row);
            QCOMPARE(m.headerData(row, Qt::Vertical).toLongLong(), qint64(records[row] + 1));
        }
        for (int r = 0; r < 5; ++r) {
            if (!records.contains(r))
                QCOMPARE(m.rowOf(r), -1);
        }
        QCOMPARE(m.summary().shown, qint64(records.size()));
        QCOMPARE(m.summary().all, qint64(5));
        QCOMPARE(m.summary().totalCents, total);
    }

    void summaryText_data() {
        QTest::addColumn<qint64>("shown");
        QTest::addColumn<qint64>("all");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("unread");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << qint64(0) << qint64(0) << qint64(0) << qint64(0)
                               << "0 entries, total $0.00";
        QTest::newRow("one") << qint64(1) << qint64(1) << qint64(123450) << qint64(0)
                             << "1 entry, total $1,234.50";
        QTest::newRow("filtered") << qint64(2) << qint64(10000) << qint64(-5) << qint64(0)
                                  << "2 of 10000 entries, total -$0.05";
        QTest::newRow("unread") << qint64(3) << qint64(3) << qint64(100) << qint64(1)
                                << "3 entries, total $1.00 (1 amount does not read and is not "
                                   "counted)";
        QTest::newRow("unreads") << qint64(3) << qint64(3) << qint64(0) << qint64(2)
                                 << "3 entries, total $0.00 (2 amounts do not read and are "
                                    "not counted)";
    }
    void summaryText() {
        QFETCH(qint64, shown);
        QFETCH(qint64, all);
        QFETCH(qint64, total);
        QFETCH(qint64, unread);
        QFETCH(QString, text);
        QCOMPARE(LedgerModel::summaryText({shown, all, total, unread}), text);
    }

    void reloadKeepsNothingStale() {
        LedgerModel m;
        m.setContents(sample());
        QCOMPARE(cell(m, 0, LedgerModel::ColInvoiceNumber).toString(), QStringLiteral("A1001"));
        LedgerContents other;
        other.records = record("Z9", "", "", "", 1);
        m.setContents(other);
        QCOMPARE(m.rowCount(), 1);
        QCOMPARE(cell(m, 0, LedgerModel::ColInvoiceNumber).toString(), QStringLiteral("Z9"));
        QCOMPARE(m.summary().totalCents, qint64(1));
    }

    // The ledger the window opens for the main window's ledger box and customer name.
    void chooseLedger_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        const QString ok = QStringLiteral("F:\\LEDGER");
        QTest::newRow("ledger box") << ok << "00001"
                                    << "BETA CO"
                                    << "00001"
                                    << "";
        QTest::newRow("from the index") << ok << ""
                                        << "  BETA CO "
                                        << "00002"
                                        << "";
        QTest::newRow("case counts") << ok << ""
                                     << "beta co"
                                     << ""
                                     << "This customer has no ledger yet.";
        QTest::newRow("new customer") << ok << ""
                                      << "GAMMA"
                                      << ""
                                      << "This customer has no ledger yet.";
        QTest::newRow("no customer") << ok << ""
                                     << "   "
                                     << ""
                                     << "Choose a customer first.";
        QTest::newRow("index unreadable") << "F:\\MISSING"
                                          << ""
                                          << "BETA CO"
                                          << ""
                                          << "F:\\MISSING\\ledger.ndx";
    }
    void chooseLedger() {
        QFETCH(QString, folder);
        QFETCH(QString, box);
        QFETCH(QString, customer);
        QFETCH(QString, number);
        QFETCH(QString, message);
        tw::test::LedgerSandbox f;
        tw::test::writeAll(f.file("ledger.ndx"), LedgerIndexRecord{1, "ALPHA"}.encode() +
                                                     LedgerIndexRecord{2, "BETA CO"}.encode());
        LedgerStore store = f.store(folder);
        const LedgerChoice c = tw::ledger::chooseLedger(store, box, customer);
        QCOMPARE(c.numberText, number);
        // The owner the index names, whatever the customer box holds.
        const QMap<QString, QString> owners{{"00001", "ALPHA"}, {"00002", "BETA CO"}};
        QCOMPARE(c.owner, owners.value(number));
        QVERIFY2(message.isEmpty() ? c.message.isEmpty() : c.message.contains(message),
                 qPrintable(c.message));
    }

    void loadMessagesNameTheFile() {
        tw::test::LedgerSandbox f;
        const LedgerStore store = f.store();
        // A ledger without its file has no entries, and says why.
        const LedgerLoad none = loadLedger(store, "00009", false);
        QCOMPARE(none.contents->count(), qint64(0));
        QCOMPARE(none.note, QStringLiteral("Ledger 00009 has no entries: its file "
                                           "F:\\LEDGER\\led00009.dat does not exist."));
        QCOMPARE(loadLedger(store, "00009", true).message,
                 QStringLiteral("The ledger file F:\\LEDGER\\led00009.dat is no longer there."));
        QVERIFY(QDir().mkpath(f.file("led00008.dat")));
        const LedgerLoad dir = loadLedger(store, "00008", true);
        QVERIFY(!dir.contents);
        QVERIFY2(dir.message.contains("F:\\LEDGER\\led00008.dat"), qPrintable(dir.message));
        tw::test::writeAll(f.file("led00007.dat"), record("A1", "", "", "", 5));
        const LedgerLoad good = loadLedger(store, "00007", false);
        QVERIFY(good.contents);
        QCOMPARE(good.contents->count(), qint64(1));
        QCOMPARE(ledgerTitle("00007", u"  ACME  CO "), QStringLiteral("Ledger 00007 - ACME  CO"));
    }
};
TW_REGISTER_TEST(LedgerModelTest)

#include "ledgermodeltest.moc"
