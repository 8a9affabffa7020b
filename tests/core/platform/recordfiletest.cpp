#include "platform/recordfile.h"
#include "platform/ioerror.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ChildResult {
    bool locked = false;
    QString message;
    qint64 elapsedMs = 0;
};

// Another process opens the file on its own and tries to lock the range; it reports whether
// it got the lock and the error text through a pipe.
ChildResult lockInOtherProcess(const QString& path, std::int64_t offset, std::int64_t len,
                               int timeoutMs) {
    int fds[2];
    if (::pipe(fds) != 0)
        qFatal("pipe failed");
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        QByteArray out;
        try {
            tw::RecordFile f;
            f.open(path, "F:\\LEDGER\\led00013.dat");
            f.lock(offset, len, timeoutMs);
            out = "OK";
        } catch (const tw::IoError& e) {
            out = "ERR" + e.text().toUtf8();
        }
        [[maybe_unused]] auto n = ::write(fds[1], out.constData(), size_t(out.size()));
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray got;
    char buf[512];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0)
        got.append(buf, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ChildResult r;
    r.elapsedMs = timer.elapsed();
    r.locked = got == "OK";
    if (got.startsWith("ERR"))
        r.message = QString::fromUtf8(got.mid(3));
    return r;
}

} // namespace

class RecordFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir tmp_;

