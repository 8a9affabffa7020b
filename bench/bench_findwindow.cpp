// The Find window holding a hundred thousand results: what they add to the started window.
#include "benchsupport.h"
#include "find/findresults.h"
#include "find/frmfind.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include <iostream>

namespace tw::bench {

int findWindowResidentChild(bool search) {
    QuietHost host;
    NoDialogs dialogs;
    const settings::SettingsStore settings(data().prog);
    auto* w = new frmFind(*data().paths, host, dialogs, settings);
    w->setLedgerFolder(QStringLiteral("F:\\FIND1000"));
    w->show();
    runToIdle();
    if (search) {
        // Every ledger holds the invoices 10001 upward: "1" is in each of them.
        w->txtFind->setText(QStringLiteral("1"));
        w->cmdFind->click();
        while (w->searching())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        w->repaint();
        runToIdle();
        if (w->results()->rowCount() != 100000) {
            std::cerr << w->results()->rowCount() << " results; "
                      << host.messages.join(QLatin1Char(' ')).toStdString() << '\n';
            return 1;
        }
    }
    std::cout << residentKiB() << '\n';
    delete w;
    return 0;
}

} // namespace tw::bench
