#pragma once
#include "app/appcontext.h"
#include "app/windows.h"
#include "testsupport.h"
#include "widgets/dialogs.h"

#include <QList>
#include <QTemporaryDir>
#include <memory>

namespace tw {
class frmLedger;
}

namespace tw::test {

// Scripted file and printer dialogs.
class FakeDialogs : public tw::Dialogs {
public:
    QString nextDatabaseFile;   // returned by the next file dialog ("" = cancelled)
    bool acceptPrinter = false; // false = the operator cancels the printer dialog
    QString pdfPath;            // when accepted, the printer prints to this PDF file
    QString nextFile;           // returned by the next open, save or folder dialog ("" = cancelled)
    QString lastCaption;        // the caption of the last of those dialogs
    QString lastStart;          // the folder or suggested path it started at
    int fileDialogs = 0;
    int printerDialogs = 0;

    QString chooseDatabaseFile(QWidget* parent, const QString& startFolder) override;
    bool choosePrinter(QPrinter& printer, QWidget* parent) override;
    QString chooseOpenFile(QWidget* parent, const QString& caption, const QString& startFolder,
                           const QString& filter) override;
    QString chooseSaveFile(QWidget* parent, const QString& caption, const QString& suggestedPath,
                           const QString& filter) override;
    QString chooseFolder(QWidget* parent, const QString& caption,
                         const QString& startFolder) override;

private:
    QString answer(const QString& caption, const QString& start);
};

// A program folder in a temporary directory with a dosdevices/ drive map, the fake host and
// dialogs, and the window registry: everything a window test needs.
class AppFixture {
public:
    AppFixture();
    ~AppFixture();

    QTemporaryDir tmp;
    QString programFolder; // <tmp>/prog
    FakeHost host;
    FakeDialogs dialogs;
    std::unique_ptr<tw::AppContext> ctx;
    std::unique_ptr<tw::Windows> windows;

    // Maps a drive letter to a fresh directory <tmp>/drive_<x> and returns that directory.
    QString mapDrive(QChar letter);
    // Writes a settings file in the program folder (value + CR LF).
    void setSetting(const QString& name, const QString& value);
    QString programFile(const QString& name) const { return programFolder + '/' + name; }
    // A main window over that ledger folder (DOS text), shown, its requests answered by the
    // window registry; deleted with the fixture.
    tw::frmLedger* mainWindow(const QString& ledgerFolder);
};

// Runs a poppler tool (pdfinfo, pdftotext, ...) and returns its standard output; empty when
// it fails.
QByteArray runTool(const QString& program, const QStringList& args);
// The page count pdfinfo reads from a PDF file, or -1.
int pdfPages(const QString& pdf);

// Activates a shown window and waits until it is the active one (focus is synchronous then).
bool activate(QWidget* window);
// Runs pending deferred deletes, so that closed WA_DeleteOnClose windows are gone.
void flushDeletes();
// The visible top-level windows with the given object name.
QList<QWidget*> visibleWindows(const QString& objectName = QString());

} // namespace tw::test
