#include "entry/amounts.h"

#include "platform/regional.h"

#include <limits>

namespace tw::entry {

namespace {

using i128 = __int128;
using regional::pow10;

// n / d rounded, halves away from zero (d > 0).
i128 divRoundAway(i128 n, i128 d) {
    return regional::divideRounded(n, d, false);
}

} // namespace

QString moneyText(QStringView text) {
    QString s = text.toString();
    if (s.size() < kMoneyBoxLength)
        s.append(QString(kMoneyBoxLength - s.size(), QLatin1Char(' ')));
    return s;
}

QString amountRule(QStringView boxText) {
    if (const auto cents = regional::toCents(boxText))
        return moneyText(regional::formatMoney(*cents));
    return moneyText(boxText.left(kMoneyBoxLength));
}

bool qualifies(QStringView amountText) {
    if (amountText.startsWith(QLatin1Char('$')))
        return true;
    return regional::leadingDecimal(amountText).mantissa > 0;
}

TaxResult computeTax(QStringView amountText, QStringView percentText) {
    TaxResult r;
    if (!qualifies(amountText))
        return r;
    const auto amount = regional::toDecimal(amountText);
    if (!amount) {
        r.outcome = TaxResult::Outcome::NotANumber;
        return r;
    }
    const regional::Decimal percent = regional::leadingDecimal(percentText);

    // Bounds keep every product inside 128 bits: |cents| < 10^15 ($10 trillion) and a percent
    // of at most 18 significant digits and 18 decimals.
    constexpr std::int64_t kCentsLimit = 1'000'000'000'000'000;
    const i128 kPercentLimit = pow10(18);
    r.outcome = TaxResult::Outcome::TooLarge;
    const std::int64_t cents = amount->toCents();
    if (cents >= kCentsLimit || cents <= -kCentsLimit)
        return r;
    i128 pm = percent.mantissa;
    int ps = percent.scale;
    // The box holds 10 characters, so a percent never has more decimals than this; rounding
    // any beyond it keeps the arithmetic bounded.
    while (ps > 18) {
        pm = divRoundAway(pm, 10);
        --ps;
    }
    if (ps < 0 || pm >= kPercentLimit || pm <= -kPercentLimit)
        return r;

    // tax cents = cents x percent / 100 = cents x pm / (100 x 10^ps)
    const i128 tax = divRoundAway(i128(cents) * pm, 100 * pow10(ps));
    const i128 total = i128(cents) + tax;
    if (tax >= kCentsLimit * 1000 || tax <= -kCentsLimit * 1000 || total >= kCentsLimit * 1000 ||
        total <= -kCentsLimit * 1000)
        return r;
    r.outcome = TaxResult::Outcome::Computed;
    r.taxCents = std::int64_t(tax);
    r.invoiceCents = std::int64_t(total);
    return r;
}

} // namespace tw::entry
