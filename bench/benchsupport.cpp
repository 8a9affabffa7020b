#include "benchsupport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tw::bench {

std::string Data::native(const QString& dosPath) const {
    return QFile::encodeName(paths->toNative(dosPath)).toStdString();
}

Data& data() {
    static Data d;
    return d;
}

AlignedBuffer::AlignedBuffer(std::size_t size)
    : data_(static_cast<char*>(std::aligned_alloc(4096, (size + 4095) / 4096 * 4096))),
      size_(size) {}

AlignedBuffer::~AlignedBuffer() {
    std::free(data_);
}

std::int64_t readLarge(const std::string& path, char* buffer, std::int64_t bufferSize) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    std::int64_t total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size_t(bufferSize));
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

std::int64_t readPerRecord(const std::string& path, int recordLength) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    char rec[1024];
    std::int64_t total = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, rec, size_t(recordLength), off_t(total));
        if (n <= 0)
            break;
        benchmark::DoNotOptimize(rec);
        total += n;
    }
    ::close(fd);
    return total;
}

void largeReads(benchmark::internal::Benchmark* b) {
    b->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20);
}

void runToIdle() {
    // Showing a window posts layout and paint requests, whose handling posts more; three
    // rounds leave the offscreen window painted and the queue empty.
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

std::int64_t residentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().simplified().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields[1].toLongLong() * (::sysconf(_SC_PAGESIZE) / 1024);
}

void fail(benchmark::State& state, const QString& why) {
    state.SkipWithError(why.toStdString().c_str());
}

} // namespace tw::bench
