#include "export/sheet.h"

#include "platform/regional.h"

#include <QLocale>

namespace tw::exports {

QString shownText(const Cell& cell, ColumnKind kind) {
    switch (kind) {
    case ColumnKind::Date:
        return cell.date.isValid() ? regional::shortDate(cell.date) : cell.text;
    case ColumnKind::Money:
        return cell.number ? regional::formatMoney(*cell.number) : cell.text;
    case ColumnKind::Count:
        return cell.number ? QString::number(*cell.number) : cell.text;
    case ColumnKind::Text:
        break;
    }
    return cell.text;
}

namespace {

QList<QStringList> shownLines(const QList<QList<Cell>>& lines, const QList<Column>& columns) {
    QList<QStringList> out;
    out.reserve(lines.size());
    for (const QList<Cell>& line : lines) {
        QStringList texts;
        texts.reserve(columns.size());
        for (qsizetype c = 0; c < columns.size(); ++c)
            texts << (c < line.size() ? shownText(line[c], columns[c].kind) : QString());
        out << texts;
    }
    return out;
}

} // namespace

PrintDocument printable(const Table& table, const QDateTime& printed) {
    PrintDocument d;
    d.title = table.title;
    d.subtitle = table.subtitle;
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    d.printed = QStringLiteral("Printed %1 %2")
                    .arg(regional::shortDate(printed.date()),
                         us.toString(printed.time(), QStringLiteral("h:mm AP")));
    for (const Column& c : table.columns) {
        d.headings << c.heading;
        d.rightAligned << c.rightAligned();
    }
    d.rows = shownLines(table.rows, table.columns);
    d.totals = shownLines(table.totals, table.columns);
    d.notes = table.notes;
    return d;
}

QString pageText(int page, int pages) {
    return QStringLiteral("Page %1 of %2").arg(page).arg(pages);
}

} // namespace tw::exports
