#include "mainwindow/frmledger.h"

#include "ledger/ledgermodel.h"
#include "ledger/ledgerstore.h"

#include "platform/dospath.h"
#include "platform/host.h"
#include "settings/defaulttax.h"
#include "settings/settings.h"
#include "widgets/completingcombobox.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "widgets/dialogs.h"
#include "widgets/fieldevents.h"
#include "widgets/geometry.h"
#include "widgets/panelbutton.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>

#include <utility>

namespace tw {

frmLedger::frmLedger(const DosPaths& paths, settings::SettingsStore& settings,
                     settings::DefaultTax& defaultTax, Host& host, Dialogs& dialogs,
                     QWidget* parent)
    : QMainWindow(parent), paths_(paths), settings_(settings), defaultTax_(defaultTax), host_(host),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmLedger"));
    setWindowTitle(QStringLiteral("Tallywork of Historical Ledger"));
    events_ = new FieldEvents(this);
    buildMenu();
    buildLayout();
    connectHandlers();

    // Fixed size: the client area as laid out plus the menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    centreOnScreen(this);

    // The lowest tab index has the focus when the window first shows.
    AeDate->setFocus(Qt::OtherFocusReason);
}

frmLedger::~frmLedger() {
    // Children are destroyed after this body; their last focus-out must not reach handlers
    // that read sibling controls.
    events_->detachAll();
}

void frmLedger::connectHandlers() {
    // Each field's Enter key and its leaving.
    using Key = void (frmLedger::*)(int&);
    using Leave = void (frmLedger::*)();
    const struct {
        QWidget* field;
        Key enter;
        Leave leave;
    } fields[] = {
        {AeDate, nullptr, &frmLedger::AeDate_LostFocus},
        {cboCust, &frmLedger::cboCust_KeyPress, &frmLedger::cboCust_LostFocus},
        {AeDue, nullptr, &frmLedger::AeDue_LostFocus},
        {txtInvoice, &frmLedger::txtInvoice_KeyPress, &frmLedger::txtInvoice_LostFocus},
        {cboProd, &frmLedger::cboProd_KeyPress, nullptr},
        {txtJob, &frmLedger::txtJob_KeyPress, &frmLedger::txtJob_LostFocus},
        {txtPO, &frmLedger::txtPO_KeyPress, nullptr},
        {txtQuan, &frmLedger::txtQuan_KeyPress, nullptr},
        {txtAmt, &frmLedger::txtAmt_KeyPress, &frmLedger::txtAmt_LostFocus},
        {txtSearch, &frmLedger::txtSearch_KeyPress, &frmLedger::txtSearch_LostFocus},
        {txtDefaultTax, &frmLedger::txtDefaultTax_KeyPress, &frmLedger::txtDefaultTax_LostFocus},
    };
    for (const auto& f : fields) {
        if (f.enter)
            events_->onEnter(f.field, [this, h = f.enter](int& keyAscii) { (this->*h)(keyAscii); });
        if (f.leave)
            events_->onLeave(f.field, [this, h = f.leave] { (this->*h)(); });
    }
    // Every typed key reaches its handler (it beeps on a full box).
    events_->onTypedKey(txtDesc, [this](int& keyAscii) { txtDesc_KeyPress(keyAscii); });

    // Only a choice from the list (mouse, arrow keys or the completion) counts as a click;
    // text set by the program does not.
    connect(cboCust, &QComboBox::activated, this, [this](int) {
        // The box also reports a typed name that equals an entry when it is left or Enter is
        // pressed; that is typing, answered by the leave rule, not a choice from the list.
        if (events_->redelivering(cboCust))
            return;
        cboCust_Click();
    });
    // Like the old check boxes, whose click also ran when the program set their value: both
    // handlers follow every change of state, by the operator or by code.
    connect(Check1, &QCheckBox::toggled, this, [this](bool) { Check1_Click(); });
    connect(Check2, &QCheckBox::toggled, this, [this](bool) { Check2_Click(); });
    connect(optDos, &QRadioButton::clicked, this, [this] { optDos_Click(); });
    connect(optMil, &QRadioButton::clicked, this, [this] { optMil_Click(); });
    connect(btnGetList, &PanelButton::clicked, this, [this] { lblRefresh_Click(); });
    connect(btnClear, &PanelButton::clicked, this, [this] { lblClear_Click(); });
    // A click whose press took the focus from a box that then filled the entry (a job lookup
    // on leaving the search box) does not post: the operator has not seen that entry yet.
    connect(btnPost, &PanelButton::pressed, this, [this] { postWithheld_ = filledOnLeaving_; });
    connect(btnPost, &PanelButton::clicked, this, [this] {
        if (std::exchange(postWithheld_, false))
            return;
        lblPost_Click();
    });
}

