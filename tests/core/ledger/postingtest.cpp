#include "ledger/posting.h"
#include "ledger/ledgerrecords.h"
#include "ledger/ledgerstore.h"
#include "platform/log.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDir>
#include <QMap>
#include <QtTest>

using namespace tw::ledger;
using tw::test::indexOf;
using tw::test::LedgerSandbox;
using tw::test::readAll;
using tw::test::writeAll;

namespace {

const QString kBlank = QStringLiteral("Warning: Customer, Date or Amount Cannot Be Blank!");

// A complete entry for a customer without a ledger; rows change single boxes of it.
EntryTexts goodEntry() {
    EntryTexts e;
    e.customer = QStringLiteral("BRAND NEW");
    e.invoiceDate = QStringLiteral("1/5/2006");
    e.preTax = QStringLiteral("$100.00   ");
    e.today = QDate(2006, 1, 15);
    return e;
}

// "box=text" settings over the good entry ("taxOn=1" switches the tax on).
EntryTexts entryWith(const QStringList& settings) {
    EntryTexts e = goodEntry();
    const QMap<QString, QString*> boxes = {{"customer", &e.customer},
                                           {"invoiceDate", &e.invoiceDate},
                                           {"dueDate", &e.dueDate},
                                           {"invoice", &e.invoice},
                                           {"job", &e.job},
                                           {"po", &e.po},
                                           {"product", &e.product},
                                           {"description", &e.description},
                                           {"preTax", &e.preTax},
                                           {"tax", &e.tax},
                                           {"invoiceAmount", &e.invoiceAmount},
                                           {"ledgerShown", &e.ledgerShown}};
    for (const QString& s : settings) {
        const qsizetype eq = s.indexOf('=');
        const QString box = s.left(eq), text = s.mid(eq + 1);
        if (box == "taxOn")
            e.taxOn = text == "1";
        else if (boxes.contains(box))
            *boxes[box] = text;
        else
            qFatal("no box %s", qPrintable(box));
    }
    return e;
}

QByteArray entryRecord(const QString& invoice, const QDate& date, std::int64_t cents) {
    LedgerEntryRecord r;
    r.InvoiceNumber = invoice;
    r.InvoiceDate = date;
    r.AmountCents = cents;
    return *r.encode();
}

QMap<QString, QByteArray> folderBytes(const LedgerSandbox& box) {
    QMap<QString, QByteArray> out;
    const auto names = QDir(box.folder).entryList(QDir::Files | QDir::System);
    for (const QString& n : names)
        out[n] = readAll(box.file(n));
    return out;
}

} // namespace

