#pragma once
// Posting without a window, for the tests that post from many processes, kill posters and
// break the ledger folder: the same calls in the same order as the window's Post.
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "platform/dospath.h"
#include "platform/ioerror.h"
#include "testsupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace tw::test {

// A program folder whose drive F: maps to a temporary directory holding F:\LEDGER.
struct LedgerSandbox {
    QTemporaryDir tmp;
    QString prog;   // the program folder
    QString drive;  // native directory of F:
    QString folder; // native directory of F:\LEDGER
    tw::DosPaths paths;

    explicit LedgerSandbox(const QString& base = QString())
        : tmp(base.isEmpty() ? QDir::tempPath() + QStringLiteral("/twstress-XXXXXX")
                             : base + QStringLiteral("/twstress-XXXXXX")),
          prog(tmp.path() + QStringLiteral("/prog")), paths(prog) {
        drive = tmp.path() + QStringLiteral("/drive_f");
        folder = drive + QStringLiteral("/LEDGER");
        QDir().mkpath(folder);
        QDir().mkpath(prog + QStringLiteral("/dosdevices"));
        QFile::link(drive, prog + QStringLiteral("/dosdevices/f:"));
    }
    QString file(const QString& name) const { return folder + QLatin1Char('/') + name; }
    QString indexFile() const { return file(QStringLiteral("ledger.ndx")); }
    QString ledgerFile(int number) const {
        return file(QStringLiteral("led") + tw::ledger::ledgerNumberText(number) +
                    QStringLiteral(".dat"));
    }
    tw::ledger::LedgerStore store(const QString& dos = QStringLiteral("F:\\LEDGER")) const {
        return tw::ledger::LedgerStore(paths, dos);
    }
};

// An index whose record n holds the n-th name.
inline QByteArray indexOf(const QStringList& names) {
    QByteArray out;
    for (int i = 0; i < names.size(); ++i)
        out += tw::ledger::LedgerIndexRecord{i + 1, names[i]}.encode();
    return out;
}

// An invoice whose invoice number names the posting, so that it can be found again.
inline QByteArray invoiceRecord(const QString& invoice, const QString& description,
                                std::int64_t cents = 10000) {
    return *sampleEntry(invoice, description, cents).encode();
}

// One posting as the window does it: the customer looked up as leaving the customer box does,
// then the window's own posting operation (a ledger allocated when there is none, the entry
// appended). Throws IoError with the operator's message where the window would show it.
struct Posted {
    int number = 0;
    bool allocated = false; // a new ledger was made for this posting
    bool raced = false;     // the lookup missed the customer, the allocation found it under the
                            // index lock: another poster had just added it
};

inline Posted postInvoice(tw::ledger::LedgerStore& store, const QString& customer,
                          const QByteArray& record) {
    tw::ledger::Posting posting;
    posting.record = record;
    posting.customer = customer;
    posting.ledger = store.findCustomer(customer, true);
    const tw::ledger::PostOutcome out = tw::ledger::post(store, posting);
    if (!out.posted)
        throw tw::IoError(out.error);
    Posted p;
    p.number = out.ledger;
    p.allocated = out.created;
    p.raced = !posting.ledger && !out.created;
    return p;
}

// Index records that are whole, each numbered by its position and ending in CR LF. Returns
// the names (trailing blanks removed) or an explanation of the first damaged record.
struct IndexCheck {
    QList<QByteArray> names;
    qsizetype partialBytes = 0; // bytes of a trailing partial record
    QString fault;              // empty when every whole record is sound
};

inline IndexCheck checkIndex(const QByteArray& index) {
    IndexCheck c;
    constexpr int len = tw::ledger::LedgerIndexRecord::kLength;
    const qsizetype whole = index.size() / len;
    c.partialBytes = index.size() % len;
    for (qsizetype i = 0; i < whole; ++i) {
        const QByteArray rec = index.mid(i * len, len);
        if (rec.left(5) != tw::ledger::ledgerNumberText(int(i + 1)).toLatin1() ||
            !rec.endsWith("\r\n")) {
            c.fault = QStringLiteral("index record %1 is damaged: %2")
                          .arg(i + 1)
                          .arg(QString::fromLatin1(rec.toPercentEncoding(" ")));
            return c;
        }
        QByteArray name = rec.mid(5, 40);
        while (name.endsWith(' '))
            name.chop(1);
        c.names << name;
    }
    return c;
}

// The invoice numbers of a ledger file's whole records (trailing blanks removed), or the
// fault of the first damaged record.
struct LedgerCheck {
    QList<QByteArray> invoices;
    qsizetype partialBytes = 0;
    QString fault;
};

inline LedgerCheck checkLedger(const QByteArray& bytes) {
    LedgerCheck c;
    constexpr int len = tw::ledger::LedgerEntryRecord::kLength;
    const qsizetype whole = bytes.size() / len;
    c.partialBytes = bytes.size() % len;
    for (qsizetype i = 0; i < whole; ++i) {
        const QByteArray rec = bytes.mid(i * len, len);
        if (!rec.endsWith("\r\n") || rec.left(len - 2).contains('\n') ||
            rec.left(len - 2).contains('\r')) {
            c.fault = QStringLiteral("record %1 is damaged: %2")
                          .arg(i + 1)
                          .arg(QString::fromLatin1(rec.toPercentEncoding(" ")));
            return c;
        }
        QByteArray inv = rec.left(8);
        while (inv.endsWith(' '))
            inv.chop(1);
        c.invoices << inv;
    }
    return c;
}

} // namespace tw::test
