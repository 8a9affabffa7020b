#include "platform/appinfo.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/widgethost.h"
#include "startup/appcontext.h"
#include "startup/windows.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(tw::appTitle());

    tw::WidgetHost host;
    tw::WidgetDialogs dialogs;
    // The settings files live beside the executable.
    tw::AppContext ctx(QCoreApplication::applicationDirPath(), host, dialogs);
    tw::Windows windows(ctx);
    ctx.windows = &windows;

    windows.showSplash();
    // The program ends when its last window has closed.
    return app.exec();
}
