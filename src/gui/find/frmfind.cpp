#include "find/frmfind.h"

#include "find/findquery.h"
#include "find/findresults.h"
#include "find/ledgersearch.h"
#include "ledger/ledgerrecords.h"
#include "platform/host.h"
#include "widgets/naming.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace tw {

namespace {

constexpr find::Field kFields[] = {find::Field::Invoice, find::Field::Job, find::Field::PO,
                                   find::Field::Description, find::Field::Any};
// Column widths in average characters: ledger, customer, invoice, job, P.O., date, amount.
constexpr int kColumnChars[] = {6, 28, 9, 9, 11, 11, 14};

} // namespace

frmFind::frmFind(const DosPaths& paths, Host& host, Dialogs& dialogs,
                 const settings::SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), paths_(paths), host_(host) {
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    results_ = new FindResults(this);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] { searchStep(); });

    lblFind = named(new QLabel(QStringLiteral("F&ind:"), this), "lblFind");
    txtFind = named(new QLineEdit(this), "txtFind", QStringLiteral("Find"));
    lblFind->setBuddy(txtFind);
    lblField = named(new QLabel(QStringLiteral("I&n:"), this), "lblField");
    cboField = named(new QComboBox(this), "cboField", QStringLiteral("Field"));
    for (const find::Field f : kFields)
        cboField->addItem(find::fieldCaption(f), int(f));
    cboField->setCurrentIndex(cboField->count() - 1);
    lblField->setBuddy(cboField);
    chkExact = named(new QCheckBox(QStringLiteral("&Exact match"), this), "chkExact");

    lblDates = named(new QLabel(QStringLiteral("Invoice &dates from"), this), "lblDates");
    txtFromDate = named(new QLineEdit(this), "txtFromDate", QStringLiteral("Invoice dates from"));
    txtToDate = named(new QLineEdit(this), "txtToDate", QStringLiteral("Invoice dates to"));
    lblDates->setBuddy(txtFromDate);
    lblAmounts = named(new QLabel(QStringLiteral("A&mounts from"), this), "lblAmounts");
    txtMinAmount = named(new QLineEdit(this), "txtMinAmount", QStringLiteral("Amounts from"));
    txtMaxAmount = named(new QLineEdit(this), "txtMaxAmount", QStringLiteral("Amounts to"));
    lblAmounts->setBuddy(txtMinAmount);

    cmdFind = named(new QPushButton(QStringLiteral("&Find"), this), "cmdFind", "Find");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel", "Cancel");
    cmdCancel->setEnabled(false);
    for (QPushButton* b : {cmdFind, cmdCancel})
        b->setAutoDefault(false);
    connect(cmdFind, &QPushButton::clicked, this, [this] { cmdFind_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    for (QLineEdit* box : {txtFind, txtFromDate, txtToDate, txtMinAmount, txtMaxAmount})
        connect(box, &QLineEdit::returnPressed, this, [this] { cmdFind_Click(); });

    grdResults = named(new QTableView(this), "grdResults", QStringLiteral("Results"));
    grdResults->setModel(results_);
    grdResults->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdResults->setSelectionMode(QAbstractItemView::SingleSelection);
    grdResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdResults->setWordWrap(false);
    grdResults->setTabKeyNavigation(false);
    // Fixed row heights and column widths: nothing is measured over all rows, so a hundred
    // thousand results arrive as fast as ten.
    grdResults->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdResults->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    grdResults->horizontalHeader()->setStretchLastSection(true);
    const int ch = fontMetrics().averageCharWidth();
    int width = 80;
    for (int c = 0; c < int(std::size(kColumnChars)); ++c) {
        grdResults->setColumnWidth(c, kColumnChars[c] * ch + 16);
        width += kColumnChars[c] * ch + 16;
    }
    connect(grdResults, &QTableView::activated, this,
            [this](const QModelIndex& at) { grdResults_Activated(at.row()); });

    prgSearch = named(new QProgressBar(this), "prgSearch", QStringLiteral("Progress"));
    prgSearch->setTextVisible(true);
    prgSearch->hide();
    lblSummary = named(new QLabel(this), "lblSummary", QStringLiteral("Entries found and total"));
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblSummary->setWordWrap(true);

    auto* query = new QGridLayout;
    query->addWidget(lblFind, 0, 0);
    query->addWidget(txtFind, 0, 1, 1, 3);
    query->addWidget(lblField, 0, 4);
    query->addWidget(cboField, 0, 5);
    query->addWidget(chkExact, 0, 6);
    query->addWidget(lblDates, 1, 0);
    query->addWidget(txtFromDate, 1, 1);
    query->addWidget(new QLabel(QStringLiteral("to"), this), 1, 2);
    query->addWidget(txtToDate, 1, 3);
    query->addWidget(lblAmounts, 2, 0);
    query->addWidget(txtMinAmount, 2, 1);
    query->addWidget(new QLabel(QStringLiteral("to"), this), 2, 2);
    query->addWidget(txtMaxAmount, 2, 3);
    query->addWidget(cmdFind, 1, 6);
    query->addWidget(cmdCancel, 2, 6);
    query->setColumnStretch(1, 1);
    query->setColumnStretch(3, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    output = addTableButtons(this, bottom, {dialogs, host, settings},
                             [this] { return search_ ? search_->table() : exports::Table{}; });
    output.setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(query);
    layout->addWidget(grdResults, 1);
    layout->addWidget(prgSearch);
    layout->addWidget(lblSummary);
    layout->addLayout(bottom);

    auto* mnuClose = new QAction(QStringLiteral("Close"), this);
    mnuClose->setObjectName(QStringLiteral("mnuClose"));
    mnuClose->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(mnuClose, &QAction::triggered, this, &QWidget::close);
    addAction(mnuClose);

    resize(width + 40 * ch, 28 * grdResults->verticalHeader()->defaultSectionSize());
}

frmFind::~frmFind() {
    // The model must not outlive the rows it shows.
    results_->setSearch(nullptr);
}

void frmFind::Form_Load() {
    txtFind->setFocus(Qt::OtherFocusReason);
}

bool frmFind::searching() const {
    return timer_->isActive();
}

void frmFind::cmdFind_Click() {
    find::QueryTexts texts;
    texts.text = txtFind->text();
    texts.field = find::Field(cboField->currentData().toInt());
    texts.exact = chkExact->isChecked();
    texts.fromDate = txtFromDate->text();
    texts.toDate = txtToDate->text();
    texts.minAmount = txtMinAmount->text();
    texts.maxAmount = txtMaxAmount->text();
    const find::QueryCheck check = find::checkQuery(texts, host_.today());
    if (!check.query) {
        host_.message(check.message);
        return;
    }
    timer_->stop();
    results_->setSearch(nullptr);
    searchedFolder_ = folder_;
    search_ = std::make_unique<find::LedgerSearch>(paths_, folder_, *check.query);
    results_->setSearch(search_.get());
    cmdFind->setEnabled(false);
    cmdCancel->setEnabled(true);
    output.setEnabled(false);
    lblSummary->setText(find::describe(*check.query));
    prgSearch->setRange(0, 0);
    prgSearch->show();
    timer_->start(0);
}

void frmFind::searchStep() {
    const bool more = search_->step(find::LedgerSearch::kSlice);
    results_->rowsArrived();
    if (more)
        showProgress();
    else
        finish();
}

void frmFind::showProgress() {
    prgSearch->setRange(0, std::max(1, search_->ledgerCount()));
    prgSearch->setValue(search_->ledgersRead());
    prgSearch->setFormat(search_->progressText());
    lblSummary->setText(search_->summaryText());
}

void frmFind::finish() {
    timer_->stop();
    prgSearch->hide();
    cmdFind->setEnabled(true);
    cmdCancel->setEnabled(false);
    output.setEnabled(true);
    lblSummary->setText(search_->summaryText());
}

void frmFind::cmdCancel_Click() {
    if (!searching())
        return;
    search_->cancel();
    finish();
}

void frmFind::grdResults_Activated(int row) {
    const find::FindRow* r = results_->rowAt(row);
    if (!r || r->isProblem() || r->ledger <= 0)
        return;
    emit ledgerWanted(searchedFolder_, ledger::ledgerNumberText(r->ledger),
                      search_->customer(r->ledger), r->record);
}

} // namespace tw
