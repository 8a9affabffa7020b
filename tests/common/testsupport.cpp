#include "testsupport.h"

#include <QFile>
#include <QStringList>
#include <stdexcept>

namespace tw::test {

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

QStringList parseCsvRecord(const QByteArray& line) {
    QStringList fields;
    QByteArray f;
    qsizetype i = 0;
    for (;;) {
        f.clear();
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;; ++i) {
                if (i >= line.size())
                    return {};
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        f += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                f += line[i];
            }
        } else {
            while (i < line.size() && line[i] != ',' && line[i] != '\r')
                f += line[i++];
        }
        fields << QString::fromUtf8(f);
        if (i < line.size() && line[i] == ',') {
            ++i;
            continue;
        }
        return line.mid(i) == "\r\n" ? fields : QStringList{};
    }
}
QString dataFile(const QString& name) {
    return QStringLiteral(TW_TEST_DATA_DIR "/") + name;
}

tw::ledger::LedgerEntryRecord sampleEntry(const QString& invoice, const QString& description,
                                          std::int64_t cents) {
    tw::ledger::LedgerEntryRecord r;
    r.InvoiceNumber = invoice;
    r.InvoiceDate = QDate(2006, 1, 5);
    r.DueDate = QDate(2006, 2, 4);
    r.JobNumber = QStringLiteral("00004711");
    r.ProductCode = QStringLiteral("BC");
    r.PONumber = QStringLiteral("PO-778");
    r.Description = description;
    r.AmountCents = cents;
    return r;
}

QByteArray entryBytes(const QString& invoice, const QDate& date, std::int64_t cents,
                      const QString& description, const QString& job, const QString& po,
                      const QString& product) {
    tw::ledger::LedgerEntryRecord r = sampleEntry(invoice, description, cents);
    r.InvoiceDate = date;
    r.JobNumber = job;
    r.PONumber = po;
    r.ProductCode = product;
    const auto bytes = r.encode();
    if (!bytes)
        throw std::runtime_error("test entry does not encode");
    return *bytes;
}

} // namespace tw::test
