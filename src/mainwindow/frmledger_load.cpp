// Placeholder: replaced by the real handlers.
#include "mainwindow/frmledger.h"

#include <QComboBox>

namespace tw {

void frmLedger::lblRefresh_Click() {}
void frmLedger::setListEntries(QComboBox* /*box*/, QStringList /*entries*/) {}
void frmLedger::Form_Load() {}

} // namespace tw
