// The main window's face and wiring: every control where the form puts it, the tab order,
// the mode options and their menu states, the File menu's actions, the panel buttons and the
// description box.
#include "guitestsupport.h"
#include "ledger/ledgerrecords.h"
#include "mainwindow/frmledger.h"
#include "settings/settings.h"
#include "startup/frmpath.h"
#include "testregistry.h"
#include "widgets/dateentrybox.h"
#include "widgets/descriptionbox.h"
#include "widgets/geometry.h"
#include "widgets/panelbutton.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using tw::frmLedger;
using tw::test::AppFixture;
using tw::test::readAll;

namespace {

// At 96 DPI (offscreen and Xvfb) a pixel is 15 twips.
int px(int twips) {
    return qRound(twips / 15.0);
}

QRect twipsRect(int l, int t, int w, int h) {
    return QRect(px(l), px(t), px(w), px(h));
}

// The main window shown and active; destroyed before its fixture.
struct Shown {
    AppFixture fx;
    frmLedger window{fx.ctx->paths, fx.ctx->settings, fx.ctx->defaultTax, fx.host, fx.dialogs};
    frmLedger* w = &window;
    Shown() {
        fx.windows->answerRequestsOf(w);
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w))
            qWarning("main window did not become active");
    }
};

QWidget* focused() {
    return QApplication::focusWidget();
}

} // namespace

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void twipsConversion();
    void geometryMatchesTheForm_data();
    void geometryMatchesTheForm();
    void windowAndClientArea();
    void captionsFontsAndColours();
    void limitsAndStates();
    void tabOrderWalksTheForm();
    void altKeysOpenTheMenus();
    void dateBoxesShowTheWidestDate();
};

void LayoutTest::twipsConversion() {
    QCOMPARE(tw::twipsToPixels(1440, 96), 96);
    QCOMPARE(tw::twipsToPixels(15, 96), 1);
    QCOMPARE(tw::twipsToPixels(3650, 96), 243); // 243.3
    QCOMPARE(tw::twipsToPixels(1440, 120), 120);
    QCOMPARE(tw::twipsToPixels(8085, 144), 809); // 808.5 rounds up
    QCOMPARE(tw::twipsToPixelsX(8085), 539);
    QCOMPARE(tw::twipsToPixelsY(4980), 332);
}

void LayoutTest::geometryMatchesTheForm_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    const struct {
        const char* name;
        int l, t, w, h;
    } table[] = {
        {"Label13", 120, 150, 7815, 255},         {"Label1", 240, 360, 7575, 615},
        {"Label14", 2400, 960, 2775, 255},        {"Check1", 5280, 960, 135, 195},
        {"Label6", 0, 1320, 1815, 255},           {"txtLedger", 1920, 1320, 1575, 285},
        {"lblNew", 3600, 1320, 1455, 255},        {"Label3", 5100, 1320, 1455, 255},
        {"Label5", 6840, 1095, 975, 255},         {"AeDate", 6650, 1320, 1170, 315},
        {"Label2", 0, 1680, 1815, 255},           {"cboCust", 1920, 1680, 3135, 315},
        {"Label4", 5100, 1680, 1455, 255},        {"AeDue", 6650, 1680, 1170, 315},
        {"Label7", 0, 2040, 1815, 255},           {"txtInvoice", 1920, 2040, 1215, 315},
        {"Label10", 3240, 2040, 1815, 255},       {"cboProd", 5160, 2040, 2655, 315},
        {"Label8", 0, 2400, 1815, 255},           {"txtJob", 1920, 2400, 1215, 315},
        {"Label11", 3240, 2400, 1815, 255},       {"txtDesc", 5160, 2400, 2655, 735},
        {"Label9", 0, 2760, 1815, 255},           {"txtPO", 1920, 2760, 1215, 315},
        {"lblQuan", 0, 3120, 1815, 255},          {"txtQuan", 1920, 3120, 1215, 315},
        {"lblAmt", 4680, 3240, 2055, 255},        {"txtAmt", 6840, 3240, 975, 315},
        {"lblSearch", 0, 3600, 1815, 255},        {"txtSearch", 1920, 3600, 1215, 315},
        {"lblDefaultTax", 3000, 3600, 2055, 255}, {"txtDefaultTax", 5160, 3600, 495, 315},
        {"Check2", 6000, 3650, 135, 195},         {"lblTax", 4680, 3600, 2055, 255},
        {"txtTax", 6840, 3600, 975, 315},         {"lblInvAmt", 4680, 3960, 2055, 255},
        {"txtInvAmt", 6840, 3960, 975, 315},      {"lblVersion", 120, 3840, 2775, 255},
        {"Picture1", 120, 4080, 2295, 735},       {"optMil", 120, 120, 2055, 195},
        {"optDos", 120, 360, 1935, 195},          {"btnGetList", 2760, 4440, 1095, 390},
        {"btnClear", 3960, 4440, 1095, 390},      {"btnPost", 5160, 4440, 1095, 390},
    };
    for (const auto& row : table)
        QTest::newRow(row.name) << QString::fromLatin1(row.name)
                                << QRect(row.l, row.t, row.w, row.h);
}

void LayoutTest::geometryMatchesTheForm() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    Shown s;
    auto* widget = s.w->findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    // Positions are relative to the client area (the options: to their panel).
    QCOMPARE(widget->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(widget->parentWidget(),
             name.startsWith(QLatin1String("opt")) ? s.w->Picture1 : s.w->centralWidget());
}

