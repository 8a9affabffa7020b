#pragma once
// The ledger folder sandbox under the name some tests know it by.
#include "postingdriver.h"

namespace tw::test {
using LedgerFolder = LedgerSandbox;
} // namespace tw::test
