#include "batch/columns.h"

#include "settings/settings.h"

#include <array>

namespace tw::batch {

namespace {

// Each field's name and the other names a header may give it, as invoicing programs write them.
struct Names {
    Field field;
    const char* name;
    std::array<const char*, 3> aliases;
};
constexpr std::array<Names, kFieldCount - 1> kNames = {{
    {Field::Customer, "Customer", {"Customer Name", "Client"}},
    {Field::Invoice, "Invoice", {"Invoice Number", "Invoice No"}},
    {Field::Job, "Job", {"Job Number", "Job No"}},
    {Field::PO, "P.O.", {"PO Number", "Purchase Order"}},
    {Field::Quantity, "Quantity", {"Qty"}},
    {Field::Product, "Product", {"Product Code"}},
    {Field::Description, "Description", {}},
    {Field::InvoiceDate, "Invoice Date", {"Date"}},
    {Field::DueDate, "Due Date", {}},
    {Field::PreTax, "Pre-Tax Amount", {"Amount", "Net"}},
    {Field::Tax, "Tax", {}},
    {Field::InvoiceAmount, "Invoice Amount", {"Total", "Gross"}},
}};

constexpr int kRemembered = 50;

QString joinedKeys(const QStringList& header) {
    QStringList keys;
    for (const QString& h : header)
        keys << headerKey(h);
    return keys.join(QLatin1Char(','));
}

} // namespace

QString fieldName(Field field) {
    for (const Names& n : kNames) {
        if (n.field == field)
            return QString::fromLatin1(n.name);
    }
    return QStringLiteral("(ignored)");
}

QString headerKey(QStringView name) {
    QString key;
    for (const QChar c : name) {
        if (c.isLetterOrNumber())
            key += c.toLower();
    }
    return key;
}

Field fieldOfHeader(QStringView name) {
    const QString key = headerKey(name);
    for (const Names& n : kNames) {
        if (key == headerKey(QString::fromLatin1(n.name)))
            return n.field;
        for (const char* alias : n.aliases) {
            if (alias && key == headerKey(QString::fromLatin1(alias)))
                return n.field;
        }
    }
    return Field::None;
}

QList<Field> assignColumns(const QStringList& header) {
    QList<Field> columns;
    for (const QString& name : header) {
        const Field f = fieldOfHeader(name);
        columns << (columns.contains(f) ? Field::None : f);
    }
    return columns;
}

int columnOf(const QList<Field>& columns, Field field) {
    return field == Field::None ? -1 : int(columns.indexOf(field));
}

QString missingColumnsMessage(const QString& fileName, const QStringList& header, char separator,
                              const QList<Field>& columns) {
    QStringList missing;
    const auto need = [&](bool present, const QString& what) {
        if (!present)
            missing << what;
    };
    need(columns.contains(Field::Customer), QStringLiteral("Customer (or Customer Name, Client)"));
    need(columns.contains(Field::Invoice),
         QStringLiteral("Invoice (or Invoice Number, Invoice No)"));
    need(columns.contains(Field::InvoiceDate), QStringLiteral("Invoice Date (or Date)"));
    need(columns.contains(Field::PreTax) || columns.contains(Field::InvoiceAmount),
         QStringLiteral("an amount: Pre-Tax Amount (or Amount, Net) or Invoice Amount (or "
                        "Total, Gross)"));
    if (missing.isEmpty())
        return {};
    const QString sep = separator == '\t'  ? QStringLiteral("TAB")
                        : separator == ';' ? QStringLiteral("semicolon")
                                           : QStringLiteral("comma");
    QStringList shown;
    for (const QString& h : header)
        shown << QLatin1Char('[') + h + QLatin1Char(']');
    return QStringLiteral("The first line of %1 names no column for:\n  %2\n\nIts first line is "
                          "read as the names of the columns. Read with the %3 as separator, it "
                          "holds %4 %5:\n  %6\n\nIf this is a line of data, add a line of "
                          "column names above it; choose a column's field by hand where its "
                          "name is not known.")
        .arg(fileName, missing.join(QStringLiteral("\n  ")), sep)
        .arg(header.size())
        .arg(header.size() == 1 ? QStringLiteral("column") : QStringLiteral("columns"),
             shown.join(QLatin1Char(' ')));
}

std::optional<QList<Field>> recallColumns(const settings::SettingsStore& store,
                                          const QStringList& header) {
    const QString key = joinedKeys(header) + QLatin1Char('=');
    for (const QString& line : store.readLines(kColumnsFile)) {
        if (!line.startsWith(key))
            continue;
        const QStringList codes = line.mid(key.size()).split(QLatin1Char(','));
        if (codes.size() != header.size())
            return std::nullopt;
        QList<Field> columns;
        for (const QString& code : codes) {
            Field f = Field::None;
            for (int i = 1; i < kFieldCount; ++i) {
                if (code == headerKey(fieldName(Field(i))))
                    f = Field(i);
            }
            columns << (columns.contains(f) ? Field::None : f);
        }
        return columns;
    }
    return std::nullopt;
}

bool rememberColumns(settings::SettingsStore& store, const QStringList& header,
                     const QList<Field>& columns) {
    const QString key = joinedKeys(header) + QLatin1Char('=');
    QStringList codes;
    for (const Field f : columns)
        codes << (f == Field::None ? QStringLiteral("none") : headerKey(fieldName(f)));
    QStringList lines{key + codes.join(QLatin1Char(','))};
    for (const QString& line : store.readLines(kColumnsFile)) {
        if (!line.startsWith(key) && lines.size() < kRemembered)
            lines << line;
    }
    return store.writeLines(kColumnsFile, lines);
}

} // namespace tw::batch