void LayoutTest::windowAndClientArea() {
    Shown s;
    QCOMPARE(s.w->windowTitle(), QStringLiteral("Tallywork of Historical Ledger"));
    QCOMPARE(s.w->centralWidget()->size(), QSize(px(8085), px(4980)));
    QCOMPARE(s.w->centralWidget()->palette().color(QPalette::Window), QColor(221, 219, 205));
    QVERIFY(s.w->centralWidget()->autoFillBackground());
    // Fixed size: the client area below the menu bar.
    QCOMPARE(s.w->minimumSize(), s.w->maximumSize());
    QCOMPARE(s.w->centralWidget()->geometry().top(), s.w->menuBar()->geometry().bottom() + 1);
    // Centred on the screen.
    const QRect screen = s.w->screen()->availableGeometry();
    QVERIFY(qAbs(s.w->geometry().center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(s.w->geometry().center().y() - screen.center().y()) <= 1);
    // The database links exist but lie below the client area.
    for (QLabel* link : {s.w->Data1, s.w->Data2}) {
        QVERIFY(link->y() >= s.w->centralWidget()->height());
        QCOMPARE(link->focusPolicy(), Qt::NoFocus);
    }
    QCOMPARE(s.w->Data1->pos(), QPoint(px(3960), px(5400)));
    QCOMPARE(s.w->Data2->pos(), QPoint(px(3960), px(5760)));
    QCOMPARE(s.w->Data1->text(), QStringLiteral("Client"));
    QCOMPARE(s.w->Data2->text(), QStringLiteral("Products"));
}

void LayoutTest::captionsFontsAndColours() {
    Shown s;
    frmLedger& w = *s.w;
    const QList<std::pair<QLabel*, const char*>> captions = {
        {w.Label13, "Quillbar's"},
        {w.Label1, "Historical Ledger Tallywork"},
        {w.Label14, "Match Invoice & Job No's:"},
        {w.Label6, "Ledger Number:"},
        {w.lblNew, "*New Ledger*"},
        {w.Label3, "Invoice Date:"},
        {w.Label5, "m/d/yyyy"},
        {w.Label2, "Customer Name:"},
        {w.Label4, "Due Date:"},
        {w.Label7, "Invoice Number:"},
        {w.Label10, "Product Code:"},
        {w.Label8, "Job Number:"},
        {w.Label11, "Description:"},
        {w.Label9, "P.O. Number:"},
        {w.lblQuan, "Quantity:"},
        {w.lblAmt, "Pre-Tax Amount:"},
        {w.lblSearch, "Search for Job:"},
        {w.lblDefaultTax, "Default Tax %:"},
        {w.lblTax, "Tax:"},
        {w.lblInvAmt, "Invoice Amount:"},
        {w.lblVersion, " Version:"},
        {w.lblRefresh, "Refresh"},
        {w.lblClear, "Clear"},
        {w.lblPost, "Post"},
    };
    for (const auto& [label, text] : captions) {
        QCOMPARE(label->text(), QString::fromUtf8(text));
        QVERIFY2(!label->autoFillBackground(), text); // transparent over the form
    }
    // One ampersand, shown as such: plain text, no mnemonic.
    QCOMPARE(w.Label14->textFormat(), Qt::PlainText);
    QCOMPARE(w.optMil->text(), QStringLiteral("Meridian Database"));
    QCOMPARE(w.optDos->text(), QStringLiteral("Text Files (ASCII/Dos)"));
    QVERIFY(w.Check1->text().isEmpty());
    QVERIFY(w.Check2->text().isEmpty());

    // Entry labels: MS Sans Serif (as requested; the system substitutes) bold 9.75 pt,
    // right-aligned against their fields; the headings are centred.
    for (QLabel* label : {w.Label6, w.Label3, w.Label2, w.Label7, w.lblAmt, w.lblInvAmt}) {
        QCOMPARE(label->font().family(), QStringLiteral("MS Sans Serif"));
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().pointSizeF(), 9.75);
        QVERIFY(label->alignment() & Qt::AlignRight);
    }
    // The form font is the window's own: no font of the process is substituted.
    QVERIFY(QFont::substitutes(QStringLiteral("MS Sans Serif")).isEmpty());
    for (QLabel* label : {w.Label1, w.Label13, w.Label5})
        QVERIFY(label->alignment() & Qt::AlignHCenter);
    QCOMPARE(w.Label1->font().pointSizeF(), 24.0);
    QVERIFY(w.Label1->font().bold());
    QCOMPARE(w.Label13->font().pointSizeF(), 12.0);
    QCOMPARE(w.lblVersion->font().family(), QStringLiteral("Arial"));
    QCOMPARE(w.lblVersion->font().pointSizeF(), 8.25);
    QCOMPARE(w.Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QCOMPARE(w.lblNew->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(w.lblNew->font().bold());
    QVERIFY(w.lblNew->isHidden());
    QCOMPARE(w.AeDate->font().family(), QStringLiteral("Verdana"));
    QCOMPARE(w.AeDue->font().family(), QStringLiteral("Verdana"));

    const QColor cyan(192, 255, 255);
    const QList<QWidget*> fields = {w.txtLedger,     w.AeDate,  w.AeDue,    w.cboCust,
                                    w.txtInvoice,    w.cboProd, w.txtJob,   w.txtDesc,
                                    w.txtPO,         w.txtQuan, w.txtAmt,   w.txtSearch,
                                    w.txtDefaultTax, w.txtTax,  w.txtInvAmt};
    for (QWidget* f : fields)
        QCOMPARE(f->palette().color(QPalette::Base), cyan);
    // Greyed, but still light cyan.
    QCOMPARE(w.txtLedger->palette().color(QPalette::Disabled, QPalette::Base), cyan);
    QCOMPARE(w.Picture1->palette().color(QPalette::Window), QColor(191, 191, 170));
    QVERIFY(w.Picture1->autoFillBackground());
}

void LayoutTest::limitsAndStates() {
    Shown s;
    frmLedger& w = *s.w;
    const QList<std::pair<QLineEdit*, int>> limits = {
        {w.txtInvoice, 8},    {w.txtJob, 8},     {w.txtPO, 10},     {w.txtQuan, 10},
        {w.txtAmt, 10},       {w.txtTax, 10},    {w.txtInvAmt, 10}, {w.txtDefaultTax, 10},
        {w.txtSearch, 32767}, {w.AeDate, 32767}, {w.AeDue, 32767},
    };
    for (const auto& [box, max] : limits)
        QCOMPARE(box->maxLength(), max);
    QCOMPARE(w.txtDesc->maxLength(), 76);
    // The limit holds for text set by the program too.
    w.txtInvoice->setText(QStringLiteral("1234567890"));
    QCOMPARE(w.txtInvoice->text(), QStringLiteral("12345678"));

    QVERIFY(!w.txtLedger->isEnabled());
    QVERIFY(!w.optMil->isEnabled());
    QVERIFY(w.optDos->isChecked());
    QVERIFY(!w.optMil->isChecked());
    QVERIFY(!w.Check1->isChecked());
    QVERIFY(!w.Check2->isChecked());

    for (QComboBox* box : {w.cboCust, w.cboProd}) {
        QVERIFY(box->isEditable());
        QCOMPARE(box->insertPolicy(), QComboBox::NoInsert);
        QCOMPARE(box->currentIndex(), -1);
        QVERIFY(box->currentText().isEmpty());
    }

    QCOMPARE(w.File->title(), QStringLiteral("&File"));
    const QList<std::pair<QAction*, const char*>> entries = {
        {w.mnuDefaultTax, "Default Tax %"},       {w.mnuLedgerPath, "Set Ledger Path"},
        {w.mnuEstPath, "Set Text Estimate Path"}, {w.mnuDbPath, "Set Database Path"},
        {w.mnuText, "Using Text Files"},          {w.mnuDatabase, "Using Database"}};
    for (const auto& [action, text] : entries) {
        QCOMPARE(action->text(), QString::fromUtf8(text));
        QVERIFY(w.File->actions().contains(action));
    }
    QCOMPARE(w.mnuHelp->text(), QStringLiteral("&Help"));
    QVERIFY(w.menuBar()->actions().contains(w.mnuHelp));
    QVERIFY(!w.mnuDefaultTax->isEnabled());
    QVERIFY(w.mnuLedgerPath->isEnabled());
    QVERIFY(w.mnuDbPath->isEnabled());
    QVERIFY(w.mnuHelp->isEnabled());

    // Every control's object name is its member name.
    for (QObject* o :
         std::initializer_list<QObject*>{w.Check1, w.txtLedger, w.AeDate, w.cboCust, w.txtDesc,
                                         w.Picture1, w.btnPost, w.lblPost, w.Data1})
        QVERIFY(!o->objectName().isEmpty() && s.w->findChild<QObject*>(o->objectName()) == o);
}

// Alt+F opens the File menu from a date box (which once took it as an "f"), Alt+H the help.
void LayoutTest::altKeysOpenTheMenus() {
    Shown s;
    QCOMPARE(focused(), s.w->AeDate);
    QTest::keyClick(s.w->AeDate, Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(s.w->File->isVisible());
    QCOMPARE(s.w->AeDate->text(), QString());
    s.w->File->close();
    QSignalSpy help(s.w, &frmLedger::helpWanted);
    QTest::keyClick(s.w->AeDate, Qt::Key_H, Qt::AltModifier);
    QCOMPARE(help.size(), 1);
}

// Both date boxes show the widest date whole beside their calendar button, left and with the
// cursor after it: up to the button they draw what a box wide enough for it draws.
void LayoutTest::dateBoxesShowTheWidestDate() {
    Shown s;
    const int flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0); // the cursor drawn steadily
    for (tw::DateEntryBox* box : {s.w->AeDate, s.w->AeDue}) {
        QLineEdit wide(box->parentWidget());
        wide.setFont(box->font());
        wide.setPalette(box->palette());
        wide.setGeometry(box->x(), box->y(), 400, box->height());
        wide.show();
        const QWidget* button = box->findChild<QToolButton*>();
        QVERIFY(button && button->isVisible());
        for (bool focus : {false, true}) {
            QImage images[2];
            for (QLineEdit* e : {static_cast<QLineEdit*>(box), &wide}) {
                (focus ? e : s.w->txtJob)->setFocus();
                e->setText(QStringLiteral("12/29/2026"));
                e->end(false);
                images[e == &wide] = e->grab(QRect(0, 0, button->x(), box->height())).toImage();
            }
            QVERIFY2(images[0] == images[1], qPrintable(box->objectName()));
        }
    }
    QApplication::setCursorFlashTime(flashTime);
}

void LayoutTest::tabOrderWalksTheForm() {
    Shown s;
    // The window opens with the focus in the invoice date box.
    QCOMPARE(focused(), s.w->AeDate);

    const QStringList expected = {"AeDue", "cboCust", "txtInvoice", "txtJob", "txtPO", "txtQuan",
                                  "cboProd", "txtDesc", "txtAmt", "btnPost", "txtTax", "txtInvAmt",
                                  // txtLedger (16) is greyed and skipped; optMil (37) likewise.
                                  "Check1", "optDos", "txtSearch", "btnGetList", "btnClear",
                                  "txtDefaultTax", "Check2", "AeDate"};
    QStringList walked;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        walked << (focused() ? focused()->objectName() : QStringLiteral("<none>"));
    }
    QCOMPARE(walked, expected);

    // Shift+Tab walks back.
    QTest::keyClick(focused(), Qt::Key_Backtab);
    QCOMPARE(focused(), s.w->Check2);

    // Controls outside the order never take the focus.
    for (QWidget* w : {static_cast<QWidget*>(s.w->Label1), static_cast<QWidget*>(s.w->lblPost),
                       static_cast<QWidget*>(s.w->Picture1), static_cast<QWidget*>(s.w->lblNew)})
        QCOMPARE(w->focusPolicy(), Qt::NoFocus);
}

// ---- Mode options and the File menu ----

class ModeMenuTest : public QObject {
    Q_OBJECT
private slots:
    void textFilesOptionWritesZeroAndSetsMenus();
    void selectingFromCodeRunsTheClickOnlyOnChange();
    void greyedDatabaseOptionCannotBeClicked();
    void modeEntriesKeepTheirTicks();
    void defaultTaxEntryRereadsTheFile();
    void databasePathIsStoredInDosForm();
    void ledgerPathLeavesTheFieldFirst();
    void closingIsNeverRefused();

private:
    static void checkMenus(frmLedger& w, bool database) {
        QCOMPARE(w.mnuDatabase->isChecked(), database);
        QCOMPARE(w.mnuDatabase->isEnabled(), database);
        QCOMPARE(w.mnuText->isChecked(), !database);
        QCOMPARE(w.mnuText->isEnabled(), !database);
        QCOMPARE(w.mnuEstPath->isEnabled(), !database);
        QVERIFY(w.mnuDbPath->isEnabled());
        QVERIFY(w.mnuLedgerPath->isEnabled());
        QVERIFY(!w.mnuDefaultTax->isEnabled());
    }
};

void ModeMenuTest::textFilesOptionWritesZeroAndSetsMenus() {
    Shown s;
    const QString file = s.fx.programFile(tw::settings::kInterface);
    checkMenus(*s.w, false);
    QVERIFY(!QFile::exists(file));

    // The operator clicks the selected option: the click still runs.
    QTest::mouseClick(s.w->optDos, Qt::LeftButton, {}, QPoint(6, s.w->optDos->height() / 2));
    QCOMPARE(readAll(file), QByteArray("0\r\n"));
    checkMenus(*s.w, false);

    // From database mode, clicking text files switches back at once.
    s.w->selectMode(true);
    checkMenus(*s.w, true);
    QTest::mouseClick(s.w->optDos, Qt::LeftButton, {}, QPoint(6, s.w->optDos->height() / 2));
    QVERIFY(s.w->optDos->isChecked());
    QVERIFY(!s.w->optMil->isChecked());
    QCOMPARE(readAll(file), QByteArray("0\r\n"));
    checkMenus(*s.w, false);
}

void ModeMenuTest::selectingFromCodeRunsTheClickOnlyOnChange() {
    Shown s;
    const QString file = s.fx.programFile(tw::settings::kInterface);

    // Already selected: nothing runs, nothing is written.
    s.w->selectMode(false);
    QVERIFY(!QFile::exists(file));
    checkMenus(*s.w, false);

    s.w->selectMode(true);
    QVERIFY(s.w->optMil->isChecked());
    QVERIFY(!s.w->optDos->isChecked());
    QCOMPARE(readAll(file), QByteArray("1\r\n"));
    checkMenus(*s.w, true);

    QVERIFY(QFile::remove(file));
    s.w->selectMode(true);
    QVERIFY(!QFile::exists(file));
    checkMenus(*s.w, true);

    s.w->selectMode(false);
    QCOMPARE(readAll(file), QByteArray("0\r\n"));
    checkMenus(*s.w, false);
}

void ModeMenuTest::greyedDatabaseOptionCannotBeClicked() {
    Shown s;
    QTest::mouseClick(s.w->optMil, Qt::LeftButton, {}, QPoint(6, s.w->optMil->height() / 2));
    QVERIFY(!s.w->optMil->isChecked());
    QVERIFY(s.w->optDos->isChecked());
    QVERIFY(!QFile::exists(s.fx.programFile(tw::settings::kInterface)));
    checkMenus(*s.w, false);
    // Nor the ledger number box: it never takes the focus.
    QTest::mouseClick(s.w->txtLedger, Qt::LeftButton);
    QVERIFY(focused() != s.w->txtLedger);
}

void ModeMenuTest::modeEntriesKeepTheirTicks() {
    Shown s;
    s.w->mnuText->trigger();
    checkMenus(*s.w, false);
    s.w->selectMode(true);
    s.w->mnuDatabase->trigger();
    checkMenus(*s.w, true);
}

void ModeMenuTest::defaultTaxEntryRereadsTheFile() {
    Shown s;
    s.fx.setSetting(tw::settings::kDefTax, QStringLiteral("7.25"));
    s.w->txtDefaultTax->setText(QStringLiteral("6"));
    s.w->mnuDefaultTax_Click();
    QCOMPARE(s.fx.ctx->defaultTax.value(), QStringLiteral("7.25"));
    QCOMPARE(s.w->txtDefaultTax->text(), QStringLiteral("6")); // the box is not changed
}

void ModeMenuTest::databasePathIsStoredInDosForm() {
    Shown s;
    const QString dbloc = s.fx.programFile(tw::settings::kDbLoc);
    const QString drive = s.fx.mapDrive(QLatin1Char('M'));
    QDir().mkpath(drive + QStringLiteral("/Data"));
    const QString file = drive + QStringLiteral("/Data/est.mdb");
    tw::test::writeAll(file, "x");

    // Cancelled: nothing is written.
    s.fx.dialogs.nextDatabaseFile.clear();
    s.w->mnuDbPath->trigger();
    QCOMPARE(s.fx.dialogs.fileDialogs, 1);
    QVERIFY(!QFile::exists(dbloc));

    s.fx.dialogs.nextDatabaseFile = file;
    s.w->mnuDbPath->trigger();
    QCOMPARE(readAll(dbloc), QByteArray("M:\\Data\\est.mdb\r\n"));

    // Enabled in both modes; a file outside every mapped drive keeps a path that leads back.
    s.w->selectMode(true);
    QVERIFY(s.w->mnuDbPath->isEnabled());
    const QString outside = s.fx.tmp.path() + QStringLiteral("/elsewhere, too/db.accdb");
    QDir().mkpath(QFileInfo(outside).absolutePath());
    tw::test::writeAll(outside, "x");
    s.fx.dialogs.nextDatabaseFile = outside;
    s.w->mnuDbPath->trigger();
    const auto stored = s.fx.ctx->settings.read(tw::settings::kDbLoc);
    QVERIFY(stored.has_value());
    QCOMPARE(QFileInfo(s.fx.ctx->paths.toNative(*stored)).canonicalFilePath(),
             QFileInfo(outside).canonicalFilePath());
    QCOMPARE(s.fx.dialogs.fileDialogs, 3);
}

void ModeMenuTest::ledgerPathLeavesTheFieldFirst() {
    Shown s;
    s.w->txtInvoice->setFocus();
    QCOMPARE(focused(), s.w->txtInvoice);
    s.w->mnuLedgerPath->trigger();
    QCOMPARE(focused(), s.w->txtAmt);
    QVERIFY(s.fx.windows->pathLedger() != nullptr);
    QVERIFY(s.fx.windows->pathLedger()->isVisible());
    // The chooser does not block the main window.
    QVERIFY(!s.fx.windows->pathLedger()->isModal());
}

void ModeMenuTest::closingIsNeverRefused() {
    Shown s;
    QPointer<frmLedger> w = s.w;
    s.w->txtInvoice->setFocus();
    s.w->txtInvoice->setText(QStringLiteral("123"));
    QVERIFY(s.w->close());
    QVERIFY(!s.w->isVisible());
    QVERIFY(s.fx.host.messages.isEmpty());
}

// ---- Panel buttons and the description box ----

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void panelButtonClicks();
    void postPanelRunsOnEnterAndSpace();
    void descriptionBoxLimit();
    void descriptionBoxLineBreaks();
    void everyPointOfABoxTakesAClick_data();
    void everyPointOfABoxTakesAClick();
    void accessibleNames_data();
    void accessibleNames();
    void panelsAreAccessibleButtons_data();
    void panelsAreAccessibleButtons();
};

