// Placeholder: replaced by the real handlers.
#include "mainwindow/frmledger.h"

#include <QComboBox>

namespace tw {

void frmLedger::AeDate_LostFocus() {}
void frmLedger::AeDue_LostFocus() {}
void frmLedger::txtInvoice_LostFocus() {}
void frmLedger::txtJob_LostFocus() {}
void frmLedger::txtAmt_LostFocus() {}
void frmLedger::txtDefaultTax_LostFocus() {}
void frmLedger::Check1_Click() {}
void frmLedger::Check2_Click() {}
void frmLedger::txtInvoice_KeyPress(int& /*keyAscii*/) {}
void frmLedger::txtJob_KeyPress(int& /*keyAscii*/) {}
void frmLedger::txtPO_KeyPress(int& /*keyAscii*/) {}
void frmLedger::txtQuan_KeyPress(int& /*keyAscii*/) {}
void frmLedger::cboProd_KeyPress(int& /*keyAscii*/) {}
void frmLedger::txtDesc_KeyPress(int& /*keyAscii*/) {}
void frmLedger::txtAmt_KeyPress(int& /*keyAscii*/) {}
void frmLedger::txtDefaultTax_KeyPress(int& /*keyAscii*/) {}

} // namespace tw
