#include "platform/recordfile.h"

#include "platform/dospath.h"
#include "platform/ioerror.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tw {

namespace {

QString reason(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace

RecordFile::~RecordFile() {
    close();
}

RecordFile::RecordFile(RecordFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), created_(other.created_), asOpened_(other.asOpened_),
      lengthAtOpen_(other.lengthAtOpen_), display_(std::move(other.display_)) {}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        created_ = other.created_;
        asOpened_ = other.asOpened_;
        lengthAtOpen_ = other.lengthAtOpen_;
        display_ = std::move(other.display_);
    }
    return *this;
}

void RecordFile::fail(const QString& what, int err) const {
    throw IoError(QStringLiteral("%1 %2: %3").arg(what, display_, reasonText(err)));
}

QString reasonText(int err) {
    return reason(err) + QLatin1Char('.');
}

namespace {

// What a special file is, in the words of a message.
QString kindOf(mode_t m) {
    if (S_ISFIFO(m))
        return QStringLiteral("a pipe");
    if (S_ISSOCK(m))
        return QStringLiteral("a socket");
    if (S_ISCHR(m) || S_ISBLK(m))
        return QStringLiteral("a device");
    return QStringLiteral("no ordinary file");
}

// Opens as it is, or creates when missing; `made` says which. Another program may create or
// remove the file between the attempts: then the next attempt takes what is there.
int openOrCreate(const QByteArray& native, int flags, bool create, bool& made) {
    made = false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::open(native.constData(), flags, 0666);
        if (fd >= 0 || errno == EINTR) {
            if (fd >= 0)
                return fd;
            continue;
        }
        if (!create || errno != ENOENT)
            return -1;
        fd = ::open(native.constData(), flags | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) {
            made = true;
            return fd;
        }
        if (errno != EEXIST && errno != EINTR)
            return -1;
    }
    // A link that leads to no file: creating through it makes the file at its target. Whether
    // this open made it cannot be told, so it counts as made.
    int fd;
    do {
        fd = ::open(native.constData(), flags | O_CREAT, 0666);
    } while (fd < 0 && errno == EINTR);
    made = fd >= 0;
    return fd;
}

// Without waiting: opening a pipe for reading would wait for a writer for good. For a regular
// file the flag changes nothing.
int openFlags(RecordFile::Mode mode) {
    return (mode == RecordFile::Mode::ReadWriteCreate ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK;
}

} // namespace

void RecordFile::open(const QString& nativePath, const QString& displayName, Mode mode) {
    close();
    created_ = false;
    display_ = displayName.isEmpty() ? nativePath : displayName;
    // A drive without a mapping has no native path: the file simply is not there.
    if (nativePath.isEmpty())
        fail(QStringLiteral("Cannot open"), ENOENT);

    // The system would take the name only up to a NUL: another file than the one meant.
    if (nativePath.contains(QChar(0)))
        fail(QStringLiteral("Cannot open"), EINVAL);
    const QByteArray native = QFile::encodeName(nativePath);
    bool made = false;
    const int fd = openOrCreate(native, openFlags(mode), mode == Mode::ReadWriteCreate, made);
    if (fd < 0)
        fail(QStringLiteral("Cannot open"), errno);
    adopt(fd, made, nativePath, mode);
}

void RecordFile::open(const DosPaths& paths, const QString& dosPath, Mode mode) {
    // Mostly the file is there under the name as written: the system then finds it through the
    // drive's entry at once, where mapping the drive and looking at the name first take three
    // system calls more. Anything else goes the full way.
    if (const QString direct = paths.directPath(dosPath); !direct.isEmpty()) {
        const QByteArray native = QFile::encodeName(direct);
        int fd;
        do {
            fd = ::open(native.constData(), openFlags(mode));
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0) {
            close();
            display_ = dosPath;
            adopt(fd, false, direct, mode);
            return;
        }
    }
    open(paths.toNative(dosPath), dosPath, mode);
}

