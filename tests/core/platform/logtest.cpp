#include "platform/log.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray lineOf(char c, int n) {
    return QByteArray(n, c);
}

QByteArray fileOrNone(const QString& path) {
    return QFileInfo(path).isFile() ? tw::test::readAll(path) : QByteArray("<none>");
}

} // namespace

class LogTest : public QObject {
    Q_OBJECT
private slots:
    void rotation_data() {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QByteArray>("before");      // the log's content at the start
        QTest::addColumn<QByteArray>("olderBefore"); // "<none>", "<folder>" or content
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QByteArray>("olderAfter");

        const QByteArray a = lineOf('a', 30), b = lineOf('b', 30), c = lineOf('c', 30),
                         d = lineOf('d', 30);
        QTest::newRow("under the limit appends")
            << qint64(100) << QByteArray() << QByteArray("<none>") << QList<QByteArray>{a, b}
            << a + "\n" + b + "\n"
            << QByteArray("<none>");
        QTest::newRow("exactly the limit stays one file")
            << qint64(62) << QByteArray() << QByteArray("<none>") << QList<QByteArray>{a, b}
            << a + "\n" + b + "\n"
            << QByteArray("<none>");
        QTest::newRow("passing the limit moves the file aside")
            << qint64(100) << QByteArray() << QByteArray("<none>") << QList<QByteArray>{a, b, c, d}
            << d + "\n"
            << a + "\n" + b + "\n" + c + "\n";
        QTest::newRow("the older file is replaced, not kept")
            << qint64(70) << QByteArray() << QByteArray("old\n") << QList<QByteArray>{a, b, c}
            << c + "\n"
            << a + "\n" + b + "\n";
        QTest::newRow("a full file from an earlier run rotates at the first line")
            << qint64(100) << lineOf('x', 90) << QByteArray("<none>") << QList<QByteArray>{a}
            << a + "\n"
            << lineOf('x', 90);
        QTest::newRow("a line longer than the limit is cut to it")
            << qint64(20) << QByteArray() << QByteArray("<none>")
            << QList<QByteArray>{lineOf('z', 50)} << lineOf('z', 19) + "\n"
            << QByteArray("<none>");
        QTest::newRow("older place taken by a folder: the file starts afresh")
            << qint64(70) << QByteArray() << QByteArray("<folder>") << QList<QByteArray>{a, b, c}
            << c + "\n"
            << QByteArray("<none>");
    }

    void rotation() {
        QFETCH(qint64, limit);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, olderBefore);
        QFETCH(QList<QByteArray>, lines);
        QFETCH(QByteArray, after);
        QFETCH(QByteArray, olderAfter);

        QTemporaryDir dir;
        const QString path = dir.filePath("tallywork.log");
        const QString older = path + ".1";
        if (!before.isEmpty())
            tw::test::writeAll(path, before);
        if (olderBefore == "<folder>")
            QVERIFY(QDir().mkdir(older));
        else if (olderBefore != "<none>")
            tw::test::writeAll(older, olderBefore);

        tw::LogFile log(path, limit);
        for (const QByteArray& line : lines) {
            QVERIFY(log.write(line));
            QVERIFY(QFileInfo(path).size() <= limit);
        }
        QCOMPARE(tw::test::readAll(path), after);
        QCOMPARE(fileOrNone(older), olderAfter);
    }

    // Wherever the log cannot go, writing reports false at once and nothing is thrown.
    void unwritable_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder missing") << "missing";
        QTest::newRow("log name taken by a folder") << "folder";
        QTest::newRow("log name taken by a FIFO") << "fifo";
        QTest::newRow("folder is a file") << "file";
    }

    void unwritable() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString path = dir.filePath("tallywork.log");
        if (kind == "missing")
            path = dir.filePath("gone/tallywork.log");
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else if (kind == "file") {
            tw::test::writeAll(dir.filePath("plain"), "x");
            path = dir.filePath("plain/tallywork.log");
        }

        QElapsedTimer timer;
        timer.start();
        tw::LogFile log(path, 100);
        QVERIFY(!log.write("first"));
        QVERIFY(!log.write("second"));
        QVERIFY2(timer.elapsed() < 2000, "a log that cannot be written must not wait");
    }

    void aFolderThatAppearsLaterIsUsed() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("later");
        tw::LogFile log(folder + "/tallywork.log", 100);
        QVERIFY(!log.write("lost"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(log.write("kept"));
        QCOMPARE(tw::test::readAll(folder + "/tallywork.log"), QByteArray("kept\n"));
    }

    void installedHandlerWritesCategoryAndLevel_data() {
        QTest::addColumn<QString>("folderKind");
        QTest::newRow("writable program folder") << "writable";
        QTest::newRow("missing program folder") << "missing";
    }

    void installedHandlerWritesCategoryAndLevel() {
        QFETCH(QString, folderKind);
        QTemporaryDir dir;
        const QString folder = folderKind == "missing" ? dir.filePath("gone") : dir.path();
        {
            tw::LogInstallation install(folder);
            install.setEchoToStandardError(false);
            QCOMPARE(install.logPath(), QDir(folder).filePath("tallywork.log"));
            qCInfo(lcPosting) << "ledger 00013 invoice 4711";
            qCWarning(lcDatabase).noquote() << "two\nlines";
            qCWarning(lcLedger).noquote() << QStringLiteral("F:\\A\0\x1b[2J\u0085B");
        }
        // Not written once the installation has ended.
        qCInfo(lcPosting) << "after the end";

        const QString path = QDir(folder).filePath("tallywork.log");
        if (folderKind == "missing") {
            QVERIFY(!QFileInfo::exists(path));
            return;
        }
        const QList<QByteArray> lines = tw::test::readAll(path).split('\n');
        QCOMPARE(lines.size(), 4);
        const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} ");
        QVERIFY(stamp.match(QString::fromUtf8(lines[0])).hasMatch());
        QVERIFY2(lines[0].endsWith(" info tw.posting: ledger 00013 invoice 4711"), lines[0]);
        QVERIFY2(lines[1].endsWith(" warning tw.database: two lines"), lines[1]);
        // A control character in a path is written escaped, never raw.
        QVERIFY2(lines[2].endsWith(" warning tw.ledger: F:\\A\\x00\\x1B[2J\\x85B"), lines[2]);
        QCOMPARE(lines[3], QByteArray());
    }
};

TW_REGISTER_TEST(LogTest)
#include "logtest.moc"
