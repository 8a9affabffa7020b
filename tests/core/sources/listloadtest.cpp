#include "sources/listload.h"
#include "drivefixture.h"
#include "settings/settings.h"
#include "sources/database.h"
#include "sources/interfacefile.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QtTest>

using namespace tw::sources;

namespace {

// Tells each step the way the rows write it: "match 1", "products 2", ...
struct RecordingView : ListLoadView {
    QStringList log;
    void showMatchOption(bool ticked) override { log << QStringLiteral("match %1").arg(ticked); }
    void showVersion(const QString&) override { log << "version"; }
    void showMode(ListMode m) override {
        log << (m == ListMode::Database ? "mode database" : "mode text");
    }
    void showLedgerFolder(const QString& f) override { log << "ledger " + f; }
    void showEstFolder(const QString& f) override { log << "est " + f; }
    void showDefaultTax() override { log << "tax"; }
    void showProducts(const QStringList& e) override {
        log << "products " + QString::number(e.size());
    }
    void showCustomers(const QStringList& e) override {
        log << "customers " + QString::number(e.size());
    }
};

QByteArray exportFile(int customers) {
    QByteArray bytes;
    for (int i = 0; i < customers; ++i)
        bytes += QByteArray(25, '.') + QByteArray("Customer ").append('A' + i).leftJustified(181);
    return bytes;
}

QByteArray productFile(int products) {
    QByteArray bytes = QByteArray::number(products + 1).leftJustified(43);
    for (int i = 0; i < products; ++i)
        bytes += QByteArray::number(10 + i).leftJustified(43);
    return bytes;
}

// "name=content" under the temporary folder; "-" removes it, "@file" copies a test data file.
void put(const QString& root, const QString& change) {
    const QString path = root + '/' + change.section('=', 0, 0);
    const QString content = change.section('=', 1);
    if (content == "-") {
        QDir(path).removeRecursively();
        QFile::remove(path);
    } else if (content.startsWith('@')) {
        QFile::copy(tw::test::dataFile(content.mid(1)), path);
    } else {
        tw::test::writeAll(path, content.toLatin1());
    }
}

// An interface file: the edition, three blanks, the folder field to position 22.
QString qlcust(const QString& folder) {
    return "0   " + folder.leftJustified(18) + "\r\n";
}

const QString kFolders = "ledger F:\\LEDGER; est F:\\EST; tax";

} // namespace

