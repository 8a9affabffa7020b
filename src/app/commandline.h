#pragma once
#include "settings/settingsfolder.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QCommandLineParser;
class QTextStream;

namespace tw {

// The program's command line. With no option the windows open; --help and --version answer
// on standard output; an option this program does not know is refused on standard error with
// exit code 2. A task is an option that does its work without a window and ends the program
// with its own exit code: adding one is a single addTask call. --settings-dir, or else the
// rule of chooseSettingsFolder, decides where the settings are read, for a task and the
// windows alike.
class CommandLine {
public:
    // Runs a task. arguments: what follows the options (for example a folder); out and err
    // stand for standard output and standard error. Returns the exit code.
    using Task =
        std::function<int(const QStringList& arguments, QTextStream& out, QTextStream& err)>;

    // The options given on the command line, for a task that has options of its own (and for
    // the value of a task option that takes one, such as --report activity).
    class Given {
    public:
        Given(const QCommandLineParser& parser, const settings::SettingsLocation& where)
            : parser_(parser), where_(where) {}
        bool isSet(const QString& name) const;
        QString value(const QString& name) const;
        // The folder of the settings files, the log and the dosdevices/ drive map.
        const QString& settingsFolder() const { return where_.folder; }

    private:
        const QCommandLineParser& parser_;
        const settings::SettingsLocation& where_;
    };
    using TaskWithOptions = std::function<int(const QStringList& arguments, const Given& given,
                                              QTextStream& out, QTextStream& err)>;

    // programFolder: the executable's folder, where the settings live unless the rule of
    // chooseSettingsFolder or --settings-dir says otherwise.
    explicit CommandLine(QString programFolder = QString());

    // argumentsSyntax names what the task takes after the option in --help, for example
    // "[folder]"; empty when it takes nothing. argumentsHelp says what that is, under the name
    // in the syntax.
    void addTask(const QCommandLineOption& option, const QString& argumentsSyntax, Task task,
                 const QString& argumentsHelp = QString());
    // A task with options of its own (--dry-run of --post-file): they are listed in --help and
    // refused when given without the task. Tasks may share an option of the same name.
    void addTask(const QCommandLineOption& option, const QString& argumentsSyntax,
                 const QList<QCommandLineOption>& taskOptions, TaskWithOptions task,
                 const QString& argumentsHelp = QString(),
                 std::function<bool(const Given&)> needsGraphics = {});

    // Parses the arguments (the program's name first, as main receives them) and answers what
    // ends the program here: the exit code, or nothing when the windows are to open.
    std::optional<int> run(const QStringList& arguments, QTextStream& out, QTextStream& err);
    // Whether the task these arguments ask for must run under a graphics application
    // (needsGraphics of addTask: a PDF needs fonts).
    bool needsGraphics(const QStringList& arguments) const;
    // Where the settings are kept, as the last run chose it.
    const settings::SettingsLocation& settingsLocation() const { return where_; }

    // Exit code of a command line that cannot be understood.
    static constexpr int kUsageError = 2;

private:
    struct Entry {
        QCommandLineOption option;
        QString argumentsSyntax;
        QList<QCommandLineOption> taskOptions;
        TaskWithOptions task;
        QString argumentsHelp;
        std::function<bool(const Given&)> needsGraphics;
    };
    // Adds every option to the parser; returns the names of the tasks' own options, each once.
    QStringList addOptions(QCommandLineParser& parser) const;

    QString programFolder_;
    settings::SettingsLocation where_;
    QList<Entry> tasks_;
};

// The command line of this program, with every task it has.
CommandLine programCommandLine(const QString& programFolder);

// Answers the program's command line before any window opens: the exit code, or nothing when
// the windows are to open, with `where` the settings folder they use. Tasks run without a
// display: under a console application, or, for one that draws, a graphics application on the
// offscreen platform.
std::optional<int> answerCommandLine(int& argc, char** argv, settings::SettingsLocation& where);

} // namespace tw
