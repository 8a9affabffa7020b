// Finding entries across every ledger: the matching rule as one table, the refusals, and the
// files that cannot be searched in full, each one problem row while the search goes on.
#include "find/ledgersearch.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QtTest>

#include <sys/stat.h>

using namespace tw::find;
using tw::test::entryBytes;
using tw::test::LedgerSandbox;
using tw::test::writeAll;

namespace {

// Ledger 1 (ACME PRINTING): 0 the invoice 4711, 1 a longer invoice and an accented
// description, 2 its reversal with a blank before the invoice, 3 a date that does not read.
// Ledger 2 (ZENITH PRESS): 0 job 00004711 and P.O. 4711.
void writeLedgers(const LedgerSandbox& box) {
    writeAll(box.indexFile(), tw::test::indexOf({"ACME PRINTING", "ZENITH PRESS"}));
    QByteArray undated = entryBytes("X1", QDate(2006, 1, 5), 1000, "=SUM(A1)");
    undated.replace(8, 6, "06AB05");
    writeAll(box.ledgerFile(1),
             entryBytes("4711", QDate(2006, 1, 5), 12345) +
                 entryBytes("47110", QDate(2006, 3, 1), 50000, "Letterhead for \u00c9mile",
                            "00000047", "A4711") +
                 entryBytes(" 4711", QDate(2006, 2, 1), -12345, "REVERSAL 500, Business cards") +
                 undated);
    writeAll(box.ledgerFile(2),
             entryBytes("5000", QDate(2005, 12, 31), 9999, "acme look-alike", "00004711", "4711"));
}

// Runs the search to its end; the entries as "ledger/record", the problems as their texts.
struct Found {
    QStringList entries, problems;
};
Found search(const LedgerSandbox& box, const Query& q) {
    LedgerSearch s(box.paths, QStringLiteral("F:\\LEDGER"), q);
    while (s.step(std::chrono::milliseconds(100))) {
    }
    Found f;
    for (const FindRow& row : s.rows()) {
        if (row.isProblem())
            f.problems << s.problemText(row);
        else
            f.entries << QStringLiteral("%1/%2").arg(row.ledger).arg(row.record);
    }
    return f;
}

Query checked(const QueryTexts& t) {
    const QueryCheck c = checkQuery(t, QDate(2006, 1, 15));
    if (!c.query)
        qFatal("refused: %s", qPrintable(c.message));
    return *c.query;
}

} // namespace

