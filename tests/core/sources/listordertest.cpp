#include "sources/listorder.h"
#include "testregistry.h"

#include <QRandomGenerator>
#include <QtTest>

using tw::sources::completionRow;
using tw::sources::sortedEntries;

class ListOrderTest : public QObject {
    Q_OBJECT
private slots:
    void order_data() {
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("accented letters among their base letters")
            << QStringList{"Zeta", u"\u00c9mile"_qs, "Adam", "emma", "Eagle"}
            << QStringList{"Adam", "Eagle", u"\u00c9mile"_qs, "emma", "Zeta"};
        QTest::newRow("without regard to case")
            << QStringList{"beta", "Alpha", "GAMMA", "alpha press"}
            << QStringList{"Alpha", "alpha press", "beta", "GAMMA"};
        QTest::newRow("equal entries keep their order")
            << QStringList{"acme", "Zed", "ACME", "Acme"}
            << QStringList{"acme", "ACME", "Acme", "Zed"};
        QTest::newRow("equal entries keep their order, reversed")
            << QStringList{"Acme", "ACME", "acme"} << QStringList{"Acme", "ACME", "acme"};
        QTest::newRow("digits before letters") << QStringList{"b", "10 Print", "2 Print", "a"}
                                               << QStringList{"10 Print", "2 Print", "a", "b"};
        QTest::newRow("products: code, dash, description")
            << QStringList{"12-Brochures", "7-Postcards", "300-Door Hangers"}
            << QStringList{"12-Brochures", "300-Door Hangers", "7-Postcards"};
        QTest::newRow("empty") << QStringList{} << QStringList{};
    }
    void order() {
        QFETCH(QStringList, loaded);
        QFETCH(QStringList, shown);
        QCOMPARE(sortedEntries(loaded), shown);
    }

    void completion_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("completed"); // "-" = nothing
        QTest::newRow("plain letter, not its accented form") << "E"
                                                             << "Eagle";
        QTest::newRow("accented letter") << u"\u00e9"_qs << u"\u00c9mile"_qs;
        QTest::newRow("past the accented entry") << "em"
                                                 << "emma";
        QTest::newRow("case of the entry kept") << "zE"
                                                << "Zeta";
        QTest::newRow("first of equal entries") << "ACME"
                                                << "acme";
        QTest::newRow("longer than any entry") << "Zetas"
                                               << "-";
        QTest::newRow("after the last entry") << "zz"
                                              << "-";
        QTest::newRow("before the first entry") << "0"
                                                << "-";
        QTest::newRow("inner blank") << "acme p"
                                     << "ACME PRINTING";
    }
    void completion() {
        QFETCH(QString, typed);
        QFETCH(QString, completed);
        const QStringList list = sortedEntries({"Zeta", u"\u00c9mile"_qs, "Adam", "emma", "Eagle",
                                                "acme", "ACME", "ACME PRINTING", "10 Print"});
        const qsizetype row = completionRow(list, typed);
        QCOMPARE(row < 0 ? QStringLiteral("-") : list[row], completed);
    }

    // The binary search finds what a scan from the top finds, over many names and prefixes.
    void completionAgreesWithAScan() {
        QRandomGenerator rng(20061);
        const QString letters = u"abcdeE\u00e9\u00c9fFzZ 0-"_qs;
        QStringList names;
        for (int i = 0; i < 3000; ++i) {
            QString n;
            for (int k = 1 + int(rng.bounded(6)); k > 0; --k)
                n += letters[int(rng.bounded(letters.size()))];
            names << n;
        }
        const QStringList list = sortedEntries(names);
        for (int i = 0; i < 3000; ++i) {
            const QString& source = names[int(rng.bounded(names.size()))];
            const QString typed = source.left(1 + int(rng.bounded(source.size())));
            qsizetype scan = -1;
            for (qsizetype r = 0; r < list.size() && scan < 0; ++r) {
                if (list[r].startsWith(typed, Qt::CaseInsensitive))
                    scan = r;
            }
            QCOMPARE(completionRow(list, typed), scan);
        }
    }
};

TW_REGISTER_TEST(ListOrderTest)
#include "listordertest.moc"
