// Runs a fuzz target over saved inputs without libFuzzer: every file named, and every file
// of every folder named, in name order. Used by the normal build to replay the corpora.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replay(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray bytes = f.readAll();
    // A copy of exactly the input's size, so that a read past its end is caught.
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size_t(bytes.size())]);
    std::memcpy(copy.get(), bytes.constData(), size_t(bytes.size()));
    LLVMFuzzerTestOneInput(copy.get(), size_t(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(arg).isDir()) {
            const QStringList names = QDir(arg).entryList(QDir::Files | QDir::Hidden, QDir::Name);
            for (const QString& n : names) {
                if (!replay(QDir(arg).filePath(n)))
                    return 1;
                ++count;
            }
        } else {
            if (!replay(arg))
                return 1;
            ++count;
        }
    }
    // A replay of nothing would pass without proving anything.
    if (count == 0) {
        std::fprintf(stderr, "no input to replay\n");
        return 1;
    }
    std::printf("%d inputs replayed\n", count);
    return 0;
}
