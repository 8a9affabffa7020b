#include "app/commandline.h"
#include "guitestsupport.h"
#include "ledger/ledgerrecords.h"
#include "ledger/posting.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <unistd.h>

using tw::CommandLine;

namespace {

// A command line with one task that takes a folder and one that takes nothing; each reports
// what it received and returns an exit code of its own.
CommandLine withTasks() {
    CommandLine line;
    line.addTask(QCommandLineOption(QStringLiteral("check-ledger")), QStringLiteral("[folder]"),
                 [](const QStringList& args, QTextStream& out, QTextStream&) {
                     out << "checked " << args.join(QLatin1Char('|')) << '\n';
                     return args.isEmpty() ? 0 : 1;
                 });
    line.addTask(QCommandLineOption(QStringLiteral("sweep")), QString(),
                 [](const QStringList&, QTextStream&, QTextStream& err) {
                     err << "swept\n";
                     return 7;
                 });
    // A task with options of its own; its report names what it was given.
    line.addTask(
        QCommandLineOption(QStringLiteral("report"), QString(), QStringLiteral("kind")), QString(),
        {QCommandLineOption(QStringLiteral("by"), QString(), QStringLiteral("group")),
         QCommandLineOption(QStringLiteral("dry-run"))},
        [](const QStringList&, const CommandLine::Given& given, QTextStream& out, QTextStream&) {
            out << "report " << given.value(QStringLiteral("report")) << " by "
                << given.value(QStringLiteral("by"))
                << (given.isSet(QStringLiteral("dry-run")) ? " dry" : "") << '\n';
            return 0;
        });
    return line;
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void answers_data() {
        QTest::addColumn<QStringList>("args"); // after the program's name
        QTest::addColumn<int>("exitCode");     // -1: the windows open
        QTest::addColumn<QString>("out");      // contained in standard output
        QTest::addColumn<QString>("err");      // contained in standard error

        QTest::newRow("no option") << QStringList() << -1 << ""
                                   << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "Tallywork 1.0.0\n"
                                 << "";
        QTest::newRow("version short") << QStringList{"-v"} << 0 << "Tallywork 1.0.0"
                                       << "";
        QTest::newRow("help") << QStringList{"--help"} << 0 << "--check-ledger [folder]"
                              << "";
        QTest::newRow("help lists a task") << QStringList{"-h"} << 0 << "--sweep"
                                           << "";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << 2 << ""
                                        << "Unknown option 'bogus'";
        QTest::newRow("unknown after a known one") << QStringList{"--version", "--bogus"} << 2 << ""
                                                   << "bogus";
        QTest::newRow("stray argument") << QStringList{"F:\\LEDGER"} << 2 << ""
                                        << "Unexpected argument 'F:\\LEDGER'";
        QTest::newRow("window system option") << QStringList{"-platform", "offscreen"} << -1 << ""
                                              << "";
        QTest::newRow("task without folder") << QStringList{"--check-ledger"} << 0 << "checked \n"
                                             << "";
        QTest::newRow("task with folder")
            << QStringList{"--check-ledger", "F:\\LEDGER"} << 1 << "checked F:\\LEDGER\n"
            << "";
        QTest::newRow("task code passed on") << QStringList{"--sweep"} << 7 << ""
                                             << "swept";
        QTest::newRow("task taking nothing given something")
            << QStringList{"--sweep", "x"} << 2 << ""
            << "Unexpected argument 'x'";
        QTest::newRow("two tasks") << QStringList{"--sweep", "--check-ledger"} << 2 << ""
                                   << "cannot be given together";
        QTest::newRow("task options") << QStringList{"--report", "activity", "--by", "month"} << 0
                                      << "report activity by month\n"
                                      << "";
        QTest::newRow("task option without its task")
            << QStringList{"--sweep", "--dry-run"} << 2 << ""
            << "--dry-run goes with --report.";
        QTest::newRow("version names the settings folder")
            << QStringList{"--settings-dir", "/", "--version"} << 0
            << "Tallywork 1.0.0\nSettings folder: / (given by --settings-dir)\n"
            << "";
        QTest::newRow("settings folder missing")
            << QStringList{"--settings-dir", "/no/such/folder", "--check-ledger"} << 2 << ""
            << "The settings folder /no/such/folder does not exist.";
    }

    void answers() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QString outText;
        QString errText;
        QTextStream outStream(&outText);
        QTextStream errStream(&errText);
        const auto code =
            withTasks().run(QStringList{QStringLiteral("tallywork")} + args, outStream, errStream);
        QCOMPARE(code.value_or(-1), exitCode);
        QVERIFY2(outText.contains(out), qPrintable(outText));
        // No heading stands empty in --help.
        QVERIFY2(!outText.contains(QRegularExpression("Arguments:\\n *(\\n|$)")),
                 qPrintable(outText));
        QVERIFY2(errText.contains(err), qPrintable(errText));
        // A refused command line says nothing on standard output; a window run says nothing.
        if (exitCode == 2 || exitCode == -1)
            QVERIFY2(outText.isEmpty(), qPrintable(outText));
        if (exitCode != 2 && args != QStringList{"--sweep"})
            QVERIFY2(errText.isEmpty(), qPrintable(errText));
    }