class PostingTest : public QObject {
    Q_OBJECT
private slots:
    // Every check runs before anything is written: a refused entry leaves every file of the
    // ledger folder as it was and allocates nothing.
    void refused_data() {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("message");
        const QString nothing = QStringLiteral(" Nothing was posted.");
        QTest::newRow("no customer") << QStringList{"customer="} << kBlank;
        QTest::newRow("blank customer") << QStringList{"customer=   "} << kBlank;
        QTest::newRow("no invoice date") << QStringList{"invoiceDate="} << kBlank;
        QTest::newRow("no amount") << QStringList{"preTax="} << kBlank;
        QTest::newRow("amount left empty") << QStringList{"preTax=          "} << kBlank;
        QTest::newRow("blank before anything else")
            << QStringList{"customer=", "invoiceDate=ab/cd"} << kBlank;
        QTest::newRow("name outside the code page")
            << QStringList{QString::fromUtf8("customer=\u4e2d\u6587")}
            << QString::fromUtf8("The Customer Name \"\u4e2d\u6587\" has characters that the "
                                 "ledger files cannot hold.") +
                   nothing;
        QTest::newRow("invoice date") << QStringList{"invoiceDate=ab/cd"}
                                      << "The Invoice Date \"ab/cd\" is not a date." + nothing;
        QTest::newRow("impossible invoice date")
            << QStringList{"invoiceDate=2/30/2006"}
            << "The Invoice Date \"2/30/2006\" is not a date." + nothing;
        QTest::newRow("due date") << QStringList{"dueDate= ab/cd"}
                                  << "The Due Date \"ab/cd\" is not a date." + nothing;
        QTest::newRow("amount") << QStringList{"preTax=abc       "}
                                << "The Pre-Tax Amount \"abc\" is not a number." + nothing;
        QTest::newRow("invoice amount") << QStringList{"invoiceAmount=$x"}
                                        << "The Invoice Amount \"$x\" is not a number." + nothing;
        QTest::newRow("ten million")
            << QStringList{"preTax=$10,000,000.00"}
            << "The amount $10,000,000.00 cannot be stored in the ledger: it keeps amounts "
               "below $10,000,000.00 in at most 10 characters (such as 9999999.99 or "
               "-999999.99)." +
                   nothing;
        QTest::newRow("too long") << QStringList{"preTax=-$1,000,000.01"}
                                  << "The amount -$1,000,000.01 cannot be stored in the ledger: "
                                     "it keeps amounts below $10,000,000.00 in at most 10 "
                                     "characters (such as 9999999.99 or -999999.99)." +
                                         nothing;
        const QString cannotHold =
            QStringLiteral(" has characters that the ledger files cannot hold.") + nothing;
        QTest::newRow("invoice outside the code page")
            << QStringList{QString::fromUtf8("invoice=A\u20ac\u4e2d")}
            << QString::fromUtf8("The Invoice Number \"A\u20ac\u4e2d\"") + cannotHold;
        QTest::newRow("job outside the code page")
            << QStringList{QString::fromUtf8("job=\u0100")}
            << QString::fromUtf8("The Job Number \"\u0100\"") + cannotHold;
        QTest::newRow("P.O. outside the code page")
            << QStringList{QString::fromUtf8("po=PO\u2192")}
            << QString::fromUtf8("The P.O. Number \"PO\u2192\"") + cannotHold;
        QTest::newRow("product outside the code page")
            << QStringList{QString::fromUtf8("product=\u03a9")}
            << QString::fromUtf8("The Product Code \"\u03a9\"") + cannotHold;
        QTest::newRow("description outside the code page")
            << QStringList{QString::fromUtf8("description=caf\u00e9 \U0001F600")}
            << QString::fromUtf8("The Description \"caf\u00e9 \U0001F600\"") + cannotHold;
        const QString years =
            QStringLiteral(" is outside the years 1930 to 2029 that the ledger can hold.") +
            nothing;
        QTest::newRow("invoice year 2130")
            << QStringList{"invoiceDate=1/5/2130"} << "The Invoice Date \"1/5/2130\"" + years;
        QTest::newRow("invoice year 9999")
            << QStringList{"invoiceDate=12/31/9999"} << "The Invoice Date \"12/31/9999\"" + years;
        QTest::newRow("invoice year 100")
            << QStringList{"invoiceDate=1/1/0100"} << "The Invoice Date \"1/1/0100\"" + years;
        QTest::newRow("due year 1929")
            << QStringList{"dueDate=12/31/1929"} << "The Due Date \"12/31/1929\"" + years;
        QTest::newRow("due year 2030")
            << QStringList{"dueDate=1/1/2030"} << "The Due Date \"1/1/2030\"" + years;
        QTest::newRow("amount changed after the tax")
            << QStringList{"taxOn=1", "preTax=$200.00   ", "tax=$6.00     ",
                           "invoiceAmount=$106.00   "}
            << "The Invoice Amount $106.00 is not the Pre-Tax Amount $200.00 plus the Tax "
               "$6.00." +
                   nothing;
        QTest::newRow("invoice amount typed over the tax")
            << QStringList{"taxOn=1", "tax=$6.00", "invoiceAmount=$107.00"}
            << "The Invoice Amount $107.00 is not the Pre-Tax Amount $100.00 plus the Tax "
               "$6.00." +
                   nothing;
        QTest::newRow("tax typed over")
            << QStringList{"taxOn=1", "tax=six", "invoiceAmount=$106.00"}
            << "The Tax \"six\" is not a number." + nothing;
        QTest::newRow("ledger number")
            << QStringList{"ledgerShown=0001"}
            << "The Ledger Number \"0001\" is not a ledger number of 5 digits." + nothing;
    }
    void refused() {
        QFETCH(QStringList, boxes);
        QFETCH(QString, message);
        const EntryTexts entry = entryWith(boxes);
        const Prepared p = prepare(entry);
        QVERIFY(!p.posting);
        QCOMPARE(p.refusal, message);

        LedgerSandbox box;
        writeAll(box.indexFile(), indexOf({"ACME"}));
        writeAll(box.ledgerFile(1), QByteArray(126, 'x') + "\r\n");
        const auto before = folderBytes(box);
        LedgerStore store = box.store();
        tw::test::FakeHost host;
        const PostOutcome out = postEntry(entry, store, host);
        QVERIFY(!out.posted);
        QCOMPARE(out.error, message);
        QCOMPARE(out.ledger, 0);
        QCOMPARE(folderBytes(box), before);
    }

