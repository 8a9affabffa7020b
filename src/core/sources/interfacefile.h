#pragma once
#include "sources/loadresult.h"

#include <QString>
#include <QStringView>

namespace tw {
class DosPaths;
class RecordFile;
} // namespace tw

namespace tw::sources {

// The estimating system's interface file: its first value names the edition in use
// (position 1) and the customer-data folder relative to a drive root (positions 5 to 22).
inline const QString kInterfaceFile = QStringLiteral("\\QLCUST");
inline const QString kExportFileName = QStringLiteral("QUILLBAR.CLI");
inline const QString kCustomerFileName = QStringLiteral("CUSTOMER.FIL");
inline const QString kAmberMessage =
    QStringLiteral("Sorry, but Amber or Vector is not supported\r\nin this application.");

// The start-up and the refresh build the customer file's path slightly differently; the
// estimating system's operators depend on both, so both are kept.
enum class LoadPath {
    StartUp, // drive prefix from the ledger folder; QUILLBAR.CLI appended without a separator
    Refresh, // drive prefix from the estimating folder; "\QUILLBAR.CLI" appended
};

// The edition: the first character's digit value, 0 for anything else or an empty value.
int interfaceNumber(QStringView value);
// The last 18 characters of the value's first 22 (the whole value when it is shorter).
QString folderField(QStringView value);
// The edition's own sub-folder, used when the folder field is blank; empty for 4 to 9.
QString defaultSubFolder(int number);
// The drive prefix of a folder path: its first two characters (F: of F:\LEDGER).
QString drivePrefix(QStringView folderPath);
// Drive prefix + the folder field without surrounding blanks, or + the default sub-folder.
QString customerDataFolder(QStringView drive, QStringView value);

enum class CustomerFileKind {
    None,        // editions 4 to 9: nothing is listed, nothing is said
    Export,      // QUILLBAR.CLI, CustomerExportRecord
    CustomerFil, // CUSTOMER.FIL, CustomerFileRecord
    Unsupported, // edition 2: the operator is told
};

// Which customer file an interface value names.
struct CustomerSource {
    int number = 0;
    CustomerFileKind kind = CustomerFileKind::None;
    QString folder; // customer-data folder, DOS text
    QString file;   // DOS path of the customer file; empty when none is read
};

// drivePath: the folder whose drive prefix is used (gLedger at start-up, gA at refresh).
CustomerSource customerSource(QStringView value, QStringView drivePath, LoadPath path);

// Opens gA + "\QLCUST" for reading; throws IoError when it does not exist or cannot be opened.
RecordFile openInterfaceFile(const DosPaths& paths, const QString& gA);

// Reads the open interface file's first value, closes it, and loads the customer file it
// names. An empty interface file is a failure.
LoadResult loadCustomers(RecordFile& interfaceFile, const DosPaths& paths, const QString& drivePath,
                         LoadPath path);

} // namespace tw::sources
