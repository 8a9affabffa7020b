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

// Text fitted to a fixed-width field: encoded, cut to width, blank-padded on the right.
QByteArray field(QStringView text, int width);

} // namespace tw::ansi
