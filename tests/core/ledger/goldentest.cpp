// Golden cases of the ledger folder's files. Each folder of tests/golden holds the ledger
// folder before (before/), what is applied to it (case.txt: an entry posted, a record reversed
// or the ledger check run) and the folder expected after (after/, with output.txt for the
// check, or the operator's message). The journal's time, user and computer differ from run to run
// and read "*" there. TW_GOLDEN_RECORD=1 writes what a case gives into its after/ instead, for a
// new case.
#include "ledger/journal.h"
#include "ledger/ledgercheck.h"
#include "ledger/posting.h"
#include "ledger/reversal.h"
#include "postingdriver.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QMap>
#include <QRegularExpression>
#include <QTextStream>
#include <QtTest>

using namespace tw::ledger;

namespace {

const QString kGolden = QStringLiteral(TW_TEST_DATA_DIR "/../golden");

// The journal's lines with their first three fields (time, user, computer) as "*".
QByteArray masked(const QByteArray& journal) {
    QList<QByteArray> lines = journal.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!lines[i].isEmpty())
            lines[i] = "*,*,*," + lines[i].split(',').mid(3).join(',');
    }
    return lines.join('\n');
}

// Every file of a folder, by name, with its bytes.
QMap<QString, QByteArray> filesOf(const QString& dir) {
    QMap<QString, QByteArray> out;
    for (const QString& name : QDir(dir).entryList(QDir::Files)) {
        const QByteArray bytes = tw::test::readAll(dir + '/' + name);
        out.insert(name, name == journalFileName() ? masked(bytes) : bytes);
    }
    return out;
}

QDate dateOf(const QString& text) {
    return QDate::fromString(text, Qt::ISODate);
}

} // namespace

class GoldenTest : public QObject {
    Q_OBJECT
private slots:
    void cases_data() {
        QTest::addColumn<QString>("dir");
        for (const QString& name : QDir(kGolden).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            QTest::newRow(qPrintable(name)) << kGolden + '/' + name;
    }
    void cases() {
        QFETCH(QString, dir);
        tw::test::LedgerSandbox f;
        for (const auto& [name, bytes] : filesOf(dir + "/before").asKeyValueRange())
            tw::test::writeAll(f.file(name), bytes);
        // case.txt: what is done, then its fields as name=value; "#" starts a comment line.
        QStringList lines =
            QString::fromUtf8(tw::test::readAll(dir + "/case.txt")).split('\n', Qt::SkipEmptyParts);
        lines.removeIf([](const QString& line) { return line.startsWith('#'); });
        QMap<QString, QString> c;
        for (const QString& line : lines.mid(1))
            c.insert(line.section('=', 0, 0), line.section('=', 1));
        LedgerStore store = f.store();
        tw::test::FakeHost host;
        host.answers = {c.value("answer") == "yes"};
        QString said;

        if (lines.value(0) == "post") {
            EntryTexts e{c["customer"],      c["invoiceDate"],
                         c["dueDate"],       c["invoice"],
                         c["job"],           c["po"],
                         c["product"],       c["description"],
                         c["preTax"],        c["tax"],
                         c["invoiceAmount"], c["taxOn"] == "1",
                         c["ledger"],        false,
                         dateOf(c["today"])};
            said = postEntry(e, store, host).error;
        } else if (lines.value(0) == "reverse") {
            const ReversalPlan plan =
                planReversal(store, c["ledger"], c["record"].toLongLong(), dateOf(c["today"]));
            said = plan.refusal.isEmpty()
                       ? postReversal(store, c["ledger"], c["customer"], plan).error
                       : plan.refusal;
        } else {
            QTextStream out(&said);
            const int code = runLedgerCheck(c["folder"], f.paths, out);
            QCOMPARE(code, said.endsWith("sound.\n") ? 0 : 1);
            // The file system differs from machine to machine; that it is named stays checked.
            said.replace(QRegularExpression("file system [^\n]*\n"), "file system *.\n");
        }

        if (qEnvironmentVariableIsSet("TW_GOLDEN_RECORD")) {
            QDir(dir + "/after").removeRecursively();
            QDir().mkpath(dir + "/after");
            for (const auto& [name, bytes] : filesOf(f.folder).asKeyValueRange())
                tw::test::writeAll(dir + "/after/" + name, bytes);
            QFile::remove(dir + "/output.txt");
            if (!said.isEmpty())
                tw::test::writeAll(dir + "/output.txt", said.toUtf8());
            QSKIP("recorded");
        }
        QCOMPARE(said, QString::fromUtf8(tw::test::readAll(dir + "/output.txt")));
        const auto got = filesOf(f.folder);
        const auto expected = filesOf(dir + "/after");
        QCOMPARE(got.keys(), expected.keys());
        for (const QString& name : expected.keys())
            QVERIFY2(got[name] == expected[name], qPrintable(name));
    }
};

TW_REGISTER_TEST(GoldenTest)
#include "goldentest.moc"
