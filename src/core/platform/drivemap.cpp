#include "platform/drivemap.h"

#include "platform/dospath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

QString reasonOf(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

QString driveName(QChar letter) {
    return QString(letter.toUpper()) + QLatin1Char(':');
}

DriveEntry examine(const QString& dev, const QString& name) {
    DriveEntry e;
    e.name = name;
    if (name.size() == 2 && name[1] == QLatin1Char(':') && isDriveLetter(name[0]))
        e.letter = name[0].toUpper();
    const QByteArray path = QFile::encodeName(dev + QLatin1Char('/') + name);
    struct stat entry {};
    if (::lstat(path.constData(), &entry) != 0) {
        e.state = DriveEntry::State::Missing; // removed while the folder was read
        return e;
    }
    const bool link = S_ISLNK(entry.st_mode);
    if (link) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), target, sizeof target);
        if (n > 0)
            e.folder = QFile::decodeName(QByteArray(target, n));
    }
    if (e.letter.isNull()) {
        e.state = DriveEntry::State::NotADriveLetter;
    } else if (!link) {
        e.state = DriveEntry::State::NotALink;
    } else {
        struct stat target {};
        if (::stat(path.constData(), &target) == 0)
            e.state =
                S_ISDIR(target.st_mode) ? DriveEntry::State::Mapped : DriveEntry::State::NotAFolder;
        else
            e.state = errno == ELOOP ? DriveEntry::State::Loop : DriveEntry::State::Missing;
    }
    return e;
}

// The folder a drive may lead to, made absolute; or the reason it may not.
QString checkFolder(const QString& folder, QString& absolute) {
    const QFileInfo fi(folder);
    if (folder.isEmpty() || !fi.exists())
        return QStringLiteral("The folder %1 does not exist.").arg(folder);
    if (!fi.isDir())
        return QStringLiteral("%1 is not a folder.").arg(folder);
    absolute = QDir::cleanPath(fi.absoluteFilePath());
    return {};
}

QString notALetter(QChar letter) {
    return QStringLiteral("%1 is not a drive letter: a drive is named by a letter from A to Z.")
        .arg(letter);
}

QString leftAlone(const DriveEntry& e, const QString& dev) {
    return QStringLiteral("The drive %1 is not a link in %2; the program leaves it as it is.")
        .arg(driveName(e.letter), dev);
}

} // namespace

QString DriveEntry::stateText() const {
    switch (state) {
    case State::Mapped:
        return {};
    case State::Missing:
        return QStringLiteral("missing");
    case State::NotAFolder:
        return QStringLiteral("not a folder");
    case State::Loop:
        return QStringLiteral("link loop");
    case State::NotALink:
        return QStringLiteral("not a link");
    case State::NotADriveLetter:
        return QStringLiteral("not a drive letter");
    }
    return {};
}

DriveMap::DriveMap(const QString& settingsFolder)
    : folder_(QDir(settingsFolder).filePath(QStringLiteral("dosdevices"))) {}

QList<DriveEntry> DriveMap::entries() const {
    QList<DriveEntry> out;
    const QStringList names = QDir(folder_).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names)
        out << examine(folder_, name);
    return out;
}

std::optional<DriveEntry> DriveMap::entryFor(QChar letter) const {
    for (const QChar c : {letter.toLower(), letter.toUpper()}) {
        const QString name = QString(c) + QLatin1Char(':');
        const QFileInfo fi(QDir(folder_).filePath(name));
        if (fi.isSymLink() || fi.exists())
            return examine(folder_, name);
    }
    return std::nullopt;
}

QString DriveMap::linkOf(QChar letter, DriveEntry& entry) const {
    if (!isDriveLetter(letter))
        return notALetter(letter);
    const auto found = entryFor(letter);
    if (!found)
        return QStringLiteral("The drive %1 is not mapped.").arg(driveName(letter));
    if (found->state == DriveEntry::State::NotALink)
        return leftAlone(*found, folder_);
    entry = *found;
    return {};
}

QList<QChar> DriveMap::freeLetters() const {
    QList<QChar> out;
    for (char c = 'A'; c <= 'Z'; ++c) {
        if (!entryFor(QLatin1Char(c)))
            out << QLatin1Char(c);
    }
    return out;
}

QString DriveMap::add(QChar letter, const QString& folder) {
    if (!isDriveLetter(letter))
        return notALetter(letter);
    if (const auto used = entryFor(letter)) {
        return used->state == DriveEntry::State::NotALink
                   ? leftAlone(*used, folder_)
                   : QStringLiteral("The drive %1 is already used: it leads to %2.")
                         .arg(driveName(letter), used->folder);
    }
    QString target;
    if (QString refusal = checkFolder(folder, target); !refusal.isEmpty())
        return refusal;
    if (!QDir().mkpath(folder_))
        return QStringLiteral("The folder %1 cannot be made.").arg(folder_);
    const QByteArray link = QFile::encodeName(QDir(folder_).filePath(driveName(letter).toLower()));
    if (::symlink(QFile::encodeName(target).constData(), link.constData()) != 0)
        return QStringLiteral("The drive %1 cannot be mapped in %2 (%3).")
            .arg(driveName(letter), folder_, reasonOf(errno));
    return {};
}

QString DriveMap::change(QChar letter, const QString& folder) {
    DriveEntry entry;
    if (QString refusal = linkOf(letter, entry); !refusal.isEmpty())
        return refusal;
    QString target;
    if (QString refusal = checkFolder(folder, target); !refusal.isEmpty())
        return refusal;
    // A new link renamed over the old one: the drive leads to one folder or the other at
    // every moment, never to none.
    const QByteArray link = QFile::encodeName(QDir(folder_).filePath(entry.name));
    const QByteArray temp =
        link + ".new" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
    int err = 0;
    if (::symlink(QFile::encodeName(target).constData(), temp.constData()) != 0)
        err = errno;
    else if (::rename(temp.constData(), link.constData()) != 0) {
        err = errno;
        ::unlink(temp.constData());
    }
    if (err != 0)
        return QStringLiteral("The drive %1 cannot be changed in %2 (%3).")
            .arg(driveName(letter), folder_, reasonOf(err));
    return {};
}

QString DriveMap::remove(QChar letter) {
    DriveEntry entry;
    if (QString refusal = linkOf(letter, entry); !refusal.isEmpty())
        return refusal;
    if (::unlink(QFile::encodeName(QDir(folder_).filePath(entry.name)).constData()) != 0)
        return QStringLiteral("The drive %1 cannot be removed from %2 (%3).")
            .arg(driveName(letter), folder_, reasonOf(errno));
    return {};
}

} // namespace tw
