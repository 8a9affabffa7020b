#pragma once
#include <QString>
#include <QStringList>

namespace tw {
class BusyIndicator;
class DosPaths;
class Host;
namespace settings {
class SettingsStore;
}
} // namespace tw

// The main window's start-up and its Refresh: the order of the steps, each step's recovery,
// the mode the lists come in, and the end of the program when the estimating folder holds no
// interface file. What the window shows is told to it step by step, so that its own
// reactions (an option's click writing its file) come in the order the steps do.
namespace tw::sources {

enum class ListMode { TextFiles, Database };

// What the loading shows, step by step.
class ListLoadView {
public:
    virtual ~ListLoadView() = default;
    // The Match option as "\Check.Dat" has it; a change runs the option's own reaction.
    virtual void showMatchOption(bool ticked) = 0;
    virtual void showVersion(const QString& text) = 0;
    // The mode's option selected (one that was not selected runs its click) and the menus
    // set for the mode.
    virtual void showMode(ListMode mode) = 0;
    virtual void showLedgerFolder(const QString& folder) = 0;
    virtual void showEstFolder(const QString& folder) = 0;
    // The run's default tax into its box.
    virtual void showDefaultTax() = 0;
    virtual void showProducts(const QStringList& entries) = 0;
    virtual void showCustomers(const QStringList& entries) = 0;
};

// Where the lists come from and whom the loading tells.
struct ListSources {
    const DosPaths& paths;
    settings::SettingsStore& settings; // the program folder's settings files
    Host& host;                        // the messages, in the order they arise
    BusyIndicator* busy = nullptr;     // shown while the database is read
};

enum class ListsEnd {
    Finished,
    Stopped,    // a recovery stopped it: the window stays as far as it got
    EndProgram, // the estimating folder was forgotten; the program must end now
};

inline const QString kPathNotSet =
    QStringLiteral("Path not set for location of Ledger Files. Please Repair.");

// The mode "\interface.dat" names: any non-zero leading number is the database. An
// unreadable file is replaced by "0" and read again; should that fail too, text files.
ListMode readListMode(settings::SettingsStore& store);

// Opening the main window: the Match option and the version (an unreadable "\Check.Dat" is
// replaced by "0" and the mode is then not read: text files, as the window is drawn), the
// mode, the ledger and estimating folders (either missing: a message, and the start-up
// stops), the default tax, then the lists: in text files the products, then the customers
// from the customer data on the ledger folder's drive; in the database the customers, then
// the products. Without an interface file the estimating folder is forgotten and the
// program must end.
ListsEnd startUp(const ListSources& sources, ListLoadView& view);

// Refresh: both lists emptied, the estimating folder read again (missing: nothing more), the
// version, the mode, then the lists as at the start-up, with the customer data on the
// estimating folder's drive. A failure ends it without a message.
ListsEnd refresh(const ListSources& sources, ListLoadView& view);

} // namespace tw::sources
