#include "guitestsupport.h"
#include "mainwindow/frmledger.h"
#include "platform/appinfo.h"
#include "startup/frmpath.h"
#include "startup/frmsplash.h"
#include "testregistry.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QtTest>

using namespace tw;
using namespace tw::test;

class SplashTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartCreatesDefaultTaxAndAsksForBothFolders();
    void timerTicksOnceAfterTwoSeconds();
    void startupDecision_data();
    void startupDecision();
    void keyPressEndsProgramWithoutAnotherWindow();
    void modifierAloneDoesNotEndSplash();
    void windowLayout();
};

void SplashTest::firstStartCreatesDefaultTaxAndAsksForBothFolders() {
    AppFixture f;
    f.mapDrive(QLatin1Char('F')); // with a drive mapped: only the choosers open
    frmSplash* splash = f.windows->showSplash();
    QVERIFY(splash);
    QVERIFY(splash->isVisible());
    QCOMPARE(readAll(f.programFile(QStringLiteral("DefTax.Dat"))), QByteArray("0\r\n"));
    QCOMPARE(f.ctx->defaultTax.value(), QStringLiteral("0"));
    QCOMPARE(splash->lblVersion->text(), versionText());
    QCOMPARE(splash->lblProductName->text(), QStringLiteral("Dazovozera Dozuvo Zudariz"));
    QVERIFY(splash->Timer1->isActive());

    splash->Timer1_Timer();
    QVERIFY(!splash->isVisible());
    frmPath* est = f.windows->pathEst();
    frmPath* led = f.windows->pathLedger();
    QVERIFY(est && led);
    QVERIFY(est->isVisible() && led->isVisible());
    QVERIFY(!f.windows->ledger());
    // The estimating chooser opened last: it is the one in front.
    QVERIFY(QTest::qWaitForWindowActive(est));
    QCOMPARE(QApplication::activeWindow(), est);
    QCOMPARE(est->geometry(), led->geometry()); // same place: it covers the other
    // Nothing chosen yet: the folder files stay absent, and nothing was said.
    QVERIFY(!QFile::exists(f.programFile(QStringLiteral("estloc.dat"))));
    QVERIFY(!QFile::exists(f.programFile(QStringLiteral("Ledger.dat"))));
    QVERIFY(f.host.messages.isEmpty());

    flushDeletes();
    QVERIFY(!f.windows->splash());
}

void SplashTest::timerTicksOnceAfterTwoSeconds() {
    AppFixture f;
    f.setSetting(QStringLiteral("estloc.dat"), QStringLiteral("C:\\EST"));
    frmSplash* splash = f.windows->showSplash();
    QCOMPARE(splash->Timer1->interval(), 2000);
    QVERIFY(splash->Timer1->isSingleShot());
    QTest::qWait(1500);
    QVERIFY(!f.windows->pathLedger()); // a timer never fires early
    QTRY_VERIFY_WITH_TIMEOUT(f.windows->pathLedger() != nullptr, 5000);
    QVERIFY(!f.windows->pathEst());
    flushDeletes();
    QVERIFY(!f.windows->splash());
    QCOMPARE(visibleWindows(QStringLiteral("frmPathLedger")).size(), 1);
}

void SplashTest::startupDecision_data() {
    QTest::addColumn<QByteArray>("estloc"); // "-" = no file
    QTest::addColumn<QByteArray>("ledger");
    QTest::addColumn<bool>("mainWindow");
    QTest::addColumn<bool>("estChooser");
    QTest::addColumn<bool>("ledgerChooser");
    // The folders need not exist: only emptiness decides.
    QTest::newRow("both known") << QByteArray("Q:\\EST\r\n") << QByteArray("Q:\\LEDGER\r\n") << true
                                << false << false;
    QTest::newRow("ledger missing")
        << QByteArray("C:\\EST\r\n") << QByteArray("-") << false << false << true;
    QTest::newRow("ledger empty") << QByteArray("C:\\EST\r\n") << QByteArray("\r\n") << false
                                  << false << true;
    QTest::newRow("est missing") << QByteArray("-") << QByteArray("F:\\LEDGER\r\n") << false << true
                                 << true;
    QTest::newRow("est empty") << QByteArray("\r\n") << QByteArray("F:\\LEDGER\r\n") << false
                               << true << true;
    QTest::newRow("both missing") << QByteArray("-") << QByteArray("-") << false << true << true;
}

