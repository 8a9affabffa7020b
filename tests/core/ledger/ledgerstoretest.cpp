#include "ledger/ledgerstore.h"
#include "ledger/ledgercheck.h"
#include "ledger/ledgermodel.h"
#include "ledger/ledgerrecords.h"
#include "ledger/posting.h"
#include "ledger/reversal.h"
#include "platform/dospath.h"
#include "platform/recordfile.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tw::ledger;
using tw::test::indexOf;
using tw::test::LedgerSandbox;
using tw::test::readAll;
using tw::test::writeAll;

namespace {

QByteArray indexLine(int n, const QString& name) {
    return LedgerIndexRecord{n, name}.encode();
}

QByteArray entry(const QString& invoice, std::int64_t cents = 10000) {
    LedgerEntryRecord r;
    r.InvoiceNumber = invoice;
    r.InvoiceDate = QDate(2006, 1, 15);
    r.AmountCents = cents;
    return *r.encode();
}

// One posting as the window makes it: the ledger shown by the lookup, else a new one.
void post(LedgerStore& store, const QString& customer, const QString& invoice, bool lookFirst) {
    std::optional<int> n;
    if (lookFirst)
        n = store.findCustomer(customer);
    if (!n)
        n = store.allocateLedger(customer).number;
    store.appendEntry(ledgerNumberText(*n), entry(invoice));
}

QByteArray sha(const QString& path) {
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256);
}

} // namespace

class LedgerStoreTest : public QObject {
    Q_OBJECT
private slots:
    void missingIndexIsCreatedEmpty() {
        LedgerSandbox f;
        LedgerStore s = f.store();
        QCOMPARE(s.indexPath(), QStringLiteral("F:\\LEDGER\\ledger.ndx"));
        QVERIFY(!s.findCustomer(u"ACME PRINTING"));
        QVERIFY(QFile::exists(f.file("ledger.ndx")));
        QCOMPARE(QFileInfo(f.file("ledger.ndx")).size(), 0);

        const auto a = s.allocateLedger(u"ACME PRINTING");
        QCOMPARE(a.number, 1);
        QVERIFY(a.created);
        QCOMPARE(readAll(f.file("ledger.ndx")), indexLine(1, "ACME PRINTING"));
    }

    void searchIsExactOnTheTrimmedName() {
        LedgerSandbox f;
        writeAll(f.file("ledger.ndx"),
                 indexOf({"ACME PRINTING", "Acme Printing", "BOB  SMITH", "ACME PRINTING", "ZED"}));
        LedgerStore s = f.store();
        QCOMPARE(s.findCustomer(u"  ACME PRINTING  "), std::optional<int>(1)); // first of two
        QCOMPARE(s.findCustomer(u"Acme Printing"), std::optional<int>(2));
        QVERIFY(!s.findCustomer(u"acme printing"));
        QVERIFY(!s.findCustomer(u"BOB SMITH")); // inner blanks count
        QCOMPARE(s.findCustomer(u"BOB  SMITH"), std::optional<int>(3));
        QCOMPARE(s.findCustomer(u"ZED"), std::optional<int>(5));
        QVERIFY(!s.findCustomer(u"ZE"));
    }

    void positionNotStoredNumberCounts() {
        LedgerSandbox f;
        // Another program wrote wrong numbers: the position decides.
        writeAll(f.file("ledger.ndx"), indexLine(7, "ONE") + indexLine(7, "TWO"));
        QCOMPARE(f.store().findCustomer(u"TWO"), std::optional<int>(2));
    }

    void allocationOfTheThirteenth() {
        LedgerSandbox f;
        QStringList names;
        for (int i = 1; i <= 12; ++i)
            names << QStringLiteral("CUSTOMER %1").arg(i);
        writeAll(f.file("ledger.ndx"), indexOf(names));
        QCOMPARE(QFileInfo(f.file("ledger.ndx")).size(), 564);
        int shown = 0;
        const auto a = f.store().allocateLedger(u"  NEW PRINT SHOP  ", [&](int n) {
            shown = n;
            // Shown before the record is written.
            QCOMPARE(QFileInfo(f.file("ledger.ndx")).size(), 564);
        });
        QCOMPARE(a.number, 13);
        QCOMPARE(shown, 13);
        const QByteArray idx = readAll(f.file("ledger.ndx"));
        QCOMPARE(idx.size(), 611);
        QCOMPARE(idx.mid(564), QByteArray("00013NEW PRINT SHOP") + QByteArray(26, ' ') + "\r\n");
        QCOMPARE(idx.left(564), indexOf(names));
    }

