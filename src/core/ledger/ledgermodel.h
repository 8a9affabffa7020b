#pragma once
#include "ledger/ledgerrecords.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

namespace tw::ledger {

class LedgerStore;

// The rows of one ledger file as the ledger window shows them: read-only, one row per record
// in file order, and one last row for a trailing partial record. Records stay as their bytes
// and are decoded when shown, so a long ledger costs little more than the file's size.
class LedgerModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        ColInvoiceDate,
        ColInvoiceNumber,
        ColJobNumber,
        ColPONumber,
        ColProduct,
        ColDescription,
        ColAmount,
        ColDueDate,
        ColumnCount
    };
    // True on a cell whose stored text does not read as a date or an amount (or a record out
    // of step with the file), on the row of a last record that lacks its line end, and on the
    // torn record's row.
    static constexpr int OddRole = Qt::UserRole + 1;

    explicit LedgerModel(QObject* parent = nullptr);

    void setContents(LedgerContents contents);
    // Rows whose invoice, job, P.O. or description contains the text, ignoring case. The
    // incomplete record's row is always shown: it is a fault of the file, not an entry.
    void setFilter(const QString& text);
    const QString& filter() const { return filter_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The record (from 0) a row shows, or -1 for the incomplete record's row.
    std::int64_t recordAt(int row) const;
    // The row showing a record, or -1 when the filter hides it.
    int rowOf(std::int64_t record) const;
    bool isIncompleteRow(int row) const;
    StoredEntry entry(std::int64_t record) const;
    const LedgerContents& contents() const { return contents_; }

    struct Summary {
        std::int64_t shown = 0;      // entries shown
        std::int64_t all = 0;        // entries in the file
        std::int64_t totalCents = 0; // of the shown entries whose amount reads
        std::int64_t unread = 0;     // shown entries whose amount does not read
    };
    Summary summary() const { return summary_; }
    // "3 entries, total $1,234.50"; "3 of 12 entries, ..." when filtered; a note on amounts
    // that do not read, which the total leaves out.
    static QString summaryText(const Summary& s);

private:
    const StoredEntry& decoded(std::int64_t record) const;
    void rebuildRows();

    LedgerContents contents_;
    QString filter_;
    std::vector<std::int32_t> rows_; // record of each shown row
    Summary summary_;
    // The row last decoded: a view asks for every column and role of a row in turn.
    mutable std::int64_t cachedRecord_ = -1;
    mutable StoredEntry cached_;
};

// Which ledger the ledger window shows for the main window's choice: the number in the
// ledger box, or else the customer's ledger from the index, with its owner as the index names
// it. A message instead when there is none (or the index cannot be read).
struct LedgerChoice {
    QString numberText; // empty with a message
    QString owner;      // the name in the ledger's index record (else the customer's, trimmed)
    QString message;
};
LedgerChoice chooseLedger(LedgerStore& store, QStringView ledgerBox, QStringView customerName);

// "Ledger 00008 has no entries: its file F:\LEDGER\led00008.dat does not exist."
QString noEntriesNote(const LedgerStore& store, const QString& numberText);

// "Ledger 00013 - NAME"
QString ledgerTitle(const QString& numberText, QStringView customerName);

// A ledger read for the window, or the message naming the file that could not be read. A
// file that is not there is a ledger without entries when the window opens (no contents
// with a note saying so, shown in place of the summary), and a file that vanished when it
// reloads.
struct LedgerLoad {
    std::optional<LedgerContents> contents;
    QString message;
    QString note;
};
LedgerLoad loadLedger(const LedgerStore& store, const QString& numberText, bool reloading);

} // namespace tw::ledger