private slots:
    void missingFileIsCreatedEmpty() {
        const QString path = tmp_.filePath("new.dat");
        tw::RecordFile f;
        f.open(path, "F:\\LEDGER\\new.dat");
        QVERIFY(f.isOpen());
        QVERIFY(QFile::exists(path));
        QCOMPARE(f.length(), 0);
        QCOMPARE(f.readRecord(1, 47), QByteArray());
        f.close();
        QVERIFY(!f.isOpen());
    }

    void recordsAreReadAndWrittenByNumber() {
        const QString path = tmp_.filePath("rec.dat");
        tw::RecordFile f;
        f.open(path, "rec.dat");
        f.write(0, QByteArray(10, 'a'));
        f.write(20, QByteArray(10, 'c')); // record 3 before record 2: a hole of zeros
        QCOMPARE(f.length(), 30);
        f.write(10, QByteArray(10, 'b'));
        f.sync();
        QCOMPARE(f.readRecord(2, 10), QByteArray(10, 'b'));
        QCOMPARE(f.readRecord(3, 10), QByteArray(10, 'c'));
        QCOMPARE(f.readRecord(4, 10), QByteArray());
        QCOMPARE(f.readRecord(3, 12), QByteArray(6, 'c')); // short at the end
        QCOMPARE(tw::test::readAll(path),
                 QByteArray(10, 'a') + QByteArray(10, 'b') + QByteArray(10, 'c'));

        // Moving hands the open file over.
        tw::RecordFile g(std::move(f));
        QVERIFY(!f.isOpen());
        QCOMPARE(g.readRecord(1, 10), QByteArray(10, 'a'));
        QCOMPARE(g.displayName(), QStringLiteral("rec.dat"));
    }

    void failuresNameTheFileAndTheReason() {
        tw::RecordFile f;
        try {
            f.open(tmp_.filePath("absent.dat"), "F:\\EST\\Wip.Dat", tw::RecordFile::Mode::ReadOnly);
            QFAIL("opening a missing file read-only succeeded");
        } catch (const tw::IoError& e) {
            QVERIFY2(e.text().contains("F:\\EST\\Wip.Dat"), qPrintable(e.text()));
            QVERIFY2(e.text().contains("No such file"), qPrintable(e.text()));
        }
        QVERIFY(!QFile::exists(tmp_.filePath("absent.dat")));

        // A drive without mapping has no native path.
        QVERIFY_THROWS_EXCEPTION(tw::IoError, f.open(QString(), "Q:\\LEDGER\\ledger.ndx"));
        try {
            f.open(QString(), "Q:\\LEDGER\\ledger.ndx");
        } catch (const tw::IoError& e) {
            QVERIFY(e.text().contains("Q:\\LEDGER\\ledger.ndx"));
        }
        // A folder is no record file, whichever way it is opened.
        QVERIFY_THROWS_EXCEPTION(tw::IoError, f.open(tmp_.path(), "F:\\LEDGER"));
        QVERIFY_THROWS_EXCEPTION(tw::IoError,
                                 f.open(tmp_.path(), "F:\\LEDGER", tw::RecordFile::Mode::ReadOnly));
        QVERIFY(!f.isOpen());
        QVERIFY_THROWS_EXCEPTION(tw::IoError, f.length());

        // Writing through a read-only handle fails and says so.
        tw::test::writeAll(tmp_.filePath("ro.dat"), "xyz");
        f.open(tmp_.filePath("ro.dat"), "ro.dat", tw::RecordFile::Mode::ReadOnly);
        QCOMPARE(f.readRecord(1, 3), QByteArray("xyz"));
        QVERIFY_THROWS_EXCEPTION(tw::IoError, f.write(0, QByteArray("abc")));
        QCOMPARE(tw::test::readAll(tmp_.filePath("ro.dat")), QByteArray("xyz"));
    }

    // A pipe or a device in a record file's place (QLCUST, Wip.Dat) is refused at once with a
    // message naming it. The open runs in a child with an alarm, so that waiting fails the case.
    void specialFilesAreRefusedAtOnce_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("pipe, reading") << "pipe" << true;
        QTest::newRow("pipe, reading and writing") << "pipe" << false;
        QTest::newRow("device, reading") << "device" << true;
        QTest::newRow("device, reading and writing") << "device" << false;
    }
    void specialFilesAreRefusedAtOnce() {
        QFETCH(QString, kind);
        QFETCH(bool, readOnly);
        const QString path = tmp_.filePath("QLCUST");
        QFile::remove(path);
        if (kind == "pipe")
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0666) == 0);
        else
            QVERIFY(QFile::link("/dev/zero", path));
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            ::alarm(5);
            QByteArray out = "opened";
            try {
                tw::RecordFile f;
                f.open(path, "F:\\EST\\QLCUST",
                       readOnly ? tw::RecordFile::Mode::ReadOnly
                                : tw::RecordFile::Mode::ReadWriteCreate);
            } catch (const tw::IoError& e) {
                out = e.text().toUtf8();
            }
            (void)!::write(fds[1], out.constData(), size_t(out.size()));
            ::_exit(0);
        }
        ::close(fds[1]);
        QByteArray text;
        char buf[512];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
            text.append(buf, n);
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        QVERIFY2(WIFEXITED(status), "the open waited");
        QCOMPARE(text, QByteArray("Cannot open F:\\EST\\QLCUST: it is ") +
                           (kind == "pipe" ? "a pipe" : "a device") + ", not a file.");
    }

    // The system takes a name only up to a NUL; such a name opens nothing.
    void nameWithNulOpensNothing() {
        tw::test::writeAll(tmp_.filePath("ledger.ndx"), "index");
        tw::RecordFile f;
        QVERIFY_THROWS_EXCEPTION(
            tw::IoError, f.open(tmp_.filePath("ledger.ndx") + QChar(0) + "/led00081.dat", "led"));
        QVERIFY(!f.isOpen());
        QCOMPARE(tw::test::readAll(tmp_.filePath("ledger.ndx")), QByteArray("index"));
    }

    void lockExcludesAnotherProcessUntilUnlocked() {
        const QString path = tmp_.filePath("led00013.dat");
        tw::RecordFile f;
        f.open(path, "F:\\LEDGER\\led00013.dat");
        f.write(0, QByteArray(256, ' '));
        f.lock(128, 128, 1000);

        const ChildResult blocked = lockInOtherProcess(path, 200, 10, 300);
        QVERIFY(!blocked.locked);
        QVERIFY2(blocked.elapsedMs >= 250 && blocked.elapsedMs < 3000,
                 qPrintable(QString::number(blocked.elapsedMs)));
        QVERIFY2(blocked.message.contains("F:\\LEDGER\\led00013.dat"), qPrintable(blocked.message));

        // A range beside the locked one is free.
        QVERIFY(lockInOtherProcess(path, 0, 128, 300).locked);

        f.unlock(128, 128);
        QVERIFY(lockInOtherProcess(path, 200, 10, 300).locked);
    }

    void lockWaitsForARelease() {
        const QString path = tmp_.filePath("wait.dat");
        tw::RecordFile f;
        f.open(path, "wait.dat");
        f.lock(0, 43, 1000);
        // The child waits up to 5 s; the parent releases after about 300 ms.
        int fds[2];
        QCOMPARE(::pipe(fds), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            char r = 'N';
            try {
                tw::RecordFile g;
                g.open(path, "wait.dat");
                g.lock(0, 43, 5000);
                r = 'Y';
            } catch (const tw::IoError&) {
            }
            [[maybe_unused]] auto n = ::write(fds[1], &r, 1);
            ::_exit(0);
        }
        ::close(fds[1]);
        QThread::msleep(300);
        f.unlock(0, 43);
        char r = 0;
        QCOMPARE(::read(fds[0], &r, 1), ssize_t(1));
        ::close(fds[0]);
        ::waitpid(pid, nullptr, 0);
        QCOMPARE(r, 'Y');
    }

    void handlesInOneProcessExcludeEachOther() {
        const QString path = tmp_.filePath("same.dat");
        tw::RecordFile a, b;
        a.open(path, "same.dat");
        b.open(path, "same.dat");
        {
            tw::RangeLock held(a, 0, 47, 100);
            QVERIFY_THROWS_EXCEPTION(tw::IoError, b.lock(10, 5, 100));
        }
        // Released at the end of the scope.
        b.lock(10, 5, 100);
        b.unlock(10, 5);
        QVERIFY_THROWS_EXCEPTION(tw::IoError, a.lock(0, 0, 100)); // no lock to the end of file
    }

    // A read takes what the file holds when it reads, not what it held when it was opened:
    // nothing written meanwhile by another handle is missed, nothing cut away is returned. A
    // file opened to be read as it was reads no further than its length then.
    void readsTheFileAsItIsNow_data() {
        QTest::addColumn<int>("atOpen");
        QTest::addColumn<int>("now");
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("asOpened");
        QTest::newRow("unchanged") << 300 << 300 << 0 << false;
        QTest::newRow("grown") << 300 << 700 << 0 << false;
        QTest::newRow("grown, read from the old end") << 300 << 700 << 300 << false;
        QTest::newRow("cut") << 700 << 300 << 0 << false;
        QTest::newRow("cut below the offset") << 700 << 300 << 500 << false;
        QTest::newRow("was empty") << 0 << 200 << 0 << false;
        QTest::newRow("grown, as opened") << 300 << 700 << 0 << true;
        QTest::newRow("grown, as opened, from the old end") << 300 << 700 << 300 << true;
        QTest::newRow("cut, as opened") << 700 << 300 << 0 << true;
    }
    void readsTheFileAsItIsNow() {
        QFETCH(int, atOpen);
        QFETCH(int, now);
        QFETCH(int, offset);
        QFETCH(bool, asOpened);
        const QString path = tmp_.filePath("changing.dat");
        QByteArray bytes(qMax(atOpen, now), Qt::Uninitialized);
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char('a' + i % 26);
        QFile other(path);
        QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(other.write(bytes.left(atOpen)), qint64(atOpen));
        QVERIFY(other.flush());
        tw::RecordFile file;
        file.open(path, "F:\\LEDGER\\led00013.dat",
                  asOpened ? tw::RecordFile::Mode::ReadOnlyAsOpened
                           : tw::RecordFile::Mode::ReadWriteCreate);
        if (now > atOpen)
            QCOMPARE(other.write(bytes.mid(atOpen)), qint64(now - atOpen));
        else
            QVERIFY(other.resize(now));
        QVERIFY(other.flush());

        const int end = asOpened ? qMin(atOpen, now) : now;
        QByteArray got(1000, '\0');
        const std::int64_t n = file.read(offset, got.data(), got.size());
        QCOMPARE(n, std::int64_t(qMax(0, end - offset)));
        QCOMPARE(got.left(int(n)), bytes.mid(offset, int(n)));
        if (asOpened && now > atOpen)
            QCOMPARE(file.length(), std::int64_t(atOpen));
    }

    void sequentialReaderSkipsATrailingPartialRecord() {
        const QString path = tmp_.filePath("seq.dat");
        QByteArray data;
        for (int i = 1; i <= 10; ++i)
            data += QByteArray::number(i).rightJustified(7, '0');
        data += "123"; // an append cut short
        tw::test::writeAll(path, data);
        tw::RecordFile f;
        f.open(path, "seq.dat", tw::RecordFile::Mode::ReadOnly);

        for (int perRead : {1, 3, 10, 4096}) {
            tw::SequentialReader r(f, 7, perRead);
            int count = 0;
            while (const char* rec = r.next()) {
                ++count;
                QCOMPARE(r.recordNumber(), count);
                QCOMPARE(QByteArray(rec, 7), QByteArray::number(count).rightJustified(7, '0'));
            }
            QCOMPARE(count, 10);
            QCOMPARE(r.next(), nullptr);
        }

        tw::test::writeAll(tmp_.filePath("empty.dat"), "12");
        tw::RecordFile e;
        e.open(tmp_.filePath("empty.dat"), "empty.dat");
        tw::SequentialReader r(e, 7);
        QCOMPARE(r.next(), nullptr);
        QCOMPARE(r.recordNumber(), 0);
    }
};

TW_REGISTER_TEST(RecordFileTest)
#include "recordfiletest.moc"
