#include "drivefixture.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "sources/customerfiles.h"
#include "sources/interfacefile.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QtTest>

using namespace tw::sources;
using tw::test::readAll;
using tw::test::writeAll;

namespace {

// A customer export record with the given name field (cut or blank-padded to 30).
QByteArray exportRecord(const QByteArray& name) {
    QByteArray rec(CustomerExportRecord::kLength, 'x');
    rec.replace(CustomerExportRecord::kNameOffset, CustomerExportRecord::kNameWidth,
                name.leftJustified(CustomerExportRecord::kNameWidth, ' ', true));
    return rec;
}

QByteArray customerFilRecord(const QByteArray& name) {
    QByteArray rec(CustomerFileRecord::kLength, 'y');
    rec.replace(CustomerFileRecord::kNameOffset, CustomerFileRecord::kNameWidth,
                name.leftJustified(CustomerFileRecord::kNameWidth, ' ', true));
    return rec;
}

// An interface value as the estimating system writes it: the digit, three blanks, the folder
// padded to position 22.
QString qlcust(char digit, const QString& folder, const QString& rest = QString()) {
    return QString(QLatin1Char(digit)) + "   " + folder.leftJustified(18, ' ', true) + rest;
}

} // namespace

class InterfaceFileTest : public QObject {
    Q_OBJECT

private slots:
    void interfaceNumbers_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("number");
        for (int d = 0; d <= 9; ++d)
            QTest::addRow("digit %d", d) << QString::number(d) + "   \\X\\" << d;
        QTest::newRow("letter") << "A   \\EST\\" << 0;
        QTest::newRow("blank") << " 1  \\EST\\" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("superscript two is no digit") << QStringLiteral("\u00b2") << 0;
    }
    void interfaceNumbers() {
        QFETCH(QString, value);
        QFETCH(int, number);
        QCOMPARE(interfaceNumber(value), number);
    }

    void folderFieldRule_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("field");
        const QString longValue = "0   \\EST\\" + QString(13, ' ') + "further text";
        QTest::newRow("long: positions 5 to 22") << longValue << "\\EST\\" + QString(13, ' ');
        QTest::newRow("exactly 22") << "1234567890123456789012"
                                    << "567890123456789012";
        QTest::newRow("20 characters: last 18") << "12345678901234567890"
                                                << "345678901234567890";
        QTest::newRow("18 characters: all") << "123456789012345678"
                                            << "123456789012345678";
        QTest::newRow("one character") << "1"
                                       << "1";
        QTest::newRow("empty") << ""
                               << "";
    }
    void folderFieldRule() {
        QFETCH(QString, value);
        QFETCH(QString, field);
        QCOMPARE(folderField(value), field);
    }

    void customerFolders() {
        // Folder field padded to position 22, then more text.
        const QString est = "0   \\EST\\" + QString(13, ' ') + "trailing";
        QCOMPARE(est.indexOf("trailing"), 22);
        QCOMPARE(customerDataFolder(u"F:", est), QStringLiteral("F:\\EST\\"));
        CustomerSource s = customerSource(est, u"F:\\LEDGER", LoadPath::StartUp);
        QCOMPARE(s.kind, CustomerFileKind::Export);
        QCOMPARE(s.file, QStringLiteral("F:\\EST\\QUILLBAR.CLI"));

        // 32 characters ending in QuickBooks: positions 5 to 22 blank, so the defaults apply.
        const QString qb = "0" + QString(21, ' ') + "QuickBooks";
        QCOMPARE(qb.size(), 32);
        QCOMPARE(customerSource(qb, u"F:\\LEDGER", LoadPath::StartUp).file,
                 QStringLiteral("F:\\est\\QUILLBAR.CLI"));
        const QString qb1 = "1" + qb.mid(1);
        s = customerSource(qb1, u"F:\\LEDGER", LoadPath::StartUp);
        QCOMPARE(s.kind, CustomerFileKind::CustomerFil);
        QCOMPARE(s.file, QStringLiteral("F:\\lumo\\data\\CUSTOMER.FIL"));

        // A single character is its own folder field.
        s = customerSource(u"1", u"F:\\LEDGER", LoadPath::StartUp);
        QCOMPARE(s.folder, QStringLiteral("F:1"));
        QCOMPARE(s.file, QStringLiteral("F:1CUSTOMER.FIL"));

        // Default sub-folders of the editions with one.
        QCOMPARE(customerSource(u"2", u"G:", LoadPath::StartUp).kind,
                 CustomerFileKind::Unsupported);
        QCOMPARE(customerDataFolder(u"G:", u"2"), QStringLiteral("G:2"));
        QCOMPARE(customerDataFolder(u"G:", u"2   "), QStringLiteral("G:2")); // short: all of it
        QCOMPARE(customerDataFolder(u"G:", qlcust('2', "")), QStringLiteral("G:\\amber\\"));
        s = customerSource(qlcust('3', ""), u"G:\\X", LoadPath::StartUp);
        QCOMPARE(s.kind, CustomerFileKind::Export);
        QCOMPARE(s.file, QStringLiteral("G:\\orbit\\data\\QUILLBAR.CLI"));
        QCOMPARE(customerSource(qlcust('7', "\\SEVEN\\"), u"G:", LoadPath::StartUp).kind,
                 CustomerFileKind::None);
        QCOMPARE(customerSource(qlcust('A', "\\EST\\"), u"G:", LoadPath::StartUp).file,
                 QStringLiteral("G:\\EST\\QUILLBAR.CLI"));
        QCOMPARE(customerSource(qlcust(' ', ""), u"G:", LoadPath::StartUp).file,
                 QStringLiteral("G:\\est\\QUILLBAR.CLI"));
    }

    void refreshPathDifferences() {
        // Folder field with its final separator: the refresh doubles it, which the file
        // system takes as one.
        const QString withSep = qlcust('0', "\\EST\\");
        QCOMPARE(customerSource(withSep, u"F:\\LEDGER", LoadPath::StartUp).file,
                 QStringLiteral("F:\\EST\\QUILLBAR.CLI"));
        QCOMPARE(customerSource(withSep, u"G:\\EST", LoadPath::Refresh).file,
                 QStringLiteral("G:\\EST\\\\QUILLBAR.CLI"));
        // Without it, only the refresh finds the file.
        const QString noSep = qlcust('0', "\\EST");
        QCOMPARE(customerSource(noSep, u"F:\\LEDGER", LoadPath::StartUp).file,
                 QStringLiteral("F:\\ESTQUILLBAR.CLI"));
        QCOMPARE(customerSource(noSep, u"F:\\EST", LoadPath::Refresh).file,
                 QStringLiteral("F:\\EST\\QUILLBAR.CLI"));
        // CUSTOMER.FIL keeps being appended without a separator.
        QCOMPARE(customerSource(qlcust('1', "\\LUMO\\"), u"F:", LoadPath::Refresh).file,
                 QStringLiteral("F:\\LUMO\\CUSTOMER.FIL"));
    }

    // The whole loading from an interface file on a mapped drive.
    void loadingThroughTheInterfaceFile() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        QDir(f).mkpath("EST");
        writeAll(f + "/EST/QLCUST", qlcust('0', "\\EST\\", "rest").toLatin1() + "\r\n");
        writeAll(f + "/EST/QUILLBAR.CLI",
                 exportRecord("BETA") + exportRecord(" hidden") + exportRecord("alpha"));
        tw::RecordFile iface = openInterfaceFile(d.paths, "F:\\EST");
        QVERIFY(iface.isOpen());
        LoadResult r = loadCustomers(iface, d.paths, "F:\\LEDGER", LoadPath::StartUp);
        QVERIFY2(r.ok, qPrintable(r.failure));
        QVERIFY(!iface.isOpen());
        QCOMPARE(r.entries, QStringList({"BETA" + QString(26, ' '), "alpha" + QString(25, ' ')}));
        QVERIFY(r.message.isEmpty());

        // Edition 1 reads CUSTOMER.FIL with 40-character names.
        QDir(f).mkpath("LUMO");
        writeAll(f + "/EST/QLCUST", qlcust('1', "\\LUMO\\").toLatin1());
        writeAll(f + "/LUMO/CUSTOMER.FIL", customerFilRecord("Twelve chars"));
        iface = openInterfaceFile(d.paths, "F:\\EST");
        r = loadCustomers(iface, d.paths, "F:\\LEDGER", LoadPath::StartUp);
        QVERIFY(r.ok);
        QCOMPARE(r.entries, QStringList{"Twelve chars" + QString(28, ' ')});
        QCOMPARE(r.entries.front().size(), 40);
    }

    void editionsWithoutList() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        writeAll(f + "/QLCUST", qlcust('2', "\\AMBER\\").toLatin1() + "\r\n");
        tw::RecordFile iface = openInterfaceFile(d.paths, "F:");
        LoadResult r = loadCustomers(iface, d.paths, "F:\\LEDGER", LoadPath::StartUp);
        QVERIFY(r.ok);
        QVERIFY(r.entries.isEmpty());
        QCOMPARE(r.message, QStringLiteral("Sorry, but Amber or Vector is not supported") + "\r\n" +
                                "in this application.");

        writeAll(f + "/QLCUST", qlcust('7', "\\EST\\").toLatin1() + "\r\n");
        iface = openInterfaceFile(d.paths, "F:");
        r = loadCustomers(iface, d.paths, "F:\\LEDGER", LoadPath::StartUp);
        QVERIFY(r.ok);
        QVERIFY(r.entries.isEmpty());
        QVERIFY(r.message.isEmpty());
        QVERIFY(QDir(f).entryList(QDir::Files) == QStringList{"QLCUST"}); // nothing created
    }

    void interfaceFileFailures() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        // Missing: opening fails and names the file.
        try {
            openInterfaceFile(d.paths, "F:\\EST");
            QFAIL("a missing interface file opened");
        } catch (const tw::IoError& e) {
            QVERIFY2(e.text().contains("F:\\EST\\QLCUST"), qPrintable(e.text()));
        }
        QVERIFY(!QFile::exists(f + "/EST")); // opened for reading only: nothing created
        // A drive without a mapping fails the same way.
        QVERIFY_THROWS_EXCEPTION(tw::IoError, openInterfaceFile(d.paths, "Q:\\EST"));

        // Empty: the first value cannot be read.
        writeAll(f + "/QLCUST", "");
        tw::RecordFile iface = openInterfaceFile(d.paths, "F:");
        LoadResult r = loadCustomers(iface, d.paths, "F:", LoadPath::StartUp);
        QVERIFY(!r.ok);
        QVERIFY(r.entries.isEmpty());

        // A customer-data folder that does not exist: the customer file cannot be opened.
        writeAll(f + "/QLCUST", qlcust('0', "\\NOWHERE\\").toLatin1());
        iface = openInterfaceFile(d.paths, "F:");
        r = loadCustomers(iface, d.paths, "F:", LoadPath::StartUp);
        QVERIFY(!r.ok);
        QVERIFY(r.failure.contains("F:\\NOWHERE\\QUILLBAR.CLI"));
        QVERIFY(!QFile::exists(f + "/NOWHERE"));
    }

    void missingExportCreatedEmpty() {
        DriveFixture d;
        const QString f = d.mapDrive('F');
        QDir(f).mkpath("est");
        writeAll(f + "/QLCUST", qlcust('0', "").toLatin1()); // blank field: the default folder
        tw::RecordFile iface = openInterfaceFile(d.paths, "F:");
        const LoadResult r = loadCustomers(iface, d.paths, "F:\\LEDGER", LoadPath::StartUp);
        QVERIFY(r.ok);
        QVERIFY(r.entries.isEmpty());
        QVERIFY(QFile::exists(f + "/est/QUILLBAR.CLI"));
        QCOMPARE(QFileInfo(f + "/est/QUILLBAR.CLI").size(), 0);
    }
};

TW_REGISTER_TEST(InterfaceFileTest)
#include "interfacetest.moc"
