// Every byte the program reads is Windows-1252 text and may be written back into a record.
#include "fuzzsupport.h"
#include "platform/text1252.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // Any byte survives being read and written back: a record is never changed by a copy.
    const QString decoded = ansi::decode(bytes);
    TW_FUZZ_CHECK(decoded.size() == bytes.size());
    TW_FUZZ_CHECK(ansi::encode(decoded) == bytes);

    // Any text, valid or not, becomes one byte a character and fits a field exactly.
    const QString text = fuzz::textOf(bytes);
    const QByteArray encoded = ansi::encode(text);
    qsizetype characters = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++characters) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    TW_FUZZ_CHECK(encoded.size() == characters);
    for (int width : {0, 1, 2, 5, 8, 40, 76}) {
        const QByteArray f = ansi::field(text, width);
        TW_FUZZ_CHECK(f.size() == width);
        TW_FUZZ_CHECK(f == (encoded + QByteArray(width, ' ')).left(width));
    }
    // Text made only of Windows-1252 characters comes back unchanged.
    if (!encoded.contains('?'))
        TW_FUZZ_CHECK(ansi::decode(encoded) == text);
    return 0;
}
