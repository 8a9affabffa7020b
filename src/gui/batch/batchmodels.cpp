#include "batch/batchmodels.h"

#include "batch/columns.h"
#include "batch/report.h"
#include "ledger/ledgerrecords.h"
#include "platform/regional.h"

namespace tw {

namespace {

// Rows read from the file and kept: more than a screen or two, few enough to stay small.
constexpr int kCachedRows = 512;

} // namespace

BatchModel::BatchModel(QObject* parent) : QAbstractTableModel(parent) {}

BatchModel::~BatchModel() = default;

void BatchModel::setBatch(std::shared_ptr<batch::Batch> batch, const ledger::LedgerStore* store) {
    beginResetModel();
    store_ = store;
    reader_.reset();
    cache_.clear();
    batch_ = std::move(batch);
    if (batch_)
        reader_ = std::make_unique<batch::RowReader>(*batch_);
    rows_.clear();
    if (batch_ && filter_ != All) {
        for (std::size_t i = 0; i < batch_->rows.size(); ++i) {
            if (shown(batch_->rows[i]))
                rows_.push_back(int(i));
        }
    }
    endResetModel();
}

void BatchModel::setFilter(Filter filter) {
    filter_ = filter;
    setBatch(std::move(batch_), store_);
}

bool BatchModel::shown(const batch::Row& row) const {
    switch (filter_) {
    case Ready:
        return row.status == batch::Status::Ready;
    case NewLedgers:
        return row.status == batch::Status::NewLedger;
    case Duplicates:
        return row.status == batch::Status::Duplicate;
    case Errors:
        return row.status == batch::Status::Error;
    case All:
        break;
    }
    return true;
}

int BatchModel::batchRow(int row) const {
    return filter_ == All ? row : rows_[std::size_t(row)];
}

int BatchModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !batch_)
        return 0;
    return filter_ == All ? int(batch_->rows.size()) : int(rows_.size());
}

int BatchModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !batch_)
        return 0;
    return FirstField + int(batch_->header.size()) + 1;
}

const BatchModel::Texts& BatchModel::textsOf(int row) const {
    if (const auto it = cache_.constFind(row); it != cache_.cend())
        return *it;
    if (cache_.size() >= kCachedRows)
        cache_.clear();
    return *cache_.insert(row, {reader_->fields(row), reader_->message(*store_, row)});
}

QVariant BatchModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !batch_)
        return {};
    const int row = batchRow(index.row());
    const batch::Row& r = batch_->rows[std::size_t(row)];
    const int column = index.column();
    if (column == Tick) {
        if (role == Qt::CheckStateRole)
            return r.ticked ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (column) {
    case RowNumber:
        return r.number;
    case Status:
        return batch::statusName(r.status);
    case Ledger:
        return r.ledger > 0 ? ledger::ledgerNumberText(r.ledger) : QString();
    default:
        break;
    }
    const Texts& t = textsOf(row);
    const int field = column - FirstField;
    return field < batch_->header.size() ? t.fields.value(field) : t.message;
}

bool BatchModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!batch_ || index.column() != Tick || role != Qt::CheckStateRole)
        return false;
    batch::Row& r = batch_->rows[std::size_t(batchRow(index.row()))];
    if (!r.canTick())
        return false;
    r.ticked = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit ticksChanged();
    return true;
}

Qt::ItemFlags BatchModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == Tick && batch_ &&
        batch_->rows[std::size_t(batchRow(index.row()))].canTick())
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant BatchModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || !batch_ ||
        (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Tick:
        return QStringLiteral("Post");
    case RowNumber:
        return QStringLiteral("Row");
    case Status:
        return QStringLiteral("Status");
    case Ledger:
        return QStringLiteral("Ledger");
    default:
        break;
    }
    const int field = section - FirstField;
    if (field >= batch_->header.size())
        return QStringLiteral("Message");
    // The file's name of the column, and what it was taken as.
    const batch::Field as = batch_->columns.value(field);
    if (as == batch::Field::None)
        return batch_->header[field];
    return QStringLiteral("%1 (%2)").arg(batch_->header[field], batch::fieldName(as));
}

// ---- The report ----

namespace {

enum ReportColumn { RRow, ROutcome, RLedger, RCustomer, RInvoice, RAmount, RMessage, RCount };

} // namespace

ReportModel::ReportModel(const ledger::LedgerStore& store,
                         std::shared_ptr<const batch::Batch> batch,
                         std::shared_ptr<const batch::BatchResult> result, QObject* parent)
    : QAbstractTableModel(parent), store_(store), batch_(std::move(batch)),
      result_(std::move(result)), reader_(std::make_unique<batch::RowReader>(*batch_)) {}

ReportModel::~ReportModel() = default;

int ReportModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(batch_->rows.size());
}

int ReportModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RCount;
}

const QStringList& ReportModel::textsOf(int row) const {
    if (const auto it = cache_.constFind(row); it != cache_.cend())
        return *it;
    if (cache_.size() >= kCachedRows)
        cache_.clear();
    const batch::Row& r = batch_->rows[std::size_t(row)];
    const batch::RowReport report = batch::reportRow(*reader_, store_, *batch_, result_.get(), row);
    const QStringList fields = reader_->fields(row);
    return *cache_.insert(
        row, {QString::number(r.number), report.outcome, report.ledger,
              fields.value(batch::columnOf(batch_->columns, batch::Field::Customer)).trimmed(),
              fields.value(batch::columnOf(batch_->columns, batch::Field::Invoice)).trimmed(),
              r.status == batch::Status::Error ? QString() : regional::formatMoney(r.cents),
              report.message});
}

QVariant ReportModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return textsOf(index.row()).value(index.column());
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const names[RCount] = {"Row",     "Outcome", "Ledger", "Customer",
                                              "Invoice", "Amount",  "Message"};
    return section >= 0 && section < RCount ? QVariant(QString::fromLatin1(names[section]))
                                            : QVariant();
}

} // namespace tw
