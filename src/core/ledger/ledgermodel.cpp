#include "ledger/ledgermodel.h"

#include "ledger/ledgerstore.h"
#include "platform/regional.h"

#include <algorithm>

namespace tw::ledger {

namespace {

QString dateCell(const QDate& date, const QString& stored, bool odd) {
    return odd ? stored : regional::shortDate(date);
}

QString incompleteText(qsizetype bytes) {
    return QStringLiteral("(incomplete record, %1 bytes)").arg(bytes);
}

} // namespace

LedgerModel::LedgerModel(QObject* parent) : QAbstractTableModel(parent) {}

void LedgerModel::setContents(LedgerContents contents) {
    beginResetModel();
    contents_ = std::move(contents);
    cachedRecord_ = -1;
    rebuildRows();
    endResetModel();
}

void LedgerModel::setFilter(const QString& text) {
    if (text == filter_)
        return;
    beginResetModel();
    filter_ = text;
    rebuildRows();
    endResetModel();
}

void LedgerModel::rebuildRows() {
    const std::int64_t n = contents_.count();
    rows_.clear();
    summary_ = Summary{};
    summary_.all = n;
    const auto count = [this](std::int64_t r) {
        const auto cents = readAmountField(contents_.record(r).sliced(
            LedgerEntryRecord::kAmountOffset, LedgerEntryRecord::kAmountWidth));
        if (cents)
            summary_.totalCents += *cents;
        else
            ++summary_.unread;
    };
    if (filter_.isEmpty()) {
        rows_.resize(size_t(n));
        for (std::int64_t r = 0; r < n; ++r) {
            rows_[size_t(r)] = std::int32_t(r);
            count(r);
        }
    } else {
        for (std::int64_t r = 0; r < n; ++r) {
            const StoredEntry e = decodeEntry(contents_.record(r));
            const auto has = [this](const QString& s) {
                return s.contains(filter_, Qt::CaseInsensitive);
            };
            if (has(e.InvoiceNumber) || has(e.JobNumber) || has(e.PONumber) || has(e.Description)) {
                rows_.push_back(std::int32_t(r));
                count(r);
            }
        }
    }
    summary_.shown = std::int64_t(rows_.size());
}

int LedgerModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return int(rows_.size()) + (contents_.trailing.isEmpty() ? 0 : 1);
}

int LedgerModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

std::int64_t LedgerModel::recordAt(int row) const {
    if (row < 0 || size_t(row) >= rows_.size())
        return -1;
    return rows_[size_t(row)];
}

int LedgerModel::rowOf(std::int64_t record) const {
    const auto it = std::lower_bound(rows_.begin(), rows_.end(), record);
    if (it == rows_.end() || *it != record)
        return -1;
    return int(it - rows_.begin());
}

bool LedgerModel::isIncompleteRow(int row) const {
    return !contents_.trailing.isEmpty() && row == int(rows_.size());
}

StoredEntry LedgerModel::entry(std::int64_t record) const {
    return decoded(record);
}

const StoredEntry& LedgerModel::decoded(std::int64_t record) const {
    if (record != cachedRecord_) {
        cached_ = decodeEntry(contents_.record(record));
        cachedRecord_ = record;
    }
    return cached_;
}

QVariant LedgerModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int col = index.column();
    if (isIncompleteRow(index.row())) {
        if (role == OddRole)
            return true;
        if ((role == Qt::DisplayRole || role == Qt::ToolTipRole) && col == 0)
            return incompleteText(contents_.trailing.size());
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return col == ColAmount ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != OddRole && role != Qt::ToolTipRole)
        return {};

    const std::int64_t record = recordAt(index.row());
    const StoredEntry& e = decoded(record);
    // An entry like the others, whose line end the next posting writes.
    const bool unterminated = contents_.lastLacksLineEnd && record == contents_.count() - 1;
    bool odd = unterminated || e.isOdd(StoredEntry::OddLineEnd);
    QString text;
    QString oddWhat;
    switch (col) {
    case ColInvoiceDate:
        odd = odd || e.isOdd(StoredEntry::OddInvoiceDate);
        text = dateCell(e.InvoiceDate, e.InvoiceDateText, e.isOdd(StoredEntry::OddInvoiceDate));
        oddWhat = QStringLiteral("a date");
        break;
    case ColInvoiceNumber:
        text = e.InvoiceNumber;
        break;
    case ColJobNumber:
        text = e.JobNumber;
        break;
    case ColPONumber:
        text = e.PONumber;
        break;
    case ColProduct:
        text = e.ProductCode;
        break;
    case ColDescription:
        text = e.Description;
        break;
    case ColAmount:
        odd = odd || e.isOdd(StoredEntry::OddAmount);
        text = amountShown(e);
        oddWhat = QStringLiteral("an amount");
        break;
    case ColDueDate:
        odd = odd || e.isOdd(StoredEntry::OddDueDate);
        text = dateCell(e.DueDate, e.DueDateText, e.isOdd(StoredEntry::OddDueDate));
        oddWhat = QStringLiteral("a date");
        break;
    default:
        return {};
    }
    if (role == OddRole)
        return odd;
    if (role == Qt::ToolTipRole) {
        if (e.isOdd(StoredEntry::OddLineEnd))
            return QStringLiteral("This record does not end where a record should: the file "
                                  "is out of step.");
        if (unterminated)
            return QStringLiteral("This last record lacks its line end; the next posting to "
                                  "this ledger completes it.");
        if (odd)
            return QStringLiteral("The file holds \"%1\" here, which does not read as %2.")
                .arg(text, oddWhat);
        return {};
    }
    return text;
}

