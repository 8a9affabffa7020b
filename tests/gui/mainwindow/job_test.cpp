#include "entry/wipfiles.h"
#include "guitestsupport.h"
#include "mainwindow/frmledger.h"
#include "testregistry.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "widgets/panelbutton.h"
#include "wiptestdata.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

// The main window with the estimating folder E:\EST holding a Wip.Dat of three jobs.
struct JobWindow {
    tw::test::AppFixture fx;
    tw::frmLedger w{fx.ctx->paths, fx.ctx->settings, fx.ctx->defaultTax, fx.host, fx.dialogs};
    QString est;

    JobWindow() {
        est = fx.mapDrive('E') + "/EST";
        QDir().mkpath(est);
        w.gA = "E:\\EST";
        // An empty ledger folder: every customer found is new.
        const QString ledger = fx.mapDrive('F') + "/LEDGER";
        QDir().mkpath(ledger);
        w.gLedger = "F:\\LEDGER";

        tw::test::WipJob other;
        other.job = "00000001";
        other.customer = "OTHER";
        tw::test::WipJob acme; // job 00004711, 5000 LETTERHEAD, 1234.5, 060115 / 060214
        acme.customer = "ACME PRINTING AND GR";
        acme.wip2 = "4711,\"ACME PRINTING AND GRAPHICS\",\"COLUMBUS\"";
        tw::test::WipJob odd;
        odd.job = "00000300";
        odd.customer = "ODD DATES";
        odd.invoiceDate = "060015"; // month 00
        odd.dueDate = "";
        odd.quantity = "0";
        tw::test::writeWipFiles(est, {other, acme, odd});

        w.show();
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w))
            qWarning("main window not active");
        // Start in the search box with both date boxes empty (leaving the invoice date box
        // on the way put today's date into them).
        w.txtSearch->setFocus(Qt::MouseFocusReason);
        w.AeDate->clear();
        w.AeDue->clear();
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    void search(const QString& typed) {
        w.txtSearch->setFocus(Qt::MouseFocusReason);
        w.txtSearch->clear();
        QTest::keyClicks(w.txtSearch, typed);
        QTest::keyClick(w.txtSearch, Qt::Key_Return);
    }
};

} // namespace

