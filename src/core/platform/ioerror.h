#pragma once
#include <QString>
#include <stdexcept>

namespace tw {

// A file operation that failed. The text names the file (as the operator knows it,
// usually its DOS path) and the system's reason, ready to be shown in a message box.
class IoError : public std::runtime_error {
public:
    explicit IoError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

} // namespace tw
