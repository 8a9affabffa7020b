// The customer list handed to the main window's list box, and the main window's start-up to
// idle, with the lists full and empty.
#include "app/appcontext.h"
#include "benchsupport.h"
#include "mainwindow/frmledger.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "platform/text1252.h"
#include "sources/customerfiles.h"
#include "sources/interfacefile.h"
#include "sources/listorder.h"
#include "sources/productfile.h"
#include "widgets/completingcombobox.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QLocale>
#include <QStringListModel>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace tw::bench {
namespace {

constexpr int kCustomers = 50000;
constexpr int kProducts = 998; // the header's three digits name record 999 at the most

// One window, made once, whose list box receives the lists.
struct Window {
    QuietHost host;
    NoDialogs dialogs;
    std::unique_ptr<AppContext> ctx;
    std::unique_ptr<frmLedger> w;

    Window() : ctx(std::make_unique<AppContext>(data().prog, host, dialogs)) {
        w = std::make_unique<frmLedger>(ctx->paths, ctx->settings, ctx->defaultTax, host, dialogs);
    }
};
std::unique_ptr<Window> gWindow;

Window& window() {
    if (!gWindow)
        gWindow = std::make_unique<Window>();
    return *gWindow;
}

// What the start-up does for the customer list: the interface file of the estimating folder
// names the customer file, which is read and handed, sorted, to the list box.
void CustomerList(benchmark::State& state, const QString& estFolder) {
    CompletingComboBox* box = window().w->cboCust;
    const DosPaths& paths = *data().paths;
    for (auto _ : state) {
        RecordFile interfaceFile;
        try {
            interfaceFile = sources::openInterfaceFile(paths, estFolder);
        } catch (const IoError& e) {
            fail(state, e.text());
            break;
        }
        const sources::LoadResult r = sources::loadCustomers(
            interfaceFile, paths, QStringLiteral("F:\\LEDGER"), sources::LoadPath::StartUp);
        box->setListEntries(r.entries);
        state.PauseTiming();
        const int listed = box->count();
        box->setListEntries({}); // the start-up begins with an empty list
        state.ResumeTiming();
        if (!r.ok || listed != kCustomers) {
            fail(state, QStringLiteral("%1 customers listed: %2").arg(listed).arg(r.failure));
            break;
        }
    }
}

void CustomerListExport(benchmark::State& state) {
    CustomerList(state, QStringLiteral("F:\\EST"));
}
BENCHMARK(CustomerListExport);

void CustomerListCustomerFil(benchmark::State& state) {
    CustomerList(state, QStringLiteral("F:\\LUMO"));
}
BENCHMARK(CustomerListCustomerFil);

// The reference: the same names read with large reads (or one read per record), decoded
// through a table and sorted without regard to case, as plainly as it can be done.
struct Decoder {
    std::array<char16_t, 256> table{};
    Decoder() {
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            table[std::size_t(b)] = ansi::decode(QByteArrayView(&c, 1)).at(0).unicode();
        }
    }
    QString operator()(const char* bytes, int n) const {
        QString s(n, Qt::Uninitialized);
        char16_t* d = reinterpret_cast<char16_t*>(s.data());
        for (int i = 0; i < n; ++i)
            d[i] = table[static_cast<unsigned char>(bytes[i])];
        return s;
    }
};

// Sorted as the lists are (the en_US collation without regard to case), by one collation key a
// name, through an index.
std::vector<QString> sortCollated(std::vector<QString>& names) {
    QCollator collator(QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QString& n : names)
        keys.push_back(collator.sortKey(n));
    std::vector<std::uint32_t> order(names.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = std::uint32_t(i);
    std::sort(order.begin(), order.end(),
              [&keys](std::uint32_t a, std::uint32_t b) { return keys[a].compare(keys[b]) < 0; });
    std::vector<QString> sorted;
    sorted.reserve(names.size());
    for (std::uint32_t i : order)
        sorted.push_back(std::move(names[i]));
    return sorted;
}

// perRecord false: reads of about state.range(0) bytes (whole records); true: one record a
// read.
void ReferenceList(benchmark::State& state, const QString& dosPath,
                   const sources::CustomerLayout& layout, bool perRecord) {
    static const Decoder decode;
    const std::string path = data().native(dosPath);
    const int len = layout.recordLength;
    const std::int64_t readSize = perRecord ? len : state.range(0);
    AlignedBuffer buffer(std::size_t(len) * std::size_t(std::max<std::int64_t>(1, readSize / len)));
    for (auto _ : state) {
        std::vector<QString> names;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            fail(state, QStringLiteral("cannot open %1").arg(dosPath));
            break;
        }
        std::int64_t offset = 0;
        for (;;) {
            const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), off_t(offset));
            if (got < len)
                break;
            offset += got;
            for (ssize_t at = 0; at + len <= got; at += len) {
                const char* name = buffer.data() + at + layout.nameOffset;
                if (static_cast<unsigned char>(name[0]) >= '"')
                    names.push_back(decode(name, layout.nameWidth));
            }
        }
        ::close(fd);
        const std::vector<QString> sorted = sortCollated(names);
        if (sorted.size() != std::size_t(kCustomers)) {
            fail(state, QStringLiteral("%1 names read").arg(sorted.size()));
            break;
        }
        benchmark::DoNotOptimize(sorted.data());
    }
}

