#pragma once
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace tw {
struct AppContext;
class frmSplash;
class frmLedger;
class frmPath;
class frmDrives;
class frmHelp;
class frmLedgerView;
class frmFind;
class frmActivity;
class frmPostFile;
class frmPostReport;
namespace batch {
struct Batch;
struct BatchResult;
} // namespace batch

// The composition root's window registry: creates the program's windows on demand and answers
// their requests for one another, so that no window includes another. Every window but the
// main one exists once at a time: opening it again only brings it to the front.
class Windows {
public:
    explicit Windows(AppContext& ctx);

    frmSplash* showSplash();
    frmLedger* openLedger();   // creates, shows and loads the main window
    frmPath* openPathEst();    // estimating folder chooser
    frmPath* openPathLedger(); // ledger folder chooser
    frmHelp* openHelp();
    // "Drives...": the drive map of the settings folder. Open choosers read their drive lists
    // again when it closes.
    frmDrives* openDrives();
    // The Customer Ledger window, showing that ledger (one such window at a time: asking for
    // another ledger shows it in the open one), with that record (from 0) selected when one is
    // given. Null when the ledger cannot be shown.
    frmLedgerView* openLedgerView(const QString& ledgerFolder, const QString& numberText,
                                  const QString& customerName, std::int64_t record = -1);
    // The Find and Invoicing Activity windows over the ledger folder (DOS text).
    frmFind* openFind(const QString& ledgerFolder);
    frmActivity* openActivity(const QString& ledgerFolder);
    // The preview of a spreadsheet file of invoices for that ledger folder (one at a time: a
    // second file replaces the first unless it is being checked). Null when the file cannot
    // be read.
    frmPostFile* openPostFile(const QString& ledgerFolder, const QString& path);
    // The report of a posting from a file; a new one takes the place of the one open.
    frmPostReport* openPostReport(const QString& ledgerFolder,
                                  std::shared_ptr<const batch::Batch> batch,
                                  std::shared_ptr<const batch::BatchResult> result);
    // Open Customer Ledger windows of those ledgers read their files again.
    void reloadLedgers(const QString& ledgerFolder, const QStringList& numberTexts);
    // Opens what a main window asks for from its menu (done by openLedger; public for a main
    // window made elsewhere).
    void answerRequestsOf(frmLedger* w);

    // The open windows (null when closed). Defined out of line so that callers need only the
    // declarations above.
    frmSplash* splash() const;
    frmLedger* ledger() const;
    frmPath* pathEst() const;
    frmPath* pathLedger() const;
    frmHelp* help() const;
    frmDrives* drives() const;
    frmLedgerView* ledgerView() const;
    frmFind* find() const;
    frmActivity* activity() const;
    frmPostFile* postFile() const;
    frmPostReport* postReport() const;

private:
    frmPath* openPath(QPointer<frmPath>& slot, bool est);
    void rereadWhenDrivesClose(frmPath* chooser);
    // At start-up with no drive mapped: says so and opens the drive map, once.
    void offerDrivesAtStart(frmPath* chooser);

    AppContext& ctx_;
    bool drivesOffered_ = false;
    QPointer<frmSplash> splash_;
    QPointer<frmLedger> ledger_;
    QPointer<frmPath> pathEst_;
    QPointer<frmPath> pathLedger_;
    QPointer<frmHelp> help_;
    QPointer<frmDrives> drives_;
    QPointer<frmLedgerView> ledgerView_;
    QPointer<frmFind> find_;
    QPointer<frmActivity> activity_;
    QPointer<frmPostFile> postFile_;
    QPointer<frmPostReport> postReport_;
};

} // namespace tw
