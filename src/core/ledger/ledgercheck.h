#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

class QTextStream;

namespace tw {
class DosPaths;
}

namespace tw::ledger {

// One thing wrong in the ledger folder, at a byte offset of one file; or a note on something
// that is in order but worth knowing (a ledger without entries yet).
struct LedgerProblem {
    QString file; // as the operator named the folder, plus the file's name
    std::int64_t offset = 0;
    QString what;
    bool note = false;

    // "F:\LEDGER\led00012.dat offset 256: ..." (a note: "...: note: ...") — one line each,
    // damaged bytes printed escaped.
    QString line() const;
};

struct LedgerCheckReport {
    int indexRecords = 0;
    int ledgerFiles = 0;
    std::int64_t entries = 0;
    QList<LedgerProblem> problems; // and notes, in the order found

    // No problem; notes do not count.
    bool sound() const;
};

// Checks the ledger folder without writing anything: the index (whole 47-byte records ending
// in CR LF, numbers matching their positions, no name listed twice), every led#####.dat
// (whole 128-byte records ending in CR LF, dates and amounts that read), ledger files without
// an index record, and a torn last record or one that only lacks its line end (an entry,
// checked and counted as the others). Index records without a file are notes. displayFolder
// names the folder in the problems (F:\LEDGER or a native path), nativeFolder is where it is
// read.
LedgerCheckReport checkLedgerFolder(const QString& nativeFolder, const QString& displayFolder);

// The command line check: the folder given (a DOS path such as F:\LEDGER or a native one; an
// empty name is a folder that does not exist) or, when none is given, the one "\Ledger.dat"
// of the program folder names. Writes the problems and notes and a closing summary to out,
// every control character escaped, and returns the exit code: 0 sound, 1 a problem found (a
// folder that cannot be read or is not set counts as one). The first line names the file
// system the folder lies on.
int runLedgerCheck(const std::optional<QString>& folderArgument, const DosPaths& paths,
                   QTextStream& out);

} // namespace tw::ledger
