#pragma once
#include <QLineEdit>

class QAction;
class QCalendarWidget;

namespace tw {

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

private:
    void takeCalendarDate();

    QAction* calendarAction_ = nullptr;
    QWidget* popup_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
};

} // namespace tw
