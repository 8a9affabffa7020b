#pragma once
#include <QFrame>

class QLabel;

namespace tw {

// A raised, bordered panel with a caption laid over it, used as a button. A click on the
// panel or on its caption emits clicked(); so does Enter or Space while the panel has the
// keyboard focus (operators reach Post through the Enter chain). The panel takes the focus
// only when asked to with setFocusPolicy().
class PanelButton : public QFrame {
    Q_OBJECT
public:
    explicit PanelButton(const QString& caption, QWidget* parent = nullptr);

    // The caption, centred over the whole panel; its clicks are the panel's.
    QLabel* label() const { return label_; }

    // The button's action, as assistive technology's press asks for it.
    void click() { emit clicked(); }

signals:
    // The left mouse button went down on the panel (focus has already moved to it then).
    void pressed();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QLabel* label_;
    bool pressed_ = false;
};

} // namespace tw
