#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <cstdint>

namespace tw::ledger {

class LedgerStore;
struct PostOutcome;

inline constexpr char kReversalPrefix[] = "REVERSAL ";

// The record that reverses a stored one, byte for byte: invoice, job, P.O. and product as the
// original holds them (control characters made blanks, as Post makes them); description
// "REVERSAL " + the original's, cut to the field; amount negated; invoice date `today`; no due
// date. Empty when the negated amount does not fit its field or the original's amount does
// not read.
QByteArray reversalRecord(QByteArrayView original, const QDate& today);

// Whether `candidate` reverses `original`: every byte of the reversal record but the invoice
// date (the day it was made).
bool reverses(QByteArrayView candidate, QByteArrayView original);

// A reversal of record `record` (from 0) of a ledger, planned from the file as it is now.
struct ReversalPlan {
    QByteArray record; // the 128 bytes to append; empty when refused
    QString refusal;   // why not, for the operator
    QString question;  // the Yes/No confirmation (also telling of an earlier reversal)
};
// record -1 is the torn record after the last entry.
ReversalPlan planReversal(const LedgerStore& store, const QString& numberText, std::int64_t record,
                          const QDate& today);

// Appends the planned record through the posting operation (locks, flush, journal). origin
// names where the reversed entry came from for the journal (see JournalEntry::origin).
PostOutcome postReversal(LedgerStore& store, const QString& numberText, const QString& customerName,
                         const ReversalPlan& plan, const QString& origin = {});

} // namespace tw::ledger
