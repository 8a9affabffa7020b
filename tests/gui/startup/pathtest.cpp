#include "guitestsupport.h"
#include "startup/frmpath.h"
#include "startup/frmsplash.h"
#include "testregistry.h"
#include "widgets/geometry.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace tw;
using namespace tw::test;

namespace {

QTreeWidgetItem* findItem(QTreeWidget* tree, const QString& text) {
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

QPoint itemCentre(QTreeWidget* tree, QTreeWidgetItem* item) {
    return tree->visualItemRect(item).center();
}

// A real double-click: press and release, then the double-click and its release (QTest's
// mouseDClick alone sends only the double-click event).
void doubleClick(QTreeWidget* tree, QTreeWidgetItem* item) {
    const QPoint at = itemCentre(tree, item);
    QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, at);
}

void chooseDrive(frmPath* w, QChar letter) {
    const int index = w->drvBox->findData(QVariant(QString(letter)));
    QVERIFY2(index >= 0, "drive not listed");
    w->drvBox->setCurrentIndex(index);
    emit w->drvBox->activated(index); // as the operator's choice in the list
}

} // namespace

class PathChooserTest : public QObject {
    Q_OBJECT
private slots:
    void twinsDifferOnlyByTheirTable_data();
    void twinsDifferOnlyByTheirTable();
    void presetFromSavedFolder_data();
    void presetFromSavedFolder();
    void savedFolderThatNoLongerExists();
    void unusableSettingLeavesInitialState_data();
    void unusableSettingLeavesInitialState();
    void continueStoresOnlyDriveQualifiedText_data();
    void continueStoresOnlyDriveQualifiedText();
    void closeBoxStoresNothing();
    void doubleClickOpensFolderSingleClickDoesNot();
    void unreadableDriveKeepsPreviousChoice();
    void drivesComeFromTheDriveMap();
    void bothChoosersAtStartup();
    void openingAgainBringsToFront();
    void centerForm();
};

void PathChooserTest::twinsDifferOnlyByTheirTable_data() {
    QTest::addColumn<bool>("est");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("label2");
    QTest::addColumn<QString>("label3");
    QTest::addColumn<QString>("label1");
    const QString intro = QStringLiteral(
        "Instructions: The Quillbar Historical Ledger program is designed to make it easy and "
        "fast to view past invoicing activity for virtually all of your customers. ");
    QTest::newRow("estimating")
        << true << "frmPathEst"
        << "Est Path"
        << "Click on Drive followed by Double Click on Folder Where Est Resides. Results are "
           "shown below."
        << "Location of Corvane Estimator"
        << intro + "Please identify location of your EST Folder in order to provide Customer "
                   "List.";
    QTest::newRow("ledger")
        << false << "frmPathLedger"
        << "Ledger Path"
        << "Click on Drive followed by Double Click on Folder Where Historical Ledger Resides. "
           "Results are shown below."
        << "Location of Historical Ledger"
        << intro + "Please identify location of your LEDGER data. Note that this may be in a "
                   "separate folder, a different drive, etc.";
}

void PathChooserTest::twinsDifferOnlyByTheirTable() {
    QFETCH(bool, est);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, label2);
    QFETCH(QString, label3);
    QFETCH(QString, label1);
    AppFixture f;
    frmPath* w = est ? f.windows->openPathEst() : f.windows->openPathLedger();
    QCOMPARE(w->objectName(), name);
    QCOMPARE(w->windowTitle(), title);
    QCOMPARE(w->Label2->text(), label2);
    QCOMPARE(w->Label3->text(), label3);
    QCOMPARE(w->Label1->text(), label1);
    QCOMPARE(w->Label4->text(),
             QStringLiteral("If the location above is correct, click the continue button below."));
    QCOMPARE(w->cmdPath->text(), QStringLiteral("Continue"));
    QCOMPARE(w->Text1->text(), QStringLiteral("No Folder Selected"));

    // Client area 4695 x 5520 twips; controls at their twips positions (15 twips a pixel).
    QCOMPARE(w->size(), QSize(313, 368));
    QCOMPARE(w->Label2->geometry(), QRect(40, 8, 217, 41));
    QCOMPARE(w->drvBox->geometry(), QRect(40, 56, 217, 21));
    QCOMPARE(w->dirBox->geometry(), QRect(40, 80, 217, 81));
    QCOMPARE(w->Label3->geometry(), QRect(40, 160, 217, 17));
    QCOMPARE(w->Text1->geometry(), QRect(40, 176, 217, 19));
    QCOMPARE(w->Label4->geometry(), QRect(40, 200, 217, 25));
    QCOMPARE(w->cmdPath->geometry(), QRect(104, 232, 81, 17));
    QCOMPARE(w->Label1->geometry(), QRect(24, 256, 257, 129));
    QVERIFY(w->Text1->font().bold());
    QCOMPARE(w->Text1->font().pointSizeF(), 9.75);
    QVERIFY(w->cmdPath->font().bold());
    QVERIFY(w->Label1->font().bold());
    QCOMPARE(w->palette().color(QPalette::Window), QColor(226, 226, 216));
    for (const char* control : {"Image1", "Line1", "Line2", "Line3"})
        QVERIFY2(w->findChild<QWidget*>(QString::fromLatin1(control)), control);
}

