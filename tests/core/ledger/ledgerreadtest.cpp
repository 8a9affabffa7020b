// Reading ledger entries back: every field as the file holds it, dates and amounts exact, and
// whatever does not read shown as stored and flagged instead of guessed.
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "platform/recordfile.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QtTest>

using namespace tw::ledger;
using tw::test::LedgerSandbox;
using tw::test::writeAll;

namespace {

LedgerEntryRecord entry(const QString& invoice, std::int64_t cents) {
    return tw::test::sampleEntry(invoice, QStringLiteral("500, Business cards"), cents);
}

QByteArray bytesOf(const LedgerEntryRecord& r) {
    const auto b = r.encode();
    if (!b)
        qFatal("test record does not encode");
    return *b;
}

// A record with its amount field replaced by raw text.
QByteArray withAmount(const QByteArray& amount) {
    QByteArray b = bytesOf(entry("A1", 0));
    b.replace(116, 10, amount.leftJustified(10, ' ', true));
    return b;
}

} // namespace

class LedgerReadTest : public QObject {
    Q_OBJECT
private slots:
    // Whatever encode writes, decode gives back.
    void roundTrip_data() {
        QTest::addColumn<QString>("invoice");
        QTest::addColumn<QString>("description");
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QDate>("due");
        QTest::newRow("plain") << "A1001"
                               << "500, Business cards" << qint64(123450) << QDate(2006, 2, 4);
        QTest::newRow("negative") << "A1001"
                                  << "REVERSAL x" << qint64(-12345678) << QDate();
        QTest::newRow("below one") << "7"
                                   << "" << qint64(-5) << QDate(1999, 12, 31);
        QTest::newRow("largest") << "12345678"
                                 << "x" << qint64(999999999) << QDate(2029, 12, 31);
        QTest::newRow("leading blank kept") << " 42"
                                            << "  indented" << qint64(0) << QDate(1930, 1, 1);
        QTest::newRow("accented") << "Z\u00e9"
                                  << "Caf\u00e9 cr\u00e8me" << qint64(100) << QDate(2000, 2, 29);
    }
    void roundTrip() {
        QFETCH(QString, invoice);
        QFETCH(QString, description);
        QFETCH(qint64, cents);
        QFETCH(QDate, due);
        LedgerEntryRecord r = entry(invoice, cents);
        r.Description = description;
        r.DueDate = due;
        const QByteArray bytes = bytesOf(r);
        const StoredEntry e = decodeEntry(bytes);
        QCOMPARE(e.odd, 0u);
        QCOMPARE(e.InvoiceNumber, invoice);
        QCOMPARE(e.Description, description);
        QCOMPARE(e.AmountCents, cents);
        QCOMPARE(e.InvoiceDate, QDate(2006, 1, 5));
        QCOMPARE(e.DueDate, due);
        QCOMPARE(e.InvoiceDateText, QStringLiteral("060105"));
        QCOMPARE(e.JobNumber, QStringLiteral("00004711"));
        QCOMPARE(e.ProductCode, QStringLiteral("BC"));
        QCOMPARE(e.PONumber, QStringLiteral("PO-778"));
        // Encoding the fields read gives the same bytes.
        LedgerEntryRecord again;
        again.InvoiceNumber = e.InvoiceNumber;
        again.InvoiceDate = e.InvoiceDate;
        again.DueDate = e.DueDate;
        again.JobNumber = e.JobNumber;
        again.ProductCode = e.ProductCode;
        again.PONumber = e.PONumber;
        again.Description = e.Description;
        again.AmountCents = e.AmountCents;
        QCOMPARE(bytesOf(again), bytes);
    }

