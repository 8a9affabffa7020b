#include "sources/productfile.h"

#include "platform/dospath.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "platform/regional.h"
#include "platform/text1252.h"

namespace tw::sources {

QByteArray initialProductRecord(int n) {
    if (n == 1) {
        return ansi::field(u"01", ProductRecord::kCodeWidth) +
               ansi::field(u"Code=Last Record with File Initialized", ProductRecord::kDescWidth);
    }
    return QByteArray(ProductRecord::kLength, ' ');
}

QString productEntry(QByteArrayView record) {
    const qsizetype split = qMin(record.size(), qsizetype(ProductRecord::kCodeWidth));
    const QByteArrayView code = record.first(split);
    const QByteArrayView desc = record.sliced(split);
    QString entry = ansi::decode(code) + QLatin1Char('-') + ansi::decode(desc);
    // Only blanks are removed: a tab or a NUL byte is part of what the file holds.
    qsizetype b = 0, e = entry.size();
    while (b < e && entry[b] == QLatin1Char(' '))
        ++b;
    while (e > b && entry[e - 1] == QLatin1Char(' '))
        --e;
    return entry.mid(b, e - b);
}

std::int64_t productHeaderCount(QByteArrayView header) {
    return regional::leadingWhole(
        ansi::decode(header.first(qMin(header.size(), qsizetype(ProductRecord::kCodeWidth)))));
}

LoadResult loadProductFile(const DosPaths& paths, const QString& gA) {
    LoadResult result;
    const QString dosPath = gA + kProductFile;
    try {
        RecordFile file;
        file.open(paths, dosPath, RecordFile::Mode::ReadWriteCreate);
        if (file.length() < ProductRecord::kLength) {
            // The estimating system expects the file to exist with room for its products.
            for (int n = 1; n <= ProductRecord::kInitialRecords; ++n) {
                const std::int64_t offset = std::int64_t(n - 1) * ProductRecord::kLength;
                RangeLock lock(file, offset, ProductRecord::kLength);
                file.write(offset, initialProductRecord(n));
            }
            file.sync();
            return result;
        }

        SequentialReader reader(file, ProductRecord::kLength, 1024);
        const char* header = reader.next();
        if (!header)
            return result;
        const std::int64_t last =
            productHeaderCount(QByteArrayView(header, ProductRecord::kLength));
        // Records beyond the end of the file do not exist, whatever the header claims.
        for (std::int64_t n = 2; n <= last; ++n) {
            const char* rec = reader.next();
            if (!rec)
                break;
            result.entries << productEntry(QByteArrayView(rec, ProductRecord::kLength));
        }
    } catch (const IoError& e) {
        result.fail(e.text());
    }
    return result;
}

} // namespace tw::sources
