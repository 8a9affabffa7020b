#pragma once
#include "platform/busy.h"

namespace tw {

// The wait cursor over every window of the program while it is shown.
class BusyCursor : public BusyIndicator {
public:
    void begin() override;
    void end() override;
};

} // namespace tw
