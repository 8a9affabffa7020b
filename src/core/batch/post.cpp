#include "batch/post.h"

#include "ledger/journal.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "ledger/reversal.h"
#include "platform/blanks.h"
#include "platform/ioerror.h"
#include "platform/log.h"
#include "platform/regional.h"
#include "platform/text1252.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tw::batch {

namespace {

std::uint64_t fingerprintOf(QByteArrayView record) {
    return qHash(record, 0);
}

// The rows of one ledger file, in file order.
struct Group {
    int ledger = 0; // as checked; for a new ledger, the number it was expected to get
    bool isNew = false;
    std::vector<int> rows;
};

std::vector<Group> groupsOf(const Batch& batch, int& rows) {
    std::vector<Group> groups;
    QHash<int, std::size_t> groupOf;
    rows = 0;
    for (std::size_t i = 0; i < batch.rows.size(); ++i) {
        const Row& r = batch.rows[i];
        if (!r.ticked || !r.canTick())
            continue;
        auto at = groupOf.constFind(r.ledger);
        if (at == groupOf.cend()) {
            at = groupOf.insert(r.ledger, groups.size());
            groups.push_back({r.ledger, batch.newLedger(r.ledger) != nullptr, {}});
        }
        groups[*at].rows.push_back(int(i));
        ++rows;
    }
    return groups;
}

// A ledger file's rows made ready to be written.
struct Prepared {
    QList<QByteArray> records;
    QList<bool> recheck;
    std::vector<ledger::Posting> postings;
    QString customer;
    bool unreadable = false;
};

Prepared prepareGroup(RowReader& reader, const Batch& batch, const Group& g) {
    Prepared p;
    for (const int row : g.rows) {
        RowEntry e = reader.entry(row);
        if (p.customer.isEmpty())
            p.customer = trimBlanks(e.customer).toString();
        // The file is as it was checked: only a failing disk gets here.
        if (!e.posting) {
            p.unreadable = true;
            continue;
        }
        e.posting->customer = e.customer;
        e.posting->origin = journalOrigin(batch, row);
        p.records << e.posting->record;
        // A duplicate the operator ticked is meant; any other is looked for again.
        p.recheck << (batch.rows[std::size_t(row)].status != Status::Duplicate);
        p.postings.push_back(*e.posting);
    }
    return p;
}

// Reads and checks the rows again on a thread of its own, a few ledger files ahead of the
// writing: that work then takes place while the disk flushes the file before.
class Preparer {
public:
    Preparer(const Batch& batch, const std::vector<Group>& groups)
        : batch_(batch), groups_(groups), worker_([this] { run(); }) {}
    ~Preparer() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }
    Preparer(const Preparer&) = delete;
    Preparer& operator=(const Preparer&) = delete;

    // The next group's, in order.
    Prepared next() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !ready_.empty(); });
        Prepared p = std::move(ready_.front());
        ready_.pop_front();
        changed_.notify_all();
        return p;
    }

private:
    static constexpr std::size_t kAhead = 16;

    void run() {
        RowReader reader(batch_);
        for (const Group& g : groups_) {
            Prepared p = prepareGroup(reader, batch_, g);
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || ready_.size() < kAhead; });
            if (stop_)
                return;
            ready_.push_back(std::move(p));
            changed_.notify_all();
        }
    }

    const Batch& batch_;
    const std::vector<Group>& groups_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Prepared> ready_;
    bool stop_ = false;
    std::thread worker_; // last: it starts once everything above is made
};

} // namespace

int BatchResult::count(Outcome outcome) const {
    return int(std::count_if(rows.cbegin(), rows.cend(),
                             [outcome](const RowResult& r) { return r.outcome == outcome; }));
}

QString changedSinceChecked(const Batch& batch) {
    const QString changed =
        QStringLiteral("The file %1 has changed since it was checked. Nothing was posted: check "
                       "it again, then post.")
            .arg(QFileInfo(batch.path).fileName());
    const QFileInfo info(batch.path);
    if (!info.exists() || info.size() != batch.stamp.size ||
        info.lastModified() != batch.stamp.modified)
        return changed;
    QFile file(batch.path);
    QCryptographicHash digest(QCryptographicHash::Sha1);
    if (!file.open(QIODevice::ReadOnly) || !digest.addData(&file) ||
        digest.result() != batch.stamp.digest)
        return changed;
    return {};
}