class JobLookupWindowTest : public QObject {
    Q_OBJECT
private slots:
    void jobFillsTheEntry() {
        JobWindow t;
        t.w.Check1->setChecked(true);
        t.w.AeDate->setText("1/15/2006");
        t.w.AeDue->setText("1/15/2006");
        t.w.cboProd->setEditText("01");
        t.w.txtTax->setText("$1.00");
        t.w.txtInvAmt->setText("$2.00");
        t.search("4711");

        QVERIFY2(t.fx.host.messages.isEmpty(), qPrintable(t.fx.host.messages.join(" | ")));
        QCOMPARE(t.w.cboCust->currentText(), QStringLiteral("ACME PRINTING AND GRAPHICS"));
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("00004711"));
        QCOMPARE(t.w.txtQuan->text(), QStringLiteral("5000"));
        QCOMPARE(t.w.txtDesc->text(), QStringLiteral("5000, LETTERHEAD"));
        QCOMPARE(t.w.txtAmt->text(), QStringLiteral("$1,234.50 "));
        QCOMPARE(t.w.AeDate->text(), QStringLiteral("01/15/06"));
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("02/14/06"));
        QCOMPARE(t.w.cboProd->currentText(), QString());
        QCOMPARE(t.w.txtInvoice->text(), QStringLiteral("4711"));
        // The customer's ledger was looked up: none yet.
        QVERIFY(t.w.lblNew->isVisible());
        QCOMPARE(t.w.txtLedger->text(), QString());
        // With the tax switch off the tax boxes are left; the search box keeps the number.
        QCOMPARE(t.w.txtTax->text(), QStringLiteral("$1.00"));
        QCOMPARE(t.w.txtInvAmt->text(), QStringLiteral("$2.00"));
        QCOMPARE(t.w.txtSearch->text(), QStringLiteral("4711"));

        // Leaving the search box after a success looks nothing up again.
        t.w.txtJob->clear();
        QTest::keyClick(t.w.txtSearch, Qt::Key_Tab);
        QCOMPARE(t.w.txtJob->text(), QString());

        // Leaving the invoice date box afterwards: short date form, due date replaced.
        t.w.AeDate->setFocus();
        QTest::keyClick(t.w.AeDate, Qt::Key_Tab);
        QCOMPARE(t.w.AeDate->text(), QStringLiteral("1/15/2006"));
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("1/15/2006"));
    }

    // With the tax switch on, the tax shown follows the amount the job brings.
    void taxFollowsTheJobsAmount() {
        JobWindow t;
        t.w.txtDefaultTax->setText("6");
        t.w.setMoneyText(t.w.txtAmt, "$100.00");
        t.w.Check2->setChecked(true);
        QCOMPARE(t.w.txtInvAmt->text(), QStringLiteral("$106.00   "));
        t.search("4711");
        QCOMPARE(t.w.txtAmt->text(), QStringLiteral("$1,234.50 "));
        QCOMPARE(t.w.txtTax->text(), QStringLiteral("$74.07    "));
        QCOMPARE(t.w.txtInvAmt->text(), QStringLiteral("$1,308.57 "));
    }

    void zeroFilledKeyFindsSameJob() {
        JobWindow t;
        t.search("00004711");
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("00004711"));
        QVERIFY2(t.fx.host.messages.isEmpty(), qPrintable(t.fx.host.messages.join(" | ")));
        // Option off: the invoice box is left alone.
        QCOMPARE(t.w.txtInvoice->text(), QString());
    }

    void datesKeptUnlessSumsAgree() {
        JobWindow t;
        t.w.AeDate->setText("1/15/2006");
        t.w.AeDue->setText("2/15/2006"); // 16 and 17
        t.search("4711");
        QCOMPARE(t.w.AeDate->text(), QStringLiteral("1/15/2006"));
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("2/15/2006"));

        t.w.AeDue->setText("2/14/2006"); // 16 and 16
        t.search("4711");
        QCOMPARE(t.w.AeDate->text(), QStringLiteral("01/15/06"));
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("02/14/06"));

        // Empty date boxes have no "/" separators: kept.
        t.w.AeDate->clear();
        t.w.AeDue->clear();
        t.search("4711");
        QCOMPARE(t.w.AeDate->text(), QString());
        QCOMPARE(t.w.AeDue->text(), QString());
    }

    void monthZeroAndBlankDueDate() {
        JobWindow t;
        t.fx.host.fixedToday = QDate(2006, 3, 7);
        t.w.AeDate->setText("3/7/2006");
        t.w.AeDue->setText("3/7/2006");
        t.search("300");
        QCOMPARE(t.w.AeDate->text(), QStringLiteral("3/7/2006"));
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("3/7/2006"));
        QCOMPARE(t.w.txtDesc->text(), QStringLiteral("LETTERHEAD")); // quantity 0
        QCOMPARE(t.w.txtQuan->text(), QStringLiteral("0"));
        QCOMPARE(t.w.cboCust->currentText(), QStringLiteral("ODD DATES           "));
    }

    void notFoundThenLookupOnLeaving() {
        JobWindow t;
        t.w.cboCust->setEditText("SOMEONE");
        t.w.txtJob->setText("00000042");
        t.w.txtDesc->setText("KEPT");
        t.search("012345678"); // nine characters never match
        QCOMPARE(t.fx.host.messages,
                 QStringList{"This Job Is Closed or Not Found and Will Not Be Posted."});
        QCOMPARE(t.w.txtSearch->text(), QString());
        QCOMPARE(t.w.cboCust->currentText(), QString());
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("00000042"));
        QCOMPARE(t.w.txtDesc->text(), QStringLiteral("KEPT"));

        // Leaving the emptied box does nothing.
        QTest::keyClick(t.w.txtSearch, Qt::Key_Tab);
        QCOMPARE(t.fx.host.messages.size(), 1);

        // A number typed later is looked up as the box is left, without Enter.
        t.w.txtSearch->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(t.w.txtSearch, "4711");
        QTest::keyClick(t.w.txtSearch, Qt::Key_Tab);
        QCOMPARE(t.fx.host.messages.size(), 1);
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("00004711"));
        QCOMPARE(t.w.cboCust->currentText(), QStringLiteral("ACME PRINTING AND GRAPHICS"));

        // That success ends the retries: leaving again with another number does nothing.
        t.w.txtSearch->setFocus(Qt::MouseFocusReason);
        t.w.txtSearch->setText("1");
        QTest::keyClick(t.w.txtSearch, Qt::Key_Tab);
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("00004711"));
    }

    // A click on Post that takes the focus from the search box, whose leaving looks the job up
    // and fills the entry, does not post what the operator has not seen; the next click does.
    void postClickThatFillsTheEntryDoesNotPost() {
        JobWindow t;
        t.w.txtAmt->setText("$5.00");
        t.search("012345678");
        QCOMPARE(t.fx.host.messages.size(), 1);
        t.w.txtSearch->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(t.w.txtSearch, "4711");
        const QString ledger = t.fx.tmp.path() + "/drive_f/LEDGER/led00001.dat";

        QTest::mouseClick(t.w.btnPost, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("00004711"));
        QCOMPARE(t.w.cboCust->currentText(), QStringLiteral("ACME PRINTING AND GRAPHICS"));
        QVERIFY(!QFile::exists(ledger));
        QCOMPARE(t.fx.host.messages.size(), 1);

        QTest::qWait(1); // the click's own events are over
        t.w.AeDate->setText("1/15/2006");
        QTest::mouseClick(t.w.btnPost, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY2(QFile::exists(ledger), qPrintable(t.fx.host.messages.join('|')));
        QCOMPARE(t.w.txtJob->text(), QString()); // posted and cleared
    }

    void leadingBlankAndEmptySearch() {
        JobWindow t;
        t.search(" 4711"); // zero-filled in front of the blank: 000 4711
        QCOMPARE(t.fx.host.messages.size(), 1);
        QCOMPARE(t.w.txtJob->text(), QString());

        t.fx.host.messages.clear();
        t.w.txtSearch->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(t.w.txtSearch, Qt::Key_Return);
        QVERIFY2(t.fx.host.messages.isEmpty(), qPrintable(t.fx.host.messages.join(" | ")));
    }

    void unreachableFolderIsReported() {
        JobWindow t;
        t.w.gA = "E:\\NOWHERE";
        t.search("4711");
        QCOMPARE(t.fx.host.messages.size(), 1);
        QVERIFY2(t.fx.host.messages[0].contains("E:\\NOWHERE\\Wip.Dat"),
                 qPrintable(t.fx.host.messages[0]));
        QCOMPARE(t.w.txtSearch->text(), QStringLiteral("4711")); // kept for a retry
        QCOMPARE(t.w.txtJob->text(), QString());
    }
};
TW_REGISTER_TEST(JobLookupWindowTest)

#include "job_test.moc"
