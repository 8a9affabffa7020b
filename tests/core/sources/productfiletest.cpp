#include "sources/productfile.h"
#include "drivefixture.h"
#include "platform/recordfile.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QtTest>

#include <thread>

using namespace tw::sources;
using tw::test::readAll;
using tw::test::writeAll;

namespace {

QByteArray product(const QByteArray& code, const QByteArray& desc) {
    return code.leftJustified(3, ' ', true) + desc.leftJustified(40, ' ', true);
}

QByteArray expectedInitialFile() {
    QByteArray bytes = "01 Code=Last Record with File Initialized  ";
    bytes += QByteArray(98 * 43, ' ');
    return bytes;
}

} // namespace

class ProductFileTest : public QObject {
    Q_OBJECT

private slots:
    void entries() {
        QCOMPARE(productEntry(product("12", "BUSINESS CARDS")),
                 QStringLiteral("12 -BUSINESS CARDS"));
        QCOMPARE(productEntry(QByteArray(43, ' ')), QStringLiteral("-"));
        QCOMPARE(productEntry(product(" 7", "  Inner  blanks  ")),
                 QStringLiteral("7 -  Inner  blanks"));
        QCOMPARE(productEntry(product("ABC", "\xe9tiquettes")),
                 QStringLiteral("ABC-\u00e9tiquettes"));
    }

    void headerCount_data() {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<int>("listed");
        QTest::newRow("05") << QByteArray("05") << 4;
        QTest::newRow("0 5") << QByteArray("0 5") << 4;
        QTest::newRow("01") << QByteArray("01") << 0;
        QTest::newRow("1") << QByteArray("1") << 0;
        QTest::newRow("0") << QByteArray("0") << 0;
        QTest::newRow("-3") << QByteArray("-3") << 0;
        QTest::newRow("abc") << QByteArray("abc") << 0;
        QTest::newRow("2.5 rounds to 2") << QByteArray("2.5") << 1;
        QTest::newRow("3.5 rounds to 4") << QByteArray("3.5") << 3;
        QTest::newRow("blank") << QByteArray("   ") << 0;
    }
    void headerCount() {
        QFETCH(QByteArray, code);
        QFETCH(int, listed);
        DriveFixture d;
        const QString f = d.mapDrive('F');
        QByteArray file = product(code, "header remark");
        for (int i = 2; i <= 10; ++i)
            file += product(QByteArray::number(i * 10), "PRODUCT " + QByteArray::number(i));
        QDir(f).mkpath("EST");
        writeAll(f + "/EST/product.dat", file);
        const LoadResult r = loadProductFile(d.paths, "F:\\EST");
        QVERIFY2(r.ok, qPrintable(r.failure));
        QCOMPARE(r.entries.size(), listed);
        for (int i = 0; i < listed; ++i)
            QCOMPARE(r.entries[i], QStringLiteral("%1 -PRODUCT %2").arg((i + 2) * 10).arg(i + 2));
        QCOMPARE(readAll(f + "/EST/product.dat"), file); // reading changes nothing
    }

    void blankRecordListed() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        writeAll(f + "/product.dat", product("4", "hdr") + product("A", "One") +
                                         QByteArray(43, ' ') + product("C", "Three"));
        const LoadResult r = loadProductFile(d.paths, "F:");
        QCOMPARE(r.entries, QStringList({"A  -One", "-", "C  -Three"}));
    }

    void headerClaimsMoreThanExist() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        // 999 claimed, three whole records and a partial one present.
        const QByteArray file = product("999", "hdr") + product("P1", "One") +
                                product("P2", "Two") + product("P3", "Three").left(20);
        writeAll(f + "/product.dat", file);
        const LoadResult r = loadProductFile(d.paths, "F:");
        QVERIFY(r.ok);
        QCOMPARE(r.entries, QStringList({"P1 -One", "P2 -Two"}));
        QCOMPARE(readAll(f + "/product.dat"), file);
    }

    void initialisesMissingFile() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        const LoadResult r = loadProductFile(d.paths, "F:");
        QVERIFY2(r.ok, qPrintable(r.failure));
        QVERIFY(r.entries.isEmpty());
        const QByteArray bytes = readAll(f + "/product.dat");
        QCOMPARE(bytes.size(), 4257);
        QCOMPARE(bytes, expectedInitialFile());
        // Loading the initialised file lists nothing and leaves it as it is.
        QVERIFY(loadProductFile(d.paths, "F:").entries.isEmpty());
        QCOMPARE(readAll(f + "/product.dat"), expectedInitialFile());
    }

    void initialisesShortFile() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        writeAll(f + "/product.dat", QByteArray("05XXXXXXXXXXXXXXXXXX")); // 20 bytes
        const LoadResult r = loadProductFile(d.paths, "F:");
        QVERIFY(r.ok);
        QVERIFY(r.entries.isEmpty());
        QCOMPARE(readAll(f + "/product.dat"), expectedInitialFile());
        // Exactly one record is not short.
        writeAll(f + "/product.dat", product("05", "x"));
        QVERIFY(loadProductFile(d.paths, "F:").entries.isEmpty());
        QCOMPARE(readAll(f + "/product.dat").size(), 43);
    }

    // Each record is locked while it is written: a record locked by another program holds
    // the initialisation back until it is released.
    void initialisationWaitsForRecordLock() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        writeAll(f + "/product.dat", QByteArray(20, 'q'));
        tw::RecordFile other;
        other.open(f + "/product.dat", "other");
        other.lock(49 * 43, 43); // record 50
        std::thread release([&other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            other.unlock(49 * 43, 43);
        });
        QElapsedTimer t;
        t.start();
        const LoadResult r = loadProductFile(d.paths, "F:");
        const qint64 ms = t.elapsed();
        release.join();
        QVERIFY2(r.ok, qPrintable(r.failure));
        QVERIFY2(ms >= 350, qPrintable(QString::number(ms)));
        QCOMPARE(readAll(f + "/product.dat"), expectedInitialFile());
    }

    void failures() {
        DriveFixture d;
        // A folder that does not exist, a drive without a mapping.
        d.mapDrive('F');
        LoadResult r = loadProductFile(d.paths, "F:\\GONE");
        QVERIFY(!r.ok);
        QVERIFY2(r.failure.contains("F:\\GONE\\product.dat"), qPrintable(r.failure));
        QVERIFY(!loadProductFile(d.paths, "Q:\\EST").ok);
    }
};

TW_REGISTER_TEST(ProductFileTest)
#include "productfiletest.moc"
