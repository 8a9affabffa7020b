#include "mainwindow/frmledger.h"

#include "ledger/ledgermodel.h"
#include "ledger/ledgerstore.h"

#include "app/appcontext.h"
#include "platform/host.h"
#include "settings/settings.h"
#include "sources/listorder.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "widgets/dialogs.h"
#include "widgets/fieldevents.h"
#include "widgets/geometry.h"
#include "widgets/panelbutton.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QStringListModel>
#include <QStyle>

#include <utility>

namespace tw {

namespace {

const QColor kFormBack(221, 219, 205);
const QColor kFieldBack(192, 255, 255);
const QColor kPanelBack(191, 191, 170);
const QColor kRed(255, 0, 0);

constexpr int kClientWidth = 8085;
constexpr int kClientHeight = 4980;

// Where the form's font is missing, a face of like widths keeps the captions inside their
// boxes (the generic fallback is a much wider face).
void substituteFormFont() {
    static const bool done = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                                    QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
        return true;
    }();
    (void)done;
}

QFont sansFont(double points, bool bold) {
    substituteFormFont();
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QFont labelFont() {
    return sansFont(9.75, true);
}
QFont fieldFont() {
    return sansFont(8.25, false);
}

// The light cyan of the entry fields, kept when a field is disabled (the ledger number box).
void paintFieldBack(QWidget* w) {
    QPalette p = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, kFieldBack);
    w->setPalette(p);
}

void setTextColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive})
        p.setColor(group, QPalette::WindowText, c);
    w->setPalette(p);
}

void fillBack(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// The box's text just before the key now being handled, to tell typing from deleting.
const char* const kTextBefore = "twTextBefore";

// Completes a name being typed into a list box with the first entry (in list order) that
// begins with it, compared without regard to case. The whole entry, in its own spelling,
// replaces the text and the part not typed is selected, so typing on overwrites it. Taking
// the entry's spelling matters: a typed prefix with a completed tail in other capitals would
// be a name in neither the list nor the ledger index, and would post to a new ledger.
void completeFromList(QComboBox* box, const QString& typed) {
    QLineEdit* edit = box->lineEdit();
    const QString before = box->property(kTextBefore).toString();
    if (typed.isEmpty() || typed.size() <= before.size() || edit->hasSelectedText() ||
        edit->cursorPosition() != typed.size())
        return; // deleting, or typing inside the text: leave it as it is
    // A list filled by setListEntries is in collation order and is searched by halves; any
    // other contents of the box are searched from the top.
    const auto* model = qobject_cast<const QStringListModel*>(box->model());
    const qsizetype row = model ? sources::completionRow(model->stringList(), typed)
                                : box->findText(typed, Qt::MatchStartsWith);
    if (row < 0)
        return;
    const QString entry = box->itemText(int(row));
    edit->setText(entry);
    edit->setSelection(entry.size(), typed.size() - entry.size());
}

} // namespace

frmLedger::frmLedger(AppContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("frmLedger"));
    setWindowTitle(QStringLiteral("Tallywork of Historical Ledger"));
    events_ = new FieldEvents(this);
    buildMenu();
    buildLayout();

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

