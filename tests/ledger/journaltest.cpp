// The journal of postings: RFC 4180 lines in UTF-8 that a spreadsheet reads back field for
// field, a header once, and a line that stays whole after a torn one.
#include "ledger/journal.h"
#include "ledger/ledgerstore.h"
#include "ledgerfolder.h"
#include "platform/ioerror.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QTimeZone>
#include <QtTest>

using namespace tw::ledger;
using tw::test::LedgerFolder;
using tw::test::readAll;
using tw::test::writeAll;

namespace {

JournalEntry sampleEntry() {
    JournalEntry e;
    e.time = QDateTime(QDate(2006, 1, 15), QTime(14, 3, 9), QTimeZone(-5 * 3600));
    e.user = QStringLiteral("clerk");
    e.computer = QStringLiteral("OFFICE-2");
    e.action = JournalEntry::Action::Post;
    e.ledgerNumber = QStringLiteral("00013");
    e.customerName = QStringLiteral("ACME PRINTING");
    e.invoiceNumber = QStringLiteral("A1001");
    e.jobNumber = QStringLiteral("00004711");
    e.amountCents = 123450;
    e.recordOffset = 1536;
    return e;
}

// Reads one CSV record back as RFC 4180 has it; the line end must follow the last field.
QStringList parseCsvLine(const QByteArray& line) {
    QStringList fields;
    QByteArray f;
    qsizetype i = 0;
    for (;;) {
        f.clear();
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;; ++i) {
                if (i >= line.size())
                    return {};
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        f += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                f += line[i];
            }
        } else {
            while (i < line.size() && line[i] != ',' && line[i] != '\r')
                f += line[i++];
        }
        fields << QString::fromUtf8(f);
        if (i < line.size() && line[i] == ',') {
            ++i;
            continue;
        }
        return line.mid(i) == "\r\n" ? fields : QStringList{};
    }
}

} // namespace

class JournalTest : public QObject {
    Q_OBJECT
private slots:
    void fieldsReadBackWhole_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("plain") << "ACME PRINTING" << QByteArray("ACME PRINTING");
        QTest::newRow("empty") << "" << QByteArray("");
        QTest::newRow("comma") << "Smith, Jones & Co" << QByteArray("\"Smith, Jones & Co\"");
        QTest::newRow("quotes") << "The \"Best\" Press" << QByteArray("\"The \"\"Best\"\" Press\"");
        QTest::newRow("line break") << "two\r\nlines" << QByteArray("\"two\r\nlines\"");
        QTest::newRow("non-ASCII")
            << "Caf\u00e9 \u00c9mile \u20ac" << QByteArray("Caf\xc3\xa9 \xc3\x89mile \xe2\x82\xac");
        QTest::newRow("semicolon stays") << "a;b" << QByteArray("a;b");
    }
    void fieldsReadBackWhole() {
        QFETCH(QString, text);
        QFETCH(QByteArray, csv);
        QCOMPARE(csvField(text), csv);
        JournalEntry e = sampleEntry();
        e.customerName = text;
        e.invoiceNumber = text;
        const QStringList fields = parseCsvLine(journalLine(e));
        QCOMPARE(fields.size(), 10);
        QCOMPARE(fields[5], text);
        QCOMPARE(fields[6], text);
    }

    void lineColumns() {
        JournalEntry e = sampleEntry();
        QCOMPARE(journalLine(e), QByteArray("2006-01-15T14:03:09-05:00,clerk,OFFICE-2,post,00013,"
                                            "ACME PRINTING,A1001,00004711,1234.50,1536\r\n"));
        e.action = JournalEntry::Action::Reverse;
        e.amountCents = -123450;
        QCOMPARE(parseCsvLine(journalLine(e)).mid(3, 1), QStringList{"reverse"});
        QCOMPARE(parseCsvLine(journalLine(e)).mid(8, 1), QStringList{"-1234.50"});
        QCOMPARE(parseCsvLine(journalHeader()).size(), 10);
        // A journal entry of this machine names a user and a computer.
        const JournalEntry here = JournalEntry::now();
        QVERIFY(!here.user.isEmpty());
        QVERIFY(!here.computer.isEmpty());
        QVERIFY(here.time.isValid());
    }

    void timeAndAmount_data() {
        QTest::addColumn<int>("offsetSeconds");
        QTest::addColumn<QString>("time");
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QString>("amount");
        QTest::newRow("UTC") << 0 << "2006-01-15T14:03:09+00:00" << qint64(0) << "0.00";
        QTest::newRow("west") << -5 * 3600 << "2006-01-15T14:03:09-05:00" << qint64(-5) << "-0.05";
        QTest::newRow("half hour")
            << 5 * 3600 + 1800 << "2006-01-15T14:03:09+05:30" << qint64(100) << "1.00";
        QTest::newRow("west half hour") << -(3 * 3600 + 1800) << "2006-01-15T14:03:09-03:30"
                                        << qint64(999999999) << "9999999.99";
    }
    void timeAndAmount() {
        QFETCH(int, offsetSeconds);
        QFETCH(QString, time);
        QFETCH(qint64, cents);
        QFETCH(QString, amount);
        const QDateTime t(QDate(2006, 1, 15), QTime(14, 3, 9), QTimeZone(offsetSeconds));
        QCOMPARE(isoTimeWithOffset(t), time);
        QCOMPARE(plainAmount(cents), amount);
    }

    void appendsWithOneHeader() {
        LedgerFolder f;
        const LedgerStore store = f.store();
        JournalEntry e = sampleEntry();
        appendJournal(store, e);
        QCOMPARE(readAll(f.file("POSTINGS.CSV")), journalHeader() + journalLine(e));
        e.invoiceNumber = QStringLiteral("A1002");
        appendJournal(store, e);
        QCOMPARE(readAll(f.file("POSTINGS.CSV")),
                 journalHeader() + journalLine(sampleEntry()) + journalLine(e));
    }

    void tornLineIsEndedFirst() {
        LedgerFolder f;
        const QByteArray torn = journalHeader() + journalLine(sampleEntry()).left(30);
        writeAll(f.file("POSTINGS.CSV"), torn);
        appendJournal(f.store(), sampleEntry());
        QCOMPARE(readAll(f.file("POSTINGS.CSV")), torn + "\r\n" + journalLine(sampleEntry()));
    }

    void failureNamesTheFile() {
        LedgerFolder f;
        try {
            appendJournal(f.store("F:\\MISSING"), sampleEntry());
            QFAIL("a journal in a missing folder was written");
        } catch (const tw::IoError& e) {
            QVERIFY2(e.text().contains("F:\\MISSING\\POSTINGS.CSV"), qPrintable(e.text()));
        }
    }
};
TW_REGISTER_TEST(JournalTest)

#include "journaltest.moc"
