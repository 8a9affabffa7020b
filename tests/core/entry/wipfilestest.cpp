#include "entry/wipfiles.h"
#include "platform/dospath.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "testregistry.h"
#include "testsupport.h"
#include "wiptestdata.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tw::entry;
using tw::test::WipJob;

namespace {

WipJob job(const QByteArray& number, const QByteArray& customer = "ACME PRINTING") {
    WipJob j;
    j.job = number;
    j.customer = customer;
    return j;
}

} // namespace

class WipFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir tmp_;
    QString prog_, est_; // program folder; native folder of E:\EST

    std::optional<WipMatch> find(const QString& typed) {
        tw::RecordFile f;
        f.open(est_ + "/Wip.Dat", "E:\\EST\\Wip.Dat", tw::RecordFile::Mode::ReadOnly);
        return findJob(f, searchKey(typed));
    }

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        prog_ = tmp_.path() + "/prog";
        const QString drive = tmp_.path() + "/drive_e";
        QVERIFY(QDir().mkpath(prog_ + "/dosdevices"));
        QVERIFY(QDir().mkpath(drive + "/EST"));
        QVERIFY(QFile::link(drive, prog_ + "/dosdevices/e:"));
        est_ = drive + "/EST";
    }

    void searchKeys() {
        QCOMPARE(searchKey("12345"), QStringLiteral("00012345"));
        QCOMPARE(searchKey(" 4711"), QStringLiteral("000 4711"));
        QCOMPARE(searchKey("012345678"), QStringLiteral("012345678"));
    }

    void search() {
        tw::test::writeWipFiles(est_, {job("00000001"), job("00012345", "FIRST"),
                                       job("000 4711", "BLANK"), job("0000abcd", "LOWER"),
                                       job("00012345", "SECOND"), job("12345678")});
        auto m = find("12345");
        QVERIFY(m);
        QCOMPARE(m->number, 2);
        QCOMPARE(m->record.customer, QStringLiteral("FIRST               "));
        m = find("00012345"); // the same job, the first of two
        QVERIFY(m);
        QCOMPARE(m->number, 2);
        QVERIFY(!find("012345678")); // 9 characters never match
        QVERIFY(!find("4711"));      // no job 00004711 here
        m = find(" 4711");           // zero-filled in front of the blank
        QVERIFY(m);
        QCOMPARE(m->number, 3);
        QVERIFY(!find("0000ABCD")); // upper and lower case differ
        QCOMPARE(find("abcd")->number, 4);
        QCOMPARE(find("12345678")->number, 6);
        QVERIFY(!find(QString::fromUtf8("0000\u4e2d123"))); // no such byte: never matches '?'
    }

    void trailingPartialRecordIgnored() {
        QByteArray bytes = tw::test::wipRecord(job("00000001"));
        // Half a record whose job number field is complete.
        bytes += tw::test::wipRecord(job("00000002")).left(100);
        tw::test::writeAll(est_ + "/Wip.Dat", bytes);
        QVERIFY(find("1"));
        QVERIFY(!find("2"));
    }

    void fields() {
        WipJob j;
        j.customer = "ACME PRINTING";
        j.description = "LETTERHEAD";
        j.quantity = "5000";
        j.amount = "1234.5";
        const WipRecord r = WipRecord::parse(tw::test::wipRecord(j).constData());
        QCOMPARE(r.job, QStringLiteral("00004711"));
        QCOMPARE(r.invoiceDate, QStringLiteral("060115"));
        QCOMPARE(r.dueDate, QStringLiteral("060214"));
        QCOMPARE(r.customer, QStringLiteral("ACME PRINTING       "));
        QCOMPARE(r.description.size(), 45);
        QCOMPARE(r.quantity, QStringLiteral("5000     "));
        QCOMPARE(r.amount, QStringLiteral("1234.5   "));

        const JobEntry e = jobEntry(r, r.customer, u"1/15/2006", u"1/15/2006", QDate(2006, 3, 1));
        QCOMPARE(e.job, QStringLiteral("00004711"));
        QVERIFY(e.datesUsed);
        QCOMPARE(e.invoiceDate, QStringLiteral("01/15/06"));
        QCOMPARE(e.dueDate, QStringLiteral("02/14/06"));
        QCOMPARE(e.description, QStringLiteral("5000, LETTERHEAD"));
        QCOMPARE(e.quantity, QStringLiteral("5000"));
        QCOMPARE(e.amount, QStringLiteral("$1,234.50 "));
    }

    void customerName() {
        const QByteArray acme = "ACME PRINTING       "; // 20 with seven trailing blanks
        QCOMPARE(acme.size(), 20);
        const QString acme20 = QString::fromLatin1(acme);
        // The 20 characters followed somewhere later by a quote: those characters.
        QCOMPARE(fullCustomerName(acme, tw::test::wip2Record("x ACME PRINTING       xyz\"")),
                 QStringLiteral("ACME PRINTING       xyz"));
        // Blanks missing in Wip2: not found, the 20 characters stay.
        QCOMPARE(fullCustomerName(acme, tw::test::wip2Record("ACME PRINTING\"")), acme20);
        // No quote after the name.
        QCOMPARE(fullCustomerName(acme, tw::test::wip2Record("\"ACME PRINTING       ")), acme20);
        // Case counts.
        QCOMPARE(fullCustomerName(acme, tw::test::wip2Record("acme printing       \"")), acme20);
        // A full name longer than 20.
        const QByteArray longName = "BRIGHTLINE GRAPHICS ";
        QCOMPARE(fullCustomerName(longName, tw::test::wip2Record(
                                                "12\"BRIGHTLINE GRAPHICS AND LABELS INC\",\"x\"")),
                 QStringLiteral("BRIGHTLINE GRAPHICS AND LABELS INC"));
        // The first place it stands wins.
        QCOMPARE(fullCustomerName(longName, tw::test::wip2Record(
                                                "BRIGHTLINE GRAPHICS A\" BRIGHTLINE GRAPHICS B\"")),
                 QStringLiteral("BRIGHTLINE GRAPHICS A"));
        // No record in Wip2.Dat.
        QCOMPARE(fullCustomerName(acme, QByteArray()), acme20);
    }

    void dateTest() {
        QCOMPARE(monthPlusDay(u"1/15/2006").value_or(-1), 16.0);
        QCOMPARE(monthPlusDay(u"2/14/2006").value_or(-1), 16.0);
        QCOMPARE(monthPlusDay(u"01/15/06").value_or(-1), 16.0);
        QVERIFY(!monthPlusDay(u"1-15-2006"));
        QVERIFY(!monthPlusDay(u"1/15"));
        QVERIFY(!monthPlusDay(u""));

        QVERIFY(useJobDates(u"1/15/2006", u"2/14/2006", u"060115"));  // 16 and 16
        QVERIFY(!useJobDates(u"1/15/2006", u"2/15/2006", u"060115")); // 16 and 17
        QVERIFY(useJobDates(u"1/15/2006", u"1/15/2006", u"060115"));
        QVERIFY(!useJobDates(u"1/15/2006", u"1/15/2006", u"000000"));
        QVERIFY(!useJobDates(u"1/15/2006", u"1/15/2006", u"      "));
        QVERIFY(!useJobDates(u"", u"", u"060115"));
        QVERIFY(!useJobDates(u"1-15-2006", u"1-15-2006", u"060115"));
    }

    void jobDates() {
        QCOMPARE(jobDate(u"060115", "3/1/2006"), QStringLiteral("01/15/06"));
        QCOMPARE(jobDate(u"991231", "3/1/2006"), QStringLiteral("12/31/99"));
        QCOMPARE(jobDate(u"060015", "3/1/2006"), QStringLiteral("3/1/2006")); // month 00
        QCOMPARE(jobDate(u"      ", "3/1/2006"), QStringLiteral("3/1/2006"));

        // Month 00 in the invoice date: today there; a blank due date: today there.
        WipJob j;
        j.invoiceDate = "060015";
        j.dueDate = "";
        const WipRecord r = WipRecord::parse(tw::test::wipRecord(j).constData());
        // The test passes on the leading number 60015 > 0.
        const JobEntry e = jobEntry(r, r.customer, u"1/15/2006", u"1/15/2006", QDate(2006, 3, 1));
        QVERIFY(e.datesUsed);
        QCOMPARE(e.invoiceDate, QStringLiteral("3/1/2006"));
        QCOMPARE(e.dueDate, QStringLiteral("3/1/2006"));
    }

    void descriptions_data() {
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("description");
        QTest::newRow("positive") << "5000     "
                                  << "5000, LETTERHEAD";
        QTest::newRow("leading blanks") << "   25    "
                                        << "25, LETTERHEAD";
        QTest::newRow("grouped") << "1,000    "
                                 << "1,000, LETTERHEAD";
        QTest::newRow("zero") << "0        "
                              << "LETTERHEAD";
        QTest::newRow("negative") << "-5       "
                                  << "LETTERHEAD";
        QTest::newRow("blanks") << "         "
                                << "LETTERHEAD";
        QTest::newRow("not a number") << "5000 PCS "
                                      << "LETTERHEAD";
    }
    void descriptions() {
        QFETCH(QString, quantity);
        QFETCH(QString, description);
        QCOMPARE(jobDescription(quantity, u"LETTERHEAD                                   "),
                 description);
    }

    void lookupThroughDrive() {
        QDir(est_).removeRecursively();
        QVERIFY(QDir().mkpath(est_));
        // The DOS system keeps the first 20 characters of the name in Wip.Dat.
        WipJob named = job("00004711", "ACME PRINTING AND GR");
        named.wip2 = "17,\"ACME PRINTING AND GRAPHICS\",\"OH\"";
        // The DOS system writes upper-case names.
        tw::test::writeWipFiles(est_, {job("00000001"), named}, "WIP.DAT", "WIP2.DAT");
        tw::DosPaths paths(prog_);
        const auto found = lookupJob(paths, "E:\\EST", "4711");
        QVERIFY(found);
        QCOMPARE(found->number, 2);
        QCOMPARE(found->customer, QStringLiteral("ACME PRINTING AND GRAPHICS"));
        QVERIFY(!lookupJob(paths, "E:\\EST", "4712"));
        // Nothing was written.
        QCOMPARE(QFileInfo(est_ + "/WIP.DAT").size(), 2 * 256);

        // Wip2.Dat shorter than Wip.Dat: the 20-character name.
        tw::test::writeAll(est_ + "/WIP2.DAT", QByteArray());
        QCOMPARE(lookupJob(paths, "E:\\EST", "4711")->customer,
                 QStringLiteral("ACME PRINTING AND GR"));
    }

    void lookupMissingFiles() {
        tw::DosPaths paths(prog_);
        QDir(est_).removeRecursively();
        QVERIFY(QDir().mkpath(est_));
        // A missing Wip.Dat is created empty, as the estimating system's empty job list.
        QVERIFY(!lookupJob(paths, "E:\\EST", "4711"));
        QVERIFY(QFileInfo::exists(est_ + "/Wip.Dat"));
        QCOMPARE(QFileInfo(est_ + "/Wip.Dat").size(), 0);

        // A folder that does not exist: an error naming the file.
        try {
            lookupJob(paths, "E:\\NOWHERE", "4711");
            QFAIL("no error");
        } catch (const tw::IoError& e) {
            QVERIFY2(e.text().contains("E:\\NOWHERE\\Wip.Dat"), qPrintable(e.text()));
        }
        // A drive without a mapping.
        try {
            lookupJob(paths, "Q:\\EST", "4711");
            QFAIL("no error");
        } catch (const tw::IoError& e) {
            QVERIFY2(e.text().contains("Q:\\EST\\Wip.Dat"), qPrintable(e.text()));
        }
    }

    void largeFileQuickly() {
        // 200,000 jobs, 51.2 MB; the job is absent, so the whole file is read.
        constexpr int kJobs = 200000;
        QByteArray bytes;
        bytes.reserve(qsizetype(kJobs) * 256);
        WipJob j;
        for (int n = 1; n <= kJobs; ++n) {
            j.job = QByteArray::number(n).rightJustified(8, '0');
            bytes += tw::test::wipRecord(j);
        }
        tw::test::writeAll(est_ + "/Wip.Dat", bytes);
        tw::test::writeAll(est_ + "/Wip2.Dat", QByteArray());
        bytes.clear();
        tw::DosPaths paths(prog_);

        // Reference: the same file read once with large reads.
        QElapsedTimer t;
        t.start();
        {
            QFile f(est_ + "/Wip.Dat");
            QVERIFY(f.open(QIODevice::ReadOnly));
            QByteArray buf(1 << 20, Qt::Uninitialized);
            qint64 total = 0, got;
            while ((got = f.read(buf.data(), buf.size())) > 0)
                total += got;
            QCOMPARE(total, qint64(kJobs) * 256);
        }
        const qint64 readMs = t.elapsed();

        t.restart();
        QVERIFY(!lookupJob(paths, "E:\\EST", "99999999"));
        const qint64 notFoundMs = t.elapsed();
        t.restart();
        const auto last = lookupJob(paths, "E:\\EST", QString::number(kJobs));
        const qint64 lastMs = t.elapsed();
        QVERIFY(last);
        QCOMPARE(last->number, kJobs);

        qInfo("200,000-job Wip.Dat (51.2 MB): plain read %lld ms, not-found lookup %lld ms, "
              "last job found in %lld ms",
              readMs, notFoundMs, lastMs);
        QVERIFY2(notFoundMs < 1000, qPrintable(QString::number(notFoundMs)));
        QVERIFY2(lastMs < 1000, qPrintable(QString::number(lastMs)));
    }
};
TW_REGISTER_TEST(WipFilesTest)

#include "wipfilestest.moc"
