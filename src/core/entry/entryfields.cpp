#include "entry/entryfields.h"

#include "platform/blanks.h"

namespace tw::entry {

DateRuleResult dateRule(const QString& boxText, const QDate& today) {
    DateRuleResult r;
    if (!boxText.isEmpty() && !boxText.contains(QLatin1Char('-')) &&
        !boxText.contains(QLatin1Char('/'))) {
        r.missingDelimiter = true;
        return r;
    }
    if (boxText.isEmpty()) {
        r.text = regional::shortDate(today);
        return r;
    }
    // Text that does not read as a date (ab/cd) is left for the operator to see and correct.
    const auto date = regional::readDate(boxText, today);
    r.text = date ? regional::shortDate(*date) : boxText;
    return r;
}

QString zeroFill(const QString& text, int width) {
    if (text.size() >= width)
        return text;
    return QString(width - text.size(), QLatin1Char('0')) + text;
}

std::optional<QString> jobFromInvoice(bool match, const QString& invoice, const QString& job) {
    if (!match || invoice.isEmpty() || !job.isEmpty())
        return std::nullopt;
    return zeroFill(invoice);
}

QString normaliseJob(const QString& job) {
    const QString t = trimBlanks(job).toString();
    return t.isEmpty() ? t : zeroFill(t);
}

QString plainNumber(const regional::Decimal& value) {
    using i128 = __int128;
    i128 m = value.mantissa;
    int scale = value.scale;
    if (m == 0)
        return QStringLiteral("0");
    while (scale > 0 && m % 10 == 0) {
        m /= 10;
        --scale;
    }
    const bool neg = m < 0;
    unsigned __int128 a = neg ? (unsigned __int128)(-(m + 1)) + 1 : (unsigned __int128)m;
    QString digits;
    while (a != 0) {
        digits.prepend(QChar(char16_t(u'0' + int(a % 10))));
        a /= 10;
    }
    if (scale < 0) {
        digits += QString(-scale, QLatin1Char('0'));
    } else if (scale > 0) {
        if (digits.size() <= scale)
            digits = QString(scale - digits.size() + 1, QLatin1Char('0')) + digits;
        digits.insert(digits.size() - scale, QLatin1Char('.'));
    }
    return neg ? QLatin1Char('-') + digits : digits;
}

QString invoiceFromJob(const QString& job) {
    return plainNumber(regional::leadingDecimal(job));
}

bool jobValueIsZero(const QString& job) {
    return regional::leadingDecimal(job).mantissa == 0;
}

std::optional<QString> matchedInvoice(bool match, const QString& job, MatchTrigger trigger) {
    const bool counts = trigger == MatchTrigger::JobGiven ? !job.isEmpty() : !jobValueIsZero(job);
    if (!match || !counts)
        return std::nullopt;
    return invoiceFromJob(job);
}

} // namespace tw::entry
