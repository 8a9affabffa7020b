// Reading a spreadsheet file: records as RFC 4180 has them in any of the three separators and
// both encodings, the header's names matched to fields, and assignments remembered.
#include "batch/columns.h"
#include "batch/csvreader.h"
#include "settings/settings.h"
#include "testregistry.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using namespace tw::batch;

class ReadingTest : public QObject {
    Q_OBJECT
private slots:
    void records_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("records"); // " / " between records, "|" between fields;
                                              // "!" ends an unclosed one, "#" one with a NUL
        QTest::newRow("comma, CR LF") << QByteArray("a,b\r\nc,d\r\n") << "a|b / c|d";
        QTest::newRow("LF, no last line end") << QByteArray("a,b\nc,d") << "a|b / c|d";
        QTest::newRow("semicolon") << QByteArray("a;b;c,d\r\n1;2;3") << "a|b|c,d / 1|2|3";
        QTest::newRow("tab") << QByteArray("a\tb\n1,5\t2") << "a|b / 1,5|2";
        QTest::newRow("separators in quotes not counted")
            << QByteArray("\"a;b;c\",d\n") << "a;b;c|d";
        QTest::newRow("quoted separator") << QByteArray("\"x,y\",z\n") << "x,y|z";
        QTest::newRow("doubled quotes") << QByteArray("\"say \"\"hi\"\"\",1") << "say \"hi\"|1";
        QTest::newRow("line break in quotes")
            << QByteArray("a,b\r\n\"two\r\nlines\",3\r\n") << "a|b / two\r\nlines|3";
        QTest::newRow("empty fields and line") << QByteArray("a,\n\n,b") << "a| /  / |b";
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFName,Total\n") << "Name|Total";
        QTest::newRow("UTF-8") << QByteArray("Caf\xC3\xA9,\xE2\x82\xAC") << "Caf\u00e9|\u20ac";
        QTest::newRow("Windows-1252") << QByteArray("Caf\xE9,\x80") << "Caf\u00e9|\u20ac";
        QTest::newRow("unclosed quote at the end")
            << QByteArray("a,b\n1,\"open\nmore") << "a|b / 1|open\nmore!";
        QTest::newRow("NUL byte") << QByteArray("a,b\n1,x\0y\n", 10) << "a|b / 1|xy#";
    }
    void records() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, records);
        QByteArray copy = bytes;
        QBuffer buffer(&copy);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const char separator = findSeparator(QByteArray(bytes).replace(kUtf8Bom, ""));
        CsvReader reader(buffer, separator);
        QStringList got;
        CsvRecord r;
        std::int64_t end = bytes.startsWith(kUtf8Bom) ? 3 : 0;
        while (reader.next(r)) {
            QStringList fields;
            for (const QByteArray& f : r.fields)
                fields << decodeText(f).remove(QChar(0));
            got << fields.join('|') + (r.unclosedQuote ? "!" : "") + (r.hasNul ? "#" : "");
            // Records follow one another without a gap and read again from their own bytes.
            QCOMPARE(r.offset, end);
            end += r.length;
            QCOMPARE(parseRecord(bytes.mid(r.offset, r.length), separator).fields, r.fields);
        }
        QCOMPARE(end, bytes.size());
        QCOMPARE(got.join(" / "), records);
    }

    void headerNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("field");
        const QList<std::pair<const char*, const char*>> rows = {
            {"Customer", "Customer"},
            {"CUSTOMER NAME", "Customer"},
            {"client", "Customer"},
            {"Invoice #", "Invoice"},
            {"Invoice No.", "Invoice"},
            {"invoice_number", "Invoice"},
            {"Job No", "Job"},
            {"Job Number", "Job"},
            {"PO", "P.O."},
            {"P.O. Number", "P.O."},
            {"Purchase Order", "P.O."},
            {"Qty", "Quantity"},
            {"Product Code", "Product"},
            {" Description ", "Description"},
            {"Date", "Invoice Date"},
            {"Invoice-Date", "Invoice Date"},
            {"Due Date", "Due Date"},
            {"Amount", "Pre-Tax Amount"},
            {"Net", "Pre-Tax Amount"},
            {"Pre-Tax Amount", "Pre-Tax Amount"},
            {"TAX", "Tax"},
            {"Total", "Invoice Amount"},
            {"Gross", "Invoice Amount"},
            {"Invoice Amount", "Invoice Amount"},
            {"Notes", "(ignored)"},
            {"", "(ignored)"},
        };
        for (const auto& [name, field] : rows)
            QTest::newRow(name) << QString(name) << QString(field);
    }
    void headerNames() {
        QFETCH(QString, name);
        QFETCH(QString, field);
        QCOMPARE(fieldName(fieldOfHeader(name)), field);
    }

    void missingColumns_data() {
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<QStringList>("named"); // parts of the message; none: nothing missing
        QTest::newRow("complete, a field twice")
            << QStringList{"Total", "Customer", "Invoice", "Date", "Gross"} << QStringList();
        QTest::newRow("first line is data")
            << QStringList{"ACME", "1001", "1/5/2006", "100"}
            << QStringList{"Customer (or", "Invoice (or", "Invoice Date", "an amount",
                           "holds 4 columns:\n  [ACME] [1001] [1/5/2006] [100]"};
        QTest::newRow("separator not found")
            << QStringList{"Customer|Invoice|Date|Net"}
            << QStringList{"Customer (or", "comma as separator", "holds 1 column"};
        QTest::newRow("no amount") << QStringList{"Client", "Invoice No", "Date", "Tax"}
                                   << QStringList{"no column for:\n  an amount"};
    }
    void missingColumns() {
        QFETCH(QStringList, header);
        QFETCH(QStringList, named);
        const QList<Field> columns = assignColumns(header);
        QCOMPARE(columns.count(Field::InvoiceAmount), header.count("Total") ? 1 : 0);
        const QString message = missingColumnsMessage("march.csv", header, ',', columns);
        QCOMPARE(message.isEmpty(), named.isEmpty());
        for (const QString& part : named)
            QVERIFY2(message.contains(part), qPrintable(message));
    }

    // An assignment changed by hand comes back for a file with the same header only.
    void assignmentRemembered() {
        QTemporaryDir dir;
        tw::settings::SettingsStore store(dir.path());
        const QStringList header{"Kunde", "Rechnung", "Datum", "Netto"};
        const QStringList other{"Kunde", "Rechnung", "Datum", "Brutto"};
        QCOMPARE(recallColumns(store, header), std::nullopt);
        const QList<Field> chosen{Field::Customer, Field::Invoice, Field::InvoiceDate,
                                  Field::PreTax};
        QVERIFY(rememberColumns(store, header, chosen));
        QVERIFY(rememberColumns(store, other, QList<Field>(4, Field::None)));
        QCOMPARE(recallColumns(store, header), chosen);
        QCOMPARE(recallColumns(store, other), QList<Field>(4, Field::None));
        QCOMPARE(recallColumns(store, header.mid(1)), std::nullopt);
    }
};
TW_REGISTER_TEST(ReadingTest)

#include "readingtest.moc"
