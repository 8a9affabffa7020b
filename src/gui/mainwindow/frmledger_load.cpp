// Start-up and Refresh of the main window: the core decides the steps and their recoveries
// (sources/listload); the window shows what each step gives.
#include "mainwindow/frmledger.h"

#include "platform/host.h"
#include "settings/defaulttax.h"
#include "sources/listload.h"
#include "widgets/busycursor.h"
#include "widgets/completingcombobox.h"
#include "widgets/dateentrybox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QSet>
#include <QSignalBlocker>
#include <QStringListModel>

namespace tw {

namespace {

// Puts the box's text back without anything reacting to it as typing.
void restoreEditText(QComboBox* box, const QString& text) {
    const QSignalBlocker block(box);
    box->setEditText(text);
}

} // namespace

void frmLedger::Form_Load() {
    // The window shows at once, before any file is read, and is painted while the lists
    // load; the operator's input waits until the start-up has finished.
    lblNew->setVisible(false);
    show();
    activateWindow();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    BusyCursor busy;
    const sources::ListSources sources{paths_, settings_, host_, &busy};
    if (sources::startUp(sources, *this) == sources::ListsEnd::EndProgram) {
        host_.endProgram();
        return;
    }
    // Every other end of the start-up leaves the focus in the invoice date box.
    AeDate->setFocus(Qt::OtherFocusReason);
}

void frmLedger::lblRefresh_Click() {
    lblNew->setVisible(false);
    // The entry is not cleared by a refresh: the customer and product texts stay.
    const QString customer = cboCust->currentText();
    const QString product = cboProd->currentText();
    BusyCursor busy;
    sources::refresh({paths_, settings_, host_, &busy}, *this);
    restoreEditText(cboCust, customer);
    restoreEditText(cboProd, product);
}

// ---- What the start-up and Refresh show ----

void frmLedger::showMatchOption(bool ticked) {
    if (Check1->isChecked() == ticked)
        return;
    // The option's change reaction runs once, as for the operator's click.
    {
        const QSignalBlocker block(Check1);
        Check1->setChecked(ticked);
    }
    Check1_Click();
}

void frmLedger::showVersion(const QString& text) {
    lblVersion->setText(text);
}

void frmLedger::showMode(sources::ListMode mode) {
    selectMode(mode == sources::ListMode::Database);
}

void frmLedger::showLedgerFolder(const QString& folder) {
    gLedger = folder;
}

void frmLedger::showEstFolder(const QString& folder) {
    gA = folder;
}

void frmLedger::showDefaultTax() {
    txtDefaultTax->setText(defaultTax_.value());
}

void frmLedger::showProducts(const QStringList& entries) {
    cboProd->setListEntries(entries);
}

void frmLedger::showCustomers(const QStringList& entries) {
    cboCust->setListEntries(entries);
}

void frmLedger::learnCustomers(const QStringList& names) {
    auto* list = qobject_cast<QStringListModel*>(cboCust->model());
    QStringList entries = list ? list->stringList() : QStringList();
    const QSet<QString> known(entries.cbegin(), entries.cend());
    bool added = false;
    for (const QString& name : names) {
        if (!known.contains(name)) {
            entries << name;
            added = true;
        }
    }
    if (!added)
        return;
    const QString typed = cboCust->currentText();
    cboCust->setListEntries(entries);
    const QSignalBlocker block(cboCust);
    cboCust->setEditText(typed);
}

} // namespace tw
