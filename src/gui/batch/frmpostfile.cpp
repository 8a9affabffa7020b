#include "batch/frmpostfile.h"

#include "batch/batchmodels.h"
#include "batch/columns.h"
#include "batch/report.h"
#include "ledger/ledgerrecords.h"
#include "platform/host.h"
#include "settings/defaulttax.h"
#include "settings/settings.h"
#include "widgets/naming.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace tw {

namespace {

// Each slice of the check ends after this long, so that events are handled in between.
constexpr int kSliceMs = 30;
constexpr int kSliceRows = 500;

QLabel* labelFor(QWidget* buddy, const QString& caption, QWidget* parent) {
    auto* l = new QLabel(caption, parent);
    l->setBuddy(buddy);
    return l;
}

} // namespace

frmPostFile::frmPostFile(const DosPaths& paths, settings::SettingsStore& settings,
                         const settings::DefaultTax& defaultTax, Host& host, QWidget* parent)
    : QWidget(parent, Qt::Window), paths_(paths), settings_(settings), defaultTax_(defaultTax),
      host_(host) {
    setObjectName(QStringLiteral("frmPostFile"));
    setWindowTitle(QStringLiteral("Post from File"));
    model_ = new BatchModel(this);
    slices_ = new QTimer(this);
    slices_->setInterval(0);
    connect(slices_, &QTimer::timeout, this, [this] { checkSlice(); });

    lblFile = named(new QLabel(this), "lblFile", QStringLiteral("File"));
    lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);

    fraColumns = named(new QScrollArea(this), "fraColumns", QStringLiteral("Columns"));
    fraColumns->setWidgetResizable(true);
    fraColumns->setFrameShape(QFrame::NoFrame);

    cboDateOrder = named(new QComboBox(this), "cboDateOrder", QStringLiteral("Dates"));
    for (const auto order : {batch::DateOrder::MonthDayYear, batch::DateOrder::DayMonthYear,
                             batch::DateOrder::YearMonthDay})
        cboDateOrder->addItem(batch::dateOrderName(order), int(order));
    chkDecimalComma =
        named(new QCheckBox(QStringLiteral("Decimal &comma (1.234,50)"), this), "chkDecimalComma");
    chkAddTax =
        named(new QCheckBox(QStringLiteral("Add &tax at the default rate"), this), "chkAddTax");
    cboFilter = named(new QComboBox(this), "cboFilter", QStringLiteral("Show"));
    cboFilter->addItems({QStringLiteral("All rows"), QStringLiteral("Ready"),
                         QStringLiteral("New ledger"), QStringLiteral("Duplicates"),
                         QStringLiteral("Errors")});

    grdRows = named(new QTableView(this), "grdRows", QStringLiteral("Rows of the file"));
    grdRows->setModel(model_);
    grdRows->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdRows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdRows->setWordWrap(false);
    grdRows->setTabKeyNavigation(false);
    // Fixed heights: nothing is measured over a million rows.
    grdRows->verticalHeader()->hide();
    grdRows->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdRows->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    grdRows->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grdRows->horizontalHeader()->setStretchLastSection(true);
    grdRows->horizontalHeader()->setDefaultSectionSize(fontMetrics().averageCharWidth() * 14);

    prgCheck = named(new QProgressBar(this), "prgCheck", QStringLiteral("Checked"));
    prgCheck->setRange(0, 1000);
    cmdCancel = named(new QPushButton(QStringLiteral("C&ancel"), this), "cmdCancel");
    lblTicked = named(new QLabel(this), "lblTicked", QStringLiteral("Ticked rows"));
    lstNew = named(new QListWidget(this), "lstNew", QStringLiteral("New customers"));
    lstNew->setMaximumHeight(5 * (fontMetrics().height() + 4));
    cmdPost = named(new QPushButton(QStringLiteral("&Post Ticked Rows"), this), "cmdPost");
    cmdClose = named(new QPushButton(QStringLiteral("Close"), this), "cmdClose");
    for (QPushButton* b : {cmdCancel, cmdPost, cmdClose})
        b->setAutoDefault(false);

    auto* choices = new QHBoxLayout;
    choices->addWidget(labelFor(cboDateOrder, QStringLiteral("&Dates:"), this));
    choices->addWidget(cboDateOrder);
    choices->addWidget(chkDecimalComma);
    choices->addWidget(chkAddTax);
    choices->addStretch(1);
    choices->addWidget(labelFor(cboFilter, QStringLiteral("&Show:"), this));
    choices->addWidget(cboFilter);
    auto* progress = new QHBoxLayout;
    progress->addWidget(prgCheck, 1);
    progress->addWidget(cmdCancel);
    auto* bottom = new QGridLayout;
    bottom->addWidget(labelFor(lstNew, QStringLiteral("New customers (each gets a ledger):"), this),
                      0, 0);
    bottom->addWidget(lstNew, 1, 0, 2, 1);
    bottom->addWidget(lblTicked, 1, 1, 1, 2);
    bottom->addWidget(cmdPost, 2, 1);
    bottom->addWidget(cmdClose, 2, 2);
    bottom->setColumnStretch(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFile);
    layout->addWidget(fraColumns);
    layout->addLayout(choices);
    layout->addWidget(grdRows, 1);
    layout->addLayout(progress);
    layout->addLayout(bottom);

    connect(cboDateOrder, &QComboBox::activated, this, [this] { options_Change(); });
    connect(chkDecimalComma, &QCheckBox::toggled, this, [this] { options_Change(); });
    connect(chkAddTax, &QCheckBox::toggled, this, [this] { options_Change(); });
    connect(cboFilter, &QComboBox::currentIndexChanged, this, [this] { cboFilter_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdPost, &QPushButton::clicked, this, [this] { cmdPost_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(model_, &BatchModel::ticksChanged, this, [this] { showBatch(); });

    resize(fontMetrics().averageCharWidth() * 140, fontMetrics().height() * 40);
    showBatch();
}

frmPostFile::~frmPostFile() {
    // The model reads through the store and the checker: it lets go of both first.
    model_->setBatch(nullptr, nullptr);
}

bool frmPostFile::checking() const {
    return slices_->isActive();
}

batch::Options frmPostFile::options() const {
    batch::Options o;
    o.dateOrder = batch::DateOrder(cboDateOrder->currentData().toInt());
    o.decimalComma = chkDecimalComma->isChecked();
    o.addTax = chkAddTax->isChecked();
    o.defaultTax = defaultTax_.value();
    o.today = host_.today();
    return o;
}

bool frmPostFile::openFile(const QString& ledgerFolder, const QString& path) {
    stopChecking();
    path_ = path;
    folder_ = ledgerFolder;
    store_ = std::make_unique<ledger::LedgerStore>(paths_, ledgerFolder);
    header_.clear();
    columns_.clear();
    lblFile->setText(QDir::toNativeSeparators(path));
    setWindowTitle(QStringLiteral("Post from File - %1").arg(QFileInfo(path).fileName()));
    return startCheck();
}

bool frmPostFile::startCheck() {
    stopChecking();
    model_->setBatch(nullptr, nullptr);
    checker_ = std::make_unique<batch::BatchChecker>(*store_, path_, options());
    if (!checker_->open()) {
        host_.message(checker_->error());
        checker_.reset();
        showBatch();
        return false;
    }
    // A file with another header (or the first) takes the remembered or found assignment;
    // the same file checked again keeps the operator's.
    if (checker_->header() != header_) {
        header_ = checker_->header();
        columns_ = batch::recallColumns(settings_, header_).value_or(checker_->columns());
        showColumns();
    }
    checker_->setColumns(columns_);
    if (const QString missing = checker_->missingColumns(); !missing.isEmpty()) {
        checker_.reset();
        showBatch();
        host_.message(missing);
        return true; // the operator may assign the columns
    }
    prgCheck->setValue(0);
    slices_->start();
    showBatch();
    return true;
}

void frmPostFile::checkSlice() {
    if (!checker_) {
        stopChecking();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    bool more = true;
    while (more && clock.elapsed() < kSliceMs)
        more = checker_->checkSome(kSliceRows);
    prgCheck->setValue(int(checker_->progress() * 1000));
    if (more)
        return;
    slices_->stop();
    const QString error = checker_->error();
    auto checked = std::make_shared<batch::Batch>(checker_->takeBatch());
    checker_.reset();
    if (error.isEmpty())
        model_->setBatch(std::move(checked), store_.get());
    showBatch();
    if (!error.isEmpty())
        host_.message(error);
}

void frmPostFile::stopChecking() {
    slices_->stop();
    checker_.reset();
}

void frmPostFile::showColumns() {
    auto* strip = new QWidget;
    auto* grid = new QGridLayout(strip);
    grid->setContentsMargins(0, 0, 0, 0);
    cboColumns.clear();
    for (int c = 0; c < header_.size(); ++c) {
        auto* box = new QComboBox(strip);
        box->setObjectName(QStringLiteral("cboColumn%1").arg(c));
        box->setAccessibleName(header_[c]);
        for (int f = 0; f < batch::kFieldCount; ++f)
            box->addItem(batch::fieldName(batch::Field(f)), f);
        box->setCurrentIndex(int(columns_.value(c)));
        connect(box, &QComboBox::activated, this, [this, c] { cboColumn_Click(c); });
        grid->addWidget(labelFor(box, header_[c], strip), 0, c);
        grid->addWidget(box, 1, c);
        cboColumns << box;
    }
    grid->setColumnStretch(int(header_.size()), 1);
    fraColumns->setWidget(strip); // deletes the strip of the file before
    fraColumns->setFixedHeight(strip->sizeHint().height() + 4 +
                               fraColumns->horizontalScrollBar()->sizeHint().height());
}

void frmPostFile::showBatch() {
    const auto& batch = model_->batch();
    const bool busy = checking();
    prgCheck->setVisible(busy);
    cmdCancel->setVisible(busy);
    cmdPost->setEnabled(!busy && batch && batch->tickedRows() > 0);
    lblTicked->setText(batch ? batch::tickedLine(*batch) : QString());
    lstNew->clear();
    if (!batch)
        return;
    for (const batch::NewLedger& n : batch->newLedgers)
        lstNew->addItem(n.name);
}

void frmPostFile::cboColumn_Click(int column) {
    const auto field = batch::Field(cboColumns[column]->currentData().toInt());
    // A field comes from one column: the one it was taken from before gives it up.
    for (int c = 0; c < columns_.size(); ++c) {
        if (c != column && field != batch::Field::None && columns_[c] == field) {
            columns_[c] = batch::Field::None;
            const QSignalBlocker block(cboColumns[c]);
            cboColumns[c]->setCurrentIndex(0);
        }
    }
    columns_[column] = field;
    batch::rememberColumns(settings_, header_, columns_);
    startCheck();
}

void frmPostFile::options_Change() {
    if (store_)
        startCheck();
}

void frmPostFile::cboFilter_Click() {
    model_->setFilter(BatchModel::Filter(cboFilter->currentIndex()));
}

void frmPostFile::cmdCancel_Click() {
    if (!checking())
        return;
    stopChecking();
    showBatch();
    host_.message(batch::checkCancelledText());
}

void frmPostFile::cmdPost_Click() {
    const std::shared_ptr<batch::Batch> batch = model_->batch();
    if (!batch || checking() || batch->tickedRows() == 0)
        return;
    if (const QString changed = batch::changedSinceChecked(*batch); !changed.isEmpty()) {
        host_.message(changed);
        return;
    }
    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("dlgPosting"));
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setRange(0, batch->tickedRows());
    auto result = std::make_shared<batch::BatchResult>(
        batch::postBatch(*store_, *batch, [&progress](const batch::Progress& p) {
            progress.setValue(p.rowsDone);
            progress.setLabelText(batch::progressText(p));
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        }));
    progress.close();
    if (!result->refusal.isEmpty()) {
        host_.message(result->refusal);
        return;
    }
    QSet<int> ledgers;
    QStringList created;
    for (std::size_t i = 0; i < result->rows.size(); ++i) {
        const batch::RowResult& r = result->rows[i];
        if (r.outcome != batch::Outcome::Posted)
            continue;
        ledgers.insert(r.ledger);
        if (const batch::NewLedger* n = batch->newLedger(batch->rows[i].ledger);
            r.created && n && !created.contains(n->name))
            created << n->name;
    }
    QStringList numbers;
    for (const int n : ledgers)
        numbers << ledger::ledgerNumberText(n);
    numbers.sort();
    if (!numbers.isEmpty())
        emit ledgersChanged(folder_, numbers);
    if (!created.isEmpty())
        emit customersAdded(created);
    emit reportWanted(folder_, batch, result);
    if (!result->warning.isEmpty())
        host_.message(result->warning);
    close();
}

} // namespace tw
