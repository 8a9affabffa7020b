// The customer lookup, Clear and Post. The formats and the file work live in the core
// (ledger/); the handlers read the boxes, check them, call the store and write back.
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "mainwindow/frmledger.h"
#include "platform/gui/dateentrybox.h"
#include "platform/gui/descriptionbox.h"
#include "platform/host.h"
#include "platform/ioerror.h"
#include "platform/regional.h"
#include "platform/text1252.h"
#include "settings/settings.h"
#include "startup/appcontext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace tw {

namespace {

constexpr int kEnter = 13;

const QString kBlankMessage = QStringLiteral("Warning: Customer, Date or Amount Cannot Be Blank!");
const QString kNothingPosted = QStringLiteral("Nothing was posted.");

bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

// A money box's amount in cents: empty or blank is zero; nullopt when it is no number.
std::optional<std::int64_t> boxCents(const QString& text) {
    if (isBlank(text))
        return 0;
    return regional::toCents(text);
}

} // namespace

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
    if (keyAscii == kEnter) {
        // Leaving the box runs the lookup on the way to the invoice number.
        txtInvoice->setFocus(Qt::OtherFocusReason);
        keyAscii = 0;
    }
}

void frmLedger::lookupCustomer(bool fromLeaving) {
    txtLedger->clear();
    lblNew->hide();
    try {
        ledger::LedgerStore store(ctx_.paths, gLedger);
        if (const auto n = store.findCustomer(cboCust->currentText(), fromLeaving))
            txtLedger->setText(ledger::ledgerNumberText(*n));
        else
            lblNew->show();
    } catch (const IoError& e) {
        // Neither state can be shown: the operator must know the ledger was not looked up.
        ctx_.host->message(
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

    // A "\DefTax.Dat" that went missing while the program ran leaves the rate in use as it is.
    const QString tax = ctx_.settings.read(settings::kDefTax).value_or(ctx_.gTax);
    txtDefaultTax->setText(tax);
    gTax = tax;
    ctx_.gTax = tax;

    lblNew->hide();

    // The box being left was just emptied: its leave rule must not refill it (an empty date
    // would become today's, an empty amount ten blanks).
    const bool wasInHandler = inHandler_;
    inHandler_ = true;
    AeDate->setFocus(Qt::OtherFocusReason);
    inHandler_ = wasInHandler;
}

// ---- Post ----

void frmLedger::lblPost_Click() {
    Host& host = *ctx_.host;
    const QString customer = cboCust->currentText();
    if (isBlank(customer) || isBlank(AeDate->text()) || isBlank(txtAmt->text())) {
        host.message(kBlankMessage);
        return;
    }

    // Everything is checked before anything is written.
    // A character the ledger files cannot hold would be stored as "?": two different names
    // could then share one ledger, and the lookup could find another customer's.
    if (ansi::decode(ansi::encode(customer)) != customer) {
        host.message(QStringLiteral("The Customer Name \"%1\" has characters that the ledger "
                                    "files cannot hold. %2")
                         .arg(customer.trimmed(), kNothingPosted));
        return;
    }
    const QDate today = host.today();
    const auto invoiceDate = regional::readDate(AeDate->text(), today);
    if (!invoiceDate) {
        host.message(QStringLiteral("The Invoice Date \"%1\" is not a date. %2")
                         .arg(AeDate->text().trimmed(), kNothingPosted));
        return;
    }
    QDate dueDate;
    if (!isBlank(AeDue->text())) {
        const auto due = regional::readDate(AeDue->text(), today);
        if (!due) {
            host.message(QStringLiteral("The Due Date \"%1\" is not a date. %2")
                             .arg(AeDue->text().trimmed(), kNothingPosted));
            return;
        }
        dueDate = *due;
    }

    // Without the tax switch, a typed invoice amount is the amount (it replaces the pre-tax
    // amount below, and no tax is shown).
    const bool invoiceAmountOnly = !isBlank(txtInvAmt->text()) && !Check2->isChecked();
    const QString preTaxText = invoiceAmountOnly ? txtInvAmt->text() : txtAmt->text();
    const auto invoiceAmount = boxCents(txtInvAmt->text());
    if (!invoiceAmount) {
        host.message(QStringLiteral("The Invoice Amount \"%1\" is not a number. %2")
                         .arg(txtInvAmt->text().trimmed(), kNothingPosted));
        return;
    }
    const auto preTax = boxCents(preTaxText);
    if (!preTax) {
        host.message(QStringLiteral("The Pre-Tax Amount \"%1\" is not a number. %2")
                         .arg(preTaxText.trimmed(), kNothingPosted));
        return;
    }

    ledger::LedgerEntryRecord rec;
    rec.InvoiceNumber = txtInvoice->text();
    rec.InvoiceDate = *invoiceDate;
    rec.DueDate = dueDate;
    rec.JobNumber = txtJob->text();
    rec.ProductCode = cboProd->currentText();
    rec.PONumber = txtPO->text();
    rec.Description = txtDesc->text();
    rec.AmountCents = *invoiceAmount != 0 ? *invoiceAmount : *preTax;
    const auto bytes = rec.encode();
    if (!bytes) {
        host.message(QStringLiteral("The amount %1 cannot be stored in the ledger: it keeps "
                                    "amounts below $10,000,000.00 in at most 10 characters "
                                    "(such as 9999999.99 or -999999.99). %2")
                         .arg(regional::formatMoney(rec.AmountCents), kNothingPosted));
        return;
    }
    const QString shownLedger = txtLedger->text();
    if (!shownLedger.isEmpty() && !ledger::parseLedgerNumber(shownLedger)) {
        host.message(
            QStringLiteral("The Ledger Number \"%1\" is not a ledger number of 5 digits. %2")
                .arg(shownLedger, kNothingPosted));
        return;
    }

    if (invoiceAmountOnly) {
        setMoneyText(txtAmt, txtInvAmt->text());
        txtTax->setText(QStringLiteral("$0.00"));
    }

    ledger::LedgerStore store(ctx_.paths, gLedger);
    const bool newShown = !lblNew->isHidden();
    bool allocated = false;
    try {
        QString number = txtLedger->text();
        if (number.isEmpty()) {
            const auto a = store.allocateLedger(customer, [this](int n) {
                lblNew->show();
                txtLedger->setText(ledger::ledgerNumberText(n));
            });
            number = ledger::ledgerNumberText(a.number);
            txtLedger->setText(number);
            allocated = true;
        }
        store.appendEntry(number, *bytes);
    } catch (const IoError& e) {
        QString text = QStringLiteral("The invoice was not posted. %1").arg(e.text());
        if (allocated) {
            text += QStringLiteral(" The customer now has ledger %1; posting again adds the "
                                   "invoice to it.")
                        .arg(txtLedger->text());
        } else {
            // A new ledger that was not written must not be used by the next attempt.
            txtLedger->setText(shownLedger);
            lblNew->setVisible(newShown);
        }
        host.message(text);
        return;
    }

    lblClear_Click();
}

} // namespace tw
