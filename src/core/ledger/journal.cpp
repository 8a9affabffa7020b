#include "ledger/journal.h"

#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "platform/ioerror.h"
#include "platform/log.h"
#include "platform/recordfile.h"

#include <QSysInfo>

#include <algorithm>

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
        (e.action == JournalEntry::Action::Post ? QStringLiteral("post")
                                                : QStringLiteral("reverse")) +
            (e.origin.isEmpty() ? QString() : QLatin1Char(' ') + e.origin),
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

QByteArray tornLineEnd(QByteArrayView torn) {
    if (torn.isEmpty())
        return {};
    // Each quote opens or closes a quoted field (a doubled quote does both): an odd count
    // leaves one open, which the line end would otherwise extend into the next line.
    if (torn.count('"') % 2 != 0)
        return "\"\r\n";
    return torn.endsWith('\r') ? "\n" : "\r\n";
}

namespace {

// The text after the journal's last line feed, read back from its end.
QByteArray lastLineOf(const RecordFile& file, std::int64_t end) {
    constexpr std::int64_t kStep = 4096;
    QByteArray tail;
    for (std::int64_t from = end; from > 0;) {
        const std::int64_t at = std::max<std::int64_t>(0, from - kStep);
        QByteArray chunk(qsizetype(from - at), Qt::Uninitialized);
        chunk.resize(qsizetype(file.read(at, chunk.data(), chunk.size())));
        tail.prepend(chunk);
        if (const qsizetype lf = chunk.lastIndexOf('\n'); lf >= 0)
            return tail.sliced(lf + 1);
        from = at;
    }
    return tail;
}

// Appends lines at the journal's end under the lock: the header first into an empty journal
// (one created empty by a failed first write included), and a line end first after a line torn
// by an earlier crash, so that the new lines stay whole.
void appendLocked(RecordFile& file, const QByteArray& lines) {
    RangeLock lock(file, kLockOffset, 1, kLockTimeoutMs);
    const std::int64_t end = file.length();
    QByteArray bytes = end == 0 ? journalHeader() : tornLineEnd(lastLineOf(file, end));
    bytes += lines;
    file.write(end, bytes);
}

} // namespace

void appendJournal(const LedgerStore& store, const JournalEntry& e) {
    RecordFile file;
    store.open(file, store.folderFile(journalFileName()));
    appendLocked(file, journalLine(e));
    file.sync();
}

JournalAppender::JournalAppender(const LedgerStore& store) : store_(store) {}

void JournalAppender::append(const QList<JournalEntry>& entries) {
    if (entries.isEmpty())
        return;
    if (!file_.isOpen())
        store_.open(file_, store_.folderFile(journalFileName()));
    QByteArray lines;
    for (const JournalEntry& e : entries)
        lines += journalLine(e);
    appendLocked(file_, lines);
}

void JournalAppender::flush() {
    if (file_.isOpen())
        file_.sync();
}

JournalEntry journalEntryOf(const Posting& posting, const PostOutcome& out,
                            const JournalEntry& stamp) {
    JournalEntry e = stamp;
    e.action = posting.reversal ? JournalEntry::Action::Reverse : JournalEntry::Action::Post;
    e.ledgerNumber = ledgerNumberText(out.ledger);
    e.customerName = posting.customer.trimmed();
    // What the ledger holds, not what was typed.
    const StoredEntry stored = decodeEntry(posting.record);
    e.invoiceNumber = stored.InvoiceNumber;
    e.jobNumber = stored.JobNumber;
    e.amountCents = stored.AmountCents;
    e.recordOffset = out.offset;
    e.origin = posting.origin;
    return e;
}

QString journalPosting(const LedgerStore& store, const Posting& posting, const PostOutcome& out) {
    JournalEntry e = journalEntryOf(posting, out, JournalEntry::now());
    // The ledger's owner as the index names it: the customer box may hold a name typed after
    // the lookup. (A batch names its rows' ledgers by the index already.)
    try {
        if (const auto owner = store.ledgerOwner(out.ledger))
            e.customerName = *owner;
    } catch (const IoError&) {
        // The posting is done; the line keeps the name it was posted under.
    }
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
