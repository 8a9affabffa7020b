// Entry fields, amounts and tax, and the two option check boxes. The rules live in the core
// (entry/); the handlers read the boxes, apply a rule and write the result back.
#include "entry/amounts.h"
#include "entry/entryfields.h"
#include "mainwindow/frmledger.h"
#include "platform/blanks.h"
#include "platform/host.h"
#include "platform/regional.h"
#include "settings/defaulttax.h"
#include "settings/settings.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "widgets/fieldevents.h"
#include "widgets/panelbutton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace tw {

namespace {

const char* const kRaisedLimitHook = "twMoneyLimitHook";

// Gives the focus back to a box after a message: the message box may have deactivated the
// window, and focus given to an inactive window would not reach the box.
void focusBack(QWidget* window, QWidget* box) {
    window->activateWindow();
    box->setFocus(Qt::OtherFocusReason);
}

} // namespace

void frmLedger::setMoneyText(QLineEdit* box, const QString& text) {
    if (text.size() > box->maxLength()) {
        if (!box->property(kRaisedLimitHook).toBool()) {
            box->setProperty(kRaisedLimitHook, true);
            // Once the box is back to what could have been typed (emptied, retyped, cleared),
            // typing is limited to 10 characters again.
            connect(box, &QLineEdit::textChanged, box, [box](const QString& now) {
                if (now.size() <= entry::kMoneyBoxLength &&
                    box->maxLength() > entry::kMoneyBoxLength)
                    box->setMaxLength(entry::kMoneyBoxLength);
            });
        }
        box->setMaxLength(int(text.size()));
    }
    box->setText(text);
}

// ---- Dates ----

void frmLedger::AeDate_LostFocus() {
    const auto r = entry::dateRule(AeDate->text(), host_.today());
    if (r.missingDelimiter) {
        host_.beep();
        host_.message(entry::kDateDelimiterMessage);
        AeDate->clear();
        focusBack(this, AeDate);
        return;
    }
    AeDate->setText(r.text);
    // Every leave copies the invoice date: the due date starts as the invoice date.
    AeDue->setText(AeDate->text());
}

void frmLedger::AeDue_LostFocus() {
    const auto r = entry::dateRule(AeDue->text(), host_.today());
    if (r.missingDelimiter) {
        host_.beep();
        host_.message(entry::kDateDelimiterMessage);
        // The wrong text stays for correction.
        focusBack(this, AeDue);
        return;
    }
    AeDue->setText(r.text);
}

// ---- Invoice and job numbers ----

void frmLedger::txtInvoice_LostFocus() {
    if (const auto job =
            entry::jobFromInvoice(Check1->isChecked(), txtInvoice->text(), txtJob->text()))
        txtJob->setText(*job);
}

void frmLedger::txtJob_LostFocus() {
    const QString job = entry::normaliseJob(txtJob->text());
    if (!job.isEmpty())
        txtJob->setText(job);
    matchInvoice(entry::MatchTrigger::JobGiven);
}

void frmLedger::matchInvoice(entry::MatchTrigger trigger) {
    if (const auto invoice = entry::matchedInvoice(Check1->isChecked(), txtJob->text(), trigger))
        txtInvoice->setText(*invoice);
}

void frmLedger::Check1_Click() {
    // Remembered for the next run; a file that cannot be written does not stop the rest
    // (the settings store tells the operator once).
    settings_.write(settings::kCheck,
                    Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    matchInvoice(entry::MatchTrigger::OptionTicked);
}

// ---- Amounts and tax ----

void frmLedger::txtAmt_LostFocus() {
    setMoneyText(txtAmt, entry::amountRule(txtAmt->text()));
    // The tax shown must follow the amount shown, or Post would store another figure.
    taxFollows();
}

void frmLedger::taxFollows() {
    if (Check2->isChecked())
        Check2_Click();
}

void frmLedger::Check2_Click() {
    if (!Check2->isChecked()) {
        txtTax->clear();
        txtInvAmt->clear();
        return;
    }
    const entry::TaxResult r = entry::computeTax(txtAmt->text(), txtDefaultTax->text());
    using Outcome = entry::TaxResult::Outcome;
    switch (r.outcome) {
    case Outcome::NotQualifying:
        return;
    case Outcome::NotANumber:
        host_.message(
            QStringLiteral("The Pre-Tax Amount \"%1\" is not a number, so no tax was computed.")
                .arg(trimBlanks(txtAmt->text())));
        return;
    case Outcome::TooLarge:
        host_.message(QStringLiteral(
            "The Pre-Tax Amount or the Default Tax % is too large to compute the tax."));
        return;
    case Outcome::Computed:
        setMoneyText(txtTax, entry::moneyText(regional::formatMoney(r.taxCents)));
        setMoneyText(txtInvAmt, entry::moneyText(regional::formatMoney(r.invoiceCents)));
        return;
    }
}

void frmLedger::txtDefaultTax_LostFocus() {
    // A qualifying amount switches the tax on, whose click computes it; a tax already on
    // takes the new percent.
    if (entry::qualifies(txtAmt->text()) && !Check2->isChecked())
        Check2->setChecked(true);
    else
        taxFollows();
    // No file is held open between events, so there is nothing to close first.
    defaultTax_.save(txtDefaultTax->text());
}

// ---- The Enter chain ----

namespace {

// Enter walks on to the next field (its leave rule runs on the way); the key goes on.
void enterMovesTo(int keyAscii, QWidget* next) {
    if (keyAscii == kEnterKey)
        next->setFocus(Qt::OtherFocusReason);
}

} // namespace

void frmLedger::txtInvoice_KeyPress(int& keyAscii) {
    enterMovesTo(keyAscii, txtJob);
}

void frmLedger::txtJob_KeyPress(int& keyAscii) {
    enterMovesTo(keyAscii, txtPO);
}

void frmLedger::txtPO_KeyPress(int& keyAscii) {
    enterMovesTo(keyAscii, txtQuan);
}

void frmLedger::txtQuan_KeyPress(int& keyAscii) {
    enterMovesTo(keyAscii, cboProd);
}

void frmLedger::cboProd_KeyPress(int& keyAscii) {
    enterMovesTo(keyAscii, txtDesc);
}

void frmLedger::txtDesc_KeyPress(int& keyAscii) {
    enterMovesTo(keyAscii, txtAmt);
    // A full box: every key is told, and still goes on to the box (Backspace still deletes).
    if (txtDesc->text().size() == entry::kDescriptionLength)
        host_.beep();
}

void frmLedger::txtAmt_KeyPress(int& keyAscii) {
    enterMovesTo(keyAscii, btnPost);
}

void frmLedger::txtDefaultTax_KeyPress(int& keyAscii) {
    if (keyAscii == kEnterKey)
        txtDefaultTax_LostFocus();
}

} // namespace tw
