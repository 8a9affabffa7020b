#pragma once
#include "batch/batch.h"
#include "batch/post.h"
#include "ledger/ledgerstore.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <memory>
#include <vector>

namespace tw {

// The rows of a checked file for the preview: a tick, the row number, status and ledger, the
// file's columns and the message. Only the rows in view are read from the file, a few hundred
// kept at a time, so that a file of a million rows takes no more than its Row table.
class BatchModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Filter { All, Ready, NewLedgers, Duplicates, Errors };
    enum Column { Tick, RowNumber, Status, Ledger, FirstField };

    explicit BatchModel(QObject* parent = nullptr);
    ~BatchModel() override;

    // Null while no checked file is shown; the store is the one it was checked against.
    void setBatch(std::shared_ptr<batch::Batch> batch, const ledger::LedgerStore* store);
    const std::shared_ptr<batch::Batch>& batch() const { return batch_; }
    void setFilter(Filter filter);
    // The batch row shown at that table row.
    int batchRow(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void ticksChanged();

private:
    struct Texts {
        QStringList fields;
        QString message;
    };
    const Texts& textsOf(int row) const;
    bool shown(const batch::Row& row) const;

    const ledger::LedgerStore* store_ = nullptr;
    std::shared_ptr<batch::Batch> batch_;
    std::unique_ptr<batch::RowReader> reader_;
    Filter filter_ = All;
    std::vector<int> rows_; // the batch rows that pass the filter; unused for All
    mutable QHash<int, Texts> cache_;
};

// The report of a posted batch: each row's outcome with its ledger, customer, invoice, amount
// and message, as the saved report has them.
class ReportModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ReportModel(const ledger::LedgerStore& store, std::shared_ptr<const batch::Batch> batch,
                std::shared_ptr<const batch::BatchResult> result, QObject* parent = nullptr);
    ~ReportModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const QStringList& textsOf(int row) const;

    const ledger::LedgerStore& store_;
    std::shared_ptr<const batch::Batch> batch_;
    std::shared_ptr<const batch::BatchResult> result_;
    std::unique_ptr<batch::RowReader> reader_;
    mutable QHash<int, QStringList> cache_;
};

} // namespace tw
