#pragma once
#include "export/csv.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <cstdint>

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

// Appends the entry's line to the journal in the store's ledger folder, creating it with its
// header. The line is written under a lock that every journal writer takes and is on disk
// on return. A line left torn by an earlier crash is ended first, so the new line stays whole.
// Throws IoError naming the file.
void appendJournal(const LedgerStore& store, const JournalEntry& e);

// The journal line of a posting whose record is on disk, with this machine's user and time.
// A journal that cannot be written never touches the posting: the reason is logged and
// returned as the operator's warning; empty when the line was written.
QString journalPosting(const LedgerStore& store, const Posting& posting, const PostOutcome& out);

} // namespace tw::ledger
