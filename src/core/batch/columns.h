#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace tw::settings {
class SettingsStore;
}

// Which column of a spreadsheet file holds which field of an invoice: found from the header's
// names, changed by the operator, and remembered for files with the same header.
namespace tw::batch {

enum class Field : std::uint8_t {
    None, // the column is ignored
    Customer,
    Invoice,
    Job,
    PO,
    Quantity,
    Product,
    Description,
    InvoiceDate,
    DueDate,
    PreTax,
    Tax,
    InvoiceAmount,
};
inline constexpr int kFieldCount = int(Field::InvoiceAmount) + 1;

// The field's name as the column choice shows it ("Pre-Tax Amount"); "(ignored)" for None.
QString fieldName(Field field);

// A header name without case, blanks and punctuation: "P.O. Number" gives "ponumber".
QString headerKey(QStringView name);

// The field a header name stands for, by its name or an alias; None when unknown.
Field fieldOfHeader(QStringView name);

// The field of each column; a field named by two columns goes to the first.
QList<Field> assignColumns(const QStringList& header);

// The column of a field, or -1.
int columnOf(const QList<Field>& columns, Field field);

// What the file must name: a customer, an invoice number, an invoice date and an amount.
// Empty when every one has a column; otherwise the operator's message, naming what is missing
// and showing the first line as it was read (the names found between the separators), so that
// a file whose first line is data, or whose separator was not found, is seen at once.
QString missingColumnsMessage(const QString& fileName, const QStringList& header, char separator,
                              const QList<Field>& columns);

// The settings file of the program folder that keeps the assignments of earlier files.
inline const QString kColumnsFile = QStringLiteral("Columns.dat");

// The assignment remembered for a file with this header, if any.
std::optional<QList<Field>> recallColumns(const settings::SettingsStore& store,
                                          const QStringList& header);
// Keeps the assignment for files with this header (the most recent ones are kept).
bool rememberColumns(settings::SettingsStore& store, const QStringList& header,
                     const QList<Field>& columns);

} // namespace tw::batch
