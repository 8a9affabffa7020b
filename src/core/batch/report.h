#pragma once
#include "batch/batch.h"
#include "batch/post.h"

#include <QByteArray>
#include <QString>

class QTextStream;

namespace tw {
class DosPaths;
}
namespace tw::ledger {
class LedgerStore;
}

// What the operator reads about a batch: each row's outcome with its message, the report saved
// as CSV, and the command line's lines and summary.
namespace tw::batch {

struct RowReport {
    QString outcome; // "Ready", "New ledger", "Duplicate", "Error" before posting; "Posted",
                     // "Duplicate", "Error", "Failed", "Not ticked", "Cancelled" after it
    QString ledger;  // the ledger number text, empty when none
    QString message; // why a row was not posted; empty for the others
};

// A row before posting (result null) or after it.
RowReport reportRow(RowReader& reader, const ledger::LedgerStore& store, const Batch& batch,
                    const BatchResult* result, int row);

// The counts the summary gives: a real run's outcomes, or (result null) what it would do.
struct Summary {
    int posted = 0;
    int skipped = 0; // duplicates and rows not ticked
    int failed = 0;  // errors, and rows whose file could not be written
};
Summary summaryOf(const Batch& batch, const BatchResult* result);
// "N posted, N skipped, N failed".
QString summaryLine(const Summary& summary);

// The preview's line for the ticked rows: "3 rows ticked, $1,234.50 in all".
QString tickedLine(const Batch& batch);
// The posting's progress: "Posting row 40 of 120: ACME PRINTING".
QString progressText(const Progress& progress);
// Told when a check is cancelled: the file cannot be posted until it is checked whole.
QString checkCancelledText();
// What the operator is told after a batch was reversed: how many, then every row that was
// not, then the journal's warning.
QString reversalMessage(const ReversalOutcome& outcome);

// The report of a posted batch as CSV (RFC 4180, UTF-8, CR LF): a header line, then one line
// for every row: row, outcome, ledger, customer, invoice, amount, message.
QByteArray reportCsv(const ledger::LedgerStore& store, const Batch& batch,
                     const BatchResult& result);

// The command line's posting from a file, with the settings of the program folder: one line
// per row ("row N", outcome, ledger, invoice, message if any, separated by TABs), a line for
// each new ledger, then the summary. With dryRun nothing at all is written, and the lines
// tell what a real run would do. Returns the exit code: 0 when every row was posted or
// skipped as a duplicate, 1 when a row has an error or failed, or the file cannot be used.
struct PostFileRequest {
    QString path;
    Options options; // the default tax comes from the program folder
    bool dryRun = false;
};
int runPostFile(const PostFileRequest& request, const DosPaths& paths, QTextStream& out,
                QTextStream& err);

} // namespace tw::batch
