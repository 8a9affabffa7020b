#include "settings/settings.h"
#include "platform/regional.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using tw::settings::firstField;
using tw::settings::SettingsStore;

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void firstField_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QByteArray("C:\\EST\r\n") << "C:\\EST";
        QTest::newRow("no line end") << QByteArray("6.5") << "6.5";
        QTest::newRow("comma") << QByteArray("C:\\A,B\r\n") << "C:\\A";
        QTest::newRow("leading blanks") << QByteArray("  \t 1\r\n") << "1";
        QTest::newRow("trailing blanks kept") << QByteArray("F:\\LEDGER  \r\n") << "F:\\LEDGER  ";
        QTest::newRow("quoted") << QByteArray("\"C:\\A,B\" rest\r\n") << "C:\\A,B";
        QTest::newRow("quoted after blanks") << QByteArray("  \"x\"") << "x";
        QTest::newRow("unclosed quote") << QByteArray("\"C:\\EST\r\nmore\"") << "C:\\EST";
        QTest::newRow("quote inside") << QByteArray("a\"b,c") << "a\"b";
        QTest::newRow("empty line") << QByteArray("\r\nsecond\r\n") << "";
        QTest::newRow("lone line feed") << QByteArray("1\nx") << "1";
        QTest::newRow("lone carriage return") << QByteArray("0\rx") << "0";
        QTest::newRow("second line ignored") << QByteArray("1\r\n2\r\n") << "1";
        QTest::newRow("blanks only") << QByteArray("   ") << "";
        QTest::newRow("leading comma") << QByteArray(",5") << "";
        QTest::newRow("windows-1252") << QByteArray("Caf\xe9 \x80") << "Caf\u00e9 \u20ac";
        QTest::newRow("nul byte") << QByteArray("a\0b", 3) << QString::fromUtf8("a\0b", 3);
    }
    void firstField() {
        QFETCH(QByteArray, content);
        QFETCH(QString, value);
        QCOMPARE(::firstField(content), value);
    }

    void readingFiles() {
        QTemporaryDir dir;
        SettingsStore s(dir.path());
        QCOMPARE(s.read(tw::settings::kDefTax), std::nullopt); // missing
        tw::test::writeAll(s.pathOf(tw::settings::kDefTax), "");
        QCOMPARE(s.read(tw::settings::kDefTax), std::nullopt); // no characters at all
        tw::test::writeAll(s.pathOf(tw::settings::kDefTax), "\r\n");
        QCOMPARE(s.read(tw::settings::kDefTax), std::optional<QString>(QString()));
        tw::test::writeAll(s.pathOf(tw::settings::kDefTax), "7.25\r\n");
        QCOMPARE(s.read(tw::settings::kDefTax), std::optional<QString>("7.25"));
        // A folder where the file should be is unreadable, not a crash.
        QVERIFY(QDir(dir.path()).mkdir(tw::settings::kLedger));
        QCOMPARE(s.read(tw::settings::kLedger), std::nullopt);
    }

    void nameIsMatchedWithoutRegardToCase() {
        QTemporaryDir dir;
        SettingsStore s(dir.path());
        tw::test::writeAll(dir.filePath("DEFTAX.DAT"), "5\r\n");
        QCOMPARE(s.read(tw::settings::kDefTax), std::optional<QString>("5"));
        QVERIFY(s.write(tw::settings::kDefTax, "6"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"DEFTAX.DAT"});
        QCOMPARE(tw::test::readAll(dir.filePath("DEFTAX.DAT")), QByteArray("6\r\n"));
        // A file never written before gets its name exactly as spelled.
        QVERIFY(s.write(tw::settings::kCheck, "0"));
        QVERIFY(QFile::exists(dir.filePath("Check.Dat")));
    }

    void writingGivesValueAndCrLf() {
        QTemporaryDir dir;
        tw::test::FakeHost host;
        SettingsStore s(dir.path(), &host);
        QVERIFY(s.write(tw::settings::kEstLoc, "C:\\EST"));
        QCOMPARE(tw::test::readAll(dir.filePath("estloc.dat")), QByteArray("C:\\EST\r\n"));
        // Rewriting replaces the whole file, however long it was.
        tw::test::writeAll(dir.filePath("Ledger.dat"), QByteArray(5000, 'x') + "\r\nsecond\r\n");
        QVERIFY(s.write(tw::settings::kLedger, "F:\\LEDGER"));
        QCOMPARE(tw::test::readAll(dir.filePath("Ledger.dat")), QByteArray("F:\\LEDGER\r\n"));
        QVERIFY(s.write(tw::settings::kDefTax, ""));
        QCOMPARE(tw::test::readAll(dir.filePath("DefTax.Dat")), QByteArray("\r\n"));
        // Windows-1252 on disk; what it cannot hold becomes '?'.
        QVERIFY(s.write(tw::settings::kEstLoc, u"C:\\Caf\u00e9\u4e2d"_qs));
        QCOMPARE(tw::test::readAll(dir.filePath("estloc.dat")), QByteArray("C:\\Caf\xe9?\r\n"));
        QCOMPARE(s.read(tw::settings::kEstLoc), std::optional<QString>(u"C:\\Caf\u00e9?"_qs));
        // Values the program writes come back unchanged, a comma aside.
        QVERIFY(s.write(tw::settings::kEstLoc, "C:\\A,B"));
        QCOMPARE(s.read(tw::settings::kEstLoc), std::optional<QString>("C:\\A"));
        QVERIFY(host.messages.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3); // no leftovers
    }

    void removing() {
        QTemporaryDir dir;
        tw::test::FakeHost host;
        SettingsStore s(dir.path(), &host);
        QVERIFY(s.write(tw::settings::kEstLoc, "C:\\EST"));
        QVERIFY(s.remove(tw::settings::kEstLoc));
        QVERIFY(!QFile::exists(dir.filePath("estloc.dat")));
        QVERIFY(s.remove(tw::settings::kEstLoc)); // already gone
        QVERIFY(host.messages.isEmpty());
    }

    // Root can write into a read-only folder, so the failures here are ones no user escapes:
    // a folder that does not exist and a folder standing where the file should be.
    void unwritableFolderIsReportedOnce() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("Program Files/Tallywork");
        tw::test::FakeHost host;
        SettingsStore s(folder, &host);
        QVERIFY(!s.write(tw::settings::kDefTax, "0"));
        QVERIFY(!s.write(tw::settings::kCheck, "0"));
        QCOMPARE(host.messages.size(), 1);
        QVERIFY2(host.messages[0].contains(folder), qPrintable(host.messages[0]));
        QVERIFY(!QFile::exists(folder));

        // Each store reports its own first failure.
        QVERIFY(QDir().mkpath(folder + "/interface.dat"));
        tw::test::FakeHost host2;
        SettingsStore s2(folder, &host2);
        QVERIFY(s2.write(tw::settings::kDefTax, "0"));
        QVERIFY(!s2.write(tw::settings::kInterface, "1"));
        QVERIFY(!s2.write(tw::settings::kInterface, "0"));
        QCOMPARE(host2.messages.size(), 1);
        QVERIFY(host2.messages[0].contains(folder));
        QCOMPARE(s2.read(tw::settings::kDefTax), std::optional<QString>("0"));

        // Without a host the failure is only returned.
        SettingsStore quiet(folder);
        QVERIFY(!quiet.write(tw::settings::kInterface, "1"));
    }

    // A program folder that refuses new files: a settings file that is itself writable takes
    // the value in place; otherwise the old value stays and the operator is told once. Run as
    // an ordinary user (root writes anywhere): in a child that becomes "nobody" under root.
    void readOnlyFolderForOrdinaryUsers_data() {
        QTest::addColumn<QString>("file"); // the settings file before: writable, read-only, none
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("removed"); // removing needs the folder; a missing file is gone
        QTest::addColumn<QString>("after");
        QTest::newRow("writable file") << "writable" << true << false << "1";
        QTest::newRow("read-only file") << "read-only" << false << false << "0";
        QTest::newRow("no file") << "none" << false << true << "(unreadable)";
    }
    void readOnlyFolderForOrdinaryUsers() {
        QFETCH(QString, file);
        QFETCH(bool, written);
        QFETCH(bool, removed);
        QFETCH(QString, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("Check.Dat");
        if (file != "none") {
            tw::test::writeAll(path, "0\r\n");
            QVERIFY(QFile::setPermissions(path, file == "writable"
                                                    ? QFile::ReadUser | QFile::WriteUser |
                                                          QFile::ReadOther | QFile::WriteOther
                                                    : QFile::ReadUser | QFile::ReadOther));
        }
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadUser | QFile::ExeUser |
                                                      QFile::ReadOther | QFile::ExeOther));
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(3);
            tw::test::FakeHost host;
            SettingsStore s(dir.path(), &host);
            const bool ok = s.write(tw::settings::kCheck, "1");
            const bool removed = s.remove(tw::settings::kCheck);
            const QByteArray out = QByteArray::number(int(ok)) + ' ' +
                                   QByteArray::number(int(removed)) + ' ' +
                                   QByteArray::number(host.messages.size()) + ' ' +
                                   s.read(tw::settings::kCheck).value_or("(unreadable)").toUtf8();
            (void)!::write(fds[1], out.constData(), size_t(out.size()));
            ::_exit(0);
        }
        ::close(fds[1]);
        QByteArray out;
        char buf[256];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
            out.append(buf, n);
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        QFile::setPermissions(dir.path(), QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
            QSKIP("cannot become an ordinary user here");
        // Written, removed, messages (only the first failure is reported), value read back.
        QCOMPARE(out, QByteArray::number(int(written)) + ' ' + QByteArray::number(int(removed)) +
                          " 1 " + after.toUtf8());
    }

    // A folder setting must be a DOS folder: anything else never becomes a file path and
    // counts as unreadable.
    void folderSettings_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("folder"); // "-" = unreadable
        QTest::newRow("folder") << QByteArray("F:\\LEDGER\r\n") << "F:\\LEDGER";
        QTest::newRow("drive root") << QByteArray("f:\\\r\n") << "f:\\";
        QTest::newRow("quoted, with a comma")
            << QByteArray("\"F:\\LEDGER,2007\"\r\n") << "F:\\LEDGER,2007";
        QTest::newRow("NUL after the folder")
            << QByteArray("F:\\LEDGER\\ledger.ndx\0\r\n", 24) << "-";
        QTest::newRow("tab inside") << QByteArray("F:\\LED\tGER\r\n") << "-";
        QTest::newRow("DEL inside") << QByteArray("F:\\LED\x7fGER\r\n") << "-";
        QTest::newRow("saved as UTF-16") << QByteArray("\xff\xfe"
                                                       "F\0:\0\\\0L\0\r\0\n\0",
                                                       14)
                                         << "-";
        QTest::newRow("UTF-16 without mark") << QByteArray("F\0:\0\\\0L\0", 8) << "-";
        QTest::newRow("no drive") << QByteArray("\\\\server\\ledger\r\n") << "-";
        QTest::newRow("not a letter") << QByteArray("1:\\LEDGER\r\n") << "-";
        QTest::newRow("empty line") << QByteArray("\r\n") << "-";
    }
    void folderSettings() {
        QFETCH(QByteArray, content);
        QFETCH(QString, folder);
        QTemporaryDir dir;
        SettingsStore s(dir.path());
        tw::test::writeAll(s.pathOf(tw::settings::kLedger), content);
        QCOMPARE(s.readFolder(tw::settings::kLedger).value_or("-"), folder);
    }

    // A folder typed in a chooser: blanks trimmed, characters the settings file cannot hold
    // refused by name, and a comma kept by quoting so that it reads back whole.
    void chosenFolder_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("named"); // the characters the refusal names
        QTest::newRow("plain") << "F:\\LEDGER"
                               << "F:\\LEDGER" << QStringList{};
        QTest::newRow("trailing blanks") << "F:\\LEDGER  "
                                         << "F:\\LEDGER" << QStringList{};
        QTest::newRow("Windows-1252 letters")
            << u"F:\\Caf\u00e9 \u20ac"_qs << u"F:\\Caf\u00e9 \u20ac"_qs << QStringList{};
        QTest::newRow("comma") << "F:\\LEDGER,2007"
                               << "F:\\LEDGER,2007" << QStringList{};
        QTest::newRow("outside, each named once")
            << u"F:\\\u5BA2\u6237\u5BA2"_qs << u"F:\\\u5BA2\u6237\u5BA2"_qs
            << QStringList{u"\"\u5BA2\""_qs, u"\"\u6237\""_qs};
        QTest::newRow("beyond the basic plane")
            << u"F:\\\U0001F600"_qs << u"F:\\\U0001F600"_qs << QStringList{u"\"\U0001F600\""_qs};
        QTest::newRow("tab") << "F:\\A\tB"
                             << "F:\\A\tB" << QStringList{"U+0009"};
        QTest::newRow("double quote") << "F:\\A\"B"
                                      << "F:\\A\"B" << QStringList{"\"\"\""};
    }
    void chosenFolder() {
        QFETCH(QString, typed);
        QFETCH(QString, path);
        QFETCH(QStringList, named);
        const tw::settings::FolderChoice c = tw::settings::checkChosenFolder(typed);
        QCOMPARE(c.path, path);
        QCOMPARE(c.refusal.isEmpty(), named.isEmpty());
        for (const QString& n : named)
            QVERIFY2(c.refusal.contains(n), qPrintable(c.refusal));
        if (!named.isEmpty())
            return;
        // What is accepted is saved so that it reads back whole.
        QTemporaryDir dir;
        SettingsStore s(dir.path());
        QVERIFY(s.write(tw::settings::kLedger, tw::settings::quotedIfNeeded(c.path)));
        QCOMPARE(s.readFolder(tw::settings::kLedger), std::optional<QString>(path));
    }

    void badContentNeverCrashes() {
        QTemporaryDir dir;
        SettingsStore s(dir.path());
        // 10 MB without a line end: only the head is read.
        QByteArray big(10 * 1024 * 1024, 'A');
        tw::test::writeAll(s.pathOf(tw::settings::kLedger), big);
        QElapsedTimer t;
        t.start();
        const auto v = s.read(tw::settings::kLedger);
        QVERIFY(t.elapsed() < 2000);
        QVERIFY(v.has_value());
        QVERIFY(v->size() > 0 && v->size() <= 64 * 1024);
        QVERIFY(v->count('A') == v->size());

        // Binary junk reads as some text of the first line, byte for byte.
        QByteArray junk(4096, Qt::Uninitialized);
        QRandomGenerator rng(1234);
        for (char& c : junk)
            c = char(rng.bounded(256));
        tw::test::writeAll(s.pathOf(tw::settings::kCheck), junk);
        const auto j = s.read(tw::settings::kCheck);
        QVERIFY(j.has_value());
        QCOMPARE(*j, ::firstField(junk));
        QVERIFY(j->size() < junk.size());
    }

    // How the main window and the start-up interpret the values read.
    void interpretingValues_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("databaseMode");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("1") << QByteArray("1\r\n") << true << true;
        QTest::newRow("2") << QByteArray("2\r\n") << true << false;
        QTest::newRow("blank 1") << QByteArray(" 1\r\n") << true << true;
        QTest::newRow("abc") << QByteArray("abc\r\n") << false << false;
        QTest::newRow("0") << QByteArray("0\r\n") << false << false;
        QTest::newRow("empty line") << QByteArray("\r\n") << false << false;
        QTest::newRow("yes") << QByteArray("yes\r\n") << false << false;
        QTest::newRow("11") << QByteArray("11\r\n") << true << false;
        QTest::newRow("quoted 1") << QByteArray("\"1\"\r\n") << true << true;
    }
    void interpretingValues() {
        QFETCH(QByteArray, content);
        QFETCH(bool, databaseMode);
        QFETCH(bool, ticked);
        const QString v = ::firstField(content);
        QCOMPARE(tw::regional::leadingNumber(v) != 0, databaseMode);
        QCOMPARE(v == QLatin1String("1"), ticked);
    }
};

TW_REGISTER_TEST(SettingsTest)
#include "settingstest.moc"
