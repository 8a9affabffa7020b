#include "platform/filesystem.h"
#include "testregistry.h"

#include <QTemporaryDir>
#include <QtTest>

class FileSystemTest : public QObject {
    Q_OBJECT
private slots:
    // A row: the folder, its mount point, and how the mount is described.
    void mountOfAFolder_data() {
        QTest::addColumn<QStringList>("row");
        const auto row = [](const char* name, const QStringList& r) { QTest::newRow(name) << r; };
        const QString noLocks = " record locks do not reach the file server, so two PCs could "
                                "write one ledger at once)";
        row("root", {"/home/ann", "/", "ext4"});
        row("cifs with nobrl",
            {"/srv/office/L", "/srv/office", "cifs (mounted with nobrl:" + noLocks});
        row("a name beginning like a mount", {"/srv/officex", "/srv", "tmpfs"});
        row("nfs4 with its locks", {"/mnt/nfs/l", "/mnt/nfs", "nfs4"});
        row("nfs3 with nolock", {"/mnt/old", "/mnt/old", "nfs (mounted with nolock:" + noLocks});
        row("a blank in the mount point", {"/mnt/with blank/x", "/mnt/with blank", "ext4"});
        row("the later of two mounts on one point", {"/mnt/stack/a", "/mnt/stack", "xfs"});
    }

    void mountOfAFolder() {
        QFETCH(QStringList, row);
        const QByteArray table =
            "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
            "30 22 0:40 / /srv rw - tmpfs tmpfs rw\n"
            "31 30 0:41 / /srv/office rw shared:5 - cifs //server/office rw,vers=3.1.1,nobrl\n"
            "32 22 0:42 / /mnt/nfs rw - nfs4 server:/x rw,vers=4.2,local_lock=none\n"
            "33 22 0:43 / /mnt/old rw - nfs server:/y rw,vers=3,nolock\n"
            "34 22 0:44 / /mnt/with\\040blank rw - ext4 /dev/sdb1 rw\n"
            "35 22 0:45 / /mnt/stack rw - ext4 /dev/sdc1 rw\n"
            "36 35 0:46 / /mnt/stack rw - xfs /dev/sdd1 rw\n";
        const tw::MountOfFolder m = tw::mountFromTable(row[0], table);
        QCOMPARE(m.mountPoint, row[1]);
        QCOMPARE(m.describe(), row[2]);
    }

    // The system's own table names some file system for any folder, made or not.
    void mountOfThisSystem() {
        QTemporaryDir tmp;
        QVERIFY(!tw::mountOfFolder(tmp.filePath("not/made/yet")).type.isEmpty());
    }
};
TW_REGISTER_TEST(FileSystemTest)

#include "filesystemtest.moc"
