// Postings under load and under crashes: four processes posting into one ledger folder at
// once, and a poster killed at random moments. TW_STRESS_SCALE=full runs the long version.
#include "ledger/journal.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "platform/ioerror.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace tw::test;
using tw::ledger::LedgerIndexRecord;
using tw::ledger::ledgerNumberText;

namespace {

bool fullScale() {
    return qgetenv("TW_STRESS_SCALE") == "full";
}

constexpr int kKnown = 20;
QString knownName(int k) {
    return QStringLiteral("KNOWN CUSTOMER %1").arg(k, 2, 10, QLatin1Char('0'));
}

// An index of the known customers, the first half with a ledger of three entries each.
void seedFolder(const LedgerSandbox& box) {
    QByteArray index;
    for (int k = 1; k <= kKnown; ++k)
        index += LedgerIndexRecord{k, knownName(k)}.encode();
    writeAll(box.indexFile(), index);
    for (int k = 1; k <= kKnown / 2; ++k) {
        QByteArray led;
        for (int e = 1; e <= 3; ++e)
            led += invoiceRecord(QStringLiteral("PRE%1%2").arg(k, 2, 10, QLatin1Char('0')).arg(e),
                                 QStringLiteral("posted before"));
        writeAll(box.ledgerFile(k), led);
    }
}

void writeLine(int fd, const QByteArray& line) {
    // One write a line: a line shorter than the pipe's atomic size is never split.
    const char* p = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        left -= n;
    }
}

QByteArray readToEnd(int fd) {
    QByteArray out;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return out;
        out.append(buf, n);
    }
}

// Every ledger file of the folder by number.
QHash<int, QByteArray> ledgerFiles(const LedgerSandbox& box) {
    QHash<int, QByteArray> out;
    const QStringList names =
        QDir(box.folder).entryList({QStringLiteral("led*.dat")}, QDir::Files, QDir::Name);
    for (const QString& n : names)
        out.insert(n.mid(3, 5).toInt(), readAll(box.file(n)));
    return out;
}

struct Reported {
    QByteArray invoice;
    int ledger = 0;
    QByteArray name;
};

QList<Reported> parseReports(const QByteArray& out) {
    QList<Reported> r;
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() < 3 || f[0] != "P")
            continue;
        r << Reported{f[1], f[2].toInt(), line.mid(f[0].size() + f[1].size() + f[2].size() + 3)};
    }
    return r;
}

QByteArray report(const QString& invoice, int number, const QString& name) {
    return "P " + invoice.toLatin1() + ' ' + QByteArray::number(number) + ' ' + name.toLatin1() +
           '\n';
}

// How a poster's customers were found, told to the parent after its postings.
QByteArray tally(int allocated, int raced) {
    return "T " + QByteArray::number(allocated) + ' ' + QByteArray::number(raced) + '\n';
}

// ---- Four posters at once ----

int runPoster(const LedgerSandbox& box, int poster, int postings, int out) {
    std::mt19937 rng(1000u + unsigned(poster));
    tw::ledger::LedgerStore store = box.store();
    int allocated = 0, raced = 0;
    for (int j = 0; j < postings; ++j) {
        QString name;
        if (j % 10 == 0) {
            // Every poster reaches the same new customer at about the same moment.
            name = QStringLiteral("SHARED CUSTOMER %1").arg(j / 10, 3, 10, QLatin1Char('0'));
        } else {
            const unsigned r = rng() % 100;
            if (r < 45)
                name = knownName(int(1 + rng() % kKnown));
            else if (r < 75)
                name = QStringLiteral("NEW P%1 CUSTOMER %2")
                           .arg(poster + 1)
                           .arg(rng() % 25, 2, 10, QLatin1Char('0'));
            else
                name = QStringLiteral("COMMON NEW %1").arg(rng() % 30, 2, 10, QLatin1Char('0'));
        }
        const QString invoice =
            QStringLiteral("%1%2").arg(poster + 1).arg(j + 1, 6, 10, QLatin1Char('0'));
        try {
            const Posted posted = tw::test::postInvoice(
                store, name,
                invoiceRecord(invoice,
                              QStringLiteral("poster %1 posting %2").arg(poster + 1).arg(j + 1),
                              100 * j + poster));
            allocated += posted.allocated;
            raced += posted.raced;
            writeLine(out, report(invoice, posted.number, name));
        } catch (const tw::IoError& e) {
            writeLine(out, "E " + e.text().toUtf8() + '\n');
            return 2;
        }
    }
    writeLine(out, tally(allocated, raced));
    return 0;
}

