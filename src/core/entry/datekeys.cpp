#include "entry/datekeys.h"

#include "platform/regional.h"

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
    return regional::shortDate(d);
}

} // namespace tw::entry
