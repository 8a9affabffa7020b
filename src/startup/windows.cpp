#include "startup/windows.h"

#include "help/frmhelp.h"
#include "mainwindow/frmledger.h"
#include "startup/appcontext.h"
#include "startup/frmpath.h"
#include "startup/frmsplash.h"

namespace tw {

namespace {

// Brings an open window to the front instead of opening a second one.
void bringToFront(QWidget* w) {
    if (w->isMinimized())
        w->showNormal();
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace

Windows::Windows(AppContext& ctx) : ctx_(ctx) {}

frmSplash* Windows::splash() const {
    return splash_;
}
frmLedger* Windows::ledger() const {
    return ledger_;
}
frmPath* Windows::pathEst() const {
    return pathEst_;
}
frmPath* Windows::pathLedger() const {
    return pathLedger_;
}
frmHelp* Windows::help() const {
    return help_;
}

frmSplash* Windows::showSplash() {
    if (splash_) {
        bringToFront(splash_);
        return splash_;
    }
    splash_ = new frmSplash(ctx_);
    splash_->setAttribute(Qt::WA_DeleteOnClose);
    splash_->Form_Load();
    return splash_;
}

frmLedger* Windows::openLedger() {
    auto* w = new frmLedger(ctx_);
    w->setAttribute(Qt::WA_DeleteOnClose);
    ledger_ = w;
    w->Form_Load();
    return ledger_; // null when loading ended with the window closed
}

frmPath* Windows::openPathEst() {
    if (pathEst_) {
        bringToFront(pathEst_);
        return pathEst_;
    }
    auto* w = new frmPath(ctx_, frmPath::Kind::Est);
    w->setAttribute(Qt::WA_DeleteOnClose);
    pathEst_ = w;
    w->Form_Load();
    if (pathEst_)
        bringToFront(pathEst_);
    return pathEst_;
}

frmPath* Windows::openPathLedger() {
    if (pathLedger_) {
        bringToFront(pathLedger_);
        return pathLedger_;
    }
    auto* w = new frmPath(ctx_, frmPath::Kind::Ledger);
    w->setAttribute(Qt::WA_DeleteOnClose);
    pathLedger_ = w;
    w->Form_Load();
    if (pathLedger_)
        bringToFront(pathLedger_);
    return pathLedger_;
}

frmHelp* Windows::openHelp() {
    if (help_) {
        bringToFront(help_);
        return help_;
    }
    auto* w = new frmHelp(ctx_);
    w->setAttribute(Qt::WA_DeleteOnClose);
    help_ = w;
    w->Form_Load();
    if (help_)
        bringToFront(help_);
    return help_;
}

} // namespace tw
