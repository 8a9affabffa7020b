#include "settings/settingsfolder.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace tw::settings;

class SettingsFolderTest : public QObject {
    Q_OBJECT
private slots:
    // A row: the program folder @/prog ("writable", "read-only", "read-only, settings" holding
    // LEDGER.DAT, "installed" as the package's own folder, "read-only, config read-only"),
    // --settings-dir ("" not given), $XDG_CONFIG_HOME, $HOME, the folder chosen, and the
    // refusal or the message of the first start (contained; empty: none). @ is a fresh folder
    // holding prog/ and a file; nothing else is made before. A read-only folder is answered
    // for, since a test run as root may write everywhere.
    void choice_data() {
        QTest::addColumn<QStringList>("row");
        const auto row = [](const char* name, const QStringList& r) { QTest::newRow(name) << r; };
        row("writable program folder", {"writable", "", "@/xdg", "@/home", "@/prog", ""});
        row("read-only program folder",
            {"read-only", "", "@/xdg", "@/home", "@/xdg/tallywork", ""});
        row("read-only with settings",
            {"read-only, settings", "", "@/xdg", "@/home", "@/prog", ""});
        row("installed, writable by root", {"installed", "", "@/xdg", "", "@/xdg/tallywork", ""});
        row("no XDG_CONFIG_HOME", {"read-only", "", "", "@/home", "@/home/.config/tallywork", ""});
        row("relative XDG_CONFIG_HOME",
            {"read-only", "", "cfg", "@/home", "@/home/.config/tallywork", ""});
        row("option given", {"writable", "@/prog/..", "@/xdg", "@/home", "@", ""});
        row("option given, missing",
            {"writable", "@/nope", "", "", "", "The settings folder @/nope does not exist."});
        row("option given, a file", {"writable", "@/file", "", "", "", "@/file is not a folder."});
        row("configuration folder not writable",
            {"read-only, config read-only", "", "@/xdg", "", "@/xdg/tallywork",
             "The settings folder @/xdg/tallywork cannot be written (Permission denied)."});
        row("configuration folder cannot be made",
            {"read-only", "", "@/file", "", "@/file/tallywork",
             "The settings folder @/file/tallywork cannot be created (Not a directory)."});
        row("no home", {"read-only", "", "", "", "", "neither XDG_CONFIG_HOME nor HOME names"});
    }

    void choice() {
        QFETCH(QStringList, row);
        QTemporaryDir tmp;
        row.replaceInStrings("@", tmp.path());
        const QString prog = tmp.filePath("prog");
        QVERIFY(QDir().mkpath(prog));
        tw::test::writeAll(tmp.filePath("file"), "x");
        if (row[0].contains("settings"))
            tw::test::writeAll(prog + "/LEDGER.DAT", "F:\\LEDGER\r\n");
        QStringList readOnly;
        if (row[0].startsWith("read-only"))
            readOnly << prog;
        if (row[0].contains("config read-only"))
            readOnly << row[2] + "/tallywork";

        SettingsFolderInputs in{prog, std::nullopt, row[2], row[3], "/usr/bin", {}};
        if (!row[1].isEmpty())
            in.given = row[1];
        if (row[0] == "installed")
            in.installedFolder = prog;
        in.writeError = [&readOnly](const QString& f) { return readOnly.contains(f) ? EACCES : 0; };
        const SettingsLocation where = chooseSettingsFolder(in);
        QCOMPARE(where.folder, row[4]);
        const QString said =
            where.refusal.isEmpty() ? prepareSettingsFolder(where, in.writeError) : where.refusal;
        QVERIFY2(row[5].isEmpty() ? said.isEmpty() : said.contains(row[5]), qPrintable(said));
        // The user's folder is made at the first start, for its owner only.
        if (said.isEmpty() && where.origin == SettingsOrigin::UserFolder)
            QCOMPARE((QFileInfo(where.folder).permissions() & 0x0777).toInt(), 0x0700);
    }
};
TW_REGISTER_TEST(SettingsFolderTest)

#include "settingsfoldertest.moc"
