// The searches of the estimating and ledger files and the posting, each beside the fastest
// read of the same file on this machine.
#include "benchsupport.h"
#include "entry/wipfiles.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "platform/ioerror.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace tw::bench {
namespace {

const QString kEst = QStringLiteral("F:\\EST");
const QString kLedger = QStringLiteral("F:\\LEDGER");

std::int64_t fileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

// The read size is the benchmark's argument (largeReads); the table takes the fastest. The
// buffer is kept between calls, as a reader's would be.
void referenceLarge(benchmark::State& state, const QString& dosPath) {
    const std::string path = data().native(dosPath);
    const std::int64_t size = fileSize(path);
    const std::int64_t readSize = state.range(0);
    AlignedBuffer buffer(static_cast<std::size_t>(readSize));
    for (auto _ : state) {
        const std::int64_t got = readLarge(path, buffer.data(), readSize);
        if (got != size || size <= 0) {
            fail(state, QStringLiteral("cannot read %1").arg(dosPath));
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * size);
}

void referencePerRecord(benchmark::State& state, const QString& dosPath, int recordLength) {
    const std::string path = data().native(dosPath);
    const std::int64_t size = fileSize(path);
    for (auto _ : state) {
        if (readPerRecord(path, recordLength) != size || size <= 0) {
            fail(state, QStringLiteral("cannot read %1").arg(dosPath));
            break;
        }
    }
}

// ---- Job lookup: a job number that is not in \Wip.Dat (200,000 jobs) ----

void JobLookupNotFound(benchmark::State& state) {
    for (auto _ : state) {
        try {
            const auto found = entry::lookupJob(*data().paths, kEst, QStringLiteral("99999999"));
            if (found) {
                fail(state, QStringLiteral("job 99999999 was found"));
                break;
            }
        } catch (const IoError& e) {
            fail(state, e.text());
            break;
        }
    }
}
BENCHMARK(JobLookupNotFound);

void WipReadLarge(benchmark::State& state) {
    referenceLarge(state, kEst + entry::kWipFile);
}
BENCHMARK(WipReadLarge)->Apply(largeReads);

void WipReadPerRecord(benchmark::State& state) {
    referencePerRecord(state, kEst + entry::kWipFile, entry::kWipRecordLength);
}
BENCHMARK(WipReadPerRecord);

// ---- Ledger lookup: a customer that is not in \ledger.ndx (32,767 customers) ----

void LedgerLookupNotFound(benchmark::State& state) {
    ledger::LedgerStore store(*data().paths, kLedger);
    for (auto _ : state) {
        try {
            if (store.findCustomer(u"NOBODY OF THAT NAME")) {
                fail(state, QStringLiteral("the customer was found"));
                break;
            }
        } catch (const IoError& e) {
            fail(state, e.text());
            break;
        }
    }
}
BENCHMARK(LedgerLookupNotFound);

void IndexReadLarge(benchmark::State& state) {
    referenceLarge(state, kLedger + QStringLiteral("\\ledger.ndx"));
}
BENCHMARK(IndexReadLarge)->Apply(largeReads);

void IndexReadPerRecord(benchmark::State& state) {
    referencePerRecord(state, kLedger + QStringLiteral("\\ledger.ndx"),
                       ledger::LedgerIndexRecord::kLength);
}
BENCHMARK(IndexReadPerRecord);

// ---- Posting: one entry appended to the ledger of an indexed customer ----
// led00001.dat holds 10,000 entries, led00002.dat 10. After every posting the file is cut
// back (outside the timing), so each posting meets the same length.

ledger::LedgerEntryRecord sampleEntry() {
    ledger::LedgerEntryRecord rec;
    rec.InvoiceNumber = QStringLiteral("12345");
    rec.InvoiceDate = QDate(2024, 3, 15);
    rec.DueDate = QDate(2024, 4, 14);
    rec.JobNumber = QStringLiteral("00004711");
    rec.ProductCode = QStringLiteral("12 -BUSINESS CARDS");
    rec.PONumber = QStringLiteral("PO-88");
    rec.Description = QStringLiteral("5000, BUSINESS CARDS");
    rec.AmountCents = 123450;
    return rec;
}

void Post(benchmark::State& state, const QString& numberText) {
    ledger::LedgerStore store(*data().paths, kLedger);
    const std::string path = data().native(store.ledgerPath(numberText));
    const std::int64_t size = fileSize(path);
    const ledger::LedgerEntryRecord rec = sampleEntry();
    for (auto _ : state) {
        try {
            const auto bytes = rec.encode();
            if (!bytes || store.appendEntry(numberText, *bytes) != size / 128 + 1) {
                fail(state, QStringLiteral("the entry was not appended at the end"));
                break;
            }
        } catch (const IoError& e) {
            fail(state, e.text());
            break;
        }
        state.PauseTiming();
        if (::truncate(path.c_str(), off_t(size)) != 0)
            fail(state, QStringLiteral("cannot cut the ledger back"));
        state.ResumeTiming();
    }
}

void PostLedger10000(benchmark::State& state) {
    Post(state, QStringLiteral("00001"));
}
BENCHMARK(PostLedger10000);

void PostLedger10(benchmark::State& state) {
    Post(state, QStringLiteral("00002"));
}
BENCHMARK(PostLedger10);

// ---- Duplicate invoice check: an invoice number that is not in the 10,000-entry ledger ----

void DuplicateCheck10000(benchmark::State& state) {
    ledger::LedgerStore store(*data().paths, kLedger);
    ledger::LedgerEntryRecord rec = sampleEntry();
    rec.InvoiceNumber = QStringLiteral("NOSUCH");
    const ledger::Posting posting = ledger::Posting::toLedger(1, *rec.encode());
    for (auto _ : state) {
        try {
            if (ledger::duplicateQuestion(store, posting)) {
                fail(state, QStringLiteral("invoice NOSUCH was found"));
                break;
            }
        } catch (const IoError& e) {
            fail(state, e.text());
            break;
        }
    }
}
BENCHMARK(DuplicateCheck10000);

void LedgerReadLarge(benchmark::State& state) {
    referenceLarge(state, kLedger + QStringLiteral("\\led00001.dat"));
}
BENCHMARK(LedgerReadLarge)->Apply(largeReads);

void LedgerReadPerRecord(benchmark::State& state) {
    referencePerRecord(state, kLedger + QStringLiteral("\\led00001.dat"),
                       ledger::LedgerEntryRecord::kLength);
}
BENCHMARK(LedgerReadPerRecord);

// The least a durable append can cost: open, length, one 128-byte write at the end, flush,
// close.
void RawAppendFlush(benchmark::State& state) {
    const std::string path = data().native(
        ledger::LedgerStore(*data().paths, kLedger).ledgerPath(QStringLiteral("00001")));
    const std::int64_t size = fileSize(path);
    const char record[128] = {};
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0 ||
            ::pwrite(fd, record, sizeof record, st.st_size) != ssize_t(sizeof record) ||
            ::fsync(fd) != 0) {
            fail(state, QStringLiteral("cannot append to the ledger"));
            break;
        }
        ::close(fd);
        state.PauseTiming();
        if (::truncate(path.c_str(), off_t(size)) != 0)
            fail(state, QStringLiteral("cannot cut the ledger back"));
        state.ResumeTiming();
    }
}
BENCHMARK(RawAppendFlush);

} // namespace
} // namespace tw::bench
