#include "ledger/ledgerstore.h"

#include "ledger/ledgerrecords.h"
#include "platform/blanks.h"
#include "platform/dospath.h"
#include "platform/recordfile.h"
#include "platform/text1252.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::ledger {

namespace {

constexpr int kIdxLen = LedgerIndexRecord::kLength;
constexpr int kEntryLen = LedgerEntryRecord::kLength;
// A last record cut short still holds a usable name when its number and name are complete.
constexpr int kNameEnd = LedgerIndexRecord::kNameOffset + LedgerIndexRecord::kNameWidth;

struct ScanResult {
    std::optional<int> match;
    bool matchIsDamagedLast = false;
    std::int64_t wholeRecords = 0; // whole records read
    int trailing = 0;              // bytes of a partial record after them
    QByteArray trailingName;       // its name, when trailing >= kNameEnd
};

bool nameAt(const char* rec, const QByteArray& name) {
    return std::memcmp(rec + LedgerIndexRecord::kNameOffset, name.constData(),
                       LedgerIndexRecord::kNameWidth) == 0;
}

static_assert(LedgerIndexRecord::kNameWidth >= int(sizeof(std::uint64_t)));
std::uint64_t firstWord(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// The first record of a block of `count` index records whose name is `name`, or -1. Names
// mostly differ within their first eight bytes, so those are compared as one word, four
// records a step; only a record that agrees there is compared in full. The search of a full
// index then costs little beside reading it.
int findInBlock(const char* block, int count, const QByteArray& name) {
    const std::uint64_t want = firstWord(name.constData());
    const char* names = block + LedgerIndexRecord::kNameOffset;
    const auto agrees = [&](int i) {
        return firstWord(names + std::ptrdiff_t(i) * kIdxLen) == want;
    };
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        if (!agrees(i) && !agrees(i + 1) && !agrees(i + 2) && !agrees(i + 3))
            continue;
        for (int j = i; j < i + 4; ++j) {
            if (nameAt(block + std::ptrdiff_t(j) * kIdxLen, name))
                return j;
        }
    }
    for (; i < count; ++i) {
        if (nameAt(block + std::ptrdiff_t(i) * kIdxLen, name))
            return i;
    }
    return -1;
}

ScanResult scanIndex(const RecordFile& file, const QByteArray& name) {
    ScanResult r;
    SequentialReader reader(file, kIdxLen);
    int count = 0;
    while (const char* block = reader.nextRun(count)) {
        if (const int i = findInBlock(block, count, name); i >= 0) {
            r.match = int(reader.recordNumber() - count + 1 + i);
            return r;
        }
    }
    r.wholeRecords = reader.recordNumber();
    // The end as the last read found it; a record another writer adds later is not seen.
    const QByteArrayView partial = reader.partialRecord();
    const char* tail = partial.data();
    r.trailing = int(partial.size());
    if (r.trailing >= kNameEnd) {
        r.trailingName =
            QByteArray(tail + LedgerIndexRecord::kNameOffset, LedgerIndexRecord::kNameWidth);
        if (nameAt(tail, name)) {
            r.match = int(r.wholeRecords + 1);
            r.matchIsDamagedLast = true;
        }
    }
    return r;
}

// The full record for an index position and a stored 40-byte name.
QByteArray indexRecordBytes(int number, const QByteArray& storedName) {
    return ledgerNumberText(number).toLatin1() + storedName + "\r\n";
}

void writeIndexRecord(RecordFile& file, int number, const QByteArray& storedName) {
    file.write(std::int64_t(number - 1) * kIdxLen, indexRecordBytes(number, storedName));
}

// Writes a new last record and flushes it. When the write or the flush fails (a full disk, a
// connection lost), the file is cut back to where the record began: a posting reported as
// failed leaves no part of a record that the viewer or the next search would take for one.
// The caller holds the lock on the record. The cut is made only while this handle can lock
// everything from the record's start on and the length is still exactly what this write made:
// another machine may have appended a record behind ours meanwhile, and that one stays.
void writeAtEnd(RecordFile& file, std::int64_t offset, const QByteArray& bytes) {
    const std::int64_t before = file.length();
    std::int64_t written = 0;
    try {
        file.write(offset, bytes.constData(), bytes.size(), &written);
        file.sync();
    } catch (const IoError&) {
        // The lock to the end stays until the file is closed, which follows at once.
        const std::int64_t made = qMax(before, offset + written);
        if (file.tryLock(offset, 0) && file.length() == made) {
            while (::ftruncate(file.nativeHandle(), off_t(offset)) != 0 && errno == EINTR) {
            }
        }
        throw;
    }
}

QString normalisedFolder(QString folder) {
    while (folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

} // namespace

LedgerStore::LedgerStore(const DosPaths& paths, const QString& folder)
    : folder_(normalisedFolder(folder)), paths_(paths) {}

QString LedgerStore::indexPath() const {
    return folder_ + QStringLiteral("\\ledger.ndx");
}

QString LedgerStore::folderFile(const QString& name) const {
    return folder_ + QLatin1Char('\\') + name;
}

QString LedgerStore::ledgerPath(const QString& numberText) const {
    return folder_ + QStringLiteral("\\led") + numberText + QStringLiteral(".dat");
}

namespace {

void requireFolder(const QString& folder, const QString& dos) {
    if (folder.isEmpty())
        throw IoError(QStringLiteral("Cannot open %1: the ledger folder is not set.").arg(dos));
}

// The open file is the one at nativePath.
bool isFile(const RecordFile& file, const QString& nativePath) {
    struct stat open {
    }, named{};
    return !nativePath.isEmpty() && ::fstat(file.nativeHandle(), &open) == 0 &&
           ::stat(QFile::encodeName(nativePath).constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

void openIn(RecordFile& file, const DosPaths& paths, const QString& folder, const QString& dos) {
    requireFolder(folder, dos);
    file.open(paths, dos, RecordFile::Mode::ReadWriteCreate);
}

// Opens a file of the ledger folder for reading. False when its drive is mapped and no such
// file is there (a ledger nobody has posted to); any other failure is told.
bool openIfThere(RecordFile& file, const DosPaths& paths, const QString& dos,
                 RecordFile::Mode mode = RecordFile::Mode::ReadOnly) {
    try {
        file.open(paths, dos, mode);
        return true;
    } catch (const IoError&) {
        const QString native = paths.toNative(dos);
        if (!native.isEmpty() && !QFileInfo::exists(native))
            return false;
        throw;
    }
}

} // namespace

void LedgerStore::open(RecordFile& file, const QString& dosPath) const {
    openIn(file, paths_, folder_, dosPath);
}

std::optional<QString> LedgerStore::ledgerOwner(int number) const {
    requireFolder(folder_, indexPath());
    RecordFile file;
    if (number < 1 || !openIfThere(file, paths_, indexPath()))
        return std::nullopt;
    char rec[kIdxLen];
    if (file.read(std::int64_t(number - 1) * kIdxLen, rec, kIdxLen) < kNameEnd)
        return std::nullopt;
    const QString name = ansi::decode(
        QByteArrayView(rec + LedgerIndexRecord::kNameOffset, LedgerIndexRecord::kNameWidth));
    return trimBlanks(name).toString();
}

bool LedgerStore::hasLedgerFile(const QString& numberText) const {
    const QString native = paths_.toNative(ledgerPath(numberText));
    return native.isEmpty() || QFileInfo::exists(native);
}

std::optional<int> LedgerStore::findCustomer(QStringView name, bool repairDamagedLast) {
    const QByteArray wanted = indexName(name);
    RecordFile file;
    openIn(file, paths_, folder_, indexPath());
    ScanResult r = scanIndex(file, wanted);
    if (r.match && r.matchIsDamagedLast && repairDamagedLast) {
        // Another writer may have completed or passed the record meanwhile: look again under
        // the lock before writing.
        RangeLock lock(file, kIndexLockOffset, 1);
        r = scanIndex(file, wanted);
        if (r.match && r.matchIsDamagedLast) {
            writeIndexRecord(file, *r.match, wanted);
            file.sync();
        }
    }
    return r.match;
}

LedgerStore::Allocation LedgerStore::allocateLedger(QStringView name,
                                                    const std::function<void(int)>& beforeWrite) {
    const QByteArray wanted = indexName(name);
    RecordFile file;
    openIn(file, paths_, folder_, indexPath());
    RangeLock lock(file, kIndexLockOffset, 1);

    const ScanResult r = scanIndex(file, wanted);
    if (r.match) {
        if (r.matchIsDamagedLast) {
            writeIndexRecord(file, *r.match, wanted);
            file.sync();
        }
        return {*r.match, false};
    }

    // A last record cut short after its name is a customer with a ledger: it keeps its number
    // and is completed. A shorter remainder is an interrupted write and is overwritten.
    const bool keepDamaged = r.trailing >= kNameEnd;
    const std::int64_t next = r.wholeRecords + (keepDamaged ? 1 : 0) + 1;
    if (next > kMaxLedgerNumber) {
        throw IndexFullError(QStringLiteral("The ledger index %1 is full: it holds %2 ledgers, "
                                            "the most the ledger system can keep. No ledger was "
                                            "created.")
                                 .arg(indexPath())
                                 .arg(kMaxLedgerNumber));
    }
    const int number = int(next);
    // The index and the ledger files disagree: the file of the next number belongs to a
    // customer the index lost. A new customer must never be added to another's ledger.
    const QString orphan = ledgerPath(ledgerNumberText(number));
    if (const QString native = paths_.toNative(orphan);
        !native.isEmpty() && QFileInfo(native).size() > 0) {
        throw IoError(QStringLiteral("Cannot create ledger %1: the ledger file %2 already holds "
                                     "records, but the ledger index %3 does not list it. No "
                                     "ledger was created.")
                          .arg(ledgerNumberText(number), orphan, indexPath()));
    }
    if (keepDamaged)
        writeIndexRecord(file, number - 1, r.trailingName);
    if (beforeWrite)
        beforeWrite(number);
    writeAtEnd(file, std::int64_t(number - 1) * kIdxLen, indexRecordBytes(number, wanted));
    return {number, true};
}

std::int64_t LedgerStore::appendEntry(const QString& numberText, const QByteArray& record) {
    return appendEntries(numberText, {record}, {}, -1).constFirst();
}

std::optional<LedgerContents> LedgerStore::readEntries(const QString& numberText) const {
    const QString dos = ledgerPath(numberText);
    requireFolder(folder_, dos);
    RecordFile file;
    if (!openIfThere(file, paths_, dos, RecordFile::Mode::ReadOnlyAsOpened))
        return std::nullopt;
    return readLedger(file);
}

std::optional<LedgerContents> LedgerStore::readEntries(const QString& numberText,
                                                       const OpenFolder& folder) const {
    const QString dos = ledgerPath(numberText);
    requireFolder(folder_, dos);
    RecordFile file;
    if (file.openIn(folder, dos.mid(folder_.size() + 1), dos, RecordFile::Mode::ReadOnlyAsOpened))
        return readLedger(file);
    return readEntries(numberText);
}

std::optional<QStringList> LedgerStore::readIndex() const {
    const QString dos = indexPath();
    requireFolder(folder_, dos);
    RecordFile file;
    if (!openIfThere(file, paths_, dos, RecordFile::Mode::ReadOnlyAsOpened))
        return std::nullopt;
    const auto nameOf = [](const char* rec) {
        return trimBlanks(ansi::decode(QByteArrayView(rec + LedgerIndexRecord::kNameOffset,
                                                      LedgerIndexRecord::kNameWidth)))
            .toString();
    };
    QStringList names;
    names.reserve(qsizetype(file.length() / kIdxLen) + 1);
    SequentialReader reader(file, kIdxLen);
    int count = 0;
    while (const char* block = reader.nextRun(count)) {
        for (int i = 0; i < count; ++i)
            names.append(nameOf(block + std::ptrdiff_t(i) * kIdxLen));
    }
    if (const QByteArrayView partial = reader.partialRecord(); partial.size() >= kNameEnd)
        names.append(nameOf(partial.data()));
    return names;
}

QString LedgerStore::nativeFolder() const {
    return paths_.toNative(folder_);
}

namespace {

// An invoice field's bytes without the blanks around them.
QByteArrayView trimmedField(QByteArrayView field) {
    qsizetype b = 0, e = field.size();
    while (b < e && field[b] == ' ')
        ++b;
    while (e > b && field[e - 1] == ' ')
        --e;
    return field.sliced(b, e - b);
}

constexpr int kInvoiceWidth = 8;
static_assert(kInvoiceWidth == sizeof(std::uint64_t));

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

} // namespace

std::optional<QByteArray> LedgerStore::findInvoice(const QString& numberText,
                                                   QByteArrayView invoice) const {
    const auto& fold = ansi::capitals();
    QByteArray wanted =
        trimmedField(invoice.first(std::min<qsizetype>(invoice.size(), kInvoiceWidth)))
            .toByteArray();
    if (wanted.isEmpty())
        return std::nullopt;
    for (char& c : wanted)
        c = char(fold[(unsigned char)c]);
    const QByteArray wantedField = wanted.leftJustified(kInvoiceWidth, ' ');
    const std::uint64_t wantedWord = firstWord(wantedField.constData());

    const QString dos = ledgerPath(numberText);
    if (folder_.isEmpty())
        return std::nullopt;
    RecordFile file;
    try {
        // A ledger without a file holds no invoice.
        if (!openIfThere(file, paths_, dos))
            return std::nullopt;
    } catch (const IoError&) {
        // Nor does one on a drive without a mapping: the posting itself says so. Any other
        // failure is told.
        if (paths_.toNative(dos).isEmpty())
            return std::nullopt;
        throw;
    }
    SequentialReader reader(file, kEntryLen);
    const auto same = [&](const char* rec) {
        const QByteArrayView stored = trimmedField(QByteArrayView(rec, kInvoiceWidth));
        if (stored.size() != wanted.size())
            return false;
        for (qsizetype i = 0; i < stored.size(); ++i) {
            if (char(fold[(unsigned char)stored[i]]) != wanted[i])
                return false;
        }
        return true;
    };
    int count = 0;
    while (const char* block = reader.nextRun(count)) {
        for (int i = 0; i < count; ++i) {
            const char* rec = block + std::ptrdiff_t(i) * kEntryLen;
            // Most fields are plain ASCII without a leading blank: those are told apart as
            // one word, with their small letters made capitals. Others take the full compare.
            const std::uint64_t w = firstWord(rec);
            if ((w & kHighBits) == 0 && rec[0] != ' ' && ansi::asciiCapitals(w) != wantedWord)
                continue;
            if (same(rec))
                return QByteArray(rec, kEntryLen);
        }
    }
    // A last record that lacks only its line end is an invoice like the others.
    const QByteArrayView tail = reader.partialRecord();
    if (trailingKind(tail.size()) == Trailing::LacksLineEnd && same(tail.data()))
        return tail.toByteArray() + missingLineEnd(tail.size());
    return std::nullopt;
}

// ---- Many invoices at once ----

namespace {

// Every name of the index with the first ledger number that holds it.
struct IndexNames {
    QHash<QByteArray, int> ledgerOf;
    std::int64_t wholeRecords = 0;
    QByteArray trailingName; // the name of a last record cut short after it, else empty
};

IndexNames readIndexNames(const RecordFile& file) {
    IndexNames r;
    SequentialReader reader(file, kIdxLen);
    const auto add = [&r](const char* rec, std::int64_t number) {
        const QByteArray name(rec + LedgerIndexRecord::kNameOffset, LedgerIndexRecord::kNameWidth);
        if (!r.ledgerOf.contains(name))
            r.ledgerOf.insert(name, int(number));
        return name;
    };
    int count = 0;
    while (const char* block = reader.nextRun(count)) {
        const std::int64_t first = reader.recordNumber() - count + 1;
        for (int i = 0; i < count; ++i)
            add(block + std::ptrdiff_t(i) * kIdxLen, first + i);
    }
    r.wholeRecords = reader.recordNumber();
    if (const QByteArrayView partial = reader.partialRecord(); partial.size() >= kNameEnd)
        r.trailingName = add(partial.data(), r.wholeRecords + 1);
    return r;
}

IndexFullError indexFull(const QString& indexPath) {
    return IndexFullError(QStringLiteral("The ledger index %1 is full: it holds %2 ledgers, the "
                                         "most the ledger system can keep. No ledger was created.")
                              .arg(indexPath)
                              .arg(kMaxLedgerNumber));
}

IoError unlistedLedgerFile(const QString& number, const QString& file, const QString& indexPath) {
    return IoError(QStringLiteral("Cannot create ledger %1: the ledger file %2 already holds "
                                  "records, but the ledger index %3 does not list it. No ledger "
                                  "was created.")
                       .arg(number, file, indexPath));
}

} // namespace

LedgerStore::IndexSnapshot LedgerStore::readIndexSnapshot() const {
    requireFolder(folder_, indexPath());
    IndexSnapshot snapshot;
    RecordFile file;
    if (!openIfThere(file, paths_, indexPath()))
        return snapshot;
    IndexNames names = readIndexNames(file);
    snapshot.ledgerOf = std::move(names.ledgerOf);
    snapshot.next = int(names.wholeRecords + (names.trailingName.isEmpty() ? 0 : 1) + 1);
    return snapshot;
}

std::optional<std::int64_t> LedgerStore::ledgerLength(const QString& numberText) const {
    const QString dos = ledgerPath(numberText);
    requireFolder(folder_, dos);
    RecordFile file;
    if (!openIfThere(file, paths_, dos))
        return std::nullopt;
    return file.length();
}

QList<LedgerStore::Allocation> LedgerStore::allocateLedgers(const QList<QString>& names) {
    QList<Allocation> out;
    if (names.isEmpty())
        return out;
    RecordFile file;
    openIn(file, paths_, folder_, indexPath());
    RangeLock lock(file, kIndexLockOffset, 1);
    IndexNames index = readIndexNames(file);
    const bool keepDamaged = !index.trailingName.isEmpty();
    const std::int64_t damagedNumber = index.wholeRecords + 1;
    const std::int64_t firstNew = index.wholeRecords + (keepDamaged ? 1 : 0) + 1;
    std::int64_t next = firstNew;
    bool damagedMatched = false;
    QHash<QByteArray, int> madeHere;
    QByteArray records;
    for (const QString& name : names) {
        const QByteArray wanted = indexName(name);
        if (const auto made = madeHere.constFind(wanted); made != madeHere.cend()) {
            out.append({*made, true});
            continue;
        }
        if (const auto it = index.ledgerOf.constFind(wanted); it != index.ledgerOf.cend()) {
            damagedMatched = damagedMatched || (keepDamaged && *it == damagedNumber);
            out.append({*it, false});
            continue;
        }
        if (next > kMaxLedgerNumber)
            throw indexFull(indexPath());
        const int number = int(next++);
        // The file of a new number must not hold another customer's entries.
        const QString orphan = ledgerPath(ledgerNumberText(number));
        if (const QString native = paths_.toNative(orphan);
            !native.isEmpty() && QFileInfo(native).size() > 0)
            throw unlistedLedgerFile(ledgerNumberText(number), orphan, indexPath());
        records += indexRecordBytes(number, wanted);
        madeHere.insert(wanted, number);
        out.append({number, true});
    }
    // A last record cut short after its name keeps its number and is completed first.
    if (keepDamaged && (damagedMatched || !records.isEmpty())) {
        writeIndexRecord(file, int(damagedNumber), index.trailingName);
        if (records.isEmpty())
            file.sync();
    }
    if (!records.isEmpty())
        writeAtEnd(file, (firstNew - 1) * kIdxLen, records);
    return out;
}

QList<std::int64_t> LedgerStore::appendEntries(const QString& numberText,
                                               const QList<QByteArray>& records,
                                               const QList<bool>& recheck,
                                               std::int64_t lengthSeen) {
    const QString dos = ledgerPath(numberText);
    QList<std::int64_t> numbers(records.size(), 0);
    if (records.isEmpty())
        return numbers;
    for (const QByteArray& r : records) {
        if (r.size() != kEntryLen)
            throw IoError(
                QStringLiteral("Cannot write %1: the entry is not a ledger record.").arg(dos));
    }
    // The number text names a file inside the ledger folder and nothing else.
    if (numberText.isEmpty() || numberText.contains(QLatin1Char('\\')) ||
        numberText.contains(QLatin1Char('/')) || numberText.contains(QLatin1Char(':'))) {
        throw IoError(
            QStringLiteral("Cannot open %1: \"%2\" is not a ledger number.").arg(dos, numberText));
    }
    RecordFile file;
    openIn(file, paths_, folder_, dos);
    // The index through the drive's own entry when it is there under its name: a batch
    // appends to many files, and the full mapping costs system calls each time.
    QString index = paths_.directPath(indexPath());
    if (index.isEmpty() || !QFileInfo::exists(index))
        index = paths_.toNative(indexPath());
    if (isFile(file, index)) {
        throw IoError(QStringLiteral("Cannot write %1: it is the ledger index %2, not a ledger "
                                     "file. Nothing was posted.")
                          .arg(dos, indexPath()));
    }
    // The length can change between reading it and holding the lock when another machine
    // appends at the same moment; then the lock is on the wrong record and is taken again.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::int64_t length = file.length();
        const std::int64_t last = length / kEntryLen;
        const int tail = int(length % kEntryLen);
        // A last record that lost only its line end is a real invoice: it is completed. A
        // shorter remainder is an interrupted write and is overwritten.
        const bool complete = trailingKind(tail) == Trailing::LacksLineEnd;
        const std::int64_t target = last + (complete ? 1 : 0);
        RangeLock lock(file, last * kEntryLen,
                       (target - last + std::int64_t(records.size())) * kEntryLen);
        if (file.length() != length)
            continue;
        // Another machine may have posted one of these invoices since they were looked at.
        const bool changed = length != lengthSeen;
        QByteArray bytes;
        for (qsizetype i = 0; i < records.size(); ++i) {
            if (changed && recheck.value(i) &&
                findInvoice(numberText, QByteArrayView(records[i]).first(8)))
                continue;
            bytes += records[i];
            numbers[i] = target + bytes.size() / kEntryLen;
        }
        if (complete)
            file.write(length, missingLineEnd(tail));
        if (!bytes.isEmpty())
            writeAtEnd(file, target * kEntryLen, bytes);
        else if (complete)
            file.sync();
        return numbers;
    }
    throw IoError(QStringLiteral("Cannot write %1: other programs keep appending to it.").arg(dos));
}

} // namespace tw::ledger
