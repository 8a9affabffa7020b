#include "batch/batch.h"

#include "batch/csvreader.h"
#include "ledger/ledgermodel.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "platform/blanks.h"
#include "platform/ioerror.h"
#include "platform/text1252.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace tw::batch {

namespace {

// What a spreadsheet never writes, or a row the first line does not fit; empty otherwise.
QString recordProblem(const CsvRecord& r, int columns, int rowNumber) {
    QString what;
    if (r.hasNul)
        what = QStringLiteral("holds a NUL byte, which no spreadsheet writes: the file may be "
                              "damaged.");
    else if (r.unclosedQuote)
        what = QStringLiteral("has a quoted field that is not closed before the end of the "
                              "file.");
    else if (r.fields.size() != columns)
        what = QStringLiteral("has %1 fields, but the first line names %2 columns.")
                   .arg(r.fields.size())
                   .arg(columns);
    if (what.isEmpty())
        return what;
    return QStringLiteral("Row %1 %2 Nothing was posted.").arg(rowNumber).arg(what);
}

QStringList decoded(const CsvRecord& r) {
    QStringList fields;
    fields.reserve(r.fields.size());
    for (const QByteArray& f : r.fields)
        fields << decodeText(f);
    return fields;
}

// An invoice field as the duplicate check compares it: blanks around it trimmed, capitals.
std::uint64_t invoiceKey(const QByteArray& record) {
    const QString invoice = trimBlanks(ansi::decode(QByteArrayView(record).first(8))).toString();
    const QByteArray bytes = ansi::encode(invoice.toUpper()).leftJustified(8, ' ', true);
    std::uint64_t key = 0;
    std::memcpy(&key, bytes.constData(), sizeof key);
    return key;
}

struct DuplicateKey {
    int ledger;
    std::uint64_t invoice;
    bool operator==(const DuplicateKey&) const = default;
};

size_t qHash(const DuplicateKey& k, size_t seed = 0) {
    return qHashMulti(seed, k.ledger, k.invoice);
}

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

} // namespace

QString statusName(Status status) {
    switch (status) {
    case Status::Ready:
        return QStringLiteral("Ready");
    case Status::NewLedger:
        return QStringLiteral("New ledger");
    case Status::Duplicate:
        return QStringLiteral("Duplicate");
    case Status::Error:
        break;
    }
    return QStringLiteral("Error");
}

int Batch::count(Status status) const {
    return int(std::count_if(rows.cbegin(), rows.cend(),
                             [status](const Row& r) { return r.status == status; }));
}

int Batch::tickedRows() const {
    return int(std::count_if(rows.cbegin(), rows.cend(), [](const Row& r) { return r.ticked; }));
}

std::int64_t Batch::tickedCents() const {
    std::int64_t sum = 0;
    for (const Row& r : rows)
        sum += r.ticked ? r.cents : 0;
    return sum;
}

const NewLedger* Batch::newLedger(int number) const {
    for (const NewLedger& n : newLedgers) {
        if (n.number == number)
            return &n;
    }
    return nullptr;
}

struct BatchChecker::State {
    const ledger::LedgerStore& store;
    Batch batch;
    QString error;
    QFile file;
    QCryptographicHash digest{QCryptographicHash::Sha1};
    std::unique_ptr<CsvReader> reader;
    std::int64_t size = 0;
    int rowNumber = 1; // the header's
    bool indexRead = false;
    ledger::LedgerStore::IndexSnapshot index;
    QHash<QByteArray, int> newNumbers; // index name -> the new ledger's number
    QHash<DuplicateKey, int> seen;     // the first row of each customer's invoice
    bool done = false;

    State(const ledger::LedgerStore& s) : store(s) {}

    bool fail(const QString& message) {
        error = message;
        done = true;
        return false;
    }
    void checkRecord(const CsvRecord& record);
    void place(Row& row, const RowEntry& entry, int rowIndex);
    void finish();
};

BatchChecker::BatchChecker(const ledger::LedgerStore& store, const QString& path,
                           const Options& options)
    : s_(std::make_unique<State>(store)) {
    s_->batch.path = path;
    s_->batch.options = options;
}

BatchChecker::~BatchChecker() = default;

const QString& BatchChecker::error() const {
    return s_->error;
}
const QStringList& BatchChecker::header() const {
    return s_->batch.header;
}
const QList<Field>& BatchChecker::columns() const {
    return s_->batch.columns;
}
void BatchChecker::setColumns(const QList<Field>& columns) {
    if (columns.size() == s_->batch.header.size())
        s_->batch.columns = columns;
}

