#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace tw {
class DosPaths;
class RecordFile;
} // namespace tw

// The estimating system's work-in-progress files and the job lookup's rules. The system only
// reads them: "\Wip.Dat" holds one 256-byte record per open job, "\Wip2.Dat" one 512-byte
// record per Wip.Dat record (same number) in which the customer's full name stands, followed
// by a double quote.
namespace tw::entry {

inline const QString kWipFile = QStringLiteral("\\Wip.Dat");
inline const QString kWip2File = QStringLiteral("\\Wip2.Dat");
inline const QString kJobNotFoundMessage =
    QStringLiteral("This Job Is Closed or Not Found and Will Not Be Posted.");

inline constexpr int kWipRecordLength = 256;
inline constexpr int kWip2RecordLength = 512;

// Field positions of a Wip.Dat record (offset, width).
namespace wipfield {
inline constexpr int kJob = 4, kJobWidth = 8;
inline constexpr int kInvoiceDate = 20, kDateWidth = 6;
inline constexpr int kCustomer = 36, kCustomerWidth = 20;
inline constexpr int kDescription = 56, kDescriptionWidth = 45;
inline constexpr int kQuantity = 101, kQuantityWidth = 9;
inline constexpr int kAmount = 119, kAmountWidth = 9;
inline constexpr int kDueDate = 134;
} // namespace wipfield

// The fields of a Wip.Dat record that the lookup uses, full width (trailing blanks kept).
struct WipRecord {
    QByteArray customerBytes; // the 20 bytes, as they are matched in Wip2.Dat
    QString job;
    QString invoiceDate; // YYMMDD
    QString customer;
    QString description;
    QString quantity;
    QString amount;
    QString dueDate; // YYMMDD

    // `record` holds kWipRecordLength bytes.
    static WipRecord parse(const char* record);
};

// The search key: "0" put in front of the typed text (not trimmed) until it is 8 long.
QString searchKey(const QString& typed);

struct WipMatch {
    std::int64_t number = 0; // record number, from 1
    WipRecord record;
};

// Reads Wip.Dat front to back in large chunks and returns the first record whose 8-byte job
// number equals the key exactly (case-sensitive). A key longer than 8 characters, or with a
// character the files cannot hold, never matches. A trailing partial record is ignored.
std::optional<WipMatch> findJob(const RecordFile& wip, const QString& key);

// The customer's full name: the first place where the 20-byte name stands in the Wip2.Dat
// record, up to (not including) the first double quote after it; otherwise the 20-character
// name itself, trailing blanks included. An empty or short record is searched as it is.
QString fullCustomerName(const QByteArray& customerBytes, const QByteArray& wip2Record);

// The date test: month (leading number) plus day (the number between the first and second
// "/") of a date box's text; nullopt when the text has no two "/" separators.
std::optional<double> monthPlusDay(QStringView dateBoxText);

// The job's dates are used when both date boxes pass the test with equal sums and the
// invoice date field's leading number is above 0.
bool useJobDates(QStringView aeDate, QStringView aeDue, QStringView invoiceDateField);

// MM/DD/YY built from a YYMMDD field; today's date (short date form) when the month is not a
// number above 0.
QString jobDate(QStringView yymmdd, const QString& todayShort);

// The description: "<quantity>, <description>" when the quantity reads as a number above 0,
// otherwise the description alone; both trimmed. A quantity that does not read as a number
// counts as not positive.
QString jobDescription(QStringView quantity, QStringView description);

// Everything a found job puts into the entry.
struct JobEntry {
    QString customer;
    QString job;
    bool datesUsed = false;
    QString invoiceDate; // only when datesUsed
    QString dueDate;     // only when datesUsed
    QString description;
    QString quantity;
    QString amount; // money text (the amount rule)
};

JobEntry jobEntry(const WipRecord& record, const QString& customer, QStringView aeDate,
                  QStringView aeDue, const QDate& today);

struct FoundJob {
    std::int64_t number = 0;
    WipRecord record;
    QString customer; // full name from Wip2.Dat, or the 20-character name
};

// The whole search for a typed job number in the estimating folder `estFolder` (DOS form):
// Wip.Dat is searched, and on a match Wip2.Dat gives the customer's full name. Both files are
// closed again before returning. An existing file is opened for reading only (nothing is ever
// written); a missing one is created empty, as the estimating system leaves an empty job list.
// Throws IoError naming the file when one cannot be opened or read.
std::optional<FoundJob> lookupJob(const DosPaths& paths, const QString& estFolder,
                                  const QString& typed);

} // namespace tw::entry
