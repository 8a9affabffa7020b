#include "ledgerview/frmledgerview.h"

#include "export/ledgertable.h"
#include "ledger/ledgermodel.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "ledger/reversal.h"
#include "ledgerview/oddcelldelegate.h"
#include "platform/dospath.h"
#include "platform/host.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace tw {

namespace {

// Column widths in average characters: wide enough for the field's full width.
constexpr int kColumnChars[ledger::LedgerModel::ColumnCount] = {11, 9, 9, 11, 8, 40, 14, 11};
// Digits of the largest record number the row headings make room for.
constexpr int kRecordDigits = 7;

} // namespace

frmLedgerView::frmLedgerView(const DosPaths& paths, Host& host, Dialogs& dialogs,
                             const settings::SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), paths_(paths), host_(host) {
    setObjectName(QStringLiteral("frmLedgerView"));
    model_ = new ledger::LedgerModel(this);

    lblFilter = new QLabel(QStringLiteral("&Filter:"), this);
    lblFilter->setObjectName(QStringLiteral("lblFilter"));
    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setAccessibleName(QStringLiteral("Filter"));
    txtFilter->setClearButtonEnabled(true);
    lblFilter->setBuddy(txtFilter);
    connect(txtFilter, &QLineEdit::textChanged, this, [this] { txtFilter_Change(); });

    grdLedger = new QTableView(this);
    grdLedger->setObjectName(QStringLiteral("grdLedger"));
    grdLedger->setAccessibleName(QStringLiteral("Ledger entries"));
    grdLedger->setModel(model_);
    grdLedger->setItemDelegate(new OddCellDelegate(grdLedger));
    grdLedger->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdLedger->setSelectionMode(QAbstractItemView::SingleSelection);
    grdLedger->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdLedger->setWordWrap(false);
    grdLedger->setTabKeyNavigation(false);
    // Fixed row heights and column widths: nothing is measured over all rows, so a long
    // ledger opens as fast as a short one.
    QHeaderView* rows = grdLedger->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* cols = grdLedger->horizontalHeader();
    cols->setSectionResizeMode(QHeaderView::Interactive);
    cols->setStretchLastSection(true);
    const int ch = fontMetrics().averageCharWidth();
    const QFontMetrics headerMetrics(cols->font());
    // Room for the record numbers of a ledger of millions of entries from the start: headings
    // that widen once a long ledger is read would push the last column out of the window.
    rows->setMinimumWidth(
        QFontMetrics(rows->font()).horizontalAdvance(QString(kRecordDigits, u'9')) +
        2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, rows));
    int width = rows->minimumWidth() + 40;
    for (int c = 0; c < ledger::LedgerModel::ColumnCount; ++c) {
        // Wide enough for the field and for its heading, which is set in a bold face.
        const QString heading = model_->headerData(c, Qt::Horizontal).toString();
        const int w = std::max(kColumnChars[c] * ch, headerMetrics.horizontalAdvance(heading)) + 16;
        grdLedger->setColumnWidth(c, w);
        width += w;
    }

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setAccessibleName(QStringLiteral("Entries and total"));
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    cmdReverse = new QPushButton(QStringLiteral("&Reverse Entry"), this);
    cmdReverse->setObjectName(QStringLiteral("cmdReverse"));
    cmdReverse->setAccessibleName(QStringLiteral("Reverse Entry"));
    cmdReverse->setAutoDefault(false);
    connect(cmdReverse, &QPushButton::clicked, this, [this] { cmdReverse_Click(); });

    auto* top = new QHBoxLayout;
    top->addWidget(lblFilter);
    top->addWidget(txtFilter, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblSummary, 1);
    output = addTableButtons(this, bottom, {dialogs, host, settings},
                             [this] { return exports::ledgerTable(*model_, windowTitle()); });
    bottom->addWidget(cmdReverse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grdLedger, 1);
    layout->addLayout(bottom);

    auto* mnuReload = new QAction(QStringLiteral("Reload"), this);
    mnuReload->setObjectName(QStringLiteral("mnuReload"));
    mnuReload->setShortcut(QKeySequence(Qt::Key_F5));
    connect(mnuReload, &QAction::triggered, this, [this] { reload(); });
    addAction(mnuReload);
    auto* mnuClose = new QAction(QStringLiteral("Close"), this);
    mnuClose->setObjectName(QStringLiteral("mnuClose"));
    mnuClose->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(mnuClose, &QAction::triggered, this, &QWidget::close);
    addAction(mnuClose);

    resize(width, 24 * rows->defaultSectionSize());
    setTabOrder(txtFilter, grdLedger);
    setTabOrder(grdLedger, output.cmdExport);
    setTabOrder(output.cmdExport, output.cmdPrint);
    setTabOrder(output.cmdPrint, output.cmdPdf);
    setTabOrder(output.cmdPdf, cmdReverse);
}

