// Runs every benchmark and prints one table: each workload's time, the reference measured in
// the same run, their ratio and the goal.
//
//   tw_bench <data folder> [--benchmark_... flags]
//   tw_bench --rss <program folder>    (used by the table: start the window, print its size)
#include "app/appcontext.h"
#include "benchsupport.h"
#include "mainwindow/frmledger.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iostream>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace tw::bench {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

struct Sample {
    double real = 0; // seconds an iteration, wall clock
    double cpu = 0;  // seconds an iteration, this process's CPU
};

// Keeps every repetition of every benchmark; the table is printed from them at the end.
class Collector : public benchmark::BenchmarkReporter {
public:
    std::map<std::string, std::vector<Sample>> samples;
    std::map<std::string, std::string> errors;

    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const std::string name = run.run_name.function_name;
            if (run.error_occurred) {
                errors[name] = run.error_message;
                continue;
            }
            const double n = double(std::max<benchmark::IterationCount>(run.iterations, 1));
            samples[name].push_back({run.real_accumulated_time / n, run.cpu_accumulated_time / n});
        }
        std::cerr << '.' << std::flush;
    }

    // The least disturbed repetition: on a shared machine every other figure carries the
    // noise of whatever else ran at that moment.
    double best(const std::string& name, bool cpu = false) const {
        const auto it = samples.find(name);
        if (it == samples.end() || it->second.empty())
            return kNone;
        double m = std::numeric_limits<double>::infinity();
        for (const Sample& s : it->second)
            m = std::min(m, cpu ? s.cpu : s.real);
        return m;
    }
    double median(const std::string& name) const {
        const auto it = samples.find(name);
        if (it == samples.end() || it->second.empty())
            return kNone;
        std::vector<double> v;
        for (const Sample& s : it->second)
            v.push_back(s.real);
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

enum class Unit { Time, MiB };

struct Row {
    std::string workload;
    double program = kNone;
    double reference = kNone;
    double perRecord = kNone; // the naive reader, where there is one
    double goal = kNone;      // highest ratio allowed; NaN: reported only
    std::string goalText;
    std::string note; // what the reference is
    Unit unit = Unit::Time;
    std::string error;
    bool absolute = false; // the goal is the program's own figure, not a ratio
};

// Strings joined by appending: GCC 12 at -O3 warns falsely on "literal" + std::string.
template <typename... Parts> std::string join(const Parts&... parts) {
    std::string out;
    (out.append(parts), ...);
    return out;
}

std::string fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

std::string timeText(double s) {
    if (std::isnan(s))
        return "-";
    const double a = std::fabs(s);
    if (a >= 1)
        return fmt("%.2f s", s);
    if (a >= 1e-3)
        return fmt("%.2f ms", s * 1e3);
    return fmt("%.1f us", s * 1e6);
}

std::string valueText(double v, Unit unit) {
    if (unit == Unit::MiB)
        return std::isnan(v) ? "-" : fmt("%.1f MiB", v);
    return timeText(v);
}

std::string pad(std::string s, std::size_t width, bool right) {
    if (s.size() >= width)
        return s;
    return right ? std::string(width - s.size(), ' ') + s : s + std::string(width - s.size(), ' ');
}

std::string cpuModel() {
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return line.mid(line.indexOf(':') + 1).trimmed().toStdString();
        }
    }
    return "unknown CPU";
}

std::string memTotal() {
    QFile f(QStringLiteral("/proc/meminfo"));
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.startsWith("MemTotal:"))
                return fmt("%.1f GiB RAM", line.mid(9).trimmed().split(' ').value(0).toDouble() /
                                               (1024.0 * 1024.0));
        }
    }
    return "unknown RAM";
}

