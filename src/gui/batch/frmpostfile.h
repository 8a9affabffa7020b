#pragma once
#include "batch/batch.h"
#include "batch/post.h"
#include "ledger/ledgerstore.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTableView;
class QTimer;

namespace tw {
class BatchModel;
class DosPaths;
class Host;
namespace settings {
class DefaultTax;
class SettingsStore;
} // namespace settings

// The preview of a spreadsheet file of invoices: every row checked as Post checks it, shown
// with its status, ticked or not, before anything is written. The check runs in slices between
// events, so the window answers while a long file is read.
class frmPostFile : public QWidget {
    Q_OBJECT
public:
    frmPostFile(const DosPaths& paths, settings::SettingsStore& settings,
                const settings::DefaultTax& defaultTax, Host& host, QWidget* parent = nullptr);
    ~frmPostFile() override;

    // Shows that file of the ledger folder's invoices and starts its check. False, with the
    // message shown, when the file cannot be read at all.
    bool openFile(const QString& ledgerFolder, const QString& path);
    // True while the file is being checked.
    bool checking() const;

    BatchModel* model() const { return model_; }

    QLabel* lblFile = nullptr;
    QScrollArea* fraColumns = nullptr;
    QList<QComboBox*> cboColumns; // one for each column of the file, named cboColumn<n>
    QComboBox* cboDateOrder = nullptr;
    QCheckBox* chkDecimalComma = nullptr;
    QCheckBox* chkAddTax = nullptr;
    QComboBox* cboFilter = nullptr;
    QTableView* grdRows = nullptr;
    QProgressBar* prgCheck = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* lblTicked = nullptr;
    QListWidget* lstNew = nullptr;
    QPushButton* cmdPost = nullptr;
    QPushButton* cmdClose = nullptr;

    void cboColumn_Click(int column);
    void options_Change(); // date order, decimal comma, add tax
    void cboFilter_Click();
    void cmdCancel_Click();
    void cmdPost_Click();

signals:
    // After a posting: the report of it, the ledgers written, the customers given a ledger.
    void reportWanted(const QString& ledgerFolder, std::shared_ptr<const batch::Batch> batch,
                      std::shared_ptr<const batch::BatchResult> result);
    void ledgersChanged(const QString& ledgerFolder, const QStringList& numberTexts);
    void customersAdded(const QStringList& names);

private:
    batch::Options options() const;
    // Opens the file again and checks it from the start with the choices shown.
    bool startCheck();
    void checkSlice();
    void showColumns();
    void showBatch(); // the counts, the new customers, Post enabled
    void stopChecking();

    const DosPaths& paths_;
    settings::SettingsStore& settings_;
    const settings::DefaultTax& defaultTax_;
    Host& host_;
    QString folder_; // the ledger folder, DOS text
    QString path_;
    std::unique_ptr<ledger::LedgerStore> store_;
    std::unique_ptr<batch::BatchChecker> checker_;
    QStringList header_;          // of the file as last opened
    QList<batch::Field> columns_; // the assignment shown
    BatchModel* model_ = nullptr;
    QTimer* slices_ = nullptr;
};

} // namespace tw
