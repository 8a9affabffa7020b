#pragma once
#include "widgets/tableoutput.h"

#include <QString>
#include <QWidget>

#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tw {
class Dialogs;
class DosPaths;
class Host;
namespace ledger {
class LedgerModel;
}
namespace settings {
class SettingsStore;
}

// The Customer Ledger window: one customer's ledger file as it stands, read-only. It reads
// the file whole when it opens, on F5 and after each posting this program makes to it.
class frmLedgerView : public QWidget {
    Q_OBJECT
public:
    frmLedgerView(const DosPaths& paths, Host& host, Dialogs& dialogs,
                  const settings::SettingsStore& settings, QWidget* parent = nullptr);
    ~frmLedgerView() override;

    // Shows the ledger of that number in the ledger folder (DOS text) under the customer's
    // name. False, with the message shown, when the file cannot be read; a ledger without its
    // file shows no rows and says so.
    bool showLedger(const QString& ledgerFolder, const QString& numberText,
                    const QString& customerName);
    // Reads the file again and selects the last row. False, with the message shown, when it
    // cannot be read; the rows read before stay.
    bool reload();
    // Selects the row of that record (from 0), clearing a filter that hides it. False when the
    // ledger has no such record.
    bool selectRecord(std::int64_t record);
    // The DOS path of the ledger file shown.
    QString ledgerPath() const;

    ledger::LedgerModel* model() const { return model_; }

    QLabel* lblFilter = nullptr;
    QLineEdit* txtFilter = nullptr;
    QTableView* grdLedger = nullptr;
    QLabel* lblSummary = nullptr;
    QPushButton* cmdReverse = nullptr;
    TableButtons output; // Export..., Print..., Save as PDF...: the rows shown

    void txtFilter_Change();
    // "Reverse Entry": the selected entry, after a Yes to the confirmation, gets a reversing
    // record at the end of the ledger, which is then shown selected.
    void cmdReverse_Click();

private:
    bool load(bool reloading);
    void selectRow(int row);
    // After the rows changed: the incomplete record's row across the table, the summary, the
    // last row selected and in view.
    void showRows();

    const DosPaths& paths_;
    Host& host_;
    QString folder_;
    QString numberText_;
    QString customerName_;
    QString note_; // shown instead of the summary: the ledger has no file
    ledger::LedgerModel* model_ = nullptr;
};

} // namespace tw