bool RecordFile::openIn(const OpenFolder& folder, const QString& name, const QString& displayName,
                        Mode mode) {
    close();
    if (!folder.isOpen() || mode == Mode::ReadWriteCreate || name.contains(QChar(0)))
        return false;
    const QByteArray native = QFile::encodeName(name);
    int fd;
    do {
        fd = ::openat(folder.nativeHandle(), native.constData(), openFlags(mode));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    display_ = displayName;
    adopt(fd, false, QString(), mode);
    return true;
}

OpenFolder::OpenFolder(const QString& nativePath) {
    if (nativePath.isEmpty())
        return;
    const QByteArray native = QFile::encodeName(nativePath);
    do {
        fd_ = ::open(native.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
}

OpenFolder::~OpenFolder() {
    if (fd_ >= 0)
        ::close(fd_);
}

void RecordFile::adopt(int fd, bool made, const QString& nativePath, Mode mode) {
    created_ = false;
    asOpened_ = mode == Mode::ReadOnlyAsOpened;
    // Opening a folder read-only succeeds on POSIX; it is no record file, and neither is a
    // pipe or a device, whose reads would wait or never end.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = errno;
        const bool statFailed = st.st_mode == 0;
        ::close(fd);
        if (statFailed)
            fail(QStringLiteral("Cannot open"), err);
        if (S_ISDIR(st.st_mode))
            fail(QStringLiteral("Cannot open"), EISDIR);
        throw IoError(QStringLiteral("Cannot open %1: it is %2, not a file.")
                          .arg(display_, kindOf(st.st_mode)));
    }
    fd_ = fd;
    lengthAtOpen_ = st.st_size;
    created_ = made;
    if (made) {
        if (const int err = syncFolderOf(nativePath); err != 0) {
            close();
            fail(QStringLiteral("Cannot write"), err);
        }
    }
}

int syncFolderOf(const QString& nativePath) {
    const QByteArray folder = QFile::encodeName(QFileInfo(nativePath).absolutePath());
    int fd;
    do {
        fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    int err = fd < 0 ? errno : 0;
    // EINVAL: the file system keeps no cache to flush.
    if (fd >= 0 && ::fsync(fd) != 0 && errno != EINVAL)
        err = errno;
    if (fd >= 0)
        ::close(fd);
    return err;
}

void RecordFile::close() {
    if (fd_ >= 0) {
        // The descriptor is released even when close reports an error; retrying could
        // close a descriptor that another open has since received.
        ::close(fd_);
        fd_ = -1;
    }
}

std::int64_t RecordFile::length() const {
    if (fd_ < 0)
        fail(QStringLiteral("Cannot read"), EBADF);
    if (asOpened_)
        return lengthAtOpen_;
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        fail(QStringLiteral("Cannot read"), errno);
    return st.st_size;
}

std::int64_t RecordFile::read(std::int64_t offset, char* buffer, std::int64_t len) const {
    if (fd_ < 0)
        fail(QStringLiteral("Cannot read"), EBADF);
    if (offset < 0 || len < 0)
        fail(QStringLiteral("Cannot read"), EINVAL);
    if (asOpened_)
        len = qBound(std::int64_t(0), lengthAtOpen_ - offset, len);
    std::int64_t done = 0;
    while (done < len) {
        const ssize_t n = ::pread(fd_, buffer + done, size_t(len - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("Cannot read"), errno);
        }
        if (n == 0)
            break;
        done += n;
        // A read cut short at or beyond the length the file had when opened ended at the end:
        // asking again would only be told so, a system call for nothing. Short of that length
        // (a file cut meanwhile, a network share's partial answer) the reading goes on.
        if (done < len && offset + done >= lengthAtOpen_)
            break;
    }
    return done;
}

void RecordFile::write(std::int64_t offset, const char* data, std::int64_t len,
                       std::int64_t* written) {
    if (written)
        *written = 0;
    if (fd_ < 0)
        fail(QStringLiteral("Cannot write"), EBADF);
    if (offset < 0 || len < 0)
        fail(QStringLiteral("Cannot write"), EINVAL);
    std::int64_t done = 0;
    while (done < len) {
        const ssize_t n = ::pwrite(fd_, data + done, size_t(len - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("Cannot write"), errno);
        }
        if (n == 0)
            fail(QStringLiteral("Cannot write"), ENOSPC);
        done += n;
        if (written)
            *written = done;
    }
}

QByteArray RecordFile::readRecord(std::int64_t n, int recordLength) const {
    if (n < 1 || recordLength <= 0)
        fail(QStringLiteral("Bad record number reading"), EINVAL);
    QByteArray rec(recordLength, Qt::Uninitialized);
    const std::int64_t got = read((n - 1) * recordLength, rec.data(), recordLength);
    rec.truncate(qsizetype(got));
    return rec;
}

void RecordFile::sync() {
    if (fd_ < 0)
        fail(QStringLiteral("Cannot write"), EBADF);
    if (::fsync(fd_) != 0 && errno != EINVAL) // EINVAL: the file system keeps no cache to flush
        fail(QStringLiteral("Cannot write"), errno);
}

namespace {

// The lock of a byte range, as this handle may hold it: a file opened for reading only can
// hold a shared lock only. A length of 0 reaches to the end of the file and beyond.
struct flock lockRequest(int fd, std::int64_t offset, std::int64_t len) {
    const int accmode = ::fcntl(fd, F_GETFL) & O_ACCMODE;
    struct flock fl {};
    fl.l_type = accmode == O_RDONLY ? F_RDLCK : F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = off_t(len);
    fl.l_pid = 0; // required for open-file-description locks
    return fl;
}

} // namespace

void RecordFile::lock(std::int64_t offset, std::int64_t len, int timeoutMs) {
    if (fd_ < 0)
        fail(QStringLiteral("Cannot lock a record of"), EBADF);
    // A length of 0 would lock to the end of the file and beyond: never meant here.
    if (offset < 0 || len <= 0)
        fail(QStringLiteral("Cannot lock a record of"), EINVAL);

    struct flock fl = lockRequest(fd_, offset, len);

    // The waiting variant cannot be given a time limit, so the lock is polled.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (::fcntl(fd_, F_OFD_SETLK, &fl) == 0)
            return;
        const int err = errno;
        if (err == EINTR)
            continue;
        if (err != EAGAIN && err != EACCES)
            fail(QStringLiteral("Cannot lock a record of"), err);
        if (std::chrono::steady_clock::now() >= deadline) {
            throw IoError(QStringLiteral("Cannot lock a record of %1: another program is using it "
                                         "(%2).")
                              .arg(display_, reason(err)));
        }
        QThread::msleep(20);
    }
}

bool RecordFile::tryLock(std::int64_t offset, std::int64_t len) {
    if (fd_ < 0 || offset < 0 || len < 0)
        return false;
    struct flock fl = lockRequest(fd_, offset, len);
    while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

void RecordFile::unlock(std::int64_t offset, std::int64_t len) {
    if (fd_ < 0)
        fail(QStringLiteral("Cannot unlock a record of"), EBADF);
    if (offset < 0 || len <= 0)
        fail(QStringLiteral("Cannot unlock a record of"), EINVAL);
    struct flock fl {};
    fl.l_type = F_UNLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = off_t(offset);
    fl.l_len = off_t(len);
    fl.l_pid = 0;
    while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
        if (errno != EINTR)
            fail(QStringLiteral("Cannot unlock a record of"), errno);
    }
}

RangeLock::RangeLock(RecordFile& file, std::int64_t offset, std::int64_t len, int timeoutMs)
    : file_(file), offset_(offset), len_(len) {
    file_.lock(offset_, len_, timeoutMs);
}

RangeLock::~RangeLock() {
    // An unlock that fails here cannot be reported; closing the file releases the lock anyway.
    try {
        if (file_.isOpen())
            file_.unlock(offset_, len_);
    } catch (const IoError&) {
    }
}

SequentialReader::SequentialReader(const RecordFile& file, int recordLength, int recordsPerRead)
    : file_(file), recLen_(recordLength) {
    if (recLen_ <= 0) {
        eof_ = true;
        return;
    }
    if (recordsPerRead <= 0)
        recordsPerRead = readBytes() / recLen_;
    // The system copies into a buffer that starts on a cache line markedly faster.
    constexpr std::uintptr_t kLine = 64;
    size_ = std::int64_t(recLen_) * qMax(1, recordsPerRead);
    store_.resize(qsizetype(size_ + kLine));
    const auto at = reinterpret_cast<std::uintptr_t>(store_.data());
    buf_ = store_.data() + ((kLine - at % kLine) % kLine);
}

int SequentialReader::readBytes() {
    // Asked once: the cache size comes from the processor's identification, which a virtual
    // machine answers slowly.
    static const int bytes = [] {
        const long l2 = ::sysconf(_SC_LEVEL2_CACHE_SIZE);
        return l2 >= 1024 * 1024 ? 2 * kReadBytes : kReadBytes;
    }();
    return bytes;
}

QByteArrayView SequentialReader::partialRecord() const {
    if (!eof_ || partial_ == 0)
        return {};
    return QByteArrayView(buf_ + qsizetype(have_) * recLen_, partial_);
}

bool SequentialReader::fill() {
    if (eof_)
        return false;
    const std::int64_t got = file_.read(fileOffset_, buf_, size_);
    // read() fills the buffer unless the end of the file came first.
    if (got < size_)
        eof_ = true;
    have_ = int(got / recLen_);
    partial_ = int(got % recLen_);
    pos_ = 0;
    fileOffset_ += std::int64_t(have_) * recLen_;
    return have_ > 0;
}

const char* SequentialReader::next() {
    if (pos_ >= have_ && !fill())
        return nullptr;
    ++number_;
    return buf_ + qsizetype(pos_++) * recLen_;
}

const char* SequentialReader::nextRun(int& count) {
    count = 0;
    if (pos_ >= have_ && !fill())
        return nullptr;
    const char* run = buf_ + qsizetype(pos_) * recLen_;
    count = have_ - pos_;
    number_ += count;
    pos_ = have_;
    return run;
}

} // namespace tw
