#pragma once
#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QTextStream;

namespace tw {

// The program's command line. With no option the windows open; --help and --version answer
// on standard output; an option this program does not know is refused on standard error with
// exit code 2. A task is an option that does its work without a window and ends the program
// with its own exit code: adding one is a single addTask call.
class CommandLine {
public:
    // Runs a task. arguments: what follows the options (for example a folder); out and err
    // stand for standard output and standard error. Returns the exit code.
    using Task =
        std::function<int(const QStringList& arguments, QTextStream& out, QTextStream& err)>;

    CommandLine();

    // argumentsSyntax names what the task takes after the option in --help, for example
    // "[folder]"; empty when it takes nothing. argumentsHelp says what that is, under the name
    // in the syntax.
    void addTask(const QCommandLineOption& option, const QString& argumentsSyntax, Task task,
                 const QString& argumentsHelp = QString());

    // Parses the arguments (the program's name first, as main receives them) and answers what
    // ends the program here: the exit code, or nothing when the windows are to open.
    std::optional<int> run(const QStringList& arguments, QTextStream& out, QTextStream& err) const;

    // Exit code of a command line that cannot be understood.
    static constexpr int kUsageError = 2;

private:
    struct Entry {
        QCommandLineOption option;
        QString argumentsSyntax;
        Task task;
        QString argumentsHelp;
    };
    QList<Entry> tasks_;
};

// The command line of this program, with every task it has.
CommandLine programCommandLine(const QString& programFolder);

} // namespace tw
