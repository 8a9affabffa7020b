#include "ledger/ledgerrecords.h"

#include "platform/text1252.h"

namespace tw::ledger {

namespace {

// Only blanks are trimmed, as the viewer does; a tab is part of the name.
QStringView trimBlanks(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == QLatin1Char(' '))
        ++b;
    while (e > b && s[e - 1] == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

// A text fitted to a record field, line breaks turned into blanks.
QByteArray lineField(QStringView text, int width) {
    QByteArray out = ansi::field(text, width);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

// Ten million and more is beyond what the viewer's amounts hold, even where the text would fit.
constexpr std::uint64_t kAmountLimitCents = 1000000000;

QByteArray twoDigits(int v) {
    return QByteArray::number(v % 100).rightJustified(2, '0');
}

} // namespace

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
    out += lineField(InvoiceNumber, 8);
    out += dateField(InvoiceDate, DateOrder::YyMmDd);
    out += dateField(DueDate, DateOrder::MmDdYy);
    out += lineField(JobNumber, 8);
    out += lineField(ProductCode, 2);
    out += lineField(PONumber, 10);
    out += lineField(Description, 76);
    out += amount->leftJustified(kAmountWidth, ' ');
    out += "\r\n";
    return out;
}

} // namespace tw::ledger
