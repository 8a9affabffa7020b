// The read-only check of a ledger folder: every kind of damage found, named by file and
// offset, and nothing written.
#include "ledger/ledgercheck.h"
#include "ledger/ledgerrecords.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QTextStream>
#include <QtTest>

using namespace tw::ledger;
using tw::test::LedgerSandbox;

namespace {

using Files = QMap<QString, QByteArray>;

QByteArray index(int number, const QString& name) {
    return LedgerIndexRecord{number, name}.encode();
}

QByteArray entry(const QString& invoice) {
    return tw::test::sampleEntry(invoice).encode().value();
}

// An entry with the bytes at the offset replaced.
QByteArray patched(int at, const QByteArray& bytes) {
    QByteArray r = entry("77");
    r.replace(at, bytes.size(), bytes);
    return r;
}

const QByteArray kTwoCustomers = index(1, "ACME PRINTING") + index(2, "ZENITH GRAPHICS");
const QString kIndex = QStringLiteral("F:\\LEDGER\\ledger.ndx offset ");
const QString kLed1 = QStringLiteral("F:\\LEDGER\\led00001.dat offset ");
const QString kLed2 = QStringLiteral("F:\\LEDGER\\led00002.dat offset ");

void writeFiles(const LedgerSandbox& box, const Files& files) {
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        tw::test::writeAll(box.file(it.key()), it.value());
}

Files readFiles(const LedgerSandbox& box) {
    Files now;
    for (const QString& name : QDir(box.folder).entryList(QDir::Files))
        now[name] = tw::test::readAll(box.file(name));
    return now;
}

} // namespace

class LedgerCheckTest : public QObject {
    Q_OBJECT
private slots:
    void findsEveryProblem_data() {
        QTest::addColumn<Files>("files");
        QTest::addColumn<QStringList>("problems");

        const Files sound = {{"ledger.ndx", kTwoCustomers},
                             {"led00001.dat", entry("1001") + entry("1002")},
                             {"led00002.dat", entry("2001")}};
        QTest::newRow("sound folder") << sound << QStringList();
        QTest::newRow("empty folder") << Files() << QStringList();
        QTest::newRow("blank dates are no fault")
            << Files{{"ledger.ndx", index(1, "A")}, {"led00001.dat", patched(8, "            ")}}
            << QStringList();

        Files f = sound;
        f["ledger.ndx"] = kTwoCustomers + index(3, "NEW").left(20);
        QTest::newRow("index torn")
            << f << QStringList{kIndex + "94: the last record is torn (20 of 47 bytes)."};
        f["ledger.ndx"] = kTwoCustomers + index(3, "NEW").left(45);
        QTest::newRow("index record lacks its line end")
            << f
            << QStringList{kIndex + "94: the last record lacks its line end (45 of 47 bytes)."};
        f["ledger.ndx"] = index(1, "ACME PRINTING") + index(3, "ZENITH GRAPHICS");
        QTest::newRow("number out of place")
            << f << QStringList{kIndex + "47: record 00002 holds the number \"00003\"."};
        f["ledger.ndx"] = index(1, "ACME PRINTING") + index(2, "ACME PRINTING");
        QTest::newRow("name listed twice")
            << f
            << QStringList{kIndex +
                           "47: record 00002 lists the name \"ACME PRINTING\" again (first as "
                           "00001)."};
        QByteArray noLineEnd = kTwoCustomers;
        noLineEnd[45] = ' ';
        f["ledger.ndx"] = noLineEnd;
        QTest::newRow("index record out of step")
            << f << QStringList{kIndex + "0: record 00001 does not end in CR LF."};

        f = sound;
        f["led00003.dat"] = entry("3001");
        QTest::newRow("ledger file without index record")
            << f
            << QStringList{"F:\\LEDGER\\led00003.dat offset 0: ledger 00003 has no index record."};
        f = sound;
        f.remove("led00002.dat");
        QTest::newRow("index record without file: a note")
            << f
            << QStringList{kIndex + "47: note: ledger 00002 has no entries: no file "
                                    "led00002.dat."};

        f = sound;
        f["led00001.dat"] = entry("1001") + entry("1002").left(50);
        QTest::newRow("ledger torn")
            << f << QStringList{kLed1 + "128: the last record is torn (50 of 128 bytes)."};
        f["led00001.dat"] = entry("1001") + entry("1002").left(126);
        QTest::newRow("ledger record lacks CR LF")
            << f
            << QStringList{kLed1 + "128: the last record lacks its line end (126 of 128 bytes)."};
        f["led00001.dat"] = entry("1001") + entry("1002").left(127);
        QTest::newRow("ledger record lacks LF")
            << f
            << QStringList{kLed1 + "128: the last record lacks its line end (127 of 128 bytes)."};

        f = sound;
        f["led00002.dat"] = entry("2001") + patched(8, "991305") + patched(14, "ab0599") +
                            patched(116, "12.345    ") + patched(126, "  ") +
                            patched(116, QByteArray("\x1b[2J\x81\0\x7f   ", 10));
        QTest::newRow("fields that do not read")
            << f
            << QStringList{kLed2 + "136: record 2: the invoice date \"991305\" does not read.",
                           kLed2 + "270: record 3: the due date \"ab0599\" does not read.",
                           kLed2 + "500: record 4: the amount \"12.345    \" does not read.",
                           kLed2 + "638: record 5: does not end in CR LF.",
                           kLed2 + "756: record 6: the amount \"\\x1B[2J\\x81\\x00\\x7F   \" "
                                   "does not read."};

        f = sound;
        f["LED00001.DAT"] = entry("9");
        QTest::newRow("two spellings of one ledger")
            << f
            << QStringList{"F:\\LEDGER\\LED00001.DAT offset 0: one of 2 files for ledger 00001.",
                           kLed1 + "0: one of 2 files for ledger 00001."};
    }