QString journalOrigin(const Batch& batch, int row) {
    return QStringLiteral("from file %1 row %2")
        .arg(QFileInfo(batch.path).absoluteFilePath())
        .arg(batch.rows[std::size_t(row)].number);
}

BatchResult postBatch(ledger::LedgerStore& store, const Batch& batch,
                      const ProgressCallback& progress) {
    BatchResult result;
    result.rows.resize(batch.rows.size());
    result.refusal = changedSinceChecked(batch);
    if (!result.refusal.isEmpty())
        return result;

    int total = 0;
    const std::vector<Group> groups = groupsOf(batch, total);
    Preparer preparer(batch, groups);
    ledger::JournalAppender journal(store);
    ledger::JournalEntry stamp = ledger::JournalEntry::now();
    const auto journalFailed = [&result](const IoError& e) {
        qCWarning(lcLedger).noquote() << "journal lines not written:" << e.text();
        if (result.warning.isEmpty())
            result.warning = QStringLiteral("The invoices are posted, but the journal of "
                                            "postings was not fully written. %1")
                                 .arg(e.text());
    };
    const auto failRows = [&result](const Group& g, const QString& message) {
        result.failures << message;
        for (const int row : g.rows) {
            result.rows[std::size_t(row)].outcome = Outcome::Failed;
            result.rows[std::size_t(row)].failure = std::int16_t(result.failures.size() - 1);
        }
        qCWarning(lcPosting).noquote() << "not posted:" << message;
    };

    // New ledgers are made together the first time one is needed.
    QHash<int, ledger::LedgerStore::Allocation> allocated;
    QString allocationError;
    bool allocationTried = false;
    int done = 0;
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        const Group& g = groups[gi];
        const Prepared prepared = preparer.next();
        const QList<QByteArray>& records = prepared.records;
        const QString& customer = prepared.customer;
        if (progress && !progress({done, total, customer})) {
            result.cancelled = true;
            for (std::size_t rest = gi; rest < groups.size(); ++rest) {
                for (const int row : groups[rest].rows)
                    result.rows[std::size_t(row)].outcome = Outcome::Cancelled;
            }
            break;
        }
        done += int(g.rows.size());
        if (prepared.unreadable) {
            failRows(g, QStringLiteral("The rows of %1 could not be read again from %2.")
                            .arg(customer, batch.path));
            continue;
        }

        int number = g.ledger;
        bool created = false;
        if (g.isNew) {
            if (!allocationTried) {
                allocationTried = true;
                QList<QString> names;
                QList<int> expected;
                for (const Group& other : groups) {
                    if (other.isNew) {
                        names << batch.newLedger(other.ledger)->name;
                        expected << other.ledger;
                    }
                }
                try {
                    const auto made = store.allocateLedgers(names);
                    for (qsizetype i = 0; i < made.size(); ++i)
                        allocated.insert(expected[i], made[i]);
                } catch (const IoError& e) {
                    allocationError = e.text();
                }
            }
            if (!allocated.contains(g.ledger)) {
                failRows(
                    g,
                    QStringLiteral("No ledger was made for %1. %2").arg(customer, allocationError));
                continue;
            }
            number = allocated[g.ledger].number;
            created = allocated[g.ledger].created;
        }
        // A ledger made just now is empty; one found made by another machine is looked at.
        const std::int64_t lengthSeen =
            g.isNew ? (created ? 0 : -1) : batch.lengthSeen.value(number, -1);
        const QString numberText = ledger::ledgerNumberText(number);
        QList<std::int64_t> numbers;
        try {
            numbers = store.appendEntries(numberText, records, prepared.recheck, lengthSeen);
        } catch (const IoError& e) {
            failRows(g, QStringLiteral("Ledger %1 of %2: %3").arg(numberText, customer, e.text()));
            continue;
        }
        // The time of the file's flush, with its offset from UTC taken once for all its lines.
        const QDateTime now = QDateTime::currentDateTime();
        stamp.time = now.toOffsetFromUtc(now.offsetFromUtc());
        QList<ledger::JournalEntry> lines;
        for (std::size_t k = 0; k < g.rows.size(); ++k) {
            RowResult& r = result.rows[std::size_t(g.rows[k])];
            r.ledger = std::int16_t(number);
            r.created = created;
            if (numbers[qsizetype(k)] == 0) {
                r.outcome = Outcome::PostedMeanwhile;
                continue;
            }
            r.outcome = Outcome::Posted;
            r.recordNumber = numbers[qsizetype(k)];
            r.fingerprint = fingerprintOf(records[qsizetype(k)]);
            ledger::PostOutcome out;
            out.posted = true;
            out.ledger = number;
            out.created = created;
            out.offset = (r.recordNumber - 1) * ledger::LedgerEntryRecord::kLength;
            lines << ledger::journalEntryOf(prepared.postings[k], out, stamp);
        }
        try {
            journal.append(lines);
        } catch (const IoError& e) {
            journalFailed(e);
        }
    }
    try {
        journal.flush();
    } catch (const IoError& e) {
        journalFailed(e);
    }
    qCInfo(lcPosting).noquote() << QStringLiteral("posted from %1: %2 rows posted, %3 posted "
                                                  "meanwhile by another machine, %4 failed%5")
                                       .arg(batch.path)
                                       .arg(result.count(Outcome::Posted))
                                       .arg(result.count(Outcome::PostedMeanwhile))
                                       .arg(result.count(Outcome::Failed))
                                       .arg(result.cancelled ? QStringLiteral(", cancelled")
                                                             : QString());
    return result;
}

