// Reading a record file in blocks: every whole record exactly once, in order, with its number,
// however the reads fall; a trailing partial record never.
#include "platform/recordfile.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Record n of a test file: its number in 7 digits.
QByteArray numbered(int n) {
    return QByteArray::number(n).rightJustified(7, '0');
}

} // namespace

class SequentialReaderBlockTest : public QObject {
    Q_OBJECT
    QTemporaryDir tmp_;

    tw::RecordFile fileOf(int records, const QByteArray& tail = {}) {
        QByteArray data;
        for (int i = 1; i <= records; ++i)
            data += numbered(i);
        data += tail;
        const QString path = tmp_.filePath(QStringLiteral("r%1.dat").arg(records));
        tw::test::writeAll(path, data);
        tw::RecordFile f;
        f.open(path, QStringLiteral("r.dat"), tw::RecordFile::Mode::ReadOnly);
        return f;
    }

private slots:
    void runsCoverEveryRecordOnceWithItsNumber() {
        // 10 whole records and an append cut short, read 3, 1, 10 and 4096 records at a time.
        const tw::RecordFile f = fileOf(10, "123");
        for (int perRead : {3, 1, 10, 4096}) {
            tw::SequentialReader r(f, 7, perRead);
            int seen = 0, count = -1, runs = 0;
            while (const char* run = r.nextRun(count)) {
                ++runs;
                QVERIFY(count >= 1 && count <= perRead);
                for (int i = 0; i < count; ++i)
                    QCOMPARE(QByteArray(run + i * 7, 7), numbered(seen + 1 + i));
                seen += count;
                QCOMPARE(r.recordNumber(), seen);
            }
            QCOMPARE(count, 0);
            QCOMPARE(seen, 10);
            QCOMPARE(runs, (10 + perRead - 1) / perRead);
            QCOMPARE(r.nextRun(count), nullptr);
        }
    }

    void runAfterNextReturnsTheRestOfTheBlock() {
        const tw::RecordFile f = fileOf(8);
        tw::SequentialReader r(f, 7, 5);
        QCOMPARE(QByteArray(r.next(), 7), numbered(1));
        int count = 0;
        const char* run = r.nextRun(count);
        QCOMPARE(count, 4);
        QCOMPARE(QByteArray(run, 7), numbered(2));
        QCOMPARE(r.recordNumber(), 5);
        QCOMPARE(QByteArray(r.next(), 7), numbered(6));
        run = r.nextRun(count);
        QCOMPARE(count, 2);
        QCOMPARE(QByteArray(run + 7, 7), numbered(8));
        QCOMPARE(r.next(), nullptr);
        QCOMPARE(r.recordNumber(), 8);
    }

    void defaultReadsFitTheReadSize() {
        // The default block is the whole records of readBytes().
        const tw::RecordFile f = fileOf(tw::SequentialReader::readBytes() / 7 + 100);
        tw::SequentialReader r(f, 7);
        int count = 0;
        QVERIFY(r.nextRun(count));
        QCOMPARE(count, tw::SequentialReader::readBytes() / 7);
        int total = count;
        while (r.nextRun(count))
            total += count;
        QCOMPARE(total, tw::SequentialReader::readBytes() / 7 + 100);
    }

    void emptyAndPartialFilesGiveNothing() {
        for (const QByteArray& tail : {QByteArray(), QByteArray("123456")}) {
            const tw::RecordFile f = fileOf(0, tail);
            tw::SequentialReader r(f, 7);
            int count = -1;
            QCOMPARE(r.nextRun(count), nullptr);
            QCOMPARE(count, 0);
            QCOMPARE(r.recordNumber(), 0);
        }
    }
};
TW_REGISTER_TEST(SequentialReaderBlockTest)

#include "sequentialreadertest.moc"
