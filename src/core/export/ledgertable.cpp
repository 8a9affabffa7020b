#include "export/ledgertable.h"

#include "ledger/ledgermodel.h"

namespace tw::exports {

Table ledgerTable(const ledger::LedgerModel& model, const QString& title) {
    using M = ledger::LedgerModel;
    using E = ledger::StoredEntry;
    Table t;
    t.title = title;
    t.subtitle = model.filter().isEmpty()
                     ? QStringLiteral("Every entry")
                     : QStringLiteral("Entries containing \"%1\"").arg(model.filter());
    for (int c = 0; c < M::ColumnCount; ++c) {
        const ColumnKind kind = c == M::ColAmount                                ? ColumnKind::Money
                                : (c == M::ColInvoiceDate || c == M::ColDueDate) ? ColumnKind::Date
                                                                                 : ColumnKind::Text;
        t.columns << Column{model.headerData(c, Qt::Horizontal).toString(), kind};
    }
    for (int row = 0; row < model.rowCount(); ++row) {
        const std::int64_t record = model.recordAt(row);
        if (record < 0) {
            t.notes << model.data(model.index(row, 0)).toString();
            continue;
        }
        const E e = model.entry(record);
        QList<Cell> cells;
        cells.resize(M::ColumnCount);
        cells[M::ColInvoiceDate] =
            Cell::ofDate(e.isOdd(E::OddInvoiceDate) ? QDate() : e.InvoiceDate, e.InvoiceDateText);
        cells[M::ColInvoiceNumber] = Cell::ofText(e.InvoiceNumber);
        cells[M::ColJobNumber] = Cell::ofText(e.JobNumber);
        cells[M::ColPONumber] = Cell::ofText(e.PONumber);
        cells[M::ColProduct] = Cell::ofText(e.ProductCode);
        cells[M::ColDescription] = Cell::ofText(e.Description);
        cells[M::ColAmount] = Cell::ofNumber(
            e.isOdd(E::OddAmount) ? std::nullopt : std::optional(e.AmountCents), e.AmountText);
        cells[M::ColDueDate] =
            Cell::ofDate(e.isOdd(E::OddDueDate) ? QDate() : e.DueDate, e.DueDateText);
        t.rows << cells;
    }
    QList<Cell> total(M::ColumnCount);
    total[M::ColInvoiceDate] = Cell::ofText(QStringLiteral("Total"));
    total[M::ColAmount] = Cell::ofNumber(model.summary().totalCents);
    t.totals << total;
    t.notes.prepend(M::summaryText(model.summary()));
    return t;
}

} // namespace tw::exports
