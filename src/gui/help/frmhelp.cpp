#include "help/frmhelp.h"

#include "entry/datekeys.h"
#include "widgets/dialogs.h"
#include "widgets/geometry.h"
#include "widgets/textfit.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace tw {

namespace {

constexpr int kClientWidthTwips = 4680;
constexpr int kClientHeightTwips = 6045;

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

QString frmHelp::instructHeadText() {
    return QStringLiteral("Instructions For DataPro Infinity Customers Only.") + kCrLf +
           QStringLiteral("For QuickBooks, Use Invoice Transfer Utility.") + kCrLf;
}

QString frmHelp::keysText() {
    return QStringLiteral("Keys: Ctrl+L (View, Customer Ledger) shows the chosen customer's "
                          "ledger. There, Alt+F filters the entries, Alt+R reverses the selected "
                          "entry, F5 reads the file again and Esc closes. ") +
           entry::dateKeysText();
}

QString frmHelp::instructText() {
    return QStringLiteral(
               "Be certain to identify the path for both your DOS estimating as well as the ") +
           QStringLiteral("location of your Ledger Files before proceeding.") + kCrLf + kCrLf +
           QStringLiteral(
               "For DataPro Infinity Accounting, you will need to run a Dos program called ") +
           QStringLiteral("CUSTDUMP.EXE which will be found in your EST folder on the server. ") +
           QStringLiteral("After you run CUSTDUMP, all customers will be placed into a file ") +
           QStringLiteral("called QUILLBAR.CLI. The Ledger Tallywork uses the QUILLBAR.CLI file ") +
           QStringLiteral(
               "for customer access, regardless of your interface.  During the running of ") +
           QStringLiteral(
               "CUSTDUMP, you will be asked if you wish to change the Datapro Interface ") +
           QStringLiteral(
               "to one of the other Interfaces, but you only need to hit ESC at this point. ") +
           QStringLiteral(
               "Thereafter, you will be taken to a re-indexing program followed by the ") +
           QStringLiteral("Basic A/R program, where you may obtain a list of your customers ") +
           QStringLiteral("for checking purposes. Now you may run Ledger Tallywork from your ") +
           QStringLiteral("Windows Desktop.");
}

frmHelp::frmHelp(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("How To Build Customer Database"));
    setFixedSize(twipsToPixelsX(kClientWidthTwips), twipsToPixelsY(kClientHeightTwips));
    setFont(formFont(8.25, false));

    lblExport = new QLabel(QStringLiteral("Instructions"), this);
    lblExport->setObjectName(QStringLiteral("lblExport"));
    lblExport->setFont(formFont(24, true));
    lblExport->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    placeTwips(lblExport, 120, 0, 4455, 495);

    lblInstructHead = new QLabel(this);
    lblInstructHead->setObjectName(QStringLiteral("lblInstructHead"));
    lblInstructHead->setTextFormat(Qt::PlainText);
    lblInstructHead->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblInstructHead->setWordWrap(true);
    placeTwips(lblInstructHead, 240, 600, 4335, 375);

    lblInstruct = new QLabel(this);
    lblInstruct->setObjectName(QStringLiteral("lblInstruct"));
    lblInstruct->setTextFormat(Qt::PlainText);
    lblInstruct->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblInstruct->setWordWrap(true);
    placeTwips(lblInstruct, 240, 1080, 4335, 3375);

    lblKeys = new QLabel(this);
    lblKeys->setObjectName(QStringLiteral("lblKeys"));
    lblKeys->setTextFormat(Qt::PlainText);
    lblKeys->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblKeys->setWordWrap(true);
    placeTwips(lblKeys, 240, 4500, 4335, 900);

    cmdPrint = new QPushButton(QStringLiteral("Print Instructions"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    placeTwips(cmdPrint, 1200, 5580, 2295, 375);
    connect(cmdPrint, &QPushButton::clicked, this, &frmHelp::cmdPrint_Click);
}

void frmHelp::Form_Load() {
    lblInstructHead->setFont(formFont(8.25, true));
    lblInstructHead->setText(instructHeadText());
    lblInstruct->setFont(formFont(8.25, false));
    lblInstruct->setText(instructText());
    lblKeys->setFont(formFont(8.25, false));
    lblKeys->setText(keysText());
    shrinkFontToFit(lblInstructHead);
    shrinkFontToFit(lblInstruct);
    shrinkFontToFit(lblKeys);

    show();
    // Centred by its outer frame, which is known once it is shown.
    centreOnScreen(this);
}

void frmHelp::cmdPrint_Click() {
    QPrinter printer(QPrinter::HighResolution);
    // A cancelled dialog stops here: nothing printed, nothing said.
    if (!dialogs_.choosePrinter(printer, this))
        return;

    // The client area as shown on the screen, at its screen size on the page (smaller only
    // when the page is too small to hold it). A printer that cannot start prints nothing;
    // the operator sees that on paper, as before.
    const QPixmap shot = grab(rect());
    const QSizeF shown = shot.deviceIndependentSize();
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    const QRect page = painter.viewport();
    qreal scale = qreal(printer.logicalDpiX()) / qreal(std::max(1, logicalDpiX()));
    scale = std::min({scale, page.width() / shown.width(), page.height() / shown.height()});
    painter.drawPixmap(QRectF(QPointF(0, 0), shown * scale), shot, QRectF(shot.rect()));
    painter.end();
}

} // namespace tw
