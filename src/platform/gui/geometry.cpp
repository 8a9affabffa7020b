#include "platform/gui/geometry.h"

#include <QGuiApplication>
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

} // namespace tw
