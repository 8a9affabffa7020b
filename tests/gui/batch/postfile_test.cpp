// Posting from a file, the windows' wiring: Ctrl+I opens the preview of the chosen file, its
// table (read as a screen reader reads it) shows every row with its status, ticks and filters
// change the count, Post writes what the core would, the report saves and reverses the batch.
// The rules themselves are tested in the core.
#include "batch/batchmodels.h"
#include "batch/columns.h"
#include "batch/frmpostfile.h"
#include "batch/frmpostreport.h"
#include "batch/rowentry.h"
#include "guitestsupport.h"
#include "ledger/ledgermodel.h"
#include "ledger/ledgerrecords.h"
#include "ledgerview/frmledgerview.h"
#include "mainwindow/frmledger.h"
#include "testregistry.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStringListModel>
#include <QTableView>
#include <QtTest>

using tw::test::readAll;
using tw::test::writeAll;

namespace {

constexpr int kRecord = tw::ledger::LedgerEntryRecord::kLength;
const QString kHeader = QStringLiteral("Customer,Invoice,Date,Amount");
// Ready, a duplicate of the ledger's A1, a new customer, a month 13.
const QStringList kRows = {"ACME PRINTING,A2,1/5/2006,10.00", "ACME PRINTING,A1,1/5/2006,5",
                           "New Co,N1,1/6/2006,20", "ACME PRINTING,A3,13/1/2006,1"};

// The main window on F:\LEDGER, whose ledger 00001 (ACME PRINTING) holds invoice A1, and a
// file march.csv of the rows above; its requests answered by the window registry.
struct Fixture {
    tw::test::AppFixture fx;
    QString ledgerDir;
    QString csv;
    tw::frmLedger* w = nullptr;

    Fixture() {
        ledgerDir = fx.mapDrive('F') + "/LEDGER";
        QDir().mkpath(ledgerDir);
        writeAll(file("ledger.ndx"), tw::ledger::LedgerIndexRecord{1, "ACME PRINTING"}.encode());
        writeAll(file("led00001.dat"), *tw::test::sampleEntry("A1").encode());
        csv = fx.tmp.filePath("march.csv");
        writeAll(csv, (QStringList{kHeader} + kRows).join("\r\n").toUtf8() + "\r\n");
        w = fx.mainWindow("F:\\LEDGER");
        if (!tw::test::activate(w))
            qWarning("main window not active");
    }
    ~Fixture() { w->close(); }
    QString file(const QString& name) const { return ledgerDir + '/' + name; }
    // Ctrl+I with the file scripted, then the check waited for.
    tw::frmPostFile* open() {
        fx.dialogs.nextFile = csv;
        if (!tw::test::activate(w))
            return nullptr;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::ControlModifier);
        tw::frmPostFile* p = fx.windows->postFile();
        if (p && !QTest::qWaitFor([p] { return !p->checking(); }))
            return nullptr;
        return p;
    }
    // The table's column as the accessibility interface reads it.
    static QStringList column(QTableView* table, int column) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(table);
        QAccessibleTableInterface* t = a ? a->tableInterface() : nullptr;
        QStringList texts;
        for (int r = 0; t && r < t->rowCount(); ++r)
            texts << t->cellAt(r, column)->text(QAccessible::Name);
        return texts;
    }
};

} // namespace

class PostFileWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QAccessible::setActive(true); }
    void cleanup() { tw::test::flushDeletes(); }

    void ctrlIOpensThePreview() {
        Fixture t;
        tw::frmPostFile* p = t.open();
        QVERIFY(p && p->isVisible());
        QCOMPARE(t.fx.dialogs.fileDialogs, 1);
        QCOMPARE(Fixture::column(p->grdRows, tw::BatchModel::Status),
                 (QStringList{"Ready", "Duplicate", "New ledger", "Error"}));
        QCOMPARE(p->lblTicked->text(), QStringLiteral("2 rows ticked, $30.00 in all"));
        QCOMPARE(p->lstNew->count(), 1);
        QCOMPARE(t.fx.host.messages, QStringList());
    }

    // A filter shows the rows of one status; a tick changes the count, an error row takes none.
    void filterAndTicks_data() {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("status"); // of the one row shown
        QTest::addColumn<bool>("tickable");
        QTest::addColumn<QString>("ticked"); // after its tick is turned over
        QTest::newRow("duplicates") << int(tw::BatchModel::Duplicates) << "Duplicate" << true
                                    << "3 rows ticked, $35.00 in all";
        QTest::newRow("ready") << int(tw::BatchModel::Ready) << "Ready" << true
                               << "1 row ticked, $20.00 in all";
        QTest::newRow("errors") << int(tw::BatchModel::Errors) << "Error" << false
                                << "2 rows ticked, $30.00 in all";
    }
    void filterAndTicks() {
        QFETCH(int, filter);
        QFETCH(QString, status);
        QFETCH(bool, tickable);
        QFETCH(QString, ticked);
        Fixture t;
        tw::frmPostFile* p = t.open();
        QVERIFY(p);
        p->cboFilter->setCurrentIndex(filter);
        QCOMPARE(Fixture::column(p->grdRows, tw::BatchModel::Status), QStringList{status});
        const QModelIndex tick = p->model()->index(0, tw::BatchModel::Tick);
        const bool was = tick.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        QCOMPARE(p->model()->setData(tick, was ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole),
                 tickable);
        QCOMPARE(p->lblTicked->text(), ticked);
    }

    // The date order and the decimal comma check the file again.
    void choicesCheckAgain_data() {
        QTest::addColumn<QString>("choice"); // the control, changed by a key
        QTest::addColumn<QStringList>("statuses");
        QTest::newRow("day/month/year")
            << "cboDateOrder" << QStringList{"Ready", "Duplicate", "New ledger", "Ready"};
        QTest::newRow("decimal comma")
            << "chkDecimalComma" << QStringList{"Error", "Duplicate", "New ledger", "Error"};
    }
    void choicesCheckAgain() {
        QFETCH(QString, choice);
        QFETCH(QStringList, statuses);
        Fixture t;
        tw::frmPostFile* p = t.open();
        QVERIFY(p);
        auto* control = p->findChild<QWidget*>(choice);
        QVERIFY(control);
        control->setFocus();
        QTest::keyClick(control, choice == "cboDateOrder" ? Qt::Key_Down : Qt::Key_Space);
        QTRY_VERIFY(!p->checking());
        QCOMPARE(Fixture::column(p->grdRows, tw::BatchModel::Status), statuses);
    }

    // A header without the needed names: the message, then the columns chosen by hand are
    // checked and remembered.
    void columnsChosenByHand() {
        Fixture t;
        writeAll(t.csv, "Name,Number,Date,Amount\r\n" + kRows.join("\r\n").toUtf8() + "\r\n");
        tw::frmPostFile* p = t.open();
        QVERIFY(p);
        QCOMPARE(t.fx.host.messages.size(), 1);
        QCOMPARE(p->model()->rowCount(), 0);
        for (const auto& [column, field] :
             {std::pair{1, tw::batch::Field::Invoice}, std::pair{0, tw::batch::Field::Customer}}) {
            QComboBox* box = p->cboColumns.value(column);
            QVERIFY(box);
            box->setCurrentIndex(int(field));
            emit box->activated(int(field));
        }
        QTRY_VERIFY(!p->checking());
        QCOMPARE(t.fx.host.messages.size(), 2); // the first choice left the customer missing
        QCOMPARE(Fixture::column(p->grdRows, tw::BatchModel::Status),
                 (QStringList{"Ready", "Duplicate", "New ledger", "Error"}));
        QVERIFY(QFile::exists(t.fx.programFile("Columns.dat")));
    }

    // Post writes the ticked rows as the core makes them, an open ledger view and the customer
    // list follow; the report saves as CSV and reverses the batch after a Yes.
    void postSaveAndReverse() {
        Fixture t;
        tw::frmLedgerView* view = t.fx.windows->openLedgerView("F:\\LEDGER", "00001", "ACME");
        QVERIFY(view);
        tw::frmPostFile* p = t.open();
        QVERIFY(p);
        QTest::mouseClick(p->cmdPost, Qt::LeftButton);
        tw::frmPostReport* report = t.fx.windows->postReport();
        QVERIFY(report);
        const auto expected = [](const QString& row) {
            return tw::batch::checkRow(row.split(','), kHeader.split(','),
                                       tw::batch::assignColumns(kHeader.split(',')), {}, 2)
                .posting->record;
        };
        const QByteArray acme = readAll(t.file("led00001.dat"));
        QCOMPARE(acme.size(), 2 * kRecord);
        QCOMPARE(acme.mid(kRecord), expected(kRows[0]));
        QCOMPARE(readAll(t.file("led00002.dat")), expected(kRows[2]));
        QCOMPARE(view->model()->rowCount(), 2);
        const auto* customers = qobject_cast<QStringListModel*>(t.w->cboCust->model());
        QVERIFY(customers && customers->stringList().contains("New Co"));
        QCOMPARE(report->lblSummary->text(), QStringLiteral("2 posted, 1 skipped, 1 failed"));
        QCOMPARE(Fixture::column(report->grdReport, 1),
                 (QStringList{"Posted", "Duplicate", "Posted", "Error"}));

        t.fx.dialogs.nextFile = t.fx.tmp.filePath("report.csv");
        QTest::mouseClick(report->cmdSave, Qt::LeftButton);
        const QList<QStringList> saved = tw::test::parseCsv(readAll(t.fx.dialogs.nextFile));
        QCOMPARE(saved.size(), 5);
        QCOMPARE(saved[1].mid(0, 3), (QStringList{"2", "Posted", "00001"}));

        t.fx.host.answers = {true};
        QTest::mouseClick(report->cmdReverse, Qt::LeftButton);
        QCOMPARE(t.fx.host.questions.size(), 1);
        QCOMPARE(readAll(t.file("led00001.dat")).size(), 3 * kRecord);
        QCOMPARE(readAll(t.file("led00002.dat")).size(), 2 * kRecord);
        QCOMPARE(view->model()->rowCount(), 3);
        QCOMPARE(t.fx.host.messages, QStringList{"2 invoices were reversed."});
        QVERIFY(!report->cmdReverse->isEnabled());
    }

    // A file changed after its check is not posted.
    void changedFileNotPosted() {
        Fixture t;
        tw::frmPostFile* p = t.open();
        QVERIFY(p);
        writeAll(t.csv, readAll(t.csv) + "ACME PRINTING,A4,1/5/2006,1\r\n");
        QTest::mouseClick(p->cmdPost, Qt::LeftButton);
        QCOMPARE(t.fx.host.messages.size(), 1);
        QVERIFY(t.fx.host.messages[0].contains("has changed since it was checked"));
        QCOMPARE(readAll(t.file("led00001.dat")).size(), kRecord);
        QVERIFY(!t.fx.windows->postReport());
    }
};

TW_REGISTER_TEST(PostFileWindowTest)

#include "postfile_test.moc"
