#include "report/frmactivity.h"

#include "ledger/ledgerrecords.h"
#include "platform/host.h"
#include "platform/regional.h"
#include "widgets/naming.h"
#include "widgets/sheetmodel.h"

#include <QAction>
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

namespace tw {

namespace {

QTableView* readOnlyTable(QWidget* parent, QAbstractItemModel* model) {
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

void addEsc(QWidget* w) {
    auto* close = new QAction(QStringLiteral("Close"), w);
    close->setObjectName(QStringLiteral("mnuClose"));
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    QObject::connect(close, &QAction::triggered, w, &QWidget::close);
    w->addAction(close);
}

} // namespace

frmActivity::frmActivity(const DosPaths& paths, Host& host, Dialogs& dialogs,
                         const settings::SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), paths_(paths), host_(host), out_{dialogs, host, settings} {
    setObjectName(QStringLiteral("frmActivity"));
    setWindowTitle(QStringLiteral("Invoicing Activity"));
    model_ = new SheetModel(this);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] { runStep(); });

    lblDates = named(new QLabel(QStringLiteral("Invoice &dates from"), this), "lblDates");
    txtFromDate = named(new QLineEdit(this), "txtFromDate", QStringLiteral("Invoice dates from"));
    txtToDate = named(new QLineEdit(this), "txtToDate", QStringLiteral("Invoice dates to"));
    lblDates->setBuddy(txtFromDate);
    lblGroup = named(new QLabel(QStringLiteral("&By"), this), "lblGroup");
    cboGroup = named(new QComboBox(this), "cboGroup", QStringLiteral("By"));
    cboGroup->addItem(QStringLiteral("Customer"), int(report::Grouping::Customer));
    cboGroup->addItem(QStringLiteral("Product"), int(report::Grouping::Product));
    cboGroup->addItem(QStringLiteral("Month"), int(report::Grouping::Month));
    lblGroup->setBuddy(cboGroup);
    lblSort = named(new QLabel(QStringLiteral("&Sort by"), this), "lblSort");
    cboSort = named(new QComboBox(this), "cboSort", QStringLiteral("Sort by"));
    cboSort->addItem(QStringLiteral("Total"), int(report::SortOrder::Total));
    cboSort->addItem(QStringLiteral("Name"), int(report::SortOrder::Name));
    lblSort->setBuddy(cboSort);
    connect(cboSort, &QComboBox::activated, this, [this] { cboSort_Click(); });

