// Start-up and Refresh of the main window: the options, the folders and the two lists.
#include "mainwindow/frmledger.h"

#include "app/appcontext.h"
#include "platform/appinfo.h"
#include "platform/host.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "platform/regional.h"
#include "settings/settings.h"
#include "sources/database.h"
#include "sources/interfacefile.h"
#include "sources/listorder.h"
#include "sources/productfile.h"
#include "widgets/busycursor.h"
#include "widgets/dateentrybox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStringListModel>

#include <algorithm>
#include <numeric>
#include <vector>

namespace tw {

namespace {

// The mode "\interface.dat" names: any non-zero leading number is database mode. An
// unreadable file is replaced by "0" and read again; should that fail too, text files mode.
bool databaseModeFromFile(settings::SettingsStore& store) {
    std::optional<QString> value = store.read(settings::kInterface);
    if (!value) {
        store.write(settings::kInterface, QStringLiteral("0"));
        value = store.read(settings::kInterface);
    }
    return value && regional::leadingNumber(*value) != 0;
}

enum class TextLoad {
    Finished,
    Stopped,         // a loader failed; the lists keep what was loaded before
    NoInterfaceFile, // gA + "\QLCUST" could not be opened
};

// Text files mode: the products from "\product.dat", then the customers from the file that
// the interface file names.
TextLoad loadTextLists(frmLedger& w, AppContext& ctx, sources::LoadPath path,
                       const QString& drivePath) {
    const sources::LoadResult products = sources::loadProductFile(ctx.paths, w.gA);
    frmLedger::setListEntries(w.cboProd, products.entries);
    if (!products.ok)
        return TextLoad::Stopped;

    // The start-up leaves the customer list empty without an estimating folder; the refresh
    // has no such test (its folder phase has already ended an empty one).
    if (path == sources::LoadPath::StartUp && w.gA.isEmpty())
        return TextLoad::Finished;

    RecordFile interfaceFile;
    try {
        interfaceFile = sources::openInterfaceFile(ctx.paths, w.gA);
    } catch (const IoError&) {
        return TextLoad::NoInterfaceFile;
    }
    const sources::LoadResult customers =
        sources::loadCustomers(interfaceFile, ctx.paths, drivePath, path);
    if (!customers.message.isEmpty())
        ctx.host->message(customers.message);
    frmLedger::setListEntries(w.cboCust, customers.entries);
    return customers.ok ? TextLoad::Finished : TextLoad::Stopped;
}

// Database mode: the customers from "CLIENT", then, when that succeeded, the products from
// "PROD", of the database that "\dbloc.dat" names.
void loadDatabaseLists(frmLedger& w, AppContext& ctx) {
    const std::optional<QString> location = sources::databaseLocation(ctx.settings);
    if (!location) {
        ctx.host->message(sources::kDatabaseNotSet);
        return;
    }
    const QString native = ctx.paths.toNative(*location);
    BusyCursor busy;
    sources::DatabaseReader reader;
    reader.setBusyIndicator(&busy);
    const sources::LoadResult customers = sources::loadDatabaseCustomers(native, *location, reader);
    frmLedger::setListEntries(w.cboCust, customers.entries);
    if (!customers.ok) {
        ctx.host->message(customers.failure);
        return;
    }
    const sources::LoadResult products = sources::loadDatabaseProducts(native, *location, reader);
    frmLedger::setListEntries(w.cboProd, products.entries);
    if (!products.ok)
        ctx.host->message(products.failure);
}

// Puts the box's text back without anything reacting to it as typing.
void restoreEditText(QComboBox* box, const QString& text) {
    const QSignalBlocker block(box);
    box->setEditText(text);
}

} // namespace

void frmLedger::setListEntries(QComboBox* box, QStringList entries) {
    const QStringList sorted = sources::sortedEntries(std::move(entries));

    // The whole list goes to the box at once; nothing that listens to the box is told, since
    // no entry is chosen by this.
    const QSignalBlocker block(box);
    if (auto* model = qobject_cast<QStringListModel*>(box->model());
        model && model->parent() == box) {
        model->setStringList(sorted);
    } else {
        // setModel deletes the box's own previous model itself.
        box->setModel(new QStringListModel(sorted, box));
    }
    // A long list opens fast when every row has the same height.
    if (auto* view = qobject_cast<QListView*>(box->view()))
        view->setUniformItemSizes(true);
    if (QCompleter* completer = box->completer(); completer && completer->model() != box->model())
        completer->setModel(box->model());
    box->setCurrentIndex(-1);
    box->setEditText(QString());
}

void frmLedger::Form_Load() {
    // Phase A: the window shows at once, before any file is read, and is painted while the
    // lists load; the operator's input waits until the start-up has finished.
    lblNew->setVisible(false);
    show();
    activateWindow();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // Every way the start-up finishes or stops leaves the focus in the invoice date box.
    const auto ready = [this] { AeDate->setFocus(Qt::OtherFocusReason); };

    // Phase B: the match option and the version. An unreadable "\Check.Dat" is replaced and
    // the mode is then not read at all: the window stays in text files mode.
    bool modeKnown = false;
    if (const std::optional<QString> check = ctx_.settings.read(settings::kCheck)) {
        const bool ticked = *check == QLatin1String("1");
        if (Check1->isChecked() != ticked) {
            // The option's change reaction runs once, as for the operator's click.
            {
                const QSignalBlocker block(Check1);
                Check1->setChecked(ticked);
            }
            Check1_Click();
        }
        lblVersion->setText(versionText());
        modeKnown = true;
    } else {
        ctx_.settings.write(settings::kCheck, QStringLiteral("0"));
    }

    // Phase C: the mode.
    if (modeKnown)
        selectMode(databaseModeFromFile(ctx_.settings));

    // Phases D and E: the two folders, the default tax.
    const std::optional<QString> ledger = ctx_.settings.readFolder(settings::kLedger);
    if (ledger)
        gLedger = *ledger;
    const std::optional<QString> est =
        ledger ? ctx_.settings.readFolder(settings::kEstLoc) : std::nullopt;
    if (!ledger || !est) {
        ctx_.host->message(
            QStringLiteral("Path not set for location of Ledger Files. Please Repair."));
        ready();
        return;
    }
    gA = *est;
    txtDefaultTax->setText(ctx_.defaultTax.value());

    if (optDos->isChecked()) {
        setMenusForMode(false);
        // Phases F to H: products first, then customers; the customer data lies on the
        // ledger folder's drive.
        if (loadTextLists(*this, ctx_, sources::LoadPath::StartUp, gLedger) ==
            TextLoad::NoInterfaceFile) {
            // Phase G: without an interface file the estimating folder is wrong; it is
            // forgotten, so the next start asks for it again.
            ctx_.host->message(QStringLiteral("Warning: There is no customer file available in ") +
                               gA + QStringLiteral("! Ending Program and Deleting Path."));
            ctx_.settings.remove(settings::kEstLoc);
            ctx_.host->endProgram();
            return;
        }
    } else if (optMil->isChecked()) {
        // Phase H in database mode: customers first, then products.
        setMenusForMode(true);
        loadDatabaseLists(*this, ctx_);
    }
    ready();
}

void frmLedger::lblRefresh_Click() {
    lblNew->setVisible(false);
    // The entry is not cleared by a refresh: the customer and product texts stay.
    const QString customer = cboCust->currentText();
    const QString product = cboProd->currentText();
    setListEntries(cboProd, {});
    setListEntries(cboCust, {});
    const auto keepEntry = [&] {
        restoreEditText(cboCust, customer);
        restoreEditText(cboProd, product);
    };

    // Folder phase: an estimating folder chosen since the last load takes effect here.
    const std::optional<QString> est = ctx_.settings.readFolder(settings::kEstLoc);
    if (!est) {
        keepEntry();
        return;
    }
    gA = *est;
    lblVersion->setText(versionText());

    // Reload phase: the menus change only through an option that becomes selected.
    selectMode(databaseModeFromFile(ctx_.settings));
    if (optDos->isChecked()) {
        // The customer data lies on the estimating folder's drive here; a missing interface
        // file just ends the refresh.
        loadTextLists(*this, ctx_, sources::LoadPath::Refresh, gA);
    } else if (optMil->isChecked()) {
        loadDatabaseLists(*this, ctx_);
    }
    keepEntry();
}

} // namespace tw