void ControlsTest::accessibleNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("accessible");
    QTest::newRow("AeDate") << "AeDate"
                            << "Invoice Date";
    QTest::newRow("AeDue") << "AeDue"
                           << "Due Date";
    QTest::newRow("cboCust") << "cboCust"
                             << "Customer Name";
    QTest::newRow("txtInvoice") << "txtInvoice"
                                << "Invoice Number";
    QTest::newRow("cboProd") << "cboProd"
                             << "Product Code";
    QTest::newRow("txtJob") << "txtJob"
                            << "Job Number";
    QTest::newRow("txtDesc") << "txtDesc"
                             << "Description";
    QTest::newRow("txtPO") << "txtPO"
                           << "P.O. Number";
    QTest::newRow("txtQuan") << "txtQuan"
                             << "Quantity";
    QTest::newRow("txtAmt") << "txtAmt"
                            << "Pre-Tax Amount";
    QTest::newRow("txtSearch") << "txtSearch"
                               << "Search for Job";
    QTest::newRow("txtDefaultTax") << "txtDefaultTax"
                                   << "Default Tax %";
    QTest::newRow("txtTax") << "txtTax"
                            << "Tax";
    QTest::newRow("txtInvAmt") << "txtInvAmt"
                               << "Invoice Amount";
    QTest::newRow("txtLedger") << "txtLedger"
                               << "Ledger Number";
    QTest::newRow("Check1") << "Check1"
                            << "Match Invoice & Job No's";
    QTest::newRow("Check2") << "Check2"
                            << "Add Tax";
}

