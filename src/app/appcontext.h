#pragma once
#include "platform/dospath.h"
#include "settings/settings.h"

#include <QString>

namespace tw {
class Host;
class Dialogs;

// What every window of one run shares: the program folder and its settings, the drive map,
// the injectable host and dialogs, and the shared default tax. Windows never reach one another
// through it: a window asks for another with a signal that the window registry answers.
struct AppContext {
    AppContext(const QString& programFolder, Host& host, Dialogs& dialogs)
        : programFolder(programFolder), paths(programFolder), host(&host), dialogs(&dialogs),
          settings(programFolder, &host) {}

    QString programFolder;
    DosPaths paths;
    Host* host;
    Dialogs* dialogs;
    settings::SettingsStore settings;
    // The shared default tax, its one owner: read by the splash window, taken by the main
    // window when it opens, written back by the main window's default tax entry and by Clear.
    QString gTax;
};

} // namespace tw
