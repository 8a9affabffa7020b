#include "widgets/busycursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace tw {

void BusyCursor::begin() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void BusyCursor::end() {
    QGuiApplication::restoreOverrideCursor();
}

} // namespace tw
