#include "batch/csvreader.h"

#include "platform/text1252.h"

#include <QCryptographicHash>
#include <QIODevice>
#include <QStringDecoder>

#include <algorithm>
#include <array>

namespace tw::batch {

namespace {

constexpr qint64 kReadBytes = 256 * 1024;

bool isLineEnd(int c) {
    return c == '\r' || c == '\n';
}

} // namespace

bool CsvRecord::isBlank() const {
    return std::all_of(fields.cbegin(), fields.cend(),
                       [](const QByteArray& f) { return f.trimmed().isEmpty(); });
}

char findSeparator(QByteArrayView firstLine) {
    constexpr std::array<char, 3> kCandidates = {',', ';', '\t'};
    std::array<int, 3> counts{};
    bool quoted = false;
    for (const char c : firstLine) {
        if (c == '"')
            quoted = !quoted; // a doubled quote toggles twice
        else if (!quoted && isLineEnd(c))
            break;
        else if (!quoted) {
            for (std::size_t i = 0; i < kCandidates.size(); ++i)
                counts[i] += c == kCandidates[i] ? 1 : 0;
        }
    }
    const auto most = std::max_element(counts.cbegin(), counts.cend());
    return *most == 0 ? ',' : kCandidates[std::size_t(most - counts.cbegin())];
}

QString decodeText(QByteArrayView bytes) {
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return ansi::decode(bytes);
    return text;
}

CsvReader::CsvReader(QIODevice& device, char separator, QCryptographicHash* digest)
    : device_(&device), separator_(separator), digest_(digest) {
    if (fill() && buffer_.startsWith(kUtf8Bom))
        pos_ = 3;
}

CsvReader::CsvReader(const QByteArray& bytes, char separator)
    : device_(nullptr), separator_(separator), buffer_(bytes) {}

bool CsvReader::fill() {
    bufferOffset_ += buffer_.size();
    pos_ = 0;
    buffer_.clear();
    if (!device_)
        return false;
    buffer_ = device_->read(kReadBytes);
    if (buffer_.isEmpty() && device_->isOpen() && !device_->atEnd())
        failed_ = true;
    if (digest_)
        digest_->addData(buffer_);
    return !buffer_.isEmpty();
}

bool CsvReader::next(CsvRecord& r) {
    r.fields.clear();
    r.unclosedQuote = false;
    r.hasNul = false;
    r.offset = position();
    int c = get();
    if (c < 0)
        return false;
    enum class State { FieldStart, Plain, Quoted, AfterQuote } state = State::FieldStart;
    QByteArray field;
    const auto endField = [&] {
        r.fields.append(field);
        field.clear();
        state = State::FieldStart;
    };
    for (;; c = get()) {
        if (c < 0) {
            r.unclosedQuote = state == State::Quoted;
            endField();
            break;
        }
        if (c == 0)
            r.hasNul = true;
        if (state == State::Quoted) {
            if (c == '"')
                state = State::AfterQuote;
            else
                field += char(c);
            continue;
        }
        if (state == State::AfterQuote && c == '"') {
            field += '"'; // a doubled quote inside quotes
            state = State::Quoted;
            continue;
        }
        if (c == separator_) {
            endField();
            continue;
        }
        if (isLineEnd(c)) {
            if (c == '\r' && peek() == '\n')
                get();
            endField();
            break;
        }
        if (state == State::FieldStart && c == '"') {
            state = State::Quoted;
            continue;
        }
        // Text after a closing quote, or a quote inside an unquoted field, is kept as it stands.
        field += char(c);
        state = State::Plain;
    }
    r.length = position() - r.offset;
    return true;
}

CsvRecord parseRecord(const QByteArray& bytes, char separator) {
    CsvReader reader(bytes, separator);
    CsvRecord r;
    reader.next(r);
    return r;
}

} // namespace tw::batch
