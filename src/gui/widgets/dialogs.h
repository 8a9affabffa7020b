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
    // A file to read, from the filter given ("Spreadsheet files (*.csv *.txt);;All files (*)");
    // empty when cancelled.
    virtual QString chooseOpenFile(QWidget* parent, const QString& caption,
                                   const QString& startFolder, const QString& filter) = 0;
    // A file to write, starting at the suggested path; empty when cancelled. The dialog asks
    // before an existing file is replaced.
    virtual QString chooseSaveFile(QWidget* parent, const QString& caption,
                                   const QString& suggestedPath, const QString& filter) = 0;
    // An existing folder; empty when cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& caption,
                                 const QString& startFolder) = 0;
};

// The real dialogs.
class WidgetDialogs : public Dialogs {
public:
    QString chooseDatabaseFile(QWidget* parent, const QString& startFolder) override;
    bool choosePrinter(QPrinter& printer, QWidget* parent) override;
    QString chooseOpenFile(QWidget* parent, const QString& caption, const QString& startFolder,
                           const QString& filter) override;
    QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& suggestedPath,
                           const QString& filter) override;
    QString chooseFolder(QWidget* parent, const QString& caption,
                         const QString& startFolder) override;
};

} // namespace tw