void ControlsTest::accessibleNames() {
    QFETCH(QString, name);
    QFETCH(QString, accessible);
    Shown s;
    QWidget* field = s.w->findChild<QWidget*>(name);
    QVERIFY(field);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(field);
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), accessible);
    // Tying a caption to its field must not change how it is drawn: "&" in a caption stands
    // as it is, never as an underlined mnemonic.
    for (QLabel* caption : s.w->findChildren<QLabel*>()) {
        if (caption->buddy() != field)
            continue;
        QLabel untied(caption->text(), caption->parentWidget());
        untied.setTextFormat(caption->textFormat());
        untied.setFont(caption->font());
        untied.setAlignment(caption->alignment());
        untied.setPalette(caption->palette());
        untied.setGeometry(caption->geometry());
        QVERIFY2(caption->grab().toImage() == untied.grab().toImage(),
                 qPrintable(caption->objectName()));
    }
}

void ControlsTest::panelsAreAccessibleButtons_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Refresh") << "btnGetList"
                             << "Refresh";
    QTest::newRow("Clear") << "btnClear"
                           << "Clear";
    QTest::newRow("Post") << "btnPost"
                          << "Post";
}

void ControlsTest::panelsAreAccessibleButtons() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    Shown s;
    auto* button = s.w->findChild<tw::PanelButton*>(name);
    QVERIFY(button);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(button);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Button);
    QCOMPARE(iface->text(QAccessible::Name), caption);
    QAccessibleActionInterface* actions = iface->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    QSignalSpy clicked(button, &tw::PanelButton::clicked);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked.count(), 1);
}

