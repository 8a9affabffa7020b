#include "ledgerview/oddcelldelegate.h"

#include "ledger/ledgermodel.h"

namespace tw {

void OddCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                      const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!index.data(ledger::LedgerModel::OddRole).toBool())
        return;
    option->font.setItalic(true);
    option->palette.setColor(QPalette::Text, QColor(0xC0, 0, 0));
    option->palette.setColor(QPalette::HighlightedText, QColor(0xFF, 0xD0, 0xD0));
}

} // namespace tw
