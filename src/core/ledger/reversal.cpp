#include "ledger/reversal.h"

#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "platform/ioerror.h"
#include "platform/regional.h"

#include <cstring>

namespace tw::ledger {

namespace {

constexpr int kInvoiceDateAt = 8;
constexpr int kDueDateAt = 14;
constexpr int kDescriptionAt = 40;
constexpr int kDescriptionWidth = 76;
constexpr int kLen = LedgerEntryRecord::kLength;

QString entryText(const StoredEntry& e) {
    const QString date = e.isOdd(StoredEntry::OddInvoiceDate) ? e.InvoiceDateText
                                                              : regional::shortDate(e.InvoiceDate);
    return QStringLiteral("invoice %1 dated %2 for %3")
        .arg(e.InvoiceNumber.trimmed(), date, regional::formatMoney(e.AmountCents));
}

} // namespace

QByteArray reversalRecord(QByteArrayView original, const QDate& today) {
    if (original.size() != kLen)
        return {};
    const StoredEntry e = decodeEntry(original);
    if (e.isOdd(StoredEntry::OddAmount) || e.isOdd(StoredEntry::OddLineEnd))
        return {};
    const auto amount = amountText(-e.AmountCents);
    if (!amount)
        return {};
    // What Post would not have stored does not pass into the reversal either.
    QByteArray out = withoutControls(original.first(kLen - 2)) + "\r\n";
    out.replace(kInvoiceDateAt, 6, dateField(today, DateOrder::YyMmDd));
    out.replace(kDueDateAt, 6, QByteArray(6, ' '));
    QByteArrayView desc = QByteArrayView(out).sliced(kDescriptionAt, kDescriptionWidth);
    while (!desc.isEmpty() && desc.back() == ' ')
        desc.chop(1);
    const QByteArray reversed =
        QByteArray(kReversalPrefix).append(desc).leftJustified(kDescriptionWidth, ' ', true);
    out.replace(kDescriptionAt, kDescriptionWidth, reversed);
    out.replace(LedgerEntryRecord::kAmountOffset, LedgerEntryRecord::kAmountWidth,
                amount->leftJustified(LedgerEntryRecord::kAmountWidth, ' '));
    return out;
}

bool reverses(QByteArrayView candidate, QByteArrayView original) {
    const QByteArray r = reversalRecord(original, QDate());
    if (r.isEmpty() || candidate.size() != kLen)
        return false;
    return std::memcmp(candidate.data(), r.constData(), kInvoiceDateAt) == 0 &&
           std::memcmp(candidate.data() + kDueDateAt, r.constData() + kDueDateAt,
                       kLen - kDueDateAt) == 0;
}

ReversalPlan planReversal(const LedgerStore& store, const QString& numberText, std::int64_t record,
                          const QDate& today) {
    ReversalPlan plan;
    if (record < 0) {
        plan.refusal = QStringLiteral("An incomplete record cannot be reversed. Nothing was "
                                      "posted.");
        return plan;
    }
    std::optional<LedgerContents> c;
    try {
        c = store.readEntries(numberText);
    } catch (const IoError& e) {
        plan.refusal = e.text();
        return plan;
    }
    if (!c || record >= c->count()) {
        plan.refusal = QStringLiteral("The ledger file %1 no longer holds this entry. Nothing "
                                      "was posted.")
                           .arg(store.ledgerPath(numberText));
        return plan;
    }
    const QByteArrayView original = c->record(record);
    const StoredEntry e = decodeEntry(original);
    if (e.isOdd(StoredEntry::OddLineEnd)) {
        plan.refusal = QStringLiteral("This record does not end where a record should, so it "
                                      "cannot be reversed. Nothing was posted.");
        return plan;
    }
    if (e.isOdd(StoredEntry::OddAmount)) {
        plan.refusal = QStringLiteral("The amount \"%1\" of this entry does not read as an "
                                      "amount, so it cannot be reversed. Nothing was posted.")
                           .arg(e.AmountText);
        return plan;
    }
    plan.record = reversalRecord(original, today);
    if (plan.record.isEmpty()) {
        plan.refusal = QStringLiteral("The reversed amount %1 does not fit the ledger's amount "
                                      "field. Nothing was posted.")
                           .arg(regional::formatMoney(-e.AmountCents));
        return plan;
    }
    QString earlier;
    for (std::int64_t r = 0; r < c->count(); ++r) {
        if (reverses(c->record(r), original)) {
            const StoredEntry prev = decodeEntry(c->record(r));
            earlier = QStringLiteral("This entry was already reversed on %1. ")
                          .arg(prev.isOdd(StoredEntry::OddInvoiceDate)
                                   ? prev.InvoiceDateText
                                   : regional::shortDate(prev.InvoiceDate));
            break;
        }
    }
    plan.question = QStringLiteral("%1Reverse %2? A reversal for %3 dated %4 is added to ledger "
                                   "%5.")
                        .arg(earlier, entryText(e), regional::formatMoney(-e.AmountCents),
                             regional::shortDate(today), numberText);
    return plan;
}

PostOutcome postReversal(LedgerStore& store, const QString& numberText, const QString& customerName,
                         const ReversalPlan& plan, const QString& origin) {
    const auto number = parseLedgerNumber(numberText);
    PostOutcome out;
    if (!number || plan.record.isEmpty()) {
        out.error = QStringLiteral("Nothing was posted.");
        return out;
    }
    Posting p = Posting::toLedger(*number, plan.record, customerName);
    p.reversal = true;
    p.origin = origin;
    p.amountCents = decodeEntry(plan.record).AmountCents;
    return post(store, p);
}

} // namespace tw::ledger