void ControlsTest::everyPointOfABoxTakesAClick_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"AeDate", "AeDue", "cboCust", "txtInvoice", "cboProd", "txtJob",
                             "txtDesc", "txtPO", "txtQuan", "txtAmt", "txtSearch", "txtDefaultTax",
                             "txtTax", "txtInvAmt", "Check1", "Check2"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void ControlsTest::everyPointOfABoxTakesAClick() {
    QFETCH(QString, name);
    Shown s;
    QWidget* box = s.w->findChild<QWidget*>(name);
    QVERIFY(box);
    QWidget* client = s.w->centralWidget();
    // Whatever lies at a point of the box is the box or a part of it, never a caption.
    int lost = 0;
    for (int y = 0; y < box->height(); ++y) {
        for (int x = 0; x < box->width(); ++x) {
            QWidget* hit = client->childAt(box->mapTo(client, QPoint(x, y)));
            if (hit != box && !box->isAncestorOf(hit))
                ++lost;
        }
    }
    QCOMPARE(lost, 0);
}

void ControlsTest::panelButtonClicks() {
    QWidget host;
    host.resize(200, 100);
    auto* b = new tw::PanelButton(QStringLiteral("Go"), &host);
    b->setGeometry(10, 10, 73, 26);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QSignalSpy spy(b, &tw::PanelButton::clicked);

    QCOMPARE(b->label()->geometry(), b->rect());
    QCOMPARE(b->label()->alignment(), Qt::AlignCenter);
    QCOMPARE(b->focusPolicy(), Qt::NoFocus);

    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(spy.count(), 1);
    // On the caption: the caption's clicks are the panel's.
    const QPoint mid = b->rect().center();
    QVERIFY(b->label()->geometry().contains(mid));
    QTest::mouseClick(b->label(), Qt::LeftButton, {}, b->label()->mapFrom(b, mid));
    QCOMPARE(spy.count(), 2);
    // Pressed on the panel, released outside: no click.
    QTest::mousePress(b, Qt::LeftButton, {}, mid);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(150, 80));
    QCOMPARE(spy.count(), 2);
    // Right button: no click.
    QTest::mouseClick(b, Qt::RightButton, {}, mid);
    QCOMPARE(spy.count(), 2);
}

