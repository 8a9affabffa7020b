#pragma once
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "platform/recordfile.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <functional>

namespace tw {
class DosPaths;
}

namespace tw::ledger {

// A file that could not be read in full, or was not read: one row for the operator.
struct WalkProblem {
    int ledger = 0; // 0: no ledger of the index (the index itself, a file it does not list)
    QString text;   // names the file and says what is wrong
};

// Reads every ledger the index lists, in ledger-number order and a slice at a time, so that a
// window stays responsive and shows what was found so far. Each ledger file is read as it was
// when opened. One that is missing, cannot be read (locked, a folder, a pipe, a link that
// leads nowhere) or is damaged is a problem, and the walk goes on; the records of a damaged
// file are still read. Ledger files the index does not list are reported last, not read.
class LedgerWalk {
public:
    using Visit = std::function<void(int number, const LedgerContents& contents)>;
    using Report = std::function<void(const WalkProblem& problem)>;

    LedgerWalk(const DosPaths& paths, const QString& folder);

    // Reads the index first, then ledgers until `budget` has passed (at least one ledger a
    // step). False once everything has been read, or the walk was cancelled.
    bool step(std::chrono::milliseconds budget, const Visit& visit, const Report& report);
    // Stops the walk before its next ledger; may be called from another thread.
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    bool finished() const { return done_; }

    // Progress: the ledgers read so far, of those the index lists.
    int ledgersRead() const { return next_ - 1; }
    int ledgerCount() const { return int(customers_.size()); }
    // The customer of ledger `number`, from the index.
    QString customer(int number) const { return customers_.value(number - 1); }

private:
    void readIndex(const Report& report);
    void readLedger(int number, const Visit& visit, const Report& report);
    void reportUnlisted(const Report& report);

    const DosPaths& paths_;
    LedgerStore store_;
    OpenFolder folder_;
    QStringList customers_;
    int next_ = 1;
    bool started_ = false;
    bool done_ = false;
    std::atomic<bool> cancelled_ = false;
};

} // namespace tw::ledger