    void longNamesFindTheirLedgerAgain() {
        LedgerSandbox f;
        LedgerStore s = f.store();
        const QString name = QStringLiteral("THE VERY LONG NAMED PRINTING AND SUPPLY COMPANY INC");
        QCOMPARE(s.allocateLedger(u"OTHER").number, 1);
        QCOMPARE(s.allocateLedger(name).number, 2);
        QCOMPARE(s.findCustomer(name), std::optional<int>(2));
        const auto again = s.allocateLedger(name);
        QCOMPARE(again.number, 2);
        QVERIFY(!again.created);
        QCOMPARE(QFileInfo(f.file("ledger.ndx")).size(), 94);
    }

    void allocationSearchesAgainUnderTheLock() {
        LedgerSandbox f;
        writeAll(f.file("ledger.ndx"), indexOf({"A", "B"}));
        const QByteArray before = readAll(f.file("ledger.ndx"));
        bool called = false;
        const auto a = f.store().allocateLedger(u"B", [&](int) { called = true; });
        QCOMPARE(a.number, 2);
        QVERIFY(!a.created);
        QVERIFY(!called);
        QCOMPARE(readAll(f.file("ledger.ndx")), before);
    }

    void damagedLastRecord() {
        LedgerSandbox f;
        // The last line lost its CR LF: the name is whole, so it is still customer 3.
        const QByteArray whole = indexOf({"A", "B"});
        const QByteArray damaged = whole + indexLine(3, "DAMAGED CO").left(45);
        writeAll(f.file("ledger.ndx"), damaged);
        LedgerStore s = f.store();
        QCOMPARE(s.findCustomer(u"DAMAGED CO"), std::optional<int>(3));
        QCOMPARE(readAll(f.file("ledger.ndx")), damaged); // a plain lookup writes nothing
        QCOMPARE(s.findCustomer(u"A", true), std::optional<int>(1));
        QCOMPARE(readAll(f.file("ledger.ndx")), damaged); // not the matching record: unchanged

        QCOMPARE(s.findCustomer(u"DAMAGED CO", true), std::optional<int>(3));
        QCOMPARE(readAll(f.file("ledger.ndx")), whole + indexLine(3, "DAMAGED CO"));

        // An allocation keeps such a record's number and completes it.
        writeAll(f.file("ledger.ndx"), whole + indexLine(3, "KEPT").left(46));
        QCOMPARE(s.allocateLedger(u"NEW").number, 4);
        QCOMPARE(readAll(f.file("ledger.ndx")), whole + indexLine(3, "KEPT") + indexLine(4, "NEW"));
    }

    void interruptedIndexWriteIsOverwritten() {
        LedgerSandbox f;
        const QByteArray whole = indexOf({"A", "B", "C"});
        writeAll(f.file("ledger.ndx"), whole + "00004SOMETHING CUT"); // 18 bytes: name unusable
        LedgerStore s = f.store();
        QVERIFY(!s.findCustomer(u"SOMETHING CUT"));
        QCOMPARE(s.allocateLedger(u"NEXT").number, 4);
        QCOMPARE(readAll(f.file("ledger.ndx")), whole + indexLine(4, "NEXT"));
    }

    void fullIndexIsRefused() {
        LedgerSandbox f;
        QByteArray idx;
        idx.reserve(kMaxLedgerNumber * 47);
        for (int i = 1; i <= kMaxLedgerNumber; ++i)
            idx += indexLine(i, QStringLiteral("CUSTOMER %1").arg(i));
        writeAll(f.file("ledger.ndx"), idx);
        LedgerStore s = f.store();

        QElapsedTimer t;
        t.start();
        QCOMPARE(s.findCustomer(u"CUSTOMER 32767"), std::optional<int>(kMaxLedgerNumber));
        QVERIFY2(t.elapsed() < 2000, "a search of a full index must be quick");

        bool called = false;
        try {
            s.allocateLedger(u"ONE TOO MANY", [&](int) { called = true; });
            QFAIL("allocation beyond 32767 succeeded");
        } catch (const IndexFullError& e) {
            QVERIFY(e.text().contains("F:\\LEDGER\\ledger.ndx"));
            QVERIFY(e.text().contains("32767"));
        }
        QVERIFY(!called);
        QCOMPARE(readAll(f.file("ledger.ndx")), idx);
        // A customer already there is still found and used.
        QCOMPARE(s.allocateLedger(u"CUSTOMER 5").number, 5);
    }