void ControlsTest::postPanelRunsOnEnterAndSpace() {
    Shown s;
    QSignalSpy spy(s.w->btnPost, &tw::PanelButton::clicked);
    s.w->btnPost->setFocus();
    QCOMPARE(focused(), s.w->btnPost);
    QTest::keyClick(s.w->btnPost, Qt::Key_Return);
    QTest::keyClick(s.w->btnPost, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(s.w->btnPost, Qt::Key_Space);
    QCOMPARE(spy.count(), 3);
    // A held key does not post again and again.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(s.w->btnPost, &repeat);
    QCOMPARE(spy.count(), 3);
    // Other keys do nothing.
    QTest::keyClick(s.w->btnPost, Qt::Key_A);
    QCOMPARE(spy.count(), 3);

    // Wired to Post: with an empty entry, Post refuses with its warning, once per press.
    s.fx.host.messages.clear();
    s.w->btnPost->setFocus();
    QTest::keyClick(s.w->btnPost, Qt::Key_Space);
    QCOMPARE(s.fx.host.messages,
             QStringList{QStringLiteral("Warning: Customer, Date or Amount Cannot Be Blank!")});
}

void ControlsTest::descriptionBoxLimit() {
    Shown s;
    tw::DescriptionBox* d = s.w->txtDesc;
    d->setFocus();
    const QString seventyNine(79, QLatin1Char('x'));
    QTest::keyClicks(d, seventyNine);
    QCOMPARE(d->text(), QString(76, QLatin1Char('x')));

    // Typing inside a full box drops the new character, never one already there.
    d->setText(QStringLiteral("abc") + QString(73, QLatin1Char('-')));
    QTextCursor c = d->textCursor();
    c.setPosition(1);
    d->setTextCursor(c);
    QTest::keyClicks(d, QStringLiteral("Z"));
    QCOMPARE(d->text(), QStringLiteral("abc") + QString(73, QLatin1Char('-')));
    QTest::keyClick(d, Qt::Key_Backspace);
    QCOMPARE(d->text(), QStringLiteral("bc") + QString(73, QLatin1Char('-')));
    QTest::keyClicks(d, QStringLiteral("QR"));
    QCOMPARE(d->text(), QStringLiteral("Qbc") + QString(73, QLatin1Char('-')));

    // Text set by the program is cut to the limit; a no-break space survives.
    d->setText(QString(70, QLatin1Char('y')) + QChar(0xA0) + QStringLiteral("0123456789"));
    QCOMPARE(d->text(), QString(70, QLatin1Char('y')) + QChar(0xA0) + QStringLiteral("01234"));
    d->setText(QString());
    QCOMPARE(d->text(), QString());
}

void ControlsTest::descriptionBoxLineBreaks() {
    Shown s;
    tw::DescriptionBox* d = s.w->txtDesc;
    d->setFocus();
    QTest::keyClicks(d, QStringLiteral("ab"));
    QTest::keyClick(d, Qt::Key_Return);
    QTest::keyClick(d, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(d, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!d->text().contains(QChar::ParagraphSeparator));
    QVERIFY(!d->text().contains(QChar::LineSeparator));
    QVERIFY(!d->text().contains(QLatin1Char('\n')));

    d->setFocus();
    d->setText(QStringLiteral("ab"));
    d->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral("1\r\n2\n3\r4"));
    d->paste();
    QCOMPARE(d->text(), QStringLiteral("ab1 2 3 4"));
    d->setText(QStringLiteral("x\r\ny\u2029z"));
    QCOMPARE(d->text(), QStringLiteral("x y z"));
    // A paste into a nearly full box keeps what fits.
    d->setText(QString(74, QLatin1Char('a')));
    d->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral("1\n234"));
    d->paste();
    QCOMPARE(d->text(), QString(74, QLatin1Char('a')) + QStringLiteral("1 "));
    // Tab leaves the box instead of typing a tab.
    QTest::keyClick(d, Qt::Key_Tab);
    QCOMPARE(focused(), s.w->txtAmt);
}

