#pragma once
#include <QString>

#include <functional>
#include <optional>

namespace tw {
class DosPaths;
}

namespace tw::settings {

// Where the settings files, the log and the dosdevices/ drive map are kept.
enum class SettingsOrigin {
    ProgramFolder, // a copied program folder or the demo: beside the executable, as always
    UserFolder,    // an installed program: $XDG_CONFIG_HOME/tallywork or ~/.config/tallywork
    Given,         // --settings-dir
};

struct SettingsLocation {
    QString folder;
    SettingsOrigin origin = SettingsOrigin::ProgramFolder;
    QString refusal; // why a --settings-dir cannot be used; the folder is empty then

    // The folder and how it was chosen: "/home/ann/.config/tallywork (the user's
    // configuration folder)".
    QString describe() const;
};

// errno when the folder cannot be written (0 when it can). The program asks the system; a test
// may answer for it, since a test run as root may write everywhere.
using WriteCheck = std::function<int(const QString& folder)>;
int folderWriteError(const QString& folder);

// What the choice depends on.
struct SettingsFolderInputs {
    QString programFolder;        // the executable's folder
    std::optional<QString> given; // --settings-dir
    QString configHome;           // $XDG_CONFIG_HOME
    QString home;                 // $HOME
    QString installedFolder;      // where the package puts the executable
    WriteCheck writeError = folderWriteError;

    // The inputs of this process: its environment and the installation's folder.
    static SettingsFolderInputs fromEnvironment(const QString& programFolder,
                                                std::optional<QString> given);
};

// The folder given, when it exists; else the program folder when it holds a settings file or
// the user may write it, unless it is the installed program's own folder (which root may
// write); else the user's configuration folder. Looks, never creates.
SettingsLocation chooseSettingsFolder(const SettingsFolderInputs& in);

// Makes the user's configuration folder on the first start (mode 0700, as the parent folders
// it needs) and checks that it can be written. Returns the message for the operator, naming
// the folder and the reason, or an empty text.
QString prepareSettingsFolder(const SettingsLocation& where,
                              const WriteCheck& writeError = folderWriteError);

// The log's line for a start: the version, the settings folder, the two folders and the file
// system that the ledger folder lies on.
QString startLogLine(const SettingsLocation& where, const DosPaths& paths);

} // namespace tw::settings
