#include "platform/dospath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <utility>

namespace tw {

bool isDriveLetter(QChar c) {
    return c.isLetter() && c.unicode() < 0x80;
}

namespace {

// The directory entry of `dir` whose name equals `name` without regard to case, or an
// empty string. Several candidates (a case-sensitive folder holding both WIP.DAT and
// wip.dat) resolve to the first in name order, so the choice does not change from run to run.
QString findCaseless(const QString& dir, const QString& name) {
    QDir d(dir);
    const QStringList entries = d.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& e : entries) {
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    }
    return {};
}

QString join(const QString& dir, const QString& name) {
    return dir.endsWith(QLatin1Char('/')) ? dir + name : dir + QLatin1Char('/') + name;
}

// Exists as a directory entry, even as a link that leads nowhere. Every file operation
// resolves its path through here, so this asks the system directly.
bool entryExists(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// The canonical path of a folder (links resolved), or empty when `path` leads to no folder.
QString canonicalFolder(const QByteArray& path) {
    char name[PATH_MAX];
    if (!::realpath(path.constData(), name))
        return {};
    return QFile::decodeName(name);
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

// Every file operation maps its drive, and resolving a link to its canonical folder takes a
// system call for every part of both paths. A root found before is used again while the
// drive's entry still leads to the very folder that the remembered path names; a link changed
// to another folder is resolved anew.
struct DosPaths::RootCache {
    std::mutex lock;
    QHash<QByteArray, QString> roots; // drive entry -> canonical folder
};

DosPaths::DosPaths(QString programFolder)
    : programFolder_(std::move(programFolder)), roots_(std::make_shared<RootCache>()) {}

QString DosPaths::driveRoot(QChar drive) const {
    if (!isDriveLetter(drive))
        return {};
    const QString dev = programFolder_ + QStringLiteral("/dosdevices/");
    const QChar lower = drive.toLower();
    for (const QChar c : {lower, lower.toUpper()}) {
        const QByteArray entry = QFile::encodeName(dev + c + QLatin1Char(':'));
        struct stat target {};
        if (::stat(entry.constData(), &target) != 0) {
            // A listed drive whose link leads nowhere has no mapping, even Z:.
            struct stat link {};
            if (::lstat(entry.constData(), &link) == 0)
                return {};
            continue;
        }
        if (!S_ISDIR(target.st_mode))
            return {};
        const std::lock_guard<std::mutex> guard(roots_->lock);
        const QString known = roots_->roots.value(entry);
        struct stat now {};
        if (!known.isEmpty() && ::stat(QFile::encodeName(known).constData(), &now) == 0 &&
            sameFile(now, target))
            return known;
        const QString root = canonicalFolder(entry);
        roots_->roots.insert(entry, root);
        return root;
    }
    if (lower == QLatin1Char('z'))
        return QStringLiteral("/");
    return {};
}

QList<QChar> DosPaths::drives() const {
    QList<QChar> out;
    for (char c = 'A'; c <= 'Z'; ++c) {
        if (!driveRoot(QLatin1Char(c)).isEmpty())
            out << QLatin1Char(c);
    }
    return out;
}

std::optional<DosPaths::Parsed> DosPaths::parse(const QString& dosPath) {
    // A control character (a NUL above all, which ends the name the system sees) is in no DOS
    // path: such a text names no file.
    if (std::any_of(dosPath.begin(), dosPath.end(),
                    [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }))
        return std::nullopt;
    Parsed out{QLatin1Char('Z'), {}};
    QStringView rest = dosPath;
    if (dosPath.size() >= 2 && dosPath[1] == QLatin1Char(':') && isDriveLetter(dosPath[0])) {
        out.drive = dosPath[0].toUpper();
        rest = rest.mid(2);
    }
    for (QStringView part : rest.split(QLatin1Char('\\'))) {
        for (QStringView p : part.split(QLatin1Char('/'))) {
            if (p.isEmpty() || p == u".")
                continue;
            if (p == u"..") {
                if (!out.parts.isEmpty()) // never above the drive's root
                    out.parts.removeLast();
                continue;
            }
            out.parts << p.toString();
        }
    }
    return out;
}

QString DosPaths::directPath(const QString& dosPath) const {
    const std::optional<Parsed> parsed = parse(dosPath);
    // A drive alone would name the entry itself, which may be anything but a folder.
    if (!parsed || parsed->parts.isEmpty())
        return {};
    QString path = programFolder_ + QStringLiteral("/dosdevices/") + parsed->drive.toLower() +
                   QLatin1Char(':');
    for (const QString& p : parsed->parts)
        path = join(path, p);
    return path;
}

QString DosPaths::toNative(const QString& dosPath) const {
    const std::optional<Parsed> parsed = parse(dosPath);
    if (!parsed)
        return {};
    const QString root = driveRoot(parsed->drive);
    if (root.isEmpty())
        return {};
    const QStringList& parts = parsed->parts;

    // Mostly the path exists as written: one look at the whole of it then does.
    QString path = root;
    for (const QString& p : std::as_const(parts))
        path = join(path, p);
    if (parts.isEmpty() || entryExists(path))
        return path;

    path = root;
    bool searching = true; // once a folder is missing, nothing below it can be found
    for (const QString& p : std::as_const(parts)) {
        QString candidate = join(path, p);
        if (searching && !entryExists(candidate)) {
            const QString found = findCaseless(path, p);
            if (found.isEmpty())
                searching = false;
            else
                candidate = join(path, found);
        }
        path = candidate;
    }
    return path;
}

QString DosPaths::toDos(const QString& nativePath) const {
    if (nativePath.isEmpty())
        return {};
    QFileInfo fi(nativePath);
    QString path = fi.exists() ? fi.canonicalFilePath() : QDir::cleanPath(fi.absoluteFilePath());
    if (path.isEmpty())
        return {};

    auto under = [&](const QString& root) {
        if (root == QLatin1String("/"))
            return true;
        return path == root || path.startsWith(root + QLatin1Char('/'));
    };

    QChar best;
    QString bestRoot;
    for (char c = 'A'; c <= 'Y'; ++c) {
        const QString root = driveRoot(QLatin1Char(c));
        if (!root.isEmpty() && under(root) && root.size() > bestRoot.size()) {
            best = QLatin1Char(c);
            bestRoot = root;
        }
    }
    if (bestRoot.isEmpty()) {
        const QString z = driveRoot(QLatin1Char('Z'));
        if (z.isEmpty() || !under(z))
            return {};
        best = QLatin1Char('Z');
        bestRoot = z;
    }

    QString rest = path.mid(bestRoot == QLatin1String("/") ? 1 : bestRoot.size() + 1);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QString(best) + QStringLiteral(":\\") + rest;
}

} // namespace tw
