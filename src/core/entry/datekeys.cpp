#include "entry/datekeys.h"

#include "platform/regional.h"

#include <algorithm>

namespace tw::entry {

namespace {

// The date a step starts from: today for an empty box, the date of a complete date with its
// year (two separators), else none.
std::optional<QDate> stepBase(QStringView text, const QDate& today) {
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return today;
    const qsizetype separators = t.count(QLatin1Char('/')) + t.count(QLatin1Char('-'));
    if (separators != 2)
        return std::nullopt;
    return regional::readDate(t, today);
}

} // namespace

std::optional<QString> applyDateKey(QStringView text, DateKey key, const QDate& today) {
    if (key == DateKey::Today)
        return regional::shortDate(today);
    const auto base = stepBase(text, today);
    if (!base)
        return std::nullopt;
    QDate d = *base;
    switch (key) {
    case DateKey::DayForward:
        d = d.addDays(1);
        break;
    case DateKey::DayBack:
        d = d.addDays(-1);
        break;
    case DateKey::MonthForward:
        d = d.addMonths(1);
        break;
    case DateKey::MonthBack:
        d = d.addMonths(-1);
        break;
    case DateKey::Today:
        break;
    }
    // Beyond the years a ledger stores, Post would refuse the date: the steps stop there.
    return regional::shortDate(
        std::clamp(d, QDate(regional::kFirstYear, 1, 1), QDate(regional::kLastYear, 12, 31)));
}

QString dateKeysText() {
    return QStringLiteral("In a date box, T puts today's date, + or Up goes a day later, - or "
                          "Down a day earlier, PgUp a month later and PgDn a month earlier, "
                          "between 1/1/%1 and 12/31/%2.")
        .arg(regional::kFirstYear)
        .arg(regional::kLastYear);
}

} // namespace tw::entry
