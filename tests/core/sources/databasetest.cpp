#include "sources/database.h"
#include "settings/settings.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <chrono>

using namespace tw::sources;
using tw::test::dataFile;

namespace {

LoadResult customers(const QString& fixture) {
    return loadDatabaseCustomers(dataFile(fixture), fixture);
}
LoadResult products(const QString& fixture) {
    return loadDatabaseProducts(dataFile(fixture), fixture);
}

// A stand-in for the reader program: a shell script with the given body.
QString readerScript(const QTemporaryDir& dir, const QByteArray& body) {
    const QString path = dir.filePath("reader.sh");
    tw::test::writeAll(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path;
}

struct CountingIndicator : tw::BusyIndicator {
    int begun = 0, ended = 0;
    void begin() override { ++begun; }
    void end() override {
        QCOMPARE(begun, ended + 1);
        ++ended;
    }
};

} // namespace

class DatabaseTest : public QObject {
    Q_OBJECT

private slots:
    // The same rows in the Access 2000, 2003 and 2007 formats.
    void estFormats_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("2000") << "est2000.mdb";
        QTest::newRow("2003") << "est2003.mdb";
        QTest::newRow("2007") << "est2007.accdb";
    }
    void estFormats() {
        QFETCH(QString, file);
        const LoadResult c = customers(file);
        QVERIFY2(c.ok, qPrintable(c.failure));
        // Empty and NULL ClientID rows are skipped; table order kept; UTF-8 text decoded.
        QCOMPARE(c.entries, QStringList({"Zenith Graphics", "acme Printing", "ACME LABELS",
                                         QStringLiteral("Caf\u00e9 Press"), "Brightline Media",
                                         "mercury signs"}));
        const LoadResult p = products(file);
        QVERIFY2(p.ok, qPrintable(p.failure));
        // Empty and NULL Desc both give nothing after the dash; a NULL ProductID is skipped.
        QCOMPARE(p.entries, QStringList({"P200-Business Cards", "7-", "P105-", "P010-Letterhead",
                                         "A300-Envelopes #10"}));
    }

    void nullNameEndsCustomers() {
        const LoadResult c = customers("nullname.mdb");
        QVERIFY(!c.ok);
        QCOMPARE(c.entries, QStringList{"Alpha Co"});
        const LoadResult p = products("nullname.mdb");
        QVERIFY(p.ok);
        QCOMPARE(p.entries, QStringList({"P1-Flyers", "P2-Posters"}));
    }

    void emptyAndMissingTables() {
        const LoadResult c = customers("emptyclient.mdb");
        QVERIFY(!c.ok);
        QVERIFY(c.entries.isEmpty());
        QCOMPARE(products("emptyclient.mdb").entries,
                 QStringList({"E10-Banners", "E20-Stickers", "E30-Calendars"}));

        QCOMPARE(customers("noprod.mdb").entries,
                 QStringList({"Orion Press", "beta Prints", "Delta Copy"}));
        const LoadResult p = products("noprod.mdb");
        QVERIFY(!p.ok);
        QVERIFY(p.entries.isEmpty());
        QVERIFY2(p.failure.contains("PROD"), qPrintable(p.failure));
    }

    void numericKeys() {
        const LoadResult c = customers("numeric.mdb");
        QVERIFY(c.ok);
        QCOMPARE(c.entries, QStringList({"Harbor Printing", "apex Labels", "Summit Graphics",
                                         "Keystone Media"}));
        const LoadResult p = products("numeric.mdb");
        QVERIFY(p.ok);
        QCOMPARE(p.entries, QStringList({"12-Brochures", "7-Postcards", "300-Door Hangers"}));
    }

