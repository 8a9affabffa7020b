#include "widgets/geometry.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace tw {

namespace {
constexpr double kTwipsPerInch = 1440.0;
constexpr double kFallbackDpi = 96.0;

double screenDpiX() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchX() : kFallbackDpi;
}

double screenDpiY() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInchY() : kFallbackDpi;
}
} // namespace

int twipsToPixels(int twips, double dpi) {
    if (dpi <= 0)
        dpi = kFallbackDpi;
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

int twipsToPixelsX(int twips) {
    return twipsToPixels(twips, screenDpiX());
}
int twipsToPixelsY(int twips) {
    return twipsToPixels(twips, screenDpiY());
}

void placeTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsToPixelsX(left), twipsToPixelsY(top), twipsToPixelsX(width),
                        twipsToPixelsY(height));
}

void centreOnScreen(QWidget* window) {
    if (!window)
        return;
    const QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect area = s->geometry();
    if (!window->isVisible()) {
        // The frame is not known before the window is shown: the window itself is centred.
        QRect r(QPoint(), window->size());
        r.moveCenter(area.center());
        window->setGeometry(r);
        return;
    }
    const QRect frame = window->frameGeometry();
    const double left = (area.width() - frame.width()) / 2.0;
    const double top = (area.height() - frame.height()) / 2.0;
    window->move(area.x() + qRound(left), area.y() + qRound(top));
}

void nameAfterCaption(QLabel* caption, QWidget* field) {
    QString name = caption->text().trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    field->setAccessibleName(name.trimmed());
    // A tied caption takes "&" as a mnemonic and no longer shows it; such a caption ("Match
    // Invoice & Job No's:") stays as it is written, untied.
    if (!caption->text().contains(QLatin1Char('&')))
        caption->setBuddy(field);
}

} // namespace tw
