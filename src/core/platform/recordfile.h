#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace tw {

class DosPaths;

// A folder held open, so that files in it open by name without the folder's path being looked
// up again: a search that opens thousands of ledger files spares the system that walk.
class OpenFolder {
public:
    // Not open when the folder cannot be opened; its files then open by their paths.
    explicit OpenFolder(const QString& nativePath);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    bool isOpen() const { return fd_ >= 0; }
    int nativeHandle() const { return fd_; }

private:
    int fd_ = -1;
};

// A fixed-length record file opened shared for reading and writing, as the estimating
// system and the ledger viewer expect. Every failure throws IoError naming the file by its
// display name (normally the DOS path the operator knows) and the system's reason.
class RecordFile {
public:
    enum class Mode {
        ReadWriteCreate, // read and write; a missing file is created empty
        ReadOnly,        // read only; a missing file is an error
        // Read only, and the file reads as it was when opened: length() is the length then
        // and reads end there, whatever another program appends meanwhile.
        ReadOnlyAsOpened,
    };

    RecordFile() = default;
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    RecordFile(RecordFile&& other) noexcept;
    RecordFile& operator=(RecordFile&& other) noexcept;

    // An empty nativePath (a drive without mapping) fails like any file that cannot be opened.
    // Only a regular file is opened: a pipe, a device or a folder is refused without waiting
    // for it. A file this open creates is recorded in its folder on the disk before it returns,
    // so that a crash cannot take the new file away with its folder's unwritten entry.
    void open(const QString& nativePath, const QString& displayName,
              Mode mode = Mode::ReadWriteCreate);
    // The same for a DOS path, which also names the file in messages.
    void open(const DosPaths& paths, const QString& dosPath, Mode mode = Mode::ReadWriteCreate);
    // An existing file of an open folder, by its name exactly as written, for reading. False
    // when no file of that name can be opened there, so that the caller opens it the full way
    // (another case of the name, a link, a failure to tell); a special file is refused as by
    // open().
    bool openIn(const OpenFolder& folder, const QString& name, const QString& displayName,
                Mode mode = Mode::ReadOnly);
    bool isOpen() const { return fd_ >= 0; }
    // The last open made the file.
    bool created() const { return created_; }
    void close();
    const QString& displayName() const { return display_; }

    std::int64_t length() const;
    // Reads up to len bytes at offset; returns the count read (less at the end of the file).
    std::int64_t read(std::int64_t offset, char* buffer, std::int64_t len) const;
    // Writes all len bytes at offset or throws. `written`, when given, receives the count of
    // bytes that reached the file, also when the write fails part-way.
    void write(std::int64_t offset, const char* data, std::int64_t len,
               std::int64_t* written = nullptr);
    void write(std::int64_t offset, const QByteArray& data) {
        write(offset, data.constData(), data.size());
    }
    // Record n (from 1) of the given length; short or empty at the end of the file.
    QByteArray readRecord(std::int64_t n, int recordLength) const;
    // Flushes written data to the disk.
    void sync();

    // Byte-range lock that other processes respect (open-file-description locks, so two
    // handles in one process also exclude each other). Waits up to timeoutMs, then throws.
    void lock(std::int64_t offset, std::int64_t len, int timeoutMs = 5000);
    // The same lock taken only when no other handle holds any part of the range, without
    // waiting. len 0: from offset to the end of the file and beyond.
    bool tryLock(std::int64_t offset, std::int64_t len);
    void unlock(std::int64_t offset, std::int64_t len);

    int nativeHandle() const { return fd_; }

private:
    [[noreturn]] void fail(const QString& what, int err) const;
    // Keeps an opened descriptor when it is a regular file; throws otherwise.
    void adopt(int fd, bool made, const QString& nativePath, Mode mode);
    int fd_ = -1;
    bool created_ = false;
    bool asOpened_ = false;
    std::int64_t lengthAtOpen_ = 0;
    QString display_;
};

// Makes the folder that holds nativePath record its entries on the disk (a new file, a rename).
// Returns 0, or the system's error number.
int syncFolderOf(const QString& nativePath);

// The system's reason for an error number as the end of a sentence: "No space left on device."
QString reasonText(int err);

// Holds a byte-range lock for a scope.
class RangeLock {
public:
    RangeLock(RecordFile& file, std::int64_t offset, std::int64_t len, int timeoutMs = 5000);
    ~RangeLock();
    RangeLock(const RangeLock&) = delete;
    RangeLock& operator=(const RangeLock&) = delete;

private:
    RecordFile& file_;
    std::int64_t offset_, len_;
};

// Reads a record file front to back through a large buffer: one system call per many
// records instead of one per record. A trailing partial record is not returned.
class SequentialReader {
public:
    // The default read: large enough that the system calls cost little beside the copying,
    // small enough that the copy lands in the processor's cache (larger reads copy more
    // slowly on the machines measured) and that the buffer comes from the heap instead of
    // being mapped afresh for every file.
    static constexpr int kReadBytes = 128 * 1024;
    // The read a reader makes by default: kReadBytes, or twice that where the processor's
    // second-level cache holds a megabyte or more. There the larger read still lands in the
    // cache, and halving the system calls matters where each one costs much (virtual machines).
    static int readBytes();

    // recordsPerRead 0: as many whole records as fit in readBytes() (at least one).
    SequentialReader(const RecordFile& file, int recordLength, int recordsPerRead = 0);
    SequentialReader(const SequentialReader&) = delete;
    SequentialReader& operator=(const SequentialReader&) = delete;
    // The next whole record, or nullptr at the end. The pointer is valid until the next call.
    const char* next();
    // The whole records read but not yet returned, at least one, as one block of `count`
    // records; nullptr (count 0) at the end. A search loops over the block itself, which
    // keeps a scan of a long file at the speed of reading it. recordNumber() is then the
    // number of the block's last record. Valid until the next call.
    const char* nextRun(int& count);
    // Number of the record last returned (from 1).
    std::int64_t recordNumber() const { return number_; }
    // Once the end is reached: the bytes of a partial record after the last whole one, as the
    // last read found them. Spares the reader of a file's end a read of its own.
    QByteArrayView partialRecord() const;

private:
    bool fill();

    const RecordFile& file_;
    int recLen_;
    QByteArray store_;
    char* buf_ = nullptr; // the buffer within store_, at a cache-line boundary
    std::int64_t size_ = 0;
    std::int64_t fileOffset_ = 0; // offset of the next read
    int have_ = 0;                // whole records in the buffer
    int pos_ = 0;                 // next record in the buffer
    int partial_ = 0;             // bytes after the whole records of the last read
    std::int64_t number_ = 0;
    bool eof_ = false;
};

} // namespace tw
