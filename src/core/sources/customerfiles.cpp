#include "sources/customerfiles.h"

#include "platform/dospath.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "platform/text1252.h"

namespace tw::sources {

bool passesNameTest(QByteArrayView nameField) {
    // Comparing with the one-character text '"': a longer text that begins with it is greater,
    // so only the first byte decides.
    return !nameField.isEmpty() && static_cast<unsigned char>(nameField.front()) >= '"';
}

LoadResult readCustomerFile(const DosPaths& paths, const QString& dosPath,
                            const CustomerLayout& layout) {
    LoadResult result;
    try {
        RecordFile file;
        file.open(paths, dosPath, RecordFile::Mode::ReadWriteCreate);
        SequentialReader reader(file, layout.recordLength);
        while (const char* rec = reader.next()) {
            const QByteArrayView name(rec + layout.nameOffset, layout.nameWidth);
            if (passesNameTest(name))
                result.entries << ansi::decode(name);
        }
    } catch (const IoError& e) {
        result.fail(e.text());
    }
    return result;
}

} // namespace tw::sources
