#include "platform/appinfo.h"

#include "version.h"

#include <QDir>
#include <QFileInfo>

namespace tw {

QString appTitle() {
    return QStringLiteral("Tallywork");
}

QString versionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(TW_VERSION_MAJOR)
        .arg(TW_VERSION_MINOR)
        .arg(TW_VERSION_PATCH);
}

QString desktopEntryName() {
    return QStringLiteral("org.tallywork.tallywork");
}

QString iconName() {
    return QStringLiteral("tallywork");
}

QString installedProgramFolder() {
    return QString::fromUtf8(TW_INSTALL_BINDIR);
}

QString installedHelperFolder() {
    return QString::fromUtf8(TW_INSTALL_HELPERDIR);
}

QString findHelperProgram(const QString& name, const QStringList& folders) {
    for (const QString& folder : folders) {
        const QFileInfo candidate(QDir(folder).filePath(name));
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.filePath();
    }
    return folders.isEmpty() ? name : QDir(folders.first()).filePath(name);
}

} // namespace tw
