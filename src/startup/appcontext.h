#pragma once
#include "platform/dospath.h"
#include "settings/settings.h"

#include <QString>

namespace tw {
class Host;
class Dialogs;
class Windows;

// What every window of one run shares: the program folder and its settings, the drive map,
// the injectable host and dialogs, the window registry, and the shared default tax.
struct AppContext {
    AppContext(const QString& programFolder, Host& host, Dialogs& dialogs)
        : programFolder(programFolder), paths(programFolder), host(&host), dialogs(&dialogs),
          settings(programFolder, &host) {}

    QString programFolder;
    DosPaths paths;
    Host* host;
    Dialogs* dialogs;
    settings::SettingsStore settings;
    Windows* windows = nullptr;
    // The shared default tax: read by the splash window, taken by the main window when it
    // opens, written back by the main window's default tax entry and by Clear.
    QString gTax;
};

} // namespace tw