// The resident size of the started window in a fresh process (a process cannot give back all
// it once used, so the two figures must not come from the same one). Median of three.
// The median resident size of three child processes started with these arguments.
double childResidentMiB(const QStringList& arguments, QString& error) {
    std::vector<double> sizes;
    for (int i = 0; i < 3; ++i) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), arguments);
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            error = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
            if (error.isEmpty())
                error = QStringLiteral("the window did not start");
            return kNone;
        }
        sizes.push_back(p.readAllStandardOutput().trimmed().toDouble() / 1024.0);
    }
    std::sort(sizes.begin(), sizes.end());
    return sizes[1];
}

// A memory row: the resident size of the child started `with` these arguments, less that of
// the child started `without` (when given), against a goal in MiB. The note names both.
Row memoryRow(const char* workload, double goal, const QStringList& with,
              const QStringList& without, const std::string& noteWith,
              const std::string& noteWithout = {}) {
    Row r;
    r.workload = workload;
    r.unit = Unit::MiB;
    r.goal = goal;
    r.goalText = join("<= ", std::to_string(int(goal)), " MiB");
    QString errWith, errWithout;
    const double big = childResidentMiB(with, errWith);
    if (without.isEmpty()) {
        r.program = big;
        r.note = noteWith;
    } else {
        const double small = childResidentMiB(without, errWithout);
        r.program = big - small;
        r.note =
            join(noteWith, valueText(big, Unit::MiB), noteWithout, valueText(small, Unit::MiB));
    }
    r.error = (errWith + QLatin1Char(' ') + errWithout).trimmed().toStdString();
    return r;
}

int residentChild(const QString& programFolder) {
    QuietHost host;
    NoDialogs dialogs;
    AppContext ctx(programFolder, host, dialogs);
    auto* w = new frmLedger(ctx.paths, ctx.settings, ctx.defaultTax, host, dialogs);
    w->Form_Load();
    runToIdle();
    if (!host.messages.isEmpty() || host.ended) {
        std::cerr << host.messages.join(QLatin1Char(' ')).toStdString() << '\n';
        return 1;
    }
    std::cerr << w->cboCust->count() << " customers, " << w->cboProd->count() << " products\n";
    std::cout << residentKiB() << '\n';
    delete w;
    return 0;
}

