// The check of a whole ledger folder beside one plain read of all its files.
#include "benchsupport.h"
#include "ledger/ledgercheck.h"

#include <benchmark/benchmark.h>

#include <QDir>

namespace tw::bench {
namespace {

const QString kCheck = QStringLiteral("F:\\CHECK");

// Every ledger has an index record; the other 31,767 index records have no file, which the
// check reports, so the report is compared in full.
void LedgerCheck(benchmark::State& state) {
    const QString folder = QString::fromStdString(data().native(kCheck));
    for (auto _ : state) {
        const ledger::LedgerCheckReport r = ledger::checkLedgerFolder(folder, kCheck);
        if (r.indexRecords != 32767 || r.ledgerFiles != 1000 || r.entries != 100000 ||
            r.problems.size() != 32767 - 1000) {
            fail(state, QStringLiteral("unexpected report: %1 index records, %2 files, %3 "
                                       "entries, %4 problems")
                            .arg(r.indexRecords)
                            .arg(r.ledgerFiles)
                            .arg(r.entries)
                            .arg(r.problems.size()));
            break;
        }
    }
}
BENCHMARK(LedgerCheck)->Unit(benchmark::kMillisecond);

void LedgerCheckRead(benchmark::State& state) {
    const QString folder = QString::fromStdString(data().native(kCheck));
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    AlignedBuffer buffer(1 << 20);
    for (auto _ : state) {
        std::int64_t total = 0;
        for (const QString& f : files)
            total += readLarge((folder + QLatin1Char('/') + f).toStdString(), buffer.data(),
                               std::int64_t(buffer.size()));
        if (total <= 0) {
            fail(state, QStringLiteral("cannot read %1").arg(kCheck));
            break;
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(LedgerCheckRead)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tw::bench
