#include "widgets/dateentrybox.h"

#include "entry/datekeys.h"
#include "platform/host.h"
#include "platform/regional.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDate>
#include <QKeyEvent>

#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

namespace tw {

namespace {

// The calendar button's width: a 12-pixel glyph and a pixel either side. The line edit's own
// action button is 22 pixels and more, which left room for "12/29/20" only.
constexpr int kButtonWidth = 14;
constexpr int kGlyph = 12;
// What the line edit keeps free beside its text: a margin of 2 pixels either side, and a
// pixel for the cursor after the last character.
constexpr int kTextSlack = 2 * 2 + 1;
// The widest date the boxes are made to show (every digit of the stand-in fonts is as wide).
const QString kWidestDate = QStringLiteral("12/29/2026");
constexpr double kLargestPoints = 8.0;
constexpr double kSmallestPoints = 6.0;

// A small calendar glyph drawn here, so the box needs no image file.
QIcon calendarIcon() {
    QPixmap pm(kGlyph, kGlyph);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(0, 1, kGlyph - 1, kGlyph - 2);
    p.fillRect(1, 2, kGlyph - 2, 3, QColor(70, 110, 170));
    p.setPen(QColor(90, 90, 90));
    for (int y = 6; y <= kGlyph - 3; y += 2)
        for (int x = 2; x <= kGlyph - 3; x += 3)
            p.drawPoint(x, y);
    return QIcon(pm);
}

// The shortcut a key stands for, if any.
std::optional<entry::DateKey> dateKeyOf(const QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    switch (e->key()) {
    case Qt::Key_Up:
        return entry::DateKey::DayForward;
    case Qt::Key_Down:
        return entry::DateKey::DayBack;
    case Qt::Key_PageUp:
        return entry::DateKey::MonthForward;
    case Qt::Key_PageDown:
        return entry::DateKey::MonthBack;
    default:
        break;
    }
    const QString t = e->text();
    if (t == QLatin1String("t") || t == QLatin1String("T"))
        return entry::DateKey::Today;
    if (t == QLatin1String("+"))
        return entry::DateKey::DayForward;
    if (t == QLatin1String("-"))
        return entry::DateKey::DayBack;
    return std::nullopt;
}

} // namespace

DateEntryBox::DateEntryBox(QWidget* parent) : QLineEdit(parent) {
    setFont(QFont(QStringLiteral("Verdana"), int(kLargestPoints)));
    setToolTip(entry::dateKeysText());
    calendarAction_ = new QAction(calendarIcon(), QStringLiteral("Choose a date"), this);
    // The text names the button to assistive technology; the icon alone says nothing.
    calendarAction_->setToolTip(QStringLiteral("Choose a date"));
    connect(calendarAction_, &QAction::triggered, this, &DateEntryBox::showCalendar);
    calendarButton_ = new QToolButton(this);
    calendarButton_->setDefaultAction(calendarAction_);
    calendarButton_->setAutoRaise(true);
    calendarButton_->setFocusPolicy(Qt::NoFocus);
    calendarButton_->setCursor(Qt::ArrowCursor);
    calendarButton_->setIconSize(QSize(kGlyph, kGlyph));
    setTextMargins(0, 0, kButtonWidth, 0);
    // Text the program writes into the box while the operator is elsewhere (12/25/06 made
    // 12/25/2006 on leaving) is shown from its start, never scrolled to its end.
    // A rewrite to the same text changes no text but still moves the cursor to the end, so the
    // cursor is watched rather than the text.
    connect(this, &QLineEdit::cursorPositionChanged, this, [this](int, int now) {
        if (now != 0 && !hasFocus())
            setCursorPosition(0);
    });
}

void DateEntryBox::keyPressEvent(QKeyEvent* event) {
    if (host_) {
        if (const auto key = dateKeyOf(event)) {
            if (const auto text = entry::applyDateKey(this->text(), *key, host_->today())) {
                setText(*text);
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void DateEntryBox::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    fitToWidth();
}

void DateEntryBox::fitToWidth() {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect inside = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    calendarButton_->setGeometry(inside.right() + 1 - kButtonWidth, inside.top(), kButtonWidth,
                                 inside.height());
    const int room = inside.width() - kButtonWidth - kTextSlack;
    QFont f = font();
    f.setPointSizeF(kLargestPoints);
    while (QFontMetrics(f).horizontalAdvance(kWidestDate) > room &&
           f.pointSizeF() > kSmallestPoints)
        f.setPointSizeF(f.pointSizeF() - 0.25);
    setFont(f);
}

void DateEntryBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    setCursorPosition(0);
}

void DateEntryBox::showCalendar() {
    if (!popup_) {
        popup_ = new QWidget(this, Qt::Popup);
        auto* layout = new QVBoxLayout(popup_);
        layout->setContentsMargins(1, 1, 1, 1);
        calendar_ = new QCalendarWidget(popup_);
        calendar_->setGridVisible(true);
        layout->addWidget(calendar_);
        connect(calendar_, &QCalendarWidget::activated, this, &DateEntryBox::takeCalendarDate);
        connect(calendar_, &QCalendarWidget::clicked, this, &DateEntryBox::takeCalendarDate);
    }
    // The date the text holds, as the date rule reads it; else today's.
    const QDate today = host_ ? host_->today() : QDate::currentDate();
    calendar_->setSelectedDate(regional::readDate(text(), today).value_or(today));
    popup_->adjustSize();
    popup_->move(mapToGlobal(QPoint(0, height())));
    popup_->show();
    calendar_->setFocus(Qt::PopupFocusReason);
}

void DateEntryBox::takeCalendarDate() {
    const QDate d = calendar_->selectedDate();
    if (popup_)
        popup_->hide();
    // Month first, four-digit year: the short date form the program shows.
    setText(d.toString(QStringLiteral("M/d/yyyy")));
    setFocus(Qt::PopupFocusReason);
}

} // namespace tw
