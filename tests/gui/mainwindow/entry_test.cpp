#include "entry/entryfields.h"
#include "guitestsupport.h"
#include "mainwindow/frmledger.h"
#include "testregistry.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "widgets/panelbutton.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

namespace {

// The main window shown and active, on a fresh program folder, without loading any lists.
struct Window {
    tw::test::AppFixture fx;
    tw::frmLedger w{fx.ctx->paths, fx.ctx->settings, fx.ctx->defaultTax, fx.host, fx.dialogs};
    Window() {
        w.show();
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w))
            qWarning("main window not active");
    }
    QWidget* focus() const { return QApplication::focusWidget(); }
    // Types into a box as the operator does: focus first, then the keys.
    void type(QWidget* box, const QString& text) {
        box->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(box, text);
    }
    void tab() { QTest::keyClick(focus(), Qt::Key_Tab); }
    void enter() { QTest::keyClick(focus(), Qt::Key_Return); }
    QByteArray setting(const QString& name) const {
        return tw::test::readAll(fx.programFile(name));
    }
};

} // namespace

class EntryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void invoiceDateWithoutDelimiter() {
        Window t;
        t.type(t.w.AeDate, "010506");
        t.tab();
        QCOMPARE(t.fx.host.beeps, 1);
        QCOMPARE(t.fx.host.messages, QStringList{tw::entry::kDateDelimiterMessage});
        QCOMPARE(t.w.AeDate->text(), QString());
        QCOMPARE(t.focus(), t.w.AeDate);
        // The due date box was passed through on the way, not left by the operator.
        QCOMPARE(t.w.AeDue->text(), QString());
    }

    void dueDateWithoutDelimiter() {
        Window t;
        // Reaching the due date box leaves the empty invoice date box: today in both.
        t.w.AeDue->setFocus(Qt::MouseFocusReason);
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("1/15/2006"));
        t.w.AeDue->clear();
        QTest::keyClicks(t.w.AeDue, "010506");
        t.tab();
        QCOMPARE(t.fx.host.beeps, 1);
        QCOMPARE(t.fx.host.messages.size(), 1);
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("010506")); // kept for correction
        QCOMPARE(t.focus(), t.w.AeDue);
    }

    void invoiceDateRules() {
        Window t;
        t.fx.host.fixedToday = QDate(2006, 3, 7);
        // Empty: today's date in both boxes.
        t.w.AeDate->setFocus();
        t.tab();
        QCOMPARE(t.w.AeDate->text(), QStringLiteral("3/7/2006"));
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("3/7/2006"));
        QCOMPARE(t.focus(), t.w.AeDue);

        // Typed with dashes: the short date form.
        t.w.AeDate->clear();
        t.type(t.w.AeDate, "1-5-06");
        t.tab();
        QCOMPARE(t.w.AeDate->text(), QStringLiteral("1/5/2006"));

        // A due date entered is replaced by the invoice date on every leave.
        t.w.AeDue->setText("2/28/2006");
        t.w.AeDate->setFocus();
        t.tab();
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("1/5/2006"));

        // Not a date but delimited: kept and copied without a message.
        t.w.AeDate->clear();
        t.type(t.w.AeDate, "ab/cd");
        t.tab();
        QCOMPARE(t.w.AeDate->text(), QStringLiteral("ab/cd"));
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("ab/cd"));
        QVERIFY(t.fx.host.messages.isEmpty());
        QCOMPARE(t.fx.host.beeps, 0);

        // The due date rule rewrites its own box only.
        t.w.AeDue->clear();
        t.type(t.w.AeDue, "2-14-2006");
        t.tab();
        QCOMPARE(t.w.AeDue->text(), QStringLiteral("2/14/2006"));
        QCOMPARE(t.w.AeDate->text(), QStringLiteral("ab/cd"));
    }

    void jobFill() {
        Window t;
        t.type(t.w.txtJob, " 123 ");
        t.tab();
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("00000123"));
        t.w.txtJob->clear();
        t.type(t.w.txtJob, "12345678");
        t.tab();
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("12345678"));
        QCOMPARE(t.w.txtInvoice->text(), QString()); // option off: nothing derived
    }

    void matchOption() {
        Window t;
        t.w.Check1->setChecked(true);
        QCOMPARE(t.setting("Check.Dat"), QByteArray("1\r\n"));

        t.type(t.w.txtInvoice, "4711");
        t.tab();
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("00004711"));
        QCOMPARE(t.focus(), t.w.txtJob);
        t.tab();
        QCOMPARE(t.w.txtInvoice->text(), QStringLiteral("4711"));

        // Letters: the numeric value is 0.
        t.w.txtJob->clear();
        t.type(t.w.txtJob, "00ABC123");
        t.tab();
        QCOMPARE(t.w.txtInvoice->text(), QStringLiteral("0"));

        // An empty job box changes neither.
        t.w.txtJob->clear();
        t.w.txtInvoice->setText("55");
        t.w.txtJob->setFocus();
        t.tab();
        QCOMPARE(t.w.txtJob->text(), QString());
        QCOMPARE(t.w.txtInvoice->text(), QStringLiteral("55"));

        // A job box that is not empty keeps its number when the invoice is left.
        t.w.txtJob->setText("00000009");
        t.w.txtInvoice->setFocus();
        t.tab();
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("00000009"));

        // Switching the option on takes the job's number; off is remembered too.
        t.w.Check1->setChecked(false);
        QCOMPARE(t.setting("Check.Dat"), QByteArray("0\r\n"));
        t.w.txtJob->setText("00012345");
        t.w.txtInvoice->setText("1");
        t.w.Check1->setChecked(true);
        QCOMPARE(t.w.txtInvoice->text(), QStringLiteral("12345"));
        t.w.Check1->setChecked(false);
        t.w.txtJob->clear();
        t.w.Check1->setChecked(true);
        QCOMPARE(t.w.txtInvoice->text(), QStringLiteral("12345")); // empty job: unchanged
    }

    void matchOptionOff() {
        Window t;
        t.type(t.w.txtInvoice, "4711");
        t.tab();
        QCOMPARE(t.w.txtJob->text(), QString());
        t.type(t.w.txtJob, "42");
        t.tab();
        QCOMPARE(t.w.txtInvoice->text(), QStringLiteral("4711"));
    }

    void fullDescriptionBeeps() {
        Window t;
        const QString text(76, QLatin1Char('d'));
        t.type(t.w.txtDesc, text);
        QCOMPARE(t.w.txtDesc->text(), text);
        QCOMPARE(t.fx.host.beeps, 0); // the 76th was typed into 75
        QTest::keyClick(t.w.txtDesc, Qt::Key_X);
        QCOMPARE(t.fx.host.beeps, 1);
        QCOMPARE(t.w.txtDesc->text(), text);
        QTest::keyClick(t.w.txtDesc, Qt::Key_Backspace);
        QCOMPARE(t.fx.host.beeps, 2);
        QCOMPARE(t.w.txtDesc->text().size(), 75); // Backspace still deletes
        QTest::keyClick(t.w.txtDesc, Qt::Key_Y);
        QCOMPARE(t.fx.host.beeps, 2);
        QCOMPARE(t.w.txtDesc->text().size(), 76);
        // Enter on a full box beeps, moves on and inserts nothing.
        t.w.txtDesc->setFocus();
        QTest::keyClick(t.w.txtDesc, Qt::Key_Return);
        QCOMPARE(t.fx.host.beeps, 3);
        QCOMPARE(t.focus(), t.w.txtAmt);
        QCOMPARE(t.w.txtDesc->text().size(), 76);
    }

    void enterChain() {
        Window t;
        t.w.Check1->setChecked(true);
        t.type(t.w.txtInvoice, "77");
        t.enter();
        QCOMPARE(t.focus(), t.w.txtJob);
        QCOMPARE(t.w.txtJob->text(), QStringLiteral("00000077")); // the invoice was left
        t.enter();
        QCOMPARE(t.focus(), t.w.txtPO);
        t.enter();
        QCOMPARE(t.focus(), t.w.txtQuan);
        t.enter();
        QCOMPARE(t.focus(), t.w.cboProd);
        t.enter();
        QCOMPARE(t.focus(), t.w.txtDesc);
        QTest::keyClicks(t.w.txtDesc, "CARDS");
        t.enter();
        QCOMPARE(t.focus(), t.w.txtAmt);
        QCOMPARE(t.w.txtDesc->text(), QStringLiteral("CARDS"));
        QTest::keyClicks(t.w.txtAmt, "12");
        t.enter();
        QCOMPARE(t.focus(), t.w.btnPost);
        QCOMPARE(t.w.txtAmt->text(), QStringLiteral("$12.00    "));
    }

    void moneyText_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("grouping") << "1234.5"
                                  << "$1,234.50 ";
        QTest::newRow("empty") << ""
                               << "          ";
        QTest::newRow("not a number") << "abc"
                                      << "abc       ";
        QTest::newRow("negative") << "-50"
                                  << "-$50.00   ";
        QTest::newRow("half cent") << "1.005"
                                   << "$1.01     ";
        QTest::newRow("not cut") << "123456.78"
                                 << "$123,456.78";
        QTest::newRow("largest typed") << "9999999999"
                                       << "$9,999,999,999.00";
    }
    void moneyText() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Window t;
        t.type(t.w.txtAmt, typed);
        t.tab();
        QCOMPARE(t.w.txtAmt->text(), shown);
        // Leaving again keeps it.
        t.w.txtAmt->setFocus();
        t.tab();
        QCOMPARE(t.w.txtAmt->text(), shown);
    }

    void moneyBoxTypingStaysLimited() {
        Window t;
        t.type(t.w.txtAmt, "123456.78");
        t.tab();
        QCOMPARE(t.w.txtAmt->text(), QStringLiteral("$123,456.78"));
        // Retyped over the whole text: ten characters at most again.
        t.w.txtAmt->setFocus();
        t.w.txtAmt->selectAll();
        QTest::keyClicks(t.w.txtAmt, "123456789012");
        QCOMPARE(t.w.txtAmt->text(), QStringLiteral("1234567890"));
        t.w.txtAmt->clear();
        QCOMPARE(t.w.txtAmt->maxLength(), 10);
    }

    void taxSwitch() {
        Window t;
        t.w.txtDefaultTax->setText("6.5");
        t.type(t.w.txtAmt, "100");
        t.tab();
        t.w.Check2->setChecked(true);
        QCOMPARE(t.w.txtTax->text(), QStringLiteral("$6.50     "));
        QCOMPARE(t.w.txtInvAmt->text(), QStringLiteral("$106.50   "));

        // While the switch is on, the tax follows the amount as the box is left.
        t.w.txtAmt->setFocus();
        t.w.txtAmt->selectAll();
        QTest::keyClicks(t.w.txtAmt, "200");
        t.tab();
        QCOMPARE(t.w.txtTax->text(), QStringLiteral("$13.00    "));
        QCOMPARE(t.w.txtInvAmt->text(), QStringLiteral("$213.00   "));
        t.w.Check2->setChecked(false);
        QCOMPARE(t.w.txtTax->text(), QString());
        QCOMPARE(t.w.txtInvAmt->text(), QString());
        t.w.Check2->setChecked(true);
        QCOMPARE(t.w.txtTax->text(), QStringLiteral("$13.00    "));
        QCOMPARE(t.w.txtInvAmt->text(), QStringLiteral("$213.00   "));
    }

    void taxCases_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("percent");
        QTest::addColumn<QString>("tax");
        QTest::addColumn<QString>("total");
        QTest::newRow("zero amount") << "$0.00     "
                                     << "6.5"
                                     << "$0.00     "
                                     << "$0.00     ";
        QTest::newRow("percent sign") << "$100.00   "
                                      << "7.25%"
                                      << "$7.25     "
                                      << "$107.25   ";
        QTest::newRow("empty percent") << "$100.00   "
                                       << ""
                                       << "$0.00     "
                                       << "$100.00   ";
        QTest::newRow("exact and whole") << "$123,456.78"
                                         << "7.25"
                                         << "$8,950.62 "
                                         << "$132,407.40";
        // Not qualifying: the boxes keep what they held.
        QTest::newRow("negative") << "-$50.00   "
                                  << "6"
                                  << "old"
                                  << "old";
        QTest::newRow("empty amount") << ""
                                      << "6"
                                      << "old"
                                      << "old";
        QTest::newRow("blank amount") << "          "
                                      << "6"
                                      << "old"
                                      << "old";
    }
    void taxCases() {
        QFETCH(QString, amount);
        QFETCH(QString, percent);
        QFETCH(QString, tax);
        QFETCH(QString, total);
        Window t;
        tw::frmLedger::setMoneyText(t.w.txtAmt, amount);
        t.w.txtDefaultTax->setText(percent);
        t.w.txtTax->setText("old");
        t.w.txtInvAmt->setText("old");
        t.w.Check2->setChecked(true);
        QCOMPARE(t.w.txtTax->text(), tax);
        QCOMPARE(t.w.txtInvAmt->text(), total);
        QVERIFY(t.fx.host.messages.isEmpty());
    }

    void taxOnTextThatIsNoNumber() {
        Window t;
        t.w.txtAmt->setText("$abc");
        t.w.txtTax->setText("old");
        t.w.Check2->setChecked(true);
        QCOMPARE(t.fx.host.messages.size(), 1);
        QVERIFY(t.fx.host.messages[0].contains("$abc"));
        QCOMPARE(t.w.txtTax->text(), QStringLiteral("old"));
    }

    void defaultTaxLeave() {
        Window t;
        tw::frmLedger::setMoneyText(t.w.txtAmt, "$100.00   ");
        t.w.txtDefaultTax->setFocus();
        t.w.txtDefaultTax->selectAll();
        QTest::keyClicks(t.w.txtDefaultTax, "7.25");
        t.tab();
        QVERIFY(t.w.Check2->isChecked());
        QCOMPARE(t.w.txtTax->text(), QStringLiteral("$7.25     "));
        QCOMPARE(t.w.txtInvAmt->text(), QStringLiteral("$107.25   "));
        QCOMPARE(t.setting("DefTax.Dat"), QByteArray("7.25\r\n"));

        // Already on: the new percent is applied at once; Enter keeps the focus in the box.
        t.w.txtDefaultTax->setFocus();
        t.w.txtDefaultTax->selectAll();
        QTest::keyClicks(t.w.txtDefaultTax, "6");
        t.enter();
        QCOMPARE(t.focus(), t.w.txtDefaultTax);
        QCOMPARE(t.w.txtTax->text(), QStringLiteral("$6.00     "));
        QCOMPARE(t.setting("DefTax.Dat"), QByteArray("6\r\n"));
    }

    void defaultTaxLeaveWithoutAmount() {
        Window t;
        t.w.txtDefaultTax->setFocus();
        QTest::keyClicks(t.w.txtDefaultTax, "8");
        t.enter();
        QVERIFY(!t.w.Check2->isChecked());
        QCOMPARE(t.setting("DefTax.Dat"), QByteArray("8\r\n"));
        // Emptied: an empty line.
        t.w.txtDefaultTax->clear();
        t.tab();
        QCOMPARE(t.setting("DefTax.Dat"), QByteArray("\r\n"));
    }
};
TW_REGISTER_TEST(EntryWindowTest)

#include "entry_test.moc"
