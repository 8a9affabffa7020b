#pragma once
#include "report/activity.h"
#include "widgets/tableoutput.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

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
class Host;
class SheetModel;
namespace settings {
class SettingsStore;
}

// The Invoicing Activity window: the entries of every ledger over a range of invoice dates,
// grouped by customer, product code or month, with the grand total and the count of entries
// that could not be counted. The ledgers are read in short slices of the event loop.
class frmActivity : public QWidget {
    Q_OBJECT
public:
    frmActivity(const DosPaths& paths, Host& host, Dialogs& dialogs,
                const settings::SettingsStore& settings, QWidget* parent = nullptr);
    ~frmActivity() override;

    // Fills the date range with this calendar year.
    void Form_Load();
    void setLedgerFolder(const QString& folder) { folder_ = folder; }
    bool running() const;
    SheetModel* model() const { return model_; }
    const report::ActivityReport& report() const { return report_; }

    QLabel* lblDates = nullptr;
    QLineEdit* txtFromDate = nullptr;
    QLineEdit* txtToDate = nullptr;
    QLabel* lblGroup = nullptr;
    QComboBox* cboGroup = nullptr;
    QLabel* lblSort = nullptr;
    QComboBox* cboSort = nullptr;
    QPushButton* cmdShow = nullptr;
    QPushButton* cmdCancel = nullptr;
    QTableView* grdReport = nullptr;
    QProgressBar* prgReport = nullptr;
    QLabel* lblNotes = nullptr;
    QPushButton* cmdUnread = nullptr;
    TableButtons output;

    void cmdShow_Click();
    void cmdCancel_Click();
    // The rows in the order chosen, without reading the ledgers again.
    void cboSort_Click();
    // The entries not counted, in a window of their own.
    void cmdUnread_Click();
    // A double-click on a customer's row: that customer's ledger.
    void grdReport_DoubleClick(int row);
    // The window listing the entries not counted, while open.
    QWidget* unreadWindow() const { return unread_; }

signals:
    void ledgerWanted(const QString& ledgerFolder, const QString& numberText,
                      const QString& customerName);

private:
    void runStep();
    void showReport();

    const DosPaths& paths_;
    Host& host_;
    TableOutput out_;
    QString folder_;
    std::unique_ptr<report::ActivityRun> run_;
    report::ActivityReport report_;
    SheetModel* model_ = nullptr;
    QTimer* timer_ = nullptr;
    QPointer<QWidget> unread_;
};

} // namespace tw
