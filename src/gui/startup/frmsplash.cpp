#include "startup/frmsplash.h"

#include "platform/appinfo.h"
#include "settings/defaulttax.h"
#include "settings/settings.h"
#include "widgets/geometry.h"
#include "widgets/textfit.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>
#include <QTimer>

namespace tw {

namespace {

constexpr int kClientWidthTwips = 7380;
constexpr int kClientHeightTwips = 4245;
constexpr int kTimerMs = 2000;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, double pointSize,
                  bool bold, int left, int top, int width, int height) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(headingFont(pointSize, bold));
    // No border, transparent: the picture shows through.
    label->setAutoFillBackground(false);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    placeTwips(label, left, top, width, height);
    return label;
}

} // namespace

QPixmap frmSplash::splashPicture() {
    // Paper and ink of a print shop: a cream sheet with a soft light, a band of the four
    // process colours and a few overlapping halftone circles. 256 colours are plenty.
    QPixmap pm(600, 407);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient paper(0, 0, 600, 407);
    paper.setColorAt(0.0, QColor(250, 246, 232));
    paper.setColorAt(1.0, QColor(214, 208, 186));
    p.fillRect(pm.rect(), paper);

    QRadialGradient light(430, 90, 260);
    light.setColorAt(0.0, QColor(255, 255, 255, 150));
    light.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(pm.rect(), light);

    const QColor inks[] = {QColor(0, 160, 220), QColor(220, 0, 130), QColor(250, 220, 0),
                           QColor(40, 40, 40)};
    for (int i = 0; i < 4; ++i)
        p.fillRect(0, 246 + i * 9, 600, 9, inks[i]);

    p.setPen(Qt::NoPen);
    const QPointF centres[] = {QPointF(360, 170), QPointF(410, 160), QPointF(385, 205)};
    for (int i = 0; i < 3; ++i) {
        QColor c = inks[i];
        c.setAlpha(110);
        p.setBrush(c);
        p.drawEllipse(centres[i], 48, 48);
    }
    // A halftone dot screen fading out to the right.
    p.setBrush(QColor(40, 40, 40, 60));
    for (int y = 300; y < 407; y += 10) {
        for (int x = 5; x < 600; x += 10) {
            const double r = 4.0 * (1.0 - x / 600.0);
            if (r > 0.4)
                p.drawEllipse(QPointF(x, y), r, r);
        }
    }
    return pm;
}

frmSplash::frmSplash(settings::SettingsStore& settings, settings::DefaultTax& defaultTax,
                     QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), settings_(settings),
      defaultTax_(defaultTax) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QString()); // no title text
    setFixedSize(twipsToPixelsX(kClientWidthTwips), twipsToPixelsY(kClientHeightTwips));
    setFocusPolicy(Qt::StrongFocus);
    picture_ = splashPicture();

    lblCompanyProduct = makeLabel(this, "lblCompanyProduct", QStringLiteral("Quillbar's"), 18, true,
                                  240, 0, 2295, 435);
    lblProductName = makeLabel(this, "lblProductName", QString(), 27.75, true, 240, 360, 6630, 660);
    lblPlatform = makeLabel(this, "lblPlatform", QStringLiteral("Windows Platform"), 15.75, true,
                            240, 1080, 2745, 360);
    lblVersion =
        makeLabel(this, "lblVersion", QStringLiteral("Version"), 12, true, 240, 1440, 1485, 285);
    lblCompany = makeLabel(this, "lblCompany", QStringLiteral("Quillbar"), 8.25, false, 240, 1980,
                           2415, 255);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(kTimerMs);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
}

void frmSplash::Form_Load() {
    lblVersion->setText(versionText());
    lblProductName->setText(QStringLiteral("Dazovozera Dozuvo Zudariz"));
    shrinkFontToFit(lblProductName);

    // A missing or unreadable file is recreated with 0, silently.
    defaultTax_.load();

    centreOnScreen(this);
    show();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
    Timer1->start();
}

void frmSplash::Timer1_Timer() {
    if (ticked_)
        return;
    ticked_ = true;
    Timer1->stop();
    // The window goes first; it is deleted only once control is back in the event loop.
    close();

    // A value that cannot be read stops the reading: what is not yet read stays empty.
    gA.clear();
    gLedger.clear();
    if (const auto est = settings_.read(settings::kEstLoc); est && !est->isEmpty()) {
        gA = *est;
        if (const auto led = settings_.read(settings::kLedger); led)
            gLedger = *led;
    }

    if (gA.isEmpty()) {
        // Both choosers, the estimating one last so that it lies on top.
        emit ledgerChooserWanted();
        emit estChooserWanted();
    } else if (!gLedger.isEmpty()) {
        emit mainWindowWanted();
    } else {
        emit ledgerChooserWanted();
    }
}

void frmSplash::paintEvent(QPaintEvent*) {
    // The client area shows the picture's top left part.
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    // A typed key (a character, Enter, Esc, Backspace; not a lone Shift): the splash goes and
    // takes its timer with it, so nothing else opens and the program ends with its last window.
    if (event->text().isEmpty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    close();
}

void frmSplash::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    ticked_ = true; // a closed splash never makes the start-up decision
    QWidget::closeEvent(event);
}

} // namespace tw