void PathChooserTest::presetFromSavedFolder_data() {
    QTest::addColumn<bool>("est");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("shown"); // the folder's DOS form as on disk
    QTest::newRow("estimating") << true << "F:\\EST"
                                << "F:\\EST";
    QTest::newRow("ledger") << false << "F:\\EST\\LEDGER"
                            << "F:\\EST\\LEDGER";
    QTest::newRow("other case") << true << "f:\\est"
                                << "F:\\EST";
}

void PathChooserTest::presetFromSavedFolder() {
    QFETCH(bool, est);
    QFETCH(QString, saved);
    QFETCH(QString, shown);
    AppFixture f;
    const QString root = f.mapDrive(QLatin1Char('F'));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/EST/LEDGER")));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/EST/QUOTES")));
    f.setSetting(est ? QStringLiteral("estloc.dat") : QStringLiteral("Ledger.dat"), saved);

    frmPath* w = est ? f.windows->openPathEst() : f.windows->openPathLedger();
    QCOMPARE(w->drive(), QStringLiteral("F:"));
    QCOMPARE(w->drvBox->currentData().toString(), QStringLiteral("F"));
    QCOMPARE(w->dirPath(), shown);
    QCOMPARE(w->Text1->text(), saved); // the path box shows the value as saved
    QCOMPARE(est ? w->gA : w->gLedger, saved);
    QVERIFY((est ? w->gLedger : w->gA).isEmpty());
    QCOMPARE(w->colonPos, qint16(2));
    // The tree: the root, the folders down to the open one, and the open one's subfolders.
    QVERIFY(findItem(w->dirBox, QStringLiteral("F:\\")));
    QVERIFY(findItem(w->dirBox, QStringLiteral("EST")));
    if (shown == QLatin1String("F:\\EST")) {
        QVERIFY(findItem(w->dirBox, QStringLiteral("LEDGER")));
        QVERIFY(findItem(w->dirBox, QStringLiteral("QUOTES")));
    } else {
        QVERIFY(!findItem(w->dirBox, QStringLiteral("QUOTES"))); // a sibling is not listed
    }
    QVERIFY(f.host.messages.isEmpty());
}

void PathChooserTest::savedFolderThatNoLongerExists() {
    AppFixture f;
    const QString root = f.mapDrive(QLatin1Char('D'));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/NEW")));
    f.setSetting(QStringLiteral("estloc.dat"), QStringLiteral("D:\\OLD"));
    frmPath* w = f.windows->openPathEst();
    // The drive is set, tree and path box at the drive's current folder, value forgotten.
    QCOMPARE(w->drive(), QStringLiteral("D:"));
    QCOMPARE(w->dirPath(), QStringLiteral("D:\\"));
    QCOMPARE(w->Text1->text(), QStringLiteral("D:\\"));
    QVERIFY(w->gA.isEmpty());
    QVERIFY(findItem(w->dirBox, QStringLiteral("NEW")));
    QVERIFY(f.host.messages.isEmpty());
    // The file is left as it was.
    QCOMPARE(readAll(f.programFile(QStringLiteral("estloc.dat"))), QByteArray("D:\\OLD\r\n"));
}

