#pragma once
#include <QString>

namespace tw {

// The application's title, used for every message box.
QString appTitle();
// "Version 1.0.0": major, minor and revision, plain decimals.
QString versionText();

} // namespace tw
