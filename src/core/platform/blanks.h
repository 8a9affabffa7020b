#pragma once
#include <QStringView>

namespace tw {

// The text without the blanks (spaces only, as the DOS files pad their fields) at either end;
// a tab or a line break is part of the text. A view into the text it is given.
QStringView trimBlanks(QStringView text);

} // namespace tw
