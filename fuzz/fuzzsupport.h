#pragma once
// Shared by the fuzz targets: a scratch program folder whose drives map to scratch folders
// (nothing outside it is ever touched), splitting one input into several files, and a check
// that stops the run on a broken promise of the code under test.
#include "platform/dospath.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace tw::fuzz {

// Stops the run (a crash for libFuzzer, a failure for the replay) with the broken promise.
[[noreturn]] void failed(const char* what, const char* file, int line);

#define TW_FUZZ_CHECK(cond)                                                                        \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ::tw::fuzz::failed(#cond, __FILE__, __LINE__);                                         \
    } while (0)

// A program folder made once per process: F: maps to <root>/f and Z: to <root>/z, so that
// no path a target builds can leave the scratch folder.
class Scratch {
public:
    static Scratch& get();

    const DosPaths& paths() const { return paths_; }
    const QString& programFolder() const { return prog_; }
    // The native directory of a folder on F: (created, empty) such as "EST" for F:\EST.
    QString freshFolder(const QString& name);
    // Empties drive F: entirely (a reader may create files anywhere on it), then makes the
    // folder as freshFolder does.
    QString freshDrive(const QString& name);
    // Writes a file at a native path, replacing it.
    static void put(const QString& nativePath, QByteArrayView bytes);
    static QByteArray get(const QString& nativePath);

    QString driveF() const { return root_ + QStringLiteral("/f"); }
    QString driveZ() const { return root_ + QStringLiteral("/z"); }

private:
    Scratch();
    QString root_;
    QString prog_;
    DosPaths paths_;
};

// The input cut at each "@@@@" into at most `parts` pieces; missing pieces are empty.
QList<QByteArrayView> splitInput(const std::uint8_t* data, std::size_t size, int parts);

// Text for the functions that take QString: the first byte chooses how the rest is read
// (Windows-1252, UTF-8, or raw UTF-16 code units with unpaired surrogates and all).
QString textOf(QByteArrayView bytes);

} // namespace tw::fuzz
