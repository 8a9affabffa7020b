#include "widgets/sheetmodel.h"

#include <QFont>

#include <utility>

namespace tw {

SheetModel::SheetModel(QObject* parent) : QAbstractTableModel(parent) {}

void SheetModel::setTable(exports::Table table) {
    beginResetModel();
    table_ = std::move(table);
    endResetModel();
}

int SheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(table_.rows.size() + table_.totals.size());
}

int SheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(table_.columns.size());
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const exports::Column& column = table_.columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        const int r = index.row();
        const auto& row =
            isTotalRow(r) ? table_.totals.at(r - table_.rows.size()) : table_.rows.at(r);
        return index.column() < row.size() ? exports::shownText(row.at(index.column()), column.kind)
                                           : QString();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (column.rightAligned() ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::FontRole:
        if (isTotalRow(index.row())) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return table_.columns.value(section).heading;
    return isTotalRow(section) ? QVariant() : QVariant(section + 1);
}

} // namespace tw
