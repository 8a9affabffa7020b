// Finding across every ledger and the activity report, beside one plain read of every file
// they read: the index and the ledger files.
#include "benchsupport.h"
#include "find/ledgersearch.h"
#include "ledger/ledgerrecords.h"
#include "report/activity.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

namespace tw::bench {
namespace {

// 1,000 customers with a ledger of 100 entries each, and 32,767 with 10 entries each. Every
// ledger holds the invoices 10001 upward, so invoice 10005 is found once in each.
const QString kFind1000 = QStringLiteral("F:\\FIND1000");
const QString kFind32767 = QStringLiteral("F:\\FIND32767");

find::Query invoice10005() {
    find::Query q;
    q.text = QStringLiteral("10005");
    q.field = find::Field::Invoice;
    return q;
}

// Runs the search to its end in the slices a window gives it; the entries found, or -1 with
// the first problem.
std::int64_t findAll(const QString& folder, QString& problem) {
    find::LedgerSearch s(*data().paths, folder, invoice10005());
    while (s.step(find::LedgerSearch::kSlice)) {
    }
    for (const find::FindRow& row : s.rows()) {
        if (row.isProblem()) {
            problem = s.problemText(row);
            return -1;
        }
    }
    return s.totals().entries;
}

void findBench(benchmark::State& state, const QString& folder, std::int64_t expected) {
    for (auto _ : state) {
        QString problem;
        const std::int64_t found = findAll(folder, problem);
        if (found != expected) {
            fail(state,
                 problem.isEmpty() ? QStringLiteral("%1 entries found").arg(found) : problem);
            break;
        }
    }
}

void FindLedgers1000(benchmark::State& state) {
    findBench(state, kFind1000, 1000);
}
BENCHMARK(FindLedgers1000)->Unit(benchmark::kMillisecond);

void FindIndex32767(benchmark::State& state) {
    findBench(state, kFind32767, 32767);
}
BENCHMARK(FindIndex32767)->Unit(benchmark::kMillisecond)->Iterations(1);

// From the start of the search to the end of the first slice that shows a result.
void FindIndex32767FirstResult(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        find::LedgerSearch s(*data().paths, kFind32767, invoice10005());
        while (s.rows().empty() && s.step(find::LedgerSearch::kSlice)) {
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (s.rows().empty() || s.rows().front().isProblem()) {
            fail(state, QStringLiteral("no result first"));
            break;
        }
        state.SetIterationTime(took.count());
        s.cancel();
    }
}
BENCHMARK(FindIndex32767FirstResult)->UseManualTime()->Unit(benchmark::kMillisecond);

void Activity1000(benchmark::State& state) {
    const report::DateRange all{QDate(1930, 1, 1), QDate(2029, 12, 31)};
    for (auto _ : state) {
        report::ActivityRun run(*data().paths, kFind1000, all, report::Grouping::Customer);
        while (run.step(std::chrono::seconds(1))) {
        }
        const report::ActivityReport r = run.report(report::SortOrder::Total);
        if (r.total.entries != 100000 || r.rows.size() != 1000 || !r.problems.isEmpty()) {
            fail(state, QStringLiteral("unexpected report: %1 entries in %2 rows, %3 problems")
                            .arg(r.total.entries)
                            .arg(r.rows.size())
                            .arg(r.problems.size()));
            break;
        }
    }
}
BENCHMARK(Activity1000)->Unit(benchmark::kMillisecond);

// The index and every ledger file, each opened, read in large reads and closed.
void FindLedgers1000Read(benchmark::State& state) {
    std::vector<std::string> files{data().native(kFind1000 + QStringLiteral("\\ledger.ndx"))};
    for (int n = 1; n <= 1000; ++n)
        files.push_back(data().native(kFind1000 + QStringLiteral("\\led") +
                                      ledger::ledgerNumberText(n) + QStringLiteral(".dat")));
    AlignedBuffer buffer(1 << 20);
    for (auto _ : state) {
        std::int64_t total = 0;
        for (const std::string& f : files)
            total += readLarge(f, buffer.data(), std::int64_t(buffer.size()));
        if (total != 1000 * 47 + 1000 * 100 * 128) {
            fail(state, QStringLiteral("cannot read %1").arg(kFind1000));
            break;
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(FindLedgers1000Read)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tw::bench
