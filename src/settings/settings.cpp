#include "settings/settings.h"

#include "platform/host.h"
#include "platform/text1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    QFile f(pathOf(name));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = f.read(kReadLimit);
    if (head.isEmpty())
        return std::nullopt;
    return firstField(head);
}

bool SettingsStore::write(const QString& name, const QString& value) {
    // Written beside the old file and renamed over it: a full disk or a crash leaves the
    // previous value, never an empty or half-written file.
    QSaveFile f(pathOf(name));
    f.setDirectWriteFallback(false);
    QByteArray bytes = ansi::encode(value);
    bytes.append("\r\n", 2);
    bool ok = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    if (ok)
        ok = f.commit();
    else
        f.cancelWriting();
    if (!ok && host_ && !reported_) {
        reported_ = true;
        host_->message(
            QStringLiteral("The settings cannot be saved in the folder %1 (%2).\n\n"
                           "The program goes on, but the change will be lost when it ends. "
                           "Make sure the folder is not read-only and the disk is not full.")
                .arg(QDir::toNativeSeparators(folder_), f.errorString()));
    }
    return ok;
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