// A program folder with the ledger folder F:\LEDGER and the estimating folder F:\EST (two
// products, three customers in F:\EST\, one in F:\CUST\); G:\EST lists one product and its
// customers in \CUST\ (two on G:). Each row changes files, starts up or refreshes, and
// compares what was shown, said and left in the files.
class ListLoadTest : public QObject {
    Q_OBJECT
private slots:
    void startUpAndRefresh_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QStringList>("after");
        const QString lists = "; products 2; customers 3";
        const QString text = "match 0; version; mode text; " + kFolders + "; mode text";
        const QString db = "match 0; version; mode database; " + kFolders + "; mode database";
        const QString refreshed = "products 0; customers 0; est F:\\EST; version; mode text";
        QTest::newRow("text files") << "start" << QStringList{} << text + lists << QStringList{}
                                    << "finished" << QStringList{"prog/interface.dat=0\r\n"};
        QTest::newRow("Check.Dat 1")
            << "start" << QStringList{"prog/Check.Dat=1\r\n"} << "match 1" + text.mid(7) + lists
            << QStringList{} << "finished" << QStringList{};
        QTest::newRow("Check.Dat 1.0")
            << "start" << QStringList{"prog/Check.Dat=1.0\r\n"} << text + lists << QStringList{}
            << "finished" << QStringList{};
        QTest::newRow("Check.Dat missing: the mode is not read")
            << "start" << QStringList{"prog/Check.Dat=-", "prog/interface.dat=1\r\n"}
            << kFolders + "; mode text" + lists << QStringList{} << "finished"
            << QStringList{"prog/Check.Dat=0\r\n", "prog/interface.dat=1\r\n"};
        QTest::newRow("interface.dat missing")
            << "start" << QStringList{"prog/interface.dat=-"} << text + lists << QStringList{}
            << "finished" << QStringList{"prog/interface.dat=0\r\n"};
        QTest::newRow("interface.dat empty")
            << "start" << QStringList{"prog/interface.dat="} << text + lists << QStringList{}
            << "finished" << QStringList{"prog/interface.dat=0\r\n"};
        QTest::newRow("interface.dat abc")
            << "start" << QStringList{"prog/interface.dat=abc\r\n"} << text + lists << QStringList{}
            << "finished" << QStringList{"prog/interface.dat=abc\r\n"};
        for (const char* value : {"2", "-1", " 1", "0.5"})
            QTest::addRow("interface.dat %s, no database set", value)
                << "start" << QStringList{QStringLiteral("prog/interface.dat=%1\r\n").arg(value)}
                << db << QStringList{kDatabaseNotSet} << "stopped" << QStringList{};
        QTest::newRow("Ledger.dat missing")
            << "start" << QStringList{"prog/Ledger.dat=-"} << "match 0; version; mode text"
            << QStringList{kPathNotSet} << "stopped" << QStringList{"prog/estloc.dat=F:\\EST\r\n"};
        QTest::newRow("estloc.dat empty") << "start" << QStringList{"prog/estloc.dat=\r\n"}
                                          << "match 0; version; mode text; ledger F:\\LEDGER"
                                          << QStringList{kPathNotSet} << "stopped" << QStringList{};
        QTest::newRow("no interface file: the folder forgotten, the program ends")
            << "start" << QStringList{"f/EST/QLCUST=-"} << text + "; products 2"
            << QStringList{"Warning: There is no customer file available in F:\\EST! Ending "
                           "Program and Deleting Path."}
            << "end" << QStringList{"prog/estloc.dat=-", "prog/Ledger.dat=F:\\LEDGER\r\n"};
        QTest::newRow("estimating folder gone")
            << "start" << QStringList{"f/EST=-"} << text + "; products 0" << QStringList{}
            << "stopped" << QStringList{"prog/estloc.dat=F:\\EST\r\n"};
        QTest::newRow("Amber") << "start" << QStringList{"f/EST/QLCUST=2   \\AMBER\\\r\n"}
                               << text + "; products 2; customers 0" << QStringList{kAmberMessage}
                               << "finished" << QStringList{};
        QTest::newRow("empty interface file")
            << "start" << QStringList{"f/EST/QLCUST="} << text + "; products 2; customers 0"
            << QStringList{} << "stopped" << QStringList{};
        // The customer data lies on the ledger folder's drive at the start-up, on the
        // estimating folder's at a refresh.
        QTest::newRow("start-up: customers on F:")
            << "start" << QStringList{"prog/estloc.dat=G:\\EST\r\n"}
            << QString(text).replace("F:\\EST", "G:\\EST") + "; products 1; customers 1"
            << QStringList{} << "finished" << QStringList{};
        QTest::newRow("refresh: customers on G:")
            << "refresh" << QStringList{"prog/estloc.dat=G:\\EST\r\n"}
            << QString(refreshed).replace("F:\\EST", "G:\\EST") + "; products 1; customers 2"
            << QStringList{} << "finished" << QStringList{};
        // A folder field without its last separator: F:\ESTQUILLBAR.CLI at the start-up (made
        // empty), F:\EST\QUILLBAR.CLI at a refresh.
        QTest::newRow("start-up: folder field without separator")
            << "start" << QStringList{"f/EST/QLCUST=" + qlcust("\\EST")}
            << text + "; products 2; customers 0" << QStringList{} << "finished"
            << QStringList{"f/ESTQUILLBAR.CLI="};
        QTest::newRow("refresh: folder field without separator")
            << "refresh" << QStringList{"f/EST/QLCUST=" + qlcust("\\EST")} << refreshed + lists
            << QStringList{} << "finished" << QStringList{};
        QTest::newRow("refresh") << "refresh" << QStringList{} << refreshed + lists << QStringList{}
                                 << "finished" << QStringList{};
        QTest::newRow("refresh: no interface file, nothing said or forgotten")
            << "refresh" << QStringList{"f/EST/QLCUST=-"} << refreshed + "; products 2"
            << QStringList{} << "stopped" << QStringList{"prog/estloc.dat=F:\\EST\r\n"};
        QTest::newRow("refresh: estloc.dat missing")
            << "refresh" << QStringList{"prog/estloc.dat=-"} << "products 0; customers 0"
            << QStringList{} << "stopped" << QStringList{};
        QTest::newRow("refresh: interface.dat empty")
            << "refresh" << QStringList{"prog/interface.dat="} << refreshed + lists << QStringList{}
            << "finished" << QStringList{"prog/interface.dat=0\r\n"};
        const QStringList database = {"prog/interface.dat=1\r\n", "f/DB/est.mdb=@est2000.mdb",
                                      "prog/dbloc.dat=F:\\DB\\est.mdb\r\n"};
        QTest::newRow("database: customers, then products")
            << "start" << database << db + "; customers 6; products 5" << QStringList{}
            << "finished" << QStringList{};
        QTest::newRow("refresh: database")
            << "refresh" << database
            << "products 0; customers 0; est F:\\EST; version; mode database; customers 6; "
               "products 5"
            << QStringList{} << "finished" << QStringList{};
        QTest::newRow("database: a customer without a name ends it")
            << "start" << QStringList{database[0], database[2], "f/DB/est.mdb=@nullname.mdb"}
            << db + "; customers 1"
            << QStringList{"The customer N002 in the database F:\\DB\\est.mdb has no name."}
            << "stopped" << QStringList{};
        QTest::newRow("database: no table PROD")
            << "start" << QStringList{database[0], database[2], "f/DB/est.mdb=@noprod.mdb"}
            << db + "; customers 3; products 0"
            << QStringList{"The database F:\\DB\\est.mdb has no table PROD."} << "stopped"
            << QStringList{};
        QTest::newRow("database missing")
            << "start" << QStringList{database[0], database[2]} << db + "; customers 0"
            << QStringList{"The database F:\\DB\\est.mdb does not exist."} << "stopped"
            << QStringList{};
    }
    void startUpAndRefresh() {
        QFETCH(QString, step);
        QFETCH(QStringList, before);
        QFETCH(QString, shown);
        QFETCH(QStringList, messages);
        QFETCH(QString, end);
        QFETCH(QStringList, after);
        DriveFixture d;
        const QString root = d.tmp.path();
        const QString f = d.mapDrive('F'), g = d.mapDrive('G');
        for (const QString& dir :
             {f + "/LEDGER", f + "/EST", f + "/CUST", f + "/DB", g + "/EST", g + "/CUST"})
            QDir().mkpath(dir);
        tw::settings::SettingsStore store(d.programFolder);
        store.write(tw::settings::kCheck, "0");
        store.write(tw::settings::kInterface, "0");
        store.write(tw::settings::kLedger, "F:\\LEDGER");
        store.write(tw::settings::kEstLoc, "F:\\EST");
        tw::test::writeAll(f + "/EST/QLCUST", qlcust("\\EST\\").toLatin1());
        tw::test::writeAll(f + "/EST/QUILLBAR.CLI", exportFile(3));
        tw::test::writeAll(f + "/EST/product.dat", productFile(2));
        tw::test::writeAll(f + "/CUST/QUILLBAR.CLI", exportFile(1));
        tw::test::writeAll(g + "/EST/QLCUST", qlcust("\\CUST\\").toLatin1());
        tw::test::writeAll(g + "/EST/product.dat", productFile(1));
        tw::test::writeAll(g + "/CUST/QUILLBAR.CLI", exportFile(2));
        for (const QString& change : before)
            put(root, QString(change).replace("f/", "drive_f/"));

        tw::test::FakeHost host;
        RecordingView view;
        const ListSources sources{d.paths, store, host};
        const ListsEnd got = step == "start" ? startUp(sources, view) : refresh(sources, view);
        QCOMPARE(view.log.join("; "), shown);
        QCOMPARE(host.messages, messages);
        const char* const ends[] = {"finished", "stopped", "end"};
        QCOMPARE(QString(ends[int(got)]), end);
        for (const QString& file : after) {
            const QString path = root + '/' + file.section('=', 0, 0).replace("f/", "drive_f/");
            const QString content = file.section('=', 1);
            QCOMPARE(QFile::exists(path) ? QString::fromLatin1(tw::test::readAll(path)) : "-",
                     content);
        }
    }
};

TW_REGISTER_TEST(ListLoadTest)
#include "listloadtest.moc"
