#include "entry/wipfiles.h"

#include "entry/amounts.h"
#include "entry/entryfields.h"
#include "platform/blanks.h"
#include "platform/dospath.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "platform/regional.h"
#include "platform/text1252.h"

#include <QFileInfo>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tw::entry {

namespace {

QString fieldText(const char* record, int offset, int width) {
    return ansi::decode(QByteArrayView(record + offset, width));
}

void openWipFile(RecordFile& file, const DosPaths& paths, const QString& estFolder,
                 const QString& name) {
    const QString display = estFolder + name;
    if (estFolder.isEmpty())
        throw IoError(
            QStringLiteral("Cannot open %1: the estimating folder is not set.").arg(name));
    const QString native = paths.toNative(display);
    const bool exists = !native.isEmpty() && QFileInfo::exists(native);
    file.open(native, display,
              exists ? RecordFile::Mode::ReadOnly : RecordFile::Mode::ReadWriteCreate);
}

} // namespace

WipRecord WipRecord::parse(const char* rec) {
    namespace f = wipfield;
    WipRecord r;
    r.customerBytes = QByteArray(rec + f::kCustomer, f::kCustomerWidth);
    r.job = fieldText(rec, f::kJob, f::kJobWidth);
    r.invoiceDate = fieldText(rec, f::kInvoiceDate, f::kDateWidth);
    r.customer = ansi::decode(r.customerBytes);
    r.description = fieldText(rec, f::kDescription, f::kDescriptionWidth);
    r.quantity = fieldText(rec, f::kQuantity, f::kQuantityWidth);
    r.amount = fieldText(rec, f::kAmount, f::kAmountWidth);
    r.dueDate = fieldText(rec, f::kDueDate, f::kDateWidth);
    return r;
}

QString searchKey(const QString& typed) {
    return zeroFill(typed, wipfield::kJobWidth);
}

std::optional<WipMatch> findJob(const RecordFile& wip, const QString& key) {
    if (key.size() != wipfield::kJobWidth)
        return std::nullopt;
    // Compared as bytes; a character without a Windows-1252 byte would encode as '?' and
    // must not match a '?' in the file.
    const QByteArray k = ansi::encode(key);
    if (k.size() != wipfield::kJobWidth || ansi::decode(k) != key)
        return std::nullopt;

    // The 8-byte job number is compared as one word, in a loop over each block read, so that
    // the search of a 200,000-job file costs little more than reading it.
    static_assert(wipfield::kJobWidth == sizeof(std::uint64_t));
    std::uint64_t want;
    std::memcpy(&want, k.constData(), sizeof want);
    SequentialReader reader(wip, kWipRecordLength);
    int count = 0;
    while (const char* run = reader.nextRun(count)) {
        for (int i = 0; i < count; ++i) {
            const char* rec = run + std::ptrdiff_t(i) * kWipRecordLength;
            std::uint64_t job;
            std::memcpy(&job, rec + wipfield::kJob, sizeof job);
            if (job == want)
                return WipMatch{reader.recordNumber() - count + 1 + i, WipRecord::parse(rec)};
        }
    }
    return std::nullopt;
}

QString fullCustomerName(const QByteArray& customerBytes, const QByteArray& wip2Record) {
    const qsizetype b = wip2Record.indexOf(customerBytes);
    if (b >= 0) {
        const qsizetype c = wip2Record.indexOf('"', b);
        if (c > b)
            return ansi::decode(QByteArrayView(wip2Record).sliced(b, c - b));
    }
    return ansi::decode(customerBytes);
}

std::optional<double> monthPlusDay(QStringView text) {
    const qsizetype first = text.indexOf(QLatin1Char('/'));
    if (first < 0)
        return std::nullopt;
    const qsizetype second = text.indexOf(QLatin1Char('/'), first + 1);
    if (second < 0)
        return std::nullopt;
    const double month = regional::leadingNumber(text);
    const double day = regional::leadingNumber(text.mid(first + 1, second - first - 1));
    return month + day;
}

bool useJobDates(QStringView aeDate, QStringView aeDue, QStringView invoiceDateField) {
    const auto a = monthPlusDay(aeDate);
    const auto b = monthPlusDay(aeDue);
    if (!a || !b || *a != *b)
        return false;
    return regional::leadingDecimal(invoiceDateField).mantissa > 0;
}

QString jobDate(QStringView yymmdd, const QString& todayShort) {
    // Characters 3-4, 1-2 and 5-6 as they stand; a short field gives short parts.
    const QStringView yy = yymmdd.mid(0, 2), mm = yymmdd.mid(2, 2), dd = yymmdd.mid(4, 2);
    const QString built =
        mm.toString() + QLatin1Char('/') + dd.toString() + QLatin1Char('/') + yy.toString();
    if (regional::leadingDecimal(mm).mantissa <= 0)
        return todayShort;
    return built;
}

QString jobDescription(QStringView quantity, QStringView description) {
    const QString desc = trimBlanks(description).toString();
    const auto q = regional::toDecimal(quantity);
    if (q && q->mantissa > 0)
        return trimBlanks(quantity).toString() + QStringLiteral(", ") + desc;
    return desc;
}

JobEntry jobEntry(const WipRecord& record, const QString& customer, QStringView aeDate,
                  QStringView aeDue, const QDate& today) {
    JobEntry e;
    e.customer = customer;
    e.job = record.job;
    e.datesUsed = useJobDates(aeDate, aeDue, record.invoiceDate);
    if (e.datesUsed) {
        const QString todayShort = regional::shortDate(today);
        e.invoiceDate = jobDate(record.invoiceDate, todayShort);
        e.dueDate = jobDate(record.dueDate, todayShort);
    }
    e.description = jobDescription(record.quantity, record.description);
    e.quantity = trimBlanks(record.quantity).toString();
    e.amount = amountRule(record.amount);
    return e;
}

std::optional<FoundJob> lookupJob(const DosPaths& paths, const QString& estFolder,
                                  const QString& typed) {
    const QString key = searchKey(typed);
    RecordFile wip;
    openWipFile(wip, paths, estFolder, kWipFile);
    const auto match = findJob(wip, key);
    wip.close();
    if (!match)
        return std::nullopt;

    RecordFile wip2;
    openWipFile(wip2, paths, estFolder, kWip2File);
    const QByteArray rec2 = wip2.readRecord(match->number, kWip2RecordLength);
    wip2.close();
    return FoundJob{match->number, match->record,
                    fullCustomerName(match->record.customerBytes, rec2)};
}

} // namespace tw::entry
