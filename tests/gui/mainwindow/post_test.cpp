#include "guitestsupport.h"
#include "ledger/ledgerrecords.h"
#include "mainwindow/frmledger.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "widgets/panelbutton.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QtTest>

using tw::test::indexOf;
using tw::test::readAll;
using tw::test::writeAll;

namespace {

const QString kBlank = QStringLiteral("Warning: Customer, Date or Amount Cannot Be Blank!");

// The main window, shown and active, with F:\LEDGER as its ledger folder and a default tax
// file, without loading the lists.
struct Window {
    tw::test::AppFixture fx;
    QString ledgerDir;
    tw::frmLedger* w = nullptr;

    explicit Window(const QStringList& index = {}) {
        ledgerDir = fx.mapDrive('F') + "/LEDGER";
        QDir().mkpath(ledgerDir);
        if (!index.isEmpty())
            writeAll(ledger("ledger.ndx"), indexOf(index));
        for (int n = 1; n <= index.size(); ++n) // each indexed ledger has its file
            writeAll(ledger(QStringLiteral("led%1.dat").arg(n, 5, 10, QLatin1Char('0'))), {});
        fx.setSetting("DefTax.Dat", "6");
        fx.ctx->defaultTax.load();
        w = new tw::frmLedger(fx.ctx->paths, fx.ctx->settings, fx.ctx->defaultTax, fx.host,
                              fx.dialogs); // deleted by the fixture with every top-level window
        w->gLedger = "F:\\LEDGER";
        w->txtDefaultTax->setText("6");
        w->show();
        if (!tw::test::activate(w))
            qWarning("main window not active");
        // Start in a box without a leave rule, with both dates empty.
        w->txtQuan->setFocus(Qt::OtherFocusReason);
        w->AeDate->clear();
        w->AeDue->clear();
    }
    QString ledger(const QString& name) const { return ledgerDir + '/' + name; }
    QWidget* focus() const { return QApplication::focusWidget(); }
    void type(QWidget* box, const QString& text) {
        box->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(box, text);
    }
    void key(Qt::Key k) { QTest::keyClick(focus(), k); }

    // Every file of the ledger folder with its bytes.
    QMap<QString, QByteArray> folder() const {
        QMap<QString, QByteArray> out;
        const auto names = QDir(ledgerDir).entryList(QDir::Files | QDir::System);
        for (const QString& n : names)
            out[n] = readAll(ledger(n));
        return out;
    }

    // An entry filled directly, for the tests that are not about typing.
    void fill(const QString& customer, const QString& date, const QString& amount) {
        w->cboCust->setEditText(customer);
        w->AeDate->setText(date);
        w->setMoneyText(w->txtAmt, amount);
    }
    void post() { QTest::mouseClick(w->lblPost, Qt::LeftButton); }
};

} // namespace

