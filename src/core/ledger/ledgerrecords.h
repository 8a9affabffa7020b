#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// The byte layouts of the ledger folder. The historical-ledger viewer reads these files, so
// every width, order and line end below binds byte for byte.
namespace tw {
class RecordFile;
}

namespace tw::ledger {

// Ledger numbers are signed 16-bit in the viewer: an index holds at most this many customers.
inline constexpr int kMaxLedgerNumber = 32767;

// 5 decimal digits with leading zeros: 1 gives 00001, 12345 stays 12345.
QString ledgerNumberText(int number);
// The number of a ledger number text of exactly 5 digits, or nullopt.
std::optional<int> parseLedgerNumber(QStringView text);

// The name as the index stores it: leading and trailing spaces removed, cut to 40 characters,
// padded with spaces to 40, encoded. A search compares exactly these 40 bytes, so a long name
// finds the record its allocation wrote.
QByteArray indexName(QStringView customerName);

// One line of "\ledger.ndx": record n belongs to ledger n.
struct LedgerIndexRecord {
    static constexpr int kLength = 47;
    static constexpr int kNameOffset = 5;
    static constexpr int kNameWidth = 40;

    int LedgerNumber = 0;
    QString CustomerName;

    QByteArray encode() const;
};

// The bytes with every control character (below 0x20, and 0x7F) made a blank, as a ledger
// entry's fields hold them: besides line breaks, DOS readers stop at 0x1A and a TAB or NUL
// shifts the viewer's columns.
QByteArray withoutControls(QByteArrayView bytes);

// Dates in the ledger record. The invoice date is stored year first, the due date month first.
enum class DateOrder { YyMmDd, MmDdYy };
// 6 characters of the date; an invalid (absent) date gives 6 blanks.
QByteArray dateField(const QDate& date, DateOrder order);

// The stored amount: plain decimal text of exact cents, no currency sign, no grouping, no
// trailing fraction zeros, no point for whole values, "-" in front of negatives, and a leading
// zero below one (123450 gives 1234.5, 10000 gives 100, 50 gives 0.5). nullopt when the text
// does not fit the 10-character field or the amount is ten million or more either way.
std::optional<QByteArray> amountText(std::int64_t cents);

// One invoice line of a ledger file "\led" + ledger number + ".dat".
struct LedgerEntryRecord {
    static constexpr int kLength = 128;
    static constexpr int kInvoiceOffset = 0, kInvoiceWidth = 8;
    static constexpr int kInvoiceDateOffset = 8, kDateWidth = 6;
    static constexpr int kJobOffset = 20, kJobWidth = 8;
    static constexpr int kProductOffset = 28, kProductWidth = 2;
    static constexpr int kPOOffset = 30, kPOWidth = 10;
    static constexpr int kDescriptionOffset = 40, kDescriptionWidth = 76;
    static constexpr int kAmountOffset = 116;
    static constexpr int kAmountWidth = 10;
    static constexpr int kLineEndOffset = 126;

    QString InvoiceNumber;
    QDate InvoiceDate;
    QDate DueDate; // invalid: no due date
    QString JobNumber;
    QString ProductCode;
    QString PONumber;
    QString Description;
    std::int64_t AmountCents = 0;

    // The 128 bytes, or nullopt when the amount does not fit its field. Texts are stored as
    // they stand (no trimming), fitted to their widths; a control character (a line break,
    // TAB, NUL, 0x1A, DEL) becomes a blank, since each record must stay one clean line.
    std::optional<QByteArray> encode() const;
};

// A ledger entry read back from its 128 bytes. Texts are the stored text with the field's
// padding blanks removed on the right (encoding them again gives the same bytes). A date or
// an amount that does not read keeps its stored text and is flagged as odd, so that a reader
// can show what the file holds instead of a guess.
struct StoredEntry {
    enum OddField : unsigned {
        OddInvoiceDate = 1,
        OddDueDate = 2,
        OddAmount = 4,
        OddLineEnd = 8, // the record does not end in CR LF: the file is out of step
    };

    QString InvoiceNumber;
    QString InvoiceDateText; // yymmdd as stored
    QString DueDateText;     // mmddyy as stored
    QString JobNumber;
    QString ProductCode;
    QString PONumber;
    QString Description;
    QString AmountText;
    QDate InvoiceDate;            // invalid when blank or odd
    QDate DueDate;                // invalid when blank or odd
    std::int64_t AmountCents = 0; // 0 when odd
    unsigned odd = 0;             // OddField bits

    bool isOdd(OddField f) const { return (odd & f) != 0; }
};

// An entry's amount as the operator reads it: money text ("$1,234.50"); the stored text when
// it does not read, and "(blank)" for a blank field, which would otherwise show nothing.
QString amountShown(const StoredEntry& e);

// Decodes one record; `record` must hold at least LedgerEntryRecord::kLength bytes.
StoredEntry decodeEntry(QByteArrayView record);

// A stored date field: nullopt when it does not read; an invalid QDate for 6 blanks. Two-digit
// years 30-99 are 19xx and 00-29 are 20xx, as dates are typed.
std::optional<QDate> readDateField(QByteArrayView field, DateOrder order);
// A stored amount field in exact cents: plain decimal text with an optional "-", blanks around
// it, at most two decimals (further zeros allowed). nullopt for anything else, a blank field
// included.
std::optional<std::int64_t> readAmountField(QByteArrayView field);

// What follows the whole records of a ledger file. Every reader and the append decide by this
// one rule, so that a record the viewer counts is one that Post, the duplicate check, the
// ledger window, the reversal and the check count too.
enum class Trailing {
    None,         // the file ends with a whole record
    LacksLineEnd, // 126 or 127 bytes: an invoice whose CR LF (or LF) never reached the disk; a
                  // real entry, completed by the next append
    Torn,         // fewer bytes: an interrupted write, no entry; the next append overwrites it
};
// bytes: the file's length beyond its whole records (length % 128).
Trailing trailingKind(qsizetype bytes);
// The bytes that complete a record lacking its line end ("\r\n" after 126 bytes, "\n" after
// 127), empty for any other remainder.
QByteArray missingLineEnd(qsizetype bytes);

// A ledger file's entries: its whole records, a last record that lacks only its line end
// completed as the next append completes it, and the bytes of a torn record after them.
struct LedgerContents {
    QByteArray records;            // size is a multiple of LedgerEntryRecord::kLength
    QByteArray trailing;           // a torn record: fewer than kLength - 2 bytes
    bool lastLacksLineEnd = false; // the last of `records` ends without its line end on disk

    std::int64_t count() const { return records.size() / LedgerEntryRecord::kLength; }
    QByteArrayView record(std::int64_t i) const {
        return QByteArrayView(records).sliced(i * LedgerEntryRecord::kLength,
                                              LedgerEntryRecord::kLength);
    }
};

// The entries of a ledger file's bytes, by the trailing rule above.
LedgerContents ledgerContents(QByteArray bytes);
// Every byte of an open ledger file, read front to back in large reads straight into the
// result. What was appended while it was read is included up to the last read.
QByteArray readLedgerBytes(const RecordFile& file);
// ledgerContents of readLedgerBytes.
LedgerContents readLedger(const RecordFile& file);

} // namespace tw::ledger
