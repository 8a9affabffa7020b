#pragma once
#include "platform/host.h"

namespace tw {

// The real Host: QMessageBox with one OK button (or Yes and No) and no icon, the system beep, and
// an end of the program that closes every window at once.
class WidgetHost : public Host {
public:
    void message(const QString& text) override;
    void beep() override;
    void endProgram() override;
    QDate today() const override;
    bool question(const QString& text) override;
};

} // namespace tw
