#pragma once
#include "platform/busy.h"
#include "sources/loadresult.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>

namespace tw::settings {
class SettingsStore;
}

namespace tw::sources {

inline const QString kDatabaseNotSet =
    QStringLiteral("Database location not set. Use File, Set Database Path.");

// The estimating system's Access database as "\dbloc.dat" names it (a DOS path, first-field
// rule); nullopt when the file is missing, unreadable or holds an empty value.
std::optional<QString> databaseLocation(const settings::SettingsStore& store);

enum class DatabaseTable { Customers, Products };

// The customer list from the table "CLIENT": every row whose "ClientID" as text is not empty
// gives its "Name". A NULL "Name" on such a row ends the loading (a failure; the names before
// it stay). A database that cannot be opened, a missing table or field, or a table without
// rows is a failure. nativePath is the file to open, displayName names it in the failure.
// The product list from the table "PROD": every row whose "ProductID" as text is not empty
// gives "ProductID" + "-" + "Desc", a NULL counting as empty text.
// Reads in this process: only the reader program calls it (see DatabaseReader).
LoadResult readDatabaseTable(DatabaseTable table, const QString& nativePath,
                             const QString& displayName);

// How the reader program hands its result over, and how it is taken back; nullopt for bytes
// that are not a whole result.
QByteArray encodeLoadResult(const LoadResult& result);
std::optional<LoadResult> decodeLoadResult(const QByteArray& bytes);

// The name of the reader program, found beside the program itself (a build, a copied program
// folder) or in the installed helper folder.
QString databaseReaderProgramName();

// Reads the database in a separate reader program: libmdb trusts the pages it reads, so a
// damaged file can crash it or send it round a loop of pages for ever. A crash, or no answer
// within the time limit, is reported as a damaged database and the program goes on. While the
// reader runs, the program's windows are repainted (input waits) and the busy indicator shows.
class DatabaseReader {
public:
    static constexpr std::chrono::milliseconds kTimeLimit{30000};

    // The reader program beside the running executable, else the installed one; the 30 second
    // limit, no indicator.
    DatabaseReader();

    void setReaderProgram(const QString& path) { program_ = path; }
    const QString& readerProgram() const { return program_; }
    void setTimeLimit(std::chrono::milliseconds limit) { limit_ = limit; }
    void setBusyIndicator(BusyIndicator* busy) { busy_ = busy; }

    // A missing file, a folder or a device is told without starting the reader.
    LoadResult read(DatabaseTable table, const QString& nativePath,
                    const QString& displayName) const;

private:
    LoadResult runReader(DatabaseTable table, const QString& nativePath,
                         const QString& displayName) const;

    QString program_;
    std::chrono::milliseconds limit_ = kTimeLimit;
    BusyIndicator* busy_ = nullptr;
};

LoadResult loadDatabaseCustomers(const QString& nativePath, const QString& displayName,
                                 const DatabaseReader& reader = DatabaseReader());
LoadResult loadDatabaseProducts(const QString& nativePath, const QString& displayName,
                                const DatabaseReader& reader = DatabaseReader());

} // namespace tw::sources
