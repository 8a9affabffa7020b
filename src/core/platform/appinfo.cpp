#include "platform/appinfo.h"

#include "version.h"

namespace tw {

QString appTitle() { return QStringLiteral("Tallywork"); }

QString versionText() {
    return QStringLiteral("Version %1.%2.%3").arg(TW_VERSION_MAJOR).arg(TW_VERSION_MINOR).arg(TW_VERSION_PATCH);
}

} // namespace tw
