// The rules every export follows: cells as shown and as exported (ISO dates, plain amounts,
// the formula guard), the CSV bytes with and without a byte-order mark, and a file written
// whole or not at all.
#include "export/csv.h"
#include "export/ledgertable.h"
#include "ledger/ledgermodel.h"
#include "settings/settings.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tw::exports;

Q_DECLARE_METATYPE(tw::exports::Cell)

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void cells_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<Cell>("cell");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("exported");
        const auto row = [](const char* name, ColumnKind k, const Cell& c, const QString& shown,
                            const QString& exported) {
            QTest::newRow(name) << int(k) << c << shown << exported;
        };
        row("date", ColumnKind::Date, Cell::ofDate(QDate(2006, 1, 5)), "1/5/2006", "2006-01-05");
        row("date that does not read", ColumnKind::Date, Cell::ofDate({}, "06AB05"), "06AB05",
            "06AB05");
        row("no date", ColumnKind::Date, Cell::ofDate({}), "", "");
        row("negative amount, never guarded", ColumnKind::Money, Cell::ofNumber(-123450),
            "-$1,234.50", "-1234.50");
        row("cents", ColumnKind::Money, Cell::ofNumber(5), "$0.05", "0.05");
        row("amount that does not read is text", ColumnKind::Money, Cell::ofNumber({}, "=1+1"),
            "=1+1", "'=1+1");
        row("count", ColumnKind::Count, Cell::ofNumber(12), "12", "12");
        row("formula", ColumnKind::Text, Cell::ofText("=SUM(A1)"), "=SUM(A1)", "'=SUM(A1)");
        row("plus", ColumnKind::Text, Cell::ofText("+1"), "+1", "'+1");
        row("minus", ColumnKind::Text, Cell::ofText("-5 off"), "-5 off", "'-5 off");
        row("at", ColumnKind::Text, Cell::ofText("@home"), "@home", "'@home");
        row("tab", ColumnKind::Text, Cell::ofText("\tx"), "\tx", "'\tx");
        row("carriage return", ColumnKind::Text, Cell::ofText("\rx"), "\rx", "'\rx");
        row("sign inside", ColumnKind::Text, Cell::ofText("a=b"), "a=b", "a=b");
    }
    void cells() {
        QFETCH(int, kind);
        QFETCH(Cell, cell);
        QFETCH(QString, shown);
        QFETCH(QString, exported);
        QCOMPARE(shownText(cell, ColumnKind(kind)), shown);
        QCOMPARE(exportText(cell, ColumnKind(kind)), exported);
    }

    void csvBytes() {
        Table t;
        t.columns = {
            {"Name", ColumnKind::Text}, {"Amount", ColumnKind::Money}, {"Date", ColumnKind::Date}};
        t.rows << QList<Cell>{Cell::ofText("Caf\u00e9 \"Smith\", Jones"), Cell::ofNumber(-500),
                              Cell::ofDate(QDate(2006, 1, 5))};
        t.totals << QList<Cell>{Cell::ofText("Total"), Cell::ofNumber(-500)};
        const QByteArray body = "Name,Amount,Date\r\n"
                                "\"Caf\xc3\xa9 \"\"Smith\"\", Jones\",-5.00,2006-01-05\r\n"
                                "Total,-5.00,\r\n";
        QCOMPARE(toCsv(t, true), "\xEF\xBB\xBF" + body);
        QCOMPARE(toCsv(t, false), body);

        // The byte-order mark goes unless the setting turns it off.
        QTemporaryDir prog;
        tw::settings::SettingsStore settings(prog.path());
        QVERIFY(byteOrderMarkWanted(settings));
        QVERIFY(settings.write(tw::settings::kExportBom, "0"));
        QVERIFY(!byteOrderMarkWanted(settings));
    }

    // A customer's ledger leaves as its window shows it: the rows the filter leaves, the total
    // of those, a note on the incomplete record.
    void ledgerAsShown() {
        using tw::test::entryBytes;
        tw::ledger::LedgerContents c;
        c.records = entryBytes("A1", QDate(2006, 1, 5), 12345) +
                    entryBytes("A2", QDate(2006, 1, 6), 500, "Letterhead") +
                    entryBytes("A1", QDate(2006, 1, 7), -12345, "REVERSAL 500, Business cards");
        c.trailing = "A4";
        tw::ledger::LedgerModel model;
        model.setContents(c);
        model.setFilter("cards");
        const Table t = ledgerTable(model, "Ledger 00013 - ACME");
        QCOMPARE(t.rows.size(), 2);
        QCOMPARE(csvLine(t.rows[0], t.columns),
                 "2006-01-05,A1,00004711,PO-778,BC,\"500, Business cards\",123.45,2006-02-04\r\n");
        QCOMPARE(csvLine(t.totals[0], t.columns), "Total,,,,,,0.00,\r\n");
        QCOMPARE(t.subtitle, "Entries containing \"cards\"");
        QVERIFY(t.notes.last().startsWith("(incomplete record"));
    }

    // A file is written whole or not at all: a failure names the file, leaves what had the
    // name as it was and leaves nothing beside it.
    void savedWholeOrNotAtAll_data() {
        QTest::addColumn<QString>("target");  // in the temporary folder
        QTest::addColumn<int>("sizeLimit");   // file size limit of the writer, 0: none
        QTest::addColumn<QString>("message"); // the start of it; "": saved
        QTest::newRow("saved over the old file") << "out.csv" << 0 << "";
        QTest::newRow("a folder that is not there") << "none/out.csv" << 0 << "Cannot save ";
        QTest::newRow("a folder of that name") << "dir" << 0 << "Cannot save ";
        QTest::newRow("the disk full part-way") << "out.csv" << 4000 << "Cannot save ";
    }
    void savedWholeOrNotAtAll() {
        QFETCH(QString, target);
        QFETCH(int, sizeLimit);
        QFETCH(QString, message);
        QTemporaryDir tmp;
        const QString path = tmp.filePath(target);
        tw::test::writeAll(tmp.filePath("out.csv"), "old");
        QVERIFY(QDir(tmp.path()).mkdir("dir"));
        const QByteArray bytes(100000, 'x');

        // The writer runs in a child, whose file size limit stands in for a full disk.
        int fds[2];
        QCOMPARE(::pipe(fds), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            if (sizeLimit > 0) {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit rl{rlim_t(sizeLimit), rlim_t(sizeLimit)};
                ::setrlimit(RLIMIT_FSIZE, &rl);
            }
            const QByteArray said = saveFile(path, bytes).toUtf8();
            [[maybe_unused]] auto n = ::write(fds[1], said.constData(), size_t(said.size()));
            ::_exit(0);
        }
        ::close(fds[1]);
        QByteArray said;
        char buf[512];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
            said.append(buf, n);
        ::close(fds[0]);
        ::waitpid(pid, nullptr, 0);

        QVERIFY2(message.isEmpty() ? said.isEmpty()
                                   : said.startsWith(message.toUtf8() + path.toUtf8()),
                 said.constData());
        QCOMPARE(tw::test::readAll(tmp.filePath("out.csv")),
                 message.isEmpty() ? bytes : QByteArray("old"));
        QVERIFY(QFileInfo(tmp.filePath("dir")).isDir());
        QCOMPARE(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 (QStringList{"dir", "out.csv"}));
    }
};

TW_REGISTER_TEST(ExportTest)
#include "exporttest.moc"
