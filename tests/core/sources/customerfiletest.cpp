#include "drivefixture.h"
#include "sources/customerfiles.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace tw::sources;
using tw::test::writeAll;

namespace {

QByteArray record(const CustomerLayout& l, const QByteArray& name, char filler = 'z') {
    QByteArray rec(l.recordLength, filler);
    rec.replace(l.nameOffset, l.nameWidth, name.leftJustified(l.nameWidth, ' ', true));
    return rec;
}

} // namespace

class CustomerFileTest : public QObject {
    Q_OBJECT

private slots:
    void nameTest_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("listed");
        QTest::newRow("letter") << QByteArray("ACME") << true;
        QTest::newRow("double quote first") << QByteArray("\"Q\" Printing") << true;
        QTest::newRow("lone double quote") << QByteArray("\"") << true;
        QTest::newRow("digit") << QByteArray("3M") << true;
        QTest::newRow("high byte") << QByteArray("\xc9tienne") << true;
        QTest::newRow("blank first") << QByteArray(" ACME") << false;
        QTest::newRow("exclamation mark") << QByteArray("!ACME") << false;
        QTest::newRow("tab") << QByteArray("\tACME") << false;
        QTest::newRow("all blank") << QByteArray(30, ' ') << false;
        QTest::newRow("all NUL") << QByteArray(30, '\0') << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void nameTest() {
        QFETCH(QByteArray, name);
        QFETCH(bool, listed);
        QCOMPARE(passesNameTest(name), listed);
    }

    void exportFileEntries() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        QByteArray file;
        file += record(kExportLayout, "Twelve chars");
        file += record(kExportLayout, " Leading blank");
        file += record(kExportLayout, QByteArray(30, '\0'), '\0'); // a record of NUL bytes
        file += record(kExportLayout, "!Bang");
        file += record(kExportLayout, "\"Quoted\" Press");
        file += record(kExportLayout, "Caf\xe9 Press");
        file += record(kExportLayout, "Twelve chars");                       // duplicates stay
        file += record(kExportLayout, "ABCDEFGHIJKLMNOPQRSTUVWXYZ12345678"); // cut at 30
        writeAll(f + "/QUILLBAR.CLI", file);

        const LoadResult r = readCustomerFile(d.paths, "F:\\QUILLBAR.CLI", kExportLayout);
        QVERIFY2(r.ok, qPrintable(r.failure));
        const QStringList expected = {
            "Twelve chars" + QString(18, ' '),
            "\"Quoted\" Press" + QString(16, ' '),
            QStringLiteral("Caf\u00e9 Press") + QString(20, ' '),
            "Twelve chars" + QString(18, ' '),
            "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234",
        };
        QCOMPARE(r.entries, expected);
        for (const QString& e : r.entries)
            QCOMPARE(e.size(), 30);
    }

    void customerFilEntries() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        // Only the name at offsets 1 to 40 counts; the rest of the record is not read.
        QByteArray rec = record(kCustomerFilLayout, "Twelve chars");
        rec[0] = ' ';
        rec[41] = 'X';
        writeAll(f + "/CUSTOMER.FIL",
                 rec + record(kCustomerFilLayout, "") + record(kCustomerFilLayout, "beta"));
        const LoadResult r = readCustomerFile(d.paths, "F:\\CUSTOMER.FIL", kCustomerFilLayout);
        QVERIFY(r.ok);
        QCOMPARE(r.entries,
                 QStringList({"Twelve chars" + QString(28, ' '), "beta" + QString(36, ' ')}));
    }

    void partialTrailingRecordIgnored() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        QByteArray file = record(kExportLayout, "One") + record(kExportLayout, "Two");
        // The third record is cut inside its name field, the fourth is only 100 bytes.
        writeAll(f + "/A.CLI", file + record(kExportLayout, "Three").left(40));
        LoadResult r = readCustomerFile(d.paths, "F:\\A.CLI", kExportLayout);
        QVERIFY(r.ok);
        QCOMPARE(r.entries.size(), 2);
        QCOMPARE(r.entries.back(), "Two" + QString(27, ' '));

        writeAll(f + "/B.FIL", record(kCustomerFilLayout, "Whole") +
                                   record(kCustomerFilLayout, "Partial").left(100));
        r = readCustomerFile(d.paths, "F:\\B.FIL", kCustomerFilLayout);
        QVERIFY(r.ok);
        QCOMPARE(r.entries, QStringList{"Whole" + QString(35, ' ')});

        // Shorter than one record: nothing listed, nothing written.
        writeAll(f + "/C.CLI", "ABC");
        r = readCustomerFile(d.paths, "F:\\C.CLI", kExportLayout);
        QVERIFY(r.ok);
        QVERIFY(r.entries.isEmpty());
        QCOMPARE(tw::test::readAll(f + "/C.CLI"), QByteArray("ABC"));
    }

    void missingFileCreatedEmpty() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        const LoadResult r = readCustomerFile(d.paths, "F:\\QUILLBAR.CLI", kExportLayout);
        QVERIFY(r.ok);
        QVERIFY(r.entries.isEmpty());
        QVERIFY(QFileInfo(f + "/QUILLBAR.CLI").isFile());
        QCOMPARE(QFileInfo(f + "/QUILLBAR.CLI").size(), 0);
    }

    void unreadableFileFails() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        QDir(f).mkpath("QUILLBAR.CLI"); // a folder where the file should be
        const LoadResult r = readCustomerFile(d.paths, "F:\\QUILLBAR.CLI", kExportLayout);
        QVERIFY(!r.ok);
        QVERIFY2(r.failure.contains("F:\\QUILLBAR.CLI"), qPrintable(r.failure));
    }

    void fiftyThousandCustomers() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        QByteArray file;
        file.reserve(50000 * CustomerExportRecord::kLength);
        for (int i = 0; i < 50000; ++i)
            file += record(kExportLayout, "CUSTOMER " + QByteArray::number(i));
        writeAll(f + "/QUILLBAR.CLI", file);
        QElapsedTimer t;
        t.start();
        const LoadResult r = readCustomerFile(d.paths, "F:\\QUILLBAR.CLI", kExportLayout);
        const qint64 ms = t.elapsed();
        QVERIFY(r.ok);
        QCOMPARE(r.entries.size(), 50000);
        QCOMPARE(r.entries[49999], "CUSTOMER 49999" + QString(16, ' '));
        qInfo("50,000 export records read in %lld ms", ms);
        QVERIFY2(ms < 1000, "reading 50,000 records took longer than a moment");
    }
};

TW_REGISTER_TEST(CustomerFileTest)
#include "customerfiletest.moc"
