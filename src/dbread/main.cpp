// The database reader program: reads one table of an Access database and writes the list to
// standard output for the program that started it. It runs apart from the program because a
// damaged database can crash or hang the Access library.
#include "sources/database.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

bool writeAllToStandardOutput(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

// Arguments: "customers" or "products", the database file, the name that messages give it.
int main(int argc, char** argv) {
    if (argc != 4 ||
        (std::strcmp(argv[1], "customers") != 0 && std::strcmp(argv[1], "products") != 0))
        return 2;
    const auto table = std::strcmp(argv[1], "customers") == 0
                           ? tw::sources::DatabaseTable::Customers
                           : tw::sources::DatabaseTable::Products;
    const tw::sources::LoadResult result = tw::sources::readDatabaseTable(
        table, QFile::decodeName(argv[2]), QString::fromUtf8(argv[3]));
    return writeAllToStandardOutput(tw::sources::encodeLoadResult(result)) ? 0 : 1;
}
