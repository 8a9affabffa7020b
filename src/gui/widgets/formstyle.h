#pragma once
#include <QColor>

class QWidget;

namespace tw {

// The colours of the office's forms and the way a control takes them.
inline const QColor kFormBack(221, 219, 205);
inline const QColor kFieldBack(192, 255, 255); // the entry fields' light cyan
inline const QColor kPanelBack(191, 191, 170);
inline const QColor kRed(255, 0, 0);

// A field's light cyan, kept when the field is disabled (the ledger number box).
void paintFieldBack(QWidget* w);
// Text in that colour, active or not.
void setTextColour(QWidget* w, const QColor& c);
// A filled background of that colour.
void fillBack(QWidget* w, const QColor& c);

} // namespace tw