void frmLedger::buildLayout() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsToPixelsX(kClientWidth), twipsToPixelsY(kClientHeight));
    fillBack(client, kFormBack);
    setCentralWidget(client);

    auto label = [&](QLabel*& member, const char* name, const QString& caption, int l, int t, int w,
                     int h, Qt::Alignment align = Qt::AlignRight | Qt::AlignTop) {
        member = new QLabel(caption, client);
        member->setObjectName(QLatin1String(name));
        member->setTextFormat(Qt::PlainText);
        member->setFont(labelFont());
        member->setAlignment(align);
        member->setFocusPolicy(Qt::NoFocus);
        placeTwips(member, l, t, w, h);
        return member;
    };
    auto textBox = [&](QLineEdit*& member, const char* name, int maxLength, int l, int t, int w,
                       int h) {
        member = new QLineEdit(client);
        member->setObjectName(QLatin1String(name));
        member->setFont(fieldFont());
        if (maxLength > 0)
            member->setMaxLength(maxLength);
        paintFieldBack(member);
        placeTwips(member, l, t, w, h);
        return member;
    };
    auto dateBox = [&](DateEntryBox*& member, const char* name, int l, int t, int w, int h) {
        member = new DateEntryBox(client);
        member->setObjectName(QLatin1String(name));
        member->setHost(ctx_.host);
        paintFieldBack(member);
        placeTwips(member, l, t, w, h);
    };
    // Handlers of a box's Enter key and of its leaving.
    auto onEnter = [&](QWidget* box, void (frmLedger::*handler)(int&)) {
        events_->onEnter(box, [this, handler](int& keyAscii) { (this->*handler)(keyAscii); });
    };
    auto onLeave = [&](QWidget* box, void (frmLedger::*handler)()) {
        events_->onLeave(box, [this, handler] { (this->*handler)(); });
    };
    auto listBox = [&](QComboBox*& member, const char* name, int l, int t, int w, int h) {
        member = new QComboBox(client);
        member->setObjectName(QLatin1String(name));
        member->setFont(fieldFont());
        member->setEditable(true);
        // A typed name is a lookup key, never a new list entry.
        member->setInsertPolicy(QComboBox::NoInsert);
        member->setMaxVisibleItems(16);
        // Completion is the window's own (completeFromList): it takes the entry's spelling.
        member->setCompleter(nullptr);
        connect(member->lineEdit(), &QLineEdit::textEdited, this,
                [member](const QString& text) { completeFromList(member, text); });
        // What stays of the text when the key replaces the selection (a completed tail).
        events_->beforeKey(member, [member] {
            QString kept = member->currentText();
            if (member->lineEdit()->hasSelectedText())
                kept.remove(member->lineEdit()->selectionStart(),
                            member->lineEdit()->selectedText().size());
            member->setProperty(kTextBefore, kept);
        });
        member->setCurrentIndex(-1);
        member->setEditText(QString());
        paintFieldBack(member);
        placeTwips(member, l, t, w, h);
    };
    // "Box only" check boxes: the indicator is sized to the small box the layout gives it.
    auto checkBox = [&](QCheckBox*& member, const char* name, int l, int t, int w, int h) {
        member = new QCheckBox(client);
        member->setObjectName(QLatin1String(name));
        member->setStyleSheet(QStringLiteral("QCheckBox { spacing: 0px; }"
                                             "QCheckBox::indicator { width: %1px; height: %1px; }")
                                  .arg(std::min(twipsToPixelsX(w), twipsToPixelsY(h))));
        placeTwips(member, l, t, w, h);
    };

    label(Label13, "Label13", QStringLiteral("Quillbar's"), 120, 150, 7815, 255,
          Qt::AlignHCenter | Qt::AlignTop);
    Label13->setFont(sansFont(12, true));
    label(Label1, "Label1", QStringLiteral("Historical Ledger Tallywork"), 240, 360, 7575, 615,
          Qt::AlignHCenter | Qt::AlignTop);
    Label1->setFont(sansFont(24, true));
    setTextColour(Label1, kRed);
    // Plain text: the ampersand is shown as it stands, not taken as a mnemonic.
    label(Label14, "Label14", QStringLiteral("Match Invoice & Job No's:"), 2400, 960, 2775, 255);
    checkBox(Check1, "Check1", 5280, 960, 135, 195);

    label(Label6, "Label6", QStringLiteral("Ledger Number:"), 0, 1320, 1815, 255);
    textBox(txtLedger, "txtLedger", 0, 1920, 1320, 1575, 285);
    // Set only by the lookup and posting; the operator can neither type into it nor reach it.
    txtLedger->setEnabled(false);
    label(lblNew, "lblNew", QStringLiteral("*New Ledger*"), 3600, 1320, 1455, 255,
          Qt::AlignLeft | Qt::AlignTop);
    setTextColour(lblNew, kRed);
    lblNew->setVisible(false);
    label(Label3, "Label3", QStringLiteral("Invoice Date:"), 5100, 1320, 1455, 255);
    label(Label5, "Label5", QStringLiteral("m/d/yyyy"), 6840, 1095, 975, 255,
          Qt::AlignHCenter | Qt::AlignTop);
    dateBox(AeDate, "AeDate", 6650, 1320, 1170, 315);
    onLeave(AeDate, &frmLedger::AeDate_LostFocus);

    label(Label2, "Label2", QStringLiteral("Customer Name:"), 0, 1680, 1815, 255);
    listBox(cboCust, "cboCust", 1920, 1680, 3135, 315);
    onEnter(cboCust, &frmLedger::cboCust_KeyPress);
    onLeave(cboCust, &frmLedger::cboCust_LostFocus);
    label(Label4, "Label4", QStringLiteral("Due Date:"), 5100, 1680, 1455, 255);
    dateBox(AeDue, "AeDue", 6650, 1680, 1170, 315);
    onLeave(AeDue, &frmLedger::AeDue_LostFocus);

    label(Label7, "Label7", QStringLiteral("Invoice Number:"), 0, 2040, 1815, 255);
    textBox(txtInvoice, "txtInvoice", 8, 1920, 2040, 1215, 315);
    onEnter(txtInvoice, &frmLedger::txtInvoice_KeyPress);
    onLeave(txtInvoice, &frmLedger::txtInvoice_LostFocus);
    label(Label10, "Label10", QStringLiteral("Product Code:"), 3240, 2040, 1815, 255);
    listBox(cboProd, "cboProd", 5160, 2040, 2655, 315);
    onEnter(cboProd, &frmLedger::cboProd_KeyPress);

    label(Label8, "Label8", QStringLiteral("Job Number:"), 0, 2400, 1815, 255);
    textBox(txtJob, "txtJob", 8, 1920, 2400, 1215, 315);
    onEnter(txtJob, &frmLedger::txtJob_KeyPress);
    onLeave(txtJob, &frmLedger::txtJob_LostFocus);
    label(Label11, "Label11", QStringLiteral("Description:"), 3240, 2400, 1815, 255);
    txtDesc = new DescriptionBox(client);
    txtDesc->setObjectName(QStringLiteral("txtDesc"));
    txtDesc->setFont(fieldFont());
    txtDesc->setMaxLength(76);
    paintFieldBack(txtDesc);
    placeTwips(txtDesc, 5160, 2400, 2655, 735);
    // Every typed key reaches its handler (it beeps on a full box).
    events_->onTypedKey(txtDesc, [this](int& keyAscii) { txtDesc_KeyPress(keyAscii); });

    label(Label9, "Label9", QStringLiteral("P.O. Number:"), 0, 2760, 1815, 255);
    textBox(txtPO, "txtPO", 10, 1920, 2760, 1215, 315);
    onEnter(txtPO, &frmLedger::txtPO_KeyPress);
    label(lblQuan, "lblQuan", QStringLiteral("Quantity:"), 0, 3120, 1815, 255);
    textBox(txtQuan, "txtQuan", 10, 1920, 3120, 1215, 315);
    onEnter(txtQuan, &frmLedger::txtQuan_KeyPress);
    label(lblAmt, "lblAmt", QStringLiteral("Pre-Tax Amount:"), 4680, 3240, 2055, 255);
    textBox(txtAmt, "txtAmt", 10, 6840, 3240, 975, 315);
    onEnter(txtAmt, &frmLedger::txtAmt_KeyPress);
    onLeave(txtAmt, &frmLedger::txtAmt_LostFocus);

    label(lblSearch, "lblSearch", QStringLiteral("Search for Job:"), 0, 3600, 1815, 255);
    textBox(txtSearch, "txtSearch", 0, 1920, 3600, 1215, 315);
    onEnter(txtSearch, &frmLedger::txtSearch_KeyPress);
    onLeave(txtSearch, &frmLedger::txtSearch_LostFocus);
    label(lblDefaultTax, "lblDefaultTax", QStringLiteral("Default Tax %:"), 3000, 3600, 2055, 255);
    textBox(txtDefaultTax, "txtDefaultTax", 10, 5160, 3600, 495, 315);
    onEnter(txtDefaultTax, &frmLedger::txtDefaultTax_KeyPress);
    onLeave(txtDefaultTax, &frmLedger::txtDefaultTax_LostFocus);
    checkBox(Check2, "Check2", 6000, 3650, 135, 195);
    label(lblTax, "lblTax", QStringLiteral("Tax:"), 4680, 3600, 2055, 255);
    textBox(txtTax, "txtTax", 10, 6840, 3600, 975, 315);
    label(lblInvAmt, "lblInvAmt", QStringLiteral("Invoice Amount:"), 4680, 3960, 2055, 255);
    textBox(txtInvAmt, "txtInvAmt", 10, 6840, 3960, 975, 315);

    label(lblVersion, "lblVersion", QStringLiteral(" Version:"), 120, 3840, 2775, 255,
          Qt::AlignLeft | Qt::AlignTop);
    QFont versionFont(QStringLiteral("Arial"));
    versionFont.setStyleHint(QFont::SansSerif);
    versionFont.setPointSizeF(8.25);
    versionFont.setBold(true);
    lblVersion->setFont(versionFont);

    Picture1 = new QFrame(client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setLineWidth(1);
    fillBack(Picture1, kPanelBack);
    // The panel only groups the two options; the focus stops on the option itself.
    Picture1->setFocusPolicy(Qt::NoFocus);
    placeTwips(Picture1, 120, 4080, 2295, 735);
    optMil = new QRadioButton(QStringLiteral("Meridian Database"), Picture1);
    optMil->setObjectName(QStringLiteral("optMil"));
    optMil->setFont(fieldFont());
    placeTwips(optMil, 120, 120, 2055, 195);
    // Database mode comes only from the interface file, at loading or Refresh.
    optMil->setEnabled(false);
    optDos = new QRadioButton(QStringLiteral("Text Files (ASCII/Dos)"), Picture1);
    optDos->setObjectName(QStringLiteral("optDos"));
    optDos->setFont(fieldFont());
    placeTwips(optDos, 120, 360, 1935, 195);
    optDos->setChecked(true);
    for (QRadioButton* option : {optMil, optDos}) {
        // Greyed text as the office knows it: the style's own disabled grey vanishes on the
        // panel's colour.
        QPalette p = option->palette();
        p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
        p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
        option->setPalette(p);
        // The stand-in fonts run wider than the form's: the caption gives way in size rather
        // than being cut off.
        QFont f = option->font();
        while (option->sizeHint().width() > option->width() && f.pointSizeF() > 6.0) {
            f.setPointSizeF(f.pointSizeF() - 0.25);
            option->setFont(f);
        }
    }

    auto panelButton = [&](PanelButton*& button, const char* name, QLabel*& caption,
                           const char* captionName, const QString& text, int l) {
        button = new PanelButton(text, client);
        button->setObjectName(QLatin1String(name));
        button->setFocusPolicy(Qt::StrongFocus);
        caption = button->label();
        caption->setObjectName(QLatin1String(captionName));
        caption->setFont(labelFont());
        placeTwips(button, l, 4440, 1095, 390);
    };
    panelButton(btnGetList, "btnGetList", lblRefresh, "lblRefresh", QStringLiteral("Refresh"),
                2760);
    panelButton(btnClear, "btnClear", lblClear, "lblClear", QStringLiteral("Clear"), 3960);
    panelButton(btnPost, "btnPost", lblPost, "lblPost", QStringLiteral("Post"), 5160);

    // The database links have no face; they lie below the client area and are never seen.
    auto dataLink = [&](QLabel*& member, const char* name, const QString& caption, int top) {
        member = new QLabel(caption, client);
        member->setObjectName(QLatin1String(name));
        member->setFocusPolicy(Qt::NoFocus);
        placeTwips(member, 3960, top, 1140, 345);
    };
    dataLink(Data1, "Data1", QStringLiteral("Client"), 5400);
    dataLink(Data2, "Data2", QStringLiteral("Products"), 5760);

    // Each field is known to assistive technology by its caption.
    const std::pair<QLabel*, QWidget*> captions[] = {
        {Label14, Check1},      {Label6, txtLedger},
        {Label3, AeDate},       {Label2, cboCust},
        {Label4, AeDue},        {Label7, txtInvoice},
        {Label10, cboProd},     {Label8, txtJob},
        {Label11, txtDesc},     {Label9, txtPO},
        {lblQuan, txtQuan},     {lblAmt, txtAmt},
        {lblSearch, txtSearch}, {lblDefaultTax, txtDefaultTax},
        {lblTax, txtTax},       {lblInvAmt, txtInvAmt}};
    for (const auto& [caption, field] : captions)
        nameAfterCaption(caption, field);
    // The tax switch has no caption of its own.
    Check2->setAccessibleName(QStringLiteral("Add Tax"));

    // Labels lie beneath the boxes, as on the old forms: where a caption's rectangle overlaps
    // a box or a check box, a click there still reaches the box.
    for (QLabel* caption : client->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        caption->lower();

    // The tab order of the entry, then the options, lookup and buttons. Controls not in
    // this chain never take the focus.
    const QList<QWidget*> tabOrder = {
        AeDate,  AeDue,     cboCust,    txtInvoice, txtJob,        txtPO,     txtQuan, cboProd,
        txtDesc, txtAmt,    btnPost,    txtTax,     txtInvAmt,     txtLedger, Check1,  optDos,
        optMil,  txtSearch, btnGetList, btnClear,   txtDefaultTax, Check2};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

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

    mnuHelp = bar->addAction(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));

    connect(mnuDefaultTax, &QAction::triggered, this, [this] { mnuDefaultTax_Click(); });
    connect(mnuLedgerPath, &QAction::triggered, this, [this] { mnuLedgerPath_Click(); });
    connect(mnuEstPath, &QAction::triggered, this, [this] { mnuEstPath_Click(); });
    connect(mnuDbPath, &QAction::triggered, this, [this] { mnuDbPath_Click(); });
    connect(mnuHelp, &QAction::triggered, this, [this] { mnuHelp_Click(); });
    connect(mnuCustomerLedger, &QAction::triggered, this, [this] { mnuCustomerLedger_Click(); });
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
    ctx_.settings.write(settings::kInterface, QStringLiteral("0"));
    setMenusForMode(false);
}