void frmLedger::buildMenu() {
    QMenuBar* bar = menuBar();
    File = bar->addMenu(QStringLiteral("&File"));
    File->setObjectName(QStringLiteral("File"));

    auto entry = [&](QAction*& member, const char* name, const QString& caption) {
        member = File->addAction(caption);
        member->setObjectName(QLatin1String(name));
    };
    entry(mnuPostFromFile, "mnuPostFromFile", QStringLiteral("Post from File..."));
    mnuPostFromFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    mnuPostFromFile->setShortcutContext(Qt::WindowShortcut);
    File->addSeparator();
    entry(mnuDefaultTax, "mnuDefaultTax", QStringLiteral("Default Tax %"));
    // The default tax is typed into its box; this entry is never offered.
    mnuDefaultTax->setEnabled(false);
    entry(mnuLedgerPath, "mnuLedgerPath", QStringLiteral("Set Ledger Path"));
    entry(mnuEstPath, "mnuEstPath", QStringLiteral("Set Text Estimate Path"));
    entry(mnuDbPath, "mnuDbPath", QStringLiteral("Set Database Path"));
    File->addSeparator();
    entry(mnuText, "mnuText", QStringLiteral("Using Text Files"));
    entry(mnuDatabase, "mnuDatabase", QStringLiteral("Using Database"));
    mnuText->setCheckable(true);
    mnuDatabase->setCheckable(true);

    View = bar->addMenu(QStringLiteral("&View"));
    View->setObjectName(QStringLiteral("View"));
    mnuCustomerLedger = View->addAction(QStringLiteral("Customer Ledger"));
    mnuCustomerLedger->setObjectName(QStringLiteral("mnuCustomerLedger"));
    mnuCustomerLedger->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuCustomerLedger->setShortcutContext(Qt::WindowShortcut);
    mnuFind = View->addAction(QStringLiteral("Find..."));
    mnuFind->setObjectName(QStringLiteral("mnuFind"));
    mnuFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuFind->setShortcutContext(Qt::WindowShortcut);
    mnuActivity = View->addAction(QStringLiteral("Activity Report..."));
    mnuActivity->setObjectName(QStringLiteral("mnuActivity"));

    mnuHelp = bar->addAction(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));

    connect(mnuPostFromFile, &QAction::triggered, this, [this] { mnuPostFromFile_Click(); });
    connect(mnuDefaultTax, &QAction::triggered, this, [this] { mnuDefaultTax_Click(); });
    connect(mnuLedgerPath, &QAction::triggered, this, [this] { mnuLedgerPath_Click(); });
    connect(mnuEstPath, &QAction::triggered, this, [this] { mnuEstPath_Click(); });
    connect(mnuDbPath, &QAction::triggered, this, [this] { mnuDbPath_Click(); });
    connect(mnuHelp, &QAction::triggered, this, [this] { mnuHelp_Click(); });
    connect(mnuCustomerLedger, &QAction::triggered, this, [this] { mnuCustomerLedger_Click(); });
    connect(mnuFind, &QAction::triggered, this, [this] { mnuFind_Click(); });
    connect(mnuActivity, &QAction::triggered, this, [this] { mnuActivity_Click(); });
    // The two mode entries only show the mode: choosing one must not change its tick.
    auto restoreTicks = [this] { setMenusForMode(optMil && optMil->isChecked()); };
    connect(mnuText, &QAction::triggered, this, restoreTicks);
    connect(mnuDatabase, &QAction::triggered, this, restoreTicks);

    setMenusForMode(false);
}

