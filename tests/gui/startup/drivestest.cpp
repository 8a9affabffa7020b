#include "app/windows.h"
#include "guitestsupport.h"
#include "platform/drivemap.h"
#include "startup/frmdrives.h"
#include "startup/frmpath.h"
#include "startup/frmsplash.h"
#include "testregistry.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

#include <unistd.h>

using namespace tw;
using namespace tw::test;

class DrivesWindowTest : public QObject {
    Q_OBJECT
private slots:
    // A row: dosdevices/ before the window opens ("name>@/target" a link, "name/" a folder),
    // entries made while it is open, the button ("add F", or "change"/"remove" and a row),
    // the folder dialog's answer, the message (contained; empty: none), dosdevices/ after.
    void buttonsWriteTheLinks_data() {
        QTest::addColumn<QStringList>("r");
        QTest::newRow("add") << QStringList{"", "", "add F", "@/g", "", "f:>@/g"};
        QTest::newRow("add a missing folder")
            << QStringList{"", "", "add F", "@/gone", "The folder @/gone does not exist.", ""};
        QTest::newRow("add a letter used meanwhile")
            << QStringList{"", "f:>@/e", "add F", "@/g", "The drive F: is already used", "f:>@/e"};
        QTest::newRow("change") << QStringList{"e:>@/e", "", "change 0", "@/g", "", "e:>@/g"};
        QTest::newRow("remove") << QStringList{
            "e:>@/e x:>@/gone", "", "remove 1", "", "", "e:>@/e"};
        QTest::newRow("not a link") << QStringList{"d:/", "", "remove 0", "", "", "d:/"};
    }

    void buttonsWriteTheLinks() {
        QFETCH(QStringList, r);
        AppFixture f;
        const QString at = f.tmp.path(), dev = f.programFolder + "/dosdevices";
        QVERIFY(QDir().mkpath(at + "/e") && QDir().mkpath(at + "/g"));
        const auto make = [&](const QString& entries) {
            for (const QString& e : entries.split(' ', Qt::SkipEmptyParts)) {
                if (e.endsWith('/'))
                    QDir().mkpath(dev + '/' + e);
                else
                    ::symlink(qPrintable(e.section('>', 1).replace('@', at)),
                              qPrintable(dev + '/' + e.section('>', 0, 0)));
            }
        };
        make(r[0]);
        frmDrives* w = f.windows->openDrives();
        make(r[1]);
        f.dialogs.nextFile = QString(r[3]).replace('@', at);
        const QString op = r[2].section(' ', 0, 0), arg = r[2].section(' ', 1);
        QPushButton* button = op == "add"      ? w->cmdAdd
                              : op == "change" ? w->cmdChange
                                               : w->cmdRemove;
        if (op == "add")
            w->cboLetter->setCurrentIndex(w->cboLetter->findText(arg + ':'));
        else
            QTest::mouseClick(
                w->grdDrives->viewport(), Qt::LeftButton, {},
                w->grdDrives->visualRect(w->grdDrives->model()->index(arg.toInt(), 0)).center());
        QCOMPARE(button->isEnabled(), !r[5].endsWith('/')); // an entry no link is left alone
        QTest::mouseClick(button, Qt::LeftButton);

        QStringList after;
        for (const QFileInfo& fi : QDir(dev).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
            after << fi.fileName() + (fi.isSymLink() ? '>' + fi.symLinkTarget() : "/");
        QCOMPARE(after.join(' ').replace(at, "@"), r[5]);
        QCOMPARE(f.host.messages.join('|').replace(at, "@").contains(r[4]), true);
        QCOMPARE(f.host.messages.size(), r[4].isEmpty() ? 0 : 1);
        // The table shows the map as it now is, with what is wrong with an entry.
        QCOMPARE(w->grdDrives->model()->rowCount(), qsizetype(after.size()));
        if (r[5] == "d:/")
            QCOMPARE(w->grdDrives->model()->index(0, 2).data().toString(), "not a link");
    }

    void firstStartMapsADriveForTheChoosers() {
        AppFixture f;
        const QString share = f.tmp.path() + "/share";
        QVERIFY(QDir().mkpath(share + "/EST"));
        f.windows->showSplash()->Timer1_Timer();
        frmPath* est = f.windows->pathEst();
        frmPath* led = f.windows->pathLedger();
        QCOMPARE(est->drvBox->accessibleName() + '|' + est->dirBox->accessibleName() + '|' +
                     est->Text1->accessibleName(),
                 "Drive|Folder|Location of Corvane Estimator");

        // Said once, then the drive map opens on top of both choosers.
        QTRY_VERIFY(f.windows->drives());
        QCOMPARE(f.host.messages, QStringList{kNoDrivesMapped});
        QVERIFY(QTest::qWaitForWindowActive(f.windows->drives()));
        f.dialogs.nextFile = share;
        QTest::mouseClick(f.windows->drives()->cmdAdd, Qt::LeftButton); // F: is offered first
        QTest::mouseClick(f.windows->drives()->cmdClose, Qt::LeftButton);
        flushDeletes();

        // Both choosers read their drive lists again and show the drive just mapped.
        QCOMPARE(est->drive() + led->drive() + est->Text1->text(), "F:F:F:\\");
        QVERIFY(est->setDirPath("F:\\EST"));
        QTest::mouseClick(est->cmdPath, Qt::LeftButton);
        QCOMPARE(readAll(f.programFile("estloc.dat")), QByteArray("F:\\EST\r\n"));
        QTest::mouseClick(led->cmdDrives, Qt::LeftButton);
        QVERIFY(f.windows->drives() && f.windows->drives()->isVisible());
        QCOMPARE(f.host.messages.size(), 1);
    }
};

TW_REGISTER_TEST(DrivesWindowTest)
#include "drivestest.moc"
