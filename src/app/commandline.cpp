#include "app/commandline.h"

#include "batch/report.h"
#include "find/ledgersearch.h"
#include "ledger/ledgercheck.h"
#include "platform/appinfo.h"
#include "platform/dospath.h"
#include "report/activity.h"
#include "widgets/tableprint.h"

#include <QCommandLineParser>
#include <QDate>
#include <QDateTime>
#include <QGuiApplication>
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
                          const QString& argumentsHelp,
                          std::function<bool(const Given&)> needsGraphics) {
    tasks_.append(Entry{option, argumentsSyntax, taskOptions, std::move(task), argumentsHelp,
                        std::move(needsGraphics)});
}

namespace {
const QString kSettingsDir = QStringLiteral("settings-dir");
} // namespace

QStringList CommandLine::addOptions(QCommandLineParser& parser) const {
    // -platform is one option, as Qt programs take it, not the letters p, l, a, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addWindowSystemOptions(parser);
    parser.setApplicationDescription(
        QStringLiteral("Posts invoices into the ledger files of the estimating system."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        kSettingsDir,
        QStringLiteral("Keeps the settings files, the log and the dosdevices/ drive map in "
                       "<folder>, which must exist, instead of the program folder or "
                       "~/.config/tallywork."),
        QStringLiteral("folder")));
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
    return taskOptionNames;
}

bool CommandLine::needsGraphics(const QStringList& arguments) const {
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments))
        return false;
    const settings::SettingsLocation none;
    return std::any_of(tasks_.cbegin(), tasks_.cend(), [&](const Entry& e) {
        return parser.isSet(e.option) && e.needsGraphics && e.needsGraphics(Given(parser, none));
    });
}

std::optional<int> CommandLine::run(const QStringList& arguments, QTextStream& out,
                                    QTextStream& err) {
    QCommandLineParser parser;
    const QStringList taskOptionNames = addOptions(parser);

    const QString program = arguments.isEmpty() ? appTitle().toLower() : arguments.first();
    const auto refuse = [&](const QString& reason) {
        err << program << ": " << reason << '\n'
            << "Try '" << program << " --help' for the options.\n";
        err.flush();
        return kUsageError;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());

    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        out << parser.helpText();
        out.flush();
        return 0;
    }
    where_ = settings::chooseSettingsFolder(settings::SettingsFolderInputs::fromEnvironment(
        programFolder_,
        parser.isSet(kSettingsDir) ? std::optional(parser.value(kSettingsDir)) : std::nullopt));
    if (!where_.refusal.isEmpty())
        return refuse(where_.refusal);
    if (parser.isSet(QStringLiteral("version"))) {
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
    line.addTask(
        QCommandLineOption(QStringLiteral("find"),
                           QStringLiteral("Finds the text in every ledger the index lists and "
                                          "prints the entries as CSV: exit code 0 when some are "
                                          "found, 1 when none, 2 for a search that cannot be "
                                          "made, 3 when the ledger folder is not set."),
                           QStringLiteral("text")),
        QString(),
        {QCommandLineOption(QStringLiteral("field"),
                            QStringLiteral("With --find: the field to look in: invoice, job, po, "
                                           "description or any (the default)."),
                            QStringLiteral("field")),
         QCommandLineOption(QStringLiteral("exact"),
                            QStringLiteral("With --find: the whole field, not a part of it."))},
        [](const QStringList&, const CommandLine::Given& given, QTextStream& out,
           QTextStream& err) {
            return find::runFind(
                DosPaths(given.settingsFolder()), given.value(QStringLiteral("find")),
                given.value(QStringLiteral("field")), given.isSet(QStringLiteral("exact")),
                QDate::currentDate(), out, err);
        });
    line.addTask(
        QCommandLineOption(
            QStringLiteral("report"),
            QStringLiteral("Reports the invoicing activity of every ledger as CSV on standard "
                           "output, or into the files given: --report activity."),
            QStringLiteral("name")),
        QString(),
        {QCommandLineOption(
             QStringLiteral("from"),
             QStringLiteral("With --report: the first invoice date (this year's first day "
                            "when not given)."),
             QStringLiteral("date")),
         QCommandLineOption(
             QStringLiteral("to"),
             QStringLiteral("With --report: the last invoice date (this year's last day "
                            "when not given)."),
             QStringLiteral("date")),
         QCommandLineOption(
             QStringLiteral("by"),
             QStringLiteral("With --report: customer (the default), product or month."),
             QStringLiteral("group")),
         QCommandLineOption(QStringLiteral("csv"),
                            QStringLiteral("With --report: the CSV file to write."),
                            QStringLiteral("file")),
         QCommandLineOption(QStringLiteral("pdf"),
                            QStringLiteral("With --report: the PDF file to write."),
                            QStringLiteral("file"))},
        [](const QStringList&, const CommandLine::Given& given, QTextStream& out,
           QTextStream& err) {
            report::ReportTexts texts;
            texts.kind = given.value(QStringLiteral("report"));
            texts.from = given.value(QStringLiteral("from"));
            texts.to = given.value(QStringLiteral("to"));
            texts.by = given.value(QStringLiteral("by"));
            texts.csvFile = given.value(QStringLiteral("csv"));
            texts.pdfFile = given.value(QStringLiteral("pdf"));
            return report::runActivityReport(
                DosPaths(given.settingsFolder()), texts, QDateTime::currentDateTime(),
                [](const exports::PrintDocument& d, const QString& path) {
                    return saveDocumentAsPdf(d, path);
                },
                out, err);
        },
        QString(),
        [](const CommandLine::Given& given) { return given.isSet(QStringLiteral("pdf")); });
    return line;
}

std::optional<int> answerCommandLine(int& argc, char** argv, settings::SettingsLocation& where) {
    {
        // Answered before any window system is touched, so that --version and the tasks run
        // where there is no display.
        const QCoreApplication console(argc, argv);
        CommandLine line = programCommandLine(QCoreApplication::applicationDirPath());
        const QStringList arguments = QCoreApplication::arguments();
        if (!line.needsGraphics(arguments)) {
            QTextStream out(stdout);
            QTextStream err(stderr);
            const auto exitCode = line.run(arguments, out, err);
            where = line.settingsLocation();
            return exitCode;
        }
    }
    // Drawing takes fonts, which only a graphics application has; the offscreen platform gives
    // one without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QGuiApplication graphics(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    CommandLine line = programCommandLine(QCoreApplication::applicationDirPath());
    const auto exitCode = line.run(QCoreApplication::arguments(), out, err);
    where = line.settingsLocation();
    return exitCode;
}

} // namespace tw