    // What a prepared entry stores, field by field, and where it goes.
    void prepared_data() {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("ledger"); // 0: a new ledger
        const QByteArray pad76 = QByteArray(76, ' ');
        QTest::newRow("plain") << QStringList{}
                               << QByteArray("        060105      ") + QByteArray(20, ' ') + pad76 +
                                      "100       \r\n"
                               << 0;
        QTest::newRow("every field")
            << QStringList{"invoice= 4711",    "dueDate=2/4/06",
                           "job=00004711",     "product=BC-Business cards",
                           "po=PO-778",        "description=500, cards",
                           "ledgerShown=00013"}
            << QByteArray(" 4711   060105020406"
                          "00004711"
                          "BC"
                          "PO-778    ") +
                   QByteArray("500, cards").leftJustified(76, ' ') + "100       \r\n"
            << 13;
        QTest::newRow("texts cut to their fields")
            << QStringList{"invoice=1234567890", "po=ABCDEFGHIJKL"}
            << QByteArray("12345678060105      ") + QByteArray(10, ' ') + "ABCDEFGHIJ" + pad76 +
                   "100       \r\n"
            << 0;
        QTest::newRow("exact cents")
            << QStringList{"preTax=$123,456.78"}
            << QByteArray("        060105      ") + QByteArray(20, ' ') + pad76 + "123456.78 \r\n"
            << 0;
        QTest::newRow("invoice amount alone")
            << QStringList{"invoiceAmount=$53.00    "}
            << QByteArray("        060105      ") + QByteArray(20, ' ') + pad76 + "53        \r\n"
            << 0;
        QTest::newRow("invoice amount zero")
            << QStringList{"invoiceAmount=$0.00     "}
            << QByteArray("        060105      ") + QByteArray(20, ' ') + pad76 + "0         \r\n"
            << 0;
        QTest::newRow("with tax") << QStringList{"taxOn=1", "tax=$6.00", "invoiceAmount=$106.00"}
                                  << QByteArray("        060105      ") + QByteArray(20, ' ') +
                                         pad76 + "106       \r\n"
                                  << 0;
        QTest::newRow("below one")
            << QStringList{"preTax=0.5"}
            << QByteArray("        060105      ") + QByteArray(20, ' ') + pad76 + "0.5       \r\n"
            << 0;
        QTest::newRow("control characters become blanks")
            << QStringList{QStringLiteral("invoice=A\tB\x1a"), QStringLiteral("po=P\x7fO"),
                           QStringLiteral("job=1\r\n2"),
                           QStringLiteral("description=x\ty") + QChar(0) + "z\x1b!"}
            << QByteArray("A B     060105      1  2    ") + "  " + "P O       " +
                   QByteArray("x y z !").leftJustified(76, ' ') + "100       \r\n"
            << 0;
        QTest::newRow("first and last years")
            << QStringList{"invoiceDate=1/1/1930", "dueDate=12/31/2029"}
            << QByteArray("        300101123129") + QByteArray(20, ' ') + pad76 + "100       \r\n"
            << 0;
        QTest::newRow("tax on, amounts agree")
            << QStringList{"taxOn=1", "preTax=$200.00", "tax=$12.00", "invoiceAmount=$212.00"}
            << QByteArray("        060105      ") + QByteArray(20, ' ') + pad76 + "212       \r\n"
            << 0;
        QTest::newRow("date of this year")
            << QStringList{"invoiceDate=12/25"}
            << QByteArray("        061225      ") + QByteArray(20, ' ') + pad76 + "100       \r\n"
            << 0;
    }
    void prepared() {
        QFETCH(QStringList, boxes);
        QFETCH(QByteArray, record);
        QFETCH(int, ledger);
        const Prepared p = prepare(entryWith(boxes));
        QVERIFY2(p.posting, qPrintable(p.refusal));
        QCOMPARE(p.posting->record.size(), 128);
        QCOMPARE(p.posting->record, record);
        QCOMPARE(p.posting->ledger.value_or(0), ledger);
        QCOMPARE(p.posting->customer, QStringLiteral("BRAND NEW"));
    }