class FindTest : public QObject {
    Q_OBJECT
private slots:
    void matching_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<QStringList>("ranges"); // from, to, min, max
        QTest::addColumn<QStringList>("found");
        const QStringList none{"", "", "", ""};
        const auto row = [&](const char* name, const char* text, Field f, bool exact,
                             const QStringList& ranges, const QStringList& found) {
            QTest::newRow(name) << text << int(f) << exact << ranges << found;
        };
        row("invoice containing", "4711", Field::Invoice, false, none, {"1/0", "1/1", "1/2"});
        row("invoice exact, blanks at the ends", " 4711 ", Field::Invoice, true, none,
            {"1/0", "1/2"});
        row("job", "4711", Field::Job, false, none, {"1/0", "1/2", "1/3", "2/0"});
        row("P.O.", "4711", Field::PO, false, none, {"1/1", "2/0"});
        row("description, either case", "business", Field::Description, false, none,
            {"1/0", "1/2"});
        row("accented letter, either case", "\u00e9MILE", Field::Description, false, none, {"1/1"});
        row("any field", "ACME", Field::Any, false, none, {"2/0"});
        row("any field, exact", "4711", Field::Any, true, none, {"1/0", "1/2", "2/0"});
        row("dates and amounts are no text field", "0601", Field::Any, false, none, {});
        row("never across two fields", "4711060105", Field::Any, false, none, {});
        row("date range, both ends kept", "", Field::Any, false, {"1/5/2006", "2/1/2006", "", ""},
            {"1/0", "1/2"});
        row("a date that does not read is in no range", "X1", Field::Invoice, false,
            {"1/1/2000", "", "", ""}, {});
        row("the same without a range", "X1", Field::Invoice, false, none, {"1/3"});
        row("amount range takes reversals", "", Field::Any, false, {"", "", "-$200", "0"}, {"1/2"});
        row("text and amount", "4711", Field::Invoice, false, {"", "", "100", ""}, {"1/0", "1/1"});
    }
    void matching() {
        QFETCH(QString, text);
        QFETCH(int, field);
        QFETCH(bool, exact);
        QFETCH(QStringList, ranges);
        QFETCH(QStringList, found);
        LedgerSandbox box;
        writeLedgers(box);
        const Found f = search(
            box, checked({text, Field(field), exact, ranges[0], ranges[1], ranges[2], ranges[3]}));
        QCOMPARE(f.entries, found);
        QCOMPARE(f.problems, QStringList());
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("texts"); // text, from, to, min, max
        QTest::addColumn<QString>("message");   // "": accepted
        QTest::newRow("outside Windows-1252")
            << QStringList{"caf\u00e9 \u2713", "", "", "", ""}
            << "The search text \"caf\u00e9 \u2713\" has characters that the ledger files cannot "
               "hold (\"\u2713\")";
        QTest::newRow("the euro sign is held") << QStringList{"\u20ac5", "", "", "", ""} << "";
        QTest::newRow("dates end before they start")
            << QStringList{"x", "2/1/2006", "1/1/2006", "", ""}
            << "The date range ends (1/1/2006) before it starts (2/1/2006).";
        QTest::newRow("amounts end before they start")
            << QStringList{"x", "", "", "10", "5"}
            << "The amount range ends ($5.00) before it starts ($10.00).";
        QTest::newRow("not a date")
            << QStringList{"x", "13/45/06", "", "", ""} << "\"13/45/06\" is not a date.";
        QTest::newRow("not an amount")
            << QStringList{"x", "", "", "ten", ""} << "\"ten\" is not an amount.";
        QTest::newRow("nothing to look for")
            << QStringList{"   ", "", "", "", ""} << "Type what to find";
    }
    void refusals() {
        QFETCH(QStringList, texts);
        QFETCH(QString, message);
        const QueryCheck c =
            checkQuery({texts[0], Field::Any, false, texts[1], texts[2], texts[3], texts[4]},
                       QDate(2006, 1, 15));
        QCOMPARE(c.query.has_value(), message.isEmpty());
        QVERIFY2(message.isEmpty() ? c.message.isEmpty() : c.message.startsWith(message),
                 qPrintable(c.message));
    }

    // Ledger 2 cannot be searched in full: one problem row names it, and ledgers 1 and 3 are
    // searched all the same. None of these may hang. A name in other letters is no problem.
    void problemRows_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("problem");
        QTest::newRow("missing") << "missing" << QStringList{"1/0", "3/0"}
                                 << "F:\\LEDGER\\led00002.dat: the ledger file is not there.";
        QTest::newRow("a folder") << "folder" << QStringList{"1/0", "3/0"}
                                  << "Cannot open F:\\LEDGER\\led00002.dat: Is a directory.";
        QTest::newRow("a pipe") << "pipe" << QStringList{"1/0", "3/0"}
                                << "Cannot open F:\\LEDGER\\led00002.dat: it is a pipe";
        QTest::newRow("a link loop") << "loop" << QStringList{"1/0", "3/0"}
                                     << "F:\\LEDGER\\led00002.dat: the ledger file is a link";
        QTest::newRow("torn") << "torn" << QStringList{"1/0", "2/0", "3/0"}
                              << "F:\\LEDGER\\led00002.dat offset 128: the last record is torn "
                                 "(40 of 128 bytes).";
        QTest::newRow("named in capitals: no problem")
            << "capitals" << QStringList{"1/0", "2/0", "3/0"} << "";
        QTest::newRow("not listed")
            << "unlisted" << QStringList{"1/0", "2/0", "3/0"}
            << "F:\\LEDGER\\led00009.dat: the ledger index does not list this ledger file";
    }
    void problemRows() {
        QFETCH(QString, kind);
        QFETCH(QStringList, found);
        QFETCH(QString, problem);
        LedgerSandbox box;
        writeAll(box.indexFile(), tw::test::indexOf({"A", "B", "C"}));
        const QByteArray entry = entryBytes("A1", QDate(2006, 1, 5), 100);
        for (int n : {1, 2, 3})
            writeAll(box.ledgerFile(n), entry);
        const QByteArray second = QFile::encodeName(box.ledgerFile(2));
        if (kind != "torn" && kind != "unlisted" && kind != "capitals")
            QVERIFY(QFile::remove(box.ledgerFile(2)));
        if (kind == "folder")
            QVERIFY(QDir().mkdir(box.ledgerFile(2)));
        if (kind == "pipe")
            QCOMPARE(::mkfifo(second.constData(), 0644), 0);
        if (kind == "loop")
            QVERIFY(QFile::link(box.ledgerFile(2), box.ledgerFile(2)));
        if (kind == "torn")
            writeAll(box.ledgerFile(2), entry + QByteArray(40, 'x'));
        if (kind == "unlisted")
            writeAll(box.ledgerFile(9), entry);
        if (kind == "capitals")
            QVERIFY(QFile::rename(box.ledgerFile(2), box.file("LED00002.DAT")));

        const Found f = search(box, checked({"a1", Field::Invoice, true, {}, {}, {}, {}}));
        QCOMPARE(f.entries, found);
        QCOMPARE(f.problems.size(), problem.isEmpty() ? 0 : 1);
        QVERIFY2(problem.isEmpty() || f.problems[0].startsWith(problem),
                 qPrintable(f.problems.join('\n')));
    }

    // A slice reads at least one ledger; progress and a cancelled search say how far it got.
    void slicesCanBeCancelled() {
        LedgerSandbox box;
        writeLedgers(box);
        LedgerSearch s(box.paths, QStringLiteral("F:\\LEDGER"),
                       checked({"4711", Field::Any, false, {}, {}, {}, {}}));
        QVERIFY(s.step(std::chrono::milliseconds(0)));
        QCOMPARE(s.progressText(), QStringLiteral("Searched 1 of 2 ledgers"));
        QCOMPARE(s.rows().size(), std::size_t(4));
        s.cancel();
        QVERIFY(!s.step(std::chrono::milliseconds(100)));
        QCOMPARE(s.rows().size(), std::size_t(4));
        QCOMPARE(s.summaryText(), QStringLiteral("4 entries found, total $510.00; stopped after "
                                                 "1 of 2 ledgers"));
        const tw::exports::Table t = s.table();
        QCOMPARE(t.rows.size(), 4);
        QCOMPARE(t.subtitle, QStringLiteral("any field contains \"4711\""));
        QCOMPARE(t.totals[0][6].number, std::optional<std::int64_t>(51000));
    }
};

TW_REGISTER_TEST(FindTest)
#include "findtest.moc"
