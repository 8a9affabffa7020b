#pragma once
#include "export/csv.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringView>
#include <cstdint>

#include "platform/recordfile.h"

namespace tw::ledger {

class LedgerStore;
struct Posting;
struct PostOutcome;

// "POSTINGS.CSV" in the ledger folder: one line for each posting and each reversal, shared by
// every PC that posts. CSV as RFC 4180 has it (CR LF line ends, fields with a comma, a quote
// or a line break quoted, quotes doubled), UTF-8, a header line first.
struct JournalEntry {
    enum class Action { Post, Reverse };

    QDateTime time;
    QString user;     // login name
    QString computer; // host name
    Action action = Action::Post;
    QString ledgerNumber;
    QString customerName;
    QString invoiceNumber;
    QString jobNumber;
    std::int64_t amountCents = 0;
    std::int64_t recordOffset = 0; // byte offset of the record in the ledger file
    // Where a posting came from when it was not typed ("from file C:/in/march.csv row 12"):
    // written after the action in the same field, so that every line keeps the header's columns.
    QString origin;

    // The user and computer of this process, and the time now.
    static JournalEntry now();
};

QString journalFileName(); // POSTINGS.CSV

// Journal fields follow the export rules: CSV fields, amounts as plain decimals.
using exports::csvField;
using exports::plainAmount;

// The header line and one line of the journal, each with its CR LF.
QByteArray journalHeader();
QByteArray journalLine(const JournalEntry& e);
// ISO 8601 with the offset from UTC: 2006-01-15T14:03:09-05:00.
QString isoTimeWithOffset(const QDateTime& t);

// What ends a torn last line of the journal (the text after its last line feed) so that a CSV
// reader reads it as one short row and the next line whole: a closing quote first when it
// leaves a quoted field open, then CR LF (only LF after a CR). Empty for an empty text.
QByteArray tornLineEnd(QByteArrayView torn);

// Appends the entry's line to the journal in the store's ledger folder, creating it with its
// header. The line is written under a lock that every journal writer takes and is on disk
// on return. A line left torn by an earlier crash is ended first (tornLineEnd), so the new line
// stays whole.
// Throws IoError naming the file.
void appendJournal(const LedgerStore& store, const JournalEntry& e);

// The journal entry of a posting whose record is on disk; time, user and computer from `stamp`
// (JournalEntry::now(), taken once for a batch).
JournalEntry journalEntryOf(const Posting& posting, const PostOutcome& out,
                            const JournalEntry& stamp);

// Journal lines of many postings: the journal stays open, each append writes its lines under
// the journal lock, and flush() puts everything appended on disk, once for a whole batch.
// Throws IoError naming the file.
class JournalAppender {
public:
    explicit JournalAppender(const LedgerStore& store);
    void append(const QList<JournalEntry>& entries);
    void flush();

private:
    const LedgerStore& store_;
    RecordFile file_;
};

// The journal line of a posting whose record is on disk, with this machine's user and time.
// A journal that cannot be written never touches the posting: the reason is logged and
// returned as the operator's warning; empty when the line was written.
QString journalPosting(const LedgerStore& store, const Posting& posting, const PostOutcome& out);

} // namespace tw::ledger