class ConcurrentPostingTest : public QObject {
    Q_OBJECT
private slots:
    void fourPostersIntoOneFolder() {
        const int posters = 4;
        const int postings = fullScale() ? 500 : 60;
        LedgerSandbox box;
        seedFolder(box);

        int go[2];
        QVERIFY(::pipe(go) == 0);
        QList<pid_t> pids;
        QList<int> outs;
        for (int p = 0; p < posters; ++p) {
            int out[2];
            QVERIFY(::pipe(out) == 0);
            const pid_t pid = ::fork();
            QVERIFY(pid >= 0);
            if (pid == 0) {
                ::close(go[1]);
                ::close(out[0]);
                char c;
                // All start together when the parent closes its end.
                while (::read(go[0], &c, 1) < 0 && errno == EINTR) {
                }
                ::_exit(runPoster(box, p, postings, out[1]));
            }
            ::close(out[1]);
            pids << pid;
            outs << out[0];
        }
        ::close(go[0]);
        QElapsedTimer timer;
        timer.start();
        ::close(go[1]);

        QList<Reported> reported;
        QByteArray errors;
        int allocated = 0, raced = 0;
        for (int p = 0; p < posters; ++p) {
            const QByteArray out = readToEnd(outs[p]);
            ::close(outs[p]);
            reported += parseReports(out);
            for (const QByteArray& line : out.split('\n')) {
                if (line.startsWith("E "))
                    errors += line + '\n';
                if (line.startsWith("T ")) {
                    allocated += line.split(' ').value(1).toInt();
                    raced += line.split(' ').value(2).toInt();
                }
            }
        }
        for (pid_t pid : pids) {
            int status = 0;
            QCOMPARE(::waitpid(pid, &status, 0), pid);
            QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, errors.constData());
        }
        const qint64 ms = timer.elapsed();
        QCOMPARE(reported.size(), posters * postings);

        // The index: whole records numbered 1, 2, 3 ... and every name once.
        const IndexCheck idx = checkIndex(readAll(box.indexFile()));
        QVERIFY2(idx.fault.isEmpty(), qPrintable(idx.fault));
        QCOMPARE(idx.partialBytes, qsizetype(0));
        QSet<QByteArray> expectedNames;
        for (int k = 1; k <= kKnown; ++k)
            expectedNames << knownName(k).toLatin1();
        for (const Reported& r : reported)
            expectedNames << r.name;
        QCOMPARE(QSet<QByteArray>(idx.names.begin(), idx.names.end()), expectedNames);
        QCOMPARE(idx.names.size(), expectedNames.size());

        // Every ledger file whole and numbered within the index; every posting there once, in
        // the ledger of its customer.
        const QHash<int, QByteArray> files = ledgerFiles(box);
        QHash<QByteArray, int> where; // invoice -> ledger
        QHash<QByteArray, int> count;
        qsizetype records = 0;
        for (auto it = files.begin(); it != files.end(); ++it) {
            QVERIFY(it.key() >= 1 && it.key() <= idx.names.size());
            const LedgerCheck c = checkLedger(it.value());
            QVERIFY2(c.fault.isEmpty(), qPrintable(c.fault));
            QCOMPARE(c.partialBytes, qsizetype(0));
            records += c.invoices.size();
            for (const QByteArray& inv : c.invoices) {
                ++count[inv];
                where[inv] = it.key();
            }
        }
        for (const Reported& r : reported) {
            QCOMPARE(count.value(r.invoice), 1);
            QCOMPARE(where.value(r.invoice), r.ledger);
            QCOMPARE(idx.names[r.ledger - 1], r.name);
        }
        QCOMPARE(records, qsizetype(posters * postings + 3 * kKnown / 2));
        // Each new customer was allocated by exactly one poster.
        QCOMPARE(allocated, int(idx.names.size()) - kKnown);

        // The journal: the header once, then one whole line for each posting, naming the
        // ledger and the offset where its record is.
        const QByteArray journal = readAll(box.file(tw::ledger::journalFileName()));
        const QByteArray header = tw::ledger::journalHeader();
        QVERIFY(journal.startsWith(header));
        QHash<QByteArray, int> journalled;
        qsizetype at = header.size();
        while (at < journal.size()) {
            const qsizetype end = journal.indexOf("\r\n", at);
            QVERIFY2(end > at, qPrintable("torn journal line at " + QString::number(at)));
            const QByteArray line = journal.mid(at, end + 2 - at);
            const QStringList f = parseCsvRecord(line);
            QVERIFY2(f.size() == 10, line.constData());
            QCOMPARE(f[3], QStringLiteral("post"));
            const QByteArray inv = f[6].toLatin1();
            ++journalled[inv];
            QCOMPARE(f[4], ledgerNumberText(where.value(inv)));
            const QByteArray& led = files[where.value(inv)];
            QCOMPARE(led.mid(f[9].toLongLong(), 8), inv.leftJustified(8, ' '));
            at = end + 2;
        }
        QCOMPARE(journalled.size(), reported.size());
        for (const Reported& r : reported)
            QCOMPARE(journalled.value(r.invoice), 1);

