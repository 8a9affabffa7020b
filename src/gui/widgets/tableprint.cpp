#include "widgets/tableprint.h"

#include "export/csv.h"
#include "platform/appinfo.h"
#include "widgets/dialogs.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

using exports::PrintDocument;

constexpr qreal kBodyPoints = 9;
constexpr qreal kTitlePoints = 13;
// Of the longest texts of a column (by characters), this many are measured for its width: a
// printout of a hundred thousand rows is laid out without measuring every one.
constexpr int kMeasured = 8;

// One line beneath the headings.
struct Line {
    enum Kind { Row, Gap, Total, Note } kind;
    int index = 0;
};

// Everything the pages are drawn from, in the painter's units.
struct Geometry {
    QFont title, body, bold;
    bool narrowed = false; // the table is wider than the page: cut, or drawn smaller
    qreal scale = 1;       // below 1 when the table is drawn smaller to fit the page
    QSizeF area;           // the page's printable area
    qreal line = 0;        // height of a line of the body
    qreal header = 0;      // title, subtitle, date printed and headings
    qreal gap = 0;         // between columns
    QList<qreal> x, width;
    std::vector<Line> lines;
    int linesPerPage = 1;
    int pages = 1;
};

qreal widestOf(const QStringList& texts, const QFontMetricsF& fm) {
    qreal w = 0;
    for (const QString& t : texts)
        w = std::max(w, fm.horizontalAdvance(t));
    return w;
}

// The width a column needs: its heading, its longest texts, its totals.
qreal columnWidth(const PrintDocument& d, int c, const QFontMetricsF& body,
                  const QFontMetricsF& bold) {
    QStringList longest;
    for (const QStringList& row : d.rows) {
        const QString& t = row.value(c);
        if (longest.size() < kMeasured || t.size() > longest.constLast().size()) {
            const auto at = std::lower_bound(
                longest.begin(), longest.end(), t,
                [](const QString& a, const QString& b) { return a.size() > b.size(); });
            longest.insert(at, t);
            if (longest.size() > kMeasured)
                longest.removeLast();
        }
    }
    QStringList totals;
    for (const QStringList& row : d.totals)
        totals << row.value(c);
    return std::max({widestOf(longest, body), widestOf(totals, bold),
                     bold.horizontalAdvance(d.headings.value(c))});
}

Geometry measure(const PrintDocument& d, QPagedPaintDevice& device) {
    Geometry g;
    g.title.setPointSizeF(kTitlePoints);
    g.title.setBold(true);
    g.body.setPointSizeF(kBodyPoints);
    g.bold = g.body;
    g.bold.setBold(true);
    const QFontMetricsF title(g.title, &device), body(g.body, &device), bold(g.bold, &device);

    const int dpi = device.logicalDpiX();
    g.area = device.pageLayout().paintRectPixels(dpi).size();
    g.gap = body.horizontalAdvance(QStringLiteral("MM"));
    const int columns = int(d.headings.size());
    qreal needed = g.gap * std::max(0, columns - 1);
    for (int c = 0; c < columns; ++c) {
        g.width << columnWidth(d, c, body, bold);
        needed += g.width.constLast();
    }
    // Too wide: the widest text column gives up what it can (down to its heading), and what
    // is still too wide is drawn smaller.
    g.narrowed = needed > g.area.width();
    if (g.narrowed && columns > 0) {
        int widest = -1;
        for (int c = 0; c < columns; ++c) {
            if (!d.rightAligned.value(c) && (widest < 0 || g.width[c] > g.width[widest]))
                widest = c;
        }
        if (widest >= 0) {
            const qreal least = bold.horizontalAdvance(d.headings[widest]);
            const qreal cut = std::min(needed - g.area.width(), g.width[widest] - least);
            g.width[widest] -= cut;
            needed -= cut;
        }
        if (needed > g.area.width())
            g.scale = g.area.width() / needed;
    }
    g.area /= g.scale;
    qreal at = 0;
    for (int c = 0; c < columns; ++c) {
        g.x << at;
        at += g.width[c] + g.gap;
    }

    g.line = std::ceil(body.lineSpacing() * 1.15);
    g.header = title.lineSpacing() + g.line * (d.subtitle.isEmpty() ? 1 : 2) + g.line * 0.5 +
               g.line + g.line * 0.5;
    const qreal footer = g.line * 2;

    for (int i = 0; i < d.rows.size(); ++i)
        g.lines.push_back({Line::Row, i});
    if (!d.totals.isEmpty())
        g.lines.push_back({Line::Gap, 0});
    for (int i = 0; i < d.totals.size(); ++i)
        g.lines.push_back({Line::Total, i});
    if (!d.notes.isEmpty())
        g.lines.push_back({Line::Gap, 0});
    for (int i = 0; i < d.notes.size(); ++i)
        g.lines.push_back({Line::Note, i});
    g.linesPerPage = std::max(1, int((g.area.height() - g.header - footer) / g.line));
    g.pages = std::max(1, int((qsizetype(g.lines.size()) + g.linesPerPage - 1) / g.linesPerPage));
    return g;
}

