#pragma once
#include "export/sheet.h"

#include <QAbstractTableModel>

namespace tw {

// A table of the core as a read-only view shows it: its rows, then its totals in bold; money and
// counts right-aligned, dates as short dates.
class SheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SheetModel(QObject* parent = nullptr);

    void setTable(exports::Table table);
    const exports::Table& table() const { return table_; }
    bool isTotalRow(int row) const { return row >= table_.rows.size(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    exports::Table table_;
};

} // namespace tw
