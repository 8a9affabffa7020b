// Placeholder: replaced by the real handlers.
#include "mainwindow/frmledger.h"

#include <QComboBox>

namespace tw {

void frmLedger::txtSearch_KeyPress(int& /*keyAscii*/) {}
void frmLedger::txtSearch_LostFocus() {}

} // namespace tw
