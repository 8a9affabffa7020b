// Placeholder: replaced by the real handlers.
#include "mainwindow/frmledger.h"

#include <QComboBox>

namespace tw {

void frmLedger::cboCust_LostFocus() {}
void frmLedger::cboCust_Click() {}
void frmLedger::cboCust_KeyPress(int& /*keyAscii*/) {}
void frmLedger::lookupCustomer(bool /*fromLeaving*/) {}
void frmLedger::lblClear_Click() {}
void frmLedger::lblPost_Click() {}

} // namespace tw
