// Folder settings are typed by hand or edited outside the program: any text becomes a path.
#include "fuzzsupport.h"

#include <QDir>

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Scratch& s = fuzz::Scratch::get();
    static const bool made = [&] {
        // A few entries so that the search without regard to case has something to find.
        const QString est = s.freshFolder(QStringLiteral("EST"));
        QDir().mkpath(est + QStringLiteral("/Data"));
        fuzz::Scratch::put(est + QStringLiteral("/WIP.DAT"), "x");
        fuzz::Scratch::put(est + QStringLiteral("/wip.dat"), "y");
        QDir().mkpath(s.driveZ() + QStringLiteral("/ledger"));
        return true;
    }();
    (void)made;

    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString dos = fuzz::textOf(bytes);
    const QString native = s.paths().toNative(dos);

    // Either no mapping, or a path inside the drive it names: ".." never climbs above a root.
    if (!native.isEmpty()) {
        const QString f = QDir(s.driveF()).canonicalPath();
        const QString z = QDir(s.driveZ()).canonicalPath();
        const bool inF = native == f || native.startsWith(f + QLatin1Char('/'));
        const bool inZ = native == z || native.startsWith(z + QLatin1Char('/'));
        TW_FUZZ_CHECK(inF || inZ);
        TW_FUZZ_CHECK(!native.contains(QStringLiteral("/../")) &&
                      !native.endsWith(QStringLiteral("/..")));
        // A path inside a mapped drive has a DOS form on that drive.
        const QString back = s.paths().toDos(native);
        TW_FUZZ_CHECK(back.startsWith(inF ? QStringLiteral("F:\\") : QStringLiteral("Z:\\")));
    }

    // A junk native path has a DOS form only when it lies inside a mapped drive.
    const QString back = s.paths().toDos(QString::fromUtf8(bytes));
    TW_FUZZ_CHECK(back.isEmpty() || back.startsWith(QStringLiteral("F:\\")) ||
                  back.startsWith(QStringLiteral("Z:\\")));
    return 0;
}