void drawCells(QPainter& p, const Geometry& g, const PrintDocument& d, const QStringList& texts,
               qreal y) {
    const QFontMetricsF fm(p.font(), p.device());
    for (int c = 0; c < g.x.size(); ++c) {
        const QRectF cell(g.x[c], y, g.width[c], g.line);
        const Qt::Alignment align =
            (d.rightAligned.value(c) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        p.drawText(cell, int(align), fm.elidedText(texts.value(c), Qt::ElideRight, g.width[c]));
    }
}

void drawPage(QPainter& p, const Geometry& g, const PrintDocument& d, int page) {
    const qreal right = g.area.width();
    qreal y = 0;
    p.setFont(g.title);
    const qreal titleLine = QFontMetricsF(g.title, p.device()).lineSpacing();
    p.drawText(QRectF(0, y, right, titleLine), Qt::AlignLeft | Qt::AlignVCenter, d.title);
    y += titleLine;
    p.setFont(g.body);
    if (!d.subtitle.isEmpty()) {
        p.drawText(QRectF(0, y, right, g.line), Qt::AlignLeft | Qt::AlignVCenter, d.subtitle);
        y += g.line;
    }
    p.drawText(QRectF(0, y, right, g.line), Qt::AlignLeft | Qt::AlignVCenter, d.printed);
    y += g.line * 1.5;
    p.setFont(g.bold);
    drawCells(p, g, d, d.headings, y);
    y += g.line;
    p.drawLine(QPointF(0, y + g.line * 0.2), QPointF(right, y + g.line * 0.2));
    y += g.line * 0.5;

    const std::size_t first = std::size_t(page) * std::size_t(g.linesPerPage);
    const std::size_t end = std::min(g.lines.size(), first + std::size_t(g.linesPerPage));
    for (std::size_t i = first; i < end; ++i, y += g.line) {
        const Line& line = g.lines[i];
        switch (line.kind) {
        case Line::Row:
            p.setFont(g.body);
            drawCells(p, g, d, d.rows[line.index], y);
            break;
        case Line::Gap:
            break;
        case Line::Total:
            p.setFont(g.bold);
            if (line.index == 0)
                p.drawLine(QPointF(0, y), QPointF(right, y));
            drawCells(p, g, d, d.totals[line.index], y);
            break;
        case Line::Note: {
            p.setFont(g.body);
            const QFontMetricsF fm(g.body, p.device());
            p.drawText(QRectF(0, y, right, g.line), Qt::AlignLeft | Qt::AlignVCenter,
                       fm.elidedText(d.notes[line.index], Qt::ElideRight, right));
            break;
        }
        }
    }
    p.setFont(g.body);
    p.drawText(QRectF(0, g.area.height() - g.line, right, g.line), Qt::AlignCenter,
               exports::pageText(page + 1, g.pages));
}

} // namespace

PrintLayout layoutDocument(const PrintDocument& document, QPagedPaintDevice& device) {
    const Geometry g = measure(document, device);
    return {g.linesPerPage, g.pages};
}

bool paintDocument(const PrintDocument& document, QPagedPaintDevice& device) {
    const Geometry g = measure(document, device);
    QPainter p;
    if (!p.begin(&device))
        return false;
    p.scale(g.scale, g.scale);
    for (int page = 0; page < g.pages; ++page) {
        if (page > 0)
            device.newPage();
        drawPage(p, g, document, page);
    }
    return p.end();
}

bool printDocument(const PrintDocument& document, Dialogs& dialogs, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(document.title);
    if (!dialogs.choosePrinter(printer, parent))
        return false;
    paintDocument(document, printer);
    return true;
}

QString saveDocumentAsPdf(const PrintDocument& document, const QString& path, PrintLayout* layout) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(document.title);
        pdf.setCreator(appTitle());
        pdf.setResolution(300);
        pdf.setPageSize(QPageSize(QPageSize::Letter));
        pdf.setPageMargins(QMarginsF(12.7, 12.7, 12.7, 12.7), QPageLayout::Millimeter);
        if (measure(document, pdf).narrowed)
            pdf.setPageOrientation(QPageLayout::Landscape);
        if (layout)
            *layout = layoutDocument(document, pdf);
        if (!paintDocument(document, pdf))
            return exports::pdfNotDrawn(path);
    }
    return exports::saveFile(path, buffer.data());
}

} // namespace tw
