#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>

class QCryptographicHash;
class QIODevice;

// Spreadsheet files saved as CSV (RFC 4180): fields separated by one character, a field in
// double quotes may hold the separator, line breaks and doubled quotes; records end in CR LF,
// LF or CR. The bytes are split first and decoded field by field, so that a file of any size
// is read as a stream.
namespace tw::batch {

// One record as it stands in the file.
struct CsvRecord {
    QList<QByteArray> fields;
    std::int64_t offset = 0;    // its first byte
    std::int64_t length = 0;    // its bytes, the line end included
    bool unclosedQuote = false; // the file ended inside a quoted field
    bool hasNul = false;        // a NUL byte: no text a spreadsheet writes

    // Every field empty or blanks only (an empty line, or a row of separators).
    bool isBlank() const;
};

// Of comma, semicolon and TAB, the one the first line holds most often outside quotes; a
// comma when it holds none of them (a file of one column).
char findSeparator(QByteArrayView firstLine);

// The bytes as UTF-8, or as Windows-1252 when they are not valid UTF-8.
QString decodeText(QByteArrayView bytes);

// The three bytes a UTF-8 file may begin with.
inline constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

// Reads records front to back through a large buffer. A byte-order mark at the start of the
// device is skipped; every byte read (the mark too) goes into `digest` when one is given, so
// that a change of the file can be told later.
class CsvReader {
public:
    CsvReader(QIODevice& device, char separator, QCryptographicHash* digest = nullptr);
    // Reads the bytes given and nothing else (one record read again).
    CsvReader(const QByteArray& bytes, char separator);
    // The next record; false at the end of the file. Throws nothing: a device that fails to
    // read simply ends (readFailed() tells it).
    bool next(CsvRecord& record);
    std::int64_t position() const { return bufferOffset_ + pos_; }
    bool readFailed() const { return failed_; }

private:
    bool fill();
    int get() {
        if (pos_ == buffer_.size() && !fill())
            return -1;
        return static_cast<unsigned char>(buffer_[pos_++]);
    }
    int peek() {
        if (pos_ == buffer_.size() && !fill())
            return -1;
        return static_cast<unsigned char>(buffer_[pos_]);
    }

    QIODevice* device_;
    char separator_;
    QCryptographicHash* digest_ = nullptr;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    std::int64_t bufferOffset_ = 0;
    bool failed_ = false;
};

// One record from exactly its bytes (as CsvRecord's offset and length found them).
CsvRecord parseRecord(const QByteArray& bytes, char separator);

} // namespace tw::batch
