#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>

// Every file the program reads or writes holds Windows-1252 text, one byte a character.
namespace tw::ansi {

// Characters outside Windows-1252 are written as '?'.
QByteArray encode(QStringView text);
QString decode(QByteArrayView bytes);
// One character; '?' when it has no Windows-1252 byte.
char encodeChar(QChar c);

// The text as one printable line: every control character (below U+0020, U+007F, and the C1
// controls U+0080-U+009F, which the five bytes Windows-1252 leaves undefined decode to) is
// written as \xNN, so that no line break and no terminal control sequence passes through.
QString printable(QStringView text);

// Text fitted to a fixed-width field: encoded, cut to width, blank-padded on the right.
QByteArray field(QStringView text, int width);

// Whether every character of the text has a Windows-1252 byte (encoding loses nothing).
bool holds(QStringView text);

// Each byte's capital: a small letter gives its capital letter (a gives A, \xe9 gives \xc9,
// \xff gives \x9f); every other byte gives itself. Comparing bytes through it ignores case.
const std::array<unsigned char, 256>& capitals();
// Eight ASCII bytes (none with its high bit set) with a..z made A..Z, as one word. A byte's
// high bit marks it a small letter, and 0x80 >> 2 is the 0x20 that tells small from capital.
constexpr std::uint64_t asciiCapitals(std::uint64_t w) {
    constexpr std::uint64_t kEachByte = 0x0101010101010101ull;
    const std::uint64_t atLeastA = w + kEachByte * (0x80 - 'a');
    const std::uint64_t aboveZ = w + kEachByte * (0x80 - 'z' - 1);
    return w - ((atLeastA & ~aboveZ & (kEachByte * 0x80)) >> 2);
}
// Every byte made its capital, in place; ASCII runs eight bytes a step.
void makeCapitals(char* bytes, qsizetype count);

} // namespace tw::ansi
