// The ledger index "\ledger.ndx" and a ledger file may be damaged by a crash of another
// program, by a copy or by hand: every operation on them must keep what is there and add
// whole records. Input: the index, "@@@@", led00001.dat, "@@@@", a customer name, "@@@@",
// the texts of an entry (invoice, job, product, P.O., description, each cut at a newline).
#include "fuzzsupport.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "platform/text1252.h"

#include <cstring>

using namespace tw;
using namespace tw::ledger;

namespace {

constexpr int kIdx = LedgerIndexRecord::kLength;
constexpr int kEntry = LedgerEntryRecord::kLength;

QByteArrayView nameOf(QByteArrayView index, int number) {
    return index.sliced(qsizetype(number - 1) * kIdx + LedgerIndexRecord::kNameOffset,
                        LedgerIndexRecord::kNameWidth);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitInput(data, size, 4);
    fuzz::Scratch& s = fuzz::Scratch::get();
    const QString dir = s.freshDrive(QStringLiteral("LEDGER"));
    const QString indexFile = dir + QStringLiteral("/ledger.ndx");
    const QString ledgerFile = dir + QStringLiteral("/led00001.dat");
    fuzz::Scratch::put(indexFile, parts[0]);
    fuzz::Scratch::put(ledgerFile, parts[1]);
    const QString name = fuzz::textOf(parts[2]);
    const QByteArray wanted = indexName(name);
    TW_FUZZ_CHECK(wanted.size() == LedgerIndexRecord::kNameWidth);
    TW_FUZZ_CHECK(!wanted.contains('\r') && !wanted.contains('\n'));

    LedgerStore store(s.paths(), QStringLiteral("F:\\LEDGER"));

    // The search: the first record (or a last one cut short after its name) with that name.
    const auto found = store.findCustomer(name);
    TW_FUZZ_CHECK(fuzz::Scratch::get(indexFile) == parts[0]);
    if (found) {
        TW_FUZZ_CHECK(*found >= 1);
        const QByteArray idx = fuzz::Scratch::get(indexFile);
        TW_FUZZ_CHECK(qsizetype(*found - 1) * kIdx + LedgerIndexRecord::kNameOffset +
                          LedgerIndexRecord::kNameWidth <=
                      idx.size());
        TW_FUZZ_CHECK(nameOf(idx, *found) == wanted);
        for (int n = 1; n < *found; ++n)
            TW_FUZZ_CHECK(nameOf(idx, n) != wanted);
    }
    // The lookup on leaving the customer box finds the same and at most completes that record.
    const auto again = store.findCustomer(name, true);
    TW_FUZZ_CHECK(again == found);
    const QByteArray afterRepair = fuzz::Scratch::get(indexFile);
    TW_FUZZ_CHECK(afterRepair.left(parts[0].size() / kIdx * kIdx) ==
                  parts[0].first(parts[0].size() / kIdx * kIdx));

    // The allocation: the found ledger, or a new one at the end; records before it unchanged.
    try {
        const auto a = store.allocateLedger(name);
        const QByteArray idx = fuzz::Scratch::get(indexFile);
        TW_FUZZ_CHECK(a.number >= 1 && a.number <= kMaxLedgerNumber);
        TW_FUZZ_CHECK(a.created == !found);
        if (found)
            TW_FUZZ_CHECK(a.number == *found);
        TW_FUZZ_CHECK(idx.size() % kIdx == 0 || !a.created);
        TW_FUZZ_CHECK(qsizetype(a.number) * kIdx <= idx.size());
        TW_FUZZ_CHECK(nameOf(idx, a.number) == wanted);
        // A new record is whole; a found one keeps the number text it was stored with.
        const QByteArray rec = idx.mid(qsizetype(a.number - 1) * kIdx, kIdx);
        if (a.created)
            TW_FUZZ_CHECK(rec == ledgerNumberText(a.number).toLatin1() + wanted + "\r\n");
        else
            TW_FUZZ_CHECK(rec.size() == kIdx);
        const qsizetype kept = qsizetype(a.number - 2) * kIdx;
        if (kept > 0)
            TW_FUZZ_CHECK(idx.left(kept) == parts[0].first(kept));
        TW_FUZZ_CHECK(store.findCustomer(name) == a.number);
    } catch (const IndexFullError&) {
        TW_FUZZ_CHECK(parts[0].size() / kIdx >= kMaxLedgerNumber);
    } catch (const IoError&) {
        // Refused: the new number's ledger file already holds another customer's records.
        // Only ledger 00001 has a file here, so the index must have been empty.
        TW_FUZZ_CHECK(!found && !parts[1].isEmpty());
        TW_FUZZ_CHECK(parts[0].size() <
                      LedgerIndexRecord::kNameOffset + LedgerIndexRecord::kNameWidth);
        TW_FUZZ_CHECK(fuzz::Scratch::get(indexFile) == afterRepair);
    }

    // The append: one whole record right after the last whole one, nothing before it touched.
    const QList<QByteArrayView> texts = [&] {
        QList<QByteArrayView> t;
        QByteArrayView rest = parts[3];
        for (int i = 0; i < 5; ++i) {
            const qsizetype nl = rest.indexOf('\n');
            t << (nl < 0 ? rest : rest.first(nl));
            rest = nl < 0 ? QByteArrayView() : rest.sliced(nl + 1);
        }
        return t;
    }();
    LedgerEntryRecord e;
    e.InvoiceNumber = fuzz::textOf(texts[0]);
    e.InvoiceDate = QDate(2006, 1, 15);
    e.JobNumber = fuzz::textOf(texts[1]);
    e.ProductCode = fuzz::textOf(texts[2]);
    e.PONumber = fuzz::textOf(texts[3]);
    e.Description = fuzz::textOf(texts[4]);
    e.AmountCents = 12345;
    const auto bytes = e.encode();
    TW_FUZZ_CHECK(bytes.has_value());
    TW_FUZZ_CHECK(bytes->size() == kEntry && bytes->endsWith("\r\n"));
    TW_FUZZ_CHECK(!bytes->left(kEntry - 2).contains('\r') &&
                  !bytes->left(kEntry - 2).contains('\n'));

    const std::int64_t at = store.appendEntry(QStringLiteral("00001"), *bytes);
    const QByteArray led = fuzz::Scratch::get(ledgerFile);
    // A last record that lost only its line end is completed and kept; a shorter tail is
    // overwritten.
    const qsizetype tail = parts[1].size() % kEntry;
    const qsizetype kept = parts[1].size() / kEntry + (tail >= kEntry - 2 ? 1 : 0);
    TW_FUZZ_CHECK(at == kept + 1);
    TW_FUZZ_CHECK(led.size() == (kept + 1) * kEntry);
    TW_FUZZ_CHECK(led.left(parts[1].size() - (tail >= kEntry - 2 ? 0 : tail)) ==
                  parts[1].first(parts[1].size() - (tail >= kEntry - 2 ? 0 : tail)));
    if (tail >= kEntry - 2)
        TW_FUZZ_CHECK(led.mid((kept - 1) * kEntry, kEntry).endsWith("\r\n"));
    TW_FUZZ_CHECK(led.right(kEntry) == *bytes);
    return 0;
}
