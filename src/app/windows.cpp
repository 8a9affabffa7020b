#include "app/windows.h"

#include "app/appcontext.h"
#include "batch/frmpostfile.h"
#include "batch/frmpostreport.h"
#include "find/frmfind.h"
#include "help/frmhelp.h"
#include "ledger/ledgerstore.h"
#include "ledgerview/frmledgerview.h"
#include "mainwindow/frmledger.h"
#include "platform/drivemap.h"
#include "platform/host.h"
#include "report/frmactivity.h"
#include "startup/frmdrives.h"
#include "startup/frmpath.h"
#include "startup/frmsplash.h"
#include "widgets/geometry.h"

#include <QTimer>

#include <utility>

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

// Opens a window that exists once at a time; an open one only comes to the front.
template <class Form, class... Args> Form* openOnce(QPointer<Form>& slot, Args&&... args) {
    if (slot) {
        bringToFront(slot);
        return slot;
    }
    auto* w = new Form(std::forward<Args>(args)...);
    w->setAttribute(Qt::WA_DeleteOnClose);
    slot = w;
    w->Form_Load();
    if (slot) // loading may have closed it
        bringToFront(slot);
    return slot;
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
frmDrives* Windows::drives() const {
    return drives_;
}
frmLedgerView* Windows::ledgerView() const {
    return ledgerView_;
}
frmFind* Windows::find() const {
    return find_;
}
frmActivity* Windows::activity() const {
    return activity_;
}

frmPostFile* Windows::postFile() const {
    return postFile_;
}
frmPostReport* Windows::postReport() const {
    return postReport_;
}

frmSplash* Windows::showSplash() {
    if (splash_) {
        bringToFront(splash_);
        return splash_;
    }
    splash_ = new frmSplash(ctx_.settings, ctx_.defaultTax);
    splash_->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(splash_, &frmSplash::mainWindowWanted, splash_, [this] { openLedger(); });
    QObject::connect(splash_, &frmSplash::ledgerChooserWanted, splash_,
                     [this] { offerDrivesAtStart(openPathLedger()); });
    QObject::connect(splash_, &frmSplash::estChooserWanted, splash_,
                     [this] { offerDrivesAtStart(openPathEst()); });
    splash_->Form_Load();
    return splash_;
}

frmLedger* Windows::openLedger() {
    auto* w = new frmLedger(ctx_.paths, ctx_.settings, ctx_.defaultTax, *ctx_.host, *ctx_.dialogs);
    w->setAttribute(Qt::WA_DeleteOnClose);
    answerRequestsOf(w);
    ledger_ = w;
    w->Form_Load();
    return ledger_; // null when loading ended with the window closed
}

void Windows::answerRequestsOf(frmLedger* w) {
    // The main window whose customer list learns the customers a posting from a file adds.
    ledger_ = w;
    QObject::connect(w, &frmLedger::ledgerChooserWanted, w, [this] { openPathLedger(); });
    QObject::connect(w, &frmLedger::estChooserWanted, w, [this] { openPathEst(); });
    QObject::connect(w, &frmLedger::helpWanted, w, [this] { openHelp(); });
    QObject::connect(w, &frmLedger::findWanted, w,
                     [this](const QString& folder) { openFind(folder); });
    QObject::connect(w, &frmLedger::activityWanted, w,
                     [this](const QString& folder) { openActivity(folder); });
    QObject::connect(w, &frmLedger::customerLedgerWanted, w,
                     [this](const QString& folder, const QString& number, const QString& name) {
                         openLedgerView(folder, number, name);
                     });
    QObject::connect(
        w, &frmLedger::ledgerPosted, w,
        [this](const QString& folder, const QString& number) { reloadLedgers(folder, {number}); });
    QObject::connect(
        w, &frmLedger::postFromFileWanted, w,
        [this](const QString& folder, const QString& path) { openPostFile(folder, path); });
}

frmPath* Windows::openPathEst() {
    return openPath(pathEst_, true);
}

frmPath* Windows::openPathLedger() {
    return openPath(pathLedger_, false);
}

frmPath* Windows::openPath(QPointer<frmPath>& slot, bool est) {
    const bool isNew = !slot;
    frmPath* w = openOnce(slot, ctx_.paths, ctx_.settings, *ctx_.host,
                          est ? frmPath::Kind::Est : frmPath::Kind::Ledger);
    if (w && isNew) {
        QObject::connect(w, &frmPath::drivesWanted, w, [this] { openDrives(); });
        rereadWhenDrivesClose(w);
    }
    return w;
}

void Windows::offerDrivesAtStart(frmPath* chooser) {
    if (drivesOffered_ || !chooser)
        return;
    drivesOffered_ = true;
    if (!DriveMap(ctx_.programFolder).entries().isEmpty())
        return;
    // After every chooser of the start has opened, so that the drive map lies on top.
    QTimer::singleShot(0, chooser, [this] {
        ctx_.host->message(kNoDrivesMapped);
        openDrives();
    });
}

frmDrives* Windows::openDrives() {
    const bool isNew = !drives_;
    frmDrives* w = openOnce(drives_, DriveMap(ctx_.programFolder), *ctx_.host, *ctx_.dialogs);
    if (w && isNew) {
        for (frmPath* chooser : {pathEst_.data(), pathLedger_.data()}) {
            if (chooser)
                rereadWhenDrivesClose(chooser);
        }
    }
    return w;
}

void Windows::rereadWhenDrivesClose(frmPath* chooser) {
    if (drives_)
        QObject::connect(drives_, &QObject::destroyed, chooser,
                         [chooser] { chooser->reloadDrives(); });
}

frmHelp* Windows::openHelp() {
    return openOnce(help_, *ctx_.dialogs);
}

frmFind* Windows::openFind(const QString& ledgerFolder) {
    const bool isNew = !find_;
    frmFind* w = openOnce(find_, ctx_.paths, *ctx_.host, *ctx_.dialogs, ctx_.settings);
    w->setLedgerFolder(ledgerFolder);
    if (isNew) {
        centreOnScreen(w);
        QObject::connect(
            w, &frmFind::ledgerWanted, w,
            [this](const QString& folder, const QString& number, const QString& name,
                   std::int64_t record) { openLedgerView(folder, number, name, record); });
    }
    return w;
}

frmActivity* Windows::openActivity(const QString& ledgerFolder) {
    const bool isNew = !activity_;
    frmActivity* w = openOnce(activity_, ctx_.paths, *ctx_.host, *ctx_.dialogs, ctx_.settings);
    w->setLedgerFolder(ledgerFolder);
    if (isNew) {
        centreOnScreen(w);
        QObject::connect(w, &frmActivity::ledgerWanted, w,
                         [this](const QString& folder, const QString& number, const QString& name) {
                             openLedgerView(folder, number, name);
                         });
    }
    return w;
}

void Windows::reloadLedgers(const QString& ledgerFolder, const QStringList& numberTexts) {
    if (!ledgerView_)
        return;
    const ledger::LedgerStore store(ctx_.paths, ledgerFolder);
    for (const QString& number : numberTexts) {
        if (ledgerView_->ledgerPath() == store.ledgerPath(number)) {
            ledgerView_->reload();
            return;
        }
    }
}

frmPostFile* Windows::openPostFile(const QString& ledgerFolder, const QString& path) {
    if (postFile_ && postFile_->checking()) {
        bringToFront(postFile_);
        return postFile_;
    }
    const bool isNew = !postFile_;
    if (isNew) {
        postFile_ = new frmPostFile(ctx_.paths, ctx_.settings, ctx_.defaultTax, *ctx_.host);
        postFile_->setAttribute(Qt::WA_DeleteOnClose);
        centreOnScreen(postFile_);
        QObject::connect(postFile_, &frmPostFile::ledgersChanged, postFile_,
                         [this](const QString& folder, const QStringList& numbers) {
                             reloadLedgers(folder, numbers);
                         });
        QObject::connect(postFile_, &frmPostFile::customersAdded, postFile_,
                         [this](const QStringList& names) {
                             if (ledger_)
                                 ledger_->learnCustomers(names);
                         });
        QObject::connect(postFile_, &frmPostFile::reportWanted, postFile_,
                         [this](const QString& folder, std::shared_ptr<const batch::Batch> batch,
                                std::shared_ptr<const batch::BatchResult> result) {
                             openPostReport(folder, std::move(batch), std::move(result));
                         });
    }
    if (!postFile_->openFile(ledgerFolder, path) && isNew) {
        postFile_->close();
        return nullptr;
    }
    bringToFront(postFile_);
    return postFile_;
}

frmPostReport* Windows::openPostReport(const QString& ledgerFolder,
                                       std::shared_ptr<const batch::Batch> batch,
                                       std::shared_ptr<const batch::BatchResult> result) {
    if (postReport_)
        postReport_->close();
    postReport_ = new frmPostReport(ctx_.paths, *ctx_.host, *ctx_.dialogs, ledgerFolder,
                                    std::move(batch), std::move(result));
    postReport_->setAttribute(Qt::WA_DeleteOnClose);
    centreOnScreen(postReport_);
    QObject::connect(postReport_, &frmPostReport::ledgersChanged, postReport_,
                     [this](const QString& folder, const QStringList& numbers) {
                         reloadLedgers(folder, numbers);
                     });
    bringToFront(postReport_);
    return postReport_;
}

frmLedgerView* Windows::openLedgerView(const QString& ledgerFolder, const QString& numberText,
                                       const QString& customerName, std::int64_t record) {
    const bool isNew = !ledgerView_;
    if (isNew) {
        ledgerView_ = new frmLedgerView(ctx_.paths, *ctx_.host, *ctx_.dialogs, ctx_.settings);
        ledgerView_->setAttribute(Qt::WA_DeleteOnClose);
        centreOnScreen(ledgerView_);
    }
    if (!ledgerView_->showLedger(ledgerFolder, numberText, customerName)) {
        if (isNew)
            ledgerView_->close();
        return nullptr;
    }
    if (record >= 0)
        ledgerView_->selectRecord(record);
    bringToFront(ledgerView_);
    return ledgerView_;
}

} // namespace tw
