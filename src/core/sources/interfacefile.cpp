#include "sources/interfacefile.h"

#include "platform/blanks.h"
#include "platform/dospath.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "settings/settings.h"
#include "sources/customerfiles.h"

namespace tw::sources {

namespace {

// The interface value is one short line; a damaged, huge file is read only this far.
constexpr int kReadLimit = 64 * 1024;

} // namespace

int interfaceNumber(QStringView value) {
    if (value.isEmpty())
        return 0;
    const QChar c = value.front();
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ? c.unicode() - '0' : 0;
}

QString folderField(QStringView value) {
    return value.left(22).right(18).toString();
}

QString defaultSubFolder(int number) {
    switch (number) {
    case 0:
        return QStringLiteral("\\est\\");
    case 1:
        return QStringLiteral("\\lumo\\data\\");
    case 2:
        return QStringLiteral("\\amber\\");
    case 3:
        return QStringLiteral("\\orbit\\data\\");
    default:
        return {};
    }
}

QString drivePrefix(QStringView folderPath) {
    return folderPath.left(2).toString();
}

QString customerDataFolder(QStringView drive, QStringView value) {
    const QString field = folderField(value);
    const QStringView trimmed = trimBlanks(field);
    QString folder = drive.toString();
    if (trimmed.isEmpty())
        folder += defaultSubFolder(interfaceNumber(value));
    else
        folder += trimmed;
    return folder;
}

CustomerSource customerSource(QStringView value, QStringView drivePath, LoadPath path) {
    CustomerSource s;
    s.number = interfaceNumber(value);
    s.folder = customerDataFolder(drivePrefix(drivePath), value);
    switch (s.number) {
    case 0:
    case 3:
        s.kind = CustomerFileKind::Export;
        s.file = path == LoadPath::Refresh ? s.folder + QLatin1Char('\\') + kExportFileName
                                           : s.folder + kExportFileName;
        break;
    case 1:
        s.kind = CustomerFileKind::CustomerFil;
        s.file = s.folder + kCustomerFileName;
        break;
    case 2:
        s.kind = CustomerFileKind::Unsupported;
        break;
    default:
        s.kind = CustomerFileKind::None;
        break;
    }
    return s;
}

RecordFile openInterfaceFile(const DosPaths& paths, const QString& gA) {
    const QString dosPath = gA + kInterfaceFile;
    RecordFile file;
    file.open(paths, dosPath, RecordFile::Mode::ReadOnly);
    return file;
}

LoadResult loadCustomers(RecordFile& interfaceFile, const DosPaths& paths, const QString& drivePath,
                         LoadPath path) {
    LoadResult result;
    QString value;
    try {
        QByteArray head(kReadLimit, Qt::Uninitialized);
        head.truncate(qsizetype(interfaceFile.read(0, head.data(), head.size())));
        if (head.isEmpty()) {
            result.fail(QStringLiteral("%1 is empty.").arg(interfaceFile.displayName()));
            interfaceFile.close();
            return result;
        }
        value = settings::firstField(head);
    } catch (const IoError& e) {
        interfaceFile.close();
        result.fail(e.text());
        return result;
    }
    interfaceFile.close();

    const CustomerSource src = customerSource(value, drivePath, path);
    switch (src.kind) {
    case CustomerFileKind::Export:
        return readCustomerFile(paths, src.file, kExportLayout);
    case CustomerFileKind::CustomerFil:
        return readCustomerFile(paths, src.file, kCustomerFilLayout);
    case CustomerFileKind::Unsupported:
        result.message = kAmberMessage;
        return result;
    case CustomerFileKind::None:
        break;
    }
    return result;
}

} // namespace tw::sources
