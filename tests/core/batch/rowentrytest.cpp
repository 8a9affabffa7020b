// A row of a file becomes what Post writes for the same values: dates in the chosen order and
// never swapped, amounts with either decimal mark, the tax from the file or the default rate,
// and Post's refusals naming the row, the column and the value.
#include "batch/rowentry.h"
#include "ledger/posting.h"
#include "testregistry.h"

#include <QtTest>

using namespace tw::batch;

class RowEntryTest : public QObject {
    Q_OBJECT
private slots:
    void dates_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date"); // invalid: not a date in that order
        const QDate jan5(2006, 1, 5), dec25(2006, 12, 25);
        QTest::newRow("mdy") << "mdy"
                             << "1/5/2006" << jan5;
        QTest::newRow("dmy") << "dmy"
                             << "5/1/2006" << jan5;
        QTest::newRow("dmy with dots") << "dmy"
                                       << "25.12.2006" << dec25;
        QTest::newRow("ymd") << "ymd"
                             << "2006-12-25" << dec25;
        QTest::newRow("ymd two-digit year") << "ymd"
                                            << "06/12/25" << dec25;
        QTest::newRow("four-digit year first in mdy") << "mdy"
                                                      << "2006-01-05" << jan5;
        QTest::newRow("four-digit year first in dmy") << "dmy"
                                                      << "2006-12-25" << dec25;
        QTest::newRow("time of day ignored") << "mdy"
                                             << "1/5/2006 0:00" << jan5;
        QTest::newRow("no year: this year") << "dmy"
                                            << "5/1" << QDate(2024, 1, 5);
        QTest::newRow("mdy never swapped") << "mdy"
                                           << "25/12/2006" << QDate();
        QTest::newRow("dmy never swapped") << "dmy"
                                           << "12/25/2006" << QDate();
        QTest::newRow("ymd never swapped") << "ymd"
                                           << "06/25/12" << QDate();
        QTest::newRow("no such day") << "mdy"
                                     << "2/30/2006" << QDate();
    }
    void dates() {
        QFETCH(QString, order);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(readDateInOrder(text, *dateOrderOf(order), QDate(2024, 3, 15)).value_or(QDate()),
                 date);
    }

    void amounts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("decimalComma");
        QTest::addColumn<qint64>("cents"); // -1: does not read
        QTest::newRow("plain") << "1234.5" << false << qint64(123450);
        QTest::newRow("money text") << " $1,234.50 " << false << qint64(123450);
        QTest::newRow("decimal comma read as a point") << "12,50" << false << qint64(-1);
        QTest::newRow("grouping out of place") << "1,2345" << false << qint64(-1);
        QTest::newRow("decimal comma") << "12,5" << true << qint64(1250);
        QTest::newRow("decimal comma, point groups") << "1.234.567,89" << true << qint64(123456789);
        QTest::newRow("point read as a comma") << "1,234.50" << true << qint64(-1);
    }
    void amounts() {
        QFETCH(QString, text);
        QFETCH(bool, decimalComma);
        QFETCH(qint64, cents);
        QCOMPARE(readAmount(text, decimalComma).value_or(-1), cents);
    }

    // Each row against the entry an operator would type for it in the main window.
    void rowAsPost_data() {
        QTest::addColumn<QStringList>("row"); // Customer, Invoice, Date, Job, Amount, Tax, Total
        QTest::addColumn<bool>("addTax");
        QTest::addColumn<QStringList>("typed"); // pre-tax, tax, invoice amount, tax switch
        QTest::addColumn<QString>("error");     // what the row's message holds instead
        const QStringList row{"ACME PRINTING", "1001", "1/5/2006", "4711", "100", "", ""};
        const auto with = [&row](int at, const QString& value, int at2 = -1,
                                 const QString& value2 = {}) {
            QStringList r = row;
            r[at] = value;
            if (at2 >= 0)
                r[at2] = value2;
            return r;
        };
        QTest::newRow("pre-tax amount")
            << row << false << QStringList{"$100.00", "", "", "0"} << "";
        QTest::newRow("tax and total agree")
            << with(5, "6", 6, "106") << false << QStringList{"$100.00", "$6.00", "$106.00", "1"}
            << "";
        QTest::newRow("tax without total")
            << with(5, "6") << false << QStringList{"$100.00", "$6.00", "$106.00", "1"} << "";
        QTest::newRow("total only")
            << with(4, "", 6, "106") << false << QStringList{"$106.00", "", "", "0"} << "";
        QTest::newRow("default rate added")
            << row << true << QStringList{"$100.00", "$6.50", "$106.50", "1"} << "";
        QTest::newRow("no tax on a credit")
            << with(4, "-50") << true << QStringList{"-$50.00", "", "", "0"} << "";
        QTest::newRow("tax and total disagree")
            << with(5, "6", 6, "107") << false << QStringList()
            << "Row 7, column \"Total\", value \"107\": The Invoice Amount $107.00 is not the "
               "Pre-Tax Amount $100.00 plus the Tax $6.00. Nothing was posted.";
        QTest::newRow("impossible date")
            << with(2, "2/30/2006") << false << QStringList()
            << "Row 7, column \"Date\", value \"2/30/2006\": The Invoice Date \"2/30/2006\" is "
               "not a date in the order month/day/year. Nothing was posted.";
        QTest::newRow("blank customer")
            << with(0, "") << false << QStringList()
            << "Row 7, column \"Customer\", value \"\": Warning: Customer, Date or Amount Cannot "
               "Be Blank!";
        QTest::newRow("blank invoice") << with(1, " ") << false << QStringList()
                                       << "column \"Invoice\", value \" \": The Invoice Number "
                                          "is blank";
        QTest::newRow("invoice too long")
            << with(1, "INV-2024-0001") << false << QStringList()
            << "The Invoice Number \"INV-2024-0001\" is longer than the 8 characters";
        QTest::newRow("amount no number") << with(4, "abc") << false << QStringList()
                                          << "The Pre-Tax Amount \"abc\" is not a number.";
        QTest::newRow("name the ledger cannot hold")
            << with(0, "\u6771\u4eac") << false << QStringList()
            << "The Customer Name \"\u6771\u4eac\" has characters that the ledger files cannot "
               "hold.";
    }
    void rowAsPost() {
        QFETCH(QStringList, row);
        QFETCH(bool, addTax);
        QFETCH(QStringList, typed);
        QFETCH(QString, error);
        const QStringList header{"Customer", "Invoice", "Date", "Job", "Amount", "Tax", "Total"};
        Options options;
        options.addTax = addTax;
        options.defaultTax = "6.5";
        const RowEntry got = checkRow(row, header, assignColumns(header), options, 7);
        if (!error.isEmpty()) {
            QVERIFY(!got.posting);
            QVERIFY2(got.error.contains(error), qPrintable(got.error));
            // The column the message names is the one the error is on.
            QCOMPARE(got.column, int(header.indexOf(got.error.section('"', 1, 1))));
            return;
        }
        tw::ledger::EntryTexts e;
        e.customer = row[0];
        e.invoice = row[1];
        e.invoiceDate = row[2];
        e.job = "00004711"; // as the job box leaves it
        e.preTax = typed[0];
        e.tax = typed[1];
        e.invoiceAmount = typed[2];
        e.taxOn = typed[3] == "1";
        const auto post = tw::ledger::prepare(e);
        QVERIFY2(got.posting, qPrintable(got.error));
        QVERIFY(post.posting);
        QCOMPARE(got.posting->record, post.posting->record);
    }
};
TW_REGISTER_TEST(RowEntryTest)

#include "rowentrytest.moc"
