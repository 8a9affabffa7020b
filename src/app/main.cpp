#include "app/appcontext.h"
#include "app/commandline.h"
#include "app/windows.h"
#include "platform/appinfo.h"
#include "platform/log.h"
#include "widgets/dialogs.h"
#include "widgets/widgethost.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (const auto exitCode = tw::answerCommandLine(argc, argv))
        return *exitCode;

    QApplication app(argc, argv);
    QApplication::setApplicationName(tw::appTitle());

    // The settings files and the log live beside the executable.
    const QString programFolder = QCoreApplication::applicationDirPath();
    tw::LogInstallation log(programFolder);

    tw::WidgetHost host;
    tw::WidgetDialogs dialogs;
    tw::AppContext ctx(programFolder, host, dialogs);
    const auto folderSetting = [&ctx](const QString& name) {
        return ctx.settings.read(name).value_or(QStringLiteral("(not set)"));
    };
    qCInfo(lcStartup).noquote()
        << QStringLiteral("%1 %2 started; program folder \"%3\", estimating folder \"%4\", "
                          "ledger folder \"%5\"")
               .arg(tw::appTitle(), tw::versionText(), programFolder,
                    folderSetting(tw::settings::kEstLoc), folderSetting(tw::settings::kLedger));
    tw::Windows windows(ctx);

    windows.showSplash();
    // The program ends when its last window has closed.
    return app.exec();
}
