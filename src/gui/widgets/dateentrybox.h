#pragma once
#include <QLineEdit>

class QAction;
class QCalendarWidget;

namespace tw {
class Host;

// The invoice and due date boxes. The program uses only the text (read back exactly as typed
// or set), giving the box the focus and its focus-out. The trailing calendar button is a
// convenience: picking a day writes it as M/d/yyyy. The calendar opens as a popup, so the box
// loses the focus with Qt::PopupFocusReason, which callers do not count as leaving it.
class DateEntryBox : public QLineEdit {
    Q_OBJECT
public:
    explicit DateEntryBox(QWidget* parent = nullptr);

    // Opens the calendar below the box, at the date the text holds (or today's).
    void showCalendar();
    QCalendarWidget* calendar() const { return calendar_; }
    // Today's date for the shortcut keys ("t", "+", "-", Up, Down, PgUp, PgDn); without a host
    // those keys are typed as they are.
    void setHost(const Host* host) { host_ = host; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void takeCalendarDate();

    QAction* calendarAction_ = nullptr;
    QWidget* popup_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    const Host* host_ = nullptr;
};

} // namespace tw