    cmdShow = named(new QPushButton(QStringLiteral("S&how"), this), "cmdShow", "Show");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel", "Cancel");
    cmdCancel->setEnabled(false);
    for (QPushButton* b : {cmdShow, cmdCancel})
        b->setAutoDefault(false);
    connect(cmdShow, &QPushButton::clicked, this, [this] { cmdShow_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    for (QLineEdit* box : {txtFromDate, txtToDate})
        connect(box, &QLineEdit::returnPressed, this, [this] { cmdShow_Click(); });

    grdReport = named(readOnlyTable(this, model_), "grdReport", QStringLiteral("Report"));
    grdReport->horizontalHeader()->setDefaultSectionSize(fontMetrics().averageCharWidth() * 14);
    grdReport->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(grdReport, &QTableView::doubleClicked, this,
            [this](const QModelIndex& at) { grdReport_DoubleClick(at.row()); });

    prgReport = named(new QProgressBar(this), "prgReport", QStringLiteral("Progress"));
    prgReport->hide();
    lblNotes = named(new QLabel(this), "lblNotes", QStringLiteral("Notes"));
    lblNotes->setWordWrap(true);
    lblNotes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdUnread = named(new QPushButton(QStringLiteral("&List Not Counted..."), this), "cmdUnread",
                      QStringLiteral("List Not Counted"));
    cmdUnread->setAutoDefault(false);
    cmdUnread->setEnabled(false);
    connect(cmdUnread, &QPushButton::clicked, this, [this] { cmdUnread_Click(); });

    auto* query = new QGridLayout;
    query->addWidget(lblDates, 0, 0);
    query->addWidget(txtFromDate, 0, 1);
    query->addWidget(new QLabel(QStringLiteral("to"), this), 0, 2);
    query->addWidget(txtToDate, 0, 3);
    query->addWidget(cmdShow, 0, 5);
    query->addWidget(lblGroup, 1, 0);
    query->addWidget(cboGroup, 1, 1);
    query->addWidget(lblSort, 1, 2);
    query->addWidget(cboSort, 1, 3);
    query->addWidget(cmdCancel, 1, 5);
    query->setColumnStretch(4, 1);
    // The notes on a line of their own: what was not counted may take a few lines.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cmdUnread);
    bottom->addStretch(1);
    output = addTableButtons(this, bottom, out_, [this] { return model_->table(); });
    output.setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(query);
    layout->addWidget(grdReport, 1);
    layout->addWidget(prgReport);
    layout->addWidget(lblNotes);
    layout->addLayout(bottom);
    addEsc(this);
    resize(fontMetrics().averageCharWidth() * 120, fontMetrics().height() * 30);
}

frmActivity::~frmActivity() = default;

void frmActivity::Form_Load() {
    const report::DateRange year = report::thisYear(host_.today());
    txtFromDate->setText(regional::shortDate(year.from));
    txtToDate->setText(regional::shortDate(year.to));
    txtFromDate->setFocus(Qt::OtherFocusReason);
}

bool frmActivity::running() const {
    return timer_->isActive();
}

void frmActivity::cmdShow_Click() {
    const report::RangeCheck check =
        report::checkRange(txtFromDate->text(), txtToDate->text(), host_.today());
    if (!check.range) {
        host_.message(check.message);
        return;
    }
    run_ = std::make_unique<report::ActivityRun>(paths_, folder_, *check.range,
                                                 report::Grouping(cboGroup->currentData().toInt()));
    cmdShow->setEnabled(false);
    cmdCancel->setEnabled(true);
    output.setEnabled(false);
    cmdUnread->setEnabled(false);
    prgReport->setRange(0, 0);
    prgReport->show();
    timer_->start(0);
}

void frmActivity::runStep() {
    if (run_->step(std::chrono::milliseconds(50))) {
        prgReport->setRange(0, std::max(1, run_->ledgerCount()));
        prgReport->setValue(run_->ledgersRead());
        return;
    }
    timer_->stop();
    prgReport->hide();
    cmdShow->setEnabled(true);
    cmdCancel->setEnabled(false);
    showReport();
}

void frmActivity::cmdCancel_Click() {
    if (!running())
        return;
    run_->cancel();
    runStep();
}

void frmActivity::cboSort_Click() {
    if (run_ && !running())
        showReport();
}

void frmActivity::showReport() {
    report_ = run_->report(report::SortOrder(cboSort->currentData().toInt()));
    const exports::Table table = report::activityTable(report_);
    lblNotes->setText(table.notes.join(u'\n'));
    model_->setTable(table);
    // The name column as wide as a customer's name; the others keep their width.
    grdReport->setColumnWidth(0, fontMetrics().averageCharWidth() * 42);
    output.setEnabled(true);
    cmdUnread->setEnabled(!report_.unread.empty());
    if (unread_)
        unread_->close();
}

void frmActivity::cmdUnread_Click() {
    if (unread_) {
        unread_->raise();
        unread_->activateWindow();
        return;
    }
    auto* w = new QWidget(this, Qt::Window);
    w->setObjectName(QStringLiteral("frmNotCounted"));
    w->setAttribute(Qt::WA_DeleteOnClose);
    auto* model = new SheetModel(w);
    model->setTable(report::unreadTable(report_));
    w->setWindowTitle(model->table().title);
    auto* view = named(readOnlyTable(w, model), "grdNotCounted", model->table().title);
    auto* notes = new QLabel(model->table().notes.join(u'\n'), w);
    notes->setWordWrap(true);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    addTableButtons(w, bottom, out_, [model] { return model->table(); });
    auto* layout = new QVBoxLayout(w);
    layout->addWidget(view, 1);
    layout->addWidget(notes);
    layout->addLayout(bottom);
    addEsc(w);
    w->resize(width(), height() / 2);
    unread_ = w;
    w->show();
}

void frmActivity::grdReport_DoubleClick(int row) {
    if (report_.by != report::Grouping::Customer || row < 0 || row >= int(report_.rows.size()))
        return;
    const report::ActivityRow& r = report_.rows[std::size_t(row)];
    if (r.ledger > 0)
        emit ledgerWanted(folder_, ledger::ledgerNumberText(r.ledger), r.name);
}

} // namespace tw
