// The estimating system's customer files, "QUILLBAR.CLI" and "CUSTOMER.FIL", read in place.
#include "fuzzsupport.h"
#include "platform/text1252.h"
#include "sources/customerfiles.h"

using namespace tw;
using namespace tw::sources;

namespace {

void check(const QByteArrayView bytes, const CustomerLayout& layout, const QString& name) {
    fuzz::Scratch& s = fuzz::Scratch::get();
    const QString est = s.freshDrive(QStringLiteral("EST"));
    fuzz::Scratch::put(est + QLatin1Char('/') + name, bytes);

    const LoadResult r = readCustomerFile(s.paths(), QStringLiteral("F:\\EST\\") + name, layout);
    TW_FUZZ_CHECK(r.ok);

    // Exactly the names of the whole records that pass the name test, in file order, as stored.
    QStringList expected;
    for (qsizetype at = 0; at + layout.recordLength <= bytes.size(); at += layout.recordLength) {
        const QByteArrayView field = bytes.sliced(at + layout.nameOffset, layout.nameWidth);
        if (static_cast<unsigned char>(field[0]) >= '"')
            expected << ansi::decode(field);
    }
    TW_FUZZ_CHECK(r.entries == expected);
    for (const QString& e : r.entries)
        TW_FUZZ_CHECK(e.size() == layout.nameWidth);
    // Read in place: the file is left as it was.
    TW_FUZZ_CHECK(fuzz::Scratch::get(est + QLatin1Char('/') + name) == bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    check(bytes, kExportLayout, QStringLiteral("QUILLBAR.CLI"));
    check(bytes, kCustomerFilLayout, QStringLiteral("CUSTOMER.FIL"));
    return 0;
}
