#include "platform/blanks.h"
#include "testregistry.h"

#include <QtTest>

class BlanksTest : public QObject {
    Q_OBJECT
private slots:
    void trimBlanks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("all blanks") << "    "
                                    << "";
        QTest::newRow("both ends") << "  ACME CO  "
                                   << "ACME CO";
        QTest::newRow("inner blanks kept") << "A  B"
                                           << "A  B";
        QTest::newRow("tab is text") << "\tA\t"
                                     << "\tA\t";
        QTest::newRow("blank after a tab") << " \t A "
                                           << "\t A";
        QTest::newRow("line break is text") << "A\r\n "
                                            << "A\r\n";
        QTest::newRow("one character") << " x"
                                       << "x";
        QTest::newRow("no-break space is text")
            << QString(QChar(0xA0)) + "A " << QString(QChar(0xA0)) + "A";
    }
    void trimBlanks() {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(tw::trimBlanks(text).toString(), trimmed);
    }
};
TW_REGISTER_TEST(BlanksTest)

#include "blankstest.moc"