    void bigDatabase() {
        const LoadResult c = customers("big.mdb");
        QVERIFY2(c.ok, qPrintable(c.failure));
        QCOMPARE(c.entries.size(), 20000);
        QCOMPARE(c.entries.front(), QStringLiteral("CUSTOMER 15482 PRINTING"));
        QCOMPARE(c.entries.back(), QStringLiteral("CUSTOMER 01755 PRINTING"));
        QCOMPARE(c.entries[18467], QStringLiteral("CUSTOMER 00001 PRINTING"));
        QCOMPARE(c.entries[19014], QStringLiteral("CUSTOMER 20000 PRINTING"));
        QStringList sorted = c.entries;
        sorted.sort();
        QCOMPARE(sorted.removeDuplicates(), 0);
        const LoadResult p = products("big.mdb");
        QVERIFY(p.ok);
        QCOMPARE(p.entries.size(), 500);
        QCOMPARE(p.entries.front(), QStringLiteral("P0261-PRODUCT 0261"));
        QCOMPARE(p.entries[448], QStringLiteral("P0500-PRODUCT 0500"));
        QCOMPARE(p.entries[459], QStringLiteral("P0001-PRODUCT 0001"));
    }

    void badFiles() {
        QTemporaryDir dir;
        const QByteArray big = tw::test::readAll(dataFile("big.mdb"));
        QVERIFY(!big.isEmpty());
        const QByteArray est = tw::test::readAll(dataFile("est2000.mdb"));

        struct Case {
            const char* name;
            QByteArray bytes;
        };
        QByteArray scrambled = est;
        for (qsizetype i = 4096; i < scrambled.size(); i += 97)
            scrambled[i] = char(scrambled[i] ^ 0x5a);
        const Case cases[] = {
            {"empty", QByteArray()},
            {"text", QByteArray("This is not a database.\r\n")},
            {"first page only", est.left(4096)},
            {"cut inside the catalog", est.left(20000)},
            {"cut in the middle", est.left(65536)},
            {"scrambled pages", scrambled},
        };
        for (const Case& c : cases) {
            const QString path = dir.filePath(QString::fromLatin1(c.name) + ".mdb");
            tw::test::writeAll(path, c.bytes);
            const LoadResult cr = loadDatabaseCustomers(path, c.name);
            const LoadResult pr = loadDatabaseProducts(path, c.name);
            // Whatever a damaged file yields, the loaders return; the plainly broken ones fail.
            if (QByteArray(c.name) != "scrambled pages") {
                QVERIFY2(!cr.ok, c.name);
                QVERIFY2(!pr.ok, c.name);
                QVERIFY(!cr.failure.isEmpty());
            }
        }

        // A truncated big file: the rows before the cut stay, and the loading is a failure.
        const QString cut = dir.filePath("cut.mdb");
        tw::test::writeAll(cut, big.left(655360));
        const LoadResult cr = loadDatabaseCustomers(cut, "cut.mdb");
        QVERIFY(!cr.ok);
        QVERIFY(cr.entries.size() > 0 && cr.entries.size() < 20000);
        QCOMPARE(cr.entries.front(), QStringLiteral("CUSTOMER 15482 PRINTING"));

        // A folder, a missing file.
        QVERIFY(!loadDatabaseCustomers(dir.path(), "folder").ok);
        const LoadResult missing = loadDatabaseCustomers(dir.filePath("none.mdb"), "X:\\none.mdb");
        QVERIFY(!missing.ok);
        QVERIFY(missing.failure.contains("X:\\none.mdb"));
        QVERIFY(!loadDatabaseProducts(QString(), "unmapped").ok);
    }

