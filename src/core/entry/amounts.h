#pragma once
#include <QString>
#include <QStringView>
#include <cstdint>

// Money text, the qualifying-amount test and the tax computation. Money is handled in exact
// cents: the shown amount plus the shown tax is always the shown invoice amount.
namespace tw::entry {

// The money boxes take at most this many typed characters; money text is blank-filled to it.
inline constexpr int kMoneyBoxLength = 10;

// Money text for a box: the text blank-filled on the right to the box's 10 characters.
// Longer money text is kept whole, so the value read back is always the value shown
// ($123,456.78 stays $123,456.78).
QString moneyText(QStringView text);

// The amount rule, applied on leaving the amount box and to a job's amount: text that reads
// as a number becomes money text of its value rounded to the cent; other text is kept as it
// is, cut to the box's 10 characters and blank-filled.
QString amountRule(QStringView boxText);

// A qualifying amount: the text begins with "$" or its leading number is greater than 0.
// Empty, blank, negative and bare-zero texts do not qualify; "$0.00" does.
bool qualifies(QStringView amountText);

struct TaxResult {
    enum class Outcome {
        Computed,
        NotQualifying, // nothing to compute: the tax boxes keep their text
        NotANumber,    // a qualifying text ($abc) that does not convert
        TooLarge,      // beyond what can be computed exactly
    };
    Outcome outcome = Outcome::NotQualifying;
    std::int64_t taxCents = 0;
    std::int64_t invoiceCents = 0;
};

// Tax = percent x amount / 100 rounded to the cent (halves away from zero); invoice amount =
// the amount in cents + that tax. The percent is the leading number of its text, exact (7.25%
// is 7.25, empty is 0); the amount is the whole text converted under the money conventions.
TaxResult computeTax(QStringView amountText, QStringView percentText);

} // namespace tw::entry