QVariant LedgerModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical) {
        // The record's number in the file, which filtering leaves as it is.
        const std::int64_t r = recordAt(section);
        return r < 0 ? QVariant() : QVariant(qlonglong(r + 1));
    }
    switch (section) {
    case ColInvoiceDate:
        return QStringLiteral("Invoice Date");
    case ColInvoiceNumber:
        return QStringLiteral("Invoice No.");
    case ColJobNumber:
        return QStringLiteral("Job No.");
    case ColPONumber:
        return QStringLiteral("P.O. No.");
    case ColProduct:
        return QStringLiteral("Product");
    case ColDescription:
        return QStringLiteral("Description");
    case ColAmount:
        return QStringLiteral("Amount");
    case ColDueDate:
        return QStringLiteral("Due Date");
    default:
        return {};
    }
}

QString LedgerModel::summaryText(const Summary& s) {
    const QString noun = s.all == 1 ? QStringLiteral("entry") : QStringLiteral("entries");
    QString text = s.shown == s.all
                       ? QStringLiteral("%1 %2").arg(s.all).arg(noun)
                       : QStringLiteral("%1 of %2 %3").arg(s.shown).arg(s.all).arg(noun);
    text += QStringLiteral(", total %1").arg(regional::formatMoney(s.totalCents));
    if (s.unread == 1)
        text += QStringLiteral(" (1 amount does not read and is not counted)");
    else if (s.unread > 1)
        text += QStringLiteral(" (%1 amounts do not read and are not counted)").arg(s.unread);
    return text;
}

LedgerChoice chooseLedger(LedgerStore& store, QStringView ledgerBox, QStringView customerName) {
    std::optional<int> n = parseLedgerNumber(ledgerBox.trimmed());
    if (!n && customerName.trimmed().isEmpty())
        return {{}, {}, QStringLiteral("Choose a customer first.")};
    try {
        if (!n)
            n = store.findCustomer(customerName);
        if (!n)
            return {{}, {}, QStringLiteral("This customer has no ledger yet.")};
        const QString owner = store.ledgerOwner(*n).value_or(customerName.trimmed().toString());
        return {ledgerNumberText(*n), owner, {}};
    } catch (const IoError& e) {
        return {{}, {}, e.text()};
    }
}

QString noEntriesNote(const LedgerStore& store, const QString& numberText) {
    return QStringLiteral("Ledger %1 has no entries: its file %2 does not exist.")
        .arg(numberText, store.ledgerPath(numberText));
}

QString ledgerTitle(const QString& numberText, QStringView customerName) {
    return QStringLiteral("Ledger %1 - %2").arg(numberText, customerName.trimmed());
}

LedgerLoad loadLedger(const LedgerStore& store, const QString& numberText, bool reloading) {
    try {
        if (auto c = store.readEntries(numberText))
            return {std::move(*c), {}, {}};
    } catch (const IoError& e) {
        return {std::nullopt, e.text(), {}};
    }
    if (reloading) {
        return {std::nullopt,
                QStringLiteral("The ledger file %1 is no longer there.")
                    .arg(store.ledgerPath(numberText)),
                {}};
    }
    return {LedgerContents{}, {}, noEntriesNote(store, numberText)};
}

} // namespace tw::ledger