QString BatchChecker::missingColumns() const {
    return missingColumnsMessage(fileName(s_->batch.path), s_->batch.header, s_->batch.separator,
                                 s_->batch.columns);
}

double BatchChecker::progress() const {
    if (s_->done || s_->size <= 0 || !s_->reader)
        return 1.0;
    return double(s_->reader->position()) / double(s_->size);
}

bool BatchChecker::open() {
    State& s = *s_;
    const QString name = fileName(s.batch.path);
    s.file.setFileName(s.batch.path);
    // A pipe or a device would hold the reading for good.
    if (const QFileInfo path(s.batch.path); path.exists() && !path.isFile())
        return s.fail(QStringLiteral("%1 is not a file.").arg(s.batch.path));
    if (!s.file.open(QIODevice::ReadOnly))
        return s.fail(QStringLiteral("The file %1 cannot be read: %2.")
                          .arg(s.batch.path, s.file.errorString()));
    const QFileInfo info(s.file);
    s.size = s.file.size();
    s.batch.stamp.size = s.size;
    s.batch.stamp.modified = info.lastModified();
    QByteArray head = s.file.peek(64 * 1024);
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
        return s.fail(QStringLiteral("The file %1 is saved as Unicode (UTF-16) text. Save it "
                                     "from the spreadsheet as CSV (comma delimited) or CSV "
                                     "UTF-8, then post it.")
                          .arg(name));
    if (head.startsWith(kUtf8Bom))
        head.remove(0, 3);
    if (head.trimmed().isEmpty())
        return s.fail(QStringLiteral("The file %1 is empty.").arg(name));
    const qsizetype lineEnd = head.indexOf('\n');
    if (head.left(lineEnd < 0 ? head.size() : lineEnd).contains('\0'))
        return s.fail(QStringLiteral("The file %1 is not a text file: its first line holds NUL "
                                     "bytes. Save it from the spreadsheet as CSV, then post it.")
                          .arg(name));
    s.batch.separator = findSeparator(head);
    s.reader = std::make_unique<CsvReader>(s.file, s.batch.separator, &s.digest);
    CsvRecord first;
    s.reader->next(first);
    for (const QString& h : decoded(first))
        s.batch.header << h.trimmed();
    s.batch.columns = assignColumns(s.batch.header);
    return true;
}

bool BatchChecker::checkSome(int rows) {
    State& s = *s_;
    if (s.done || !s.reader)
        return false;
    try {
        if (!s.indexRead) {
            s.index = s.store.readIndexSnapshot();
            s.indexRead = true;
        }
    } catch (const IoError& e) {
        return s.fail(QStringLiteral("The ledger index cannot be read. %1").arg(e.text()));
    }
    CsvRecord record;
    for (int n = 0; n < rows; ++n) {
        if (!s.reader->next(record)) {
            s.finish();
            return false;
        }
        ++s.rowNumber;
        if (record.isBlank() && !record.hasNul && !record.unclosedQuote) {
            ++s.batch.blankRows;
            continue;
        }
        s.checkRecord(record);
    }
    return true;
}

void BatchChecker::State::checkRecord(const CsvRecord& record) {
    Row row;
    row.offset = record.offset;
    row.length = std::int32_t(record.length);
    row.number = rowNumber;
    const int index = int(batch.rows.size());
    if (recordProblem(record, int(batch.header.size()), rowNumber).isEmpty()) {
        const RowEntry entry =
            checkRow(decoded(record), batch.header, batch.columns, batch.options, rowNumber);
        if (entry.posting)
            place(row, entry, index);
    }
    row.ticked = row.status == Status::NewLedger ||
                 (row.status == Status::Ready && !batch.withoutFile.contains(row.ledger));
    batch.rows.push_back(row);
}

