#include "guitestsupport.h"
#include "help/frmhelp.h"
#include "testregistry.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace tw;
using namespace tw::test;

namespace {

// Mean absolute difference per colour channel of two images of the same size.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            sum +=
                qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

} // namespace

class HelpTest : public QObject {
    Q_OBJECT
private slots:
    void textsAndLayout();
    void printsOnePageWithTheWindowsImage();
    void cancelledPrinterDialogPrintsNothing();
    void openingTwiceLeavesOneWindow();
};

void HelpTest::textsAndLayout() {
    AppFixture f;
    frmHelp* w = f.windows->openHelp();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("How To Build Customer Database"));
    QCOMPARE(w->lblExport->text(), QStringLiteral("Instructions"));
    QCOMPARE(w->lblInstructHead->text(),
             QStringLiteral("Instructions For DataPro Infinity Customers Only.\r\nFor QuickBooks, "
                            "Use Invoice Transfer Utility.\r\n"));
    QCOMPARE(w->lblInstruct->text(),
             QStringLiteral(
                 "Be certain to identify the path for both your DOS estimating as well as the "
                 "location of your Ledger Files before proceeding.\r\n\r\nFor DataPro Infinity "
                 "Accounting, you will need to run a Dos program called CUSTDUMP.EXE which will "
                 "be found in your EST folder on the server. After you run CUSTDUMP, all "
                 "customers will be placed into a file called QUILLBAR.CLI. The Ledger Tallywork "
                 "uses the QUILLBAR.CLI file for customer access, regardless of your interface.  "
                 "During the running of CUSTDUMP, you will be asked if you wish to change the "
                 "Datapro Interface to one of the other Interfaces, but you only need to hit ESC "
                 "at this point. Thereafter, you will be taken to a re-indexing program followed "
                 "by the Basic A/R program, where you may obtain a list of your customers for "
                 "checking purposes. Now you may run Ledger Tallywork from your Windows Desktop."));
    QCOMPARE(w->cmdPrint->text(), QStringLiteral("Print Instructions"));

    QVERIFY(w->lblExport->font().bold());
    QCOMPARE(w->lblExport->font().pointSizeF(), 24.0);
    QVERIFY(w->lblExport->alignment() & Qt::AlignHCenter);
    QVERIFY(w->lblInstructHead->font().bold());
    QCOMPARE(w->lblInstructHead->font().pointSizeF(), 8.25); // two lines fit as they are
    QVERIFY(!w->lblInstruct->font().bold());
    QVERIFY(w->lblInstruct->wordWrap());

    // The whole instruction text and the keys show in their boxes (the font gives way where
    // it runs wider).
    QVERIFY(w->lblKeys->text().contains("Ctrl+L"));
    for (const QLabel* label : {w->lblInstruct, w->lblKeys}) {
        const QRect needed = QFontMetrics(label->font())
                                 .boundingRect(label->contentsRect(), Qt::TextWordWrap,
                                               QString(label->text()).remove('\r'));
        QVERIFY(needed.height() <= label->height());
    }

    QCOMPARE(w->size(), QSize(312, 403)); // 4680 x 6045 twips
    QCOMPARE(w->lblExport->geometry(), QRect(8, 0, 297, 33));
    QCOMPARE(w->lblInstructHead->geometry(), QRect(16, 40, 289, 25));
    QCOMPARE(w->lblInstruct->geometry(), QRect(16, 72, 289, 225));
    QCOMPARE(w->lblKeys->geometry(), QRect(16, 300, 289, 60));
    QCOMPARE(w->cmdPrint->geometry(), QRect(80, 372, 153, 25));
    const QRect screen = w->screen()->geometry();
    QVERIFY(qAbs(w->frameGeometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(w->frameGeometry().center().y() - screen.center().y()) <= 1);
}

void HelpTest::printsOnePageWithTheWindowsImage() {
    AppFixture f;
    frmHelp* w = f.windows->openHelp();
    QVERIFY(activate(w));
    f.dialogs.acceptPrinter = true;
    f.dialogs.pdfPath = f.tmp.filePath(QStringLiteral("help.pdf"));
    QTest::mouseClick(w->cmdPrint, Qt::LeftButton);
    QCOMPARE(f.dialogs.printerDialogs, 1);
    QVERIFY(QFile::exists(f.dialogs.pdfPath));
    QCOMPARE(pdfPages(f.dialogs.pdfPath), 1);
    QVERIFY(f.host.messages.isEmpty());
    QVERIFY(w->isVisible());

    // The page carries one image: the window's client area at its screen size in pixels, the
    // same picture as a grab of the window (texts and button included).
    const QString prefix = f.tmp.filePath(QStringLiteral("page"));
    runTool(QStringLiteral("pdfimages"), {QStringLiteral("-png"), f.dialogs.pdfPath, prefix});
    const QImage printed(prefix + QStringLiteral("-000.png"));
    QVERIFY2(!printed.isNull(), "no image on the printed page");
    QVERIFY(!QFile::exists(prefix + QStringLiteral("-001.png")));
    const QImage shown = w->grab().toImage();
    QCOMPARE(printed.size(), shown.size());
    QVERIFY2(meanDifference(printed, shown) < 2.0, "the page is not the window's image");

    // The comparison can tell a different window apart: without its instructions the image
    // differs clearly.
    w->lblInstruct->clear();
    const QImage without = w->grab().toImage();
    QVERIFY(meanDifference(printed, without) > 2.0 * meanDifference(printed, shown) + 0.2);

    // Printed at screen size: 312 pixels at 96 DPI are 3.25 inches on the page.
    const QByteArray list =
        runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), f.dialogs.pdfPath});
    const QList<QByteArray> rows = list.split('\n');
    QVERIFY(rows.size() >= 3);
    const QList<QByteArray> cols = rows[2].simplified().split(' ');
    QVERIFY(cols.size() >= 14);
    QCOMPARE(cols[3].toInt(), 312);
    QVERIFY(qAbs(cols[12].toInt() - 96) <= 1); // x-ppi
}

void HelpTest::cancelledPrinterDialogPrintsNothing() {
    AppFixture f;
    frmHelp* w = f.windows->openHelp();
    f.dialogs.acceptPrinter = false;
    f.dialogs.pdfPath = f.tmp.filePath(QStringLiteral("never.pdf"));
    QTest::mouseClick(w->cmdPrint, Qt::LeftButton);
    QCOMPARE(f.dialogs.printerDialogs, 1);
    QVERIFY(!QFile::exists(f.dialogs.pdfPath));
    QVERIFY(f.host.messages.isEmpty());
    QVERIFY(w->isVisible());
    QCOMPARE(f.windows->help(), w);
}

void HelpTest::openingTwiceLeavesOneWindow() {
    AppFixture f;
    frmHelp* first = f.windows->openHelp();
    QVERIFY(QTest::qWaitForWindowActive(first));
    QWidget other;
    other.show();
    QVERIFY(activate(&other));
    frmHelp* second = f.windows->openHelp();
    QCOMPARE(second, first);
    QVERIFY(QTest::qWaitForWindowActive(first));
    QCOMPARE(QApplication::activeWindow(), first);
    QCOMPARE(visibleWindows(QStringLiteral("frmHelp")).size(), 1);
    // Once closed, it opens afresh.
    first->close();
    flushDeletes();
    QVERIFY(!f.windows->help());
    frmHelp* third = f.windows->openHelp();
    QVERIFY(third && third->isVisible());
    QCOMPARE(visibleWindows(QStringLiteral("frmHelp")).size(), 1);
}

TW_REGISTER_TEST(HelpTest)
#include "helptest.moc"