    void appendAfterTheLastRecord() {
        LedgerSandbox f;
        LedgerStore s = f.store();
        QCOMPARE(s.appendEntry("00013", entry("1")), 1);
        QCOMPARE(readAll(f.file("led00013.dat")), entry("1"));
        QCOMPARE(s.appendEntry("00013", entry("2")), 2);
        QCOMPARE(readAll(f.file("led00013.dat")), entry("1") + entry("2"));

        QByteArray five;
        for (int i = 0; i < 5; ++i)
            five += entry(QString::number(100 + i));
        writeAll(f.file("led00003.dat"), five);
        QCOMPARE(s.appendEntry("00003", entry("NEW")), 6);
        const QByteArray after = readAll(f.file("led00003.dat"));
        QCOMPARE(after.size(), 768);
        QCOMPARE(after.left(640), five);
        QCOMPARE(after.mid(640), entry("NEW"));
    }

    void trailingPartialEntryIsOverwritten() {
        LedgerSandbox f;
        const QByteArray two = entry("1") + entry("2");
        writeAll(f.file("led00002.dat"), two + entry("CUT").left(70));
        QCOMPARE(f.store().appendEntry("00002", entry("3")), 3);
        QCOMPARE(readAll(f.file("led00002.dat")), two + entry("3"));
    }

    // One rule for the last record of a ledger file: one that lost only its line end is an
    // invoice to every reader (the duplicate check, the ledger window, the reversal, the check)
    // and is completed by the next append; a shorter remainder is a torn write, overwritten.
    void everyReaderTakesTheLastRecordAlike_data() {
        QTest::addColumn<int>("tail"); // bytes of the last record on disk
        QTest::addColumn<bool>("isEntry");
        QTest::newRow("whole records") << 0 << false;
        QTest::newRow("torn at 70") << 70 << false;
        QTest::newRow("torn at 125") << 125 << false;
        QTest::newRow("no CR LF") << 126 << true;
        QTest::newRow("no LF") << 127 << true;
    }
    void everyReaderTakesTheLastRecordAlike() {
        QFETCH(int, tail);
        QFETCH(bool, isEntry);
        LedgerSandbox f;
        LedgerStore store = f.store();
        const QByteArray one = entry("1", 100), last = entry("LAST", 2500);
        writeAll(f.indexFile(), indexOf({"A", "B", "C", "D"}));
        writeAll(f.file("led00004.dat"), one + last.left(tail));

        QCOMPARE(duplicateQuestion(store, Posting::toLedger(4, last)).has_value(), isEntry);
        LedgerModel m;
        m.setContents(*store.readEntries("00004"));
        QCOMPARE(m.summary().all, 1 + isEntry);
        QCOMPARE(m.summary().totalCents, isEntry ? 2600 : 100);
        QCOMPARE(m.rowCount(), tail == 0 ? 1 : 2);
        QCOMPARE(m.isIncompleteRow(1), tail != 0 && !isEntry);
        QCOMPARE(m.data(m.index(1, LedgerModel::ColAmount), LedgerModel::OddRole).toBool(),
                 tail != 0); // the missing line end is marked
        const auto plan = planReversal(store, "00004", m.recordAt(1), QDate(2006, 1, 15));
        QCOMPARE(plan.refusal.isEmpty(), isEntry);
        const LedgerCheckReport check = checkLedgerFolder(f.folder, "F:\\LEDGER");
        QCOMPARE(check.entries, std::int64_t(1 + isEntry));
        QCOMPARE(check.sound(), tail == 0);

        const std::int64_t number = store.appendEntry("00004", entry("NEW"));
        const QByteArray expected = isEntry ? one + last + entry("NEW") : one + entry("NEW");
        QCOMPARE(readAll(f.file("led00004.dat")), expected);
        QCOMPARE(number, std::int64_t(expected.size() / 128));
    }

