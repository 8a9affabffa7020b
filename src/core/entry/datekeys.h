#pragma once
#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

// The shortcut keys of the two date boxes. What the program reads stays the box's text: a
// shortcut only writes a new text into the box.
namespace tw::entry {

enum class DateKey {
    Today,        // "t" or "T"
    DayForward,   // "+" or Up
    DayBack,      // "-" or Down
    MonthForward, // PgUp: a month later
    MonthBack,    // PgDn: a month earlier
};

// The box's new text (the short date form) for a shortcut, or nullopt when the key is to be
// typed as it is. The steps work from the date the box holds when it is empty (from today) or
// a complete date with its year; anything else is being typed ("1-5" before its year), so the
// key goes into the text. A month step from a day the target month lacks stops at its last
// day (1/31 gives 2/28). No step leaves the years a ledger stores (1/1/1930 to 12/31/2029).
std::optional<QString> applyDateKey(QStringView text, DateKey key, const QDate& today);

// What the keys do, for the help window and the date box's tooltip.
QString dateKeysText();

} // namespace tw::entry
