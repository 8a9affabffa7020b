#include "widgets/completingcombobox.h"
#include "testregistry.h"

#include <QLineEdit>
#include <QtTest>

using tw::CompletingComboBox;

namespace {

QStringList items(const QComboBox& box) {
    QStringList out;
    for (int i = 0; i < box.count(); ++i)
        out << box.itemText(i);
    return out;
}

} // namespace

class CompletingComboBoxTest : public QObject {
    Q_OBJECT
private slots:
    void setListEntriesSortsStably() {
        CompletingComboBox box;
        box.setListEntries({"b", "B2", "a", "A", "b ", "B", "\u00e9", "E"});
        QCOMPARE(items(box), QStringList({"a", "A", "b", "B", "b ", "B2", "E", "\u00e9"}));
        QCOMPARE(box.currentIndex(), -1);
        QCOMPARE(box.currentText(), QString());
        box.setListEntries({"y", "X"});
        QCOMPARE(items(box), QStringList({"X", "y"}));
        box.setListEntries({});
        QCOMPARE(box.count(), 0);
    }

    void completionTakesTheEntrysSpelling() {
        CompletingComboBox box;
        box.addItems({QStringLiteral("A1-Letterhead"), QStringLiteral("B2-Business cards  "),
                      QStringLiteral("b3-Brochure")});
        box.setCurrentIndex(-1);
        box.show();
        box.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        box.setFocus();
        QTest::keyClicks(&box, QStringLiteral("b"));
        QCOMPARE(box.currentText(), QStringLiteral("B2-Business cards  "));
        QCOMPARE(box.lineEdit()->selectedText(), QStringLiteral("2-Business cards  "));
        QTest::keyClicks(&box, QStringLiteral("3"));
        QCOMPARE(box.currentText(), QStringLiteral("b3-Brochure"));
        // Deleting does not complete again (Backspace takes the offered tail); typing something
        // not listed stays as typed.
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.currentText(), QStringLiteral("b3"));
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.currentText(), QStringLiteral("b"));
        QTest::keyClicks(&box, QStringLiteral("3x"));
        QCOMPARE(box.currentText(), QStringLiteral("b3x"));
        // Nothing typed was added to the list.
        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(box.count(), 3);
    }
};

TW_REGISTER_TEST(CompletingComboBoxTest)
#include "completingcomboboxtest.moc"
