#pragma once
#include "sources/loadresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace tw {
class DosPaths;
}

namespace tw::sources {

inline const QString kProductFile = QStringLiteral("\\product.dat");

// A record of the estimating system's product file. Record 1 is a header whose code field
// holds the number of the last record in use.
struct ProductRecord {
    static constexpr int kLength = 43;
    static constexpr int kCodeWidth = 3;
    static constexpr int kDescWidth = 40;
    // Records written when the file is missing or shorter than one record.
    static constexpr int kInitialRecords = 99;
};

// Record n (1 to 99) of an initialised product file: a header saying that no product record
// is in use yet, then blank records.
QByteArray initialProductRecord(int n);

// code + "-" + description, blanks at both ends of the whole removed (an all-blank record
// gives "-").
QString productEntry(QByteArrayView record);

// The number of the last product record that the header claims, by the leading-number rule.
std::int64_t productHeaderCount(QByteArrayView header);

// Opens gA + "\product.dat" (created when missing). A file shorter than one record is
// initialised, each record locked while it is written, and nothing is listed. Otherwise
// records 2 to the header's count are listed, as far as whole records exist.
LoadResult loadProductFile(const DosPaths& paths, const QString& gA);

} // namespace tw::sources
