#include "settings/defaulttax.h"
#include "settings/settings.h"
#include "testregistry.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The run's default tax, which starts as 5 from its file; then the file holds `before` ("-":
// no file) and the step runs.
class DefaultTaxTest : public QObject {
    Q_OBJECT
private slots:
    void stepsReadWriteAndDefault_data() {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("load") << "load" << QByteArray("7.25\r\n") << "7.25"
                              << QByteArray("7.25\r\n");
        QTest::newRow("load: comma ends the value")
            << "load" << QByteArray("6,5\r\n") << "6" << QByteArray("6,5\r\n");
        QTest::newRow("load: empty line")
            << "load" << QByteArray("\r\n") << "" << QByteArray("\r\n");
        QTest::newRow("load: no characters")
            << "load" << QByteArray() << "0" << QByteArray("0\r\n");
        QTest::newRow("load: missing") << "load" << QByteArray("-") << "0" << QByteArray("0\r\n");
        QTest::newRow("reread") << "reread" << QByteArray("7.25\r\n") << "7.25"
                                << QByteArray("7.25\r\n");
        QTest::newRow("reread: missing keeps the value")
            << "reread" << QByteArray("-") << "5" << QByteArray("0\r\n");
        QTest::newRow("refresh") << "refresh" << QByteArray("7.25\r\n") << "7.25"
                                 << QByteArray("7.25\r\n");
        QTest::newRow("refresh: missing keeps the value")
            << "refresh" << QByteArray("-") << "5" << QByteArray("-");
        QTest::newRow("save: the file only")
            << "save" << QByteArray("-") << "5" << QByteArray("6.5\r\n");
    }
    void stepsReadWriteAndDefault() {
        QFETCH(QString, step);
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        tw::test::FakeHost host;
        tw::settings::SettingsStore store(dir.path(), &host);
        const QString file = store.pathOf(tw::settings::kDefTax);
        tw::test::writeAll(file, "5\r\n");
        tw::settings::DefaultTax tax(store);
        tax.load();
        QFile::remove(file);
        if (before != "-")
            tw::test::writeAll(file, before);
        if (step == "load")
            tax.load();
        else if (step == "reread")
            tax.reread();
        else if (step == "refresh")
            QCOMPARE(tax.refresh(), value);
        else
            QVERIFY(tax.save("6.5"));
        QCOMPARE(tax.value(), value);
        QCOMPARE(QFile::exists(file) ? tw::test::readAll(file) : QByteArray("-"), after);
        QVERIFY(host.messages.isEmpty());
    }
};

TW_REGISTER_TEST(DefaultTaxTest)
#include "defaulttaxtest.moc"
