#pragma once

namespace tw {

// Shows that the program is working while it waits for something outside it (a busy cursor
// on screen). The core only says when the wait begins and ends.
class BusyIndicator {
public:
    virtual ~BusyIndicator() = default;
    virtual void begin() = 0;
    virtual void end() = 0;
};

// Holds the indicator for a scope; a null indicator shows nothing.
class BusyScope {
public:
    explicit BusyScope(BusyIndicator* indicator) : indicator_(indicator) {
        if (indicator_)
            indicator_->begin();
    }
    ~BusyScope() {
        if (indicator_)
            indicator_->end();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyIndicator* indicator_;
};

} // namespace tw
