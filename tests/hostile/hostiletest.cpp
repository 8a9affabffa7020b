// The program among hostile surroundings: files locked by other programs, a read-only or full
// ledger folder, a folder that goes away, a huge work-in-progress file, junk in every file it
// reads and names it cannot store. Each case has one expected outcome: a clear message and
// nothing half-written, or the work done.
#include "entry/wipfiles.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "platform/text1252.h"
#include "postingdriver.h"
#include "settings/settings.h"
#include "sources/customerfiles.h"
#include "sources/database.h"
#include "sources/interfacefile.h"
#include "sources/productfile.h"
#include "testregistry.h"
#include "testsupport.h"
#include "wiptestdata.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tw::test;
using tw::IoError;
using tw::ledger::LedgerIndexRecord;
using tw::ledger::ledgerNumberText;

namespace {

// Two customers; the first has a ledger of one entry.
void seedLedger(const LedgerSandbox& box) {
    writeAll(box.indexFile(), LedgerIndexRecord{1, QStringLiteral("ACME PRINTING")}.encode() +
                                  LedgerIndexRecord{2, QStringLiteral("BETA PRESS")}.encode());
    writeAll(box.ledgerFile(1), invoiceRecord(QStringLiteral("1001"), QStringLiteral("first")));
}

// Every file of the ledger folder with its bytes, to prove that nothing was written.
QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> out;
    for (const QString& n : QDir(folder).entryList(QDir::Files, QDir::Name))
        out.insert(n, readAll(folder + QLatin1Char('/') + n));
    return out;
}

// Runs `body` in a child process and hands back what it wrote to the pipe and how it ended.
struct ChildResult {
    QByteArray out;
    int status = 0;
    bool exitedOk() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

template <typename F> ChildResult inChild(F body) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        int code = 0;
        try {
            code = body(fds[1]);
        } catch (...) {
            code = 99;
        }
        ::_exit(code);
    }
    ::close(fds[1]);
    ChildResult r;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        r.out.append(buf, n);
    }
    ::close(fds[0]);
    ::waitpid(pid, &r.status, 0);
    return r;
}

void send(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}

// Posts in the current process and says how it went: "OK <ledger>" or "E <message>".
QByteArray tryPost(const LedgerSandbox& box, const QString& customer, const QString& invoice) {
    try {
        tw::ledger::LedgerStore store = box.store();
        const Posted p = postInvoice(store, customer, invoiceRecord(invoice, QStringLiteral("x")));
        return "OK " + QByteArray::number(p.number);
    } catch (const IoError& e) {
        return "E " + e.text().toUtf8();
    }
}

// A mount made for one test and taken away again however the test ends.
struct MountGuard {
    QString target;
    bool mounted = false;
    ~MountGuard() {
        if (mounted)
            ::umount2(QFile::encodeName(target).constData(), MNT_DETACH);
    }
};

