#include "sources/listload.h"

#include "platform/appinfo.h"
#include "platform/dospath.h"
#include "platform/host.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "platform/regional.h"
#include "settings/settings.h"
#include "sources/database.h"
#include "sources/interfacefile.h"
#include "sources/productfile.h"

#include <optional>

namespace tw::sources {

namespace {

enum class TextLoad {
    Finished,
    Stopped,         // a loader failed; the lists keep what was loaded before
    NoInterfaceFile, // gA + "\QLCUST" could not be opened
};

// Text files: the products from "\product.dat", then the customers from the file that the
// interface file names; drivePath is the folder whose drive holds the customer data.
TextLoad loadTextLists(const ListSources& s, ListLoadView& view, const QString& gA, LoadPath path,
                       const QString& drivePath) {
    const LoadResult products = loadProductFile(s.paths, gA);
    view.showProducts(products.entries);
    if (!products.ok)
        return TextLoad::Stopped;

    // The start-up leaves the customer list empty without an estimating folder; the refresh
    // has no such test (its folder phase has already ended an empty one).
    if (path == LoadPath::StartUp && gA.isEmpty())
        return TextLoad::Finished;

    RecordFile interfaceFile;
    try {
        interfaceFile = openInterfaceFile(s.paths, gA);
    } catch (const IoError&) {
        return TextLoad::NoInterfaceFile;
    }
    const LoadResult customers = loadCustomers(interfaceFile, s.paths, drivePath, path);
    if (!customers.message.isEmpty())
        s.host.message(customers.message);
    view.showCustomers(customers.entries);
    return customers.ok ? TextLoad::Finished : TextLoad::Stopped;
}

// The database: the customers from "CLIENT", then, when that succeeded, the products from
// "PROD", of the database that "\dbloc.dat" names.
ListsEnd loadDatabaseLists(const ListSources& s, ListLoadView& view) {
    const std::optional<QString> location = databaseLocation(s.settings);
    if (!location) {
        s.host.message(kDatabaseNotSet);
        return ListsEnd::Stopped;
    }
    const QString native = s.paths.toNative(*location);
    DatabaseReader reader;
    reader.setBusyIndicator(s.busy);
    const LoadResult customers = loadDatabaseCustomers(native, *location, reader);
    view.showCustomers(customers.entries);
    if (!customers.ok) {
        s.host.message(customers.failure);
        return ListsEnd::Stopped;
    }
    const LoadResult products = loadDatabaseProducts(native, *location, reader);
    view.showProducts(products.entries);
    if (!products.ok) {
        s.host.message(products.failure);
        return ListsEnd::Stopped;
    }
    return ListsEnd::Finished;
}

ListsEnd endOf(TextLoad load) {
    return load == TextLoad::Finished ? ListsEnd::Finished : ListsEnd::Stopped;
}

} // namespace

ListMode readListMode(settings::SettingsStore& store) {
    std::optional<QString> value = store.read(settings::kInterface);
    if (!value) {
        store.write(settings::kInterface, QStringLiteral("0"));
        value = store.read(settings::kInterface);
    }
    return value && regional::leadingNumber(*value) != 0 ? ListMode::Database : ListMode::TextFiles;
}

ListsEnd startUp(const ListSources& s, ListLoadView& view) {
    // The match option and the version. An unreadable "\Check.Dat" is replaced and the mode
    // is then not read at all: the window stays in text files as drawn.
    ListMode mode = ListMode::TextFiles;
    if (const std::optional<QString> check = s.settings.read(settings::kCheck)) {
        view.showMatchOption(*check == QLatin1String("1"));
        view.showVersion(versionText());
        mode = readListMode(s.settings);
        view.showMode(mode);
    } else {
        s.settings.write(settings::kCheck, QStringLiteral("0"));
    }

    // The two folders (the estimating one only after the ledger one), the default tax.
    const std::optional<QString> ledger = s.settings.readFolder(settings::kLedger);
    if (ledger)
        view.showLedgerFolder(*ledger);
    const std::optional<QString> est =
        ledger ? s.settings.readFolder(settings::kEstLoc) : std::nullopt;
    if (!ledger || !est) {
        s.host.message(kPathNotSet);
        return ListsEnd::Stopped;
    }
    view.showEstFolder(*est);
    view.showDefaultTax();
    view.showMode(mode);
    if (mode == ListMode::Database)
        return loadDatabaseLists(s, view);

    // Products first, then customers, whose data lies on the ledger folder's drive.
    const TextLoad load = loadTextLists(s, view, *est, LoadPath::StartUp, *ledger);
    if (load != TextLoad::NoInterfaceFile)
        return endOf(load);
    // Without an interface file the estimating folder is wrong: it is forgotten, so that the
    // next start asks for it again.
    s.host.message(QStringLiteral("Warning: There is no customer file available in ") + *est +
                   QStringLiteral("! Ending Program and Deleting Path."));
    s.settings.remove(settings::kEstLoc);
    return ListsEnd::EndProgram;
}

ListsEnd refresh(const ListSources& s, ListLoadView& view) {
    view.showProducts({});
    view.showCustomers({});
    // An estimating folder chosen since the last load takes effect here.
    const std::optional<QString> est = s.settings.readFolder(settings::kEstLoc);
    if (!est)
        return ListsEnd::Stopped;
    view.showEstFolder(*est);
    view.showVersion(versionText());

    const ListMode mode = readListMode(s.settings);
    view.showMode(mode);
    if (mode == ListMode::Database)
        return loadDatabaseLists(s, view);
    // The customer data lies on the estimating folder's drive here; a missing interface file
    // just ends the refresh.
    return endOf(loadTextLists(s, view, *est, LoadPath::Refresh, *est));
}

} // namespace tw::sources
