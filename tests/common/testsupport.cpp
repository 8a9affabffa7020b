#include "testsupport.h"

#include <QFile>
#include <stdexcept>

namespace tw::test {

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

QString dataFile(const QString& name) { return QStringLiteral(TW_TEST_DATA_DIR "/") + name; }

} // namespace tw::test