void PathChooserTest::unusableSettingLeavesInitialState_data() {
    QTest::addColumn<QByteArray>("content"); // "-" = no file
    QTest::addColumn<QString>("kept");
    QTest::newRow("missing") << QByteArray("-") << "";
    QTest::newRow("no characters") << QByteArray() << "";
    QTest::newRow("empty line") << QByteArray("\r\n") << "";
    QTest::newRow("drive without mapping") << QByteArray("Q:\\EST\r\n") << "";
    QTest::newRow("network path") << QByteArray("\\\\server\\est\r\n") << "\\\\server\\est";
}

void PathChooserTest::unusableSettingLeavesInitialState() {
    QFETCH(QByteArray, content);
    QFETCH(QString, kept);
    AppFixture f;
    f.mapDrive(QLatin1Char('F'));
    if (content != "-")
        writeAll(f.programFile(QStringLiteral("Ledger.dat")), content);
    frmPath* w = f.windows->openPathLedger();
    QCOMPARE(w->Text1->text(), QStringLiteral("No Folder Selected"));
    QCOMPARE(w->gLedger, kept);
    QVERIFY(!w->drive().isEmpty());
    QVERIFY(!w->dirPath().isEmpty()); // the current drive's current folder
    QVERIFY(f.host.messages.isEmpty());
    QCOMPARE(QFile::exists(f.programFile(QStringLiteral("Ledger.dat"))), content != "-");
}

void PathChooserTest::continueStoresOnlyDriveQualifiedText_data() {
    QTest::addColumn<bool>("est");
    QTest::addColumn<QString>("typed");     // "*" = leave the initial text
    QTest::addColumn<QByteArray>("stored"); // "-" = no file written
    QTest::addColumn<QString>("refusal");   // a message naming this; the chooser stays open
    QTest::newRow("no folder selected") << true << "*" << QByteArray("-") << "";
    QTest::newRow("empty") << true << "" << QByteArray("-") << "";
    QTest::newRow("network path") << false << "\\\\server\\ledger" << QByteArray("-") << "";
    QTest::newRow("typed, not existing")
        << true << "G:\\NOWHERE\\EST" << QByteArray("G:\\NOWHERE\\EST\r\n") << "";
    QTest::newRow("typed ledger") << false << "F:\\LEDGER" << QByteArray("F:\\LEDGER\r\n") << "";
    QTest::newRow("colon anywhere") << false << "ab:cd" << QByteArray("ab:cd\r\n") << "";
    QTest::newRow("trailing blanks")
        << false << "F:\\LEDGER   " << QByteArray("F:\\LEDGER\r\n") << "";
    QTest::newRow("comma, quoted to read back whole")
        << false << "F:\\LEDGER,2007" << QByteArray("\"F:\\LEDGER,2007\"\r\n") << "";
    QTest::newRow("outside Windows-1252")
        << true << u"F:\\\u5BA2\u6237"_qs << QByteArray("-") << u"\u5BA2"_qs;
}

void PathChooserTest::continueStoresOnlyDriveQualifiedText() {
    QFETCH(bool, est);
    QFETCH(QString, typed);
    QFETCH(QByteArray, stored);
    QFETCH(QString, refusal);
    AppFixture f;
    frmPath* w = est ? f.windows->openPathEst() : f.windows->openPathLedger();
    QVERIFY(activate(w));
    if (typed != QLatin1String("*")) {
        w->Text1->setFocus();
        w->Text1->selectAll();
        QTest::keyClick(w->Text1, Qt::Key_Delete);
        // Key events carry Latin-1 only; other characters come as an input method gives them.
        if (typed == QString::fromLatin1(typed.toLatin1()))
            QTest::keyClicks(w->Text1, typed);
        else
            w->Text1->insert(typed);
        QCOMPARE(w->Text1->text(), typed);
    }
    QTest::mouseClick(w->cmdPath, Qt::LeftButton);
    const QString file =
        f.programFile(est ? QStringLiteral("estloc.dat") : QStringLiteral("Ledger.dat"));
    if (stored == "-")
        QVERIFY(!QFile::exists(file));
    else
        QCOMPARE(readAll(file), stored);
    if (!refusal.isEmpty()) {
        QCOMPARE(f.host.messages.size(), 1);
        QVERIFY2(f.host.messages[0].contains(refusal), qPrintable(f.host.messages[0]));
        QVERIFY(w->isVisible());
        w->close();
    } else {
        QVERIFY(!w->isVisible()); // closes in every other case
        QVERIFY(f.host.messages.isEmpty());
    }
    flushDeletes();
    QVERIFY(!(est ? f.windows->pathEst() : f.windows->pathLedger()));
}