    void newCustomerThenKnownLedger() {
        LedgerSandbox box;
        writeAll(box.indexFile(), indexOf({"A", "B", "C", "D"}));
        QByteArray five;
        for (int i = 0; i < 5; ++i)
            five += QByteArray(126, char('a' + i)) + "\r\n";
        writeAll(box.ledgerFile(3), five);
        LedgerStore store = box.store();
        tw::test::FakeHost host;

        const PostOutcome fresh = postEntry(goodEntry(), store, host);
        QVERIFY2(fresh.posted, qPrintable(fresh.error));
        QCOMPARE(fresh.ledger, 5);
        QVERIFY(fresh.created);
        QCOMPARE(fresh.offset, 0);
        QCOMPARE(QFileInfo(box.indexFile()).size(), 235);
        QCOMPARE(readAll(box.ledgerFile(5)), prepare(goodEntry()).posting->record);

        const PostOutcome known = postEntry(entryWith({"ledgerShown=00003"}), store, host);
        QVERIFY2(known.posted, qPrintable(known.error));
        QCOMPARE(known.ledger, 3);
        QVERIFY(!known.created);
        QCOMPARE(known.offset, 640);
        QCOMPARE(readAll(box.ledgerFile(3)).size(), 768);
        QCOMPARE(QFileInfo(box.indexFile()).size(), 235);
        QCOMPARE(host.messages, QStringList());
    }

    // A name the code page holds, accents included, gets its ledger under that name.
    void accentedNameAllocates() {
        LedgerSandbox box;
        writeAll(box.indexFile(), indexOf({"??"}));
        LedgerStore store = box.store();
        tw::test::FakeHost host;
        const PostOutcome out =
            postEntry(entryWith({QString::fromUtf8("customer=Caf\u00e9 Press")}), store, host);
        QVERIFY2(out.posted, qPrintable(out.error));
        QCOMPARE(out.ledger, 2);
        QCOMPARE(readAll(box.indexFile()).mid(47, 45),
                 QByteArray("00002Caf\xe9 Press").leftJustified(45));
    }

