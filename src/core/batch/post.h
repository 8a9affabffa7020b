#pragma once
#include "batch/batch.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace tw::ledger {
class LedgerStore;
}

// Posting the ticked rows of a checked file, and taking them back.
namespace tw::batch {

enum class Outcome : std::uint8_t {
    NotTicked,       // left out: not ticked, or an error
    Posted,          // on disk in its ledger
    PostedMeanwhile, // another machine posted the invoice after the check: not posted again
    Failed,          // its ledger file (or the index, for a new ledger) could not be written
    Cancelled,       // the posting was cancelled before its ledger file
};

struct RowResult {
    std::int64_t recordNumber = 0; // its record in the ledger file, from 1
    std::uint64_t fingerprint = 0; // of the record written, to know it again for a reversal
    std::int16_t ledger = 0;
    std::int16_t failure = -1; // index into BatchResult::failures
    Outcome outcome = Outcome::NotTicked;
    bool created = false; // its ledger was made by this batch
};

struct BatchResult {
    QString refusal;             // nothing was posted, and why
    std::vector<RowResult> rows; // one for each row of the batch
    QStringList failures;        // each file that could not be written, named, with the reason
    QString warning;             // posted, but the journal of postings was not fully written
    bool cancelled = false;

    int count(Outcome outcome) const;
};

struct Progress {
    int rowsDone = 0;
    int rowsTotal = 0;
    QString customer; // of the ledger about to be written
};
// Told before each ledger file is written; false cancels the files not yet written.
using ProgressCallback = std::function<bool(const Progress&)>;

// Empty when the file is as it was checked; otherwise the operator's message.
QString changedSinceChecked(const Batch& batch);

// What the journal of postings says of a row's origin: "from file <path> row <n>".
QString journalOrigin(const Batch& batch, int row);

// Posts the ticked rows in file order through the core posting operation, a ledger file at a
// time: each file's records appended under one lock and flushed once (new ledgers made first,
// together, under the index lock), the duplicate check made again under the lock for rows
// that were no duplicates when checked. A row counts as posted once its file is flushed; a
// failure of one file fails that file's rows only. A file changed since the check is refused
// with nothing written. Every posted row gets its journal line.
BatchResult postBatch(ledger::LedgerStore& store, const Batch& batch,
                      const ProgressCallback& progress = {});

// The Yes/No question before a batch is reversed.
QString reverseBatchQuestion(const Batch& batch, const BatchResult& result, const QDate& today);

struct ReversalOutcome {
    int reversed = 0;
    QStringList problems; // rows not reversed, each named with the reason
    QString warning;      // reversed, but the journal was not fully written
};

// Adds a reversal record (dated today) for every row the batch posted, through the Customer
// Ledger window's reversal, each with its journal line. A record that is no longer the one
// the batch wrote is left alone and named.
ReversalOutcome reverseBatch(ledger::LedgerStore& store, const Batch& batch,
                             const BatchResult& result, const QDate& today);

} // namespace tw::batch
