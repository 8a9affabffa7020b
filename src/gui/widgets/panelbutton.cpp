#include "widgets/panelbutton.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace tw {

namespace {

// To assistive technology the panel is a push button named by its caption, with a press
// action, not a frame holding a label.
class PanelButtonAccessible : public QAccessibleWidget {
public:
    explicit PanelButtonAccessible(PanelButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return button()->label()->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(name);
    }

private:
    PanelButton* button() const { return static_cast<PanelButton*>(widget()); }
};

QAccessibleInterface* panelButtonAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String(PanelButton::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new PanelButtonAccessible(static_cast<PanelButton*>(object));
    return nullptr;
}

} // namespace

PanelButton::PanelButton(const QString& caption, QWidget* parent)
    : QFrame(parent), label_(new QLabel(caption, this)) {
    static const bool accessibleAsButton = [] {
        QAccessible::installFactory(panelButtonAccessible);
        return true;
    }();
    (void)accessibleAsButton;
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setFocusPolicy(Qt::NoFocus);
    label_->setAlignment(Qt::AlignCenter);
    // The caption is part of the button: the panel receives its clicks.
    label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label_->setFocusPolicy(Qt::NoFocus);
    label_->setGeometry(rect());
}

void PanelButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    setFrameShadow(QFrame::Sunken);
    event->accept();
    emit pressed();
}

void PanelButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    pressed_ = false;
    setFrameShadow(QFrame::Raised);
    event->accept();
    // Like a push button: releasing outside the panel cancels the click.
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

void PanelButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        // A held key must not repeat the action (Post twice).
        if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
            QFrame::keyPressEvent(event);
            return;
        }
        event->accept();
        if (!event->isAutoRepeat())
            emit clicked();
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

void PanelButton::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    label_->setGeometry(rect());
}

void PanelButton::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!hasFocus())
        return;
    // The operator must see that Enter or Space now acts on this panel: a dotted rectangle
    // inside the border, as push buttons of the old forms showed it.
    QPainter painter(this);
    QPen pen(palette().color(QPalette::WindowText));
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(contentsRect().adjusted(2, 2, -3, -3));
}

void PanelButton::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    update();
}

void PanelButton::focusOutEvent(QFocusEvent* event) {
    QFrame::focusOutEvent(event);
    update();
}

} // namespace tw
