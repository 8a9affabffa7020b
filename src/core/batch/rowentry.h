#pragma once
#include "batch/columns.h"
#include "ledger/posting.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>

// One row of a spreadsheet file made into the entry Post checks: dates in the operator's
// order, amounts with the chosen decimal mark, the tax as the file or the default rate gives
// it, then every check of Post with its words, naming the row, the column and the value.
namespace tw::batch {

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

// "mdy", "dmy" or "ymd" as the command line takes them.
std::optional<DateOrder> dateOrderOf(QStringView code);
// "month/day/year", "day/month/year", "year-month-day".
QString dateOrderName(DateOrder order);

struct Options {
    DateOrder dateOrder = DateOrder::MonthDayYear;
    bool decimalComma = false; // amounts written 1.234,50
    bool addTax = false;       // rows without a tax get the default rate's
    QString defaultTax;        // the default tax percent as DefTax.Dat holds it
    QDate today;               // for a date given without a year
};

// A date of the file in that order: 1, 2 or 4-digit parts separated by one of "/", "-" or
// ".", a time of day after it ignored (1/5/2006 0:00). A first part of four digits is a year
// in any order (2006-01-05). nullopt for a date that does not exist in that order: it is
// never read in another one.
std::optional<QDate> readDateInOrder(QStringView text, DateOrder order, const QDate& today);

// An amount in cents by the amount rule ("$", thousands separators, blanks around, a minus or
// parentheses), with "." as the decimal mark or "," when decimalComma. A separator that does
// not stand between groups of three digits is no thousands separator: 12,50 read with "." does
// not pass as 1250. nullopt when it does not read.
std::optional<std::int64_t> readAmount(QStringView text, bool decimalComma);

struct RowEntry {
    std::optional<ledger::Posting> posting; // every check passed; no ledger set yet
    QString customer;                       // as read
    QString invoice;                        // as read
    int column = -1;                        // the column an error concerns; -1 the whole row
    QString error;                          // the message naming the row (and column and value)
};

// The entry of one row (`rowNumber` as the spreadsheet counts, the header being row 1):
// what Post would store for the same values, or what it would refuse, in its words.
RowEntry checkRow(const QStringList& fields, const QStringList& header, const QList<Field>& columns,
                  const Options& options, int rowNumber);

// "Row 7, column "Date", value "13/1/2006": " + message; "Row 7: " + message without a column.
QString rowMessage(int rowNumber, const QString& columnName, const QString& value,
                   const QString& message);

} // namespace tw::batch
