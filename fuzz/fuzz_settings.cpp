// Settings files are edited by hand and by other programs: any bytes may be in them.
#include "fuzzsupport.h"
#include "settings/settings.h"

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView content(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString value = settings::firstField(content);

    // One value of one line, never longer than what it came from.
    TW_FUZZ_CHECK(!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')));
    TW_FUZZ_CHECK(value.size() <= qsizetype(size));
    const qsizetype firstNonBlank = [&] {
        qsizetype i = 0;
        while (i < content.size() && (content[i] == ' ' || content[i] == '\t'))
            ++i;
        return i;
    }();
    const bool quoted = firstNonBlank < content.size() && content[firstNonBlank] == '"';
    if (quoted)
        TW_FUZZ_CHECK(!value.contains(QLatin1Char('"')));
    else
        TW_FUZZ_CHECK(!value.contains(QLatin1Char(',')));

    // The same bytes as a file in the program folder read the same, however large.
    fuzz::Scratch& s = fuzz::Scratch::get();
    settings::SettingsStore store(s.programFolder());
    fuzz::Scratch::put(store.pathOf(settings::kDefTax), content);
    const auto read = store.read(settings::kDefTax);
    if (size == 0) {
        TW_FUZZ_CHECK(!read.has_value());
    } else {
        TW_FUZZ_CHECK(read.has_value());
        if (size <= 64 * 1024)
            TW_FUZZ_CHECK(*read == value);
    }

    // What the program writes it reads back unchanged, whatever characters the value holds,
    // unless the value itself starts like a quoted or indented one or holds a comma.
    TW_FUZZ_CHECK(store.write(settings::kCheck, value));
    const auto back = store.read(settings::kCheck);
    TW_FUZZ_CHECK(back.has_value());
    const bool plain = !value.contains(QLatin1Char(',')) && !value.startsWith(QLatin1Char('"')) &&
                       !value.startsWith(QLatin1Char(' ')) && !value.startsWith(QLatin1Char('\t'));
    if (plain)
        TW_FUZZ_CHECK(*back == value);
    return 0;
}
