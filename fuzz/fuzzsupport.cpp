#include "fuzzsupport.h"

#include "platform/text1252.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tw::fuzz {

void failed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", what, file, line);
    std::abort();
}

namespace {

QString makeRoot() {
    // Kept for the whole run and removed at exit; tmpfs when there is one, for speed.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/twfuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/twfuzz-XXXXXX"));
    if (!dir.isValid())
        failed("scratch folder cannot be created", __FILE__, __LINE__);
    return dir.path();
}

} // namespace

Scratch::Scratch() : root_(makeRoot()), prog_(root_ + QStringLiteral("/prog")), paths_(prog_) {
    QDir().mkpath(prog_ + QStringLiteral("/dosdevices"));
    QDir().mkpath(driveF());
    QDir().mkpath(driveZ());
    QFile::link(driveF(), prog_ + QStringLiteral("/dosdevices/f:"));
    QFile::link(driveZ(), prog_ + QStringLiteral("/dosdevices/z:"));
}

Scratch& Scratch::get() {
    static Scratch s;
    return s;
}

QString Scratch::freshFolder(const QString& name) {
    const QString dir = driveF() + QLatin1Char('/') + name;
    QDir(dir).removeRecursively();
    if (!QDir().mkpath(dir))
        failed("scratch folder cannot be made", __FILE__, __LINE__);
    return dir;
}

QString Scratch::freshDrive(const QString& name) {
    QDir(driveF()).removeRecursively();
    QDir().mkpath(driveF());
    return freshFolder(name);
}

void Scratch::put(const QString& nativePath, QByteArrayView bytes) {
    QFile f(nativePath);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(bytes.data(), bytes.size()) != bytes.size())
        failed("scratch file cannot be written", __FILE__, __LINE__);
}

QByteArray Scratch::get(const QString& nativePath) {
    QFile f(nativePath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QList<QByteArrayView> splitInput(const std::uint8_t* data, std::size_t size, int parts) {
    QList<QByteArrayView> out;
    QByteArrayView rest(reinterpret_cast<const char*>(data), qsizetype(size));
    while (out.size() < parts - 1) {
        const qsizetype at = rest.indexOf(QByteArrayView("@@@@"));
        if (at < 0)
            break;
        out << rest.first(at);
        rest = rest.sliced(at + 4);
    }
    out << rest;
    while (out.size() < parts)
        out << QByteArrayView();
    return out;
}

QString textOf(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return {};
    const QByteArrayView rest = bytes.sliced(1);
    switch (static_cast<unsigned char>(bytes[0]) % 3) {
    case 0:
        return ansi::decode(rest);
    case 1:
        return QString::fromUtf8(rest);
    default: {
        QString s(rest.size() / 2, Qt::Uninitialized);
        std::memcpy(s.data(), rest.data(), size_t(s.size()) * 2);
        return s;
    }
    }
}

} // namespace tw::fuzz
