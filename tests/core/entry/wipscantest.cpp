// The job search reads Wip.Dat in blocks and compares the job number as one word: the match
// must carry its record number and fields wherever the blocks fall, and all eight characters
// of the job number must agree.
#include "entry/wipfiles.h"
#include "platform/recordfile.h"
#include "testregistry.h"
#include "wiptestdata.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tw::entry;

class WipScanTest : public QObject {
    Q_OBJECT

private slots:
    void findsJobsAcrossBlocks() {
        QTemporaryDir tmp;
        const int perBlock = tw::SequentialReader::kReadBytes / kWipRecordLength;
        const int records = 2 * perBlock + 3;
        QList<tw::test::WipJob> jobs;
        for (int n = 1; n <= records; ++n) {
            tw::test::WipJob j;
            j.job = QByteArray::number(50000 + n).rightJustified(8, '0');
            j.description = "JOB " + QByteArray::number(n);
            jobs << j;
        }
        jobs[perBlock].job = "0005000x"; // differs from job 00050000 in the last byte only
        tw::test::writeWipFiles(tmp.path(), jobs);
        tw::RecordFile wip;
        wip.open(tmp.path() + "/Wip.Dat", "E:\\EST\\Wip.Dat", tw::RecordFile::Mode::ReadOnly);

        for (int n : {1, perBlock, perBlock + 2, 2 * perBlock, 2 * perBlock + 1, records}) {
            const auto m = findJob(wip, searchKey(QString::number(50000 + n)));
            QVERIFY2(m, qPrintable(QString::number(n)));
            QCOMPARE(m->number, n);
            QCOMPARE(m->record.description.trimmed(), QStringLiteral("JOB %1").arg(n));
        }
        const auto x = findJob(wip, QStringLiteral("0005000x"));
        QVERIFY(x);
        QCOMPARE(x->number, perBlock + 1);
        QVERIFY(!findJob(wip, searchKey(QStringLiteral("50000"))));
        QVERIFY(!findJob(wip, QStringLiteral("0005000X")));
    }
};
TW_REGISTER_TEST(WipScanTest)

#include "wipscantest.moc"
