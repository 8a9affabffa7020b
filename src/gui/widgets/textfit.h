#pragma once

#include <QFont>

class QWidget;

namespace tw {

// The forms were drawn in MS Sans Serif; where it is missing, faces of like widths follow, so
// that the captions stay inside their boxes (the generic fallback is a much wider face). The
// one form font of every window; it changes no font of the process besides.
QFont formFont(double pointSize, bool bold);

// The Arial of the headings (the splash window's texts, the main window's version).
QFont headingFont(double pointSize, bool bold);

// The forms were laid out for the fonts of their day; the stand-in fonts here run wider. A
// control whose text would be cut off at its fixed size gets a smaller point size instead, in
// quarter points, down to minPointSize: a label when its text does not fit its box, any other
// control when it asks for more width than it has. Call it once the text, font and size are
// set.
void shrinkFontToFit(QWidget* widget, double minPointSize = 6.0);

} // namespace tw
