#include "guitestsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
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

AppFixture::AppFixture() {
    programFolder = tmp.path() + QStringLiteral("/prog");
    QDir().mkpath(programFolder + QStringLiteral("/dosdevices"));
    ctx = std::make_unique<tw::AppContext>(programFolder, host, dialogs);
    windows = std::make_unique<tw::Windows>(*ctx);
    ctx->windows = windows.get();
}

AppFixture::~AppFixture() {
    // Windows first: they refer to the context.
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget* w : tops)
        delete w;
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

void AppFixture::setSetting(const QString& name, const QString& value) {
    writeAll(programFile(name), value.toLatin1() + "\r\n");
}

} // namespace tw::test
