// The work-in-progress files "\Wip.Dat" and "\Wip2.Dat" and everything a found job puts into
// the entry. Input: Wip.Dat, "@@@@", Wip2.Dat, "@@@@", the typed job number, "@@@@", the
// invoice date box, "@@@@", the due date box.
#include "entry/wipfiles.h"
#include "fuzzsupport.h"
#include "platform/text1252.h"

#include <cstring>

using namespace tw;
using namespace tw::entry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitInput(data, size, 5);
    fuzz::Scratch& s = fuzz::Scratch::get();
    const QString est = s.freshDrive(QStringLiteral("EST"));
    fuzz::Scratch::put(est + QStringLiteral("/WIP.DAT"), parts[0]);
    fuzz::Scratch::put(est + QStringLiteral("/WIP2.DAT"), parts[1]);
    const QString typed = ansi::decode(parts[2]);

    const auto found = lookupJob(s.paths(), QStringLiteral("F:\\EST"), typed);

    // Found exactly when some whole record holds the zero-filled key, and then the first one.
    const QString key = searchKey(typed);
    const QByteArray k = ansi::encode(key);
    std::int64_t first = 0;
    if (k.size() == wipfield::kJobWidth) {
        for (qsizetype at = 0; at + kWipRecordLength <= parts[0].size(); at += kWipRecordLength) {
            if (std::memcmp(parts[0].data() + at + wipfield::kJob, k.constData(), k.size()) == 0) {
                first = at / kWipRecordLength + 1;
                break;
            }
        }
    }
    TW_FUZZ_CHECK(found.has_value() == (first != 0));
    if (!found)
        return 0;
    TW_FUZZ_CHECK(found->number == first);
    TW_FUZZ_CHECK(found->record.job == key);
    // Only read: the files are as they were.
    TW_FUZZ_CHECK(fuzz::Scratch::get(est + QStringLiteral("/WIP.DAT")) == parts[0]);
    TW_FUZZ_CHECK(fuzz::Scratch::get(est + QStringLiteral("/WIP2.DAT")) == parts[1]);

    // The customer: the 20-byte name itself, or a longer text that begins with it.
    const QString name20 = ansi::decode(found->record.customerBytes);
    TW_FUZZ_CHECK(found->customer.startsWith(name20));
    TW_FUZZ_CHECK(!found->customer.contains(QLatin1Char('"')) || name20.contains(QLatin1Char('"')));

    const QDate today(2006, 1, 15);
    const JobEntry e = jobEntry(found->record, found->customer, ansi::decode(parts[3]),
                                ansi::decode(parts[4]), today);
    TW_FUZZ_CHECK(e.customer == found->customer && e.job == key);
    if (e.datesUsed) {
        TW_FUZZ_CHECK(!e.invoiceDate.isEmpty() && !e.dueDate.isEmpty());
    } else {
        TW_FUZZ_CHECK(e.invoiceDate.isEmpty() && e.dueDate.isEmpty());
    }
    TW_FUZZ_CHECK(e.description.size() <=
                  wipfield::kQuantityWidth + 2 + wipfield::kDescriptionWidth);
    TW_FUZZ_CHECK(e.quantity.size() <= wipfield::kQuantityWidth);
    return 0;
}