    // Whatever stops the reader, the operator is told which database and why.
    void readerFailuresNameTheFileAndTheReason_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QByteArray>("script"); // empty: the real reader program
        QTest::addColumn<int>("table");         // 0 customers, 1 products
        QTest::addColumn<QString>("message");
        QTest::newRow("table missing") << "noprod.mdb" << QByteArray() << 1
                                       << "The database F:\\DB\\est.mdb has no table PROD.";
        QTest::newRow("table without rows")
            << "emptyclient.mdb" << QByteArray() << 0
            << "The table CLIENT in the database F:\\DB\\est.mdb has no rows.";
        QTest::newRow("not a database") << "ACCESS-FIXTURES.md" << QByteArray() << 0
                                        << "F:\\DB\\est.mdb is not an Access database.";
        QTest::newRow("reader crashes")
            << "est2000.mdb" << QByteArray("kill -SEGV $$") << 0
            << "The database F:\\DB\\est.mdb is damaged: it could not be read.";
        QTest::newRow("reader fails")
            << "est2000.mdb" << QByteArray("exit 3") << 1
            << "The database F:\\DB\\est.mdb is damaged: it could not be read.";
        QTest::newRow("reader answers nonsense")
            << "est2000.mdb" << QByteArray("echo Segmentation fault") << 0
            << "The database F:\\DB\\est.mdb is damaged: it could not be read.";
        QTest::newRow("reader hangs")
            << "est2000.mdb" << QByteArray("exec sleep 60") << 1
            << "The database F:\\DB\\est.mdb is damaged: reading it did not end within 2 seconds.";
    }
    void readerFailuresNameTheFileAndTheReason() {
        QFETCH(QString, fixture);
        QFETCH(QByteArray, script);
        QFETCH(int, table);
        QFETCH(QString, message);
        QTemporaryDir dir;
        DatabaseReader reader;
        reader.setTimeLimit(std::chrono::milliseconds(2000));
        if (!script.isEmpty())
            reader.setReaderProgram(readerScript(dir, script));
        CountingIndicator busy;
        reader.setBusyIndicator(&busy);
        QElapsedTimer timer;
        timer.start();
        const LoadResult r =
            reader.read(table == 0 ? DatabaseTable::Customers : DatabaseTable::Products,
                        dataFile(fixture), "F:\\DB\\est.mdb");
        QVERIFY(timer.elapsed() < 10000);
        QVERIFY(!r.ok);
        QCOMPARE(r.failure, message);
        QCOMPARE(busy.begun, 1);
        QCOMPARE(busy.ended, 1);
    }

    // While the reader runs, the program's own events go on (the windows repaint).
    void eventsRunWhileTheReaderRuns() {
        QTemporaryDir dir;
        DatabaseReader reader;
        reader.setReaderProgram(readerScript(dir, "sleep 1; exit 3"));
        bool fired = false;
        QTimer::singleShot(100, [&fired] { fired = true; });
        const LoadResult r = reader.read(DatabaseTable::Customers, dataFile("est2000.mdb"), "X");
        QVERIFY(!r.ok);
        QVERIFY(fired);
    }

    void missingReaderProgramIsNamed() {
        DatabaseReader reader;
        reader.setReaderProgram("/nonexistent/tallywork-dbread");
        const LoadResult r =
            loadDatabaseCustomers(dataFile("est2000.mdb"), "F:\\DB\\est.mdb", reader);
        QVERIFY(!r.ok);
        QCOMPARE(r.failure, QStringLiteral("The database F:\\DB\\est.mdb could not be read: the "
                                           "reader program /nonexistent/tallywork-dbread could not "
                                           "be started."));
    }

    // The answer crosses a pipe: a cut or padded answer is refused, a whole one reads back.
    void answerRoundTrip() {
        LoadResult in;
        in.entries = {QStringLiteral("Caf\u00e9 Press"), "", "7-"};
        in.fail("why");
        in.message = "note";
        const QByteArray bytes = encodeLoadResult(in);
        const std::optional<LoadResult> out = decodeLoadResult(bytes);
        QVERIFY(out);
        QCOMPARE(out->entries, in.entries);
        QCOMPARE(out->ok, false);
        QCOMPARE(out->failure, in.failure);
        QCOMPARE(out->message, in.message);
        QVERIFY(!decodeLoadResult(bytes.left(bytes.size() - 1)));
        QVERIFY(!decodeLoadResult(bytes + "x"));
        QVERIFY(!decodeLoadResult(QByteArray()));
    }

    void location() {
        QTemporaryDir dir;
        tw::settings::SettingsStore store(dir.path());
        QCOMPARE(databaseLocation(store), std::nullopt);
        tw::test::writeAll(dir.filePath("dbloc.dat"), "");
        QCOMPARE(databaseLocation(store), std::nullopt);
        tw::test::writeAll(dir.filePath("dbloc.dat"), "\r\n");
        QCOMPARE(databaseLocation(store), std::nullopt);
        tw::test::writeAll(dir.filePath("dbloc.dat"), "F:\\DB\\est.mdb,x\r\n");
        QCOMPARE(databaseLocation(store), std::optional<QString>("F:\\DB\\est.mdb"));
    }
};

TW_REGISTER_TEST(DatabaseTest)
#include "databasetest.moc"