QString reverseBatchQuestion(const Batch& batch, const BatchResult& result, const QDate& today) {
    std::int64_t cents = 0;
    for (std::size_t i = 0; i < result.rows.size(); ++i)
        cents += result.rows[i].outcome == Outcome::Posted ? batch.rows[i].cents : 0;
    const int n = result.count(Outcome::Posted);
    return QStringLiteral("Reverse the %1 %2 this batch posted, for %3 in all? Each gets a "
                          "reversal record dated %4 in its ledger and a line in the journal of "
                          "postings.")
        .arg(n)
        .arg(n == 1 ? QStringLiteral("invoice") : QStringLiteral("invoices"),
             regional::formatMoney(cents), regional::shortDate(today));
}

ReversalOutcome reverseBatch(ledger::LedgerStore& store, const Batch& batch,
                             const BatchResult& result, const QDate& today) {
    ReversalOutcome outcome;
    QHash<int, QString> nameOf;
    try {
        const auto index = store.readIndexSnapshot();
        for (auto it = index.ledgerOf.cbegin(); it != index.ledgerOf.cend(); ++it)
            nameOf.insert(it.value(), trimBlanks(ansi::decode(it.key())).toString());
    } catch (const IoError&) {
        // The names only go into the journal; the reversals do not need them.
    }
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        const RowResult& r = result.rows[i];
        if (r.outcome != Outcome::Posted)
            continue;
        const int rowNumber = batch.rows[i].number;
        const QString numberText = ledger::ledgerNumberText(r.ledger);
        const auto problem = [&](const QString& why) {
            outcome.problems
                << QStringLiteral("Row %1 (ledger %2): %3").arg(rowNumber).arg(numberText, why);
        };
        std::optional<ledger::LedgerContents> contents;
        try {
            contents = store.readEntries(numberText);
        } catch (const IoError& e) {
            problem(e.text());
            continue;
        }
        if (!contents || r.recordNumber > contents->count() ||
            fingerprintOf(contents->record(r.recordNumber - 1)) != r.fingerprint) {
            problem(QStringLiteral("record %1 is no longer the one this batch wrote, so it was "
                                   "not reversed.")
                        .arg(r.recordNumber));
            continue;
        }
        // Reversing a batch twice would take every invoice back twice.
        const QByteArrayView original = contents->record(r.recordNumber - 1);
        bool reversedAlready = false;
        for (std::int64_t k = r.recordNumber; k < contents->count() && !reversedAlready; ++k)
            reversedAlready = ledger::reverses(contents->record(k), original);
        if (reversedAlready) {
            problem(QStringLiteral("it was reversed already, so it was not reversed again."));
            continue;
        }
        const ledger::ReversalPlan plan =
            ledger::planReversal(store, numberText, r.recordNumber - 1, today);
        if (plan.record.isEmpty()) {
            problem(plan.refusal);
            continue;
        }
        const ledger::PostOutcome out = ledger::postReversal(
            store, numberText, nameOf.value(r.ledger), plan, journalOrigin(batch, int(i)));
        if (!out.posted) {
            problem(out.error);
            continue;
        }
        ++outcome.reversed;
        if (!out.warning.isEmpty() && outcome.warning.isEmpty())
            outcome.warning = out.warning;
    }
    return outcome;
}

} // namespace tw::batch
