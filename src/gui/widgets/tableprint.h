#pragma once
#include "export/sheet.h"

#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace tw {

class Dialogs;

// How a printable document falls onto the pages of a device: the lines of rows, totals and
// notes each page holds beneath its headings, and the number of pages.
struct PrintLayout {
    int linesPerPage = 0;
    int pages = 0;
};
PrintLayout layoutDocument(const exports::PrintDocument& document, QPagedPaintDevice& device);

// Paints the document on the device, page by page: the title, what was asked and the date
// printed, then the column headings on every page, the rows, the totals after them and the
// notes last; "Page N of M" at the foot. Money and counts are right-aligned; a text too wide
// for its column is cut with an ellipsis, and a table too wide for the page is drawn smaller.
// False when the device cannot be painted on.
bool paintDocument(const exports::PrintDocument& document, QPagedPaintDevice& device);

// The printer dialog through the dialogs seam, then the document on the printer chosen.
// False when the operator cancels: nothing is printed.
bool printDocument(const exports::PrintDocument& document, Dialogs& dialogs, QWidget* parent);

// The document as a PDF file on US Letter pages (landscape when the table is wider than a
// portrait page), written whole or not at all. Empty when saved, else the message naming the
// file. `layout`, when given, receives how the pages fell.
QString saveDocumentAsPdf(const exports::PrintDocument& document, const QString& path,
                          PrintLayout* layout = nullptr);

} // namespace tw