// ---- Events reaching the handlers ----

class DispatchTest : public QObject {
    Q_OBJECT
private slots:
    void leavingRunsTheRuleButWindowsAndPopupsDoNot();
    void aRuleThatReturnsTheFocusDoesNotStartAnother();
    void enterGoesOnToTheBoxItWasTypedIn();
    void descriptionKeys();
    void customerChosenFromTheList();
    void checkBoxesAndPanelsRunTheirHandlers();
    void ledgerPathRunsTheLeaveRuleFirst();
};

void DispatchTest::leavingRunsTheRuleButWindowsAndPopupsDoNot() {
    Shown s;
    QCOMPARE(focused(), s.w->AeDate);
    // Another window or a popup taking the focus is not leaving the box.
    for (auto reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(s.w->AeDate, &out);
        QVERIFY(s.w->AeDate->text().isEmpty());
        QVERIFY(s.w->AeDue->text().isEmpty());
    }
    // Leaving it does: an empty invoice date becomes today's, in both boxes.
    QTest::keyClick(focused(), Qt::Key_Tab);
    QCOMPARE(focused(), s.w->AeDue);
    QCOMPARE(s.w->AeDate->text(), QStringLiteral("1/15/2006"));
    QCOMPARE(s.w->AeDue->text(), QStringLiteral("1/15/2006"));
    QVERIFY(s.fx.host.messages.isEmpty());
}

void DispatchTest::aRuleThatReturnsTheFocusDoesNotStartAnother() {
    Shown s;
    // Both dates lack delimiters. Leaving the invoice date shows its message and takes the
    // focus back from the due date box: the due date's own rule must not start on the way.
    s.w->AeDue->setText(QStringLiteral("020306"));
    s.w->AeDate->setFocus();
    QTest::keyClicks(s.w->AeDate, QStringLiteral("010506"));
    QTest::keyClick(s.w->AeDate, Qt::Key_Tab);
    QCOMPARE(s.fx.host.messages,
             QStringList{QStringLiteral("Enter date with delimiters such as - or /)")});
    QCOMPARE(s.fx.host.beeps, 1);
    QCOMPARE(focused(), s.w->AeDate);
    QVERIFY(s.w->AeDate->text().isEmpty());
    QCOMPARE(s.w->AeDue->text(), QStringLiteral("020306"));
}

