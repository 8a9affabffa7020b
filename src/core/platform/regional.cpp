#include "platform/regional.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace tw::regional {

namespace {

using i128 = __int128;

// Digits beyond this many significant ones are dropped (fraction) or counted as a power of
// ten (whole part), so that the mantissa never overflows.
constexpr int kMaxDigits = 36;

const i128 kMantissaLimit = pow10(kMaxDigits);

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Accumulates the digits of a decimal number.
struct DigitSink {
    i128 mantissa = 0;
    int scale = 0;
    bool any = false;

    void add(int digit, bool fraction) {
        any = true;
        if (mantissa >= kMantissaLimit / 10) {
            if (!fraction)
                --scale; // a whole-part digit that no longer fits: one more power of ten
            return;
        }
        mantissa = mantissa * 10 + digit;
        if (fraction)
            ++scale;
    }
};

std::int64_t clampToInt64(i128 v) {
    constexpr auto lo = std::numeric_limits<std::int64_t>::min();
    constexpr auto hi = std::numeric_limits<std::int64_t>::max();
    if (v < lo)
        return lo;
    if (v > hi)
        return hi;
    return std::int64_t(v);
}

// m rounded after dividing by 10^shift: halves away from zero, or to the even one.
i128 divRound(i128 m, int shift, bool halfEven) {
    if (shift <= 0)
        return m;
    if (shift > kMaxDigits + 1)
        return 0; // |m| < 10^36, so the quotient is less than a tenth
    return divideRounded(m, pow10(shift), halfEven);
}

// A whole value times 10^exp, saturating far beyond the range of an int64.
i128 scaleUp(i128 m, int exp) {
    constexpr i128 cap = i128(std::numeric_limits<std::int64_t>::max()) * 10;
    for (int i = 0; i < exp; ++i) {
        if (m > cap || m < -cap)
            break;
        m *= 10;
    }
    return m;
}

QString int128Text(i128 v) {
    if (v == 0)
        return QStringLiteral("0");
    const bool neg = v < 0;
    unsigned __int128 a = neg ? (unsigned __int128)(-(v + 1)) + 1 : (unsigned __int128)v;
    char buf[48];
    int i = sizeof buf;
    while (a != 0) {
        buf[--i] = char('0' + int(a % 10));
        a /= 10;
    }
    if (neg)
        buf[--i] = '-';
    return QString::fromLatin1(buf + i, int(sizeof buf) - i);
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

i128 pow10(int n) {
    i128 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

i128 divideRounded(i128 n, i128 d, bool halfEven) {
    const bool neg = n < 0;
    const i128 a = neg ? -n : n;
    i128 q = a / d;
    const i128 r2 = (a % d) * 2;
    if (r2 > d || (r2 == d && (!halfEven || (q % 2) == 1)))
        ++q;
    return neg ? -q : q;
}

double Decimal::toDouble() const {
    const QByteArray text =
        (int128Text(mantissa) + QLatin1Char('e') + QString::number(-scale)).toLatin1();
    double v = 0;
    const auto r = std::from_chars(text.constData(), text.constData() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // from_chars leaves v untouched then: a value beyond a double's range is infinite
        // (as strtod gives it), one below its smallest is zero; never a huge number read as 0.
        const int magnitude = int(int128Text(mantissa < 0 ? -mantissa : mantissa).size()) - scale;
        if (magnitude > 0)
            v = mantissa < 0 ? -std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::infinity();
        else
            v = mantissa < 0 ? -0.0 : 0.0;
    }
    return v;
}

std::int64_t Decimal::toCents() const {
    if (scale >= 2)
        return clampToInt64(divRound(mantissa, scale - 2, false));
    return clampToInt64(scaleUp(mantissa, 2 - scale));
}

Decimal leadingDecimal(QStringView text) {
    // Blanks, tabs and line feeds are skipped wherever they stand, as the old BASIC did.
    auto skippable = [](QChar c) {
        return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
    };
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skip = [&] {
        while (i < n && skippable(text[i]))
            ++i;
    };
    skip();
    bool neg = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        neg = text[i] == QLatin1Char('-');
        ++i;
    }
    DigitSink sink;
    bool point = false;
    for (;;) {
        skip();
        if (i >= n)
            break;
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            sink.add(c.unicode() - '0', point);
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
        ++i;
    }
    Decimal d;
    d.mantissa = neg ? -sink.mantissa : sink.mantissa;
    d.scale = sink.scale;
    return d;
}

double leadingNumber(QStringView text) {
    return leadingDecimal(text).toDouble();
}

std::int64_t leadingWhole(QStringView text) {
    const Decimal d = leadingDecimal(text);
    if (d.scale >= 0)
        return clampToInt64(divRound(d.mantissa, d.scale, true));
    return clampToInt64(scaleUp(d.mantissa, -d.scale));
}

std::optional<Decimal> toDecimal(QStringView text) {
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    QStringView s = text.mid(b, e - b);

    bool paren = false;
    if (s.startsWith(QLatin1Char('('))) {
        if (!s.endsWith(QLatin1Char(')')) || s.size() < 2)
            return std::nullopt;
        paren = true;
        s = s.mid(1, s.size() - 2);
    }

    // Sign and currency sign in either order ("-$5", "$-5"), blanks between them allowed.
    bool neg = false, sign = false, dollar = false;
    qsizetype i = 0;
    for (;; ++i) {
        while (i < s.size() && isBlank(s[i]))
            ++i;
        if (i >= s.size())
            break;
        const QChar c = s[i];
        if ((c == QLatin1Char('-') || c == QLatin1Char('+')) && !sign) {
            sign = true;
            neg = c == QLatin1Char('-');
        } else if (c == QLatin1Char('$') && !dollar) {
            dollar = true;
        } else {
            break;
        }
    }
    if (paren && sign)
        return std::nullopt;

    DigitSink sink;
    bool point = false;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (isAsciiDigit(c)) {
            sink.add(c.unicode() - '0', point);
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else if (c == QLatin1Char(',') && !point && sink.any) {
            // Thousands separators are taken where they stand, as the system's conversion does.
        } else {
            break;
        }
    }
    if (i != s.size() || !sink.any)
        return std::nullopt;

    Decimal d;
    d.mantissa = (neg || paren) ? -sink.mantissa : sink.mantissa;
    d.scale = sink.scale;
    return d;
}

std::optional<double> toNumber(QStringView text) {
    const auto d = toDecimal(text);
    if (!d)
        return std::nullopt;
    return d->toDouble();
}

std::optional<std::int64_t> toCents(QStringView text) {
    const auto d = toDecimal(text);
    if (!d)
        return std::nullopt;
    return d->toCents();
}

QString formatMoney(std::int64_t cents) {
    const bool neg = cents < 0;
    const std::uint64_t a = neg ? std::uint64_t(0) - std::uint64_t(cents) : std::uint64_t(cents);
    const QString whole = QString::number(a / 100);
    QString grouped;
    for (qsizetype k = 0; k < whole.size(); ++k) {
        if (k > 0 && (whole.size() - k) % 3 == 0)
            grouped += QLatin1Char(',');
        grouped += whole[k];
    }
    return QStringLiteral("%1$%2.%3")
        .arg(neg ? QStringLiteral("-") : QString(), grouped)
        .arg(int(a % 100), 2, 10, QLatin1Char('0'));
}

QString shortDate(const QDate& date) {
    if (!date.isValid())
        return {};
    return QStringLiteral("%1/%2/%3")
        .arg(date.month())
        .arg(date.day())
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

int fullYear(int twoDigitYear) {
    return twoDigitYear + (twoDigitYear >= kFirstYear % 100 ? 1900 : 2000);
}

std::optional<QDate> readDate(QStringView text, const QDate& today) {
    // Split into runs of digits separated by "/" or "-", blanks around them allowed.
    struct Part {
        int value = 0;
        int digits = 0;
    };
    Part parts[3];
    int count = 0;
    QChar sep;
    qsizetype i = 0;
    const qsizetype n = text.size();
    for (;;) {
        while (i < n && isBlank(text[i]))
            ++i;
        if (count == 3 || i >= n || !isAsciiDigit(text[i]))
            return std::nullopt;
        Part& p = parts[count++];
        while (i < n && isAsciiDigit(text[i])) {
            if (++p.digits > 4)
                return std::nullopt;
            p.value = p.value * 10 + (text[i].unicode() - '0');
            ++i;
        }
        while (i < n && isBlank(text[i]))
            ++i;
        if (i >= n)
            break;
        const QChar c = text[i];
        if (c != QLatin1Char('/') && c != QLatin1Char('-'))
            return std::nullopt;
        if (!sep.isNull() && c != sep) // 1/5-2006 is a typing error, not a date
            return std::nullopt;
        sep = c;
        ++i;
    }
    if (count < 2)
        return std::nullopt;

    int y, m, d;
    if (count == 2) {
        if (parts[0].digits > 2 || parts[1].digits > 2 || !today.isValid())
            return std::nullopt;
        m = parts[0].value;
        d = parts[1].value;
        y = today.year();
    } else if (parts[0].digits > 2) {
        // yyyy-m-d
        if (parts[0].digits != 4 || parts[1].digits > 2 || parts[2].digits > 2)
            return std::nullopt;
        y = parts[0].value;
        m = parts[1].value;
        d = parts[2].value;
    } else {
        if (parts[1].digits > 2)
            return std::nullopt;
        m = parts[0].value;
        d = parts[1].value;
        const Part& yp = parts[2];
        if (yp.digits <= 2)
            y = fullYear(yp.value);
        else if (yp.digits == 4)
            y = yp.value;
        else
            return std::nullopt;
    }
    if (y < 100) // four-digit years below 0100 are not dates the system keeps
        return std::nullopt;
    const QDate date(y, m, d);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace tw::regional