    void amountField_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("cents"); // -1 with odd: does not read
        QTest::addColumn<bool>("odd");
        QTest::newRow("one decimal") << QByteArray("1234.5") << qint64(123450) << false;
        QTest::newRow("whole") << QByteArray("100") << qint64(10000) << false;
        QTest::newRow("cents") << QByteArray("12.05") << qint64(1205) << false;
        QTest::newRow("negative below one") << QByteArray("-0.5") << qint64(-50) << false;
        QTest::newRow("no leading zero") << QByteArray(".5") << qint64(50) << false;
        QTest::newRow("negative no zero") << QByteArray("-.05") << qint64(-5) << false;
        QTest::newRow("leading blanks") << QByteArray("  12") << qint64(1200) << false;
        QTest::newRow("zeros past cents") << QByteArray("1.2500") << qint64(125) << false;
        QTest::newRow("trailing point") << QByteArray("7.") << qint64(700) << false;
        QTest::newRow("largest") << QByteArray("9999999.99") << qint64(999999999) << false;
        QTest::newRow("fraction of a cent") << QByteArray("12.345") << qint64(-1) << true;
        QTest::newRow("blank") << QByteArray("") << qint64(-1) << true;
        QTest::newRow("sign only") << QByteArray("-") << qint64(-1) << true;
        QTest::newRow("point only") << QByteArray(".") << qint64(-1) << true;
        QTest::newRow("grouping") << QByteArray("1,234") << qint64(-1) << true;
        QTest::newRow("currency") << QByteArray("$12") << qint64(-1) << true;
        QTest::newRow("plus") << QByteArray("+12") << qint64(-1) << true;
        QTest::newRow("inner blank") << QByteArray("1 2") << qint64(-1) << true;
        QTest::newRow("two points") << QByteArray("1.2.3") << qint64(-1) << true;
        QTest::newRow("exponent") << QByteArray("1E+07") << qint64(-1) << true;
        QTest::newRow("letters") << QByteArray("ABC") << qint64(-1) << true;
    }
    void amountField() {
        QFETCH(QByteArray, text);
        QFETCH(qint64, cents);
        QFETCH(bool, odd);
        const QByteArray field = text.leftJustified(10, ' ');
        const auto read = readAmountField(field);
        QCOMPARE(read.has_value(), !odd);
        const StoredEntry e = decodeEntry(withAmount(text));
        QCOMPARE(e.isOdd(StoredEntry::OddAmount), odd);
        QCOMPARE(e.AmountText, QString::fromLatin1(text));
        if (!odd) {
            QCOMPARE(*read, cents);
            QCOMPARE(e.AmountCents, cents);
        } else {
            QCOMPARE(e.AmountCents, qint64(0));
            // Shown as stored, marked; a blank field is named, or nothing would show.
            QCOMPARE(amountShown(e), text.isEmpty() ? "(blank)" : QString::fromLatin1(text));
        }
        QCOMPARE(e.odd & ~unsigned(StoredEntry::OddAmount), 0u);
    }

    void dateField_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("yearFirst");
        QTest::addColumn<QDate>("date"); // invalid with odd: blank
        QTest::addColumn<bool>("odd");
        QTest::newRow("yymmdd") << QByteArray("990105") << true << QDate(1999, 1, 5) << false;
        QTest::newRow("mmddyy") << QByteArray("010599") << false << QDate(1999, 1, 5) << false;
        QTest::newRow("2029") << QByteArray("291231") << true << QDate(2029, 12, 31) << false;
        QTest::newRow("1930") << QByteArray("300101") << true << QDate(1930, 1, 1) << false;
        QTest::newRow("leap day 2000")
            << QByteArray("022900") << false << QDate(2000, 2, 29) << false;
        QTest::newRow("blank") << QByteArray("      ") << true << QDate() << false;
        QTest::newRow("no leap day 2006") << QByteArray("060229") << true << QDate() << true;
        QTest::newRow("month 13") << QByteArray("131206") << false << QDate() << true;
        QTest::newRow("day 0") << QByteArray("060100") << true << QDate() << true;
        QTest::newRow("order mixed up") << QByteArray("122503") << true << QDate() << true;
        QTest::newRow("inner blank") << QByteArray("06 105") << true << QDate() << true;
        QTest::newRow("partly blank") << QByteArray("0601  ") << true << QDate() << true;
        QTest::newRow("slashes") << QByteArray("1/5/06") << false << QDate() << true;
    }
    void dateField() {
        QFETCH(QByteArray, field);
        QFETCH(bool, yearFirst);
        QFETCH(QDate, date);
        QFETCH(bool, odd);
        const auto read = readDateField(field, yearFirst ? DateOrder::YyMmDd : DateOrder::MmDdYy);
        QCOMPARE(read.has_value(), !odd);
        if (!odd)
            QCOMPARE(*read, date);

        QByteArray rec = bytesOf(entry("A1", 100));
        rec.replace(yearFirst ? 8 : 14, 6, field);
        const StoredEntry e = decodeEntry(rec);
        const auto flag = yearFirst ? StoredEntry::OddInvoiceDate : StoredEntry::OddDueDate;
        QCOMPARE(e.odd, odd ? unsigned(flag) : 0u);
        QCOMPARE(yearFirst ? e.InvoiceDate : e.DueDate, date);
        QCOMPARE(yearFirst ? e.InvoiceDateText : e.DueDateText,
                 QString::fromLatin1(field).trimmed());
    }

    void recordOutOfStep() {
        // A file written with another record length: every field is shifted and the line end
        // is not where it belongs.
        QByteArray rec = bytesOf(entry("A1", 100));
        rec.prepend("XY");
        const StoredEntry e = decodeEntry(QByteArrayView(rec).first(128));
        QVERIFY(e.isOdd(StoredEntry::OddLineEnd));
        QVERIFY(e.isOdd(StoredEntry::OddInvoiceDate));
        QCOMPARE(e.InvoiceNumber, QStringLiteral("XYA1"));
        // Control bytes and a stray line break in a text stay as stored.
        QByteArray ctl = bytesOf(entry("A1", 100));
        ctl[45] = '\n';
        ctl[46] = '\x01';
        QCOMPARE(decodeEntry(ctl).odd, 0u);
        QCOMPARE(decodeEntry(ctl).Description.mid(5, 2), QStringLiteral("\n\x01"));
    }

    // Whole records across the read steps, and the bytes of a partial one after them.
    void fileInBlocks_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("trailing");
        const int perStep = tw::SequentialReader::kReadBytes * 8 / LedgerEntryRecord::kLength;
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("partial only") << 0 << 70;
        QTest::newRow("one") << 1 << 0;
        QTest::newRow("one read exactly") << perStep << 0;
        QTest::newRow("one read and a partial") << perStep << 1;
        QTest::newRow("three reads and a bit") << 3 * perStep + 17 << 125;
    }
    void fileInBlocks() {
        QFETCH(int, records);
        QFETCH(int, trailing);
        LedgerSandbox f;
        QByteArray bytes;
        for (int i = 1; i <= records; ++i)
            bytes += bytesOf(entry(QString::number(i), i));
        const QByteArray cut = bytesOf(entry("CUT", 1)).left(trailing);
        writeAll(f.file("led00007.dat"), bytes + cut);

        const auto c = f.store().readEntries("00007");
        QVERIFY(c);
        QCOMPARE(c->count(), qint64(records));
        QCOMPARE(c->trailing, cut);
        QCOMPARE(c->records, bytes);
        if (records > 0) {
            const StoredEntry last = decodeEntry(c->record(records - 1));
            QCOMPARE(last.InvoiceNumber, QString::number(records));
            QCOMPARE(last.AmountCents, qint64(records));
        }
    }

    void missingAndUnreadableFiles() {
        LedgerSandbox f;
        // No file yet: nothing to show, and nothing is created.
        QVERIFY(!f.store().readEntries("00001"));
        QVERIFY(!QFile::exists(f.file("led00001.dat")));
        // A folder in the file's place, and a folder that is not there, name the file.
        QVERIFY(QDir().mkpath(f.file("led00002.dat")));
        for (const auto& [folder, name] :
             {std::pair{QStringLiteral("F:\\LEDGER"), QStringLiteral("F:\\LEDGER\\led00002.dat")},
              std::pair{QStringLiteral(""), QStringLiteral("\\led00002.dat")}}) {
            try {
                f.store(folder).readEntries("00002");
                QFAIL("an unreadable ledger read");
            } catch (const tw::IoError& e) {
                QVERIFY2(e.text().contains(name), qPrintable(e.text()));
            }
        }
    }
};
TW_REGISTER_TEST(LedgerReadTest)

#include "ledgerreadtest.moc"
