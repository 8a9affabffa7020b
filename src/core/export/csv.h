#pragma once
#include "export/sheet.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>

namespace tw::settings {
class SettingsStore;
}

// The rules of every file the program exports for a spreadsheet, and of the journal of
// postings: CSV as RFC 4180 has it, UTF-8, plain numbers and ISO dates.
namespace tw::exports {

// One field as CSV: quoted when it holds a comma, a quote, CR or LF (quotes doubled); UTF-8.
QByteArray csvField(QStringView text);
// Plain decimal with two places: 123450 gives 1234.50, -5 gives -0.05.
QString plainAmount(std::int64_t cents);

// A text cell as a spreadsheet must take it: one that begins with =, +, -, @, TAB or CR gets a
// leading apostrophe, so that it is shown and never run as a formula.
QString guardedText(const QString& text);
// A cell as exported: dates yyyy-mm-dd, amounts plain decimals (never guarded), counts plain;
// a text, and a date or an amount that does not read, guarded.
QString exportText(const Cell& cell, ColumnKind kind);

// One line of CSV ending in CR LF: the headings, or the cells of a row as exported.
QByteArray csvHeader(const QList<Column>& columns);
QByteArray csvLine(const QList<Cell>& cells, const QList<Column>& columns);
// The byte-order mark that lets a spreadsheet take a file as UTF-8.
inline constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The table as CSV: the headings, the rows, then the totals, each line ending in CR LF; UTF-8
// behind a byte-order mark when asked, so that a spreadsheet shows accented names.
QByteArray toCsv(const Table& table, bool byteOrderMark);

// Whether exported files begin with a byte-order mark: yes, unless the settings file
// "ExportBom.dat" of the program folder holds 0.
bool byteOrderMarkWanted(const settings::SettingsStore& settings);

// The message for a file that could not be saved, naming it and the reason (a sentence).
QString notSaved(const QString& path, const QString& reason);
// The same for a printout that could not be drawn as a PDF.
QString pdfNotDrawn(const QString& path);

// Writes the file whole or not at all: the bytes go to a new file beside it, which then takes
// its name. Empty when saved, else the message naming the file and the reason; a file that
// already had the name is then as it was.
QString saveFile(const QString& path, const QByteArray& bytes);

} // namespace tw::exports
