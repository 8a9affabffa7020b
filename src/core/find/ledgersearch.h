#pragma once
#include "export/sheet.h"
#include "find/findquery.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerwalk.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

class QTextStream;

namespace tw {
class DosPaths;
}

namespace tw::find {

// One row of the results: an entry found, or a problem with a file. An entry keeps its 128
// bytes and is decoded when shown, so a hundred thousand results stay small.
struct FindRow {
    std::int32_t ledger = 0;   // 0 on a problem row that concerns no ledger
    std::int32_t problem = -1; // a problem row: its text's position in problems()
    std::int64_t record = -1;  // the entry's record (from 0), to select it in its ledger
    std::array<char, ledger::LedgerEntryRecord::kLength> bytes{};

    bool isProblem() const { return problem >= 0; }
};

struct FindTotals {
    std::int64_t entries = 0;
    std::int64_t cents = 0;  // of the entries whose amount reads
    std::int64_t unread = 0; // entries whose amount does not read
    std::int64_t problems = 0;
};

// Finds the entries of every ledger the index lists that match a query, a slice at a time:
// each step appends what it found to rows(), so that a window shows results as they come and
// can stop the search. Files that cannot be searched in full become problem rows.
class LedgerSearch {
public:
    // The slice a window gives a step: short enough that results and progress show at once.
    static constexpr std::chrono::milliseconds kSlice{50};

    LedgerSearch(const DosPaths& paths, const QString& folder, Query query);

    // Searches on for about `budget`; false once the search has ended (or was cancelled).
    bool step(std::chrono::milliseconds budget);
    // Stops the search before its next ledger; may be called from another thread.
    void cancel() { walk_.cancel(); }
    bool cancelled() const { return walk_.cancelled(); }
    bool finished() const { return walk_.finished(); }

    const Query& query() const { return query_; }
    const std::vector<FindRow>& rows() const { return rows_; }
    const FindTotals& totals() const { return totals_; }
    QString customer(int ledger) const { return walk_.customer(ledger); }
    ledger::StoredEntry entry(const FindRow& row) const;
    QString problemText(const FindRow& row) const;

    // Progress: the ledgers searched so far, of those the index lists.
    int ledgersRead() const { return walk_.ledgersRead(); }
    int ledgerCount() const { return walk_.ledgerCount(); }
    // "Searched 120 of 1,000 ledgers", while it runs.
    QString progressText() const;
    // "12 entries found, total $1,234.50", with the amounts that do not read and the problems.
    QString summaryText() const;

    // The columns of the results, and a row's cells: what the window shows, exports and prints.
    static QList<exports::Column> columns();
    QList<exports::Cell> cells(const FindRow& row) const;
    // The entries found as a table, with the total, the problems as notes.
    exports::Table table() const;

private:
    Query query_;
    Matcher matcher_;
    ledger::LedgerWalk walk_;
    std::vector<FindRow> rows_;
    QStringList problems_;
    FindTotals totals_;
    std::vector<std::int64_t> found_; // scratch: the records of one ledger that match
};

// The command line: finds the text in the field named (invoice, job, po, description; any when
// none is named) across the ledger folder "\Ledger.dat" names, writes the entries as CSV to out
// (no byte-order mark: it is a stream, not a file) and each problem to err. Returns 0 when
// something was found, 1 when nothing, 2 for a search that cannot be made and 3 when there is
// no ledger folder to search.
int runFind(const DosPaths& paths, const QString& text, const QString& fieldName, bool exact,
            const QDate& today, QTextStream& out, QTextStream& err);

} // namespace tw::find