    // Whatever leads a ledger file's name to the index, no entry is written into it.
    void ledgerFileNeverTheIndex_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("symbolic link") << "link";
        QTest::newRow("hard link") << "hard";
    }
    void ledgerFileNeverTheIndex() {
        QFETCH(QString, how);
        LedgerSandbox f;
        const QByteArray index = indexOf({"ACME", "BETA"});
        writeAll(f.file("ledger.ndx"), index);
        if (how == "link")
            QVERIFY(QFile::link(f.file("ledger.ndx"), f.file("led00001.dat")));
        else
            QVERIFY(::link(QFile::encodeName(f.file("ledger.ndx")).constData(),
                           QFile::encodeName(f.file("led00001.dat")).constData()) == 0);
        try {
            f.store().appendEntry("00001", entry("1"));
            QFAIL("an entry was written into the index");
        } catch (const tw::IoError& e) {
            QVERIFY2(e.text().contains("F:\\LEDGER\\ledger.ndx"), qPrintable(e.text()));
        }
        QCOMPARE(readAll(f.file("ledger.ndx")), index);
    }

    void failuresNameTheFile() {
        LedgerSandbox f;
        // A full disk: a file size limit of 0 fails the write as a full disk does.
        int pipeFds[2];
        QVERIFY(::pipe(pipeFds) == 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit none {};
            ::setrlimit(RLIMIT_FSIZE, &none);
            QByteArray text = "succeeded";
            try {
                f.store().appendEntry("00001", entry("1"));
            } catch (const tw::IoError& e) {
                text = e.text().toUtf8();
            }
            (void)!::write(pipeFds[1], text.constData(), size_t(text.size()));
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        QByteArray full;
        char buf[512];
        for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
            full.append(buf, n);
        ::close(pipeFds[0]);
        ::waitpid(child, nullptr, 0);
        QVERIFY2(full.contains("F:\\LEDGER\\led00001.dat"), full.constData());
        QVERIFY2(full.contains(strerror(EFBIG)), full.constData());
        // A sentence: the system's reason ends with a full stop.
        QVERIFY2(full.endsWith(QByteArray(strerror(EFBIG)) + '.'), full.constData());
        QCOMPARE(readAll(f.file("led00001.dat")), QByteArray());
        // A ledger folder that is not there.
        for (auto op : {0, 1, 2}) {
            LedgerStore s = f.store("F:\\MISSING");
            try {
                if (op == 0)
                    s.findCustomer(u"A");
                else if (op == 1)
                    s.allocateLedger(u"A");
                else
                    s.appendEntry("00001", entry("1"));
                QFAIL("an operation in a missing folder succeeded");
            } catch (const tw::IoError& e) {
                const QString name =
                    op == 2 ? "F:\\MISSING\\led00001.dat" : "F:\\MISSING\\ledger.ndx";
                QVERIFY2(e.text().contains(name), qPrintable(e.text()));
                QVERIFY2(e.text().contains(QString::fromLocal8Bit(strerror(ENOENT))),
                         qPrintable(e.text()));
            }
        }
        QVERIFY(!QDir(f.drive + "/MISSING").exists());
        // No folder set at all, and a number text that would leave the folder.
        QVERIFY_THROWS_EXCEPTION(tw::IoError, f.store("").findCustomer(u"A"));
        QVERIFY_THROWS_EXCEPTION(tw::IoError, f.store().appendEntry("..\\x", entry("1")));
    }

    void driveRootFolder() {
        LedgerSandbox f;
        LedgerStore s = f.store("F:\\");
        QCOMPARE(s.indexPath(), QStringLiteral("F:\\ledger.ndx"));
        QCOMPARE(s.ledgerPath("00001"), QStringLiteral("F:\\led00001.dat"));
        QCOMPARE(s.allocateLedger(u"ROOT").number, 1);
        QCOMPARE(s.appendEntry("00001", entry("1")), 1);
        QCOMPARE(readAll(f.drive + "/ledger.ndx"), indexLine(1, "ROOT"));
        QCOMPARE(readAll(f.drive + "/led00001.dat"), entry("1"));
    }

    // Two office machines post into one ledger folder at the same moment, both of them also
    // posting the first invoices of the same new customers.
    void twoProcessesPostAtOnce() {
        LedgerSandbox f;
        writeAll(f.file("ledger.ndx"), indexOf({"OLD ONE", "OLD TWO"}));
        constexpr int kPostings = 60;
        const QStringList shared = {"SHARED NEW", "OLD ONE", "COMMON A", "COMMON B", "OLD TWO"};
        auto customerOf = [&](int p, int i) {
            return i % 4 == 3 ? QStringLiteral("OWN %1").arg(p) : shared[i % shared.size()];
        };

        int go[2];
        QVERIFY(::pipe(go) == 0);
        QList<pid_t> pids;
        for (int p = 0; p < 2; ++p) {
            const pid_t pid = ::fork();
            QVERIFY(pid >= 0);
            if (pid == 0) {
                ::close(go[1]);
                char c;
                [[maybe_unused]] auto n = ::read(go[0], &c, 1); // start together
                int rc = 0;
                try {
                    LedgerStore s = f.store();
                    for (int i = 0; i < kPostings; ++i)
                        post(s, customerOf(p, i), QStringLiteral("P%1-%2").arg(p).arg(i),
                             i % 2 == 1);
                } catch (...) {
                    rc = 1;
                }
                ::_exit(rc);
            }
            pids << pid;
        }
        ::close(go[0]);
        ::close(go[1]); // releases both
        for (pid_t pid : pids) {
            int status = 0;
            QCOMPARE(::waitpid(pid, &status, 0), pid);
            QVERIFY(WIFEXITED(status));
            QCOMPARE(WEXITSTATUS(status), 0);
        }

        // Every customer is in the index exactly once.
        const QByteArray idx = readAll(f.file("ledger.ndx"));
        QCOMPARE(idx.size() % 47, 0);
        QMap<QString, int> ledgerOf;
        for (int n = 1; n <= idx.size() / 47; ++n) {
            const QString name = QString::fromLatin1(idx.mid((n - 1) * 47 + 5, 40)).trimmed();
            QVERIFY2(!ledgerOf.contains(name), qPrintable("twice in the index: " + name));
            QCOMPARE(idx.mid((n - 1) * 47, 5), ledgerNumberText(n).toLatin1());
            ledgerOf[name] = n;
        }
        QCOMPARE(ledgerOf.size(), 7); // 2 old, SHARED NEW, COMMON A/B, OWN 0/1

        // Every posting is in its customer's ledger exactly once.
        for (int p = 0; p < 2; ++p) {
            for (int i = 0; i < kPostings; ++i) {
                const QString cust = customerOf(p, i);
                QVERIFY(ledgerOf.contains(cust));
                const QByteArray led =
                    readAll(f.file("led" + ledgerNumberText(ledgerOf[cust]) + ".dat"));
                QCOMPARE(led.size() % 128, 0);
                const QByteArray rec = entry(QStringLiteral("P%1-%2").arg(p).arg(i));
                int found = 0;
                for (int off = 0; off < led.size(); off += 128)
                    found += led.mid(off, 128) == rec;
                QVERIFY2(found == 1, qPrintable(QStringLiteral("P%1-%2 found %3 times in %4")
                                                    .arg(p)
                                                    .arg(i)
                                                    .arg(found)
                                                    .arg(cust)));
            }
        }
        int total = 0;
        for (int n : ledgerOf)
            total += int(QFileInfo(f.file("led" + ledgerNumberText(n) + ".dat")).size() / 128);
        QCOMPARE(total, 2 * kPostings);
    }

    // A ledger file the index does not list belongs to a customer the index lost: a new
    // customer is not given its number. An empty file holds no one's invoices.
    void unlistedLedgerFile_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("refused");
        QTest::newRow("whole records") << entry("OTHER") + entry("OTHER2") << true;
        QTest::newRow("a partial record") << QByteArray("1234") << true;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void unlistedLedgerFile() {
        QFETCH(QByteArray, file);
        QFETCH(bool, refused);
        LedgerSandbox f;
        writeAll(f.file("ledger.ndx"), indexOf({"A"}));
        writeAll(f.file("led00002.dat"), file);
        LedgerStore s = f.store();
        if (!refused) {
            QCOMPARE(s.allocateLedger(u"NEW").number, 2);
            QCOMPARE(readAll(f.file("ledger.ndx")), indexOf({"A", "NEW"}));
            return;
        }
        bool called = false;
        try {
            s.allocateLedger(u"NEW", [&](int) { called = true; });
            QFAIL("a customer was given another customer's ledger");
        } catch (const IndexFullError&) {
            QFAIL("not a full index");
        } catch (const tw::IoError& e) {
            QCOMPARE(e.text(), QStringLiteral("Cannot create ledger 00002: the ledger file "
                                              "F:\\LEDGER\\led00002.dat already holds records, "
                                              "but the ledger index F:\\LEDGER\\ledger.ndx does "
                                              "not list it. No ledger was created."));
        }
        QVERIFY(!called);
        QCOMPARE(readAll(f.file("ledger.ndx")), indexOf({"A"}));
        QCOMPARE(readAll(f.file("led00002.dat")), file);
        // The customers the index lists still get their ledgers.
        QCOMPARE(s.allocateLedger(u"A").number, 1);
    }

    void refusedAllocationChangesNothing() {
        LedgerSandbox f;
        // Other posters hold the index: the allocation gives up with a message and no write.
        writeAll(f.file("ledger.ndx"), indexOf({"A"}));
        const QByteArray before = sha(f.file("ledger.ndx"));
        tw::RecordFile holder;
        holder.open(f.file("ledger.ndx"), "held");
        holder.lock(LedgerStore::kIndexLockOffset, 1);
        QVERIFY_THROWS_EXCEPTION(tw::IoError, f.store().allocateLedger(u"B"));
        QCOMPARE(sha(f.file("ledger.ndx")), before);
    }
};

TW_REGISTER_TEST(LedgerStoreTest)
#include "ledgerstoretest.moc"
