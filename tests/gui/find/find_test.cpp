// The Find window's wiring: Ctrl+F opens it once, a search fills the results, a result opens
// its ledger with the entry selected, and what is shown leaves as CSV, PDF or print. The
// matching, texts and file rules are tested in the core.
#include "find/findresults.h"
#include "find/frmfind.h"
#include "guitestsupport.h"
#include "ledgerview/frmledgerview.h"
#include "mainwindow/frmledger.h"
#include "testregistry.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using tw::test::entryBytes;
using tw::test::writeAll;

namespace {

// The main window over F:\LEDGER: ALPHA (ledger 1, two entries) and BETA CO (ledger 2, whose
// second entry is invoice 4711).
struct Fixture {
    tw::test::AppFixture fx;
    tw::frmLedger* w = nullptr;

    Fixture() {
        const QString dir = fx.mapDrive('F') + "/LEDGER";
        QDir().mkpath(dir);
        const QDate d(2006, 1, 5);
        writeAll(dir + "/ledger.ndx", tw::ledger::LedgerIndexRecord{1, "ALPHA"}.encode() +
                                          tw::ledger::LedgerIndexRecord{2, "BETA CO"}.encode());
        writeAll(dir + "/led00001.dat", entryBytes("100", d, 500) + entryBytes("101", d, 700));
        writeAll(dir + "/led00002.dat", entryBytes("200", d, 900) + entryBytes("4711", d, 1250) +
                                            entryBytes("201", d, 300, "=SUM(A1)"));
        w = fx.mainWindow("F:\\LEDGER");
    }
    // Ctrl+F, then the text typed as an invoice number and Enter; waits for the search to end.
    tw::frmFind* find(const QString& text) {
        if (!tw::test::activate(w))
            return nullptr;
        w->txtQuan->setFocus();
        QTest::keyClick(w->txtQuan, Qt::Key_F, Qt::ControlModifier);
        tw::frmFind* f = fx.windows->find();
        if (!f || !tw::test::activate(f))
            return nullptr;
        f->cboField->setCurrentIndex(0);
        f->txtFind->setText(text);
        QTest::keyClick(f->txtFind, Qt::Key_Return);
        for (int i = 0; i < 200 && f->searching(); ++i)
            QTest::qWait(10);
        return f;
    }
};

QString cell(const QAbstractItemModel* m, int row, int column) {
    return m->index(row, column).data().toString();
}

} // namespace

class FindWindowTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { tw::test::flushDeletes(); }

    void ctrlFFindsAndEnterOpensTheLedger() {
        Fixture t;
        tw::frmFind* f = t.find(QString(QChar(0x3A9))); // not in Windows-1252: refused
        QVERIFY(f);
        QCOMPARE(t.fx.host.messages.size(), 1);
        QCOMPARE(f->results()->rowCount(), 0);

        QCOMPARE(t.find("4711"), f); // opened once
        QCOMPARE(f->results()->rowCount(), 1);
        QCOMPARE(cell(f->results(), 0, 0), QStringLiteral("00002"));
        QCOMPARE(cell(f->results(), 0, 1), QStringLiteral("BETA CO"));
        QCOMPARE(cell(f->results(), 0, 6), QStringLiteral("$12.50"));
        QVERIFY(f->lblSummary->text().startsWith("1 entry found, total $12.50"));

        f->grdResults->setFocus();
        f->grdResults->setCurrentIndex(f->results()->index(0, 0));
        QTest::keyClick(f->grdResults, Qt::Key_Return);
        tw::frmLedgerView* v = t.fx.windows->ledgerView();
        QVERIFY(v && v->isVisible());
        QCOMPARE(v->windowTitle(), QStringLiteral("Ledger 00002 - BETA CO"));
        const auto selected = v->grdLedger->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), 1);

        QVERIFY(tw::test::activate(f));
        QTest::keyClick(f->txtFind, Qt::Key_Escape);
        tw::test::flushDeletes();
        QVERIFY(!t.fx.windows->find());
    }

    // The three ways out, from the find results and from the Customer Ledger window.
    void tableLeavesTheWindow_data() {
        QTest::addColumn<bool>("ledgerWindow");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("firstLine"); // CSV: after the byte-order mark; else empty
        const QString found = "Ledger,Customer,Invoice No.,Job No.,P.O. No.,Invoice Date,Amount,"
                              "Description\r\n00002,BETA CO,201,00004711,PO-778,2006-01-05,3.00,"
                              "'=SUM(A1)\r\n";
        QTest::newRow("find, export") << false << "cmdExport" << found;
        QTest::newRow("find, pdf") << false << "cmdPdf" << QString();
        QTest::newRow("find, print") << false << "cmdPrint" << QString();
        QTest::newRow("ledger, export") << true << "cmdExport" << QString("Invoice Date,");
        QTest::newRow("ledger, pdf") << true << "cmdPdf" << QString();
    }
    void tableLeavesTheWindow() {
        QFETCH(bool, ledgerWindow);
        QFETCH(QString, button);
        QFETCH(QString, firstLine);
        Fixture t;
        QWidget* window = t.find("201");
        QVERIFY(window);
        if (ledgerWindow)
            window = t.fx.windows->openLedgerView("F:\\LEDGER", "00002", "BETA CO");
        const QString path = t.fx.tmp.filePath(button.endsWith("Export") ? "out.csv" : "out.pdf");
        t.fx.dialogs.nextFile = path;
        t.fx.dialogs.acceptPrinter = true;
        t.fx.dialogs.pdfPath = path;
        window->findChild<QPushButton*>(button)->click();
        QCOMPARE(t.fx.host.messages, QStringList());
        const QByteArray bytes = tw::test::readAll(path);
        if (firstLine.isEmpty()) {
            QCOMPARE(tw::test::pdfPages(path), 1);
            return;
        }
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF" + firstLine.toUtf8()));

        // A file that cannot be written: a message naming it.
        t.fx.dialogs.nextFile = t.fx.tmp.filePath("no/such/folder/out.csv");
        window->findChild<QPushButton*>(button)->click();
        QCOMPARE(t.fx.host.messages.size(), 1);
        QVERIFY(t.fx.host.messages.first().contains("out.csv"));
    }
};

TW_REGISTER_TEST(FindWindowTest)
#include "find_test.moc"
