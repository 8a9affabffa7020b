// The index search reads the index in blocks and compares each name word-first: the number
// found must be the record's position wherever the blocks fall, and a name must match in all
// 40 characters, not only in the first eight.
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "platform/dospath.h"
#include "platform/recordfile.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tw::ledger;

class LedgerScanTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheRecordPositionAcrossBlocks() {
        QTemporaryDir tmp;
        QDir().mkpath(tmp.path() + "/drive_f/LEDGER");
        QDir().mkpath(tmp.path() + "/prog/dosdevices");
        QVERIFY(QFile::link(tmp.path() + "/drive_f", tmp.path() + "/prog/dosdevices/f:"));

        // Three blocks and a bit. Names share their first eight characters ("CUSTOMER"), and
        // record 2 differs from record 3000 only in its 40th character.
        const int perBlock = tw::SequentialReader::readBytes() / LedgerIndexRecord::kLength;
        const int records = 3 * perBlock + 5;
        const QString longName = QStringLiteral("CUSTOMER WITH A NAME OF FORTY CHARACTERX");
        QCOMPARE(longName.size(), 40);
        QByteArray idx;
        for (int n = 1; n <= records; ++n) {
            QString name = QStringLiteral("CUSTOMER %1").arg(n);
            if (n == 2)
                name = longName;
            if (n == records)
                name = longName.left(39) + QLatin1Char('Y');
            idx += LedgerIndexRecord{n, name}.encode();
        }
        tw::test::writeAll(tmp.path() + "/drive_f/LEDGER/ledger.ndx", idx);

        const tw::DosPaths paths(tmp.path() + "/prog");
        LedgerStore store(paths, QStringLiteral("F:\\LEDGER"));
        for (int n : {1, perBlock - 1, perBlock, perBlock + 1, 2 * perBlock, 2 * perBlock + 1,
                      records - 1}) {
            QCOMPARE(store.findCustomer(QStringLiteral("CUSTOMER %1").arg(n)),
                     std::optional<int>(n));
        }
        QCOMPARE(store.findCustomer(longName), std::optional<int>(2));
        QCOMPARE(store.findCustomer(longName.left(39) + QLatin1Char('Y')),
                 std::optional<int>(records));
        QVERIFY(!store.findCustomer(longName.left(39) + QLatin1Char('Z')));
        QVERIFY(!store.findCustomer(u"CUSTOMER"));
    }
};
TW_REGISTER_TEST(LedgerScanTest)

#include "ledgerscantest.moc"
