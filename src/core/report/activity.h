#pragma once
#include "export/sheet.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerwalk.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QTextStream;

namespace tw {
class DosPaths;
}

// The invoicing activity of every ledger over a range of invoice dates, grouped by customer,
// by product code or by month. Reversals count with their negative amounts, so a reversed
// invoice nets to zero when both lie in the range.
namespace tw::report {

enum class Grouping { Customer, Product, Month };
enum class SortOrder { Total, Name };

// The grouping named on the command line: customer, product or month.
std::optional<Grouping> groupingNamed(QStringView name);

struct DateRange {
    QDate from, to; // invoice dates, both included
};
// This calendar year: January 1 to December 31 of today's year.
DateRange thisYear(const QDate& today);

struct RangeCheck {
    std::optional<DateRange> range;
    QString message; // why not, for the operator
};
// Dates as typed in the program's date rule; a blank end is this year's. A range that ends
// before it starts is refused.
RangeCheck checkRange(const QString& from, const QString& to, const QDate& today);

struct ActivityRow {
    QString name;   // customer, product code or month (2006-01)
    int ledger = 0; // by customer: the ledger, to open it
    int month = 0;  // by month: year * 12 + month - 1, the order of months
    std::int64_t entries = 0;
    std::int64_t cents = 0;
    QDate first, last; // invoice dates
};

// An entry that is not counted: its invoice date does not read, or it lies in the range and
// its amount does not read.
struct UnreadEntry {
    int ledger = 0;
    std::int64_t record = 0; // from 0
    std::array<char, ledger::LedgerEntryRecord::kLength> bytes{};
};

struct ActivityReport {
    DateRange range;
    Grouping by = Grouping::Customer;
    std::vector<ActivityRow> rows;
    ActivityRow total;
    std::vector<UnreadEntry> unread;
    QStringList problems;  // files not read in full
    QStringList customers; // of the index: ledger n at n - 1
    bool cancelled = false;
};

// Builds the report over every ledger the index lists, a slice at a time (see LedgerWalk).
class ActivityRun {
public:
    ActivityRun(const DosPaths& paths, const QString& folder, DateRange range, Grouping by);

    // Reads on for about `budget`; false once every ledger has been read (or cancelled).
    bool step(std::chrono::milliseconds budget);
    void cancel() { walk_.cancel(); }
    int ledgersRead() const { return walk_.ledgersRead(); }
    int ledgerCount() const { return walk_.ledgerCount(); }

    // The report so far, its rows in that order.
    ActivityReport report(SortOrder order) const;

private:
    // The invoice dates read so far, by their six stored bytes: a ledger folder holds a few
    // thousand different dates among a hundred thousand entries, and reading a date costs
    // more than looking it up.
    class DateCache {
    public:
        // As readDateField reads the six bytes at `field`.
        std::optional<QDate> read(const char* field);

    private:
        struct Slot {
            std::uint64_t key = 0; // the six bytes, and the top bit: the slot is used
            std::int64_t day = 0;  // Julian day; 0: a blank date, -1: one that does not read
        };
        static constexpr int kBits = 12;
        std::vector<Slot> slots_ = std::vector<Slot>(std::size_t(1) << kBits);
    };

    void add(int number, const ledger::LedgerContents& contents);

    DateCache dates_;
    DateRange range_;
    Grouping by_;
    ledger::LedgerWalk walk_;
    std::map<std::int64_t, ActivityRow> groups_; // by ledger, product code bytes or month
    std::vector<UnreadEntry> unread_;
    QStringList problems_;
};

// Rows by total (largest first) or by name (names as the lists sort them, months in their
// order). Rows come in the order the report keeps its groups in (by ledger number, product
// code or month), which equal totals keep.
void sortRows(std::vector<ActivityRow>& rows, Grouping by, SortOrder order);

// The report as a table: one row a group, the grand total, and notes on what is not counted.
exports::Table activityTable(const ActivityReport& report);
// The entries that are not counted, as the files hold them.
exports::Table unreadTable(const ActivityReport& report);

// The command line's report: what it was given as text.
struct ReportTexts {
    QString kind; // activity
    QString from, to, by;
    QString csvFile, pdfFile; // native paths; neither: CSV on standard output
};
// Writes a printable document as a PDF file; empty when done, else the message.
using PdfWriter =
    std::function<QString(const exports::PrintDocument& document, const QString& path)>;
// Runs the report on the ledger folder "\Ledger.dat" names. Problems and entries that are not
// counted go to err. Returns 0 when done, 1 when a file could not be written, 2 for what
// cannot be understood and 3 when there is no ledger folder.
int runActivityReport(const DosPaths& paths, const ReportTexts& texts, const QDateTime& now,
                      const PdfWriter& writePdf, QTextStream& out, QTextStream& err);

} // namespace tw::report
