#include "app/commandline.h"

#include "batch/report.h"
#include "ledger/ledgercheck.h"
#include "platform/appinfo.h"
#include "platform/dospath.h"

#include <QCommandLineParser>
#include <QDate>
#include <QTextStream>

#include <algorithm>

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

bool CommandLine::Given::isSet(const QString& name) const {
    return parser_.isSet(name);
}

QString CommandLine::Given::value(const QString& name) const {
    return parser_.value(name);
}

CommandLine::CommandLine(QString programFolder) : programFolder_(std::move(programFolder)) {}

void CommandLine::addTask(const QCommandLineOption& option, const QString& argumentsSyntax,
                          Task task, const QString& argumentsHelp) {
    addTask(
        option, argumentsSyntax, {},
        [task = std::move(task)](const QStringList& arguments, const Given&, QTextStream& out,
                                 QTextStream& err) { return task(arguments, out, err); },
        argumentsHelp);
}

void CommandLine::addTask(const QCommandLineOption& option, const QString& argumentsSyntax,
                          const QList<QCommandLineOption>& taskOptions, TaskWithOptions task,
                          const QString& argumentsHelp) {
    tasks_.append(Entry{option, argumentsSyntax, taskOptions, std::move(task), argumentsHelp});
}

std::optional<int> CommandLine::run(const QStringList& arguments, QTextStream& out,
                                    QTextStream& err) {
    QCommandLineParser parser;
    // -platform is one option, as Qt programs take it, not the letters p, l, a, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addWindowSystemOptions(parser);
    parser.setApplicationDescription(
        QStringLiteral("Posts invoices into the ledger files of the estimating system."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption settingsDir(
        QStringLiteral("settings-dir"),
        QStringLiteral("Keeps the settings files, the log and the dosdevices/ drive map in "
                       "<folder>, which must exist, instead of the program folder or "
                       "~/.config/tallywork."),
        QStringLiteral("folder"));
    parser.addOption(settingsDir);
    QStringList taskOptionNames; // each once, though several tasks may take it
    for (const Entry& e : tasks_) {
        parser.addOption(e.option);
        for (const QCommandLineOption& o : e.taskOptions) {
            if (taskOptionNames.contains(o.names().constLast()))
                continue;
            taskOptionNames << o.names().constLast();
            parser.addOption(o);
        }
    }
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
    where_ = settings::chooseSettingsFolder(settings::SettingsFolderInputs::fromEnvironment(
        programFolder_,
        parser.isSet(settingsDir) ? std::optional(parser.value(settingsDir)) : std::nullopt));
    if (!where_.refusal.isEmpty())
        return refuse(where_.refusal);
    if (parser.isSet(version)) {
        out << nameAndVersion() << '\n' << "Settings folder: " << where_.describe() << '\n';
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
    // A task's own option means nothing without the task.
    for (const QString& name : taskOptionNames) {
        if (!parser.isSet(name))
            continue;
        const auto owns = [&name](const Entry* e) {
            return e && std::any_of(e->taskOptions.cbegin(), e->taskOptions.cend(),
                                    [&name](const QCommandLineOption& o) {
                                        return o.names().constLast() == name;
                                    });
        };
        if (!owns(chosen)) {
            QStringList owners;
            for (const Entry& e : tasks_) {
                if (owns(&e))
                    owners << QStringLiteral("--") + e.option.names().constLast();
            }
            return refuse(QStringLiteral("--%1 goes with %2.")
                              .arg(name, owners.join(QStringLiteral(" or "))));
        }
    }
    const QStringList rest = parser.positionalArguments();
    if (!chosen) {
        if (!rest.isEmpty())
            return refuse(QStringLiteral("Unexpected argument '%1'.").arg(rest.first()));
        return std::nullopt; // the windows open
    }
    if (chosen->argumentsSyntax.isEmpty() && !rest.isEmpty())
        return refuse(QStringLiteral("Unexpected argument '%1'.").arg(rest.first()));
    return chosen->task(rest, Given(parser, where_), out, err);
}

CommandLine programCommandLine(const QString& programFolder) {
    CommandLine line(programFolder);
    // Tasks that end the program without a window are added here; they read the settings of
    // given.settingsFolder().
    line.addTask(
        QCommandLineOption(QStringLiteral("check-ledger"),
                           QStringLiteral("Checks the ledger folder (the one Ledger.dat names, "
                                          "or a DOS or native folder given) without writing: "
                                          "the file system it lies on, one line per problem, "
                                          "exit code 0 when sound, 1 when a problem is "
                                          "found.")),
        QStringLiteral("[folder]"), {},
        [](const QStringList& args, const CommandLine::Given& given, QTextStream& out,
           QTextStream& err) {
            if (args.size() > 1) {
                err << "--check-ledger takes one folder.\n";
                err.flush();
                return CommandLine::kUsageError;
            }
            return ledger::runLedgerCheck(args.isEmpty() ? std::nullopt
                                                         : std::optional<QString>(args.first()),
                                          DosPaths(given.settingsFolder()), out);
        },
        QStringLiteral("The ledger folder --check-ledger checks: a DOS path such as F:\\LEDGER "
                       "or a native folder. Without it, the folder Ledger.dat names."));
    line.addTask(
        QCommandLineOption(QStringLiteral("post-file"),
                           QStringLiteral("Posts the invoices of a spreadsheet file (CSV) as "
                                          "the preview would tick them: one line per row and a "
                                          "summary; exit code 0 when every row was posted or "
                                          "skipped as a duplicate, 1 when a row has an error "
                                          "or failed."),
                           QStringLiteral("file")),
        QString(),
        {QCommandLineOption(QStringLiteral("dry-run"),
                            QStringLiteral("With --post-file: writes nothing at all and tells "
                                           "what a real run would do.")),
         QCommandLineOption(QStringLiteral("date-order"),
                            QStringLiteral("With --post-file: the order of the file's dates, "
                                           "mdy (the default), dmy or ymd."),
                            QStringLiteral("order"), QStringLiteral("mdy")),
         QCommandLineOption(QStringLiteral("decimal-comma"),
                            QStringLiteral("With --post-file: amounts are written with a "
                                           "decimal comma (1.234,50).")),
         QCommandLineOption(QStringLiteral("add-tax"),
                            QStringLiteral("With --post-file: rows without a tax get the tax at "
                                           "the default rate."))},
        [](const QStringList&, const CommandLine::Given& given, QTextStream& out,
           QTextStream& err) {
            batch::PostFileRequest request;
            request.path = given.value(QStringLiteral("post-file"));
            const auto order = batch::dateOrderOf(given.value(QStringLiteral("date-order")));
            if (!order) {
                err << "--date-order takes mdy, dmy or ymd.\n";
                err.flush();
                return CommandLine::kUsageError;
            }
            request.options.dateOrder = *order;
            request.options.decimalComma = given.isSet(QStringLiteral("decimal-comma"));
            request.options.addTax = given.isSet(QStringLiteral("add-tax"));
            // The command line is the program's outermost layer: the clock is read here.
            request.options.today = QDate::currentDate();
            request.dryRun = given.isSet(QStringLiteral("dry-run"));
            return batch::runPostFile(request, DosPaths(given.settingsFolder()), out, err);
        });
    return line;
}

} // namespace tw