void PathChooserTest::closeBoxStoresNothing() {
    AppFixture f;
    const QString root = f.mapDrive(QLatin1Char('F'));
    QDir().mkpath(root + QStringLiteral("/EST"));
    frmPath* w = f.windows->openPathEst();
    QVERIFY(w->setDrive(QStringLiteral("F:")));
    QVERIFY(w->setDirPath(QStringLiteral("F:\\EST")));
    QCOMPARE(w->Text1->text(), QStringLiteral("F:\\EST"));
    QVERIFY(w->close());
    QVERIFY(!QFile::exists(f.programFile(QStringLiteral("estloc.dat"))));
}

void PathChooserTest::doubleClickOpensFolderSingleClickDoesNot() {
    AppFixture f;
    const QString root = f.mapDrive(QLatin1Char('F'));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/Est/Sub")));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/LEDGER")));
    frmPath* w = f.windows->openPathEst();
    QVERIFY(activate(w));
    chooseDrive(w, QLatin1Char('F'));
    QCOMPARE(w->Text1->text(), QStringLiteral("F:\\"));

    QTreeWidgetItem* item = findItem(w->dirBox, QStringLiteral("Est"));
    QVERIFY(item);
    QTest::mouseClick(w->dirBox->viewport(), Qt::LeftButton, {}, itemCentre(w->dirBox, item));
    QCOMPARE(w->dirBox->currentItem(), item);
    QCOMPARE(w->Text1->text(), QStringLiteral("F:\\")); // selected, not opened

    doubleClick(w->dirBox, item);
    QCOMPARE(w->Text1->text(), QStringLiteral("F:\\Est"));
    QCOMPARE(w->dirPath(), QStringLiteral("F:\\Est"));
    QVERIFY(findItem(w->dirBox, QStringLiteral("Sub")));
    QVERIFY(!findItem(w->dirBox, QStringLiteral("LEDGER")));

    // Enter opens the selected folder too; the root goes back up.
    w->dirBox->setFocus();
    w->dirBox->setCurrentItem(findItem(w->dirBox, QStringLiteral("Sub")));
    QTest::keyClick(w->dirBox, Qt::Key_Return);
    QCOMPARE(w->Text1->text(), QStringLiteral("F:\\Est\\Sub"));
    QTreeWidgetItem* top = findItem(w->dirBox, QStringLiteral("F:\\"));
    doubleClick(w->dirBox, top);
    QCOMPARE(w->Text1->text(), QStringLiteral("F:\\"));

    // What was opened last is what "Continue" stores.
    doubleClick(w->dirBox, findItem(w->dirBox, QStringLiteral("LEDGER")));
    QTest::mouseClick(w->cmdPath, Qt::LeftButton);
    QCOMPARE(readAll(f.programFile(QStringLiteral("estloc.dat"))), QByteArray("F:\\LEDGER\r\n"));
}

void PathChooserTest::unreadableDriveKeepsPreviousChoice() {
    AppFixture f;
    const QString froot = f.mapDrive(QLatin1Char('F'));
    QDir().mkpath(froot + QStringLiteral("/EST"));
    const QString groot = f.mapDrive(QLatin1Char('G'));
    f.setSetting(QStringLiteral("estloc.dat"), QStringLiteral("F:\\EST"));
    frmPath* w = f.windows->openPathEst();
    QCOMPARE(w->Text1->text(), QStringLiteral("F:\\EST"));
    // The drive goes away after the list was filled (a removable drive taken out).
    QVERIFY(QDir(groot).removeRecursively());
    chooseDrive(w, QLatin1Char('G'));
    QCOMPARE(f.host.messages.size(), 1);
    QVERIFY(f.host.messages.first().contains(QStringLiteral("G:")));
    QCOMPARE(w->drive(), QStringLiteral("F:"));
    QCOMPARE(w->drvBox->currentData().toString(), QStringLiteral("F"));
    QCOMPARE(w->dirPath(), QStringLiteral("F:\\EST"));
    QCOMPARE(w->Text1->text(), QStringLiteral("F:\\EST"));
}

