#pragma once
#include <QDate>
#include <QString>

#include <initializer_list>

namespace tw {

// What the program asks of its surroundings beyond files: message boxes, questions, beeps, ending
// the program and today's date. Windows hold a Host so that tests can script and record these.
class Host {
public:
    virtual ~Host() = default;
    // A modal message box with one OK button and the application's title.
    virtual void message(const QString& text) = 0;
    virtual void beep() = 0;
    // Ends the program at once: no further event of any window runs.
    virtual void endProgram() = 0;
    virtual QDate today() const = 0;
    // A modal Yes/No question with the application's title; No is the default and Esc
    // answers No. True for Yes. A host that cannot ask answers No.
    virtual bool question(const QString& text) {
        (void)text;
        return false;
    }
};

// Each text that is not empty in a message box of its own, in order (an outcome's error, then
// its warning).
inline void tellEach(Host& host, std::initializer_list<QString> texts) {
    for (const QString& text : texts) {
        if (!text.isEmpty())
            host.message(text);
    }
}

} // namespace tw
