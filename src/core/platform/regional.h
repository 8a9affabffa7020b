#pragma once
#include <QDate>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

// Number, money and date rules, pinned to US English whatever the machine's locale: the
// stored formats depend on month-first dates and "." decimals.
namespace tw::regional {

// The leading number of a text: read from the left as a decimal number; blanks, tabs and line
// feeds anywhere are ignored; an optional sign and one decimal point are accepted; reading
// stops at the first character that cannot continue the number; 0 when the text does not
// begin with a number. ("$5" gives 0, " 1 2.5x" gives 12.5, "-3" gives -3.)
double leadingNumber(QStringView text);
// The leading number rounded to a whole number, halves to the even one.
std::int64_t leadingWhole(QStringView text);

// An exact decimal value: mantissa x 10^-scale.
struct Decimal {
    __int128 mantissa = 0;
    int scale = 0;
    double toDouble() const;
    // Rounded to cents, halves away from zero.
    std::int64_t toCents() const;
};

// Exact decimal arithmetic on 128-bit integers, for every amount and percent computation.
// 10^n (0 <= n <= 38).
__int128 pow10(int n);
// n / d rounded (d > 0): halves away from zero, or to the even one when halfEven.
__int128 divideRounded(__int128 n, __int128 d, bool halfEven);

// The leading number as an exact decimal (same reading rule as leadingNumber).
Decimal leadingDecimal(QStringView text);

// The whole text read as a number under the US conventions: surrounding blanks, a currency
// sign "$", thousands separators ",", one decimal point, a leading minus (before or after
// the "$") or parentheses for a negative value. Anything else fails.
std::optional<Decimal> toDecimal(QStringView text);
std::optional<double> toNumber(QStringView text);
// toDecimal rounded to cents, halves away from zero (1.005 gives 101 cents).
std::optional<std::int64_t> toCents(QStringView text);

// The money pattern "$###,##0.00": 123450 cents gives "$1,234.50", -5000 gives "-$50.00".
QString formatMoney(std::int64_t cents);

// The short date form M/d/yyyy (1/5/2006).
QString shortDate(const QDate& date);

// A two-digit year as dates are read: 30-99 are 19xx, 00-29 are 20xx.
int fullYear(int twoDigitYear);
// The years two digits hold as they are read, and so the dates a ledger record can store.
inline constexpr int kFirstYear = 1930;
inline constexpr int kLastYear = kFirstYear + 99;

// Reads text as a date. Accepts m/d/yy, m/d/yyyy, m-d-yy, m-d-yyyy, yyyy-m-d and m/d (the
// year of `today`); surrounding blanks are ignored. Two-digit years 30-99 are 19xx and 00-29
// 20xx. Impossible dates (2/30/2006) do not read.
std::optional<QDate> readDate(QStringView text, const QDate& today);

} // namespace tw::regional
