#include "ledger/journal.h"

#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "platform/ioerror.h"
#include "platform/log.h"
#include "platform/recordfile.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace tw::ledger {

namespace {

// Every journal writer locks this one byte, far beyond any line, for the whole append: the end
// of the file is read and written under it.
constexpr std::int64_t kLockOffset = std::int64_t(1) << 40;
// Waiting longer would hold up the operator after a posting that is already done.
constexpr int kLockTimeoutMs = 2000;

QString loginName() {
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

} // namespace

JournalEntry JournalEntry::now() {
    JournalEntry e;
    e.time = QDateTime::currentDateTime();
    e.user = loginName();
    e.computer = QSysInfo::machineHostName();
    return e;
}

QString journalFileName() {
    return QStringLiteral("POSTINGS.CSV");
}

QString isoTimeWithOffset(const QDateTime& t) {
    const int offset = t.offsetFromUtc();
    const int a = offset < 0 ? -offset : offset;
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) + twoDigits(a / 3600) +
           QLatin1Char(':') + twoDigits(a / 60 % 60);
}

QByteArray journalHeader() {
    return "time,user,computer,action,ledger,customer,invoice,job,amount,offset\r\n";
}

QByteArray journalLine(const JournalEntry& e) {
    const QString fields[] = {
        isoTimeWithOffset(e.time),
        e.user,
        e.computer,
        e.action == JournalEntry::Action::Post ? QStringLiteral("post") : QStringLiteral("reverse"),
        e.ledgerNumber,
        e.customerName,
        e.invoiceNumber,
        e.jobNumber,
        plainAmount(e.amountCents),
        QString::number(e.recordOffset),
    };
    QByteArray line;
    for (const QString& f : fields) {
        if (!line.isEmpty())
            line += ',';
        line += csvField(f);
    }
    line += "\r\n";
    return line;
}

void appendJournal(const LedgerStore& store, const JournalEntry& e) {
    RecordFile file;
    store.open(file, store.folderFile(journalFileName()));
    RangeLock lock(file, kLockOffset, 1, kLockTimeoutMs);
    const std::int64_t end = file.length();
    QByteArray bytes;
    if (end == 0) {
        bytes = journalHeader();
    } else {
        char last = 0;
        file.read(end - 1, &last, 1);
        if (last != '\n')
            bytes = "\r\n";
    }
    bytes += journalLine(e);
    file.write(end, bytes);
    file.sync();
}

QString journalPosting(const LedgerStore& store, const Posting& posting, const PostOutcome& out) {
    JournalEntry e = JournalEntry::now();
    e.action = posting.reversal ? JournalEntry::Action::Reverse : JournalEntry::Action::Post;
    e.ledgerNumber = ledgerNumberText(out.ledger);
    e.customerName = posting.customer.trimmed();
    // What the ledger holds, not what was typed.
    const StoredEntry stored = decodeEntry(posting.record);
    e.invoiceNumber = stored.InvoiceNumber;
    e.jobNumber = stored.JobNumber;
    e.amountCents = stored.AmountCents;
    e.recordOffset = out.offset;
    try {
        appendJournal(store, e);
    } catch (const IoError& err) {
        qCWarning(lcLedger).noquote() << "journal line not written:" << err.text();
        return QStringLiteral("The invoice is posted, but the journal of postings was not "
                              "written. %1")
            .arg(err.text());
    }
    return {};
}

} // namespace tw::ledger
