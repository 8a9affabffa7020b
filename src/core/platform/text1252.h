#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

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

} // namespace tw::ansi
