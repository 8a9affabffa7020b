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
#include <QTextStream>

int main(int argc, char** argv) {
    tw::settings::SettingsLocation where;
    {
        // The command line is answered before any window system is touched, so that --version
        // and the tasks run where there is no display.
        QCoreApplication console(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        tw::CommandLine line = tw::programCommandLine(QCoreApplication::applicationDirPath());
        const auto exitCode = line.run(QCoreApplication::arguments(), out, err);
        if (exitCode)
            return *exitCode;
        where = line.settingsLocation();
    }

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
