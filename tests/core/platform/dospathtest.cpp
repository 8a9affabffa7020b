#include "platform/dospath.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "testregistry.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// A program folder whose dosdevices/ maps c: and f: to folders of a temporary tree, and
// g: to a folder inside f:'s.
class DosPathTest : public QObject {
    Q_OBJECT
    QTemporaryDir tmp_;
    QString base_, prog_, cRoot_, fRoot_;

    static void touch(const QString& path) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        base_ = QFileInfo(tmp_.path()).canonicalFilePath();
        prog_ = base_ + "/prog";
        cRoot_ = base_ + "/drive_c";
        fRoot_ = base_ + "/drive_f";
        QVERIFY(QDir().mkpath(prog_ + "/dosdevices"));
        QVERIFY(QDir().mkpath(cRoot_));
        QVERIFY(QDir().mkpath(fRoot_ + "/LEDGER/Sub Dir"));
        touch(fRoot_ + "/LEDGER/WIP.DAT");
        QVERIFY(QFile::link(cRoot_, prog_ + "/dosdevices/c:"));
        // A relative link, as Wine writes them.
        QVERIFY(QFile::link("../../drive_f", prog_ + "/dosdevices/f:"));
        QVERIFY(QFile::link(fRoot_ + "/LEDGER", prog_ + "/dosdevices/g:"));
        // A link that leads nowhere is no mapping.
        QVERIFY(QFile::link(base_ + "/gone", prog_ + "/dosdevices/h:"));
    }

    // Only A to Z followed by a colon names a drive.
    void driveOfAPath_data() {
        QTest::addColumn<QString>("dos");
        QTest::addColumn<QString>("drive"); // "" for none
        QTest::newRow("folder") << "F:\\EST"
                                << "F";
        QTest::newRow("small letter, drive alone") << "f:"
                                                   << "F";
        QTest::newRow("accented letter") << u"\u00c9:\\EST"_qs << "";
        QTest::newRow("dotless i, whose capital is I") << u"\u0131:\\EST"_qs << "";
        QTest::newRow("digit") << "1:\\EST"
                               << "";
        QTest::newRow("no colon") << "F\\EST"
                                  << "";
        QTest::newRow("network name") << "\\\\server\\est"
                                      << "";
    }
    void driveOfAPath() {
        QFETCH(QString, dos);
        QFETCH(QString, drive);
        const QChar d = tw::driveOf(dos);
        QCOMPARE(d.isNull() ? QString() : QString(d), drive);
    }

    void joiningPutsOneBackslash_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("joined");
        QTest::newRow("root") << "F:\\"
                              << "F:\\EST";
        QTest::newRow("folder") << "F:\\DATA"
                                << "F:\\DATA\\EST";
    }
    void joiningPutsOneBackslash() {
        QFETCH(QString, folder);
        QFETCH(QString, joined);
        QCOMPARE(tw::joinDos(folder, "EST"), joined);
    }

    void mapsDrivesThroughDosdevices() {
        tw::DosPaths p(prog_);
        QCOMPARE(p.driveRoot('F'), fRoot_);
        QCOMPARE(p.driveRoot('f'), fRoot_);
        QCOMPARE(p.driveRoot('C'), cRoot_);
        QCOMPARE(p.driveRoot('Z'), QStringLiteral("/"));
        QCOMPARE(p.driveRoot('Q'), QString());
        QCOMPARE(p.driveRoot('H'), QString());
        QCOMPARE(p.drives(), (QList<QChar>{'C', 'F', 'G', 'Z'}));
    }

    void convertsSeparatorsAndMatchesCase() {
        tw::DosPaths p(prog_);
        // The estimating system wrote WIP.DAT; the program asks for \Wip.Dat.
        QCOMPARE(p.toNative("F:\\LEDGER\\Wip.Dat"), fRoot_ + "/LEDGER/WIP.DAT");
        QCOMPARE(p.toNative("f:\\ledger\\wip.dat"), fRoot_ + "/LEDGER/WIP.DAT");
        QCOMPARE(p.toNative("F:\\\\Ledger\\\\\\sub dir"), fRoot_ + "/LEDGER/Sub Dir");
        QCOMPARE(p.toNative("F:/ledger/./WIP.DAT"), fRoot_ + "/LEDGER/WIP.DAT");
        QCOMPARE(p.toNative("F:\\LEDGER"), fRoot_ + "/LEDGER");
        QCOMPARE(p.toNative("F:"), fRoot_);
        QCOMPARE(p.toNative("F:\\..\\..\\LEDGER"), fRoot_ + "/LEDGER");
    }

    void newFilesKeepTheNameAsWritten() {
        tw::DosPaths p(prog_);
        QCOMPARE(p.toNative("F:\\ledger\\led00013.dat"), fRoot_ + "/LEDGER/led00013.dat");
        // Below a missing folder nothing is looked up.
        QCOMPARE(p.toNative("F:\\ledger\\NoSuch\\Wip.Dat"), fRoot_ + "/LEDGER/NoSuch/Wip.Dat");
    }

    void zDriveAndPathsWithoutDrive() {
        tw::DosPaths p(prog_);
        QCOMPARE(p.toNative("Z:\\"), QStringLiteral("/"));
        const QString dos = "Z:" + QString(fRoot_).replace('/', '\\') + "\\ledger\\wip.dat";
        QCOMPARE(p.toNative(dos), fRoot_ + "/LEDGER/WIP.DAT");
        QCOMPARE(p.toNative(QString(fRoot_).replace('/', '\\') + "\\LEDGER"), fRoot_ + "/LEDGER");
    }

    void unmappedDriveGivesNoPath() {
        tw::DosPaths p(prog_);
        QCOMPARE(p.toNative("Q:\\EST\\product.dat"), QString());
        QCOMPARE(p.toNative("H:\\EST"), QString());
        // A program folder without dosdevices/ still has Z:.
        tw::DosPaths bare(base_ + "/drive_c");
        QCOMPARE(bare.toNative("C:\\x"), QString());
        QCOMPARE(bare.drives(), QList<QChar>{'Z'});
        QCOMPARE(bare.toNative("Z:\\tmp"), QStringLiteral("/tmp"));
    }

    // A control character ends no DOS path; a NUL would cut the name the system sees, so the
    // text names no file at all.
    void controlCharactersGiveNoPath_data() {
        QTest::addColumn<QString>("dos");
        QTest::newRow("NUL after the index")
            << QString("F:\\LEDGER\\ledger.ndx") + QChar(0) + "\\led00081.dat";
        QTest::newRow("NUL in the folder") << QString("F:\\LED") + QChar(0) + "GER";
        QTest::newRow("tab") << "F:\\LEDGER\t\\WIP.DAT";
        QTest::newRow("line feed") << "F:\\LEDGER\n";
        QTest::newRow("DEL") << "F:\\LEDGER\x7f";
        QTest::newRow("without a drive") << QString("\\LEDGER") + QChar(1);
    }
    void controlCharactersGiveNoPath() {
        QFETCH(QString, dos);
        tw::DosPaths p(prog_);
        QCOMPARE(p.toNative(dos), QString());
    }

    void listedZReplacesTheRoot() {
        QTemporaryDir other;
        const QString prog = other.path() + "/p";
        QVERIFY(QDir().mkpath(prog + "/dosdevices"));
        QVERIFY(QFile::link(cRoot_, prog + "/dosdevices/z:"));
        tw::DosPaths p(prog);
        QCOMPARE(p.toNative("Z:\\x.dat"), cRoot_ + "/x.dat");
        QCOMPARE(p.toDos("/usr"), QString());
    }

    void toDosPrefersTheLongestMapping() {
        tw::DosPaths p(prog_);
        QCOMPARE(p.toDos(fRoot_ + "/LEDGER/Sub Dir"), QStringLiteral("G:\\Sub Dir"));
        QCOMPARE(p.toDos(fRoot_ + "/LEDGER"), QStringLiteral("G:\\"));
        QCOMPARE(p.toDos(fRoot_), QStringLiteral("F:\\"));
        QCOMPARE(p.toDos(cRoot_ + "/EST/"), QStringLiteral("C:\\EST"));
        // Through the link itself the same folder is found.
        QCOMPARE(p.toDos(prog_ + "/dosdevices/f:/LEDGER/Sub Dir"), QStringLiteral("G:\\Sub Dir"));
        // Only Z: covers the rest; a sibling whose name merely begins alike is not under f:.
        QCOMPARE(p.toDos(fRoot_ + "x"), "Z:" + QString(fRoot_ + "x").replace('/', '\\'));
        QCOMPARE(p.toDos("/"), QStringLiteral("Z:\\"));
        QCOMPARE(p.toDos(QString()), QString());
        // And the DOS form leads back to the folder.
        QCOMPARE(p.toNative(p.toDos(fRoot_ + "/LEDGER/Sub Dir")), fRoot_ + "/LEDGER/Sub Dir");
    }

    // A file opened by its DOS path is the one the mapping names, whether it is found at once
    // through the drive's entry or only by the full look (another case, an upper-case entry, a
    // drive listed nowhere), and a missing one is created under the name as written.
    void opensTheFileTheMappingNames_data() {
        QTest::addColumn<QString>("dos");
        QTest::addColumn<QString>("expected"); // below the temporary tree; empty: refused
        QTest::newRow("as written") << "F:\\LEDGER\\WIP.DAT"
                                    << "drive_f/LEDGER/WIP.DAT";
        QTest::newRow("in another case") << "f:\\ledger\\wip.dat"
                                         << "drive_f/LEDGER/WIP.DAT";
        QTest::newRow("through a folder link") << "G:\\WIP.DAT"
                                               << "drive_f/LEDGER/WIP.DAT";
        QTest::newRow("above the root") << "F:\\..\\LEDGER\\WIP.DAT"
                                        << "drive_f/LEDGER/WIP.DAT";
        QTest::newRow("upper-case entry only") << "K:\\LEDGER\\WIP.DAT"
                                               << "drive_f/LEDGER/WIP.DAT";
        QTest::newRow("Z: listed nowhere")
            << "Z:" + QString(fRoot_).replace('/', '\\') + "\\LEDGER\\WIP.DAT"
            << "drive_f/LEDGER/WIP.DAT";
        QTest::newRow("missing, created") << "f:\\ledger\\New.Dat"
                                          << "drive_f/LEDGER/New.Dat";
        QTest::newRow("drive leads nowhere") << "H:\\WIP.DAT"
                                             << "";
        QTest::newRow("drive entry is a file") << "M:\\LEDGER\\WIP.DAT"
                                               << "";
        QTest::newRow("a drive alone, its entry a file") << "M:"
                                                         << "";
        QTest::newRow("a folder") << "F:\\LEDGER\\Sub Dir"
                                  << "";
    }
    void opensTheFileTheMappingNames() {
        QFETCH(QString, dos);
        QFETCH(QString, expected);
        // Two more entries for this test alone: K: in upper case, m: a file.
        const QString dev = prog_ + "/dosdevices/";
        QVERIFY(QFile::link(fRoot_, dev + "K:"));
        touch(dev + "m:");
        const auto removeEntries = qScopeGuard([&] {
            QFile::remove(dev + "K:");
            QFile::remove(dev + "m:");
        });
        tw::DosPaths p(prog_);
        tw::RecordFile file;
        try {
            file.open(p, dos);
        } catch (const tw::IoError& e) {
            QVERIFY2(expected.isEmpty(), qPrintable(e.text()));
            QVERIFY2(e.text().contains(dos), qPrintable(e.text()));
            return;
        }
        QVERIFY2(!expected.isEmpty(), "a file was opened");
        struct stat opened {
        }, named{};
        QCOMPARE(::fstat(file.nativeHandle(), &opened), 0);
        QCOMPARE(::stat(QFile::encodeName(base_ + "/" + expected).constData(), &named), 0);
        QCOMPARE(opened.st_ino, named.st_ino);
        QCOMPARE(file.displayName(), dos);
        QCOMPARE(file.created(), dos.contains("New.Dat"));
        if (file.created())
            QVERIFY(QFile::remove(base_ + "/" + expected));
    }
};

TW_REGISTER_TEST(DosPathTest)
#include "dospathtest.moc"
