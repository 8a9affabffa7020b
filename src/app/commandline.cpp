#include "app/commandline.h"

#include "ledger/ledgercheck.h"
#include "platform/appinfo.h"
#include "platform/dospath.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace tw {

namespace {

// The program's name and version as the command line reports them: "Tallywork 1.0.0".
QString nameAndVersion() {
    QString numbers = versionText();
    numbers.remove(QStringLiteral("Version "));
    return appTitle() + QLatin1Char(' ') + numbers;
}

// The window system's own options (-platform offscreen, -style fusion, ...), taken by the
// application object later: accepted here, not listed in --help.
void addWindowSystemOptions(QCommandLineParser& parser) {
    static const char* const withValue[] = {
        "platform",        "platformpluginpath", "platformtheme", "plugin",
        "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "display",
        "style",           "stylesheet",         "session"};
    static const char* const plain[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};
    const auto hidden = [&](const QString& name, const QString& valueName) {
        QCommandLineOption o(name, QString(), valueName);
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    };
    for (const char* name : withValue)
        hidden(QLatin1String(name), QStringLiteral("value"));
    for (const char* name : plain)
        hidden(QLatin1String(name), QString());
}

} // namespace

CommandLine::CommandLine() = default;

void CommandLine::addTask(const QCommandLineOption& option, const QString& argumentsSyntax,
                          Task task, const QString& argumentsHelp) {
    tasks_.append(Entry{option, argumentsSyntax, std::move(task), argumentsHelp});
}

std::optional<int> CommandLine::run(const QStringList& arguments, QTextStream& out,
                                    QTextStream& err) const {
    QCommandLineParser parser;
    // -platform is one option, as Qt programs take it, not the letters p, l, a, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addWindowSystemOptions(parser);
    parser.setApplicationDescription(
        QStringLiteral("Posts invoices into the ledger files of the estimating system."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    for (const Entry& e : tasks_)
        parser.addOption(e.option);
    // Only tasks take arguments; --help lists what each one takes, under its name ("folder"
    // of "[folder]"), so that the list of arguments never stands empty.
    for (const Entry& e : tasks_) {
        if (e.argumentsSyntax.isEmpty())
            continue;
        QString name = e.argumentsSyntax;
        name.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        parser.addPositionalArgument(name, e.argumentsHelp,
                                     QStringLiteral("--") + e.option.names().constLast() +
                                         QLatin1Char(' ') + e.argumentsSyntax);
    }

    const QString program = arguments.isEmpty() ? appTitle().toLower() : arguments.first();
    const auto refuse = [&](const QString& reason) {
        err << program << ": " << reason << '\n'
            << "Try '" << program << " --help' for the options.\n";
        err.flush();
        return kUsageError;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());

    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        out << parser.helpText();
        out.flush();
        return 0;
    }
    if (parser.isSet(version)) {
        out << nameAndVersion() << '\n';
        out.flush();
        return 0;
    }
    const Entry* chosen = nullptr;
    for (const Entry& e : tasks_) {
        if (!parser.isSet(e.option))
            continue;
        if (chosen)
            return refuse(
                QStringLiteral("--%1 and --%2 cannot be given together.")
                    .arg(chosen->option.names().constLast(), e.option.names().constLast()));
        chosen = &e;
    }
    const QStringList rest = parser.positionalArguments();
    if (!chosen) {
        if (!rest.isEmpty())
            return refuse(QStringLiteral("Unexpected argument '%1'.").arg(rest.first()));
        return std::nullopt; // the windows open
    }
    if (chosen->argumentsSyntax.isEmpty() && !rest.isEmpty())
        return refuse(QStringLiteral("Unexpected argument '%1'.").arg(rest.first()));
    return chosen->task(rest, out, err);
}

CommandLine programCommandLine(const QString& programFolder) {
    CommandLine line;
    // Tasks that end the program without a window are added here.
    line.addTask(
        QCommandLineOption(QStringLiteral("check-ledger"),
                           QStringLiteral("Checks the ledger folder (the one Ledger.dat names, "
                                          "or a DOS or native folder given) without writing: "
                                          "one line per problem, exit code 0 when sound, 1 "
                                          "when a problem is found.")),
        QStringLiteral("[folder]"),
        [programFolder](const QStringList& args, QTextStream& out, QTextStream& err) {
            if (args.size() > 1) {
                err << "--check-ledger takes one folder.\n";
                err.flush();
                return CommandLine::kUsageError;
            }
            return ledger::runLedgerCheck(args.isEmpty() ? std::nullopt
                                                         : std::optional<QString>(args.first()),
                                          DosPaths(programFolder), out);
        },
        QStringLiteral("The ledger folder --check-ledger checks: a DOS path such as F:\\LEDGER "
                       "or a native folder. Without it, the folder Ledger.dat names."));
    return line;
}

} // namespace tw
