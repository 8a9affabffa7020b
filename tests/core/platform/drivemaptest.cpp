#include "platform/drivemap.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class DriveMapTest : public QObject {
    Q_OBJECT
private slots:
    // A row: the entries of dosdevices/ before ("name>target" a link, "name/" a folder, "none"
    // no dosdevices/ at all), the operation (none: only the listing), the refusal it answers
    // (contained; empty: done) and the listing after, each entry as "name>target [state]".
    // @ holds the folders e/ and g/, a file, and set/, the settings folder.
    void writesAndRefusals_data() {
        QTest::addColumn<QStringList>("row");
        const auto row = [](const char* name, const QStringList& r) { QTest::newRow(name) << r; };
        row("every kind", {"com1>@/e d:/ e:>@/e f:>@/file l:>l: x:>@/gone", "", "",
                           "com1>@/e [not a drive letter] d: [not a link] e:>@/e f:>@/file [not a "
                           "folder] l:>l: [link loop] x:>@/gone [missing]"});
        row("add, making dosdevices", {"none", "add f @/g", "", "f:>@/g"});
        row("add a used letter",
            {"e:>@/e", "add E @/g", "E: is already used: it leads to @/e.", "e:>@/e"});
        row("add over a missing link",
            {"x:>@/gone", "add X @/g", "already used", "x:>@/gone [missing]"});
        row("add over a folder",
            {"d:/", "add D @/g", "D: is not a link in @/set/dosdevices", "d: [not a link]"});
        row("add a missing folder", {"", "add F @/gone", "The folder @/gone does not exist.", ""});
        row("add a file", {"", "add F @/file", "@/file is not a folder.", ""});
        row("add a digit", {"", "add 1 @/g", "1 is not a drive letter", ""});
        row("change", {"e:>@/e", "change E @/g", "", "e:>@/g"});
        row("change mends a missing link", {"X:>@/gone", "change x @/g", "", "X:>@/g"});
        row("change an unmapped letter", {"", "change Q @/g", "The drive Q: is not mapped.", ""});
        row("change a folder", {"d:/", "change D @/g", "is not a link", "d: [not a link]"});
        row("remove", {"e:>@/e x:>@/gone", "remove E", "", "x:>@/gone [missing]"});
        row("remove a link loop", {"l:>l:", "remove L", "", ""});
        row("remove a folder", {"d:/", "remove D", "is not a link", "d: [not a link]"});
    }

    void writesAndRefusals() {
        QFETCH(QStringList, row);
        QTemporaryDir tmp;
        const QString at = tmp.path(), dev = at + "/set/dosdevices";
        QVERIFY(QDir().mkpath(at + "/e") && QDir().mkpath(at + "/g"));
        QVERIFY(QDir().mkpath(row[0] == "none" ? at + "/set" : dev));
        tw::test::writeAll(at + "/file", "x");
        for (QString entry : row[0].split(' ', Qt::SkipEmptyParts)) {
            entry.replace('@', at);
            if (entry.endsWith('/'))
                QVERIFY(QDir().mkpath(dev + '/' + entry));
            else if (entry != "none")
                QCOMPARE(::symlink(QFile::encodeName(entry.section('>', 1)).constData(),
                                   QFile::encodeName(dev + '/' + entry.section('>', 0, 0))),
                         0);
        }

        tw::DriveMap map(at + "/set");
        const QStringList op = row[1].split(' ');
        const QChar letter = op.value(1).isEmpty() ? QChar() : op[1][0];
        const QString folder = QString(op.value(2)).replace('@', at);
        QString answer = op[0] == "add"      ? map.add(letter, folder)
                         : op[0] == "change" ? map.change(letter, folder)
                         : op[0] == "remove" ? map.remove(letter)
                                             : QString();
        answer.replace(at, "@");
        QVERIFY2(row[2].isEmpty() ? answer.isEmpty() : answer.contains(row[2]), qPrintable(answer));
        QStringList listed;
        for (const tw::DriveEntry& e : map.entries()) {
            listed << e.name +
                          (e.folder.isEmpty() ? "" : '>' + QString(e.folder).replace(at, "@")) +
                          (e.stateText().isEmpty() ? "" : " [" + e.stateText() + ']');
        }
        QCOMPARE(listed.join(' '), row[3]);
        // Every letter an entry uses, in either case, is not free.
        qsizetype used = 0;
        for (const tw::DriveEntry& e : map.entries())
            used += e.letter.isNull() ? 0 : 1;
        QCOMPARE(map.freeLetters().size(), 26 - used);
        // A drive's folder is never touched.
        QVERIFY(QFileInfo(at + "/e").isDir() && QFileInfo(at + "/g").isDir());
    }
};
TW_REGISTER_TEST(DriveMapTest)

#include "drivemaptest.moc"
