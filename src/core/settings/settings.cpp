#include "settings/settings.h"

#include "platform/blanks.h"
#include "platform/dospath.h"
#include "platform/host.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "platform/text1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tw::settings {

namespace {

// A settings value is one short line; a huge or binary file is read only this far.
constexpr qint64 kReadLimit = 64 * 1024;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

QString firstField(QByteArrayView content) {
    qsizetype i = 0;
    const qsizetype n = content.size();
    while (i < n && isBlank(content[i]))
        ++i;
    qsizetype begin = i;
    if (i < n && content[i] == '"') {
        // A quoted value runs to the next quote; without one, to the end of the line.
        begin = ++i;
        while (i < n && content[i] != '"' && !isLineEnd(content[i]))
            ++i;
    } else {
        while (i < n && content[i] != ',' && !isLineEnd(content[i]))
            ++i;
    }
    return ansi::decode(content.sliced(begin, i - begin));
}

bool isDosFolder(QStringView value) {
    return !driveOf(value).isNull() && !hasControlCharacter(value);
}

QString quotedIfNeeded(const QString& value) {
    if (!value.contains(QLatin1Char(',')))
        return value;
    return QLatin1Char('"') + value + QLatin1Char('"');
}

FolderChoice checkChosenFolder(QStringView text) {
    FolderChoice c;
    c.path = trimBlanks(text).toString();
    // Each character the settings file cannot hold, once, as the operator would name it.
    QStringList refused;
    for (const char32_t u : c.path.toUcs4()) {
        const QString ch = QString::fromUcs4(&u, 1);
        QString shown;
        if (isControlCharacter(u))
            shown = QStringLiteral("U+%1").arg(quint32(u), 4, 16, QLatin1Char('0')).toUpper();
        else if (ansi::decode(ansi::encode(ch)) != ch || u == U'"')
            shown = QLatin1Char('"') + ch + QLatin1Char('"');
        if (!shown.isEmpty() && !refused.contains(shown))
            refused << shown;
    }
    if (!refused.isEmpty()) {
        c.refusal = QStringLiteral("The folder %1 cannot be saved: the settings file cannot hold "
                                   "the characters %2. Please choose a folder whose name has "
                                   "none of them.")
                        .arg(c.path, refused.join(QStringLiteral(", ")));
    }
    return c;
}

SettingsStore::SettingsStore(QString folder, Host* host)
    : folder_(std::move(folder)), host_(host) {}

QString SettingsStore::pathOf(const QString& name) const {
    const QString exact = QDir(folder_).filePath(name);
    if (QFileInfo::exists(exact))
        return exact;
    // The other programs of the office may have written the file in another case
    // (DEFTAX.DAT); on Windows it is the same file, so it is here too.
    const QStringList entries = QDir(folder_).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& e : entries) {
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return QDir(folder_).filePath(e);
    }
    return exact;
}

std::optional<QString> SettingsStore::read(const QString& name) const {
    // Through the record file: a pipe or a device put in the file's place is refused at once
    // instead of holding the window.
    const QString path = pathOf(name);
    try {
        RecordFile f;
        f.open(path, path, RecordFile::Mode::ReadOnly);
        QByteArray head(kReadLimit, Qt::Uninitialized);
        head.truncate(qsizetype(f.read(0, head.data(), kReadLimit)));
        if (head.isEmpty())
            return std::nullopt;
        return firstField(head);
    } catch (const IoError&) {
        return std::nullopt;
    }
}

std::optional<QString> SettingsStore::readFolder(const QString& name) const {
    std::optional<QString> value = read(name);
    if (value && (value->isEmpty() || !isDosFolder(*value)))
        return std::nullopt;
    return value;
}

namespace {

// Writes all of bytes to fd and flushes them to the disk; errno on failure, else 0.
int writeAllAndSync(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return ::fsync(fd) != 0 && errno != EINVAL ? errno : 0;
}

// A new file beside `path` with a name no other writer uses; -1 with errno on failure.
int createBeside(const QByteArray& path, QByteArray& tempName) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempName = path + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || (errno != EEXIST && errno != EINTR))
            return fd;
    }
    return -1;
}