        qInfo("concurrent posting: %d processes x %d postings = %d attempted, %lld found once "
              "each, %lld ledgers in the index (%d before), %d allocations, %d lookups that "
              "missed a customer another poster added before the index lock, %lld ms",
              posters, postings, posters * postings, records - 3 * kKnown / 2,
              qint64(idx.names.size()), kKnown, allocated, raced, ms);
    }
};

// ---- A poster killed at random moments ----

[[noreturn]] void crashPoster(const LedgerSandbox& box, unsigned seed, int trial, int out) {
    std::mt19937 rng(seed);
    tw::ledger::LedgerStore store = box.store();
    writeLine(out, "R\n");
    for (int k = 1;; ++k) {
        QString name;
        const unsigned r = rng() % 100;
        if (r < 50)
            name = knownName(int(1 + rng() % kKnown));
        else if (r < 90)
            name = QStringLiteral("CRASH NEW %1").arg(rng() % 100, 3, 10, QLatin1Char('0'));
        else
            name = QStringLiteral("TRIAL %1 NEW %2").arg(trial).arg(k);
        const QString invoice =
            QStringLiteral("%1").arg(trial * 10000 + k, 8, 10, QLatin1Char('0'));
        try {
            const int number =
                postInvoice(store, name, invoiceRecord(invoice, QStringLiteral("crash trial")))
                    .number;
            // Reported only once appendEntry has returned: the record is flushed to disk.
            writeLine(out, report(invoice, number, name));
        } catch (const tw::IoError& e) {
            writeLine(out, "E " + e.text().toUtf8() + '\n');
            ::_exit(3);
        }
    }
}

