#pragma once
#include "export/sheet.h"

#include <QAbstractTableModel>
#include <QList>

namespace tw::find {
class LedgerSearch;
struct FindRow;
} // namespace tw::find

namespace tw {

// The results of a search as the find window shows them: read-only, one row for each entry found
// or file that could not be searched, in the order found. Rows stay with the search and are
// decoded when shown, so a hundred thousand results cost little more than their bytes.
class FindResults : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FindResults(QObject* parent = nullptr);

    // Shows the rows of that search (null: none); the search must outlive its showing.
    void setSearch(const find::LedgerSearch* search);
    // The search has found more: its new rows are inserted.
    void rowsArrived();
    // The result a row shows, or null.
    const find::FindRow* rowAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const find::LedgerSearch* search_ = nullptr;
    int shown_ = 0;
    QList<exports::Column> columns_;
    // The row last decoded: a view asks for every column and role of a row in turn.
    mutable int cachedRow_ = -1;
    mutable QList<exports::Cell> cached_;
};

} // namespace tw
