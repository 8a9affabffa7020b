#pragma once
#include <QDate>
#include <QString>

namespace tw {

// What the program asks of its surroundings beyond files: message boxes, beeps, ending the
// program and today's date. Windows hold a Host so that tests can script and record these.
class Host {
public:
    virtual ~Host() = default;
    // A modal message box with one OK button and the application's title.
    virtual void message(const QString& text) = 0;
    virtual void beep() = 0;
    // Ends the program at once: no further event of any window runs.
    virtual void endProgram() = 0;
    virtual QDate today() const = 0;
};

} // namespace tw