class PostWindowTest : public QObject {
    Q_OBJECT
private slots:
    // A new customer's first invoice, typed through the Enter chain and posted with Enter.
    void workedExample() {
        QStringList names;
        for (int i = 1; i <= 12; ++i)
            names << QStringLiteral("CUSTOMER %1").arg(i);
        Window t(names);
        QCOMPARE(QFileInfo(t.ledger("ledger.ndx")).size(), 564);

        t.type(t.w->AeDate, "1/5/2006");
        t.key(Qt::Key_Tab); // the due date follows the invoice date
        QCOMPARE(t.focus(), t.w->AeDue);
        t.key(Qt::Key_Tab);
        QCOMPARE(t.focus(), t.w->cboCust);
        QTest::keyClicks(t.w->cboCust, "  NEW PRINT SHOP  ");
        t.key(Qt::Key_Return);
        QCOMPARE(t.focus(), t.w->txtInvoice);
        QVERIFY(t.w->lblNew->isVisibleTo(t.w));
        QCOMPARE(t.w->txtLedger->text(), QString());

        QTest::keyClicks(t.focus(), " 4711");
        t.key(Qt::Key_Return);
        QTest::keyClicks(t.focus(), "4711");
        t.key(Qt::Key_Return);
        QCOMPARE(t.focus(), t.w->txtPO);
        QTest::keyClicks(t.focus(), "PO-778");
        t.key(Qt::Key_Return);
        QTest::keyClicks(t.focus(), "500");
        t.key(Qt::Key_Return);
        QCOMPARE(t.focus(), t.w->cboProd);
        QTest::keyClicks(t.focus(), "BC-Business cards");
        t.key(Qt::Key_Return);
        QCOMPARE(t.focus(), t.w->txtDesc);
        QTest::keyClicks(t.focus(), "500, Business cards");
        t.key(Qt::Key_Return);
        QCOMPARE(t.focus(), t.w->txtAmt);
        QTest::keyClicks(t.focus(), "1234.5");
        t.key(Qt::Key_Return);
        QCOMPARE(t.focus(), t.w->btnPost);
        QCOMPARE(t.w->txtAmt->text(), QStringLiteral("$1,234.50 "));
        t.key(Qt::Key_Return); // Post

        QCOMPARE(t.fx.host.messages, QStringList());
        const QByteArray idx = readAll(t.ledger("ledger.ndx"));
        QCOMPARE(idx.size(), 611);
        QCOMPARE(idx.left(564), indexOf(names));
        QCOMPARE(idx.mid(564), QByteArray("00013NEW PRINT SHOP") + QByteArray(26, ' ') + "\r\n");

        const QByteArray rec = readAll(t.ledger("led00013.dat"));
        QCOMPARE(rec.size(), 128);
        QCOMPARE(rec.mid(0, 8), QByteArray(" 4711   "));  // InvoiceNumber, leading blank kept
        QCOMPARE(rec.mid(8, 6), QByteArray("060105"));    // InvoiceDate yymmdd
        QCOMPARE(rec.mid(14, 6), QByteArray("010506"));   // DueDate mmddyy
        QCOMPARE(rec.mid(20, 8), QByteArray("00004711")); // JobNumber
        QCOMPARE(rec.mid(28, 2), QByteArray("BC"));       // ProductCode
        QCOMPARE(rec.mid(30, 10), QByteArray("PO-778    "));
        QCOMPARE(rec.mid(40, 76), QByteArray("500, Business cards").leftJustified(76, ' '));
        QCOMPARE(rec.mid(116, 10), QByteArray("1234.5    "));
        QCOMPARE(rec.mid(126, 2), QByteArray("\r\n"));

        // Cleared for the next invoice.
        for (QLineEdit* box :
             {t.w->txtLedger, t.w->txtInvoice, t.w->txtJob, t.w->txtPO,
              static_cast<QLineEdit*>(t.w->AeDate), static_cast<QLineEdit*>(t.w->AeDue),
              t.w->txtAmt, t.w->txtSearch, t.w->txtInvAmt, t.w->txtTax, t.w->txtQuan})
            QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName() + ": " + box->text()));
        QCOMPARE(t.w->cboCust->currentText(), QString());
        QCOMPARE(t.w->cboProd->currentText(), QString());
        QCOMPARE(t.w->txtDesc->text(), QString());
        QCOMPARE(t.w->txtDefaultTax->text(), QStringLiteral("6"));
        QVERIFY(!t.w->lblNew->isVisibleTo(t.w));
        QVERIFY(!t.w->Check2->isChecked());
        QCOMPARE(t.focus(), t.w->AeDate);
    }

    // The rules are tested in the core; here only that a refusal is shown and leaves the
    // window and the ledger folder as they were.
    void refusalShownNothingChanged_data() {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank") << ""
                               << "1/5/2006" << kBlank;
        QTest::newRow("date") << "BRAND NEW"
                              << "ab/cd"
                              << "The Invoice Date \"ab/cd\" is not a date. Nothing was posted.";
    }
    void refusalShownNothingChanged() {
        QFETCH(QString, customer);
        QFETCH(QString, date);
        QFETCH(QString, message);
        Window t({"ACME"});
        writeAll(t.ledger("led00001.dat"), QByteArray(128, 'x'));
        const auto before = t.folder();
        t.fill(customer, date, "$100.00");
        t.w->lblNew->show();
        t.post();
        QCOMPARE(t.fx.host.messages, QStringList{message});
        QCOMPARE(t.folder(), before);
        QCOMPARE(t.w->cboCust->currentText(), customer);
        QCOMPARE(t.w->AeDate->text(), date);
        QCOMPARE(t.w->txtAmt->text(), QStringLiteral("$100.00"));
        QCOMPARE(t.w->txtLedger->text(), QString());
        QVERIFY(t.w->lblNew->isVisibleTo(t.w));
    }

    void amounts_data() {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("invAmt");
        QTest::addColumn<bool>("taxSwitch");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("plain") << "$100.00"
                               << "" << false << QByteArray("100       ");
        QTest::newRow("exact cents") << "$123,456.78"
                                     << "" << false << QByteArray("123456.78 ");
        QTest::newRow("tax at 6 %") << "$100.00"
                                    << "" << true << QByteArray("106       ");
        QTest::newRow("invoice amount typed") << "$100.00"
                                              << "$53.00" << false << QByteArray("53        ");
        QTest::newRow("invoice amount zero") << "$100.00"
                                             << "$0.00" << false << QByteArray("0         ");
        QTest::newRow("below one") << "0.5"
                                   << "" << false << QByteArray("0.5       ");
    }
    void amounts() {
        QFETCH(QString, amount);
        QFETCH(QString, invAmt);
        QFETCH(bool, taxSwitch);
        QFETCH(QByteArray, stored);
        Window t({"ACME"});
        t.fill("ACME", "1/5/99", amount);
        t.w->txtLedger->setText("00001");
        t.w->txtInvAmt->setText(invAmt);
        if (taxSwitch) {
            t.w->Check2->click();
            QCOMPARE(t.w->txtInvAmt->text(), QStringLiteral("$106.00   "));
        }
        t.post();
        QCOMPARE(t.fx.host.messages, QStringList());
        const QByteArray rec = readAll(t.ledger("led00001.dat"));
        QCOMPARE(rec.size(), 128);
        QCOMPARE(rec.mid(116, 10), stored);
        QCOMPARE(rec.mid(8, 12), QByteArray("990105      ")); // no due date: 6 blanks
    }

    void knownCustomerAppendsAfterFiveRecords() {
        Window t({"A", "B", "ACME PRINTING"});
        QByteArray five;
        for (int i = 0; i < 5; ++i)
            five += QByteArray(126, char('a' + i)) + "\r\n";
        writeAll(t.ledger("led00003.dat"), five);
        t.w->cboCust->addItems({"A", "ACME PRINTING", "B"});
        t.w->cboCust->setCurrentIndex(0);
        t.w->cboCust->setFocus(Qt::MouseFocusReason);
        t.key(Qt::Key_Down); // a choice with the arrow keys
        QCOMPARE(t.w->txtLedger->text(), QStringLiteral("00003"));
        t.w->AeDate->setText("12/25/03");
        t.w->AeDue->setText("12/25/03");
        t.w->setMoneyText(t.w->txtAmt, "$12.05");
        t.post();
        QCOMPARE(t.fx.host.messages, QStringList());
        const QByteArray led = readAll(t.ledger("led00003.dat"));
        QCOMPARE(led.size(), 768);
        QCOMPARE(led.left(640), five);
        QCOMPARE(led.mid(640 + 8, 12), QByteArray("031225122503"));
        QCOMPARE(led.mid(640 + 116, 10), QByteArray("12.05     "));
        QCOMPARE(QFileInfo(t.ledger("ledger.ndx")).size(), 141);
    }

    void lookupStates() {
        Window t({"A", "B", "ACME PRINTING", "B"});
        t.w->cboCust->addItems({"A", "ACME PRINTING", "B"});

        // Chosen from the list.
        t.w->cboCust->setCurrentIndex(0);
        t.w->lblNew->show();
        t.w->cboCust->setFocus(Qt::MouseFocusReason);
        t.key(Qt::Key_Down);
        QCOMPARE(t.w->cboCust->currentText(), QStringLiteral("ACME PRINTING"));
        QCOMPARE(t.w->txtLedger->text(), QStringLiteral("00003"));
        QVERIFY(!t.w->lblNew->isVisibleTo(t.w));
        // Typing alone changes nothing shown.
        t.w->cboCust->lineEdit()->selectAll();
        QTest::keyClicks(t.w->cboCust, "Zz");
        QCOMPARE(t.w->cboCust->currentText(), QStringLiteral("Zz"));
        QCOMPARE(t.w->txtLedger->text(), QStringLiteral("00003"));
        // Other capitals are another customer (the list's completion would take the list's
        // spelling, so the text is put in directly).
        t.w->cboCust->setEditText("Acme Printing");
        t.key(Qt::Key_Tab);
        QCOMPARE(t.w->txtLedger->text(), QString());
        QVERIFY(t.w->lblNew->isVisibleTo(t.w));
        // The earlier of two equal names; Enter moves on to the invoice number.
        t.type(t.w->cboCust, "");
        t.w->cboCust->setEditText("  B ");
        t.key(Qt::Key_Return);
        QCOMPARE(t.focus(), t.w->txtInvoice);
        QCOMPARE(t.w->txtLedger->text(), QStringLiteral("00002"));
        QVERIFY(!t.w->lblNew->isVisibleTo(t.w));
        QCOMPARE(t.fx.host.messages, QStringList());
    }

    void lookupWithoutIndexAndWhenEmpty() {
        Window t;
        QVERIFY(!QFile::exists(t.ledger("ledger.ndx")));
        t.type(t.w->cboCust, "NOBODY");
        t.key(Qt::Key_Tab);
        QVERIFY(t.w->lblNew->isVisibleTo(t.w));
        QCOMPARE(t.w->txtLedger->text(), QString());
        QCOMPARE(QFileInfo(t.ledger("ledger.ndx")).size(), 0); // created empty

        // Emptied and left: nothing is read, even from a folder that is not there.
        t.w->gLedger = "F:\\GONE";
        t.w->txtLedger->setText("00007");
        t.w->cboCust->setFocus(Qt::MouseFocusReason);
        t.w->cboCust->setEditText("");
        t.key(Qt::Key_Tab);
        QCOMPARE(t.w->txtLedger->text(), QString());
        QVERIFY(!t.w->lblNew->isVisibleTo(t.w));
        QCOMPARE(t.fx.host.messages, QStringList());

        // With a name, the missing folder is told, naming the file.
        t.type(t.w->cboCust, "NOBODY");
        t.key(Qt::Key_Tab);
        QCOMPARE(t.fx.host.messages.size(), 1);
        QVERIFY(t.fx.host.messages[0].contains("F:\\GONE\\ledger.ndx"));
        QVERIFY(!QDir(t.ledgerDir + "/../GONE").exists());
    }

    void damagedLastRecordRepairedOnLeaving() {
        Window t;
        const QByteArray whole = indexOf({"A", "B"});
        const QByteArray damaged = whole + indexOf({"A", "B", "CUT"}).mid(94, 45);
        writeAll(t.ledger("ledger.ndx"), damaged);
        t.w->cboCust->addItems({"A", "B", "CUT"});
        t.w->cboCust->setCurrentIndex(1);
        t.w->cboCust->setFocus(Qt::MouseFocusReason);
        t.key(Qt::Key_Down); // from the list: found, not written
        QCOMPARE(t.w->txtLedger->text(), QStringLiteral("00003"));
        QCOMPARE(readAll(t.ledger("ledger.ndx")), damaged);
        t.key(Qt::Key_Tab); // leaving: written again in full
        QCOMPARE(t.w->txtLedger->text(), QStringLiteral("00003"));
        QCOMPARE(readAll(t.ledger("ledger.ndx")), indexOf({"A", "B", "CUT"}));
    }

    void clearEntry() {
        Window t({"ACME"});
        t.w->cboCust->addItems({"ACME", "ZED"});
        t.w->cboProd->addItems({"BC-Business cards"});
        t.w->Check1->setChecked(true);
        t.fill("ACME", "1/5/2006", "$100.00");
        t.w->AeDue->setText("2/5/2006");
        t.w->txtLedger->setText("00001");
        t.w->txtInvoice->setText("12");
        t.w->txtJob->setText("00000012");
        t.w->txtPO->setText("PO");
        t.w->txtQuan->setText("5");
        t.w->cboProd->setCurrentIndex(0);
        t.w->txtDesc->setText("desc");
        t.w->txtSearch->setText("12");
        t.w->Check2->click();
        QCOMPARE(t.w->txtTax->text(), QStringLiteral("$6.00     "));
        t.w->lblNew->show();
        t.fx.setSetting("DefTax.Dat", "7.25");
        t.w->txtAmt->setFocus(Qt::MouseFocusReason);

        QTest::mouseClick(t.w->lblClear, Qt::LeftButton);

        for (QLineEdit* box :
             {t.w->txtLedger, t.w->txtInvoice, t.w->txtJob, t.w->txtPO,
              static_cast<QLineEdit*>(t.w->AeDate), static_cast<QLineEdit*>(t.w->AeDue),
              t.w->txtAmt, t.w->txtSearch, t.w->txtInvAmt, t.w->txtTax, t.w->txtQuan})
            QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName() + ": " + box->text()));
        QCOMPARE(t.w->cboCust->currentText(), QString());
        QCOMPARE(t.w->cboProd->currentText(), QString());
        QCOMPARE(t.w->txtDesc->text(), QString());
        QVERIFY(!t.w->Check2->isChecked());
        QVERIFY(t.w->Check1->isChecked());
        QVERIFY(!t.w->lblNew->isVisibleTo(t.w));
        QCOMPARE(t.w->cboCust->count(), 2);
        QCOMPARE(t.w->cboProd->count(), 1);
        QCOMPARE(t.w->txtDefaultTax->text(), QStringLiteral("7.25"));
        QCOMPARE(t.fx.ctx->defaultTax.value(), QStringLiteral("7.25"));
        QCOMPARE(t.focus(), t.w->AeDate);
        QCOMPARE(t.fx.host.messages, QStringList());
    }

    void failingPostKeepsTheFields() {
        Window t;
        t.w->gLedger = "F:\\GONE";
        t.fill("NEW ONE", "1/5/2006", "$100.00");
        t.w->txtInvoice->setText("77");
        t.w->txtInvAmt->setText("$53.00");
        t.post();
        QCOMPARE(t.fx.host.messages.size(), 1);
        QVERIFY2(t.fx.host.messages[0].contains("F:\\GONE\\ledger.ndx"),
                 qPrintable(t.fx.host.messages[0]));
        QVERIFY(t.fx.host.messages[0].contains(QString::fromLocal8Bit(strerror(ENOENT))));
        QCOMPARE(t.w->cboCust->currentText(), QStringLiteral("NEW ONE"));
        QCOMPARE(t.w->txtInvoice->text(), QStringLiteral("77"));
        // The invoice amount did not replace the pre-tax amount: a retry posts the same.
        QCOMPARE(t.w->txtAmt->text(), QStringLiteral("$100.00"));
        QCOMPARE(t.w->txtInvAmt->text(), QStringLiteral("$53.00"));
        QCOMPARE(t.w->txtTax->text(), QString());
        QCOMPARE(t.w->txtLedger->text(), QString()); // no ledger was created
    }

    // With the tax switch on, the amount posted is the one on screen after the pre-tax
    // amount changed.
    void changedAmountPostsWhatIsShown() {
        Window t({"ACME"});
        t.fill("ACME", "1/5/2006", "$100.00");
        t.w->txtLedger->setText("00001");
        t.w->Check2->click();
        QCOMPARE(t.w->txtInvAmt->text(), QStringLiteral("$106.00   "));
        t.type(t.w->txtAmt, "");
        t.w->txtAmt->selectAll();
        QTest::keyClicks(t.w->txtAmt, "200");
        t.key(Qt::Key_Return); // on to Post, the amount box left on the way
        QCOMPARE(t.w->txtInvAmt->text(), QStringLiteral("$212.00   "));
        t.key(Qt::Key_Return);
        QCOMPARE(t.fx.host.messages, QStringList());
        QCOMPARE(readAll(t.ledger("led00001.dat")).mid(116, 10), QByteArray("212       "));
    }

    // The same invoice posted again: the question is asked; No keeps every file and field.
    void duplicateInvoiceAsked() {
        Window t({"ACME"});
        for (int attempt = 0; attempt < 2; ++attempt) {
            t.fill("ACME", "1/5/2006", "$100.00");
            t.w->txtLedger->setText("00001");
            t.w->txtInvoice->setText("A1001");
            t.post();
        }
        const auto before = t.folder();
        QCOMPARE(t.fx.host.questions,
                 QStringList{"Invoice A1001 is already in ledger 00001, dated 1/5/2006, for "
                             "$100.00. Post it again?"});
        QCOMPARE(t.fx.host.messages, QStringList());
        QCOMPARE(QFileInfo(t.ledger("led00001.dat")).size(), 128);
        QCOMPARE(t.w->txtInvoice->text(), QStringLiteral("A1001"));
        QCOMPARE(t.w->txtLedger->text(), QStringLiteral("00001"));
        t.fx.host.answers = {true};
        t.post();
        QCOMPARE(QFileInfo(t.ledger("led00001.dat")).size(), 256);
        QCOMPARE(t.w->txtInvoice->text(), QString());
        QVERIFY(before != t.folder());
    }

    // The ledger was allocated but its file could not be written: the number stays, and
    // the retry appends to it without a second allocation.
    void retryAfterAllocationUsesTheSameLedger() {
        Window t({"A"});
        QVERIFY(QFile::link("/dev/full", t.ledger("led00002.dat")));
        t.fill("NEW ONE", "1/5/2006", "$100.00");
        t.post();
        QCOMPARE(t.fx.host.messages.size(), 1);
        QVERIFY2(t.fx.host.messages[0].contains("F:\\LEDGER\\led00002.dat"),
                 qPrintable(t.fx.host.messages[0]));
        QCOMPARE(t.w->txtLedger->text(), QStringLiteral("00002"));
        QCOMPARE(readAll(t.ledger("ledger.ndx")), indexOf({"A", "NEW ONE"}));
        QCOMPARE(t.w->cboCust->currentText(), QStringLiteral("NEW ONE"));

        QFile::remove(t.ledger("led00002.dat"));
        t.post();
        QCOMPARE(t.fx.host.messages.size(), 1);
        QCOMPARE(readAll(t.ledger("ledger.ndx")), indexOf({"A", "NEW ONE"}));
        QCOMPARE(QFileInfo(t.ledger("led00002.dat")).size(), 128);
        QCOMPARE(t.w->txtLedger->text(), QString());
    }

    // A name typed and Post clicked at once: the box is left on the way, so the invoice goes
    // to that name's ledger, not to the one shown for the customer before.
    void typedNameNotLeftIsLookedUp() {
        Window t({"A", "B"});
        t.w->cboCust->setFocus(Qt::MouseFocusReason);
        t.w->cboCust->setEditText("A");
        t.key(Qt::Key_Tab);
        QCOMPARE(t.w->txtLedger->text(), QStringLiteral("00001"));
        t.w->AeDate->setText("1/5/2006");
        t.w->setMoneyText(t.w->txtAmt, "$1.00");
        t.w->cboCust->setFocus(Qt::MouseFocusReason);
        t.w->cboCust->setEditText("B");
        t.post();
        QCOMPARE(t.fx.host.messages, QStringList());
        QCOMPARE(QFileInfo(t.ledger("led00001.dat")).size(), 0);
        QCOMPARE(QFileInfo(t.ledger("led00002.dat")).size(), 128);
    }
};

TW_REGISTER_TEST(PostWindowTest)
#include "post_test.moc"
