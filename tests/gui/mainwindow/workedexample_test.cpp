#include "guitestsupport.h"
#include "mainwindow/frmledger.h"
#include "testregistry.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "wiptestdata.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

// A typical request from start to end through the real window: a job looked up from the
// search box, the tax switched on, the invoice posted for a customer who has no ledger yet.
class WorkedExampleTest : public QObject {
    Q_OBJECT
private slots:
    void jobLookupTaxAndPostOfANewCustomer() {
        tw::test::AppFixture fx;
        const QString est = fx.mapDrive('E') + "/EST";
        const QString ledger = fx.mapDrive('F') + "/LEDGER";
        QDir().mkpath(est);
        QDir().mkpath(ledger);

        // An index of 12 customers, none of them the job's.
        QByteArray index;
        for (int n = 1; n <= 12; ++n) {
            index += QByteArray::number(n).rightJustified(5, '0') +
                     QByteArray("CUSTOMER ").append(QByteArray::number(n)).leftJustified(40, ' ') +
                     "\r\n";
        }
        tw::test::writeAll(ledger + "/ledger.ndx", index);
        tw::test::WipJob job; // 00004711, 5000 LETTERHEAD, 1234.5, 060115 / 060214
        job.customer = "ACME PRINTING AND GR";
        job.wip2 = "4711,\"ACME PRINTING AND GRAPHICS\",\"COLUMBUS\"";
        tw::test::writeWipFiles(est, {job});

        tw::frmLedger w(fx.ctx->paths, fx.ctx->settings, fx.ctx->defaultTax, fx.host, fx.dialogs);
        w.gA = "E:\\EST";
        w.gLedger = "F:\\LEDGER";
        w.txtDefaultTax->setText("6");
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.Check1->setChecked(true);

        // The invoice date box left empty gives today's date in both boxes: they agree.
        w.AeDate->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(w.AeDate, Qt::Key_Tab);
        QCOMPARE(w.AeDue->text(), QStringLiteral("1/15/2006"));

        w.txtSearch->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(w.txtSearch, "4711");
        QTest::keyClick(w.txtSearch, Qt::Key_Return);
        QVERIFY2(fx.host.messages.isEmpty(), qPrintable(fx.host.messages.join(" | ")));
        QCOMPARE(w.cboCust->currentText(), QStringLiteral("ACME PRINTING AND GRAPHICS"));
        QCOMPARE(w.txtJob->text(), QStringLiteral("00004711"));
        QCOMPARE(w.txtInvoice->text(), QStringLiteral("4711"));
        QCOMPARE(w.txtDesc->text(), QStringLiteral("5000, LETTERHEAD"));
        QCOMPARE(w.txtAmt->text(), QStringLiteral("$1,234.50 "));
        QCOMPARE(w.AeDate->text(), QStringLiteral("01/15/06"));
        QCOMPARE(w.AeDue->text(), QStringLiteral("02/14/06"));
        QVERIFY(w.lblNew->isVisible());
        QCOMPARE(w.txtLedger->text(), QString());

        // The tax switch at the default 6 %: exact cents.
        QTest::mouseClick(w.Check2, Qt::LeftButton, {}, QPoint(4, w.Check2->height() / 2));
        QVERIFY(w.Check2->isChecked());
        QCOMPARE(w.txtTax->text(), QStringLiteral("$74.07    "));
        QCOMPARE(w.txtInvAmt->text(), QStringLiteral("$1,308.57 "));

        QTest::mouseClick(w.lblPost, Qt::LeftButton);
        QVERIFY2(fx.host.messages.isEmpty(), qPrintable(fx.host.messages.join(" | ")));

        const QByteArray indexAfter = tw::test::readAll(ledger + "/ledger.ndx");
        QCOMPARE(indexAfter.size(), 611);
        QCOMPARE(indexAfter.left(564), index);
        QCOMPARE(indexAfter.mid(564),
                 QByteArray("00013") + QByteArray("ACME PRINTING AND GRAPHICS").leftJustified(40) +
                     "\r\n");

        const QByteArray entry = tw::test::readAll(ledger + "/led00013.dat");
        QCOMPARE(entry.size(), 128);
        QCOMPARE(entry.mid(0, 8), QByteArray("4711    "));
        QCOMPARE(entry.mid(8, 6), QByteArray("060115"));
        QCOMPARE(entry.mid(14, 6), QByteArray("021406"));
        QCOMPARE(entry.mid(20, 8), QByteArray("00004711"));
        QCOMPARE(entry.mid(28, 2), QByteArray("  ")); // the lookup emptied the product box
        QCOMPARE(entry.mid(30, 10), QByteArray(10, ' '));
        QCOMPARE(entry.mid(40, 76), QByteArray("5000, LETTERHEAD").leftJustified(76));
        QCOMPARE(entry.mid(116, 10), QByteArray("1308.57   "));
        QCOMPARE(entry.mid(126, 2), QByteArray("\r\n"));

        // Cleared for the next invoice.
        QCOMPARE(w.cboCust->currentText(), QString());
        QCOMPARE(w.txtLedger->text(), QString());
        QVERIFY(!w.lblNew->isVisible());
        QVERIFY(!w.Check2->isChecked());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.AeDate));
    }
};

TW_REGISTER_TEST(WorkedExampleTest)
#include "workedexample_test.moc"
