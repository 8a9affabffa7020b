#pragma once
#include <QPointer>

namespace tw {
struct AppContext;
class frmSplash;
class frmLedger;
class frmPath;
class frmHelp;

// Creates the program's windows on demand. Every window but the main one exists once at a
// time: opening it again only brings it to the front.
class Windows {
public:
    explicit Windows(AppContext& ctx);

    frmSplash* showSplash();
    frmLedger* openLedger();   // creates, shows and loads the main window
    frmPath* openPathEst();    // estimating folder chooser
    frmPath* openPathLedger(); // ledger folder chooser
    frmHelp* openHelp();

    frmSplash* splash() const { return splash_; }
    frmLedger* ledger() const { return ledger_; }
    frmPath* pathEst() const { return pathEst_; }
    frmPath* pathLedger() const { return pathLedger_; }
    frmHelp* help() const { return help_; }

private:
    AppContext& ctx_;
    QPointer<frmSplash> splash_;
    QPointer<frmLedger> ledger_;
    QPointer<frmPath> pathEst_;
    QPointer<frmPath> pathLedger_;
    QPointer<frmHelp> help_;
};

} // namespace tw
