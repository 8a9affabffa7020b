#pragma once
#include "batch/columns.h"
#include "batch/rowentry.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace tw::ledger {
class LedgerStore;
}

// Checking a spreadsheet file of invoices before anything is written: every row through the
// checks of Post, in file order, each with one status. The check reads the file as a stream
// in slices (a window runs them between events or on a worker thread, with progress and
// cancel) and keeps per row only what the preview table needs; a row's texts are read again
// from the file when they are shown.
namespace tw::batch {

enum class Status : std::uint8_t {
    Ready,     // goes to the customer's ledger
    NewLedger, // the customer is not in the index: a new ledger is made for it
    Duplicate, // the invoice is in the customer's ledger already, or on an earlier row
    Error,     // what Post would refuse; cannot be ticked
};
// "Ready", "New ledger", "Duplicate", "Error".
QString statusName(Status status);

struct Row {
    std::int64_t offset = 0;   // the record's first byte in the file
    std::int64_t cents = 0;    // the amount it stores
    std::int32_t number = 0;   // as the spreadsheet counts rows, the header being row 1
    std::int32_t length = 0;   // its bytes in the file
    std::int32_t earlier = -1; // a duplicate of an earlier row of the file: that row's index
    std::int16_t ledger = 0;   // its ledger (for a new one, the number it would get); 0: none
    Status status = Status::Error;
    bool ticked = false; // to be posted; Ready and New ledger rows are, at first (but for a
                         // ledger without its file)

    bool canTick() const { return status != Status::Error; }
};

// A customer who gets a new ledger, with the number it would get now.
struct NewLedger {
    QString name;
    int number = 0;
    int rows = 0;
};

// The file as it was checked: posting refuses a file that changed since.
struct FileStamp {
    std::int64_t size = -1;
    QDateTime modified;
    QByteArray digest;
};

// A checked file.
struct Batch {
    QString path;
    Options options;
    char separator = ',';
    QStringList header;
    QList<Field> columns;
    std::vector<Row> rows; // every data row in file order; blank rows are left out
    QList<NewLedger> newLedgers;
    // Each ledger's length when its invoices were first looked at: posting looks again under
    // its lock only where a ledger has changed since.
    QHash<int, std::int64_t> lengthSeen;
    // Ledgers the index lists whose file is missing: their rows start unticked, since such a
    // ledger is more likely damaged than empty.
    QSet<int> withoutFile;
    // Messages that depend on the ledger folder (an index that is full, a ledger that cannot
    // be read), by row index; every other message is made again from the row's text.
    QHash<int, QString> folderErrors;
    FileStamp stamp;
    int blankRows = 0;

    int count(Status status) const;
    int tickedRows() const;
    std::int64_t tickedCents() const;
    const NewLedger* newLedger(int number) const;
};

// Reads the file and checks its rows, a slice at a time.
class BatchChecker {
public:
    // The store is only read: nothing is created or written while checking.
    BatchChecker(const ledger::LedgerStore& store, const QString& path, const Options& options);
    ~BatchChecker();
    BatchChecker(const BatchChecker&) = delete;
    BatchChecker& operator=(const BatchChecker&) = delete;

    // Opens the file and reads its first line; false with error() when the file cannot be
    // used (missing, empty, not text, saved as UTF-16).
    bool open();
    const QString& error() const;
    const QStringList& header() const;
    const QList<Field>& columns() const;
    // Another assignment of the columns, before the first row is checked.
    void setColumns(const QList<Field>& columns);
    // Empty when every needed field has a column (see missingColumnsMessage).
    QString missingColumns() const;

    // Checks up to `rows` further rows. True while rows remain; false when the file is done
    // or a fault ends the check (error() then tells it).
    bool checkSome(int rows);
    double progress() const; // the share of the file read, 0 to 1
    Batch takeBatch();

private:
    struct State;
    std::unique_ptr<State> s_;
};

// Reads rows of a checked file again: the texts a table shows, the entries a posting writes
// and the message of an error or a duplicate.
class RowReader {
public:
    explicit RowReader(const Batch& batch);
    // The row's fields as decoded; empty when the row cannot be read.
    QStringList fields(int row);
    RowEntry entry(int row);
    // Why a row is an error or a duplicate, naming its row; empty for other rows.
    QString message(const ledger::LedgerStore& store, int row);

private:
    const Batch& batch_;
    QFile file_;
};

} // namespace tw::batch