void DispatchTest::enterGoesOnToTheBoxItWasTypedIn() {
    Shown s;
    // Enter in the amount box moves to Post; the key stays with the amount box and posts
    // nothing.
    s.w->txtAmt->setFocus();
    QTest::keyClick(s.w->txtAmt, Qt::Key_Return);
    QCOMPARE(focused(), s.w->btnPost);
    QVERIFY(s.fx.host.messages.isEmpty());
    // Enter once more, now on Post: Post runs.
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(s.fx.host.messages.size(), 1);

    // The chain through the entry, with the keypad's Enter too.
    s.w->txtQuan->setFocus();
    QTest::keyClick(s.w->txtQuan, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(focused(), s.w->cboProd);
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(focused(), s.w->txtDesc);
    // Enter typed into the product box added nothing to its list.
    QCOMPARE(s.w->cboProd->count(), 0);
}

void DispatchTest::descriptionKeys() {
    Shown s;
    tw::DescriptionBox* d = s.w->txtDesc;
    d->setFocus();
    QTest::keyClicks(d, QStringLiteral("abc"));
    QTest::keyClick(d, Qt::Key_Return);
    QCOMPARE(focused(), s.w->txtAmt);
    QCOMPARE(d->text(), QStringLiteral("abc"));

    // A full box beeps for every character key, Backspace included (which still deletes);
    // keys that type nothing are no key presses of a character.
    d->setText(QString(76, QLatin1Char('d')));
    d->setFocus();
    d->moveCursor(QTextCursor::End);
    QCOMPARE(s.fx.host.beeps, 0);
    QTest::keyClick(d, Qt::Key_Left);
    QTest::keyClick(d, Qt::Key_Shift);
    QCOMPARE(s.fx.host.beeps, 0);
    d->moveCursor(QTextCursor::End);
    QTest::keyClicks(d, QStringLiteral("e"));
    QCOMPARE(s.fx.host.beeps, 1);
    QCOMPARE(d->text(), QString(76, QLatin1Char('d')));
    QTest::keyClick(d, Qt::Key_Backspace);
    QCOMPARE(s.fx.host.beeps, 2);
    QCOMPARE(d->text().size(), 75);
    QTest::keyClicks(d, QStringLiteral("f"));
    QCOMPARE(s.fx.host.beeps, 2);
}

void DispatchTest::customerChosenFromTheList() {
    Shown s;
    const QString ledgerDir = s.fx.mapDrive(QLatin1Char('L'));
    s.w->gLedger = QStringLiteral("L:");
    tw::ledger::LedgerIndexRecord rec;
    rec.LedgerNumber = 1;
    rec.CustomerName = QStringLiteral("Beta Co");
    tw::test::writeAll(ledgerDir + QStringLiteral("/ledger.ndx"), rec.encode());
    s.w->cboCust->addItems({QStringLiteral("Acme"), QStringLiteral("Beta Co")});
    s.w->cboCust->setCurrentIndex(-1);
    s.w->cboCust->setEditText(QString());

    // Text set by the program is no choice: nothing is looked up.
    s.w->cboCust->setEditText(QStringLiteral("Beta Co"));
    QVERIFY(s.w->txtLedger->text().isEmpty());
    QVERIFY(s.w->lblNew->isHidden());

    // Arrow keys choose from the list.
    s.w->cboCust->setFocus();
    s.w->cboCust->setCurrentIndex(-1);
    QTest::keyClick(s.w->cboCust, Qt::Key_Down);
    QCOMPARE(s.w->cboCust->currentText(), QStringLiteral("Acme"));
    QVERIFY(s.w->txtLedger->text().isEmpty());
    QVERIFY(s.w->lblNew->isVisible());
    QTest::keyClick(s.w->cboCust, Qt::Key_Down);
    QCOMPARE(s.w->txtLedger->text(), QStringLiteral("00001"));
    QVERIFY(s.w->lblNew->isHidden());

    // A name typed in other capitals is looked up as typed when the box is left by Enter.
    s.w->cboCust->setEditText(QString());
    QTest::keyClicks(s.w->cboCust, QStringLiteral("zeta"));
    QTest::keyClick(s.w->cboCust, Qt::Key_Return);
    QCOMPARE(focused(), s.w->txtInvoice);
    QCOMPARE(s.w->cboCust->currentText(), QStringLiteral("zeta"));
    QVERIFY(s.w->lblNew->isVisible());
    QCOMPARE(s.w->cboCust->count(), 2);
    QVERIFY(s.fx.host.messages.isEmpty());
}

void DispatchTest::checkBoxesAndPanelsRunTheirHandlers() {
    Shown s;
    const QString check = s.fx.programFile(tw::settings::kCheck);
    // The match option's handler follows the operator's click and a change by code alike.
    QTest::mouseClick(s.w->Check1, Qt::LeftButton, {}, s.w->Check1->rect().center());
    QVERIFY(s.w->Check1->isChecked());
    QCOMPARE(readAll(check), QByteArray("1\r\n"));
    s.w->Check1->setChecked(false);
    QCOMPARE(readAll(check), QByteArray("0\r\n"));

    // Clear, by its caption: the entry empties and the focus goes to the invoice date.
    s.fx.setSetting(tw::settings::kDefTax, QStringLiteral("6"));
    s.w->txtInvoice->setText(QStringLiteral("123"));
    s.w->txtDesc->setText(QStringLiteral("cards"));
    s.w->txtPO->setFocus();
    QTest::mouseClick(s.w->btnClear, Qt::LeftButton, {}, s.w->lblClear->geometry().center());
    QVERIFY(s.w->txtInvoice->text().isEmpty());
    QVERIFY(s.w->txtDesc->text().isEmpty());
    QCOMPARE(s.w->txtDefaultTax->text(), QStringLiteral("6"));
    QCOMPARE(focused(), s.w->AeDate);

    // Post, by the mouse: the warning for an empty entry.
    QTest::mouseClick(s.w->btnPost, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(s.fx.host.messages,
             QStringList{QStringLiteral("Warning: Customer, Date or Amount Cannot Be Blank!")});
}

void DispatchTest::ledgerPathRunsTheLeaveRuleFirst() {
    Shown s;
    s.w->AeDate->setFocus();
    QTest::keyClicks(s.w->AeDate, QStringLiteral("010506"));
    s.w->mnuLedgerPath->trigger();
    QCOMPARE(s.fx.host.messages,
             QStringList{QStringLiteral("Enter date with delimiters such as - or /)")});
    QVERIFY(s.w->AeDate->text().isEmpty());
    QVERIFY(s.fx.windows->pathLedger() != nullptr);
    QVERIFY(s.fx.windows->pathLedger()->isVisible());
}

TW_REGISTER_TEST(LayoutTest)
TW_REGISTER_TEST(ModeMenuTest)
TW_REGISTER_TEST(ControlsTest)
TW_REGISTER_TEST(DispatchTest)
#include "layout_test.moc"
