#include "settings/settingsfolder.h"

#include "platform/appinfo.h"
#include "platform/dospath.h"
#include "platform/filesystem.h"
#include "settings/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::settings {

namespace {

QString reasonOf(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// Any of the program's settings files, in any case (the office's other programs may have
// written DEFTAX.DAT).
bool holdsSettingsFile(const QString& folder) {
    static const QStringList names = {kDefTax, kEstLoc, kLedger, kCheck, kInterface, kDbLoc};
    const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& f : files) {
        if (names.contains(f, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool sameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
    if (ca.isEmpty() || cb.isEmpty())
        return QDir::cleanPath(a) == QDir::cleanPath(b);
    return ca == cb;
}

// Makes the folder and the parents it lacks, each readable by its owner only; errno or 0.
int makeFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    struct stat st {};
    if (::stat(path.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT)
        return errno;
    const QString parent = QFileInfo(folder).path();
    if (parent != folder) {
        if (const int err = makeFolder(parent))
            return err;
    }
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

} // namespace

QString SettingsLocation::describe() const {
    if (folder.isEmpty())
        return QStringLiteral("(none: neither XDG_CONFIG_HOME nor HOME names a folder)");
    switch (origin) {
    case SettingsOrigin::ProgramFolder:
        return folder + QStringLiteral(" (the program folder)");
    case SettingsOrigin::UserFolder:
        return folder + QStringLiteral(" (the user's configuration folder)");
    case SettingsOrigin::Given:
        return folder + QStringLiteral(" (given by --settings-dir)");
    }
    return folder;
}

int folderWriteError(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0 ? 0 : errno;
}

SettingsFolderInputs SettingsFolderInputs::fromEnvironment(const QString& programFolder,
                                                           std::optional<QString> given) {
    SettingsFolderInputs in;
    in.programFolder = programFolder;
    in.given = std::move(given);
    in.configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    in.home = qEnvironmentVariable("HOME");
    in.installedFolder = installedProgramFolder();
    return in;
}

SettingsLocation chooseSettingsFolder(const SettingsFolderInputs& in) {
    SettingsLocation where;
    if (in.given) {
        where.origin = SettingsOrigin::Given;
        const QFileInfo fi(*in.given);
        if (in.given->isEmpty() || !fi.exists())
            where.refusal = QStringLiteral("The settings folder %1 does not exist.").arg(*in.given);
        else if (!fi.isDir())
            where.refusal = QStringLiteral("%1 is not a folder.").arg(*in.given);
        else
            where.folder = QDir::cleanPath(fi.absoluteFilePath());
        return where;
    }
    const bool installed =
        !in.installedFolder.isEmpty() && sameFolder(in.programFolder, in.installedFolder);
    if (!installed && !in.programFolder.isEmpty() &&
        (holdsSettingsFile(in.programFolder) || in.writeError(in.programFolder) == 0)) {
        where.folder = in.programFolder;
        return where;
    }
    where.origin = SettingsOrigin::UserFolder;
    // A relative XDG_CONFIG_HOME is to be ignored, as the desktop's rules say.
    QString base = QDir::isAbsolutePath(in.configHome) ? in.configHome : QString();
    if (base.isEmpty() && QDir::isAbsolutePath(in.home))
        base = QDir(in.home).filePath(QStringLiteral(".config"));
    if (!base.isEmpty())
        where.folder = QDir::cleanPath(QDir(base).filePath(QStringLiteral("tallywork")));
    return where;
}

QString prepareSettingsFolder(const SettingsLocation& where, const WriteCheck& writeError) {
    if (where.origin != SettingsOrigin::UserFolder)
        return {};
    if (where.folder.isEmpty())
        return QStringLiteral("The settings cannot be kept: neither XDG_CONFIG_HOME nor HOME "
                              "names a folder. Please start the program with --settings-dir "
                              "naming a folder that can be written.");
    const auto refusal = [&where](const QString& what, int err) {
        return QStringLiteral("The settings folder %1 cannot be %2 (%3).\n\nThe program keeps "
                              "its settings, its log and its drive map there. Please make sure "
                              "that the folder can be written, or start the program with "
                              "--settings-dir naming a folder that can.")
            .arg(where.folder, what, reasonOf(err));
    };
    if (const int err = makeFolder(where.folder))
        return refusal(QStringLiteral("created"), err);
    if (const int err = writeError(where.folder))
        return refusal(QStringLiteral("written"), err);
    return {};
}

QString startLogLine(const SettingsLocation& where, const DosPaths& paths) {
    const SettingsStore store(where.folder);
    const auto setting = [&store](const QString& name) {
        return store.read(name).value_or(QStringLiteral("(not set)"));
    };
    QString fileSystem; // told for a ledger folder that the drive map reaches
    if (const auto ledger = store.readFolder(kLedger)) {
        if (const QString native = paths.toNative(*ledger); !native.isEmpty())
            fileSystem = QStringLiteral(" on ") + mountOfFolder(native).describe();
    }
    return QStringLiteral("%1 %2 started; settings folder %3, estimating folder \"%4\", ledger "
                          "folder \"%5\"%6")
        .arg(appTitle(), versionText(), where.describe(), setting(kEstLoc), setting(kLedger),
             fileSystem);
}

} // namespace tw::settings
