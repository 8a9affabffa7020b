#pragma once
#include <QFileInfo>
#include <QList>
#include <QMap>
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

// The index and the ledger files (led#####.dat) of a folder by name, matched without regard to
// case as the DOS programs that write them do; an exact "ledger.ndx" wins over another
// spelling.
struct LedgerFolderFiles {
    QString folder; // native
    QString index;  // the index's name; empty when there is none
    QMap<int, QStringList> ledgers;

    QFileInfo info(const QString& name) const {
        return QFileInfo(folder + QLatin1Char('/') + name);
    }
    // The ledger files no record of an index of that many records lists.
    QStringList unlisted(int indexRecords) const;
};
// above: only the ledger files numbered above it (those an index of that many records does not
// list); the index is always looked for.
LedgerFolderFiles listLedgerFolder(const QString& nativeFolder, int above = 0);

// What is wrong with a file whose last record holds `have` of its `length` bytes: torn, or
// whole but for its line end.
QString partialRecordProblem(qsizetype have, int length);

// The ledger folder "\Ledger.dat" of the program folder names, or the message why there is
// none to use (missing, empty, or no DOS folder: the program would post nowhere else).
struct LedgerFolderSetting {
    QString folder;
    QString message;
};
LedgerFolderSetting ledgerFolderSetting(const DosPaths& paths);

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
