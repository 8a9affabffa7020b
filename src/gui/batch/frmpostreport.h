#pragma once
#include "batch/batch.h"
#include "batch/post.h"
#include "ledger/ledgerstore.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;
class QTableView;

namespace tw {
class Dialogs;
class DosPaths;
class Host;
class ReportModel;

// What a posting from a file did, row by row; the report can be saved as CSV and the batch
// taken back.
class frmPostReport : public QWidget {
    Q_OBJECT
public:
    frmPostReport(const DosPaths& paths, Host& host, Dialogs& dialogs, const QString& ledgerFolder,
                  std::shared_ptr<const batch::Batch> batch,
                  std::shared_ptr<const batch::BatchResult> result, QWidget* parent = nullptr);
    ~frmPostReport() override;

    ReportModel* model() const { return model_; }

    QLabel* lblSummary = nullptr;
    QTableView* grdReport = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdReverse = nullptr;
    QPushButton* cmdClose = nullptr;

    void cmdSave_Click();
    // "Reverse This Batch": after a Yes, every row the batch posted gets its reversal record.
    void cmdReverse_Click();

signals:
    void ledgersChanged(const QString& ledgerFolder, const QStringList& numberTexts);

private:
    Host& host_;
    Dialogs& dialogs_;
    QString folder_;
    ledger::LedgerStore store_;
    std::shared_ptr<const batch::Batch> batch_;
    std::shared_ptr<const batch::BatchResult> result_;
    ReportModel* model_ = nullptr;
};

} // namespace tw