// Replaces the file's content. Normally written beside the old file and renamed over it, so
// that a full disk or a crash leaves the previous value, never an empty or half-written file;
// the folder is then synced, or the rename (or the new file) could be lost in a crash. A folder
// that refuses new files (a read-only program folder with writable settings files) gets the
// value written into the file itself, as the old program did. Returns errno, or 0.
int replaceContent(const QString& path, const QByteArray& bytes) {
    QString target = path;
    if (const QFileInfo fi(path); fi.isSymLink())
        target = fi.symLinkTarget(); // the file the link names, not the link
    const QByteArray native = QFile::encodeName(target);

    QByteArray temp;
    const int fd = createBeside(native, temp);
    if (fd < 0) {
        const int err = errno;
        if (err != EACCES && err != EPERM && err != EROFS)
            return err;
        int in = ::open(native.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
        if (in < 0)
            return err; // the folder's refusal is the reason the operator can act on
        struct stat st {};
        int result = ::fstat(in, &st) != 0 ? errno : (S_ISREG(st.st_mode) ? 0 : EINVAL);
        if (result == 0 && ::ftruncate(in, 0) != 0)
            result = errno;
        if (result == 0)
            result = writeAllAndSync(in, bytes);
        ::close(in);
        return result;
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat old {};
    if (::stat(native.constData(), &old) == 0)
        (void)::fchmod(fd, old.st_mode & 07777);
    int result = writeAllAndSync(fd, bytes);
    if (::close(fd) != 0 && result == 0 && errno != EINTR)
        result = errno;
    if (result == 0 && ::rename(temp.constData(), native.constData()) != 0)
        result = errno;
    if (result != 0) {
        ::unlink(temp.constData());
        return result;
    }
    return syncFolderOf(target);
}

} // namespace

bool SettingsStore::write(const QString& name, const QString& value) {
    return writeLines(name, QStringList{value});
}

QStringList SettingsStore::readLines(const QString& name) const {
    const QString path = pathOf(name);
    try {
        RecordFile f;
        f.open(path, path, RecordFile::Mode::ReadOnly);
        QByteArray bytes(kReadLimit, Qt::Uninitialized);
        bytes.truncate(qsizetype(f.read(0, bytes.data(), kReadLimit)));
        QStringList lines;
        for (const QByteArray& line : bytes.split('\n')) {
            const QByteArray text = line.endsWith('\r') ? line.chopped(1) : line;
            if (!text.isEmpty())
                lines << ansi::decode(text);
        }
        return lines;
    } catch (const IoError&) {
        return {};
    }
}

bool SettingsStore::writeLines(const QString& name, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += ansi::encode(line);
        bytes.append("\r\n", 2);
    }
    const int err = replaceContent(pathOf(name), bytes);
    if (err != 0 && host_ && !reported_) {
        reported_ = true;
        host_->message(
            QStringLiteral("The settings cannot be saved in the folder %1 (%2).\n\n"
                           "The program goes on, but the change will be lost when it ends. "
                           "Make sure the folder is not read-only and the disk is not full.")
                .arg(QDir::toNativeSeparators(folder_),
                     QString::fromLocal8Bit(std::strerror(err))));
    }
    return err == 0;
}

bool SettingsStore::remove(const QString& name) {
    const QString path = pathOf(name);
    QFile f(path);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true;
    if (f.remove())
        return true;
    if (host_ && !reported_) {
        reported_ = true;
        host_->message(QStringLiteral("The settings cannot be changed in the folder %1 (%2).\n\n"
                                      "The program goes on, but the change will be lost when it "
                                      "ends. Make sure the folder is not read-only.")
                           .arg(QDir::toNativeSeparators(folder_), f.errorString()));
    }
    return false;
}

} // namespace tw::settings
