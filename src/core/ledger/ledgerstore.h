#pragma once
#include "ledger/ledgerrecords.h"
#include "platform/ioerror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <optional>

namespace tw {
class DosPaths;
class OpenFolder;
class RecordFile;
} // namespace tw

namespace tw::ledger {

// An allocation would pass the highest ledger number the viewer can hold. Nothing was written.
class IndexFullError : public IoError {
public:
    using IoError::IoError;
};

// The ledger folder: the index "\ledger.ndx" and one file "\led" + number + ".dat" a customer.
// Nothing is held between calls: every operation opens, uses and closes its file, since another
// office machine may add customers or entries at any time. Every failure throws IoError naming
// the file by its DOS path and the system's reason.
//
// Writers exclude each other with byte-range locks that every writer of this program takes:
// the index as a whole through one byte far beyond any record (kIndexLockOffset), a ledger
// file through the range of the record being appended.
class LedgerStore {
public:
    static constexpr std::int64_t kIndexLockOffset = std::int64_t(1) << 40;

    // folder: the ledger folder as DOS text (F:\LEDGER); a trailing "\" (a drive's root) is
    // dropped so that names never carry a doubled separator.
    LedgerStore(const DosPaths& paths, const QString& folder);

    QString indexPath() const;                           // F:\LEDGER\ledger.ndx
    QString ledgerPath(const QString& numberText) const; // F:\LEDGER\led00012.dat
    QString folderFile(const QString& name) const;       // F:\LEDGER\ + name
    // Opens a file of the ledger folder (a DOS path from the calls above) for reading and
    // writing, created when missing.
    void open(RecordFile& file, const QString& dosPath) const;

    // The ledger number of the first index record whose name equals the customer's index name
    // (indexName), or nullopt. A missing index is created empty. The index is read front to
    // back through a large buffer. A last record cut short after its name still counts; with
    // repairDamagedLast, a match on such a record writes it again in full.
    std::optional<int> findCustomer(QStringView name, bool repairDamagedLast = false);

    // The customer name index record `number` holds, blanks trimmed: the ledger's owner, whom
    // the ledger window and the journal name whatever the customer box shows. nullopt when the
    // index has no such record (a record cut short after its name counts) or does not exist.
    std::optional<QString> ledgerOwner(int number) const;

    // Whether the ledger file of that number text exists. True where that cannot be told (a
    // drive without a mapping): the append then says why it cannot write.
    bool hasLedgerFile(const QString& numberText) const;

    struct Allocation {
        int number = 0;
        bool created = false; // false: the customer was found in the index under the lock
    };
    // Gives the customer a new ledger at the end of the index. Under the index lock the index
    // is searched again, so a customer added meanwhile by another poster gets its existing
    // ledger. beforeWrite is called with the new number just before its index record is
    // written. Beyond kMaxLedgerNumber throws IndexFullError. The record is on disk on return.
    Allocation allocateLedger(QStringView name, const std::function<void(int)>& beforeWrite = {});

    // Appends a 128-byte record to the ledger file of that number text (used exactly as given;
    // created when missing) and returns its record number. The target is taken from the file
    // length under the record's lock; a torn record left by an interrupted write is
    // overwritten, and one that lacks only its line end (trailingKind) is completed first. The
    // record (and a ledger file made for it, in its folder) is on disk on return.
    std::int64_t appendEntry(const QString& numberText, const QByteArray& record);

    // The whole records and a trailing partial record of that ledger file (see ledgerContents) as
    // it was when opened, or nullopt when the file does not exist. Nothing is created or
    // locked.
    std::optional<LedgerContents> readEntries(const QString& numberText) const;
    // The same, the file opened by its name in `folder` (this ledger folder, held open by a
    // reader of every ledger) where it is there under that name.
    std::optional<LedgerContents> readEntries(const QString& numberText,
                                              const OpenFolder& folder) const;

    // The customer of each ledger by number (ledger n at n - 1), names without their padding
    // blanks; a last record cut short after its name counts, as in findCustomer. nullopt when
    // there is no index; nothing is created.
    std::optional<QStringList> readIndex() const;

    // The ledger folder on this machine; empty when its drive has no mapping.
    QString nativeFolder() const;

    // The first entry of the ledger file of that number text whose invoice number is `invoice`
    // (an invoice field's bytes), both with blanks trimmed and letters compared without regard
    // to case; nullopt for a blank invoice or a missing file. A last record lacking only its
    // line end is an entry (returned completed). The file is read front to back in large
    // blocks and only the invoice field of each record is compared.
    std::optional<QByteArray> findInvoice(const QString& numberText, QByteArrayView invoice) const;

    // ---- Many invoices at once (posting from a file) ----

    // The index as it is now, read once and never written or created: the first ledger number
    // of each stored name (a last record cut short after its name counts, as for
    // findCustomer), and the number the next allocation would give.
    struct IndexSnapshot {
        QHash<QByteArray, int> ledgerOf; // 40-byte index name (indexName) -> ledger number
        int next = 1;
    };
    IndexSnapshot readIndexSnapshot() const;

    // The length of a ledger file in bytes, or nullopt when there is none. Nothing is created.
    std::optional<std::int64_t> ledgerLength(const QString& numberText) const;

    // allocateLedger for many names under one index lock with one flush: a name the index
    // lists (another poster may have added it meanwhile) keeps its ledger, the others get
    // records at the end, written together; a name given twice gets one ledger. On failure
    // (IndexFullError, a ledger file the index does not list) nothing is written.
    QList<Allocation> allocateLedgers(const QList<QString>& names);

    // appendEntry for many records of one ledger file: appended under one lock with one flush.
    // Under the lock each record whose `recheck` is set is looked for again with findInvoice,
    // unless the file still has `lengthSeen` bytes (the length when its invoices were last
    // looked at; -1 unknown): a record found there is not written. Returns each record's
    // record number, 0 for one not written.
    QList<std::int64_t> appendEntries(const QString& numberText, const QList<QByteArray>& records,
                                      const QList<bool>& recheck, std::int64_t lengthSeen);

private:
    QString folder_;
    const DosPaths& paths_;
};

} // namespace tw::ledger
