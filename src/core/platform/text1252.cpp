#include "platform/text1252.h"

#include <array>
#include <cstring>

namespace tw::ansi {

namespace {

// Bytes 0x80-0x9F; the rest of the code page equals Latin-1. The five bytes Windows leaves
// undefined (81, 8D, 8F, 90, 9D) map to the C1 controls of the same value, as Windows does,
// so that any byte read from a file survives being written back.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

// The byte for a code unit, or -1 when it has none.
int byteOf(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < int(kHigh.size()); ++i) {
        if (kHigh[i] == u)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

char encodeChar(QChar c) {
    const int b = byteOf(c.unicode());
    return b < 0 ? '?' : char(b);
}

QByteArray encode(QStringView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character beyond the BMP is one character, so it becomes a single '?'.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        out.append(encodeChar(c));
    }
    return out;
}

QString decode(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

QString printable(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            out += QStringLiteral("\\x") + QString::number(u, 16).toUpper().rightJustified(2, u'0');
        else
            out += c;
    }
    return out;
}

QByteArray field(QStringView text, int width) {
    if (width <= 0)
        return {};
    QByteArray out = encode(text.left(width * 2)); // a pair may shrink to one byte
    if (out.size() > width)
        out.truncate(width);
    else if (out.size() < width)
        out.append(width - out.size(), ' ');
    return out;
}

bool holds(QStringView text) {
    return decode(encode(text)) == text;
}

const std::array<unsigned char, 256>& capitals() {
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            const QString upper = decode(QByteArrayView(&c, 1)).toUpper();
            // A capital the code page lacks (\xdf gives "SS") leaves the byte as it is.
            const int u = upper.size() == 1 ? byteOf(upper[0].unicode()) : -1;
            t[std::size_t(b)] = (unsigned char)(u < 0 ? b : u);
        }
        return t;
    }();
    return table;
}

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

} // namespace

void makeCapitals(char* bytes, qsizetype count) {
    const std::array<unsigned char, 256>& table = capitals();
    qsizetype i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes + i, sizeof w);
        if ((w & kHighBits) == 0) {
            w = asciiCapitals(w);
            std::memcpy(bytes + i, &w, sizeof w);
            continue;
        }
        for (qsizetype j = i; j < i + 8; ++j)
            bytes[j] = char(table[(unsigned char)bytes[j]]);
    }
    for (; i < count; ++i)
        bytes[i] = char(table[(unsigned char)bytes[i]]);
}

} // namespace tw::ansi