    // The program's own ledger check: the folder given, or Ledger.dat's; a torn ledger file is
    // a problem named on standard output.
    void checkLedgerTask_data() {
        QTest::addColumn<QStringList>("args");     // "<folder>": the ledger folder
        QTest::addColumn<QByteArray>("ledgerEnd"); // appended to a sound ledger file
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("sound, folder given")
            << QStringList{"--check-ledger", "<folder>"} << QByteArray() << 0 << ": sound."
            << "";
        QTest::newRow("torn, folder from Ledger.dat")
            << QStringList{"--check-ledger"} << QByteArray("x") << 1
            << "F:\\LEDGER\\led00001.dat offset 128: the last record is torn"
            << "";
        QTest::newRow("two folders")
            << QStringList{"--check-ledger", "a", "b"} << QByteArray() << 2 << ""
            << "takes one folder";
        QTest::newRow("settings folder given, its file system named")
            << QStringList{"--settings-dir", "<prog>", "--check-ledger"} << QByteArray() << 0
            << "F:\\LEDGER: file system "
            << "";
    }

    void checkLedgerTask() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, ledgerEnd);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir tmp;
        const QString prog = tmp.filePath("prog"), folder = tmp.filePath("f/LEDGER");
        QVERIFY(QDir().mkpath(prog + "/dosdevices") && QDir().mkpath(folder));
        QVERIFY(QFile::link(tmp.filePath("f"), prog + "/dosdevices/f:"));
        const auto write = [](const QString& path, const QByteArray& bytes) {
            QFile f(path);
            return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
        };
        QByteArray entry(126, ' ');
        entry.replace(8, 12, "060105010506").replace(116, 3, "100");
        QVERIFY(write(prog + "/Ledger.dat", "F:\\LEDGER\r\n"));
        QVERIFY(write(folder + "/ledger.ndx", "00001" + QByteArray(40, 'A') + "\r\n"));
        QVERIFY(write(folder + "/led00001.dat", entry + "\r\n" + ledgerEnd));
        args.replaceInStrings("<folder>", folder).replaceInStrings("<prog>", prog);
        // With --settings-dir the program folder holds no settings.
        const QString programFolder = args.contains(prog) ? tmp.filePath("bin") : prog;
        QVERIFY(QDir().mkpath(programFolder));

        QString outText, errText;
        QTextStream outStream(&outText), errStream(&errText);
        const auto code =
            tw::programCommandLine(programFolder)
                .run(QStringList{QStringLiteral("tallywork")} + args, outStream, errStream);
        QCOMPARE(code.value_or(-1), exitCode);
        QVERIFY2(outText.contains(out), qPrintable(outText));
        // No heading stands empty in --help.
        QVERIFY2(!outText.contains(QRegularExpression("Arguments:\\n *(\\n|$)")),
                 qPrintable(outText));
        QVERIFY2(errText.contains(err), qPrintable(errText));
    }

    // Finding and reporting across the ledgers of Ledger.dat's folder: ACME PRINTING has an
    // invoice, its reversal and an invoice whose description a spreadsheet would run.
    void findAndReportTasks_data() {
        QTest::addColumn<QStringList>("args"); // "<tmp>": the temporary folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // contained in standard output, or in the file
        QTest::addColumn<QString>("err");
        const QString header = "Ledger,Customer,Invoice No.,Job No.,P.O. No.,Invoice Date,"
                               "Amount,Description\r\n";
        QTest::newRow("found")
            << QStringList{"--find", "4711", "--field", "invoice", "--exact"} << 0
            << header + "00001,ACME PRINTING,4711,00004711,PO-778,2006-01-05,100.00,\"500, "
                        "Business cards\"\r\n"
            << "";
        QTest::newRow("formula guarded")
            << QStringList{"--find", "=cmd"} << 0 << "2006-03-01,50.00,'=cmd|x\r\n"
            << "";
        QTest::newRow("nothing") << QStringList{"--find", "9999"} << 1 << header << "";
        QTest::newRow("unknown field") << QStringList{"--find", "1", "--field", "zip"} << 2 << ""
                                       << "--field takes invoice, job, po, description or any.";
        QTest::newRow("no ledger folder") << QStringList{"--find", "1", "<no setting>"} << 3 << ""
                                          << "The ledger folder is not set";
        QTest::newRow("report, reversal netted")
            << QStringList{"--report", "activity", "--from", "1/1/06", "--to", "12/31/06"} << 0
            << "ACME PRINTING,00001,3,50.00,2006-01-05,2006-03-01\r\n"
               "ZENITH PRESS,00002,1,20.00,2006-03-03,2006-03-03\r\n"
               "Total,,4,70.00,2006-01-05,2006-03-03\r\n"
            << "";
        QTest::newRow("report to a file, behind a byte-order mark")
            << QStringList{"--report", "activity", "--from", "1/1/06",
                           "--by",     "month",    "--csv",  "<tmp>/r.csv"}
            << 0 << "\xef\xbb\xbfMonth,Entries,Total,First Invoice,Last Invoice\r\n2006-01,1,"
            << "";
        QTest::newRow("report range backwards")
            << QStringList{"--report", "activity", "--from", "2/1/06", "--to", "1/1/06"} << 2 << ""
            << "The date range ends (1/1/2006) before it starts (2/1/2006).";
    }
    void findAndReportTasks() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        tw::test::LedgerSandbox box;
        if (!args.removeOne("<no setting>"))
            tw::test::writeAll(box.prog + "/Ledger.dat", "F:\\LEDGER\r\n");
        tw::test::writeAll(box.indexFile(), tw::test::indexOf({"ACME PRINTING", "ZENITH PRESS"}));
        tw::test::writeAll(
            box.ledgerFile(1),
            tw::test::entryBytes("4711", QDate(2006, 1, 5), 10000) +
                tw::test::entryBytes("4711", QDate(2006, 2, 1), -10000, "REVERSAL 500") +
                tw::test::entryBytes("5000", QDate(2006, 3, 1), 5000, "=cmd|x"));
        tw::test::writeAll(box.ledgerFile(2),
                           tw::test::entryBytes("6000", QDate(2006, 3, 3), 2000));
        args.replaceInStrings("<tmp>", box.tmp.path());

        QString outText, errText;
        QTextStream outStream(&outText), errStream(&errText);
        const auto code = tw::programCommandLine(box.prog).run(
            QStringList{QStringLiteral("tallywork")} + args, outStream, errStream);
        QCOMPARE(code.value_or(-1), exitCode);
        if (args.contains("--csv"))
            outText = QString::fromUtf8(tw::test::readAll(box.tmp.filePath("r.csv")));
        QVERIFY2(outText.contains(out), qPrintable(outText));
        QVERIFY2(errText.contains(err), qPrintable(errText));
    }

    // The built program, copied into a program folder of its own, draws the report's PDF where
    // there is no display.
    void reportPdfWithoutDisplay() {
        tw::test::LedgerSandbox box;
        tw::test::writeAll(box.prog + "/Ledger.dat", "F:\\LEDGER\r\n");
        tw::test::writeAll(box.indexFile(), tw::test::indexOf({"ACME PRINTING"}));
        tw::test::writeAll(box.ledgerFile(1), tw::test::entryBytes("4711", QDate(2006, 1, 5), 100));
        const QString program = box.prog + "/tallywork";
        QVERIFY(QFile::copy(QStringLiteral(TW_PROGRAM_PATH), program));
        const QString pdf = box.tmp.filePath("report.pdf");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        p.setProcessEnvironment(env);
        p.start(program,
                {"--report", "activity", "--from", "1/1/2006", "--to", "12/31/2006", "--pdf", pdf});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(tw::test::pdfPages(pdf), 1);
        const QString text = QString::fromUtf8(tw::test::runTool("pdftotext", {pdf, "-"}));
        QVERIFY2(text.contains("ACME PRINTING") && text.contains("Page 1 of 1"), qPrintable(text));
    }

    // The built program answers without a display and never opens a window for these.
    void programAnswersWithoutDisplay_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << "Tallywork 1.0.0\nSettings folder: " +
                                        QFile::encodeName(
                                            QFileInfo(TW_PROGRAM_PATH).canonicalPath()) +
                                        " (the program folder)\n";
        QTest::newRow("bogus") << QStringList{"--bogus"} << 2 << QByteArray();
    }

    void programAnswersWithoutDisplay() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // a window would need the xcb display
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TW_PROGRAM_PATH), args);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), exitCode);
        QCOMPARE(p.readAllStandardOutput(), out);
    }

    // Posting from a file through the built program, on a file written for this test only: a
    // dry run changes no byte, the real run writes what Post writes for the same values, a
    // second run finds every row a duplicate; errors name their rows.
    void postFileThroughTheProgram() {
        QTemporaryDir tmp;
        const QString prog = tmp.filePath("prog"), ledger = tmp.filePath("f/LEDGER");
        QVERIFY(QDir().mkpath(prog + "/dosdevices") && QDir().mkpath(ledger));
        QVERIFY(QFile::link(tmp.filePath("f"), prog + "/dosdevices/f:"));
        // The program's folder is where it lies: a link of the built one keeps the build's.
        const QString program = prog + "/tallywork";
        QVERIFY(::link(TW_PROGRAM_PATH, QFile::encodeName(program).constData()) == 0 ||
                QFile::copy(TW_PROGRAM_PATH, program));
        tw::test::writeAll(prog + "/Ledger.dat", "F:\\LEDGER\r\n");
        tw::test::writeAll(ledger + "/ledger.ndx",
                           tw::ledger::LedgerIndexRecord{1, "Harbor Press"}.encode());
        // Its ledger file exists, empty: a ledger listed without its file is held back.
        tw::test::writeAll(ledger + "/led00001.dat", QByteArray());
        const QString csv = tmp.filePath("January.csv");
        tw::test::writeAll(csv, "\xEF\xBB\xBF"
                                "Client;Invoice No;Date;Net;Description\r\n"
                                "Harbor Press;H-100;31/01/2024;1.250,00;\"Flyers; 2 colours\"\r\n"
                                "Brand-New Bakery;B-7;01/02/2024;80,5;Men\xC3\xBCs\r\n");
        const auto folder = [&] {
            QMap<QString, QByteArray> files;
            for (const QString& name : QDir(ledger).entryList(QDir::Files))
                files.insert(name, tw::test::readAll(ledger + '/' + name));
            return files;
        };
        const QStringList european{"--date-order", "dmy", "--decimal-comma"};
        struct Step {
            QStringList args;
            int exitCode;
            QString out; // the whole output, or a part of it with partOnly
            bool partOnly;
            bool writes;
        };
        const Step steps[] = {
            {QStringList{"--dry-run"} + european, 0,
             "row 2\tready\t00001\tH-100\nrow 3\tnew ledger\t00002\tB-7\n"
             "new ledger (would be) 00002 for \"Brand-New Bakery\"\n"
             "2 posted, 0 skipped, 0 failed (dry run: nothing was written)\n",
             false, false},
            {european, 0,
             "row 2\tposted\t00001\tH-100\nrow 3\tposted\t00002\tB-7\n"
             "new ledger 00002 for \"Brand-New Bakery\"\n2 posted, 0 skipped, 0 failed\n",
             false, true},
            {european, 0,
             "row 2\tduplicate\t00001\tH-100\tInvoice H-100 is already in ledger 00001, dated "
             "1/31/2024, for $1,250.00. Post it again?\n",
             true, false},
            {{"--dry-run"},
             1,
             "row 2\terror\t-\tH-100\tRow 2, column \"Date\", value \"31/01/2024\": The Invoice "
             "Date \"31/01/2024\" is not a date in the order month/day/year.",
             true,
             false},
            {{"--date-order", "dym"}, 2, "", false, false},
        };
        for (const Step& step : steps) {
            const auto before = folder();
            QProcess p;
            p.start(program, QStringList{"--post-file", csv} + step.args);
            QVERIFY(p.waitForFinished(30000));
            const QString out = QString::fromUtf8(p.readAllStandardOutput());
            QCOMPARE(p.exitCode(), step.exitCode);
            if (step.partOnly)
                QVERIFY2(out.contains(step.out), qPrintable(out));
            else
                QCOMPARE(out, step.out);
            QCOMPARE(folder() != before, step.writes);
        }
        tw::ledger::EntryTexts typed;
        typed.customer = "Harbor Press";
        typed.invoice = "H-100";
        typed.invoiceDate = "1/31/2024";
        typed.description = "Flyers; 2 colours";
        typed.preTax = "$1,250.00  ";
        QCOMPARE(tw::test::readAll(ledger + "/led00001.dat"),
                 tw::ledger::prepare(typed).posting->record);
    }
};
TW_REGISTER_TEST(CommandLineTest)

#include "commandlinetest.moc"
