// Posting from a spreadsheet file: checking 10,000 rows against 1,000 ledgers of 100 entries,
// and posting them beside the least that can cost, the same records appended to the same
// files with one flush a file.
#include "batch/batch.h"
#include "batch/batchmodels.h"
#include "batch/frmpostfile.h"
#include "batch/post.h"
#include "benchsupport.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "settings/defaulttax.h"
#include "settings/settings.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <iostream>
#include <map>
#include <unistd.h>

namespace tw::bench {
namespace {

const QString kFolder = QStringLiteral("F:\\BATCH");
constexpr int kRows = 10000;
constexpr int kLedgers = 1000;
constexpr off_t kLedgerBytes = 100 * ledger::LedgerEntryRecord::kLength;

QString csvFile(int rows) {
    return data().root + QStringLiteral("/batch%1.csv").arg(rows);
}

std::string ledgerFile(int number) {
    return data().native(kFolder + QStringLiteral("\\led") + ledger::ledgerNumberText(number) +
                         QStringLiteral(".dat"));
}

batch::Batch checked(const QString& path) {
    const ledger::LedgerStore store(*data().paths, kFolder);
    batch::BatchChecker checker(store, path, batch::Options{});
    if (checker.open()) {
        while (checker.checkSome(1000)) {
        }
    }
    if (!checker.error().isEmpty())
        std::cerr << checker.error().toStdString() << '\n';
    return checker.takeBatch();
}

// The ledgers as twgen made them, and no journal: every posting starts from there, and the
// check always finds the same ledgers.
void restoreLedgers() {
    for (int n = 1; n <= kLedgers; ++n)
        (void)::truncate(ledgerFile(n).c_str(), kLedgerBytes);
    const std::string journal = data().native(kFolder + QStringLiteral("\\POSTINGS.CSV"));
    (void)::unlink(journal.c_str());
}

const batch::Batch& batch10000() {
    static const batch::Batch b = checked(csvFile(kRows));
    return b;
}

void BatchCheck10000(benchmark::State& state) {
    for (auto _ : state) {
        const batch::Batch b = checked(csvFile(kRows));
        if (b.count(batch::Status::Ready) != kRows) {
            fail(state, QStringLiteral("%1 of %2 rows ready")
                            .arg(b.count(batch::Status::Ready))
                            .arg(kRows));
            break;
        }
    }
}
BENCHMARK(BatchCheck10000)->Unit(benchmark::kMillisecond);

void BatchPost10000(benchmark::State& state) {
    const batch::Batch& b = batch10000();
    ledger::LedgerStore store(*data().paths, kFolder);
    for (auto _ : state) {
        state.PauseTiming();
        restoreLedgers();
        state.ResumeTiming();
        const batch::BatchResult r = batch::postBatch(store, b);
        if (r.count(batch::Outcome::Posted) != kRows) {
            fail(state, QStringLiteral("%1 of %2 rows posted %3")
                            .arg(r.count(batch::Outcome::Posted))
                            .arg(kRows)
                            .arg(r.refusal + r.failures.join(QLatin1Char(' '))));
            break;
        }
    }
    restoreLedgers();
}
BENCHMARK(BatchPost10000)->Unit(benchmark::kMillisecond);

// The same records into the same files: open, one write, fsync and close a file.
void BatchPostReference(benchmark::State& state) {
    const batch::Batch& b = batch10000();
    std::map<int, QByteArray> records;
    batch::RowReader reader(b);
    for (std::size_t i = 0; i < b.rows.size(); ++i)
        records[b.rows[i].ledger] += reader.entry(int(i)).posting->record;
    for (auto _ : state) {
        state.PauseTiming();
        restoreLedgers();
        state.ResumeTiming();
        for (const auto& [number, bytes] : records) {
            const int fd = ::open(ledgerFile(number).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
            if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() ||
                ::fsync(fd) != 0) {
                fail(state, QStringLiteral("cannot append to ledger %1").arg(number));
                break;
            }
            ::close(fd);
        }
    }
    restoreLedgers();
}
BENCHMARK(BatchPostReference)->Unit(benchmark::kMillisecond);

} // namespace

int batchResidentChild() {
    const std::int64_t before = residentKiB();
    const batch::Batch b = checked(csvFile(10 * kRows));
    if (b.rows.size() != std::size_t(10 * kRows))
        return 1;
    std::cout << residentKiB() - before << '\n';
    return 0;
}

// The preview window shown empty, then with the 100,000-row file checked and its first rows
// painted: what the check and the table add.
int previewResidentChild() {
    QuietHost host;
    settings::SettingsStore settings(data().prog, &host);
    settings::DefaultTax tax(settings);
    frmPostFile w(*data().paths, settings, tax, host);
    w.show();
    runToIdle();
    const std::int64_t before = residentKiB();
    if (!w.openFile(kFolder, csvFile(10 * kRows)))
        return 1;
    while (w.checking())
        QCoreApplication::processEvents();
    runToIdle();
    if (!host.messages.isEmpty() || w.model()->rowCount() != 10 * kRows) {
        std::cerr << host.messages.join(QLatin1Char(' ')).toStdString() << '\n';
        return 1;
    }
    std::cout << residentKiB() - before << '\n';
    return 0;
}

} // namespace tw::bench
