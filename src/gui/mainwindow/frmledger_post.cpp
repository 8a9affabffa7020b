// The customer lookup, Clear and Post. The formats and the file work live in the core
// (ledger/); the handlers read the boxes, call the core and write back.
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "ledger/posting.h"
#include "mainwindow/frmledger.h"
#include "platform/host.h"
#include "platform/ioerror.h"
#include "settings/defaulttax.h"
#include "settings/settings.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "widgets/fieldevents.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace tw {

// ---- Customer selection ----

void frmLedger::cboCust_LostFocus() {
    lblNew->hide();
    txtLedger->clear();
    if (!cboCust->currentText().isEmpty())
        lookupCustomer(true);
}

void frmLedger::cboCust_Click() {
    lookupCustomer(false);
}

void frmLedger::cboCust_KeyPress(int& keyAscii) {
    if (keyAscii == kEnterKey) {
        // Leaving the box runs the lookup on the way to the invoice number.
        txtInvoice->setFocus(Qt::OtherFocusReason);
        keyAscii = 0;
    }
}

void frmLedger::lookupCustomer(bool fromLeaving) {
    txtLedger->clear();
    lblNew->hide();
    try {
        ledger::LedgerStore store(paths_, gLedger);
        if (const auto n = store.findCustomer(cboCust->currentText(), fromLeaving))
            txtLedger->setText(ledger::ledgerNumberText(*n));
        else
            lblNew->show();
    } catch (const IoError& e) {
        // Neither state can be shown: the operator must know the ledger was not looked up.
        host_.message(
            QStringLiteral("The customer's ledger could not be looked up. %1").arg(e.text()));
    }
}

// ---- Clear ----

void frmLedger::lblClear_Click() {
    txtLedger->clear();
    cboCust->setCurrentIndex(-1);
    cboCust->setEditText(QString());
    txtInvoice->clear();
    txtJob->clear();
    txtPO->clear();
    AeDate->clear();
    AeDue->clear();
    cboProd->setCurrentIndex(-1);
    cboProd->setEditText(QString());
    txtDesc->setText(QString());
    txtAmt->clear();
    txtSearch->clear();
    txtInvAmt->clear();
    txtTax->clear();
    txtDefaultTax->clear();
    txtQuan->clear();

    // Its change reaction empties the tax boxes again.
    Check2->setChecked(false);

    // Files are opened and closed within each operation, so none is open here.

    txtDefaultTax->setText(defaultTax_.refresh());

    lblNew->hide();

    // The box being left was just emptied: its leave rule must not refill it (an empty date
    // would become today's, an empty amount ten blanks).
    events_->withoutLeaveHandlers([this] { AeDate->setFocus(Qt::OtherFocusReason); });
}

// ---- Post ----

namespace {

ledger::EntryTexts entryOf(const frmLedger& w, const QDate& today) {
    ledger::EntryTexts e;
    e.customer = w.cboCust->currentText();
    e.invoiceDate = w.AeDate->text();
    e.dueDate = w.AeDue->text();
    e.invoice = w.txtInvoice->text();
    e.job = w.txtJob->text();
    e.po = w.txtPO->text();
    e.product = w.cboProd->currentText();
    e.description = w.txtDesc->text();
    e.preTax = w.txtAmt->text();
    e.tax = w.txtTax->text();
    e.invoiceAmount = w.txtInvAmt->text();
    e.taxOn = w.Check2->isChecked();
    e.ledgerShown = w.txtLedger->text();
    // Only a Post whose append failed shows a ledger number and the new-ledger mark together.
    e.ledgerJustMade = !e.ledgerShown.isEmpty() && w.lblNew->isVisibleTo(&w);
    e.today = today;
    return e;
}

} // namespace

void frmLedger::lblPost_Click() {
    ledger::LedgerStore store(paths_, gLedger);
    const auto r = ledger::postEntry(entryOf(*this, host_.today()), store, host_);
    if (r.posted) {
        lblClear_Click();
        emit ledgerPosted(gLedger, ledger::ledgerNumberText(r.ledger));
    } else if (r.ledger != 0 && txtLedger->text().isEmpty()) {
        // Allocated, then not written: the retry adds the invoice to this ledger.
        txtLedger->setText(ledger::ledgerNumberText(r.ledger));
        if (r.created)
            lblNew->show();
    }
    tellEach(host_, {r.error, r.warning});
}

} // namespace tw
