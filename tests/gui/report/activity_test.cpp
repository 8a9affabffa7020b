// The Invoicing Activity window's wiring: opened from the View menu with this year's range, its
// table as the core builds it, the entries not counted listed on request, and a customer's row
// opening that ledger. The sums themselves are tested in the core.
#include "guitestsupport.h"
#include "ledger/ledgerrecords.h"
#include "ledgerview/frmledgerview.h"
#include "mainwindow/frmledger.h"
#include "platform/regional.h"
#include "report/activity.h"
#include "report/frmactivity.h"
#include "testregistry.h"
#include "widgets/sheetmodel.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using tw::test::entryBytes;
using tw::test::writeAll;

class ActivityWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { tw::test::flushDeletes(); }

    void showsTheCoreReport_data() {
        QTest::addColumn<int>("grouping"); // the row of the "By" list
        QTest::addColumn<int>("sort");
        QTest::newRow("customer, total") << 0 << 0;
        QTest::newRow("customer, name") << 0 << 1;
        QTest::newRow("month, total") << 2 << 0;
    }
    void showsTheCoreReport() {
        QFETCH(int, grouping);
        QFETCH(int, sort);
        tw::test::AppFixture fx;
        const QString dir = fx.mapDrive('F') + "/LEDGER";
        QDir().mkpath(dir);
        writeAll(dir + "/ledger.ndx", tw::ledger::LedgerIndexRecord{1, "ALPHA"}.encode() +
                                          tw::ledger::LedgerIndexRecord{2, "BETA CO"}.encode());
        const QDate jan(2006, 1, 5), feb(2006, 2, 7);
        QByteArray unread = entryBytes("102", jan, 100);
        unread.replace(tw::ledger::LedgerEntryRecord::kAmountOffset, 3, "abc");
        writeAll(dir + "/led00001.dat",
                 entryBytes("100", jan, 500) + entryBytes("101", feb, 700) + unread);
        writeAll(dir + "/led00002.dat", entryBytes("200", jan, 900) + entryBytes("201", feb, -900) +
                                            entryBytes("1999", QDate(2005, 12, 1), 5000));
        fx.mainWindow("F:\\LEDGER")->mnuActivity->trigger();
        tw::frmActivity* a = fx.windows->activity();
        QVERIFY(a && a->isVisible());
        QCOMPARE(a->txtFromDate->text(), tw::regional::shortDate(QDate(2006, 1, 1)));
        QCOMPARE(a->txtToDate->text(), tw::regional::shortDate(QDate(2006, 12, 31)));
        a->cboGroup->setCurrentIndex(grouping);
        a->cboSort->setCurrentIndex(sort);
        a->cmdShow->click();
        QTRY_VERIFY(!a->running());

        tw::report::ActivityRun run(fx.ctx->paths, "F:\\LEDGER",
                                    tw::report::thisYear(fx.host.today()),
                                    tw::report::Grouping(grouping));
        while (run.step(std::chrono::seconds(1))) {
        }
        const tw::exports::Table core =
            tw::report::activityTable(run.report(tw::report::SortOrder(sort)));
        const auto* m = a->model();
        QCOMPARE(m->rowCount(), int(core.rows.size() + core.totals.size()));
        for (int r = 0; r < m->rowCount(); ++r) {
            const auto& cells = r < core.rows.size() ? core.rows[r] : core.totals.last();
            for (int c = 0; c < m->columnCount(); ++c)
                QCOMPARE(m->index(r, c).data().toString(),
                         tw::exports::shownText(cells[c], core.columns[c].kind));
        }
        QCOMPARE(a->lblNotes->text(), core.notes.join('\n'));

        QVERIFY(a->cmdUnread->isEnabled());
        a->cmdUnread->click();
        QVERIFY(a->unreadWindow() && a->unreadWindow()->isVisible());
        QCOMPARE(a->unreadWindow()->findChild<QTableView*>()->model()->rowCount(), 1);

        if (grouping != 0)
            return;
        // A double-click on a customer's row opens that customer's ledger.
        const int row = m->index(0, 0).data().toString() == "ALPHA" ? 0 : 1;
        const QPoint at = a->grdReport->visualRect(m->index(row, 0)).center();
        QWidget* grid = a->grdReport->viewport();
        QTest::mousePress(grid, Qt::LeftButton, {}, at);
        QTest::mouseRelease(grid, Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid, Qt::LeftButton, {}, at);
        QVERIFY(fx.windows->ledgerView());
        QCOMPARE(fx.windows->ledgerView()->windowTitle(), QStringLiteral("Ledger 00001 - ALPHA"));
    }
};

TW_REGISTER_TEST(ActivityWindowTest)
#include "activity_test.moc"
