// Job lookup: a job number typed into the search box fills the entry from the estimating
// system's work-in-progress files and selects the customer's ledger.
#include "entry/entryfields.h"
#include "entry/wipfiles.h"
#include "mainwindow/frmledger.h"
#include "platform/host.h"
#include "platform/ioerror.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "widgets/fieldevents.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

namespace tw {

void frmLedger::txtSearch_KeyPress(int& keyAscii) {
    if (keyAscii != kEnterKey)
        return;
    const QString typed = txtSearch->text(); // not trimmed: a blank is part of the key
    if (typed.isEmpty())
        return;
    lookupPending_ = true;
    const QDate today = host_.today();

    std::optional<entry::FoundJob> found;
    try {
        // Both files are opened, read and closed within the lookup; nothing stays open.
        found = entry::lookupJob(paths_, gA, typed);
    } catch (const IoError& e) {
        host_.message(e.text() + QStringLiteral("\n\nThe job was not looked up."));
        return;
    }
    if (!found) {
        host_.message(entry::kJobNotFoundMessage);
        txtSearch->clear();
        cboCust->setEditText(QString());
        return;
    }

    const entry::JobEntry e =
        entry::jobEntry(found->record, found->customer, AeDate->text(), AeDue->text(), today);
    cboCust->setEditText(e.customer);
    txtJob->setText(e.job);
    if (e.datesUsed) {
        AeDate->setText(e.invoiceDate);
        AeDue->setText(e.dueDate);
    }
    cboProd->setEditText(QString());
    txtDesc->setText(e.description);
    txtQuan->setText(e.quantity);
    setMoneyText(txtAmt, e.amount);
    taxFollows();

    lookupCustomer(false);

    matchInvoice(entry::MatchTrigger::JobGiven);

    lookupPending_ = false;
    keyAscii = 0; // the Enter key does not reach the search box
}

void frmLedger::txtSearch_LostFocus() {
    // A lookup that did not succeed is tried again as the box is left, so a job number typed
    // after a "not found" is looked up without Enter.
    if (!lookupPending_)
        return;
    int keyAscii = kEnterKey;
    txtSearch_KeyPress(keyAscii);
    if (!lookupPending_) {
        // The entry was filled by leaving the box; this holds only for the event that moved
        // the focus (a click on Post among them).
        filledOnLeaving_ = true;
        QTimer::singleShot(0, this, [this] { filledOnLeaving_ = false; });
    }
}

} // namespace tw