// ---- Mode options and menu ----

void frmLedger::setMenusForMode(bool database) {
    mnuDatabase->setChecked(database);
    mnuDatabase->setEnabled(database);
    mnuText->setChecked(!database);
    mnuText->setEnabled(!database);
    mnuEstPath->setEnabled(!database);
}

void frmLedger::optDos_Click() {
    settings_.write(settings::kInterface, QStringLiteral("0"));
    setMenusForMode(false);
}

void frmLedger::optMil_Click() {
    settings_.write(settings::kInterface, QStringLiteral("1"));
    setMenusForMode(true);
}

void frmLedger::selectMode(bool database) {
    QRadioButton* option = database ? optMil : optDos;
    if (option->isChecked()) {
        // Already selected: no click, but the menus must still agree with it.
        setMenusForMode(database);
        return;
    }
    option->setChecked(true); // the other option clears itself, which runs nothing
    if (database)
        optMil_Click();
    else
        optDos_Click();
}

void frmLedger::mnuDefaultTax_Click() {
    // The box keeps its text.
    defaultTax_.reread();
}

void frmLedger::mnuLedgerPath_Click() {
    // The field being left runs its leaving checks before the chooser takes over.
    txtAmt->setFocus(Qt::OtherFocusReason);
    emit ledgerChooserWanted();
}

void frmLedger::mnuEstPath_Click() {
    emit estChooserWanted();
}

void frmLedger::mnuHelp_Click() {
    emit helpWanted();
}

void frmLedger::mnuCustomerLedger_Click() {
    // A name typed and not yet left is looked up first, as leaving the box does.
    if (cboCust->hasFocus())
        cboCust_LostFocus();
    ledger::LedgerStore store(paths_, gLedger);
    const auto c = ledger::chooseLedger(store, txtLedger->text(), cboCust->currentText());
    if (!c.message.isEmpty()) {
        host_.message(c.message);
        return;
    }
    emit customerLedgerWanted(gLedger, c.numberText, c.owner);
}

void frmLedger::mnuFind_Click() {
    emit findWanted(gLedger);
}

void frmLedger::mnuActivity_Click() {
    emit activityWanted(gLedger);
}

void frmLedger::mnuPostFromFile_Click() {
    const QString path =
        dialogs_.chooseOpenFile(this, QStringLiteral("Post from File"), QString(),
                                QStringLiteral("Spreadsheet files (*.csv *.txt);;All files (*)"));
    if (!path.isEmpty())
        emit postFromFileWanted(gLedger, path);
}

void frmLedger::mnuDbPath_Click() {
    // Start where the current database lies, else in the program folder.
    QString startFolder = settings_.folder();
    if (const auto current = settings_.read(settings::kDbLoc); current && !current->isEmpty()) {
        const QString native = paths_.toNative(*current);
        const QString folder = native.isEmpty() ? QString() : QFileInfo(native).absolutePath();
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            startFolder = folder;
    }
    const QString chosen = dialogs_.chooseDatabaseFile(this, startFolder);
    if (chosen.isEmpty())
        return;
    QString stored = paths_.toDos(chosen);
    if (stored.isEmpty())
        stored = chosen;
    settings_.write(settings::kDbLoc, settings::quotedIfNeeded(stored));
}

// ---- Event dispatch ----

void frmLedger::closeEvent(QCloseEvent* event) {
    // Files are opened and closed within each event, so none is left open here; closing is
    // never refused.
    event->accept();
}

} // namespace tw
