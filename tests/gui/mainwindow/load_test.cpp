// The main window's start-up and Refresh on a program folder with mapped drives: every phase's
// recovery, where the customer data is looked for, and the two lists in order.
#include "guitestsupport.h"
#include "mainwindow/frmledger.h"
#include "platform/appinfo.h"
#include "settings/settings.h"
#include "sources/database.h"
#include "testregistry.h"
#include "widgets/dateentrybox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QtTest>

using tw::frmLedger;
using tw::test::AppFixture;
using tw::test::readAll;
using tw::test::writeAll;

namespace {

const QString kPathNotSet =
    QStringLiteral("Path not set for location of Ledger Files. Please Repair.");

QByteArray exportRecord(const QByteArray& name) {
    QByteArray rec(206, '.');
    rec.replace(25, 30, name.leftJustified(30, ' ', true));
    return rec;
}

QByteArray exportFile(const QList<QByteArray>& names) {
    QByteArray bytes;
    for (const QByteArray& n : names)
        bytes += exportRecord(n);
    return bytes;
}

QByteArray productFile(int headerCount, const QList<QByteArray>& products) {
    QByteArray bytes = QByteArray::number(headerCount).leftJustified(43, ' ');
    for (const QByteArray& p : products)
        bytes += p.leftJustified(43, ' ', true);
    return bytes;
}

// An interface value: digit, three blanks, folder padded to position 22.
QByteArray qlcust(char digit, const QByteArray& folder) {
    return QByteArray(1, digit) + "   " + folder.leftJustified(18, ' ') + "\r\n";
}

QString pad(const QString& s, int width = 30) {
    return s.leftJustified(width, QLatin1Char(' '));
}

QStringList items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// A program folder whose ledger folder is F:\LEDGER and estimating folder F:\EST, holding an
// interface file for the export in F:\EST\, a few customers and products.
struct Office {
    AppFixture fx;
    QString f; // the directory behind F:
    // Every fixture deletes all top-level windows when it ends, this one's included.
    QPointer<frmLedger> w;

    Office() {
        f = fx.mapDrive('F');
        QDir(f).mkpath("LEDGER");
        QDir(f).mkpath("EST");
        fx.setSetting(tw::settings::kCheck, "0");
        fx.setSetting(tw::settings::kInterface, "0");
        fx.setSetting(tw::settings::kLedger, "F:\\LEDGER");
        fx.setSetting(tw::settings::kEstLoc, "F:\\EST");
        fx.setSetting(tw::settings::kDefTax, "6.5");
        fx.ctx->defaultTax.load();
        writeAll(f + "/EST/QLCUST", qlcust('0', "\\EST\\"));
        writeAll(f + "/EST/QUILLBAR.CLI", exportFile({"zeta Press", "Alpha Print", " hidden",
                                                      "alpha print", "Mid Co", "ALPHA PRINT"}));
        writeAll(f + "/EST/product.dat",
                 productFile(4, {"20 Letterhead", "3  business cards", "100Brochures"}));
    }

    ~Office() {
        // Closed as the operator closes it: the field with the focus is left first.
        if (w) {
            w->close();
            delete w;
        }
    }

    frmLedger* load() {
        w = new frmLedger(fx.ctx->paths, fx.ctx->settings, fx.ctx->defaultTax, fx.host, fx.dialogs);
        w->Form_Load();
        return w;
    }
    const QStringList& messages() const { return fx.host.messages; }
};

// The customers and products the Office folder lists, in list order.
const QStringList kOfficeCustomers = {pad("Alpha Print"), pad("alpha print"), pad("ALPHA PRINT"),
                                      pad("Mid Co"), pad("zeta Press")};
const QStringList kOfficeProducts = {"100-Brochures", "20 -Letterhead", "3  -business cards"};

bool inDateBox(frmLedger* w) {
    QWidget* f = w->focusWidget();
    return f && (f == w->AeDate || w->AeDate->isAncestorOf(f));
}

void checkTextMenus(frmLedger* w) {
    QVERIFY(w->optDos->isChecked());
    QVERIFY(!w->optMil->isChecked());
    QVERIFY(w->mnuText->isChecked() && w->mnuText->isEnabled());
    QVERIFY(!w->mnuDatabase->isChecked() && !w->mnuDatabase->isEnabled());
    QVERIFY(w->mnuEstPath->isEnabled());
}

void checkDatabaseMenus(frmLedger* w) {
    QVERIFY(w->optMil->isChecked());
    QVERIFY(!w->optDos->isChecked());
    QVERIFY(w->mnuDatabase->isChecked() && w->mnuDatabase->isEnabled());
    QVERIFY(!w->mnuText->isChecked() && !w->mnuText->isEnabled());
    QVERIFY(!w->mnuEstPath->isEnabled());
}

} // namespace

