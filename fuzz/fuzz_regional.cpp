// Number, money and date text comes from typed boxes and from the estimating system's
// records (quantities, amounts, dates): any text must read without harm.
#include "fuzzsupport.h"
#include "platform/regional.h"

#include <cmath>
#include <cstring>
#include <limits>

using namespace tw;
using namespace tw::regional;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = fuzz::textOf(bytes);

    // The leading number: its sign is the sign of its digits, whatever their count.
    const Decimal lead = leadingDecimal(text);
    const double value = leadingNumber(text);
    TW_FUZZ_CHECK(!std::isnan(value));
    if (lead.mantissa > 0)
        TW_FUZZ_CHECK(value >= 0);
    if (lead.mantissa < 0)
        TW_FUZZ_CHECK(value <= 0);
    if (lead.mantissa == 0)
        TW_FUZZ_CHECK(value == 0);
    const std::int64_t whole = leadingWhole(text);
    if (std::fabs(value) < 1e15)
        TW_FUZZ_CHECK(std::fabs(double(whole) - value) <= 0.5 + 1e-9 * std::fabs(value));
    else
        TW_FUZZ_CHECK((whole > 0) == (value > 0));

    // A text that converts under the money conventions gives its value and its cents.
    const auto dec = toDecimal(text);
    const auto num = toNumber(text);
    const auto cents = toCents(text);
    TW_FUZZ_CHECK(dec.has_value() == num.has_value() && dec.has_value() == cents.has_value());
    if (dec) {
        TW_FUZZ_CHECK(!std::isnan(*num));
        if (std::fabs(*num) < 1e13)
            TW_FUZZ_CHECK(std::fabs(double(*cents) - *num * 100) <=
                          0.51 + 1e-13 * std::fabs(*num * 100));
        // Money text of those cents reads back as the same cents.
        const QString money = formatMoney(*cents);
        TW_FUZZ_CHECK(toCents(money) == *cents);
    }

    // Any cents from the input: the money pattern reads back exactly.
    if (size >= 8) {
        std::int64_t c = 0;
        std::memcpy(&c, data, sizeof c);
        const QString money = formatMoney(c);
        TW_FUZZ_CHECK(money.contains(QLatin1Char('$')) && money.contains(QLatin1Char('.')));
        TW_FUZZ_CHECK(toCents(money) == c);
    }

    // A text that reads as a date gives a valid date whose short form reads back the same.
    const QDate today(2006, 1, 15);
    const auto date = readDate(text, today);
    if (date) {
        TW_FUZZ_CHECK(date->isValid());
        const QString shortText = shortDate(*date);
        TW_FUZZ_CHECK(readDate(shortText, today) == date);
    }
    return 0;
}
