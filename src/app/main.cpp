#include "app/appcontext.h"
#include "app/commandline.h"
#include "app/windows.h"
#include "platform/appinfo.h"
#include "platform/log.h"
#include "settings/settingsfolder.h"
#include "widgets/dialogs.h"
#include "widgets/widgethost.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    tw::settings::SettingsLocation where;
    if (const auto exitCode = tw::answerCommandLine(argc, argv, where))
        return *exitCode;

    QApplication app(argc, argv);
    QApplication::setApplicationName(tw::appTitle());
    // The desktop shows the windows as the menu entry's program, with its icon.
    QApplication::setDesktopFileName(tw::desktopEntryName());
    QApplication::setWindowIcon(QIcon::fromTheme(tw::iconName()));

    tw::WidgetHost host;
    // The settings files, the log and the drive map live in the settings folder; one that
    // cannot be made or written is told before any window, and the program ends.
    if (const QString problem = tw::settings::prepareSettingsFolder(where); !problem.isEmpty()) {
        host.message(problem);
        return 1;
    }
    tw::LogInstallation log(where.folder);

    tw::WidgetDialogs dialogs;
    tw::AppContext ctx(where.folder, host, dialogs);
    qCInfo(lcStartup).noquote() << tw::settings::startLogLine(where, ctx.paths);
    tw::Windows windows(ctx);

    windows.showSplash();
    // The program ends when its last window has closed.
    return app.exec();
}
