#include "widgets/fieldevents.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

namespace tw {

FieldEvents::FieldEvents(QObject* parent) : QObject(parent) {}

FieldEvents::Handlers& FieldEvents::handlersOf(QWidget* field) {
    if (!handlers_.contains(field)) {
        field->installEventFilter(this);
        // A field deleted before the window forgets its handlers.
        connect(field, &QObject::destroyed, this,
                [this](QObject* gone) { handlers_.remove(gone); });
    }
    return handlers_[field];
}

void FieldEvents::onLeave(QWidget* field, Leave handler) {
    handlersOf(field).leave = std::move(handler);
}

void FieldEvents::onEnter(QWidget* field, Key handler) {
    handlersOf(field).enter = std::move(handler);
}

void FieldEvents::onTypedKey(QWidget* field, Key handler) {
    handlersOf(field).typedKey = std::move(handler);
}

void FieldEvents::withoutLeaveHandlers(const std::function<void()>& work) {
    const bool was = inLeave_;
    inLeave_ = true;
    work();
    inLeave_ = was;
}

void FieldEvents::detachAll() {
    for (auto it = handlers_.cbegin(); it != handlers_.cend(); ++it)
        const_cast<QObject*>(it.key())->removeEventFilter(this);
    handlers_.clear();
}

void FieldEvents::redeliver(QObject* field, QEvent* event) {
    QObject* previous = redelivering_;
    redelivering_ = field;
    QCoreApplication::sendEvent(field, event);
    redelivering_ = previous;
}

bool FieldEvents::eventFilter(QObject* watched, QEvent* event) {
    if (watched == redelivering_)
        return false;
    const auto it = handlers_.constFind(watched);
    if (it == handlers_.cend())
        return false;
    // A copy: a handler may register or drop handlers while it runs.
    const Handlers h = *it;
    if (event->type() == QEvent::FocusOut)
        return focusOut(watched, event, h);
    if (event->type() == QEvent::KeyPress)
        return keyPress(watched, event, h);
    return false;
}

bool FieldEvents::focusOut(QObject* watched, QEvent* event, const Handlers& h) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    redeliver(watched, event);
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return true;
    if (h.leave && !inLeave_) {
        inLeave_ = true;
        h.leave();
        inLeave_ = false;
    }
    return true;
}

bool FieldEvents::keyPress(QObject* watched, QEvent* event, const Handlers& h) {
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;

    if (h.typedKey) {
        int code = 0;
        if (enter)
            code = kEnterKey;
        else if (key->key() == Qt::Key_Backspace)
            code = 8;
        else if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab &&
                 !key->text().isEmpty())
            code = key->text().at(0).unicode();
        if (code == 0)
            return false;
        h.typedKey(code);
        return enter || code == 0;
    }

    if (!enter || !h.enter)
        return false;
    int code = kEnterKey;
    h.enter(code);
    // The field still gets the key unless the handler kept it (after the focus may have
    // moved on).
    if (code != 0)
        redeliver(watched, event);
    return true;
}

} // namespace tw
