// The estimating system's product file "\product.dat": a header that claims a record count,
// then the products. Created with 99 records when missing or too short.
#include "fuzzsupport.h"
#include "sources/productfile.h"

using namespace tw;
using namespace tw::sources;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    fuzz::Scratch& s = fuzz::Scratch::get();
    const QString est = s.freshDrive(QStringLiteral("EST"));
    const QString file = est + QStringLiteral("/product.dat");
    fuzz::Scratch::put(file, bytes);

    const LoadResult r = loadProductFile(s.paths(), QStringLiteral("F:\\EST"));
    TW_FUZZ_CHECK(r.ok);
    const QByteArray after = fuzz::Scratch::get(file);

    if (bytes.size() < ProductRecord::kLength) {
        // Initialised: 99 records, the header first; nothing listed.
        TW_FUZZ_CHECK(r.entries.isEmpty());
        TW_FUZZ_CHECK(after.size() == ProductRecord::kLength * ProductRecord::kInitialRecords);
        for (int n = 1; n <= ProductRecord::kInitialRecords; ++n)
            TW_FUZZ_CHECK(after.mid((n - 1) * ProductRecord::kLength, ProductRecord::kLength) ==
                          initialProductRecord(n));
        return 0;
    }

    // Read only: records 2 to the header's count, as far as whole records exist.
    TW_FUZZ_CHECK(after == bytes);
    const std::int64_t last = productHeaderCount(bytes.first(ProductRecord::kLength));
    const std::int64_t whole = bytes.size() / ProductRecord::kLength;
    const std::int64_t listed = qMax<std::int64_t>(0, qMin(last, whole) - 1);
    TW_FUZZ_CHECK(r.entries.size() == listed);
    for (qsizetype i = 0; i < r.entries.size(); ++i) {
        const QByteArrayView rec =
            bytes.sliced((i + 1) * ProductRecord::kLength, ProductRecord::kLength);
        TW_FUZZ_CHECK(r.entries[i] == productEntry(rec));
        TW_FUZZ_CHECK(r.entries[i].contains(QLatin1Char('-')));
    }
    return 0;
}
