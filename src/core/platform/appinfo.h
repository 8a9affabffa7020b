#pragma once
#include <QString>
#include <QStringList>

namespace tw {

// The application's title, used for every message box.
QString appTitle();
// "Version 1.0.0": major, minor and revision, plain decimals.
QString versionText();

// The menu entry (without .desktop) and the icon's name in the icon theme, as the package
// installs them.
QString desktopEntryName();
QString iconName();

// Where the package installs the program (/usr/bin) and its helper programs
// (/usr/libexec/tallywork).
QString installedProgramFolder();
QString installedHelperFolder();

// The first of folders holding an executable file of that name; the first folder's path when
// none does, so that a message names where it was looked for first.
QString findHelperProgram(const QString& name, const QStringList& folders);

} // namespace tw
