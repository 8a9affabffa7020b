// The Customer Ledger window's wiring: opened from the main window's View menu by keyboard,
// keys of its own, and a reload after each posting the main window makes to that ledger. The
// rows and texts themselves are tested in the core.
#include "guitestsupport.h"
#include "ledger/ledgermodel.h"
#include "ledger/ledgerrecords.h"
#include "ledger/reversal.h"
#include "ledgerview/frmledgerview.h"
#include "mainwindow/frmledger.h"
#include "testregistry.h"
#include "widgets/dateentrybox.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>

using tw::test::readAll;
using tw::test::writeAll;

namespace {

QByteArray entry(const QString& invoice, std::int64_t cents) {
    tw::ledger::LedgerEntryRecord r;
    r.InvoiceNumber = invoice;
    r.InvoiceDate = QDate(2006, 1, 5);
    r.Description = QStringLiteral("Cards for ") + invoice;
    r.AmountCents = cents;
    return *r.encode();
}

// The main window with F:\LEDGER holding ledger 00002 of BETA CO (three entries), its
// requests answered by the window registry.
struct Fixture {
    tw::test::AppFixture fx;
    QString ledgerDir;
    tw::frmLedger* w = nullptr;

    Fixture() {
        ledgerDir = fx.mapDrive('F') + "/LEDGER";
        QDir().mkpath(ledgerDir);
        writeAll(file("ledger.ndx"), tw::ledger::LedgerIndexRecord{1, "ALPHA"}.encode() +
                                         tw::ledger::LedgerIndexRecord{2, "BETA CO"}.encode());
        writeAll(file("led00002.dat"), entry("A1", 100) + entry("B2", 250) + entry("C3", -50));
        w = fx.mainWindow("F:\\LEDGER");
        if (!tw::test::activate(w))
            qWarning("main window not active");
    }
    QString file(const QString& name) const { return ledgerDir + '/' + name; }
    tw::frmLedgerView* view() const { return fx.windows->ledgerView(); }
    void ctrlL() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier); }
    int selectedRow() const {
        const auto rows = view()->grdLedger->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
};

} // namespace

class LedgerViewWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { tw::test::flushDeletes(); }

    // Which ledger Ctrl+L opens: the ledger box first, else the customer's from the index;
    // titled with the owner the index names.
    void opensTheChosenLedger_data() {
        QTest::addColumn<QString>("ledgerBox");
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("title"); // empty: no window, the message instead
        QTest::addColumn<QString>("message");
        QTest::newRow("ledger box") << "00002"
                                    << "SOMEONE ELSE"
                                    << "Ledger 00002 - BETA CO"
                                    << "3 entries, total $3.00";
        QTest::newRow("index") << ""
                               << "BETA CO "
                               << "Ledger 00002 - BETA CO"
                               << "3 entries, total $3.00";
        QTest::newRow("no ledger yet") << ""
                                       << "GAMMA"
                                       << ""
                                       << "This customer has no ledger yet.";
        QTest::newRow("indexed, no file")
            << ""
            << "ALPHA"
            << "Ledger 00001 - ALPHA"
            << "Ledger 00001 has no entries: its file F:\\LEDGER\\led00001.dat does not exist.";
    }
    void opensTheChosenLedger() {
        QFETCH(QString, ledgerBox);
        QFETCH(QString, customer);
        QFETCH(QString, title);
        QFETCH(QString, message); // with a title: the summary
        Fixture t;
        t.w->txtLedger->setText(ledgerBox);
        t.w->cboCust->setEditText(customer);
        t.w->txtQuan->setFocus();
        t.ctrlL();
        if (title.isEmpty()) {
            QCOMPARE(t.fx.host.messages, QStringList{message});
            tw::test::flushDeletes();
            QVERIFY(!t.view());
            QVERIFY(tw::test::visibleWindows("frmLedgerView").isEmpty());
            return;
        }
        QCOMPARE(t.fx.host.messages, QStringList());
        QVERIFY(t.view() && t.view()->isVisible());
        QCOMPARE(t.view()->windowTitle(), title);
        const int rows = message.startsWith("3 entries") ? 3 : 0;
        QCOMPARE(t.view()->model()->rowCount(), rows);
        QCOMPARE(t.selectedRow(), rows - 1);
        QCOMPARE(t.view()->lblSummary->text(), message);
    }

    // A name typed into the customer box after a lookup, not yet left: Ctrl+L looks it up
    // first and opens its owner's ledger, under the owner's name.
    void ctrlLLooksUpATypedName() {
        Fixture t;
        t.w->cboCust->setFocus();
        QTest::keyClicks(t.w->cboCust, "ALPHA");
        QTest::keyClick(t.w->cboCust, Qt::Key_Tab);
        QCOMPARE(t.w->txtLedger->text(), QStringLiteral("00001"));
        t.w->cboCust->setFocus();
        t.w->cboCust->lineEdit()->selectAll();
        QTest::keyClicks(t.w->cboCust, "BETA CO");
        t.ctrlL();
        QVERIFY(t.view());
        QCOMPARE(t.view()->windowTitle(), QStringLiteral("Ledger 00002 - BETA CO"));
        QCOMPARE(t.view()->model()->rowCount(), 3);
    }

    void keysOfTheWindow() {
        Fixture t;
        t.w->txtLedger->setText("00002");
        t.w->mnuCustomerLedger->trigger();
        tw::frmLedgerView* v = t.view();
        QVERIFY(v);
        QVERIFY(tw::test::activate(v));
        QVERIFY(!v->txtFilter->accessibleName().isEmpty());
        QVERIFY(!v->grdLedger->accessibleName().isEmpty());

        // Alt+F goes to the filter box, which narrows the rows and the summary.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), v->txtFilter);
        QTest::keyClicks(v->txtFilter, "b2");
        QCOMPARE(v->model()->rowCount(), 1);
        QCOMPARE(v->lblSummary->text(), QStringLiteral("1 of 3 entries, total $2.50"));
        v->txtFilter->clear();

        // F5 reads the file again; a file gone meanwhile is a message naming it.
        writeAll(t.file("led00002.dat"), readAll(t.file("led00002.dat")) + entry("D4", 1));
        QTest::keyClick(v->grdLedger, Qt::Key_F5);
        QCOMPARE(v->model()->rowCount(), 4);
        QCOMPARE(t.selectedRow(), 3);
        QVERIFY(QFile::remove(t.file("led00002.dat")));
        QTest::keyClick(v->grdLedger, Qt::Key_F5);
        QCOMPARE(t.fx.host.messages,
                 QStringList{"The ledger file F:\\LEDGER\\led00002.dat is no longer there."});
        QCOMPARE(v->model()->rowCount(), 4);

        // Esc closes it.
        QTest::keyClick(v->grdLedger, Qt::Key_Escape);
        tw::test::flushDeletes();
        QVERIFY(!t.view());
    }

    // Record numbers of a long ledger widen the row headings: the columns still fit the
    // window as it opens.
    void longLedgerFitsTheWindow() {
        Fixture t;
        writeAll(t.file("led00002.dat"), entry("A1", 100).repeated(100000));
        t.w->txtLedger->setText("00002");
        t.w->mnuCustomerLedger->trigger();
        tw::frmLedgerView* v = t.view();
        QVERIFY(v && tw::test::activate(v));
        QCOMPARE(v->grdLedger->horizontalScrollBar()->maximum(), 0);
    }

    // Asking for a ledger that cannot be shown leaves the open window as it was.
    void openWindowKeepsItsLedger() {
        Fixture t;
        t.w->txtLedger->setText("00002");
        t.w->mnuCustomerLedger->trigger();
        QVERIFY(t.view());
        QVERIFY(QDir().mkpath(t.file("led00001.dat"))); // a file that cannot be read
        t.w->txtLedger->setText("00001");
        t.w->mnuCustomerLedger->trigger();
        QCOMPARE(t.fx.host.messages.size(), 1);
        QVERIFY2(t.fx.host.messages.first().contains("F:\\LEDGER\\led00001.dat"),
                 qPrintable(t.fx.host.messages.first()));
        QCOMPARE(t.view()->windowTitle(), QStringLiteral("Ledger 00002 - BETA CO"));
        QCOMPARE(t.view()->ledgerPath(), QStringLiteral("F:\\LEDGER\\led00002.dat"));
        QVERIFY(t.view()->reload());
        QCOMPARE(t.view()->model()->rowCount(), 3);
    }

    // A posting to the ledger shown reloads the window; one to another ledger does not.
    void reloadsAfterPosting_data() {
        QTest::addColumn<QString>("ledgerBox");
        QTest::addColumn<int>("rows");
        QTest::newRow("same ledger") << "00002" << 4;
        QTest::newRow("other ledger") << "00001" << 3;
    }
    void reloadsAfterPosting() {
        QFETCH(QString, ledgerBox);
        QFETCH(int, rows);
        Fixture t;
        t.w->txtLedger->setText("00002");
        t.w->mnuCustomerLedger->trigger();
        QVERIFY(t.view());
        QVERIFY(tw::test::activate(t.w));
        t.w->txtLedger->setText(ledgerBox);
        t.w->cboCust->setEditText(ledgerBox == "00002" ? "BETA CO" : "ALPHA");
        t.w->AeDate->setText("1/5/2006");
        t.w->setMoneyText(t.w->txtAmt, "$10.00");
        t.w->setMoneyText(t.w->txtInvAmt, "$10.00");
        t.w->lblPost_Click();
        QCOMPARE(t.fx.host.messages, QStringList());
        QCOMPARE(t.view()->model()->rowCount(), rows);
        QCOMPARE(t.selectedRow(), rows - 1);
    }

    // Alt+R on the selected row: the answer decides; Yes appends the reversal and selects it.
    void reverseEntry_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("appended");
        QTest::addColumn<QString>("message");
        QTest::newRow("yes") << 1 << true << true << "";
        QTest::newRow("no") << 1 << false << false << "";
        QTest::newRow("incomplete record") << 3 << true << false
                                           << "An incomplete record cannot be reversed. Nothing "
                                              "was posted.";
    }
    void reverseEntry() {
        QFETCH(int, row);
        QFETCH(bool, yes);
        QFETCH(bool, appended);
        QFETCH(QString, message);
        Fixture t;
        const QByteArray before = readAll(t.file("led00002.dat"));
        writeAll(t.file("led00002.dat"), before + "torn");
        t.w->txtLedger->setText("00002");
        t.w->mnuCustomerLedger->trigger();
        tw::frmLedgerView* v = t.view();
        QVERIFY(v);
        QVERIFY(tw::test::activate(v));
        QCOMPARE(v->cmdReverse->accessibleName(), QStringLiteral("Reverse Entry"));
        v->grdLedger->setFocus();
        v->grdLedger->selectRow(row);
        t.fx.host.answers = {yes};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
        // The button's key clicks it a moment later, as a click shows.
        QTRY_COMPARE(t.fx.host.questions.size() + t.fx.host.messages.size(), 1);
        QCOMPARE(t.fx.host.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(t.fx.host.questions.size(), message.isEmpty() ? 1 : 0);
        // The torn tail is overwritten by the append, as every posting does.
        const QByteArray expected =
            appended
                ? before + tw::ledger::reversalRecord(before.mid(128, 128), t.fx.host.fixedToday)
                : before + "torn";
        QCOMPARE(readAll(t.file("led00002.dat")), expected);
        if (appended) {
            QCOMPARE(v->model()->rowCount(), 4);
            QCOMPARE(t.selectedRow(), 3);
        }
    }
};
TW_REGISTER_TEST(LedgerViewWindowTest)

#include "ledgerview_test.moc"