class LoadTest : public QObject {
    Q_OBJECT

private slots:
    void textFilesStartUp() {
        Office o;
        frmLedger* w = o.load();
        QVERIFY(w->isVisible());
        QVERIFY(o.messages().isEmpty());
        QCOMPARE(items(w->cboCust), kOfficeCustomers);
        QCOMPARE(items(w->cboProd), kOfficeProducts);
        for (QComboBox* box : {w->cboCust, w->cboProd}) {
            QCOMPARE(box->currentIndex(), -1);
            QCOMPARE(box->currentText(), QString());
        }
        QCOMPARE(w->gLedger, QStringLiteral("F:\\LEDGER"));
        QCOMPARE(w->gA, QStringLiteral("F:\\EST"));
        QCOMPARE(w->txtDefaultTax->text(), QStringLiteral("6.5"));
        QCOMPARE(w->lblVersion->text(), tw::versionText());
        QVERIFY(!w->Check1->isChecked());
        QVERIFY(!w->lblNew->isVisible());
        checkTextMenus(w);
        QCOMPARE(readAll(o.fx.programFile("interface.dat")), QByteArray("0\r\n"));
        QVERIFY(inDateBox(w));
        QCOMPARE(o.fx.host.endRequests, 0);
    }

    void typedNameCompletedFromTheList() {
        Office o;
        frmLedger* w = o.load();
        QVERIFY(tw::test::activate(w));
        w->cboCust->setFocus();
        QTest::keyClicks(w->cboCust->lineEdit(), "mi");
        QCOMPARE(w->cboCust->currentText(), pad("Mid Co"));
    }

    void checkFileTicksOption() {
        Office o;
        o.fx.setSetting(tw::settings::kCheck, "1");
        frmLedger* w = o.load();
        QVERIFY(w->Check1->isChecked());
        QCOMPARE(readAll(o.fx.programFile("Check.Dat")), QByteArray("1\r\n"));
    }

    // A stopped start-up: the message, the window as far as it got, the focus in the date box.
    void folderSettingMissing() {
        Office o;
        o.fx.setSetting(tw::settings::kInterface, "1"); // the menus keep what the mode set
        QFile::remove(o.fx.programFile("Ledger.dat"));
        frmLedger* w = o.load();
        QCOMPARE(o.messages(), QStringList{kPathNotSet});
        QVERIFY(w->isVisible());
        QCOMPARE(w->txtDefaultTax->text(), QString());
        QCOMPARE(w->cboCust->count(), 0);
        QCOMPARE(w->cboProd->count(), 0);
        checkDatabaseMenus(w);
        QCOMPARE(o.fx.host.endRequests, 0);
        QVERIFY(inDateBox(w));
    }

    // Without an interface file the program ends, the products listed before.
    void missingInterfaceFileEndsProgram() {
        Office o;
        QFile::remove(o.f + "/EST/QLCUST");
        frmLedger* w = o.load();
        QCOMPARE(o.messages().size(), 1);
        QCOMPARE(o.fx.host.endRequests, 1);
        QCOMPARE(items(w->cboProd), kOfficeProducts);
    }

    void refreshes() {
        Office o;
        frmLedger* w = o.load();
        w->cboCust->setEditText(pad("Mid Co"));
        w->txtLedger->setText("00012");
        w->lblNew->setVisible(true);
        w->lblRefresh_Click();
        w->lblRefresh_Click();
        QCOMPARE(items(w->cboCust), kOfficeCustomers);
        QCOMPARE(items(w->cboProd), kOfficeProducts);
        // The entry stays; the marker hides.
        QCOMPARE(w->cboCust->currentText(), pad("Mid Co"));
        QCOMPARE(w->txtLedger->text(), QStringLiteral("00012"));
        QVERIFY(w->lblNew->isHidden());
        QVERIFY(o.messages().isEmpty());

        // Another estimating folder takes effect at the next refresh.
        QDir(o.f).mkpath("EST2");
        writeAll(o.f + "/EST2/QLCUST", qlcust('0', "\\EST2\\"));
        writeAll(o.f + "/EST2/QUILLBAR.CLI", exportFile({"New Folder Co"}));
        writeAll(o.f + "/EST2/product.dat", productFile(2, {"N1 New"}));
        o.fx.setSetting(tw::settings::kEstLoc, "F:\\EST2");
        w->lblRefresh_Click();
        QCOMPARE(w->gA, QStringLiteral("F:\\EST2"));
        QCOMPARE(items(w->cboCust), QStringList{pad("New Folder Co")});
        QCOMPARE(items(w->cboProd), QStringList{"N1 -New"});
    }

