#pragma once
#include <QStyledItemDelegate>

namespace tw {

// Draws a cell the model marks as odd (stored text that does not read) in red italics, so
// that it stands out from the values read.
class OddCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace tw
