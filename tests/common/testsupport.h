#pragma once
#include "ledger/ledgerrecords.h"
#include "platform/host.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tw::test {

// Records what the program shows instead of blocking on message boxes.
class FakeHost : public tw::Host {
public:
    QStringList messages;
    int beeps = 0;
    int endRequests = 0;
    QDate fixedToday{2006, 1, 15};

    void message(const QString& text) override { messages << text; }
    void beep() override { ++beeps; }
    void endProgram() override { ++endRequests; }
    QDate today() const override { return fixedToday; }
    // Questions asked, answered from `answers` in turn, then No.
    QStringList questions;
    QList<bool> answers;
    bool question(const QString& text) override {
        questions << text;
        return !answers.isEmpty() && answers.takeFirst();
    }
};

// Whole-file helpers for checking bytes on disk.
QByteArray readAll(const QString& path);
void writeAll(const QString& path, const QByteArray& bytes);
QString dataFile(const QString& name); // a file of tests/data

// A whole invoice entry: invoice 1/5/2006, due 2/4/2006, job 00004711, product BC, P.O.
// PO-778; the invoice number, description and amount as given.
tw::ledger::LedgerEntryRecord
sampleEntry(const QString& invoice,
            const QString& description = QStringLiteral("500, Business cards"),
            std::int64_t cents = 12345);

// The 128 bytes of an entry of sampleEntry's fields but for those given.
QByteArray entryBytes(const QString& invoice, const QDate& date, std::int64_t cents,
                      const QString& description = QStringLiteral("500, Business cards"),
                      const QString& job = QStringLiteral("00004711"),
                      const QString& po = QStringLiteral("PO-778"),
                      const QString& product = QStringLiteral("BC"));

// The records of a CSV text as RFC 4180 reads it, each ending in CR LF; empty when any part
// of it does not read.
QList<QStringList> parseCsv(const QByteArray& text);
// The fields of one CSV record as RFC 4180 reads it, which must end in CR LF right after its
// last field; empty when it does not read.
QStringList parseCsvRecord(const QByteArray& line);

} // namespace tw::test
