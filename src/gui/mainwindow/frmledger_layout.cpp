// The main window's controls: one table of each control's name, kind, caption, rectangle in
// twips and length limit, built by one loop; then what ties them together (the captions
// naming their fields, the tab order).
#include "mainwindow/frmledger.h"

#include "entry/amounts.h"
#include "entry/entryfields.h"
#include "widgets/completingcombobox.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "widgets/formstyle.h"
#include "widgets/geometry.h"
#include "widgets/panelbutton.h"
#include "widgets/textfit.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>
#include <type_traits>
#include <utility>
#include <variant>

namespace tw {

namespace {

constexpr int kClientWidth = 8085;
constexpr int kClientHeight = 4980;

enum class Kind {
    Caption,        // a label right-aligned against its field
    Heading,        // a label centred over what it heads
    Note,           // a label on its own, left-aligned
    DataLink,       // a database link: below the client area, never seen
    TextBox,        // with its length limit, if any
    ListBox,        // a list with an edit line
    DateBox,        //
    DescriptionBox, // multi-line, with its length limit
    CheckBox,       // the box only
    Panel,          // holds the options that follow it
    Option,         // an option button in the panel before it
    PanelButton,    // a panel used as a button
    PanelCaption,   // the caption laid over the panel-button before it
};

// What only some controls have.
enum Look : unsigned { Plain = 0, Red = 1, Hidden = 2, Greyed = 4, Arial = 8 };

using Member =
    std::variant<QLabel * frmLedger::*, QLineEdit * frmLedger::*, CompletingComboBox * frmLedger::*,
                 DateEntryBox * frmLedger::*, DescriptionBox * frmLedger::*,
                 QCheckBox * frmLedger::*, QFrame * frmLedger::*, QRadioButton * frmLedger::*,
                 PanelButton * frmLedger::*>;

struct Control {
    Member member;
    const char* name;
    Kind kind;
    const char* caption;
    int left, top, width, height; // twips from the client area (an option: from its panel)
    int maxLength = 0;            // 0: none
    double points = 0;            // a label's point size other than the form's 9.75
    unsigned look = Plain;
};

using L = frmLedger;
using entry::kMoneyBoxLength;

// In the order the form stacks them. Captions are plain text: the ampersand of
// "Match Invoice & Job No's:" is shown as it stands, not taken as a mnemonic.
const Control kControls[] = {
    {&L::Label13, "Label13", Kind::Heading, "Quillbar's", 120, 150, 7815, 255, 0, 12},
    {&L::Label1, "Label1", Kind::Heading, "Historical Ledger Tallywork", 240, 360, 7575, 615, 0, 24,
     Red},
    {&L::Label14, "Label14", Kind::Caption, "Match Invoice & Job No's:", 2400, 960, 2775, 255},
    {&L::Check1, "Check1", Kind::CheckBox, "", 5280, 960, 135, 195},
    {&L::Label6, "Label6", Kind::Caption, "Ledger Number:", 0, 1320, 1815, 255},
    // Set only by the lookup and posting: the operator can neither type into it nor reach it.
    {&L::txtLedger, "txtLedger", Kind::TextBox, "", 1920, 1320, 1575, 285, 0, 0, Greyed},
    {&L::lblNew, "lblNew", Kind::Note, "*New Ledger*", 3600, 1320, 1455, 255, 0, 0, Red | Hidden},
    {&L::Label3, "Label3", Kind::Caption, "Invoice Date:", 5100, 1320, 1455, 255},
    {&L::Label5, "Label5", Kind::Heading, "m/d/yyyy", 6840, 1095, 975, 255},
    {&L::AeDate, "AeDate", Kind::DateBox, "", 6650, 1320, 1170, 315},
    {&L::Label2, "Label2", Kind::Caption, "Customer Name:", 0, 1680, 1815, 255},
    {&L::cboCust, "cboCust", Kind::ListBox, "", 1920, 1680, 3135, 315},
    {&L::Label4, "Label4", Kind::Caption, "Due Date:", 5100, 1680, 1455, 255},
    {&L::AeDue, "AeDue", Kind::DateBox, "", 6650, 1680, 1170, 315},
    {&L::Label7, "Label7", Kind::Caption, "Invoice Number:", 0, 2040, 1815, 255},
    {&L::txtInvoice, "txtInvoice", Kind::TextBox, "", 1920, 2040, 1215, 315, entry::kJobWidth},
    {&L::Label10, "Label10", Kind::Caption, "Product Code:", 3240, 2040, 1815, 255},
    {&L::cboProd, "cboProd", Kind::ListBox, "", 5160, 2040, 2655, 315},
    {&L::Label8, "Label8", Kind::Caption, "Job Number:", 0, 2400, 1815, 255},
    {&L::txtJob, "txtJob", Kind::TextBox, "", 1920, 2400, 1215, 315, entry::kJobWidth},
    {&L::Label11, "Label11", Kind::Caption, "Description:", 3240, 2400, 1815, 255},
    {&L::txtDesc, "txtDesc", Kind::DescriptionBox, "", 5160, 2400, 2655, 735,
     entry::kDescriptionLength},
    {&L::Label9, "Label9", Kind::Caption, "P.O. Number:", 0, 2760, 1815, 255},
    {&L::txtPO, "txtPO", Kind::TextBox, "", 1920, 2760, 1215, 315, 10},
    {&L::lblQuan, "lblQuan", Kind::Caption, "Quantity:", 0, 3120, 1815, 255},
    {&L::txtQuan, "txtQuan", Kind::TextBox, "", 1920, 3120, 1215, 315, 10},
    {&L::lblAmt, "lblAmt", Kind::Caption, "Pre-Tax Amount:", 4680, 3240, 2055, 255},
    {&L::txtAmt, "txtAmt", Kind::TextBox, "", 6840, 3240, 975, 315, kMoneyBoxLength},
    {&L::lblSearch, "lblSearch", Kind::Caption, "Search for Job:", 0, 3600, 1815, 255},
    {&L::txtSearch, "txtSearch", Kind::TextBox, "", 1920, 3600, 1215, 315},
    {&L::lblDefaultTax, "lblDefaultTax", Kind::Caption, "Default Tax %:", 3000, 3600, 2055, 255},
    {&L::txtDefaultTax, "txtDefaultTax", Kind::TextBox, "", 5160, 3600, 495, 315, 10},
    {&L::Check2, "Check2", Kind::CheckBox, "", 6000, 3650, 135, 195},
    {&L::lblTax, "lblTax", Kind::Caption, "Tax:", 4680, 3600, 2055, 255},
    {&L::txtTax, "txtTax", Kind::TextBox, "", 6840, 3600, 975, 315, kMoneyBoxLength},
    {&L::lblInvAmt, "lblInvAmt", Kind::Caption, "Invoice Amount:", 4680, 3960, 2055, 255},
    {&L::txtInvAmt, "txtInvAmt", Kind::TextBox, "", 6840, 3960, 975, 315, kMoneyBoxLength},
    {&L::lblVersion, "lblVersion", Kind::Note, " Version:", 120, 3840, 2775, 255, 0, 8.25, Arial},
    {&L::Picture1, "Picture1", Kind::Panel, "", 120, 4080, 2295, 735},
    // Database mode comes only from the interface file, at loading or Refresh.
    {&L::optMil, "optMil", Kind::Option, "Meridian Database", 120, 120, 2055, 195, 0, 0, Greyed},
    {&L::optDos, "optDos", Kind::Option, "Text Files (ASCII/Dos)", 120, 360, 1935, 195},
    {&L::btnGetList, "btnGetList", Kind::PanelButton, "Refresh", 2760, 4440, 1095, 390},
    {&L::lblRefresh, "lblRefresh", Kind::PanelCaption, "", 0, 0, 0, 0},
    {&L::btnClear, "btnClear", Kind::PanelButton, "Clear", 3960, 4440, 1095, 390},
    {&L::lblClear, "lblClear", Kind::PanelCaption, "", 0, 0, 0, 0},
    {&L::btnPost, "btnPost", Kind::PanelButton, "Post", 5160, 4440, 1095, 390},
    {&L::lblPost, "lblPost", Kind::PanelCaption, "", 0, 0, 0, 0},
    {&L::Data1, "Data1", Kind::DataLink, "Client", 3960, 5400, 1140, 345},
    {&L::Data2, "Data2", Kind::DataLink, "Products", 3960, 5760, 1140, 345},
};

// Makes the control the row's member names; `parent` is the client area, or the panel or
// panel-button that the row belongs to.
template <class T> T* make(frmLedger& w, T* frmLedger::*member, const Control& c, QWidget* parent) {
    const QString caption = QString::fromUtf8(c.caption);
    T* made = nullptr;
    if constexpr (std::is_same_v<T, QLabel>) {
        made = c.kind == Kind::PanelCaption ? static_cast<PanelButton*>(parent)->label()
                                            : new QLabel(caption, parent);
    } else if constexpr (std::is_same_v<T, PanelButton> || std::is_same_v<T, QRadioButton>) {
        made = new T(caption, parent);
    } else {
        made = new T(parent);
    }
    w.*member = made;
    return made;
}

QFont labelFont() {
    return formFont(9.75, true);
}
QFont fieldFont() {
    return formFont(8.25, false);
}

void styleLabel(QLabel* label, const Control& c) {
    label->setTextFormat(Qt::PlainText);
    label->setFocusPolicy(Qt::NoFocus);
    if (c.look & Arial)
        label->setFont(headingFont(c.points, true));
    else
        label->setFont(c.points > 0 ? formFont(c.points, true) : labelFont());
    const Qt::Alignment across = c.kind == Kind::Caption   ? Qt::AlignRight
                                 : c.kind == Kind::Heading ? Qt::AlignHCenter
                                                           : Qt::AlignLeft;
    label->setAlignment(across | Qt::AlignTop);
}

// The look of the row's kind, once the control has its place.
void styleControl(QWidget* w, const Control& c, const Host& host) {
    switch (c.kind) {
    case Kind::Caption:
    case Kind::Heading:
    case Kind::Note:
        styleLabel(static_cast<QLabel*>(w), c);
        break;
    case Kind::DataLink:
        w->setFocusPolicy(Qt::NoFocus);
        break;
    case Kind::TextBox:
        w->setFont(fieldFont());
        if (c.maxLength > 0)
            static_cast<QLineEdit*>(w)->setMaxLength(c.maxLength);
        paintFieldBack(w);
        break;
    case Kind::DescriptionBox:
        w->setFont(fieldFont());
        static_cast<DescriptionBox*>(w)->setMaxLength(c.maxLength);
        paintFieldBack(w);
        break;
    case Kind::ListBox:
        w->setFont(fieldFont());
        paintFieldBack(w);
        break;
    case Kind::DateBox:
        static_cast<DateEntryBox*>(w)->setHost(&host);
        paintFieldBack(w);
        break;
    case Kind::CheckBox:
        // The indicator is sized to the small box the layout gives it.
        w->setStyleSheet(QStringLiteral("QCheckBox { spacing: 0px; }"
                                        "QCheckBox::indicator { width: %1px; height: %1px; }")
                             .arg(std::min(twipsToPixelsX(c.width), twipsToPixelsY(c.height))));
        break;
    case Kind::Panel: {
        auto* panel = static_cast<QFrame*>(w);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setLineWidth(1);
        fillBack(panel, kPanelBack);
        // The panel only groups the options; the focus stops on the option itself.
        panel->setFocusPolicy(Qt::NoFocus);
        break;
    }
    case Kind::Option: {
        w->setFont(fieldFont());
        // Greyed text as the office knows it: the style's own disabled grey vanishes on the
        // panel's colour.
        QPalette p = w->palette();
        p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
        p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
        w->setPalette(p);
        shrinkFontToFit(w);
        break;
    }
    case Kind::PanelButton:
        w->setFocusPolicy(Qt::StrongFocus);
        break;
    case Kind::PanelCaption:
        w->setFont(labelFont());
        break;
    }
    if (c.look & Red)
        setTextColour(w, kRed);
    if (c.look & Hidden)
        w->setVisible(false);
    if (c.look & Greyed)
        w->setEnabled(false);
}

} // namespace

void frmLedger::buildLayout() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsToPixelsX(kClientWidth), twipsToPixelsY(kClientHeight));
    fillBack(client, kFormBack);
    setCentralWidget(client);

    QWidget* holder = nullptr; // the last panel or panel-button
    for (const Control& c : kControls) {
        const bool held = c.kind == Kind::Option || c.kind == Kind::PanelCaption;
        QWidget* w = std::visit(
            [&](auto member) -> QWidget* { return make(*this, member, c, held ? holder : client); },
            c.member);
        w->setObjectName(QLatin1String(c.name));
        if (c.kind != Kind::PanelCaption)
            placeTwips(w, c.left, c.top, c.width, c.height);
        styleControl(w, c, host_);
        if (c.kind == Kind::Panel || c.kind == Kind::PanelButton)
            holder = w;
    }
    optDos->setChecked(true);

    // Each field is known to assistive technology by its caption; the tax switch has none.
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
}

} // namespace tw
