#pragma once
#include <QString>

namespace tw::settings {

class SettingsStore;

// The default tax percent of the run, as the operator typed it (6 or 6.5, no percent sign),
// and its file "\DefTax.Dat". One object for the whole run: the splash window reads it, the
// main window shows it in its box, and the menu entry and Clear read it again.
class DefaultTax {
public:
    explicit DefaultTax(SettingsStore& store) : store_(store) {}

    const QString& value() const { return value_; }

    // At the start: the file's value. A missing or unreadable file is written holding "0",
    // and the value is then "0".
    void load();
    // The "Default Tax %" menu entry: the file's value. An unreadable file is written holding
    // "0"; the value in use stays as it was.
    void reread();
    // Clear: the file's value; a file gone while the program runs leaves the value in use.
    const QString& refresh();
    // Leaving the "Default Tax %:" box: its text goes into the file. The value in use follows
    // at the next Clear, which reads the file.
    bool save(const QString& text);

private:
    SettingsStore& store_;
    QString value_;
};

} // namespace tw::settings
