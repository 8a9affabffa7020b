#pragma once
// A ledger folder F:\LEDGER for posting from a file: ACME PRINTING (ledger 00001) holds invoice
// A1 and, last, A9 without its line end; Zenith Labels (00002) holds Z1.
#include "batch/batch.h"
#include "ledger/ledgerstore.h"
#include "postingdriver.h"
#include "testsupport.h"

#include <QDir>
#include <QMap>

namespace tw::test {

struct BatchFolder : LedgerSandbox {
    QString csvPath = tmp.filePath(QStringLiteral("march.csv"));

    BatchFolder() {
        writeAll(indexFile(),
                 indexOf({QStringLiteral("ACME PRINTING"), QStringLiteral("Zenith Labels")}));
        writeAll(ledgerFile(1),
                 invoiceRecord("A1", "first") + invoiceRecord("A9", "last").chopped(2));
        writeAll(ledgerFile(2), invoiceRecord("Z1", "first"));
    }
    // The file: a header and the rows (Customer, Invoice, Date, Amount).
    void writeCsv(const QStringList& rows) const {
        writeAll(csvPath,
                 ("Customer,Invoice,Date,Amount\r\n" + rows.join("\r\n") + "\r\n").toUtf8());
    }
    tw::batch::Batch check(const tw::batch::Options& options = {}) const {
        const tw::ledger::LedgerStore s = store();
        tw::batch::BatchChecker checker(s, csvPath, options);
        if (checker.open()) {
            while (checker.checkSome(2)) {
            }
        }
        return checker.takeBatch();
    }
    // Every file of the ledger folder with its bytes.
    QMap<QString, QByteArray> files() const {
        QMap<QString, QByteArray> all;
        for (const QString& name : QDir(folder).entryList(QDir::Files))
            all.insert(name, readAll(file(name)));
        return all;
    }
};

} // namespace tw::test
