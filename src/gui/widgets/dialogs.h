#pragma once
#include <QString>

class QPrinter;
class QWidget;

namespace tw {

// File and printer dialogs, behind an interface so that window tests can script them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // An Access database file ("*.mdb *.accdb"); empty when cancelled.
    virtual QString chooseDatabaseFile(QWidget* parent, const QString& startFolder) = 0;
    // The system's printer dialog; false when the operator cancels it.
    virtual bool choosePrinter(QPrinter& printer, QWidget* parent) = 0;
};

// The real dialogs.
class WidgetDialogs : public Dialogs {
public:
    QString chooseDatabaseFile(QWidget* parent, const QString& startFolder) override;
    bool choosePrinter(QPrinter& printer, QWidget* parent) override;
};

} // namespace tw
