#include "batch/frmpostreport.h"

#include "batch/batchmodels.h"
#include "batch/report.h"
#include "export/csv.h"
#include "ledger/ledgerrecords.h"
#include "platform/host.h"
#include "widgets/dialogs.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QVBoxLayout>

namespace tw {

frmPostReport::frmPostReport(const DosPaths& paths, Host& host, Dialogs& dialogs,
                             const QString& ledgerFolder, std::shared_ptr<const batch::Batch> batch,
                             std::shared_ptr<const batch::BatchResult> result, QWidget* parent)
    : QWidget(parent, Qt::Window), host_(host), dialogs_(dialogs), folder_(ledgerFolder),
      store_(paths, ledgerFolder), batch_(std::move(batch)), result_(std::move(result)) {
    setObjectName(QStringLiteral("frmPostReport"));
    setWindowTitle(QStringLiteral("Posted from %1").arg(QFileInfo(batch_->path).fileName()));
    model_ = new ReportModel(store_, batch_, result_, this);

    lblSummary = new QLabel(batch::summaryLine(batch::summaryOf(*batch_, result_.get())), this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setAccessibleName(QStringLiteral("Summary"));
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    grdReport = new QTableView(this);
    grdReport->setObjectName(QStringLiteral("grdReport"));
    grdReport->setAccessibleName(QStringLiteral("Rows and outcomes"));
    grdReport->setModel(model_);
    grdReport->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdReport->setWordWrap(false);
    grdReport->verticalHeader()->hide();
    grdReport->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdReport->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    grdReport->horizontalHeader()->setStretchLastSection(true);
    grdReport->horizontalHeader()->setDefaultSectionSize(fontMetrics().averageCharWidth() * 14);

    cmdSave = new QPushButton(QStringLiteral("&Save Report"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdReverse = new QPushButton(QStringLiteral("&Reverse This Batch"), this);
    cmdReverse->setObjectName(QStringLiteral("cmdReverse"));
    cmdReverse->setEnabled(result_->count(batch::Outcome::Posted) > 0);
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* b : {cmdSave, cmdReverse, cmdClose})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdReverse);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(grdReport, 1);
    layout->addLayout(buttons);

    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdReverse, &QPushButton::clicked, this, [this] { cmdReverse_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    resize(fontMetrics().averageCharWidth() * 130, fontMetrics().height() * 36);
}

frmPostReport::~frmPostReport() = default;

void frmPostReport::cmdSave_Click() {
    const QFileInfo source(batch_->path);
    const QString suggested =
        source.absolutePath() + QLatin1Char('/') + source.completeBaseName() + "-report.csv";
    const QString path =
        dialogs_.chooseSaveFile(this, QStringLiteral("Save Report"), suggested,
                                QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    if (const QString error = exports::saveFile(path, batch::reportCsv(store_, *batch_, *result_));
        !error.isEmpty())
        host_.message(error);
}

void frmPostReport::cmdReverse_Click() {
    const QDate today = host_.today();
    if (!host_.question(batch::reverseBatchQuestion(*batch_, *result_, today)))
        return;
    const batch::ReversalOutcome outcome = batch::reverseBatch(store_, *batch_, *result_, today);
    // Once reversed, a second go would only name every row as reversed already.
    cmdReverse->setEnabled(outcome.reversed == 0);
    QSet<int> ledgers;
    for (const batch::RowResult& r : result_->rows) {
        if (r.outcome == batch::Outcome::Posted)
            ledgers.insert(r.ledger);
    }
    QStringList numbers;
    for (const int n : ledgers)
        numbers << ledger::ledgerNumberText(n);
    numbers.sort();
    if (outcome.reversed > 0)
        emit ledgersChanged(folder_, numbers);
    host_.message(batch::reversalMessage(outcome));
}

} // namespace tw