void ExportReference(benchmark::State& state) {
    ReferenceList(state, QStringLiteral("F:\\EST\\QUILLBAR.CLI"), sources::kExportLayout, false);
}
BENCHMARK(ExportReference)->Apply(largeReads);

void ExportPerRecord(benchmark::State& state) {
    ReferenceList(state, QStringLiteral("F:\\EST\\QUILLBAR.CLI"), sources::kExportLayout, true);
}
BENCHMARK(ExportPerRecord);

void CustomerFilReference(benchmark::State& state) {
    ReferenceList(state, QStringLiteral("F:\\LUMO\\DATA\\CUSTOMER.FIL"),
                  sources::kCustomerFilLayout, false);
}
BENCHMARK(CustomerFilReference)->Apply(largeReads);

void CustomerFilPerRecord(benchmark::State& state) {
    ReferenceList(state, QStringLiteral("F:\\LUMO\\DATA\\CUSTOMER.FIL"),
                  sources::kCustomerFilLayout, true);
}
BENCHMARK(CustomerFilPerRecord);

// ---- Completion: a customer name typed into the list box of 50,000 customers ----

// Keystrokes: the first 1 to 8 characters of names spread over the list.
std::vector<QString> keystrokes(const QStringList& names) {
    std::vector<QString> out;
    for (qsizetype i = 0; i < names.size(); i += 97)
        out.push_back(names[i].left(1 + int(i % 8)));
    return out;
}

QStringList allCustomers(benchmark::State& state) {
    try {
        RecordFile interfaceFile = sources::openInterfaceFile(*data().paths, u"F:\\EST"_qs);
        return sources::loadCustomers(interfaceFile, *data().paths, u"F:\\LEDGER"_qs,
                                      sources::LoadPath::StartUp)
            .entries;
    } catch (const IoError& e) {
        fail(state, e.text());
        return {};
    }
}

// One keystroke as the window handles it: the text typed so far is completed with the first
// entry of the list that begins with it.
void CustomerCompletion(benchmark::State& state) {
    CompletingComboBox* box = window().w->cboCust;
    box->setListEntries(allCustomers(state));
    const std::vector<QString> typed =
        keystrokes(qobject_cast<const QStringListModel*>(box->model())->stringList());
    QLineEdit* edit = box->lineEdit();
    std::size_t i = 0;
    for (auto _ : state) {
        const QString& text = typed[i++ % typed.size()];
        state.PauseTiming();
        edit->setText(text);
        state.ResumeTiming();
        emit edit->textEdited(text);
        if (!edit->text().startsWith(text, Qt::CaseInsensitive) ||
            edit->text().size() < text.size()) {
            fail(state, QStringLiteral("%1 was completed as %2").arg(text, edit->text()));
            break;
        }
    }
    box->setListEntries({});
}
BENCHMARK(CustomerCompletion);

// The reference: the list scanned from the top for the first entry that begins with the text.
void CustomerCompletionScan(benchmark::State& state) {
    const QStringList list = sources::sortedEntries(allCustomers(state));
    const std::vector<QString> typed = keystrokes(list);
    std::size_t i = 0;
    for (auto _ : state) {
        const QString& text = typed[i++ % typed.size()];
        qsizetype row = -1;
        for (qsizetype r = 0; r < list.size(); ++r) {
            if (list[r].startsWith(text, Qt::CaseInsensitive)) {
                row = r;
                break;
            }
        }
        benchmark::DoNotOptimize(row);
    }
}
BENCHMARK(CustomerCompletionScan);

// ---- Start-up: the window made, loaded and run until no event is left ----

void StartUp(benchmark::State& state, const QString& programFolder, int customers, int products) {
    QuietHost host;
    NoDialogs dialogs;
    AppContext ctx(programFolder, host, dialogs);
    for (auto _ : state) {
        auto* w = new frmLedger(ctx.paths, ctx.settings, ctx.defaultTax, host, dialogs);
        w->Form_Load();
        runToIdle();
        state.PauseTiming();
        const int listedCustomers = w->cboCust->count();
        const int listedProducts = w->cboProd->count();
        delete w;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
        if (!host.messages.isEmpty() || host.ended || listedCustomers != customers ||
            listedProducts != products) {
            fail(state, QStringLiteral("%1 customers, %2 products listed; %3")
                            .arg(listedCustomers)
                            .arg(listedProducts)
                            .arg(host.messages.join(QLatin1Char(' '))));
            break;
        }
    }
}

void StartUpFull(benchmark::State& state) {
    StartUp(state, data().prog, kCustomers, kProducts);
}
BENCHMARK(StartUpFull);

void StartUpEmpty(benchmark::State& state) {
    StartUp(state, data().progEmpty, 0, 0);
}
BENCHMARK(StartUpEmpty);

} // namespace

void releaseWindows() {
    gWindow.reset();
}

} // namespace tw::bench
