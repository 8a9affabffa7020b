#pragma once
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// What a window shows as a table, in one form that every export and every printout takes: the
// find results, the activity report, a customer's ledger.
namespace tw::exports {

// What a column holds: it decides how its cells are shown, exported and aligned.
enum class ColumnKind { Text, Date, Money, Count };

struct Column {
    QString heading;
    ColumnKind kind = ColumnKind::Text;

    bool rightAligned() const { return kind == ColumnKind::Money || kind == ColumnKind::Count; }
};

// One cell. A date or a number that reads carries its value; a text cell, and a date or an
// amount that does not read, carry the text as the file holds it.
struct Cell {
    QString text;
    QDate date;
    std::optional<std::int64_t> number; // an amount in cents, or a count

    static Cell ofText(const QString& text) { return Cell{text, {}, {}}; }
    // An invalid date shows `stored` (blank for a date never given).
    static Cell ofDate(const QDate& date, const QString& stored = {}) {
        return Cell{date.isValid() ? QString() : stored, date, {}};
    }
    static Cell ofNumber(std::optional<std::int64_t> n, const QString& stored = {}) {
        return Cell{n ? QString() : stored, {}, n};
    }
};

struct Table {
    QString title;    // "Find", "Invoicing Activity by Customer", "Ledger 00013 - ACME"
    QString subtitle; // what was asked: the date range or the filter
    QList<Column> columns;
    QList<QList<Cell>> rows;   // as shown
    QList<QList<Cell>> totals; // after the rows
    QStringList notes;         // last: what was left out, and why
};

// A cell as the windows show it: dates as the short date (1/5/2006), amounts as money text
// ($1,234.50), counts as plain numbers.
QString shownText(const Cell& cell, ColumnKind kind);

// The table as a printout shows it: texts only, which columns are right-aligned (money and
// counts), and the time it was printed.
struct PrintDocument {
    QString title;
    QString subtitle;
    QString printed; // "Printed 1/15/2006 2:03 PM"
    QStringList headings;
    QList<bool> rightAligned;
    QList<QStringList> rows;
    QList<QStringList> totals;
    QStringList notes;
};
PrintDocument printable(const Table& table, const QDateTime& printed);

// The page number at the foot of every printed page: "Page 2 of 5".
QString pageText(int page, int pages);

} // namespace tw::exports