    // Before an invoice goes into a ledger that already holds its number, or into a ledger the
    // index lists whose file does not exist, the operator is asked; another customer's ledger
    // and a new customer's do not count.
    void duplicateInvoice_data() {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("question"); // empty: none asked
        const QString a1001 = QStringLiteral(
            "Invoice A1001 is already in ledger 00013, dated 1/5/2006, for $123,456.78. Post "
            "it again?");
        QTest::newRow("same number") << QStringList{"ledgerShown=00013", "invoice=A1001"} << a1001;
        QTest::newRow("other case and blanks")
            << QStringList{"ledgerShown=00013", "invoice= a1001  "} << a1001;
        QTest::newRow("accented capitals")
            << QStringList{"ledgerShown=00013", QString::fromUtf8("invoice=été-7")}
            << QString::fromUtf8("Invoice ÉTÉ-7 is already in ledger 00013, dated "
                                 "12/31/1999, for -$5.00. Post it again?");
        QTest::newRow("a prefix only")
            << QStringList{"ledgerShown=00013", "invoice=A100"} << QString();
        QTest::newRow("longer") << QStringList{"ledgerShown=00013", "invoice=A10011"} << QString();
        QTest::newRow("blank invoice")
            << QStringList{"ledgerShown=00013", "invoice=   "} << QString();
        QTest::newRow("another customer's ledger")
            << QStringList{"ledgerShown=00012", "invoice=B7"} << QString();
        QTest::newRow("new customer") << QStringList{"invoice=A1001"} << QString();
        QTest::newRow("ledger without a file")
            << QStringList{"ledgerShown=00011", "invoice=A1001"}
            << "Ledger 00011 is in the index, but its file F:\\LEDGER\\led00011.dat does not "
               "exist. Start it with this invoice?";
    }
    void duplicateInvoice() {
        QFETCH(QStringList, boxes);
        QFETCH(QString, question);
        LedgerSandbox box;
        QStringList names;
        for (int i = 1; i <= 13; ++i)
            names << QStringLiteral("CUSTOMER %1").arg(i);
        writeAll(box.indexFile(), indexOf(names));
        writeAll(box.ledgerFile(12), entryRecord("A1001", QDate(2006, 1, 5), 100));
        writeAll(box.ledgerFile(13),
                 entryRecord("B7", QDate(2006, 1, 4), 100) +
                     entryRecord(QString::fromUtf8("ÉTÉ-7"), QDate(1999, 12, 31), -500) +
                     entryRecord(" A1001", QDate(2006, 1, 5), 12345678) +
                     entryRecord("A1001", QDate(2006, 2, 5), 1) + "A1001");
        const EntryTexts entry = entryWith(boxes);
        LedgerStore store = box.store();

        // No writes nothing and says nothing; Yes posts.
        const auto before = folderBytes(box);
        tw::test::FakeHost host;
        const PostOutcome no = postEntry(entry, store, host);
        QCOMPARE(host.questions, question.isEmpty() ? QStringList() : QStringList{question});
        if (!question.isEmpty()) {
            QVERIFY(!no.posted);
            QCOMPARE(no.error, QString());
            QCOMPARE(folderBytes(box), before);
            host.answers = {true};
            const PostOutcome yes = postEntry(entry, store, host);
            QVERIFY2(yes.posted, qPrintable(yes.error));
            QCOMPARE(host.questions.size(), 2);
        } else {
            QVERIFY2(no.posted, qPrintable(no.error));
        }
    }

    // Each posting, refusal and failure leaves one line in the log with what happened.
    void logged_data() {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("full"); // the ledger file cannot be written
        QTest::addColumn<QString>("line");
        QTest::newRow("new ledger")
            << QStringList{"invoice=A1001", "preTax=$1,234.50"} << false
            << "info tw.posting: posted to ledger 00002 (new) invoice \"A1001\" amount 1234.5 "
               "at offset 0 of F:\\LEDGER\\led00002.dat";
        QTest::newRow("known ledger")
            << QStringList{"invoice=B7", "ledgerShown=00001"} << false
            << "info tw.posting: posted to ledger 00001 invoice \"B7\" amount 100 at offset "
               "128 of F:\\LEDGER\\led00001.dat";
        QTest::newRow("refused") << QStringList{"customer="} << false
                                 << "info tw.posting: refused: " + kBlank;
        QTest::newRow("declined")
            << QStringList{"invoice=OLD", "ledgerShown=00001"} << false
            << "info tw.posting: not posted, the operator declined: Invoice OLD is already in "
               "ledger 00001, dated 1/4/2006, for $1.00. Post it again?";
        QTest::newRow("failed")
            << QStringList{"invoice=C3"} << true
            << "warning tw.posting: not posted: invoice \"C3\" amount 100 "
               "customer \"BRAND NEW\" - The invoice was not posted. Cannot open "
               "F:\\LEDGER\\led00002.dat";
    }
    void logged() {
        QFETCH(QStringList, boxes);
        QFETCH(bool, full);
        QFETCH(QString, line);
        LedgerSandbox box;
        writeAll(box.indexFile(), indexOf({"A"}));
        writeAll(box.ledgerFile(1), entryRecord("OLD", QDate(2006, 1, 4), 100));
        if (full)
            QVERIFY(QFile::link("/dev/full", box.ledgerFile(2)));
        QString log;
        {
            tw::LogInstallation install(box.prog);
            install.setEchoToStandardError(false);
            log = install.logPath();
            LedgerStore store = box.store();
            tw::test::FakeHost host;
            postEntry(entryWith(boxes), store, host);
        }
        const QStringList lines = QString::fromUtf8(readAll(log)).split('\n', Qt::SkipEmptyParts);
        QStringList posting;
        for (const QString& l : lines) {
            if (l.contains(" tw.posting: "))
                posting << l.mid(l.indexOf(' ', l.indexOf(' ') + 1) + 1); // without the time
        }
        QCOMPARE(posting.size(), 1);
        QVERIFY2(posting[0].startsWith(line), qPrintable(posting[0]));
    }