void PathChooserTest::drivesComeFromTheDriveMap() {
    AppFixture f;
    f.mapDrive(QLatin1Char('F'));
    f.mapDrive(QLatin1Char('C'));
    frmPath* w = f.windows->openPathLedger();
    QStringList letters;
    for (int i = 0; i < w->drvBox->count(); ++i)
        letters << w->drvBox->itemData(i).toString();
    QCOMPARE(letters, QStringList({"C", "F", "Z"}));
    chooseDrive(w, QLatin1Char('F'));
    QCOMPARE(w->Text1->text(), QStringLiteral("F:\\"));
    // Z: is the whole file system; the working folder lies on it, so Z: starts there.
    chooseDrive(w, QLatin1Char('Z'));
    QCOMPARE(w->drive(), QStringLiteral("Z:"));
    QCOMPARE(w->Text1->text(), QStringLiteral("Z:") + QDir::currentPath().replace('/', '\\'));
    QVERIFY(f.host.messages.isEmpty());
}

void PathChooserTest::bothChoosersAtStartup() {
    AppFixture f;
    const QString root = f.mapDrive(QLatin1Char('F'));
    QDir().mkpath(root + QStringLiteral("/EST"));
    QDir().mkpath(root + QStringLiteral("/LEDGER"));
    f.windows->showSplash()->Timer1_Timer();
    frmPath* est = f.windows->pathEst();
    frmPath* led = f.windows->pathLedger();
    QVERIFY(est && led);
    QVERIFY(QTest::qWaitForWindowActive(est));
    QCOMPARE(QApplication::activeWindow(), est);

    chooseDrive(est, QLatin1Char('F'));
    QVERIFY(est->setDirPath(QStringLiteral("F:\\EST")));
    QTest::mouseClick(est->cmdPath, Qt::LeftButton);
    flushDeletes();
    QVERIFY(!f.windows->pathEst());
    QVERIFY(led->isVisible()); // the ledger chooser beneath is there to be seen
    QCOMPARE(visibleWindows(), QList<QWidget*>({led}));
    QCOMPARE(readAll(f.programFile(QStringLiteral("estloc.dat"))), QByteArray("F:\\EST\r\n"));

    QVERIFY(activate(led));
    chooseDrive(led, QLatin1Char('F'));
    QVERIFY(led->setDirPath(QStringLiteral("F:\\LEDGER")));
    QTest::mouseClick(led->cmdPath, Qt::LeftButton);
    flushDeletes();
    QVERIFY(!f.windows->pathLedger());
    QVERIFY(visibleWindows().isEmpty()); // nothing further opens: the program ends
    QCOMPARE(readAll(f.programFile(QStringLiteral("Ledger.dat"))), QByteArray("F:\\LEDGER\r\n"));
}

void PathChooserTest::openingAgainBringsToFront() {
    AppFixture f;
    frmPath* est = f.windows->openPathEst();
    frmPath* led = f.windows->openPathLedger();
    QVERIFY(QTest::qWaitForWindowActive(led));
    est->Text1->setText(QStringLiteral("C:\\TYPED")); // what the operator has typed stays
    QCOMPARE(f.windows->openPathEst(), est);
    QVERIFY(QTest::qWaitForWindowActive(est));
    QCOMPARE(QApplication::activeWindow(), est);
    QCOMPARE(est->Text1->text(), QStringLiteral("C:\\TYPED"));
    QCOMPARE(visibleWindows(QStringLiteral("frmPathEst")).size(), 1);
    QCOMPARE(visibleWindows(QStringLiteral("frmPathLedger")).size(), 1);
}

void PathChooserTest::centerForm() {
    QWidget w;
    w.resize(201, 100);
    w.move(0, 0);
    w.show();
    tw::centreOnScreen(&w);
    const QRect screen = w.screen()->geometry();
    const QRect frame = w.frameGeometry();
    QCOMPARE(w.size(), QSize(201, 100)); // keeps its size
    QVERIFY(qAbs((frame.left() - screen.left()) - (screen.right() - frame.right())) <= 1);
    QVERIFY(qAbs((frame.top() - screen.top()) - (screen.bottom() - frame.bottom())) <= 1);
}

TW_REGISTER_TEST(PathChooserTest)
#include "pathtest.moc"
