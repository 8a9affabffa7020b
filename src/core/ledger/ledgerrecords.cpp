#include "ledger/ledgerrecords.h"

#include "platform/blanks.h"
#include "platform/recordfile.h"
#include "platform/regional.h"
#include "platform/text1252.h"

#include <algorithm>

namespace tw::ledger {

namespace {

// A text fitted to a record field, line breaks turned into blanks.
QByteArray lineField(QStringView text, int width) {
    QByteArray out = ansi::field(text, width);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

// A text fitted to a ledger entry field, without control characters.
QByteArray entryField(QStringView text, int width) {
    return withoutControls(ansi::field(text, width));
}

// Ten million and more is beyond what the viewer's amounts hold, even where the text would fit.
constexpr std::uint64_t kAmountLimitCents = 1000000000;

QByteArray twoDigits(int v) {
    return QByteArray::number(v % 100).rightJustified(2, '0');
}

} // namespace

QByteArray withoutControls(QByteArrayView bytes) {
    QByteArray out = bytes.toByteArray();
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
    return out;
}

QString ledgerNumberText(int number) {
    return QStringLiteral("%1").arg(number, 5, 10, QLatin1Char('0'));
}

std::optional<int> parseLedgerNumber(QStringView text) {
    if (text.size() != 5)
        return std::nullopt;
    int n = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        n = n * 10 + (c.unicode() - '0');
    }
    return n;
}

QByteArray indexName(QStringView customerName) {
    // Only blanks are trimmed, as the viewer does; a tab is part of the name.
    return lineField(trimBlanks(customerName), LedgerIndexRecord::kNameWidth);
}

QByteArray LedgerIndexRecord::encode() const {
    QByteArray out = ansi::field(ledgerNumberText(LedgerNumber), 5);
    out += indexName(CustomerName);
    out += "\r\n";
    return out;
}

QByteArray dateField(const QDate& date, DateOrder order) {
    if (!date.isValid())
        return QByteArray(6, ' ');
    const QByteArray yy = twoDigits(date.year()), mm = twoDigits(date.month()),
                     dd = twoDigits(date.day());
    return order == DateOrder::YyMmDd ? yy + mm + dd : mm + dd + yy;
}

std::optional<QByteArray> amountText(std::int64_t cents) {
    const bool neg = cents < 0;
    const std::uint64_t a = neg ? std::uint64_t(0) - std::uint64_t(cents) : std::uint64_t(cents);
    QByteArray out;
    if (neg)
        out += '-';
    out += QByteArray::number(a / 100);
    const int frac = int(a % 100);
    if (frac != 0) {
        out += '.';
        out += char('0' + frac / 10);
        if (frac % 10 != 0)
            out += char('0' + frac % 10);
    }
    if (out.size() > LedgerEntryRecord::kAmountWidth || a >= kAmountLimitCents)
        return std::nullopt;
    return out;
}

std::optional<QByteArray> LedgerEntryRecord::encode() const {
    const auto amount = amountText(AmountCents);
    if (!amount)
        return std::nullopt;
    QByteArray out;
    out.reserve(kLength);
    out += entryField(InvoiceNumber, 8);
    out += dateField(InvoiceDate, DateOrder::YyMmDd);
    out += dateField(DueDate, DateOrder::MmDdYy);
    out += entryField(JobNumber, 8);
    out += entryField(ProductCode, 2);
    out += entryField(PONumber, 10);
    out += entryField(Description, 76);
    out += amount->leftJustified(kAmountWidth, ' ');
    out += "\r\n";
    return out;
}

namespace {

// A field's stored text without the padding blanks on the right.
QString storedText(QByteArrayView field) {
    qsizetype n = field.size();
    while (n > 0 && field[n - 1] == ' ')
        --n;
    return ansi::decode(field.first(n));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int twoDigitsAt(QByteArrayView f, int at) {
    return (f[at] - '0') * 10 + (f[at + 1] - '0');
}

} // namespace

std::optional<QDate> readDateField(QByteArrayView field, DateOrder order) {
    if (field.size() != 6)
        return std::nullopt;
    if (field == QByteArrayView("      "))
        return QDate();
    for (char c : field) {
        if (!isDigit(c))
            return std::nullopt;
    }
    const bool yearFirst = order == DateOrder::YyMmDd;
    const int y = twoDigitsAt(field, yearFirst ? 0 : 4);
    const int m = twoDigitsAt(field, yearFirst ? 2 : 0);
    const int d = twoDigitsAt(field, yearFirst ? 4 : 2);
    const QDate date(regional::fullYear(y), m, d);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<std::int64_t> readAmountField(QByteArrayView field) {
    qsizetype b = 0, e = field.size();
    while (b < e && field[b] == ' ')
        ++b;
    while (e > b && field[e - 1] == ' ')
        --e;
    const QByteArrayView t = field.sliced(b, e - b);
    qsizetype i = 0;
    const bool neg = i < t.size() && t[i] == '-';
    if (neg)
        ++i;
    // The field is 10 characters, so the whole part cannot overflow.
    std::int64_t whole = 0;
    int digits = 0;
    for (; i < t.size() && isDigit(t[i]); ++i, ++digits)
        whole = whole * 10 + (t[i] - '0');
    int cents = 0;
    if (i < t.size() && t[i] == '.') {
        ++i;
        int place = 0;
        for (; i < t.size() && isDigit(t[i]); ++i, ++place, ++digits) {
            const int v = t[i] - '0';
            if (place == 0)
                cents += v * 10;
            else if (place == 1)
                cents += v;
            else if (v != 0) // fractions of a cent are not an amount this ledger holds
                return std::nullopt;
        }
    }
    if (digits == 0 || i != t.size())
        return std::nullopt;
    const std::int64_t value = whole * 100 + cents;
    return neg ? -value : value;
}

QString amountShown(const StoredEntry& e) {
    if (!e.isOdd(StoredEntry::OddAmount))
        return regional::formatMoney(e.AmountCents);
    return e.AmountText.isEmpty() ? QStringLiteral("(blank)") : e.AmountText;
}

StoredEntry decodeEntry(QByteArrayView record) {
    Q_ASSERT(record.size() >= LedgerEntryRecord::kLength);
    StoredEntry e;
    e.InvoiceNumber = storedText(record.sliced(0, 8));
    const QByteArrayView invoiceDate = record.sliced(8, 6);
    const QByteArrayView dueDate = record.sliced(14, 6);
    e.InvoiceDateText = storedText(invoiceDate);
    e.DueDateText = storedText(dueDate);
    e.JobNumber = storedText(record.sliced(20, 8));
    e.ProductCode = storedText(record.sliced(28, 2));
    e.PONumber = storedText(record.sliced(30, 10));
    e.Description = storedText(record.sliced(40, 76));
    const QByteArrayView amount =
        record.sliced(LedgerEntryRecord::kAmountOffset, LedgerEntryRecord::kAmountWidth);
    e.AmountText = storedText(amount);

    if (const auto d = readDateField(invoiceDate, DateOrder::YyMmDd))
        e.InvoiceDate = *d;
    else
        e.odd |= StoredEntry::OddInvoiceDate;
    if (const auto d = readDateField(dueDate, DateOrder::MmDdYy))
        e.DueDate = *d;
    else
        e.odd |= StoredEntry::OddDueDate;
    if (const auto cents = readAmountField(amount))
        e.AmountCents = *cents;
    else
        e.odd |= StoredEntry::OddAmount;
    if (record.sliced(126, 2) != QByteArrayView("\r\n"))
        e.odd |= StoredEntry::OddLineEnd;
    return e;
}

Trailing trailingKind(qsizetype bytes) {
    if (bytes == 0)
        return Trailing::None;
    return bytes >= LedgerEntryRecord::kLength - 2 ? Trailing::LacksLineEnd : Trailing::Torn;
}

QByteArray missingLineEnd(qsizetype bytes) {
    if (trailingKind(bytes) != Trailing::LacksLineEnd)
        return {};
    return QByteArray("\r\n").last(LedgerEntryRecord::kLength - bytes);
}

QByteArray readLedgerBytes(const RecordFile& file) {
    // Reads of a few records' worth cost a system call each; one large read a step keeps a
    // long ledger at the speed of the disk.
    // The buffer holds the file and one record more: a short ledger, of which a search reads
    // thousands, costs no large allocation.
    constexpr std::int64_t kStep = std::int64_t(SequentialReader::kReadBytes) * 8;
    QByteArray bytes(qsizetype(file.length() + LedgerEntryRecord::kLength), Qt::Uninitialized);
    std::int64_t have = 0;
    for (;;) {
        if (have == bytes.size()) // the file grew while it was read
            bytes.resize(bytes.size() + kStep);
        const std::int64_t want = std::min<std::int64_t>(kStep, bytes.size() - have);
        const std::int64_t got = file.read(have, bytes.data() + have, want);
        have += got;
        if (got < want)
            break;
    }
    bytes.truncate(qsizetype(have));
    return bytes;
}

LedgerContents ledgerContents(QByteArray bytes) {
    LedgerContents c;
    const qsizetype rest = bytes.size() % LedgerEntryRecord::kLength;
    switch (trailingKind(rest)) {
    case Trailing::None:
        break;
    case Trailing::LacksLineEnd:
        bytes += missingLineEnd(rest);
        c.lastLacksLineEnd = true;
        break;
    case Trailing::Torn:
        c.trailing = bytes.last(rest);
        bytes.chop(rest);
        break;
    }
    bytes.squeeze();
    c.records = std::move(bytes);
    return c;
}

LedgerContents readLedger(const RecordFile& file) {
    return ledgerContents(readLedgerBytes(file));
}

} // namespace tw::ledger
