#pragma once
#include "widgets/tableoutput.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace tw {
class Dialogs;
class DosPaths;
class FindResults;
class Host;
namespace find {
class LedgerSearch;
}
namespace settings {
class SettingsStore;
}

// The Find window: looks for a text in one field of every entry of every ledger the index lists,
// within optional date and amount ranges. The search runs in short slices of the event loop, so
// results show as they are found and Cancel stops it.
class frmFind : public QWidget {
    Q_OBJECT
public:
    frmFind(const DosPaths& paths, Host& host, Dialogs& dialogs,
            const settings::SettingsStore& settings, QWidget* parent = nullptr);
    ~frmFind() override;

    void Form_Load();
    // The ledger folder (DOS text) searched by the next Find.
    void setLedgerFolder(const QString& folder) { folder_ = folder; }
    bool searching() const;
    FindResults* results() const { return results_; }

    QLabel* lblFind = nullptr;
    QLineEdit* txtFind = nullptr;
    QLabel* lblField = nullptr;
    QComboBox* cboField = nullptr;
    QCheckBox* chkExact = nullptr;
    QLabel* lblDates = nullptr;
    QLineEdit* txtFromDate = nullptr;
    QLineEdit* txtToDate = nullptr;
    QLabel* lblAmounts = nullptr;
    QLineEdit* txtMinAmount = nullptr;
    QLineEdit* txtMaxAmount = nullptr;
    QPushButton* cmdFind = nullptr;
    QPushButton* cmdCancel = nullptr;
    QTableView* grdResults = nullptr;
    QProgressBar* prgSearch = nullptr;
    QLabel* lblSummary = nullptr;
    TableButtons output;

    void cmdFind_Click();
    void cmdCancel_Click();
    // Enter or a double-click on a result: that entry's ledger, the entry selected.
    void grdResults_Activated(int row);

signals:
    // The Customer Ledger window for that ledger of the ledger folder, with the record (from 0)
    // selected.
    void ledgerWanted(const QString& ledgerFolder, const QString& numberText,
                      const QString& customerName, std::int64_t record);

private:
    void searchStep();
    void showProgress();
    void finish();

    const DosPaths& paths_;
    Host& host_;
    QString folder_;
    QString searchedFolder_; // of the results shown
    std::unique_ptr<find::LedgerSearch> search_;
    FindResults* results_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace tw
