#include "widgets/widgethost.h"

#include "platform/appinfo.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace tw {

namespace {

// Once the program is ending, every event is dropped: no focus-out, close or timer handler of
// any window may run between the end request and the return to the event loop.
class SwallowAllEvents : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent*) override { return true; }
};

} // namespace

namespace {

// A modal box over the active window; returns the button chosen.
QMessageBox::StandardButton ask(const QString& text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton byDefault,
                                QMessageBox::StandardButton onEscape) {
    QPointer<QWidget> active = QApplication::activeWindow();
    QMessageBox box(active);
    box.setWindowTitle(appTitle());
    box.setIcon(QMessageBox::NoIcon);
    box.setTextFormat(Qt::PlainText); // file names and typed text are never markup
    box.setText(text);
    box.setStandardButtons(buttons);
    box.setDefaultButton(byDefault);
    box.setEscapeButton(onEscape);
    box.exec();
    // Give the keyboard back to the window the operator was typing in.
    if (active && active->isVisible())
        active->activateWindow();
    auto* clicked = box.clickedButton();
    return clicked ? box.standardButton(clicked) : onEscape;
}

} // namespace

void WidgetHost::message(const QString& text) {
    ask(text, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok);
}

bool WidgetHost::question(const QString& text) {
    return ask(text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void WidgetHost::beep() {
    QApplication::beep();
}

void WidgetHost::endProgram() {
    auto* app = QCoreApplication::instance();
    if (!app)
        return;
    app->installEventFilter(new SwallowAllEvents(app));
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* w : tops)
        w->hide();
    QCoreApplication::exit(0);
}

QDate WidgetHost::today() const {
    return QDate::currentDate();
}

} // namespace tw
