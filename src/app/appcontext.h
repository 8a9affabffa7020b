#pragma once
#include "platform/dospath.h"
#include "settings/defaulttax.h"
#include "settings/settings.h"

#include <QString>

namespace tw {
class Host;
class Dialogs;

// What the windows of one run share: the program folder and its settings, the drive map,
// the injectable host and dialogs, and the default tax. Windows never reach one another
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
    settings::DefaultTax defaultTax{settings};
};

} // namespace tw