void printTable(const Collector& c, int repetitions) {
    std::vector<Row> rows;
    auto scan = [&](std::string workload, const std::string& program, const std::string& ref,
                    const std::string& naive, double goal, std::string note) {
        Row r;
        r.workload = std::move(workload);
        r.program = c.best(program);
        r.reference = c.best(ref);
        r.perRecord = naive.empty() ? kNone : c.best(naive);
        r.goal = goal;
        r.goalText = std::isnan(goal) ? "report" : fmt("<= %.1f", goal);
        r.note = std::move(note);
        for (const std::string& n : {program, ref, naive}) {
            if (const auto it = c.errors.find(n); it != c.errors.end())
                r.error = join(n, ": ", it->second);
        }
        rows.push_back(r);
        return rows.size() - 1;
    };

    scan("Job lookup, not found, 200,000 jobs", "JobLookupNotFound", "WipReadLarge",
         "WipReadPerRecord", 1.5,
         "one sequential read of \\Wip.Dat (51.2 MB), fastest of 64 KiB, 256 KiB, 1 MiB reads");
    scan("Ledger lookup, not found, 32,767 customers", "LedgerLookupNotFound", "IndexReadLarge",
         "IndexReadPerRecord", 1.5,
         "one sequential read of \\ledger.ndx (1.5 MB), fastest of 64 KiB, 256 KiB, 1 MiB reads");
    const std::size_t list =
        scan("Customer list, 50,000 QUILLBAR.CLI records, to the list box", "CustomerListExport",
             "ExportReference", "ExportPerRecord", 3.0,
             "sequential read + decode + collated case-blind sort of the same names");
    scan("Customer list, 50,000 CUSTOMER.FIL records, to the list box", "CustomerListCustomerFil",
         "CustomerFilReference", "CustomerFilPerRecord", 3.0,
         "sequential read + decode + collated case-blind sort of the same names");
    {
        const std::size_t row =
            scan("Completion of a typed customer name, 50,000 customers, a keystroke",
                 "CustomerCompletion", "CustomerCompletionScan", "", 0.002,
                 "a scan of the list from the top for the first entry that begins with the "
                 "text; the goal is the time");
        rows[row].absolute = true;
        rows[row].goalText = "<= 2 ms";
    }

    {
        Row r;
        r.workload = "Start-up to idle, 50,000 customers + 998 products, over empty lists";
        r.program = c.best("StartUpFull") - c.best("StartUpEmpty");
        r.reference = rows[list].program;
        r.goal = 1.5;
        r.goalText = "<= 1.5";
        r.note = join("the customer list figure above (start-up ", timeText(c.best("StartUpFull")),
                      " full, ", timeText(c.best("StartUpEmpty")), " empty)");
        for (const char* n : {"StartUpFull", "StartUpEmpty"}) {
            if (const auto it = c.errors.find(n); it != c.errors.end())
                r.error = join(n, ": ", it->second);
        }
        rows.push_back(r);
    }

    scan("Duplicate invoice check, not found, 10,000-entry ledger", "DuplicateCheck10000",
         "LedgerReadLarge", "LedgerReadPerRecord", 2.0,
         "one sequential read of led00001.dat (1.3 MB), fastest of 64 KiB, 256 KiB, 1 MiB reads");
    scan("Posting, 10,000-entry ledger (append, lock, flush)", "PostLedger10000", "PostLedger10",
         "", 1.2, "the same posting into a 10-entry ledger");
    {
        Row r;
        r.workload = "Posting, 10,000-entry ledger, CPU time only";
        r.program = c.best("PostLedger10000", true);
        r.reference = c.best("PostLedger10", true);
        r.goal = 1.2;
        r.goalText = "<= 1.2";
        r.note = "the same posting into a 10-entry ledger: no computing grows with the ledger";
        rows.push_back(r);
    }
    scan("Posting, 10,000-entry ledger, against the least an append costs", "PostLedger10000",
         "RawAppendFlush", "", kNone, "open + 128-byte write at the end + fsync + close");

    {
        const std::size_t check =
            scan("Ledger folder check, 32,767 customers, 1,000 ledgers of 100 entries",
                 "LedgerCheck", "LedgerCheckRead", "", 2.0,
                 "one sequential read of every file of the folder (14.3 MB); the goal is the time");
        rows[check].absolute = true;
        rows[check].goalText = "<= 2 s";
    }
    const char* findReference =
        "one sequential read of ledger.ndx and the 1,000 ledger files (12.8 MB), each opened, "
        "read in 1 MiB reads and closed";
    scan("Find an invoice, 1,000 ledgers of 100 entries", "FindLedgers1000", "FindLedgers1000Read",
         "", 1.5, findReference);
    for (const auto& [name, goal, text] :
         {std::tuple{"FindIndex32767", 2.0, "<= 2 s"},
          std::tuple{"FindIndex32767FirstResult", 0.1, "<= 100 ms"}}) {
        const bool first = std::string(name) == "FindIndex32767FirstResult";
        const std::size_t at =
            scan(first ? "Find, 32,767 ledgers of 10 entries, to the first slice with a result"
                       : "Find an invoice, 32,767 ledgers of 10 entries, to the end",
                 name, "", "", goal,
                 "the goal is the time; the search runs in the 50 ms slices a window gives it");
        rows[at].absolute = true;
        rows[at].goalText = text;
    }
    scan("Activity report by customer, 1,000 ledgers of 100 entries", "Activity1000",
         "FindLedgers1000Read", "", 2.0, findReference);

    {
        const std::size_t check =
            scan("Checking a file of 10,000 rows against 1,000 ledgers of 100 entries",
                 "BatchCheck10000", "", "", 1.0, "the goal is the time");
        rows[check].absolute = true;
        rows[check].goalText = "<= 1 s";
    }
    scan("Posting a file of 10,000 rows to 1,000 ledgers", "BatchPost10000", "BatchPostReference",
         "", 1.5,
         "the same records appended to the same files: open, one write, fsync, close a file");
    const QString root = data().root, prog = data().prog;
    rows.push_back(memoryRow("Memory: a checked file of 100,000 rows, the core's model", 50,
                             {QStringLiteral("--rss-batch"), root}, {},
                             "resident size added by checking batch100000.csv and keeping the "
                             "result"));
    rows.push_back(
        memoryRow("Memory: the Post from File window with a checked file of 100,000 rows", 50,
                  {QStringLiteral("--rss-preview"), root}, {},
                  "resident size added to the started window by checking batch100000.csv in it and "
                  "painting its table"));
    rows.push_back(memoryRow("Memory: resident size with 50,000 customers loaded", 20,
                             {QStringLiteral("--rss"), prog},
                             {QStringLiteral("--rss"), data().progEmpty},
                             "resident size of the started window, full ", " minus empty "));

    for (const auto& [name, entries] :
         {std::pair{"LedgerView10000", "10,000"}, std::pair{"LedgerView100000", "100,000"}}) {
        const bool small = std::string(name) == "LedgerView10000";
        const std::size_t at =
            scan(join("Customer Ledger window, ", entries, "-entry ledger, to a painted window"),
                 name, "", "", small ? 0.05 : 1.0, "the goal is the time");
        rows[at].absolute = true;
        rows[at].goalText = small ? "<= 50 ms" : "<= 1 s";
    }
    rows.push_back(memoryRow("Memory: Customer Ledger window on the 10,000-entry ledger", 5,
                             {QStringLiteral("--rss-ledger"), prog, QStringLiteral("00001")},
                             {QStringLiteral("--rss-ledger"), prog, QStringLiteral("00002")},
                             "resident size with the window open, 10,000 entries ",
                             " minus 10 entries "));
    rows.push_back(memoryRow("Memory: Find window with 100,000 results", 30,
                             {QStringLiteral("--rss-find"), prog, QStringLiteral("1")},
                             {QStringLiteral("--rss-find"), prog, QStringLiteral("0")},
                             "resident size with every entry of the 1,000 ledgers found and "
                             "shown ",
                             " minus the started window "));

    std::cout << "\nTallywork benchmarks: " << cpuModel() << ", " << QThread::idealThreadCount()
              << " cores, " << memTotal() << "; best of " << repetitions
              << " repetitions, warm cache\n\n";
    const std::size_t w0 = 69, w = 11;
    const std::string head =
        join(pad("Workload", w0, false), pad("Program", w, true), pad("Reference", w, true),
             pad("Ratio", 7, true), "  ", pad("Goal", 10, false), pad("Met", 4, false),
             pad("1 read/rec", w, true));
    std::cout << head << '\n' << std::string(head.size(), '-') << '\n';
    int number = 0;
    bool allMet = true;
    for (const Row& r : rows) {
        ++number;
        std::string ratio = "-", met;
        if (r.unit == Unit::MiB) {
            met = std::isnan(r.program) ? "?" : (r.program <= r.goal ? "yes" : "NO");
        } else if (!std::isnan(r.program) && !std::isnan(r.reference) && r.reference > 0) {
            const double q = r.program / r.reference;
            ratio = fmt("%.2f", q);
            met = std::isnan(r.goal) ? "-" : (q <= r.goal ? "yes" : "NO");
        } else {
            met = "?";
        }
        if (r.absolute)
            met = std::isnan(r.program) ? "?" : (r.program <= r.goal ? "yes" : "NO");
        if (!r.error.empty())
            met = "ERR";
        if (met == "NO" || met == "?" || met == "ERR")
            allMet = false;
        std::cout << pad(join("[", std::to_string(number), "] ", r.workload), w0, false)
                  << pad(valueText(r.program, r.unit), w, true)
                  << pad(valueText(r.reference, r.unit), w, true) << pad(ratio, 7, true) << "  "
                  << pad(r.goalText, 10, false) << pad(met, 4, false)
                  << pad(valueText(r.perRecord, Unit::Time), w, true) << '\n';
    }
    std::cout << "\nReference of each row:\n";
    number = 0;
    for (const Row& r : rows) {
        ++number;
        std::cout << "  [" << number << "] " << r.note << '\n';
        if (!r.error.empty())
            std::cout << "      error: " << r.error << '\n';
    }
    std::cout << "  1 read/rec: the reference with one system call per record (the naive "
                 "reader)\n";
    std::cout << (allMet ? "\nEvery goal is met.\n" : "\nNot every goal is met.\n");
}

} // namespace
} // namespace tw::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    if (argc == 3 && std::string(argv[1]) == "--rss")
        return tw::bench::residentChild(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 &&
        (std::string(argv[1]) == "--rss-batch" || std::string(argv[1]) == "--rss-preview")) {
        tw::bench::Data& d = tw::bench::data();
        d.root = QString::fromLocal8Bit(argv[2]);
        d.prog = d.root + QStringLiteral("/prog");
        d.paths = std::make_unique<tw::DosPaths>(d.prog);
        return std::string(argv[1]) == "--rss-batch" ? tw::bench::batchResidentChild()
                                                     : tw::bench::previewResidentChild();
    }
    if (argc == 4 && std::string(argv[1]) == "--rss-find") {
        tw::bench::Data& d = tw::bench::data();
        d.prog = QString::fromLocal8Bit(argv[2]);
        d.paths = std::make_unique<tw::DosPaths>(d.prog);
        return tw::bench::findWindowResidentChild(std::string(argv[3]) == "1");
    }
    if (argc == 4 && std::string(argv[1]) == "--rss-ledger") {
        tw::bench::Data& d = tw::bench::data();
        d.prog = QString::fromLocal8Bit(argv[2]);
        d.paths = std::make_unique<tw::DosPaths>(d.prog);
        return tw::bench::ledgerViewResidentChild(QString::fromLocal8Bit(argv[3]));
    }

    // Defaults that suit a shared machine: several repetitions, interleaved so that a burst of
    // load falls on all benchmarks alike; any flag given on the command line wins.
    std::vector<std::string> args(argv, argv + argc);
    auto given = [&](const std::string& flag) {
        return std::any_of(args.begin(), args.end(),
                           [&](const std::string& a) { return a.rfind(flag, 0) == 0; });
    };
    if (!given("--benchmark_repetitions"))
        args.push_back("--benchmark_repetitions=5");
    if (!given("--benchmark_enable_random_interleaving"))
        args.push_back("--benchmark_enable_random_interleaving=true");
    if (!given("--benchmark_min_time"))
        args.push_back("--benchmark_min_time=0.3");
    std::vector<char*> bargv;
    for (std::string& a : args)
        bargv.push_back(a.data());
    int bargc = int(bargv.size());
    benchmark::Initialize(&bargc, bargv.data());
    if (bargc != 2) {
        std::cerr << "usage: tw_bench <data folder> [--benchmark_... flags]\n";
        return 2;
    }

    tw::bench::Data& d = tw::bench::data();
    d.root = QDir(QString::fromLocal8Bit(bargv[1])).absolutePath();
    d.prog = d.root + QStringLiteral("/prog");
    d.progEmpty = d.root + QStringLiteral("/prog-empty");
    d.paths = std::make_unique<tw::DosPaths>(d.prog);

    int repetitions = 5;
    for (const std::string& a : args) {
        if (a.rfind("--benchmark_repetitions=", 0) == 0)
            repetitions = std::atoi(a.c_str() + 24);
    }

    tw::bench::Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    tw::bench::releaseWindows();
    std::cerr << '\n';
    tw::bench::printTable(collector, repetitions);
    benchmark::Shutdown();
    return 0;
}
