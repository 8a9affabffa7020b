#pragma once
#include "platform/dospath.h"
#include "platform/host.h"
#include "widgets/dialogs.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>

namespace benchmark {
class State;
namespace internal {
class Benchmark;
}
} // namespace benchmark

namespace tw::bench {

// The generated data (bench/run.sh lays it out with twgen):
//   prog/         program folder: settings naming F:\EST and F:\LEDGER, dosdevices/f:
//   prog-empty/   the same with F:\EMPTY, whose lists are empty
//   drive_f/EST   QLCUST (export), QUILLBAR.CLI, product.dat, WIP.DAT, WIP2.DAT
//   drive_f/LUMO  QLCUST naming \LUMO\DATA\, whose CUSTOMER.FIL holds the customers
//   drive_f/EMPTY QLCUST, an empty QUILLBAR.CLI, a product.dat listing nothing
//   drive_f/LEDGER ledger.ndx, led00001.dat (10,000 entries), led00002.dat (10 entries),
//                  led00003.dat (100,000 entries)
//   drive_f/CHECK  ledger.ndx (32,767 customers), led00001.dat to led01000.dat (100 entries)
//   drive_f/BATCH  ledger.ndx (1,000 customers), led00001.dat to led01000.dat (100 entries)
//   batch10000.csv, batch100000.csv  invoices for those 1,000 customers, none posted yet
//   drive_f/FIND1000  ledger.ndx (1,000 customers), led00001.dat to led01000.dat (100 entries)
//   drive_f/FIND32767 ledger.ndx (32,767 customers), led00001.dat to led32767.dat (10 entries)
struct Data {
    QString root;
    QString prog;
    QString progEmpty;
    std::unique_ptr<DosPaths> paths; // drive map of prog

    // The native path of a DOS path on the data's drive map.
    std::string native(const QString& dosPath) const;
};

// Set once by main before any benchmark runs.
Data& data();

// A host that never blocks: a message is remembered so that a benchmark can fail on it.
class QuietHost : public Host {
public:
    void message(const QString& text) override { messages << text; }
    void beep() override {}
    void endProgram() override { ended = true; }
    QDate today() const override { return QDate(2024, 3, 15); }

    QStringList messages;
    bool ended = false;
};

class NoDialogs : public Dialogs {
public:
    QString chooseDatabaseFile(QWidget*, const QString&) override { return {}; }
    bool choosePrinter(QPrinter&, QWidget*) override { return false; }
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

// The references: the fastest way to get a file's bytes into memory (one pass of large
// reads into a buffer that is kept between calls), and the naive pattern of one system call
// per record. Both open and close the file, as the program does. Return the bytes read.
std::int64_t readLarge(const std::string& path, char* buffer, std::int64_t bufferSize);

// A buffer at a page boundary: the system copies into it fastest.
class AlignedBuffer {
public:
    explicit AlignedBuffer(std::size_t size);
    ~AlignedBuffer();
    AlignedBuffer(const AlignedBuffer&) = delete;
    AlignedBuffer& operator=(const AlignedBuffer&) = delete;
    char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    char* data_;
    std::size_t size_;
};
std::int64_t readPerRecord(const std::string& path, int recordLength);

// The read sizes a reference is measured with: 64 KiB, 256 KiB and 1 MiB.
void largeReads(benchmark::internal::Benchmark* b);

// Runs every posted and pending event until the event queue is empty.
void runToIdle();

// Destroys the windows the benchmarks keep (before the application object goes).
void releaseWindows();

// Opens the ledger window on that ledger of F:\LEDGER, painted, and prints the resident size in
// KiB (run as a child process of its own). 0 when done.
int ledgerViewResidentChild(const QString& number);
// The resident size of the Find window on the 1,000 ledgers of 100 entries, after a search that
// finds every entry (100,000 results) or before any search.
int findWindowResidentChild(bool search);

// Checks the 100,000-row file against F:\BATCH and prints what the checked file adds to the
// resident size, in KiB (run as a child process of its own). 0 when done.
int batchResidentChild();
// The same file checked in the Post from File window (--rss-preview).
int previewResidentChild();

// Resident size of this process in KiB.
std::int64_t residentKiB();

// Marks the benchmark failed with the text (used when the program did not do what it
// should, so that a wrong result never shows as a fast one).
void fail(benchmark::State& state, const QString& why);

} // namespace tw::bench