    void findsEveryProblem() {
        QFETCH(Files, files);
        QFETCH(QStringList, problems);
        LedgerSandbox box;
        writeFiles(box, files);

        const LedgerCheckReport report = checkLedgerFolder(box.folder, "F:\\LEDGER");
        QStringList lines;
        for (const LedgerProblem& p : report.problems)
            lines << p.line();
        QCOMPARE(lines, problems);
        QCOMPARE(report.sound(), problems.filter(": note: ").size() == problems.size());
        // A check never writes, repairs or creates anything.
        QCOMPARE(readFiles(box), files);
    }

    void countsWhatItRead() {
        LedgerSandbox box;
        writeFiles(box, {{"ledger.ndx", kTwoCustomers + "x"},
                         {"led00001.dat", entry("1") + entry("2") + "torn"},
                         {"led00002.dat", entry("3")}});
        const LedgerCheckReport r = checkLedgerFolder(box.folder, "F:\\LEDGER");
        QCOMPARE(r.indexRecords, 2);
        QCOMPARE(r.ledgerFiles, 2);
        QCOMPARE(r.entries, std::int64_t(3));
    }

    // The folder from "\Ledger.dat" or as given, DOS or native; the exit code and the summary.
    void command_data() {
        QTest::addColumn<QString>("argument"); // "<native>": the folder's native path
        QTest::addColumn<QByteArray>("ledgerDat");
        QTest::addColumn<bool>("torn");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<int>("lineCount"); // the file system, the problems, the summary
        QTest::newRow("folder from Ledger.dat")
            << QString() << QByteArray("F:\\LEDGER\r\n") << false << 0
            << "F:\\LEDGER: 1 index records, 1 ledger files, 2 entries: sound." << 2;
        QTest::newRow("torn file found")
            << QString() << QByteArray("F:\\LEDGER\r\n") << true << 1
            << "F:\\LEDGER: 1 index records, 1 ledger files, 2 entries: 1 problem found." << 3;
        QTest::newRow("DOS folder given")
            << "f:\\ledger" << QByteArray() << false << 0
            << "f:\\ledger: 1 index records, 1 ledger files, 2 entries: sound." << 2;
        QTest::newRow("native folder given")
            << "<native>" << QByteArray() << true << 1
            << "<native>: 1 index records, 1 ledger files, 2 entries: 1 problem found." << 3;
        QTest::newRow("Ledger.dat missing") << QString() << QByteArray() << false << 1
                                            << "<prog>/Ledger.dat is missing or empty." << 1;
        QTest::newRow("Ledger.dat holds a native folder")
            << QString() << QByteArray("<native>\r\n") << false << 1
            << "<prog>/Ledger.dat holds no DOS folder." << 1;
        QTest::newRow("Ledger.dat holds a NUL")
            << QString() << QByteArray("F:\\LEDGER\0\\x\r\n", 14) << false << 1
            << "<prog>/Ledger.dat holds no DOS folder." << 1;
        QTest::newRow("drive not mapped") << "Q:\\LEDGER" << QByteArray() << false << 1
                                          << "Q:\\LEDGER: the drive Q: is not mapped." << 1;
        QTest::newRow("folder missing")
            << "F:\\NONE" << QByteArray() << false << 1
            << "F:\\NONE: 0 index records, 0 ledger files, 0 entries: 1 problem found." << 3;
        QTest::newRow("empty folder name") << "" << QByteArray("F:\\LEDGER\r\n") << false << 1
                                           << "\"\": 0 index records, 0 ledger files, 0 "
                                              "entries: 1 problem found."
                                           << 3;
    }

    void command() {
        QFETCH(QString, argument);
        QFETCH(QByteArray, ledgerDat);
        QFETCH(bool, torn);
        QFETCH(int, exitCode);
        QFETCH(QString, lastLine);
        QFETCH(int, lineCount);
        LedgerSandbox box;
        writeFiles(box, {{"ledger.ndx", index(1, "ACME")},
                         {"led00001.dat", entry("1") + entry("2") + (torn ? "x" : "")}});
        ledgerDat.replace("<native>", QFile::encodeName(box.folder));
        if (!ledgerDat.isEmpty())
            tw::test::writeAll(box.paths.programFolder() + "/Ledger.dat", ledgerDat);
        argument.replace("<native>", box.folder);
        lastLine.replace("<native>", box.folder)
            .replace("<prog>", QDir(box.paths.programFolder()).path());

        QString text;
        QTextStream out(&text);
        // A null argument: none given.
        const auto given = argument.isNull() ? std::nullopt : std::optional<QString>(argument);
        QCOMPARE(runLedgerCheck(given, box.paths, out), exitCode);
        const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), lineCount);
        QVERIFY2(lines.last().endsWith(lastLine), qPrintable(lines.last()));
        if (lineCount > 1) // a folder that was checked: its file system first
            QVERIFY2(lines.first().contains(": file system "), qPrintable(lines.first()));
    }
};

TW_REGISTER_TEST(LedgerCheckTest)
#include "ledgerchecktest.moc"