// The ledger of a row that passed every check, and whether it is a duplicate.
void BatchChecker::State::place(Row& row, const RowEntry& entry, int rowIndex) {
    ledger::Posting posting = *entry.posting;
    const QByteArray name = ledger::indexName(entry.customer);
    int number = index.ledgerOf.value(name);
    const bool isNew = number == 0;
    if (isNew) {
        number = newNumbers.value(name);
        if (number == 0) {
            if (index.next + newNumbers.size() > ledger::kMaxLedgerNumber) {
                batch.folderErrors.insert(
                    rowIndex, rowMessage(row.number, QString(), QString(),
                                         QStringLiteral("The ledger index is full: it holds "
                                                        "the most ledgers the ledger system can "
                                                        "keep, so no new ledger can be made. "
                                                        "Nothing was posted.")));
                return;
            }
            number = index.next + int(newNumbers.size());
            newNumbers.insert(name, number);
            batch.newLedgers.append({trimBlanks(entry.customer).toString(), number, 0});
        }
        ++batch.newLedgers[number - index.next].rows;
    }
    bool inLedger = false;
    if (!isNew) {
        const QString text = ledger::ledgerNumberText(number);
        posting.ledger = number;
        try {
            if (!batch.lengthSeen.contains(number)) {
                const auto length = store.ledgerLength(text);
                batch.lengthSeen.insert(number, length.value_or(0));
                if (!length)
                    batch.withoutFile.insert(number);
            }
            inLedger = ledger::duplicateQuestion(store, posting).has_value();
        } catch (const IoError& e) {
            batch.folderErrors.insert(rowIndex,
                                      rowMessage(row.number, QString(), QString(), e.text()));
            return;
        }
    }
    const DuplicateKey key{number, invoiceKey(posting.record)};
    const auto earlier = seen.constFind(key);
    if (earlier == seen.cend())
        seen.insert(key, rowIndex);
    else if (!inLedger)
        row.earlier = *earlier;
    row.ledger = std::int16_t(number);
    row.cents = posting.amountCents;
    row.status = inLedger || row.earlier >= 0 ? Status::Duplicate
                 : isNew                      ? Status::NewLedger
                                              : Status::Ready;
}

void BatchChecker::State::finish() {
    done = true;
    const QString name = fileName(batch.path);
    if (reader->readFailed()) {
        error = QStringLiteral("The file %1 could not be read to its end: %2.")
                    .arg(name, file.errorString());
        return;
    }
    const QFileInfo now(batch.path);
    if (now.size() != batch.stamp.size || now.lastModified() != batch.stamp.modified) {
        error = QStringLiteral("The file %1 changed while it was checked. Check it again once "
                               "the program that writes it is done.")
                    .arg(name);
        return;
    }
    batch.stamp.digest = digest.result();
    if (batch.rows.empty())
        error = QStringLiteral("The file %1 has no rows below its first line.").arg(name);
    seen = {};
    newNumbers = {};
    index = {};
}

Batch BatchChecker::takeBatch() {
    return std::move(s_->batch);
}

RowReader::RowReader(const Batch& batch) : batch_(batch), file_(batch.path) {
    // Each read takes exactly one row's bytes: a buffer would read far more at every seek.
    (void)file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

QStringList RowReader::fields(int row) {
    const Row& r = batch_.rows[std::size_t(row)];
    if (!file_.isOpen() || !file_.seek(r.offset))
        return {};
    const QByteArray bytes = file_.read(r.length);
    if (bytes.size() != r.length)
        return {};
    return decoded(parseRecord(bytes, batch_.separator));
}

RowEntry RowReader::entry(int row) {
    const Row& r = batch_.rows[std::size_t(row)];
    const QStringList f = fields(row);
    if (f.size() != batch_.header.size()) {
        RowEntry e;
        e.error = rowMessage(r.number, QString(), QString(),
                             QStringLiteral("The row can no longer be read from %1. Nothing was "
                                            "posted.")
                                 .arg(batch_.path));
        return e;
    }
    return checkRow(f, batch_.header, batch_.columns, batch_.options, r.number);
}

QString RowReader::message(const ledger::LedgerStore& store, int row) {
    const Row& r = batch_.rows[std::size_t(row)];
    if (r.status == Status::Error) {
        if (const auto it = batch_.folderErrors.constFind(row); it != batch_.folderErrors.cend())
            return *it;
        if (file_.isOpen() && file_.seek(r.offset)) {
            const QString problem =
                recordProblem(parseRecord(file_.read(r.length), batch_.separator),
                              int(batch_.header.size()), r.number);
            if (!problem.isEmpty())
                return problem;
        }
        return entry(row).error;
    }
    if (r.status == Status::Ready && batch_.withoutFile.contains(r.ledger))
        return ledger::noEntriesNote(store, ledger::ledgerNumberText(r.ledger));
    if (r.status != Status::Duplicate)
        return {};
    RowEntry e = entry(row);
    if (!e.posting)
        return e.error;
    if (r.earlier >= 0) {
        return QStringLiteral("Invoice %1 is also on row %2 of this file, for the same customer.")
            .arg(e.invoice)
            .arg(batch_.rows[std::size_t(r.earlier)].number);
    }
    e.posting->ledger = r.ledger;
    try {
        return ledger::duplicateQuestion(store, *e.posting).value_or(QString());
    } catch (const IoError& err) {
        return err.text();
    }
}

} // namespace tw::batch
