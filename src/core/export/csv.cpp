#include "export/csv.h"

#include "settings/settings.h"

#include <QDir>
#include <QSaveFile>

namespace tw::exports {

QByteArray csvField(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    bool quote = false;
    for (char c : utf8) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            quote = true;
            break;
        }
    }
    if (!quote)
        return utf8;
    QByteArray out = "\"";
    for (char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

QString plainAmount(std::int64_t cents) {
    const bool neg = cents < 0;
    const std::uint64_t a = neg ? std::uint64_t(0) - std::uint64_t(cents) : std::uint64_t(cents);
    return QStringLiteral("%1%2.%3")
        .arg(neg ? QStringLiteral("-") : QString())
        .arg(a / 100)
        .arg(int(a % 100), 2, 10, QLatin1Char('0'));
}

QString guardedText(const QString& text) {
    if (text.isEmpty())
        return text;
    switch (text[0].unicode()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return QLatin1Char('\'') + text;
    default:
        return text;
    }
}

QString exportText(const Cell& cell, ColumnKind kind) {
    if (kind == ColumnKind::Date && cell.date.isValid())
        return cell.date.toString(Qt::ISODate);
    if (kind == ColumnKind::Money && cell.number)
        return plainAmount(*cell.number);
    if (kind == ColumnKind::Count && cell.number)
        return QString::number(*cell.number);
    return guardedText(cell.text);
}

namespace {

QByteArray joined(const QStringList& fields) {
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        out += csvField(fields[i]);
    }
    out += "\r\n";
    return out;
}

} // namespace

QByteArray csvHeader(const QList<Column>& columns) {
    QStringList headings;
    for (const Column& c : columns)
        headings << guardedText(c.heading);
    return joined(headings);
}

QByteArray csvLine(const QList<Cell>& cells, const QList<Column>& columns) {
    QStringList fields;
    for (qsizetype c = 0; c < columns.size(); ++c)
        fields << (c < cells.size() ? exportText(cells[c], columns[c].kind) : QString());
    return joined(fields);
}

QByteArray toCsv(const Table& table, bool byteOrderMark) {
    QByteArray out = byteOrderMark ? QByteArray(kByteOrderMark) : QByteArray();
    out += csvHeader(table.columns);
    for (const auto* lines : {&table.rows, &table.totals}) {
        for (const QList<Cell>& cells : *lines)
            out += csvLine(cells, table.columns);
    }
    return out;
}

bool byteOrderMarkWanted(const settings::SettingsStore& settings) {
    return settings.read(settings::kExportBom).value_or(QString()).trimmed() != QLatin1String("0");
}

QString notSaved(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot save %1: %2 Any file that already had this name is as it was.")
        .arg(QDir::toNativeSeparators(path), reason);
}

QString pdfNotDrawn(const QString& path) {
    return notSaved(path, QStringLiteral("the PDF could not be drawn."));
}

QString saveFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString() + QLatin1Char('.');
        file.cancelWriting();
        return notSaved(path, reason);
    }
    return {};
}

} // namespace tw::exports