class CrashTest : public QObject {
    Q_OBJECT
private slots:
    void killedPosterLosesNothing() {
        const int trials = fullScale() ? 200 : 25;
        const unsigned seed = 20060115u;
        std::mt19937 rng(seed);
        LedgerSandbox box;
        seedFolder(box);

        QHash<QByteArray, int> reportedAt; // invoice -> ledger, over every trial
        int reportedTotal = 0, killedPartials = 0, tornSimulated = 0, repairs = 0;
        int killedBeforeStart = 0, writtenUnreported = 0;
        QElapsedTimer timer;
        timer.start();

        for (int trial = 1; trial <= trials; ++trial) {
            int out[2];
            QVERIFY(::pipe(out) == 0);
            const pid_t pid = ::fork();
            QVERIFY(pid >= 0);
            if (pid == 0) {
                ::close(out[0]);
                crashPoster(box, seed + unsigned(trial), trial, out[1]);
            }
            ::close(out[1]);

            // Kill at a random moment: now and then before the poster has started at all.
            QByteArray got;
            if (rng() % 10 == 0) {
                ++killedBeforeStart;
            } else {
                char c;
                while (!got.contains('\n')) {
                    const ssize_t n = ::read(out[0], &c, 1);
                    if (n <= 0)
                        break;
                    got.append(c);
                }
                ::usleep(useconds_t(rng() % 80000));
            }
            ::kill(pid, SIGKILL);
            int status = 0;
            QCOMPARE(::waitpid(pid, &status, 0), pid);
            got += readToEnd(out[0]);
            ::close(out[0]);
            QVERIFY2(!got.contains("\nE ") && !got.startsWith("E "), got.constData());
            QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL,
                     "the poster ended by itself");

            const QList<Reported> reported = parseReports(got);
            reportedTotal += int(reported.size());
            for (const Reported& r : reported)
                reportedAt.insert(r.invoice, r.ledger);

            // After the kill: whole records plus at most one partial record at the end, and
            // every posting reported as done is there.
            const IndexCheck idx = checkIndex(readAll(box.indexFile()));
            QVERIFY2(idx.fault.isEmpty(), qPrintable(idx.fault));
            QCOMPARE(QSet<QByteArray>(idx.names.begin(), idx.names.end()).size(), idx.names.size());
            QHash<int, QByteArray> files = ledgerFiles(box);
            QHash<QByteArray, int> found;
            for (auto it = files.begin(); it != files.end(); ++it) {
                const LedgerCheck c = checkLedger(it.value());
                QVERIFY2(c.fault.isEmpty(), qPrintable(c.fault));
                if (c.partialBytes)
                    ++killedPartials;
                for (const QByteArray& inv : c.invoices)
                    found.insert(inv, it.key());
            }
            if (idx.partialBytes)
                ++killedPartials;
            for (const Reported& r : reported)
                QCOMPARE(found.value(r.invoice), r.ledger);

            // Every third trial a write is torn as a crash in mid-write would leave it (a
            // kill on a local disk seldom does): part of a record at the end of a ledger and
            // of the index.
            if (trial % 3 == 0) {
                const QList<int> numbers = files.keys();
                const int victim = numbers[int(rng() % unsigned(numbers.size()))];
                const QByteArray rec =
                    invoiceRecord(QStringLiteral("TORN"), QStringLiteral("torn"));
                QFile f(box.ledgerFile(victim));
                QVERIFY(f.open(QIODevice::Append));
                f.write(rec.left(1 + int(rng() % 127)));
                f.close();
                const QByteArray irec = LedgerIndexRecord{int(idx.names.size()) + 1,
                                                          QStringLiteral("TORN %1").arg(trial)}
                                            .encode();
                QFile i(box.indexFile());
                QVERIFY(i.open(QIODevice::Append));
                i.write(irec.left(1 + int(rng() % 46)));
                i.close();
                ++tornSimulated;
            }

            // The next posting makes every file whole again: one for each ledger that ends in
            // a partial record, and one for a new customer.
            tw::ledger::LedgerStore store = box.store();
            files = ledgerFiles(box);
            for (auto it = files.begin(); it != files.end(); ++it) {
                if (it.value().size() % tw::ledger::LedgerEntryRecord::kLength == 0)
                    continue;
                const QString inv =
                    QStringLiteral("R%1").arg(trial * 100 + repairs % 100, 7, 10, QLatin1Char('0'));
                const std::int64_t at = store.appendEntry(
                    ledgerNumberText(it.key()), invoiceRecord(inv, QStringLiteral("after crash")));
                // A torn record that lacks only its line end is completed and kept.
                constexpr int len = tw::ledger::LedgerEntryRecord::kLength;
                const bool kept = it.value().size() % len >= len - 2;
                QCOMPARE(at, it.value().size() / len + (kept ? 2 : 1));
                reportedAt.insert(inv.toLatin1(), it.key());
                ++repairs;
            }
            const QString inv = QStringLiteral("N%1").arg(trial, 7, 10, QLatin1Char('0'));
            const int number = postInvoice(store, QStringLiteral("AFTER CRASH %1").arg(trial),
                                           invoiceRecord(inv, QStringLiteral("after crash")))
                                   .number;
            reportedAt.insert(inv.toLatin1(), number);

            const IndexCheck after = checkIndex(readAll(box.indexFile()));
            QVERIFY2(after.fault.isEmpty(), qPrintable(after.fault));
            QCOMPARE(after.partialBytes, qsizetype(0));
            const QHash<int, QByteArray> afterFiles = ledgerFiles(box);
            for (auto it = afterFiles.begin(); it != afterFiles.end(); ++it) {
                const LedgerCheck c = checkLedger(it.value());
                QVERIFY2(c.fault.isEmpty(), qPrintable(c.fault));
                QCOMPARE(c.partialBytes, qsizetype(0));
            }
        }

        // Over all trials: every posting reported (and every repair) present exactly once.
        QHash<QByteArray, int> count;
        QHash<QByteArray, int> where;
        const QHash<int, QByteArray> files = ledgerFiles(box);
        for (auto it = files.begin(); it != files.end(); ++it) {
            for (const QByteArray& inv : checkLedger(it.value()).invoices) {
                ++count[inv];
                where[inv] = it.key();
            }
        }
        int recovered = 0;
        for (auto it = reportedAt.begin(); it != reportedAt.end(); ++it) {
            QCOMPARE(count.value(it.key()), 1);
            QCOMPARE(where.value(it.key()), it.value());
            if (!it.key().startsWith('R') && !it.key().startsWith('N'))
                ++recovered;
        }
        for (auto it = count.begin(); it != count.end(); ++it) {
            if (!reportedAt.contains(it.key()) && !it.key().startsWith("PRE"))
                ++writtenUnreported;
        }
        QCOMPARE(recovered, reportedTotal);

        qInfo("crash test: %d trials (seed %u, %d killed before starting), %d postings reported "
              "done, %d found after the kills, %d more written but killed before reporting, "
              "%d partial records left by kills, %d torn writes simulated, %d ledgers made whole "
              "by the next posting, %lld ms",
              trials, seed, killedBeforeStart, reportedTotal, recovered, writtenUnreported,
              killedPartials, tornSimulated, repairs, timer.elapsed());
    }
};

} // namespace

TW_REGISTER_TEST(ConcurrentPostingTest)
TW_REGISTER_TEST(CrashTest)
#include "stresstest.moc"
