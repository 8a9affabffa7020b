#include "guitestsupport.h"

#include "mainwindow/frmledger.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QTest>
#include <QWidget>

namespace tw::test {

QString FakeDialogs::chooseDatabaseFile(QWidget*, const QString&) {
    ++fileDialogs;
    return nextDatabaseFile;
}

bool FakeDialogs::choosePrinter(QPrinter& printer, QWidget*) {
    ++printerDialogs;
    if (!acceptPrinter)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    return true;
}

QString FakeDialogs::answer(const QString& caption, const QString& start) {
    ++fileDialogs;
    lastCaption = caption;
    lastStart = start;
    return nextFile;
}

QString FakeDialogs::chooseOpenFile(QWidget*, const QString& caption, const QString& startFolder,
                                    const QString&) {
    return answer(caption, startFolder);
}

QString FakeDialogs::chooseSaveFile(QWidget*, const QString& caption, const QString& suggestedPath,
                                    const QString&) {
    return answer(caption, suggestedPath);
}

QString FakeDialogs::chooseFolder(QWidget*, const QString& caption, const QString& startFolder) {
    return answer(caption, startFolder);
}

QByteArray runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

int pdfPages(const QString& pdf) {
    const QByteArray info = runTool(QStringLiteral("pdfinfo"), {pdf});
    for (const QByteArray& line : info.split('\n')) {
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

AppFixture::AppFixture() {
    // Window tests close their last window often; the test program must go on regardless.
    QApplication::setQuitOnLastWindowClosed(false);
    programFolder = tmp.path() + QStringLiteral("/prog");
    QDir().mkpath(programFolder + QStringLiteral("/dosdevices"));
    ctx = std::make_unique<tw::AppContext>(programFolder, host, dialogs);
    windows = std::make_unique<tw::Windows>(*ctx);
}

tw::frmLedger* AppFixture::mainWindow(const QString& ledgerFolder) {
    auto* w = new tw::frmLedger(ctx->paths, ctx->settings, ctx->defaultTax, host, dialogs);
    windows->answerRequestsOf(w);
    w->gLedger = ledgerFolder;
    w->show();
    return w;
}

AppFixture::~AppFixture() {
    // Windows first: they refer to the context.
    // Only parentless windows: a window with a parent (a popup, a dialog) goes with it.
    QList<QPointer<QWidget>> tops;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->parentWidget())
            tops << w;
    }
    for (const QPointer<QWidget>& w : std::as_const(tops))
        delete w.data();
    windows.reset();
}

QString AppFixture::mapDrive(QChar letter) {
    const QString dir = tmp.path() + QStringLiteral("/drive_") + letter.toLower();
    QDir().mkpath(dir);
    const QString link = programFolder + QStringLiteral("/dosdevices/") + letter.toLower() + ':';
    QFile::remove(link);
    QFile::link(dir, link);
    return dir;
}

bool activate(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QList<QWidget*> visibleWindows(const QString& objectName) {
    QList<QWidget*> out;
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* w : tops) {
        if (w->isVisible() && (objectName.isEmpty() || w->objectName() == objectName))
            out << w;
    }
    return out;
}

void AppFixture::setSetting(const QString& name, const QString& value) {
    writeAll(programFile(name), value.toLatin1() + "\r\n");
}

} // namespace tw::test
