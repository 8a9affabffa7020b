#include "widgets/formstyle.h"

#include <QPalette>
#include <QWidget>

namespace tw {

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

} // namespace tw
