// A drive's folder is remembered between lookups: whatever changes in the drive map while the
// program runs, the next lookup must name the folder the drive leads to now.
#include "platform/dospath.h"
#include "testregistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class DriveRootTest : public QObject {
    Q_OBJECT

private slots:
    void followsTheDriveMapAsItChanges() {
        QTemporaryDir tmp;
        const QString base = QFileInfo(tmp.path()).canonicalFilePath();
        const QString link = base + "/prog/dosdevices/f:";
        QVERIFY(QDir().mkpath(base + "/prog/dosdevices"));
        QVERIFY(QDir().mkpath(base + "/one"));
        QVERIFY(QDir().mkpath(base + "/two"));
        QVERIFY(QFile::link(base + "/one", link));
        const tw::DosPaths paths(base + "/prog");
        const tw::DosPaths copy = paths;
        QCOMPARE(paths.toNative("F:\\x.dat"), base + "/one/x.dat");
        QCOMPARE(copy.toNative("F:\\x.dat"), base + "/one/x.dat");

        // The link is pointed at another folder.
        QVERIFY(QFile::remove(link));
        QVERIFY(QFile::link(base + "/two", link));
        QCOMPARE(paths.toNative("F:\\x.dat"), base + "/two/x.dat");
        QCOMPARE(copy.driveRoot('F'), base + "/two");

        // The folder itself is renamed and the link follows it: same folder, new name.
        QVERIFY(QDir(base).rename("two", "three"));
        QVERIFY(QFile::remove(link));
        QVERIFY(QFile::link(base + "/three", link));
        QCOMPARE(paths.driveRoot('F'), base + "/three");

        // Another folder takes the old name: the link leads to it, not to the one before.
        QVERIFY(QDir(base).rename("three", "old"));
        QVERIFY(QDir().mkpath(base + "/three"));
        QCOMPARE(paths.driveRoot('F'), base + "/three");
        QVERIFY(QFile::remove(base + "/prog/dosdevices/f:"));
        QVERIFY(QFile::link(base + "/old", link));
        QCOMPARE(paths.driveRoot('F'), base + "/old");

        // The link leads nowhere, then is removed.
        QVERIFY(QDir(base + "/old").removeRecursively());
        QCOMPARE(paths.driveRoot('F'), QString());
        QVERIFY(QFile::remove(link));
        QCOMPARE(paths.driveRoot('F'), QString());
        QCOMPARE(paths.toNative("F:\\x.dat"), QString());
    }
};
TW_REGISTER_TEST(DriveRootTest)

#include "driveroottest.moc"
