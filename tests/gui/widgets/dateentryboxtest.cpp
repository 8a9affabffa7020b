#include "widgets/dateentrybox.h"
#include "guitestsupport.h"
#include "testregistry.h"

#include <QAccessible>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

using namespace tw;
using namespace tw::test;

namespace {

// Records each focus-out of a box with its reason and the text at that moment.
class FocusOutRecorder : public QObject {
public:
    QList<Qt::FocusReason> reasons;
    QStringList texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusOut) {
            reasons << static_cast<QFocusEvent*>(event)->reason();
            texts << static_cast<QLineEdit*>(watched)->text();
        }
        return false;
    }
};

struct Form {
    QWidget window;
    DateEntryBox* box;
    QLineEdit* next;
    FocusOutRecorder recorder;
    Form() {
        auto* layout = new QVBoxLayout(&window);
        box = new DateEntryBox;
        next = new QLineEdit;
        layout->addWidget(box);
        layout->addWidget(next);
        box->installEventFilter(&recorder);
        window.show();
    }
};

} // namespace

class DateEntryBoxTest : public QObject {
    Q_OBJECT
private slots:
    void textReadsBackAsWritten_data();
    void textReadsBackAsWritten();
    void typedTextIsKeptAndLeavingReportsItOnce();
    void leavingAnEmptyBoxReportsEmptyText();
    void calendarWritesShortDateWithoutCountingAsLeaving();
    void usesVerdana();
    void calendarButtonIsNamedForAssistiveTechnology();
    void shortcutKeys_data();
    void shortcutKeys();
    void rewrittenTextShowsFromItsStart();
};

void DateEntryBoxTest::textReadsBackAsWritten_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("not a date") << "ab/cd";
    QTest::newRow("short date") << "1/15/2006";
    QTest::newRow("two-digit year") << "01/15/06";
    QTest::newRow("impossible date") << "2/30/2006";
    QTest::newRow("blanks") << "  1/2/06 ";
    QTest::newRow("empty") << "";
}

void DateEntryBoxTest::textReadsBackAsWritten() {
    QFETCH(QString, text);
    DateEntryBox box;
    QCOMPARE(box.text(), QString()); // untouched box
    box.setText(QStringLiteral("12/31/2005"));
    box.setText(text);
    QCOMPARE(box.text(), text);
}

void DateEntryBoxTest::typedTextIsKeptAndLeavingReportsItOnce() {
    Form f;
    QVERIFY(activate(&f.window));
    f.box->setFocus();
    QVERIFY(f.box->hasFocus());
    QTest::keyClicks(f.box, QStringLiteral("3/4/5"));
    QCOMPARE(f.box->text(), QStringLiteral("3/4/5"));
    QVERIFY(f.recorder.reasons.isEmpty());
    QTest::keyClick(f.box, Qt::Key_Tab);
    QVERIFY(f.next->hasFocus());
    QCOMPARE(f.recorder.reasons, QList<Qt::FocusReason>({Qt::TabFocusReason}));
    QCOMPARE(f.recorder.texts, QStringList({QStringLiteral("3/4/5")}));
}

void DateEntryBoxTest::leavingAnEmptyBoxReportsEmptyText() {
    Form f;
    QVERIFY(activate(&f.window));
    f.box->setFocus();
    f.next->setFocus();
    QCOMPARE(f.recorder.texts, QStringList({QString()}));
}

void DateEntryBoxTest::calendarWritesShortDateWithoutCountingAsLeaving() {
    Form f;
    QVERIFY(activate(&f.window));
    f.box->setFocus();
    f.box->setText(QStringLiteral("2/3/2006"));
    f.box->showCalendar();
    QVERIFY(f.box->calendar());
    QCOMPARE(f.box->calendar()->selectedDate(), QDate(2006, 2, 3));
    // Opening the popup takes the focus with the popup reason, which the main window ignores.
    for (Qt::FocusReason r : std::as_const(f.recorder.reasons))
        QCOMPARE(r, Qt::PopupFocusReason);
    f.box->calendar()->setSelectedDate(QDate(2006, 11, 9));
    emit f.box->calendar()->activated(QDate(2006, 11, 9));
    QCOMPARE(f.box->text(), QStringLiteral("11/9/2006"));
    QVERIFY(!f.box->calendar()->isVisible());
    QVERIFY(f.box->hasFocus());
}

void DateEntryBoxTest::calendarButtonIsNamedForAssistiveTechnology() {
    Form f;
    QVERIFY(activate(&f.window));
    auto* button = f.box->findChild<QToolButton*>();
    QVERIFY(button);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Choose a date"));
    QVERIFY(iface->actionInterface());
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(f.box->calendar() && f.box->calendar()->isVisible());
}

void DateEntryBoxTest::usesVerdana() {
    DateEntryBox box;
    QCOMPARE(box.font().family(), QStringLiteral("Verdana"));
    // Its tooltip says which way the keys go.
    QVERIFY(box.toolTip().contains(QStringLiteral("PgUp a month later and PgDn a month earlier")));
}

// The keys reach the core rule with the host's today; the rule's cases are tested there.
void DateEntryBoxTest::shortcutKeys_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key"); // 0: none
    QTest::addColumn<QString>("text");
    QTest::newRow("t") << "t" << 0 << "1/15/2006";
    QTest::newRow("T after text") << "3/3/1999T" << 0 << "1/15/2006";
    QTest::newRow("+ on empty") << "+" << 0 << "1/16/2006";
    QTest::newRow("- while typing") << "1-5-2006" << 0 << "1-5-2006";
    QTest::newRow("- on a whole date") << "1-5-2006-" << 0 << "1/4/2006";
    QTest::newRow("Up") << "2/28/2004" << int(Qt::Key_Up) << "2/29/2004";
    QTest::newRow("Down") << "3/1/2006" << int(Qt::Key_Down) << "2/28/2006";
    QTest::newRow("PgUp") << "1/31/2006" << int(Qt::Key_PageUp) << "2/28/2006";
    QTest::newRow("PgDn") << "" << int(Qt::Key_PageDown) << "12/15/2005";
}

void DateEntryBoxTest::shortcutKeys() {
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QString, text);
    Form f;
    FakeHost host;
    f.box->setHost(&host);
    QVERIFY(activate(&f.window));
    f.box->setFocus();
    QTest::keyClicks(f.box, typed);
    if (key != 0)
        QTest::keyClick(f.box, Qt::Key(key));
    QCOMPARE(f.box->text(), text);
}

void DateEntryBoxTest::rewrittenTextShowsFromItsStart() {
    Form f;
    QVERIFY(activate(&f.window));
    f.box->setFocus();
    QTest::keyClicks(f.box, QStringLiteral("12/25/06"));
    f.next->setFocus();
    QCOMPARE(f.box->cursorPosition(), 0);
    f.box->setText(QStringLiteral("12/25/2006")); // the leave rule's rewrite
    QCOMPARE(f.box->cursorPosition(), 0);
    // A rewrite to the same text (a whole date left as it was) moves no text, but the cursor.
    f.box->setText(QStringLiteral("12/25/2006"));
    QCOMPARE(f.box->cursorPosition(), 0);
    // While the operator types, the cursor stays where the typing is.
    f.box->setFocus();
    f.box->end(false);
    QTest::keyClicks(f.box, QStringLiteral("7"));
    QCOMPARE(f.box->cursorPosition(), f.box->text().size());
}

TW_REGISTER_TEST(DateEntryBoxTest)
#include "dateentryboxtest.moc"
