// The activity report: its sums by customer, product and month, reversals netting out, and the
// entries whose date or amount does not read counted apart and listed.
#include "report/activity.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QtTest>

using namespace tw::report;
using tw::test::entryBytes;
using tw::test::writeAll;

namespace {

// "name:entries:cents:first:last"
QString rowText(const ActivityRow& r) {
    return QStringLiteral("%1:%2:%3:%4:%5")
        .arg(r.name)
        .arg(r.entries)
        .arg(r.cents)
        .arg(r.first.toString(Qt::ISODate), r.last.toString(Qt::ISODate));
}

} // namespace

class ActivityTest : public QObject {
    Q_OBJECT
private slots:
    void sums_data() {
        QTest::addColumn<int>("by");
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("year");
        QTest::addColumn<QStringList>("rows"); // the grand total last
        QTest::addColumn<int>("unread");
        const QString total = "Total:4:29000:2006-01-05:2006-03-01";
        QTest::newRow("customer, by total")
            << int(Grouping::Customer) << int(SortOrder::Total) << 2006
            << QStringList{"ACME PRINTING:3:25000:2006-01-05:2006-02-12",
                           "ZENITH PRESS:1:4000:2006-03-01:2006-03-01", total}
            << 2;
        QTest::newRow("product, by total: the reversed invoice nets to zero")
            << int(Grouping::Product) << int(SortOrder::Total) << 2006
            << QStringList{"LH:2:29000:2006-02-10:2006-03-01", "BC:2:0:2006-01-05:2006-02-12",
                           total}
            << 2;
        QTest::newRow("product, by name") << int(Grouping::Product) << int(SortOrder::Name) << 2006
                                          << QStringList{"BC:2:0:2006-01-05:2006-02-12",
                                                         "LH:2:29000:2006-02-10:2006-03-01", total}
                                          << 2;
        QTest::newRow("month, by total")
            << int(Grouping::Month) << int(SortOrder::Total) << 2006
            << QStringList{"2006-02:2:15000:2006-02-10:2006-02-12",
                           "2006-01:1:10000:2006-01-05:2006-01-05",
                           "2006-03:1:4000:2006-03-01:2006-03-01", total}
            << 2;
        QTest::newRow("month, by name: in their order")
            << int(Grouping::Month) << int(SortOrder::Name) << 2006
            << QStringList{"2006-01:1:10000:2006-01-05:2006-01-05",
                           "2006-02:2:15000:2006-02-10:2006-02-12",
                           "2006-03:1:4000:2006-03-01:2006-03-01", total}
            << 2;
        QTest::newRow("another year: the amount that does not read lies outside")
            << int(Grouping::Customer) << int(SortOrder::Name) << 2005
            << QStringList{"ACME PRINTING:1:99900:2005-12-31:2005-12-31",
                           "Total:1:99900:2005-12-31:2005-12-31"}
            << 1;
    }
    void sums() {
        QFETCH(int, by);
        QFETCH(int, order);
        QFETCH(int, year);
        QFETCH(QStringList, rows);
        QFETCH(int, unread);
        tw::test::LedgerSandbox box;
        writeAll(box.indexFile(), tw::test::indexOf({"ACME PRINTING", "ZENITH PRESS", "BRIGHT"}));
        QByteArray undated = entryBytes("A4", QDate(2006, 1, 5), 100);
        undated.replace(8, 6, "06AB05");
        writeAll(box.ledgerFile(1),
                 entryBytes("A1", QDate(2006, 1, 5), 10000) +
                     entryBytes("A2", QDate(2006, 2, 10), 25000, "Letterhead", "1", "", "LH") +
                     entryBytes("A1", QDate(2006, 2, 12), -10000, "REVERSAL 500, Business cards") +
                     entryBytes("A3", QDate(2005, 12, 31), 99900) + undated);
        QByteArray odd = entryBytes("Z2", QDate(2006, 3, 15), 100);
        odd.replace(116, 10, "1.234     ");
        writeAll(box.ledgerFile(2),
                 entryBytes("Z1", QDate(2006, 3, 1), 4000, "Letterhead", "2", "", "LH") + odd);
        writeAll(box.ledgerFile(3), entryBytes("B1", QDate(2007, 1, 20), 50000));

        ActivityRun run(box.paths, QStringLiteral("F:\\LEDGER"), thisYear(QDate(year, 6, 1)),
                        Grouping(by));
        while (run.step(std::chrono::milliseconds(100))) {
        }
        const ActivityReport report = run.report(SortOrder(order));
        QStringList got;
        for (const ActivityRow& r : report.rows)
            got << rowText(r);
        got << rowText(report.total);
        QCOMPARE(got, rows);
        QCOMPARE(int(report.unread.size()), unread);
        QCOMPARE(activityTable(report).notes.value(0).left(2), QString::number(unread) + ' ');
        QCOMPARE(unreadTable(report).rows.size(), unread);
        QCOMPARE(unreadTable(report).rows[0][4].text, QStringLiteral("06AB05"));
        QVERIFY(report.problems.isEmpty());
    }

    void ranges_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("range"); // or the message
        QTest::newRow("this calendar year") << ""
                                            << ""
                                            << "2006-01-01 2006-12-31";
        QTest::newRow("from a date") << "3/1/2006"
                                     << ""
                                     << "2006-03-01 2006-12-31";
        QTest::newRow("both") << "12/1/05"
                              << "1/31/06"
                              << "2005-12-01 2006-01-31";
        QTest::newRow("ends before it starts") << "2/1/2006"
                                               << "1/1/2006"
                                               << "The date range ends (1/1/2006) before it starts "
                                                  "(2/1/2006).";
        QTest::newRow("not a date") << "soon"
                                    << ""
                                    << "\"soon\" is not a date.";
    }
    void ranges() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, range);
        const RangeCheck c = checkRange(from, to, QDate(2006, 1, 15));
        QCOMPARE(c.range
                     ? c.range->from.toString(Qt::ISODate) + ' ' + c.range->to.toString(Qt::ISODate)
                     : c.message,
                 range);
    }
};

TW_REGISTER_TEST(ActivityTest)
#include "activitytest.moc"
