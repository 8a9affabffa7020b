#pragma once
// Builds work-in-progress files ("\Wip.Dat", 256-byte records; "\Wip2.Dat", 512-byte records)
// for the job lookup tests. Bytes the lookup never reads are filled with '~' so that a field
// read at a wrong offset shows up.
#include "testsupport.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tw::test {

struct WipJob {
    QByteArray job = "00004711";
    QByteArray invoiceDate = "060115";
    QByteArray customer = "ACME PRINTING";
    QByteArray description = "LETTERHEAD";
    QByteArray quantity = "5000";
    QByteArray amount = "1234.5";
    QByteArray dueDate = "060214";
    // The Wip2.Dat record's text (blank-filled to 512 bytes).
    QByteArray wip2 = "ACME PRINTING AND GRAPHICS\"";
};

inline void putWipField(QByteArray& rec, int offset, int width, const QByteArray& text) {
    for (int i = 0; i < width; ++i)
        rec[offset + i] = i < text.size() ? text[i] : ' ';
}

inline QByteArray wipRecord(const WipJob& j) {
    QByteArray rec(256, '~');
    putWipField(rec, 4, 8, j.job);
    putWipField(rec, 20, 6, j.invoiceDate);
    putWipField(rec, 36, 20, j.customer);
    putWipField(rec, 56, 45, j.description);
    putWipField(rec, 101, 9, j.quantity);
    putWipField(rec, 119, 9, j.amount);
    putWipField(rec, 134, 6, j.dueDate);
    return rec;
}

inline QByteArray wip2Record(const QByteArray& text) {
    QByteArray rec(512, ' ');
    putWipField(rec, 0, 512, text);
    return rec;
}

// Writes Wip.Dat and Wip2.Dat into `folder` (native path); `wipName`/`wip2Name` let a test
// use the DOS system's upper-case names.
inline void writeWipFiles(const QString& folder, const QList<WipJob>& jobs,
                          const QString& wipName = QStringLiteral("Wip.Dat"),
                          const QString& wip2Name = QStringLiteral("Wip2.Dat")) {
    QByteArray wip, wip2;
    for (const WipJob& j : jobs) {
        wip += wipRecord(j);
        wip2 += wip2Record(j.wip2);
    }
    writeAll(folder + '/' + wipName, wip);
    writeAll(folder + '/' + wip2Name, wip2);
}

} // namespace tw::test