bool mountReadOnlyBind(MountGuard& g, const QString& dir) {
    const QByteArray d = QFile::encodeName(dir);
    if (::mount(d.constData(), d.constData(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    g.target = dir;
    g.mounted = true;
    return ::mount(nullptr, d.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

bool mountTmpfs(MountGuard& g, const QString& dir, const char* options) {
    const QByteArray d = QFile::encodeName(dir);
    if (::mount("tmpfs", d.constData(), "tmpfs", 0, options) != 0)
        return false;
    g.target = dir;
    g.mounted = true;
    return true;
}

// Fills the file system that holds `dir` to the last byte.
void fillUp(const QString& dir) {
    QFile f(dir + QStringLiteral("/filler"));
    if (!f.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(4096, 'x');
    while (f.write(block) == block.size() && f.flush()) {
    }
    const QByteArray one(1, 'x');
    while (f.write(one) == 1 && f.flush()) {
    }
}

qint64 statusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

class HostileLedgerTest : public QObject {
    Q_OBJECT
private slots:
    // Another program holds the ledger file and the index locked from end to end.
    void fileLockedByAnotherProgram() {
        LedgerSandbox box;
        seedLedger(box);
        const auto before = snapshot(box.folder);

        int ready[2], release[2];
        QVERIFY(::pipe(ready) == 0 && ::pipe(release) == 0);
        const pid_t holder = ::fork();
        QVERIFY(holder >= 0);
        if (holder == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            // Classic process locks, as another program on this machine or a file server
            // takes them; they exclude the program's own locks all the same.
            for (const QString& path : {box.ledgerFile(1), box.indexFile()}) {
                const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
                struct flock fl {};
                fl.l_type = F_WRLCK;
                fl.l_whence = SEEK_SET;
                if (fd < 0 || ::fcntl(fd, F_SETLK, &fl) != 0)
                    ::_exit(1);
            }
            (void)!::write(ready[1], "L", 1);
            char c;
            (void)!::read(release[0], &c, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        char c = 0;
        QCOMPARE(::read(ready[0], &c, 1), ssize_t(1));

        // A known customer: the append waits a little, then says who holds the file.
        QElapsedTimer t;
        t.start();
        const QByteArray known =
            tryPost(box, QStringLiteral("ACME PRINTING"), QStringLiteral("2001"));
        const qint64 knownMs = t.elapsed();
        QVERIFY2(known.startsWith("E "), known.constData());
        QVERIFY2(known.contains("F:\\LEDGER\\led00001.dat"), known.constData());
        QVERIFY2(known.contains("another program"), known.constData());
        QVERIFY2(knownMs < 8000, qPrintable(QString::number(knownMs)));

        // A new customer: the allocation cannot take the index; no ledger is made.
        t.restart();
        const QByteArray fresh =
            tryPost(box, QStringLiteral("NEW CUSTOMER"), QStringLiteral("2002"));
        const qint64 freshMs = t.elapsed();
        QVERIFY2(fresh.startsWith("E "), fresh.constData());
        QVERIFY2(fresh.contains("F:\\LEDGER\\ledger.ndx"), fresh.constData());
        QVERIFY2(freshMs < 8000, qPrintable(QString::number(freshMs)));
        QCOMPARE(snapshot(box.folder), before);

        // Looking a customer up only reads: it works while the lock is held.
        QCOMPARE(box.store().findCustomer(QStringLiteral("BETA PRESS")), std::optional<int>(2));

        // Once the other program lets go, the same postings go through.
        ::close(release[1]);
        int status = 0;
        QCOMPARE(::waitpid(holder, &status, 0), holder);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QCOMPARE(tryPost(box, QStringLiteral("ACME PRINTING"), QStringLiteral("2001")),
                 QByteArray("OK 1"));
        QCOMPARE(tryPost(box, QStringLiteral("NEW CUSTOMER"), QStringLiteral("2002")),
                 QByteArray("OK 3"));
        qInfo("locked file: message after %lld ms (append) and %lld ms (allocation), nothing "
              "written",
              knownMs, freshMs);
    }

    // The ledger folder is read-only (a share mounted read-only).
    void readOnlyLedgerFolder() {
        LedgerSandbox box;
        seedLedger(box);
        const auto before = snapshot(box.folder);
        MountGuard guard;
        if (::geteuid() == 0) {
            if (!mountReadOnlyBind(guard, box.folder))
                QSKIP("a read-only bind mount is not allowed here, and root writes anywhere");
        } else {
            QFile::setPermissions(box.folder, QFile::ReadOwner | QFile::ExeOwner);
        }

        // The posting stops at the first file it cannot open for writing (the index, which
        // the customer lookup opens as the window does) with the system's reason.
        for (const QString& customer :
             {QStringLiteral("ACME PRINTING"), QStringLiteral("NEW CUSTOMER")}) {
            const QByteArray r = tryPost(box, customer, QStringLiteral("3001"));
            QVERIFY2(r.startsWith("E ") && r.contains("F:\\LEDGER\\"), r.constData());
            QVERIFY2(r.contains("Read-only") || r.contains("Permission denied"), r.constData());
            qInfo("read-only ledger folder: %s", r.constData());
        }
        QCOMPARE(snapshot(box.folder), before);
        if (::geteuid() != 0)
            QFile::setPermissions(box.folder,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The disk fills up in the middle of a record: the posting fails with a message and no
    // part of the record stays behind. Sizes put the new record across the last free byte.
    void fullDiskDuringAppendAndAllocation_data() {
        QTest::addColumn<QString>("customer");
        QTest::addColumn<int>("room"); // bytes the file may still grow by
        for (int room : {0, 1, 64, 127})
            QTest::addRow("append, room for %d bytes", room)
                << QStringLiteral("ACME PRINTING") << room;
        for (int room : {0, 7, 44, 45, 46})
            QTest::addRow("allocation, room for %d bytes", room)
                << QStringLiteral("NEW CUSTOMER") << room;
    }
    void fullDiskDuringAppendAndAllocation() {
        QFETCH(QString, customer);
        QFETCH(int, room);
        LedgerSandbox box;
        seedLedger(box);
        const bool append = customer == QStringLiteral("ACME PRINTING");
        const QString grows = append ? box.ledgerFile(1) : box.indexFile();
        const auto before = snapshot(box.folder);

        // The file size limit stands in for a full disk: writes past it fail part-way with
        // EFBIG as a full disk fails with ENOSPC.
        const qint64 limit = QFileInfo(grows).size() + room;
        const ChildResult r = inChild([&](int out) {
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit rl {
                rlim_t(limit), rlim_t(limit)
            };
            ::setrlimit(RLIMIT_FSIZE, &rl);
            send(out, tryPost(box, customer, QStringLiteral("4001")));
            return 0;
        });
        QVERIFY(r.exitedOk());
        QVERIFY2(r.out.startsWith("E "), r.out.constData());
        QVERIFY2(r.out.contains(append ? "led00001.dat" : "ledger.ndx"), r.out.constData());
        // Nothing half-written: every file as it was (the new customer's ledger not created).
        QCOMPARE(snapshot(box.folder), before);

        // With room again the same posting goes through and leaves whole records.
        QCOMPARE(tryPost(box, customer, QStringLiteral("4001")),
                 append ? QByteArray("OK 1") : QByteArray("OK 3"));
        const IndexCheck idx = checkIndex(readAll(box.indexFile()));
        QVERIFY2(idx.fault.isEmpty() && idx.partialBytes == 0, qPrintable(idx.fault));
        const LedgerCheck led = checkLedger(readAll(box.ledgerFile(append ? 1 : 3)));
        QVERIFY2(led.fault.isEmpty() && led.partialBytes == 0, qPrintable(led.fault));
        QCOMPARE(led.invoices.last(), QByteArray("4001"));
    }

    // The same on a real file system that is full: a small tmpfs. A ledger file of 32
    // records fills its page, so the append finds no room at all; an index of 87 records ends
    // 7 bytes short of its page, so the new record is cut after 7 bytes.
    void fullTmpfs() {
        LedgerSandbox box;
        MountGuard guard;
        if (::geteuid() != 0 || !mountTmpfs(guard, box.drive, "size=64k"))
            QSKIP("mounting a small tmpfs is not allowed here");
        QDir().mkpath(box.folder);
        QByteArray index;
        for (int i = 1; i <= 87; ++i)
            index += LedgerIndexRecord{i, QStringLiteral("CUSTOMER %1").arg(i)}.encode();
        writeAll(box.indexFile(), index);
        QByteArray led;
        for (int i = 1; i <= 32; ++i)
            led += invoiceRecord(QString::number(i), QStringLiteral("x"));
        writeAll(box.ledgerFile(1), led);
        fillUp(box.drive);
        const auto before = snapshot(box.folder);

        const QByteArray a = tryPost(box, QStringLiteral("CUSTOMER 1"), QStringLiteral("5001"));
        const QByteArray b = tryPost(box, QStringLiteral("NEW CUSTOMER"), QStringLiteral("5002"));
        QVERIFY2(a.startsWith("E ") && a.contains("led00001.dat"), a.constData());
        QVERIFY2(b.startsWith("E ") && b.contains("ledger.ndx"), b.constData());
        QVERIFY2(a.contains("No space left"), a.constData());
        QCOMPARE(snapshot(box.folder), before);

        // Space again: both go through, whole.
        QFile::remove(box.drive + QStringLiteral("/filler"));
        QCOMPARE(tryPost(box, QStringLiteral("CUSTOMER 1"), QStringLiteral("5001")),
                 QByteArray("OK 1"));
        QCOMPARE(tryPost(box, QStringLiteral("NEW CUSTOMER"), QStringLiteral("5002")),
                 QByteArray("OK 88"));
        const IndexCheck idx = checkIndex(readAll(box.indexFile()));
        QVERIFY2(idx.fault.isEmpty() && idx.partialBytes == 0, qPrintable(idx.fault));
        QCOMPARE(checkLedger(readAll(box.ledgerFile(1))).invoices.size(), 33);
        qInfo("full tmpfs: append: %s; allocation: %s", a.constData(), b.constData());
    }

    // The ledger folder disappears between two postings (a network drive that drops out, a
    // folder moved away): a message naming the file, and the folder is not made anew.
    void folderDisappearsBetweenPostings() {
        LedgerSandbox box;
        seedLedger(box);
        QCOMPARE(tryPost(box, QStringLiteral("ACME PRINTING"), QStringLiteral("6001")),
                 QByteArray("OK 1"));

        QVERIFY(QDir().rename(box.folder, box.drive + QStringLiteral("/MOVED")));
        for (const QString& customer :
             {QStringLiteral("ACME PRINTING"), QStringLiteral("NEW ONE")}) {
            const QByteArray r = tryPost(box, customer, QStringLiteral("6002"));
            QVERIFY2(r.startsWith("E ") && r.contains("F:\\LEDGER\\"), r.constData());
        }
        QVERIFY(!QFileInfo::exists(box.folder));

        // A file where the folder was.
        writeAll(box.folder, "not a folder");
        const QByteArray r = tryPost(box, QStringLiteral("ACME PRINTING"), QStringLiteral("6003"));
        QVERIFY2(r.startsWith("E "), r.constData());
        QCOMPARE(readAll(box.folder), QByteArray("not a folder"));

        // The drive itself unmapped.
        QFile::remove(box.folder);
        QFile::remove(box.prog + QStringLiteral("/dosdevices/f:"));
        const QByteArray u = tryPost(box, QStringLiteral("ACME PRINTING"), QStringLiteral("6004"));
        QVERIFY2(u.startsWith("E ") && u.contains("F:\\LEDGER\\"), u.constData());

        // Back in place, the next posting lands after the first.
        QFile::link(box.drive, box.prog + QStringLiteral("/dosdevices/f:"));
        QVERIFY(QDir().rename(box.drive + QStringLiteral("/MOVED"), box.folder));
        QCOMPARE(tryPost(box, QStringLiteral("ACME PRINTING"), QStringLiteral("6005")),
                 QByteArray("OK 1"));
        QCOMPARE(checkLedger(readAll(box.ledgerFile(1))).invoices,
                 (QList<QByteArray>{"1001", "6001", "6005"}));
    }

    // Names and descriptions the Windows-1252 files cannot hold: every record stays one line
    // of its exact length, each such character becomes one '?' (a control character a blank),
    // and the customer finds the ledger it was given again.
    void charactersOutsideWindows1252() {
        LedgerSandbox box;
        seedLedger(box);
        const QString name = QStringLiteral("Zoë Ünïcødé 中文 Ελλάδα \U0001F600 Ltd");
        const QString description =
            QStringLiteral("Cards \U0001F600 for Ωmega, line\r\nbreak, tab\there, ‰ € “quotes”");
        tw::ledger::LedgerStore store = box.store();
        const Posted p =
            postInvoice(store, name, invoiceRecord(QStringLiteral("7001"), description));
        QVERIFY(p.allocated);
        QCOMPARE(p.number, 3);
        const QByteArray idx = readAll(box.indexFile());
        QCOMPARE(idx.size(), 3 * LedgerIndexRecord::kLength);
        QCOMPARE(idx.mid(2 * 47 + 5, 40), QByteArray("Zo\xeb \xdcn\xef"
                                                     "c\xf8"
                                                     "d\xe9 ?? ?????? ? Ltd")
                                              .leftJustified(40, ' '));
        const QByteArray led = readAll(box.ledgerFile(3));
        QCOMPARE(led.size(), 128);
        QVERIFY(led.endsWith("\r\n") && !led.left(126).contains('\n') &&
                !led.left(126).contains('\r'));
        QCOMPARE(led.mid(40, 76),
                 QByteArray("Cards ? for ?mega, line  break, tab here, \x89 \x80 \x93quotes\x94")
                     .leftJustified(76, ' '));
        // The same name finds that ledger again; the next posting goes to it.
        QCOMPARE(postInvoice(store, name, invoiceRecord(QStringLiteral("7002"), QString())).number,
                 3);
        QCOMPARE(checkLedger(readAll(box.ledgerFile(3))).invoices,
                 (QList<QByteArray>{"7001", "7002"}));
    }
};

class HostileReaderTest : public QObject {
    Q_OBJECT
private slots:
    // A 2 GB work-in-progress file, sparse: the lookup reads it all in bounded memory and
    // finds the job in its last record, or says it is not there.
    void hugeSparseWipFile() {
        QTemporaryDir tmp;
        const QString prog = tmp.path() + QStringLiteral("/prog");
        const QString est = tmp.path() + QStringLiteral("/drive_f/EST");
        QDir().mkpath(est);
        QDir().mkpath(prog + QStringLiteral("/dosdevices"));
        QFile::link(tmp.path() + QStringLiteral("/drive_f"),
                    prog + QStringLiteral("/dosdevices/f:"));
        const tw::DosPaths paths(prog);

        const qint64 records = (qint64(2) << 30) / 256;
        {
            QFile wip(est + QStringLiteral("/Wip.Dat"));
            QVERIFY(wip.open(QIODevice::WriteOnly));
            QVERIFY(wip.resize(records * 256));
            QVERIFY(wip.seek((records - 1) * 256));
            WipJob job;
            job.job = "00004711";
            wip.write(wipRecord(job));
            QFile wip2(est + QStringLiteral("/Wip2.Dat"));
            QVERIFY(wip2.open(QIODevice::WriteOnly));
            QVERIFY(wip2.resize(records * 512));
            QVERIFY(wip2.seek((records - 1) * 512));
            wip2.write(wip2Record("ACME PRINTING       AND GRAPHICS\""));
        }

        // The peak resident size is measured from here (clear_refs 5 resets it).
        QFile refs(QStringLiteral("/proc/self/clear_refs"));
        const bool peakReset = refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
        refs.close();
        const qint64 rssBefore = statusKb("VmRSS:");
        QElapsedTimer t;
        t.start();
        const auto found =
            tw::entry::lookupJob(paths, QStringLiteral("F:\\EST"), QStringLiteral("4711"));
        const qint64 foundMs = t.elapsed();
        QVERIFY(found.has_value());
        QCOMPARE(found->number, records);
        QCOMPARE(found->customer, QStringLiteral("ACME PRINTING       AND GRAPHICS"));
        t.restart();
        const auto missing =
            tw::entry::lookupJob(paths, QStringLiteral("F:\\EST"), QStringLiteral("999"));
        const qint64 missingMs = t.elapsed();
        QVERIFY(!missing.has_value());
        const qint64 peak = statusKb(peakReset ? "VmHWM:" : "VmRSS:");
        QVERIFY2(peak - rssBefore < 64 * 1024,
                 qPrintable(QStringLiteral("memory grew by %1 kB").arg(peak - rssBefore)));
        qInfo("2 GB sparse Wip.Dat (%lld records): found in the last record in %lld ms, not "
              "found in %lld ms, peak memory growth %lld kB",
              records, foundMs, missingMs, peak - rssBefore);
    }

    // Random bytes in every file the program reads. Nothing may crash; each reader gives a
    // result or a failure; posting after a junk index or ledger keeps what is there.
    void junkInEveryFile_data() {
        QTest::addColumn<int>("size");
        for (int size : {1, 46, 47, 129, 4096, 300001})
            QTest::addRow("%d bytes", size) << size;
    }
    void junkInEveryFile() {
        QFETCH(int, size);
        std::mt19937 rng{unsigned(size)};
        auto junk = [&] {
            QByteArray b(size, Qt::Uninitialized);
            for (char& c : b)
                c = char(rng());
            return b;
        };
        LedgerSandbox box;
        const QString est = box.drive + QStringLiteral("/EST");
        QDir().mkpath(est);
        QDir().mkpath(box.prog);

        // Settings files.
        tw::settings::SettingsStore settings(box.prog);
        for (const QString& name :
             {tw::settings::kDefTax, tw::settings::kEstLoc, tw::settings::kLedger,
              tw::settings::kCheck, tw::settings::kInterface, tw::settings::kDbLoc}) {
            const QByteArray bytes = junk();
            writeAll(box.prog + QLatin1Char('/') + name, bytes);
            const auto v = settings.read(name);
            QVERIFY(v.has_value());
            QCOMPARE(*v, tw::settings::firstField(bytes));
        }

        // The interface file and both customer files.
        for (int edition : {0, 1}) {
            QByteArray qlcust = junk();
            qlcust.replace(
                0, qMin(22, int(qlcust.size())),
                QByteArray(edition == 0 ? "0   \\EST\\              " : "1   \\EST\\              ")
                    .left(qMin(22, int(qlcust.size()))));
            writeAll(est + QStringLiteral("/QLCUST"), qlcust);
            const QByteArray customers = junk();
            writeAll(est + QStringLiteral("/QUILLBAR.CLI"), customers);
            writeAll(est + QStringLiteral("/CUSTOMER.FIL"), customers);
            tw::RecordFile f = tw::sources::openInterfaceFile(box.paths, QStringLiteral("F:\\EST"));
            const auto r = tw::sources::loadCustomers(f, box.paths, QStringLiteral("F:\\LEDGER"),
                                                      tw::sources::LoadPath::Refresh);
            QVERIFY2(r.ok || !r.failure.isEmpty(), "a failure without a reason");
            const int width = edition == 0 ? 30 : 40;
            for (const QString& e : r.entries)
                QCOMPARE(e.size(), width);
            QCOMPARE(readAll(est + QStringLiteral("/QUILLBAR.CLI")), customers);
        }

        // The product file.
        const QByteArray products = junk();
        writeAll(est + QStringLiteral("/product.dat"), products);
        const auto pr = tw::sources::loadProductFile(box.paths, QStringLiteral("F:\\EST"));
        QVERIFY(pr.ok);
        QVERIFY(pr.entries.size() <= qMax(0, size / 43 - 1));

        // The work-in-progress files, with the job planted in junk records.
        QByteArray wip = junk();
        if (wip.size() >= 256)
            wip.replace(4, 8, "00004711");
        writeAll(est + QStringLiteral("/Wip.Dat"), wip);
        writeAll(est + QStringLiteral("/Wip2.Dat"), junk());
        const auto job =
            tw::entry::lookupJob(box.paths, QStringLiteral("F:\\EST"), QStringLiteral("4711"));
        QCOMPARE(job.has_value(), wip.size() >= 256);
        if (job) {
            const auto e = tw::entry::jobEntry(job->record, job->customer, u"1/15/2006",
                                               u"1/15/2006", QDate(2006, 1, 15));
            QVERIFY(e.amount.size() >= 10);
        }

        // The ledger index and a ledger file: the posting adds whole records after the whole
        // ones already there and leaves them as they were.
        const QByteArray index = junk();
        const QByteArray ledger = junk();
        writeAll(box.indexFile(), index);
        writeAll(box.ledgerFile(99), ledger);
        tw::ledger::LedgerStore store = box.store();
        const Posted p = postInvoice(store, QStringLiteral("JUNK TEST CUSTOMER"),
                                     invoiceRecord(QStringLiteral("8001"), QStringLiteral("x")));
        const QByteArray idxAfter = readAll(box.indexFile());
        const qsizetype wholeIdx = index.size() / 47 * 47;
        QCOMPARE(idxAfter.left(wholeIdx), index.left(wholeIdx));
        QCOMPARE(idxAfter.size() % 47, 0);
        QCOMPARE(idxAfter.mid((p.number - 1) * 47, 47),
                 (LedgerIndexRecord{p.number, QStringLiteral("JUNK TEST CUSTOMER")}.encode()));
        const std::int64_t at = store.appendEntry(
            QStringLiteral("00099"), invoiceRecord(QStringLiteral("8002"), QStringLiteral("y")));
        const QByteArray ledAfter = readAll(box.ledgerFile(99));
        QCOMPARE(at, std::int64_t(ledger.size() / 128 + 1));
        QCOMPARE(ledAfter.left(ledger.size() / 128 * 128), ledger.left(ledger.size() / 128 * 128));
        QCOMPARE(ledAfter.size() % 128, 0);
    }

    // An Access database that is junk or damaged: the loaders report a failure or a list, and
    // neither crash nor hang the program, whatever the library makes of the pages.
    void damagedDatabase() {
        QTemporaryDir tmp;
        // A reading the library never ends is stopped sooner than the program's 30 seconds.
        tw::sources::DatabaseReader reader;
        reader.setTimeLimit(std::chrono::milliseconds(2000));

        // One byte changed is enough: the library crashes on the first two and goes round its
        // pages for ever on the third.
        struct OneByte {
            const char* fixture;
            qsizetype offset;
            char value;
        };
        for (const OneByte& c :
             {OneByte{"nullname.mdb", 8247, char(49)}, OneByte{"numeric.mdb", 114743, char(140)},
              OneByte{"est2003.mdb", 59545, char(9)}}) {
            QByteArray b = readAll(dataFile(QString::fromLatin1(c.fixture)));
            QVERIFY(b.size() > c.offset);
            b[c.offset] = c.value;
            const QString path = tmp.filePath(QStringLiteral("onebyte.mdb"));
            writeAll(path, b);
            QElapsedTimer t;
            t.start();
            const auto cr = tw::sources::loadDatabaseCustomers(
                path, QStringLiteral("F:\\EST\\est.mdb"), reader);
            const auto pr =
                tw::sources::loadDatabaseProducts(path, QStringLiteral("F:\\EST\\est.mdb"), reader);
            // What the library makes of the byte depends on memory it never set: the reading
            // may even succeed. Whatever happens, both loaders return, in bounded time.
            QVERIFY2(t.elapsed() < 3 * 2000, c.fixture);
            for (const auto& r : {cr, pr}) {
                if (!r.ok)
                    QVERIFY2(r.failure.contains(QStringLiteral("F:\\EST\\est.mdb")) &&
                                 r.failure.contains(QStringLiteral("damaged")),
                             qPrintable(r.failure));
            }
            qInfo("%s with byte %lld changed: customers %s, products %s (%lld ms)", c.fixture,
                  qint64(c.offset), cr.ok ? "listed" : qPrintable(cr.failure),
                  pr.ok ? "listed" : qPrintable(pr.failure), t.elapsed());
        }

        std::mt19937 rng(20060115u);
        const QStringList fixtures = {QStringLiteral("est2000.mdb"), QStringLiteral("est2003.mdb"),
                                      QStringLiteral("est2007.accdb"),
                                      QStringLiteral("nullname.mdb"),
                                      QStringLiteral("numeric.mdb")};
        int cases = 0, failures = 0, lists = 0;
        for (const QString& fx : fixtures) {
            const QByteArray original = readAll(dataFile(fx));
            for (int i = 0; i < 40; ++i) {
                QByteArray b = original;
                switch (i % 4) {
                case 0: // scattered bytes
                    for (int k = 0, n = 1 + int(rng() % 200); k < n; ++k)
                        b[qsizetype(rng() % b.size())] = char(rng());
                    break;
                case 1: // cut short
                    b.truncate(qsizetype(rng() % b.size()));
                    break;
                case 2: { // a run overwritten
                    const qsizetype at = qsizetype(rng() % b.size());
                    for (qsizetype k = at; k < qMin(b.size(), at + 1 + qsizetype(rng() % 8192));
                         ++k)
                        b[k] = char(rng());
                    break;
                }
                default: // junk from the start
                    for (char& c : b)
                        c = char(rng());
                    break;
                }
                const QString path = tmp.filePath(QStringLiteral("case%1.mdb").arg(cases));
                writeAll(path, b);
                ++cases;
                QElapsedTimer t;
                t.start();
                for (int which = 0; which < 2; ++which) {
                    const auto r = which == 0
                                       ? tw::sources::loadDatabaseCustomers(
                                             path, QStringLiteral("F:\\EST\\est.mdb"), reader)
                                       : tw::sources::loadDatabaseProducts(
                                             path, QStringLiteral("F:\\EST\\est.mdb"), reader);
                    if (r.ok)
                        ++lists;
                    else {
                        ++failures;
                        QVERIFY2(r.failure.contains(QStringLiteral("F:\\EST\\est.mdb")),
                                 qPrintable(r.failure));
                    }
                }
                QVERIFY2(t.elapsed() < 60000, qPrintable(fx));
            }
        }
        qInfo("damaged databases: %d files, %d loads gave a list, %d a failure message", cases,
              lists, failures);
    }
};

TW_REGISTER_TEST(HostileLedgerTest)
TW_REGISTER_TEST(HostileReaderTest)
#include "hostiletest.moc"