void SplashTest::startupDecision() {
    QFETCH(QByteArray, estloc);
    QFETCH(QByteArray, ledger);
    QFETCH(bool, mainWindow);
    QFETCH(bool, estChooser);
    QFETCH(bool, ledgerChooser);
    AppFixture f;
    if (estloc != "-")
        writeAll(f.programFile(QStringLiteral("estloc.dat")), estloc);
    if (ledger != "-")
        writeAll(f.programFile(QStringLiteral("Ledger.dat")), ledger);
    // The main window's loading may run the event loop, which deletes the closed splash.
    QPointer<frmSplash> splash = f.windows->showSplash();
    splash->Timer1_Timer();

    QCOMPARE(f.windows->ledger() != nullptr, mainWindow);
    QCOMPARE(f.windows->pathEst() != nullptr, estChooser);
    QCOMPARE(f.windows->pathLedger() != nullptr, ledgerChooser);
    QCOMPARE(visibleWindows(QStringLiteral("frmSplash")).size(), 0);
    if (!mainWindow) {
        QVERIFY(splash);
        // An unread or empty estimating folder skips the ledger folder's read.
        QCOMPARE(splash->gA, estChooser ? QString() : QStringLiteral("C:\\EST"));
        QVERIFY(splash->gLedger.isEmpty());
        // A second tick (the one-shot timer cannot give one) decides nothing again.
        splash->Timer1_Timer();
        QCOMPARE(visibleWindows(QStringLiteral("frmPathEst")).size(), estChooser ? 1 : 0);
        QCOMPARE(visibleWindows(QStringLiteral("frmPathLedger")).size(), 1);
    }
}

void SplashTest::keyPressEndsProgramWithoutAnotherWindow() {
    AppFixture f;
    frmSplash* splash = f.windows->showSplash();
    QVERIFY(activate(splash));
    QTest::keyClick(splash, Qt::Key_A);
    QVERIFY(!splash->isVisible());
    flushDeletes();
    QVERIFY(!f.windows->splash());
    // Well past the two seconds: the decision never comes, nothing else opens, and with no
    // window left the program ends.
    QTest::qWait(2300);
    QVERIFY(!f.windows->pathEst());
    QVERIFY(!f.windows->pathLedger());
    QVERIFY(!f.windows->ledger());
    QVERIFY(visibleWindows().isEmpty());
}

void SplashTest::modifierAloneDoesNotEndSplash() {
    AppFixture f;
    frmSplash* splash = f.windows->showSplash();
    QVERIFY(activate(splash));
    QTest::keyClick(splash, Qt::Key_Shift);
    QVERIFY(splash->isVisible());
    QVERIFY(splash->Timer1->isActive());
    QTest::keyClick(splash, Qt::Key_Escape);
    QVERIFY(!splash->isVisible());
}

void SplashTest::windowLayout() {
    AppFixture f;
    frmSplash* splash = f.windows->showSplash();
    QCOMPARE(splash->size(), QSize(492, 283)); // 7380 x 4245 twips
    QVERIFY(splash->windowTitle().isEmpty());
    QCOMPARE(splash->lblCompanyProduct->geometry(), QRect(16, 0, 153, 29));
    QCOMPARE(splash->lblProductName->geometry(), QRect(16, 24, 442, 44));
    QCOMPARE(splash->lblPlatform->geometry(), QRect(16, 72, 183, 24));
    QCOMPARE(splash->lblVersion->geometry(), QRect(16, 96, 99, 19));
    QCOMPARE(splash->lblCompany->geometry(), QRect(16, 132, 161, 17));
    // 27.75 pt, smaller only as far as needed for the whole name to show.
    const QFont nameFont = splash->lblProductName->font();
    QVERIFY(nameFont.pointSizeF() <= 27.75 && nameFont.pointSizeF() >= 20);
    QVERIFY(QFontMetrics(nameFont).horizontalAdvance(splash->lblProductName->text()) <=
            splash->lblProductName->width());
    QCOMPARE(splash->lblPlatform->font().pointSizeF(), 15.75);
    QVERIFY(splash->lblProductName->font().bold());
    QVERIFY(!splash->lblCompany->font().bold());
    // Centred on the screen.
    const QRect screen = splash->screen()->geometry();
    QVERIFY(qAbs(splash->frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(splash->frameGeometry().center().y() - screen.center().y()) <= 1);
    // The picture is the program's own, 600 x 407, and not a blank sheet.
    const QImage picture = frmSplash::splashPicture().toImage();
    QCOMPARE(picture.size(), QSize(600, 407));
    QVERIFY(picture.pixel(10, 10) != picture.pixel(300, 260));
}

TW_REGISTER_TEST(SplashTest)
#include "splashtest.moc"