void frmLedger::optMil_Click() {
    ctx_.settings.write(settings::kInterface, QStringLiteral("1"));
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
    if (const auto value = ctx_.settings.read(settings::kDefTax)) {
        ctx_.gTax = *value;
        return;
    }
    // Unreadable: the file is restored; the shared value keeps its own.
    ctx_.settings.write(settings::kDefTax, QStringLiteral("0"));
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
    ledger::LedgerStore store(ctx_.paths, gLedger);
    const auto c = ledger::chooseLedger(store, txtLedger->text(), cboCust->currentText());
    if (!c.message.isEmpty()) {
        ctx_.host->message(c.message);
        return;
    }
    emit customerLedgerWanted(gLedger, c.numberText, c.owner);
}

void frmLedger::mnuDbPath_Click() {
    // Start where the current database lies, else in the program folder.
    QString startFolder = ctx_.programFolder;
    if (const auto current = ctx_.settings.read(settings::kDbLoc); current && !current->isEmpty()) {
        const QString native = ctx_.paths.toNative(*current);
        const QString folder = native.isEmpty() ? QString() : QFileInfo(native).absolutePath();
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            startFolder = folder;
    }
    const QString chosen = ctx_.dialogs->chooseDatabaseFile(this, startFolder);
    if (chosen.isEmpty())
        return;
    QString stored = ctx_.paths.toDos(chosen);
    if (stored.isEmpty())
        stored = chosen;
    ctx_.settings.write(settings::kDbLoc, settings::quotedIfNeeded(stored));
}

// ---- Event dispatch ----

void frmLedger::closeEvent(QCloseEvent* event) {
    // Files are opened and closed within each event, so none is left open here; closing is
    // never refused.
    event->accept();
}

} // namespace tw
