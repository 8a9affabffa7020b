// What a posting or a saved setting leaves on the disk when the machine stops right after.
// fsync is replaced in this program by a stand-in that records which folders were synced and
// can fail one file's flush, running a second writer at that very moment.
#include "../core/batch/batchfixture.h"
#include "batch/post.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "postingdriver.h"
#include "settings/settings.h"
#include "sources/productfile.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QtTest>

#include <cerrno>
#include <functional>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace tw::test;

namespace {

struct FsyncRecorder {
    std::vector<std::pair<dev_t, ino_t>> folders; // folders synced, in order
    int files = 0;                                // flushes of files
    bool failNextFile = false;
    std::function<void()> whileFailing; // runs inside the failing flush
};

FsyncRecorder& recorder() {
    static FsyncRecorder r;
    return r;
}

std::pair<dev_t, ino_t> idOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return {st.st_dev, st.st_ino};
}

bool folderSynced(const QString& folder) {
    const auto id = idOf(folder);
    for (const auto& f : recorder().folders) {
        if (f == id)
            return true;
    }
    return false;
}

} // namespace

extern "C" int fsync(int fd) {
    FsyncRecorder& r = recorder();
    struct stat st {};
    const bool isFolder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    if (isFolder)
        r.folders.emplace_back(st.st_dev, st.st_ino);
    else
        ++r.files;
    if (!isFolder && r.failNextFile) {
        r.failNextFile = false;
        if (auto other = std::exchange(r.whileFailing, {}))
            other();
        errno = EIO;
        return -1;
    }
    return int(::syscall(SYS_fsync, fd));
}

class DurabilityTest : public QObject {
    Q_OBJECT
private slots:
    void init() { recorder() = {}; }

    // A file made by the program is recorded in its folder before success is reported; a
    // file that was there needs no folder sync.
    void newFileSyncsItsFolder_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("folderSync");
        QTest::newRow("new ledger file") << "ledger" << true;
        QTest::newRow("new ledger index") << "index" << true;
        QTest::newRow("new product file") << "product" << true;
        QTest::newRow("new settings file") << "settings" << true;
        QTest::newRow("settings file replaced") << "settings again" << true;
        QTest::newRow("entry appended to an existing ledger") << "existing ledger" << false;
    }
    void newFileSyncsItsFolder() {
        QFETCH(QString, what);
        QFETCH(bool, folderSync);
        LedgerSandbox box;
        QString folder = box.folder;
        if (what == "ledger" || what == "existing ledger") {
            if (what == "existing ledger")
                writeAll(box.ledgerFile(7), invoiceRecord("1", "x"));
            recorder() = {};
            box.store().appendEntry("00007", invoiceRecord("2", "y"));
        } else if (what == "index") {
            box.store().findCustomer(u"ACME");
        } else if (what == "product") {
            QDir().mkpath(box.drive + "/EST");
            folder = box.drive + "/EST";
            const tw::sources::LoadResult r = tw::sources::loadProductFile(box.paths, "F:\\EST");
            QVERIFY(r.ok);
            QVERIFY(QFile::exists(folder + "/product.dat"));
        } else {
            folder = box.prog;
            tw::settings::SettingsStore s(box.prog);
            if (what == "settings again")
                writeAll(box.prog + "/Check.Dat", "0\r\n");
            recorder() = {};
            QVERIFY(s.write(tw::settings::kCheck, "1"));
        }
        QCOMPARE(folderSynced(folder), folderSync);
    }

    // The first writer's flush fails after its record is written. It cuts the record off only
    // when nobody can have written behind it: a record another machine appended, or is
    // appending, behind ours stays whole.
    void failedFlushCutsBackOnlyWhatItMade_data() {
        QTest::addColumn<QString>("other");
        QTest::addColumn<QByteArrayList>("invoicesAfter");
        QTest::newRow("alone") << "none" << QByteArrayList{"1"};
        QTest::newRow("another appended meanwhile") << "appended" << QByteArrayList{"1", "A", "B"};
        QTest::newRow("another holds the next record") << "locked" << QByteArrayList{"1", "A"};
    }
    void failedFlushCutsBackOnlyWhatItMade() {
        QFETCH(QString, other);
        QFETCH(QByteArrayList, invoicesAfter);
        LedgerSandbox box;
        writeAll(box.ledgerFile(1), invoiceRecord("1", "first"));
        tw::RecordFile holder;
        if (other == "appended") {
            recorder().whileFailing = [&] {
                box.store().appendEntry("00001", invoiceRecord("B", "second machine"));
            };
        } else if (other == "locked") {
            recorder().whileFailing = [&] {
                holder.open(box.ledgerFile(1), "led00001.dat");
                holder.lock(2 * 128, 128);
            };
        }
        recorder().failNextFile = true;
        QVERIFY_THROWS_EXCEPTION(tw::IoError,
                                 box.store().appendEntry("00001", invoiceRecord("A", "ours")));
        holder.close();
        const LedgerCheck after = checkLedger(readAll(box.ledgerFile(1)));
        QVERIFY2(after.fault.isEmpty() && after.partialBytes == 0, qPrintable(after.fault));
        QCOMPARE(after.invoices, invoicesAfter);
    }

    // Posting a file flushes each ledger file once, the index once for its new ledgers and the
    // journal once; a flush that fails fails that file's rows only and leaves none of them.
    void batchFlushesEachFileOnce() {
        BatchFolder f;
        const QString d = QStringLiteral(",1/5/2006,10");
        f.writeCsv({"ACME PRINTING,A2" + d, "Zenith Labels,Z2" + d, "ACME PRINTING,A3" + d,
                    "New Co,N1" + d, "New Co,N2" + d});
        const tw::batch::Batch batch = f.check();
        tw::ledger::LedgerStore store = f.store();
        QCOMPARE(tw::batch::postBatch(store, batch).count(tw::batch::Outcome::Posted), 5);
        QCOMPARE(recorder().files, 3 + 1 + 1);

        BatchFolder g;
        g.writeCsv({"ACME PRINTING,A2" + d, "Zenith Labels,Z2" + d});
        const QByteArray ledger1 = readAll(g.ledgerFile(1));
        tw::ledger::LedgerStore other = g.store();
        recorder().failNextFile = true;
        const tw::batch::BatchResult r = tw::batch::postBatch(other, g.check());
        QCOMPARE(r.rows[0].outcome, tw::batch::Outcome::Failed);
        QCOMPARE(r.rows[1].outcome, tw::batch::Outcome::Posted);
        QVERIFY2(r.failures.value(0).startsWith("Ledger 00001 of ACME PRINTING: Cannot write"),
                 qPrintable(r.failures.value(0)));
        QCOMPARE(readAll(g.ledgerFile(1)), ledger1 + "\r\n"); // its line end completed only
        QCOMPARE(readAll(g.ledgerFile(2)).size(), 256);
    }
};

TW_REGISTER_TEST(DurabilityTest)
#include "durabilitytest.moc"