    // A ledger allocated before its file could be written is reported, so that the retry
    // adds the invoice to it instead of allocating a second one.
    void allocatedThenFailed() {
        LedgerSandbox box;
        writeAll(box.indexFile(), indexOf({"A"}));
        QVERIFY(QFile::link("/dev/full", box.ledgerFile(2)));
        LedgerStore store = box.store();
        Posting posting = *prepare(goodEntry()).posting;
        const PostOutcome failed = post(store, posting);
        QVERIFY(!failed.posted);
        QCOMPARE(failed.ledger, 2);
        QVERIFY(failed.created);
        QVERIFY2(failed.error.startsWith("The invoice was not posted. ") &&
                     failed.error.contains("F:\\LEDGER\\led00002.dat") &&
                     failed.error.endsWith(" The customer now has ledger 00002; posting again "
                                           "adds the invoice to it."),
                 qPrintable(failed.error));

        QFile::remove(box.ledgerFile(2));
        posting.ledger = failed.ledger;
        const PostOutcome retried = post(store, posting);
        QVERIFY2(retried.posted, qPrintable(retried.error));
        QCOMPARE(retried.ledger, 2);
        QCOMPARE(readAll(box.indexFile()), indexOf({"A", "BRAND NEW"}));
        QCOMPARE(readAll(box.ledgerFile(2)), posting.record);
    }

    // A failure before any ledger is known names no ledger.
    void missingFolderNamesTheIndex() {
        LedgerSandbox box;
        tw::ledger::LedgerStore store(box.paths, QStringLiteral("F:\\GONE"));
        const PostOutcome out = post(store, *prepare(goodEntry()).posting);
        QVERIFY(!out.posted);
        QCOMPARE(out.ledger, 0);
        QVERIFY2(out.error.contains("F:\\GONE\\ledger.ndx") &&
                     !out.error.contains("now has ledger"),
                 qPrintable(out.error));
    }

    // What follows the write sees the record on disk and can only add a warning.
    void afterDurableRunsOnceOnTheWrittenRecord() {
        LedgerSandbox box;
        writeAll(box.indexFile(), indexOf({"A"}));
        writeAll(box.ledgerFile(1), QByteArray(126, 'x') + "\r\n");
        LedgerStore store = box.store();
        const Posting posting = Posting::toLedger(1, prepare(goodEntry()).posting->record, "A");
        int calls = 0;
        const PostOutcome out = post(store, posting, [&](const Posting& p, const PostOutcome& o) {
            ++calls;
            const QByteArray file = readAll(box.ledgerFile(1));
            if (o.offset != 128 || file.mid(o.offset) != p.record)
                return QStringLiteral("record not on disk");
            return QStringLiteral("journal unwritable");
        });
        QVERIFY(out.posted);
        QCOMPARE(calls, 1);
        QCOMPARE(out.warning, QStringLiteral("journal unwritable"));

        // Not called for a posting that failed.
        QVERIFY(QFile::link("/dev/full", box.ledgerFile(2)));
        const PostOutcome failed = post(store, Posting::toLedger(2, posting.record),
                                        [&](const Posting&, const PostOutcome&) {
                                            ++calls;
                                            return QString();
                                        });
        QVERIFY(!failed.posted);
        QCOMPARE(calls, 1);
    }
};

TW_REGISTER_TEST(PostingTest)
#include "postingtest.moc"