frmLedgerView::~frmLedgerView() = default;

QString frmLedgerView::ledgerPath() const {
    return ledger::LedgerStore(paths_, folder_).ledgerPath(numberText_);
}

bool frmLedgerView::showLedger(const QString& ledgerFolder, const QString& numberText,
                               const QString& customerName) {
    // A ledger that cannot be shown leaves the window with the one it showed.
    const QString oldFolder = std::exchange(folder_, ledgerFolder);
    const QString oldNumber = std::exchange(numberText_, numberText);
    if (!load(false)) {
        folder_ = oldFolder;
        numberText_ = oldNumber;
        return false;
    }
    customerName_ = customerName;
    setWindowTitle(ledger::ledgerTitle(numberText, customerName));
    return true;
}

bool frmLedgerView::reload() {
    return load(true);
}

bool frmLedgerView::load(bool reloading) {
    const ledger::LedgerStore store(paths_, folder_);
    // A ledger shown without its file is reloaded as one: its file may still not be there.
    auto result = ledger::loadLedger(store, numberText_, reloading && note_.isEmpty());
    if (!result.contents) {
        host_.message(result.message);
        return false;
    }
    note_ = result.note;
    model_->setContents(std::move(*result.contents));
    showRows();
    return true;
}

bool frmLedgerView::selectRecord(std::int64_t record) {
    if (record < 0 || record >= model_->contents().count())
        return false;
    if (model_->rowOf(record) < 0)
        txtFilter->clear();
    selectRow(model_->rowOf(record));
    return model_->rowOf(record) >= 0;
}

void frmLedgerView::selectRow(int row) {
    if (row < 0)
        return;
    const QModelIndex at = model_->index(row, 0);
    grdLedger->setCurrentIndex(at);
    grdLedger->selectRow(row);
    grdLedger->scrollTo(at);
}

void frmLedgerView::showRows() {
    grdLedger->clearSpans();
    const int last = model_->rowCount() - 1;
    if (model_->isIncompleteRow(last))
        grdLedger->setSpan(last, 0, 1, ledger::LedgerModel::ColumnCount);
    lblSummary->setText(note_.isEmpty() ? ledger::LedgerModel::summaryText(model_->summary())
                                        : note_);
    selectRow(last);
}

void frmLedgerView::txtFilter_Change() {
    model_->setFilter(txtFilter->text());
    showRows();
}

void frmLedgerView::cmdReverse_Click() {
    const QModelIndexList selected = grdLedger->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    ledger::LedgerStore store(paths_, folder_);
    const auto plan = ledger::planReversal(store, numberText_,
                                           model_->recordAt(selected.first().row()), host_.today());
    if (!plan.refusal.isEmpty()) {
        host_.message(plan.refusal);
        return;
    }
    if (!host_.question(plan.question))
        return;
    const ledger::PostOutcome out = ledger::postReversal(store, numberText_, customerName_, plan);
    if (out.posted && load(true)) {
        const std::int64_t record = out.offset / ledger::LedgerEntryRecord::kLength;
        if (model_->rowOf(record) < 0) // the filter hides it: show every row
            txtFilter->clear();
        selectRow(model_->rowOf(record));
    }
    tellEach(host_, {out.error, out.warning});
}

} // namespace tw
