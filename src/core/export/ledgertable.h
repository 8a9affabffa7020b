#pragma once
#include "export/sheet.h"

#include <QString>

namespace tw::ledger {
class LedgerModel;
}

namespace tw::exports {

// A customer's ledger as its window shows it, to be exported or printed: the rows the filter
// leaves, in the window's columns, the total of the entries shown, and a note on an incomplete
// record or amounts that do not read. title: the window's title ("Ledger 00013 - ACME").
Table ledgerTable(const ledger::LedgerModel& model, const QString& title);

} // namespace tw::exports
