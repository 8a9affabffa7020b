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

QList<QStringList> parseCsv(const QByteArray& text) {
    QList<QStringList> rows;
    QStringList fields;
    QByteArray f;
    qsizetype i = 0;
    while (i < text.size()) {
        f.clear();
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size())
                    return {};
                if (text[i] == '"' && i + 1 < text.size() && text[i + 1] == '"')
                    f += text[i++];
                else if (text[i] == '"')
                    break;
                else
                    f += text[i];
            }
            ++i;
        } else {
            while (i < text.size() && !QByteArrayView(",\r\n\"").contains(text[i]))
                f += text[i++];
        }
        fields << QString::fromUtf8(f);
        if (i < text.size() && text[i] == ',') {
            ++i;
        } else if (text.mid(i, 2) == "\r\n") {
            rows << fields;
            fields.clear();
            i += 2;
        } else {
            return {}; // a quote inside a field, a bare CR or LF, or no line end at the end
        }
    }
    return rows;
}

QStringList parseCsvRecord(const QByteArray& line) {
    const QList<QStringList> rows = parseCsv(line);
    return rows.size() == 1 ? rows.first() : QStringList{};
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
