#pragma once
#include <QByteArray>
#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

// Posting an invoice: the checks that Post makes before anything is written, and the write
// itself (a new ledger when the entry shows none, then the record appended). Without a window:
// the main window hands in the texts of its boxes; other callers (a reversal) hand in a
// ready record for an existing ledger.
namespace tw {
class Host;
}

namespace tw::ledger {

class LedgerStore;

// The entry as the operator left it: the plain texts of the boxes.
struct EntryTexts {
    QString customer;
    QString invoiceDate;
    QString dueDate;
    QString invoice;
    QString job;
    QString po;
    QString product;
    QString description;
    QString preTax;
    QString tax;
    QString invoiceAmount;
    bool taxOn = false;          // the tax switch
    QString ledgerShown;         // the ledger number box: empty for a customer without a ledger
    bool ledgerJustMade = false; // the box shows a ledger an earlier Post of this entry allocated
                                 // before its append failed: its file is yet to come
    QDate today;                 // for dates typed without a year
};

// A record ready to be appended, with where it goes.
struct Posting {
    QByteArray record;            // the 128 bytes
    std::optional<int> ledger;    // the existing ledger; nullopt: a new one for `customer`
    QString customer;             // the name a new ledger is made for (and shown in logs)
    QString invoice;              // the invoice number as typed
    std::int64_t amountCents = 0; // the amount stored
    bool reversal = false;        // a correction of an earlier entry, so journalled
    bool startsLedger = false;    // `ledger` was allocated for this entry: it has no file yet
    QString origin;               // where it came from when not typed (a file and row), journalled

    // A ready record for an existing ledger (a reversal, a correction).
    static Posting toLedger(int ledger, const QByteArray& record, const QString& customer = {});
};

struct Prepared {
    std::optional<Posting> posting; // set when every check passed
    QString refusal;                // the operator's message otherwise
    QString field;                  // the box it concerns, by its caption ("Invoice Date")
};

// Every check of Post, in its order, each with its message. Nothing is read or written.
Prepared prepare(const EntryTexts& entry);

// The question Post asks before writing an invoice that the target ledger already holds
// (the same invoice number, blanks trimmed, case ignored); nullopt when it holds none, for a
// blank invoice and for a new ledger. Throws IoError when the ledger file cannot be read.
std::optional<QString> duplicateQuestion(const LedgerStore& store, const Posting& posting);

// The question Post asks before writing to a ledger the index lists whose file does not exist
// (moved away, or allocated by another program before its first invoice); nullopt when it
// exists, for a new ledger and for one allocated for this entry, whose file this posting makes.
std::optional<QString> missingFileQuestion(const LedgerStore& store, const Posting& posting);

struct PostOutcome {
    bool posted = false;
    int ledger = 0;           // the ledger written to, or allocated before a failure; 0: none
    bool created = false;     // a new ledger was made for this posting
    std::int64_t offset = -1; // byte offset of the record in its ledger file
    QString error;            // the operator's message when not posted
    QString warning;          // posted, but something after the write needs telling
};

// Runs once the record is on disk (the journal of postings belongs here). Returns a warning
// for the operator, or an empty text. It can no longer undo or stop the posting.
using AfterDurable = std::function<QString(const Posting&, const PostOutcome&)>;

// Allocates the ledger when the posting has none, then appends the record, then adds its line
// to the journal of postings (a journal that cannot be written gives a warning only). A failure
// leaves what was written: a ledger allocated before a failed append is reported in `ledger`, so
// that a retry adds the invoice to it instead of allocating again.
PostOutcome post(LedgerStore& store, const Posting& posting, const AfterDurable& after = {});

// Post as the operator starts it from the entry: prepare, the questions on a missing ledger
// file and on a duplicate through the host, then post. A refusal comes back unposted with its
// message in `error` and no ledger; an answer of No comes back unposted with no message.
PostOutcome postEntry(const EntryTexts& entry, LedgerStore& store, Host& host,
                      const AfterDurable& after = {});

} // namespace tw::ledger