    void refreshSwitchesMode() {
        Office o;
        o.fx.setSetting(tw::settings::kDbLoc, "F:\\DB\\est.mdb");
        QDir(o.f).mkpath("DB");
        QFile::copy(tw::test::dataFile("est2000.mdb"), o.f + "/DB/est.mdb");
        frmLedger* w = o.load();
        checkTextMenus(w);
        o.fx.setSetting(tw::settings::kInterface, "1");
        w->lblRefresh_Click();
        checkDatabaseMenus(w);
        QCOMPARE(items(w->cboCust).size(), 6);
        // The operator goes back to text files; the lists follow at the next refresh.
        w->optDos->click();
        checkTextMenus(w);
        QCOMPARE(items(w->cboCust).size(), 6);
        QCOMPARE(readAll(o.fx.programFile("interface.dat")), QByteArray("0\r\n"));
        w->lblRefresh_Click();
        QCOMPARE(items(w->cboCust), kOfficeCustomers);
        QVERIFY(o.messages().isEmpty());
    }

    // The database mode from "\interface.dat" 2: the option's click writes 1 back.
    void databaseStartUp() {
        Office o;
        o.fx.setSetting(tw::settings::kInterface, "2");
        QDir(o.f).mkpath("DB");
        QFile::copy(tw::test::dataFile("est2000.mdb"), o.f + "/DB/est.mdb");
        o.fx.setSetting(tw::settings::kDbLoc, "F:\\DB\\est.mdb");
        frmLedger* w = o.load();
        checkDatabaseMenus(w);
        QCOMPARE(readAll(o.fx.programFile("interface.dat")), QByteArray("1\r\n"));
        QCOMPARE(items(w->cboCust).size(), 6);
        QCOMPARE(items(w->cboProd).size(), 5);
        QVERIFY(o.messages().isEmpty());
        QVERIFY(inDateBox(w));
    }

    // Start-up to an idle window with 50,000 customers and a full product file, against the
    // same start-up with empty lists.
    void startUpTime() {
        auto timeStartUp = [](Office& o, int* refreshMs) {
            QElapsedTimer t;
            t.start();
            frmLedger* w = o.load();
            QCoreApplication::processEvents();
            const qint64 ms = t.elapsed();
            QElapsedTimer r;
            r.start();
            w->lblRefresh_Click();
            QCoreApplication::processEvents();
            *refreshMs = int(r.elapsed());
            return ms;
        };

        {
            // The first window of a run also loads fonts and styles: not part of either.
            Office warmUp;
            warmUp.load();
        }
        Office empty;
        writeAll(empty.f + "/EST/QUILLBAR.CLI", "");
        writeAll(empty.f + "/EST/product.dat", productFile(1, {}));
        int emptyRefresh = 0;
        const qint64 emptyMs = timeStartUp(empty, &emptyRefresh);
        QCOMPARE(empty.w->cboCust->count(), 0);

        Office full;
        QByteArray customers;
        customers.reserve(50000 * 206);
        for (int i = 0; i < 50000; ++i) {
            // Shuffled and in mixed case, so the sort has work to do.
            const int n = int((qint64(i) * 7919) % 50000);
            customers += exportRecord((i % 2 ? "Customer " : "CUSTOMER ") +
                                      QByteArray::number(n).rightJustified(5, '0'));
        }
        writeAll(full.f + "/EST/QUILLBAR.CLI", customers);
        QList<QByteArray> products;
        for (int i = 2; i <= 999; ++i)
            products << QByteArray::number(i).rightJustified(3, '0') + "PRODUCT " +
                            QByteArray::number(i);
        writeAll(full.f + "/EST/product.dat", productFile(999, products));
        int fullRefresh = 0;
        const qint64 fullMs = timeStartUp(full, &fullRefresh);
        QCOMPARE(full.w->cboCust->count(), 50000);
        QCOMPARE(full.w->cboProd->count(), 998);
        QCOMPARE(full.w->cboCust->itemText(0), pad("CUSTOMER 00000"));
        QCOMPARE(full.w->cboCust->itemText(49999), pad("Customer 49999"));

        // Opening the list of 50,000 names is quick as well.
        QElapsedTimer p;
        p.start();
        full.w->cboCust->showPopup();
        QCoreApplication::processEvents();
        const qint64 popupMs = p.elapsed();
        full.w->cboCust->hidePopup();
        qInfo("opening the customer list: %lld ms", popupMs);
        QVERIFY2(popupMs < 2000, "opening the customer list takes too long");

        qInfo("start-up to an idle window: empty lists %lld ms, 50,000 customers and 998 "
              "products %lld ms; refresh %d ms and %d ms",
              emptyMs, fullMs, emptyRefresh, fullRefresh);
        QVERIFY2(fullMs < 2000, "the start-up freezes the window too long");
        QVERIFY2(fullRefresh < 2000, "the refresh freezes the window too long");
    }
};

TW_REGISTER_TEST(LoadTest)
#include "load_test.moc"
