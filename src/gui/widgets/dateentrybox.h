#pragma once
#include <QLineEdit>

class QAction;
class QCalendarWidget;
class QToolButton;

namespace tw {
class Host;

// The invoice and due date boxes. The program uses only the text (read back exactly as typed
// or set), giving the box the focus and its focus-out. The trailing calendar button is a
// convenience: picking a day writes it as M/d/yyyy. The calendar opens as a popup, so the box
// loses the focus with Qt::PopupFocusReason, which callers do not count as leaving it.
// The box keeps its size: a narrow button and the Verdana size chosen for the box's width
// show the widest date, 12/29/2026, whole beside the button, with the cursor after it.
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
    void resizeEvent(QResizeEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void takeCalendarDate();
    // The button at the right inside the frame, and the largest font that shows the widest
    // date in the room left beside it.
    void fitToWidth();

    QAction* calendarAction_ = nullptr;
    QToolButton* calendarButton_ = nullptr;
    QWidget* popup_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    const Host* host_ = nullptr;
};

} // namespace tw
