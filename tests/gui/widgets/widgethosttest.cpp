#include "widgets/widgethost.h"
#include "guitestsupport.h"
#include "testregistry.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Answers the question box that is about to open with one key, and notes its text.
struct Answerer {
    QString seen;
    void answerWith(Qt::Key key) {
        QTimer::singleShot(0, [this, key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = box->text();
            QTest::keyClick(box, key);
        });
    }
};

} // namespace

class WidgetHostTest : public QObject {
    Q_OBJECT
private slots:
    // No is the default, so Enter answers No; Esc answers No; only Yes posts again.
    void questionAnsweredByKey_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("yes");
        QTest::newRow("Enter takes the default") << int(Qt::Key_Return) << false;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
        QTest::newRow("Y") << int(Qt::Key_Y) << true;
        QTest::newRow("N") << int(Qt::Key_N) << false;
    }
    void questionAnsweredByKey() {
        QFETCH(int, key);
        QFETCH(bool, yes);
        tw::WidgetHost host;
        Answerer a;
        a.answerWith(Qt::Key(key));
        QCOMPARE(host.question(QStringLiteral("Post it again?")), yes);
        QCOMPARE(a.seen, QStringLiteral("Post it again?"));
    }
};

TW_REGISTER_TEST(WidgetHostTest)
#include "widgethosttest.moc"
