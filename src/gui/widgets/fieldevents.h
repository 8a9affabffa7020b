#pragma once
#include <QHash>
#include <QObject>

#include <functional>

class QWidget;

namespace tw {

// The character code of the Enter key, as key handlers receive it.
inline constexpr int kEnterKey = 13;

// Hands a window's field events to the handlers registered for each field, as the old forms
// did: a field's leaving (focus-out) and its key presses.
//
// - A focus-out reaches the field itself first, so that a leave handler reads the field's
//   final text; another window, a popup (a list, the calendar, a menu) or the menu bar taking
//   the focus (Alt+F) is not leaving the field.
// - Leave handlers never nest: a handler that shows a message or moves the focus back would
//   otherwise start the handler of the field it leaves, and two bad fields would bounce the
//   focus between them forever.
// - A key handler receives the character code (13 for Enter) and may set it to 0 to keep the
//   key from the field; otherwise the field still gets the key afterwards.
class FieldEvents : public QObject {
    Q_OBJECT
public:
    using Leave = std::function<void()>;
    using Key = std::function<void(int& keyAscii)>;

    explicit FieldEvents(QObject* parent = nullptr);

    // On leaving the field.
    void onLeave(QWidget* field, Leave handler);
    // On Enter in the field (code 13).
    void onEnter(QWidget* field, Key handler);
    // On every key that types in the field: Enter (13), Backspace (8) or a character; keys that
    // type nothing (arrows, Shift, Tab) are not passed. Enter never reaches the field.
    void onTypedKey(QWidget* field, Key handler);

    // True while an event of this field is being handed to the field itself (a signal the field
    // emits then is the field's own reaction, not the operator's).
    bool redelivering(const QObject* field) const { return field && field == redelivering_; }

    // Runs work with the leave handlers held back: for moving the focus out of a field that
    // was just emptied, whose leave handler must not refill it.
    void withoutLeaveHandlers(const std::function<void()>& work);

    // Stops handing events on (the window is going; its fields' last focus-outs must not
    // reach handlers that read controls already destroyed).
    void detachAll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Handlers {
        Leave leave;
        Key enter;
        Key typedKey;
    };
    Handlers& handlersOf(QWidget* field);
    // Hands the event to the field itself while marking it, so that this filter lets it through.
    void redeliver(QObject* field, QEvent* event);
    bool focusOut(QObject* watched, QEvent* event, const Handlers& h);
    bool keyPress(QObject* watched, QEvent* event, const Handlers& h);

    QHash<const QObject*, Handlers> handlers_;
    QObject* redelivering_ = nullptr;
    bool inLeave_ = false;
};

} // namespace tw
