#include "platform/appinfo.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class AppInfoTest : public QObject {
    Q_OBJECT
private slots:
    // The database reader beside the program wins, else the installed one. A row: what lies
    // beside and in the installed folder ("exec", "plain" not executable, "" nothing), and
    // where the program is found (or named, when nowhere).
    void helperProgram_data() {
        QTest::addColumn<QStringList>("row");
        QTest::newRow("both") << QStringList{"exec", "exec", "beside"};
        QTest::newRow("installed only") << QStringList{"", "exec", "installed"};
        QTest::newRow("beside, not executable") << QStringList{"plain", "exec", "installed"};
        QTest::newRow("neither") << QStringList{"", "", "beside"};
    }

    void helperProgram() {
        QFETCH(QStringList, row);
        QTemporaryDir tmp;
        const QStringList folders{tmp.filePath("beside"), tmp.filePath("installed")};
        for (int i = 0; i < 2; ++i) {
            QVERIFY(QDir().mkpath(folders[i]));
            const QString file = folders[i] + "/tallywork-dbread";
            if (!row[i].isEmpty())
                tw::test::writeAll(file, "#!/bin/sh\n");
            if (row[i] == "exec")
                QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ExeOwner));
        }
        QCOMPARE(tw::findHelperProgram("tallywork-dbread", folders),
                 tmp.filePath(row[2] + "/tallywork-dbread"));
    }
};
TW_REGISTER_TEST(AppInfoTest)

#include "appinfotest.moc"
