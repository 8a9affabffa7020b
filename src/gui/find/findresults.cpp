#include "find/findresults.h"

#include "find/ledgersearch.h"

#include <QBrush>

#include <algorithm>
#include <limits>

namespace tw {

FindResults::FindResults(QObject* parent)
    : QAbstractTableModel(parent), columns_(find::LedgerSearch::columns()) {}

void FindResults::setSearch(const find::LedgerSearch* search) {
    beginResetModel();
    search_ = search;
    shown_ = 0;
    cachedRow_ = -1;
    endResetModel();
    rowsArrived();
}

void FindResults::rowsArrived() {
    if (!search_)
        return;
    // A view holds rows as int: results beyond that are counted, not listed.
    const auto found =
        std::min<std::size_t>(search_->rows().size(), std::size_t(std::numeric_limits<int>::max()));
    if (int(found) <= shown_)
        return;
    beginInsertRows({}, shown_, int(found) - 1);
    shown_ = int(found);
    endInsertRows();
}

const find::FindRow* FindResults::rowAt(int row) const {
    return search_ && row >= 0 && row < shown_ ? &search_->rows()[std::size_t(row)] : nullptr;
}

int FindResults::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int FindResults::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant FindResults::data(const QModelIndex& index, int role) const {
    const find::FindRow* row = rowAt(index.row());
    if (!row)
        return {};
    const exports::Column& column = columns_.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (cachedRow_ != index.row()) {
            cached_ = search_->cells(*row);
            cachedRow_ = index.row();
        }
        return exports::shownText(cached_.value(index.column()), column.kind);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (column.rightAligned() ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::ForegroundRole:
        // A file that could not be searched stands out from the entries.
        return row->isProblem() ? QVariant(QBrush(Qt::darkRed)) : QVariant();
    default:
        return {};
    }
}

QVariant FindResults::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return columns_.value(section).heading;
    return section + 1;
}

} // namespace tw
