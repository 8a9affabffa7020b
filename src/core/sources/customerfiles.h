#pragma once
#include "sources/loadresult.h"

#include <QByteArrayView>
#include <QString>

namespace tw {
class DosPaths;
}

namespace tw::sources {

// A record of the customer export "QUILLBAR.CLI" that the estimating system's dump utility
// writes. Only the name is used.
struct CustomerExportRecord {
    static constexpr int kLength = 206;
    static constexpr int kNameOffset = 25;
    static constexpr int kNameWidth = 30;
};

// A record of the estimating system's own customer file "CUSTOMER.FIL". Only the name is used.
struct CustomerFileRecord {
    static constexpr int kLength = 256;
    static constexpr int kNameOffset = 1;
    static constexpr int kNameWidth = 40;
};

struct CustomerLayout {
    int recordLength;
    int nameOffset;
    int nameWidth;
};
inline constexpr CustomerLayout kExportLayout{CustomerExportRecord::kLength,
                                              CustomerExportRecord::kNameOffset,
                                              CustomerExportRecord::kNameWidth};
inline constexpr CustomerLayout kCustomerFilLayout{
    CustomerFileRecord::kLength, CustomerFileRecord::kNameOffset, CustomerFileRecord::kNameWidth};

// A name field is listed when it sorts above a lone double quote: its first byte is a
// double quote or higher. Blank, "!", control-character and NUL records are left out.
bool passesNameTest(QByteArrayView nameField);

// Reads every whole record of a customer file front to back and lists the name fields that
// pass the name test, exactly as stored (trailing blanks kept). A missing file is created
// empty (the estimating system expects it there); a trailing partial record is ignored.
// dosPath names the file in messages.
LoadResult readCustomerFile(const DosPaths& paths, const QString& dosPath,
                            const CustomerLayout& layout);

} // namespace tw::sources
