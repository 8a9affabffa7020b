#include "platform/filesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

namespace tw {

namespace {

// The table writes a blank, a tab, a line end and a backslash in a path as \ooo (octal).
QString unescapeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return QFile::decodeName(out);
}

bool isUnder(const QString& path, const QString& mountPoint) {
    if (mountPoint == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == mountPoint || path.startsWith(mountPoint + QLatin1Char('/'));
}

// Options that keep byte-range locks on this PC instead of the file server. local_lock=flock
// leaves the record locks to the server.
QStringList localLockOptions(const QString& type, const QStringList& options) {
    QStringList out;
    for (const QString& o : options) {
        if ((type.startsWith(QLatin1String("cifs")) || type.startsWith(QLatin1String("smb"))) &&
            o == QLatin1String("nobrl"))
            out << o;
        if (type.startsWith(QLatin1String("nfs")) &&
            (o == QLatin1String("nolock") || o == QLatin1String("local_lock=posix") ||
             o == QLatin1String("local_lock=all")))
            out << o;
    }
    out.removeDuplicates();
    return out;
}

} // namespace

QString MountOfFolder::describe() const {
    QString text = type.isEmpty() ? QStringLiteral("unknown") : type;
    if (!localLocks.isEmpty())
        text += QStringLiteral(" (mounted with %1: record locks do not reach the file server, so "
                               "two PCs could write one ledger at once)")
                    .arg(localLocks.join(QLatin1Char(',')));
    return text;
}

MountOfFolder mountFromTable(const QString& canonicalPath, const QByteArray& mountinfo) {
    MountOfFolder best;
    for (const QByteArray& line : mountinfo.split('\n')) {
        // id parent major:minor root mount-point options [optional fields...] - type source
        // super-options
        const QList<QByteArray> f = line.split(' ');
        const qsizetype dash = f.indexOf(QByteArray("-"));
        if (dash < 6 || dash + 1 >= f.size())
            continue;
        const QString point = unescapeMountField(f[4]);
        if (!isUnder(canonicalPath, point) || point.size() < best.mountPoint.size())
            continue;
        best.mountPoint = point;
        best.type = QString::fromLatin1(f[dash + 1]);
        QStringList options = QString::fromLatin1(f[5]).split(QLatin1Char(','));
        if (dash + 3 < f.size())
            options += QString::fromLatin1(f[dash + 3]).split(QLatin1Char(','));
        best.localLocks = localLockOptions(best.type, options);
    }
    return best;
}

MountOfFolder mountOfFolder(const QString& folder) {
    // A folder not made yet lies on the mount of its parent.
    if (folder.isEmpty())
        return {};
    QString path = QFileInfo(folder).absoluteFilePath();
    while (!QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).path();
        if (parent == path) // the root, or a name that has no parent: nothing to walk up to
            return {};
        path = parent;
    }
    const QString canonical = QFileInfo(path).canonicalFilePath();
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (canonical.isEmpty() || !table.open(QIODevice::ReadOnly))
        return {};
    return mountFromTable(canonical, table.readAll());
}

} // namespace tw
