#pragma once
#include "sources/loadresult.h"

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

// The customer list from the table "CLIENT": every row whose "ClientID" as text is not empty
// gives its "Name". A NULL "Name" on such a row ends the loading (a failure; the names before
// it stay). A database that cannot be opened, a missing table or field, or a table without
// rows is a failure. nativePath is the file to open, displayName names it in the failure.
LoadResult loadDatabaseCustomers(const QString& nativePath, const QString& displayName);

// The product list from the table "PROD": every row whose "ProductID" as text is not empty
// gives "ProductID" + "-" + "Desc", a NULL counting as empty text.
LoadResult loadDatabaseProducts(const QString& nativePath, const QString& displayName);

// The two loaders read the database in a child process, so that a damaged file that crashes
// or hangs the Access library cannot take the program with it; a reading that has not ended
// after this long (30 seconds) is stopped and reported as a damaged database. For tests.
void setDatabaseTimeLimit(std::chrono::milliseconds limit);

} // namespace tw::sources
