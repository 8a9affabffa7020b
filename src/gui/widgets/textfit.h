#pragma once

#include <QFont>

class QLabel;

namespace tw {

// The forms were laid out for the fonts of their day; the stand-in fonts here run wider. A
// label whose text would be cut off at its fixed size gets a smaller point size instead, in
// quarter points, down to minPointSize. Call it after the label's text and font are set.
void shrinkFontToFit(QLabel* label, double minPointSize = 6.0);

// The forms were drawn in MS Sans Serif; its metric stand-ins follow where it is missing.
QFont formFont(double pointSize, bool bold);

} // namespace tw
