// The Customer Ledger window opened on a long ledger, to a painted window.
#include "benchsupport.h"
#include "ledger/ledgermodel.h"
#include "ledgerview/frmledgerview.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <iostream>

namespace tw::bench {

namespace {

const QString kLedgerFolder = QStringLiteral("F:\\LEDGER");

// Opens the window on the ledger and paints it; the entries shown, or -1 with the message.
int openPainted(QuietHost& host, const QString& number, frmLedgerView*& w) {
    static NoDialogs dialogs;
    static const settings::SettingsStore settings(data().prog);
    w = new frmLedgerView(*data().paths, host, dialogs, settings);
    if (!w->showLedger(kLedgerFolder, number, QStringLiteral("BENCH CUSTOMER")))
        return -1;
    w->show();
    w->repaint();
    runToIdle();
    return int(w->model()->summary().all);
}

void LedgerView(benchmark::State& state, const QString& number, int entries) {
    QuietHost host;
    for (auto _ : state) {
        frmLedgerView* w = nullptr;
        const int shown = openPainted(host, number, w);
        state.PauseTiming();
        delete w;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
        if (shown != entries) {
            fail(state, QStringLiteral("%1 entries shown; %2")
                            .arg(shown)
                            .arg(host.messages.join(QLatin1Char(' '))));
            break;
        }
    }
}

void LedgerView10000(benchmark::State& state) {
    LedgerView(state, QStringLiteral("00001"), 10000);
}
BENCHMARK(LedgerView10000)->Unit(benchmark::kMillisecond);

void LedgerView100000(benchmark::State& state) {
    LedgerView(state, QStringLiteral("00003"), 100000);
}
BENCHMARK(LedgerView100000)->Unit(benchmark::kMillisecond);

} // namespace

int ledgerViewResidentChild(const QString& number) {
    QuietHost host;
    frmLedgerView* w = nullptr;
    if (openPainted(host, number, w) < 0) {
        std::cerr << host.messages.join(QLatin1Char(' ')).toStdString() << '\n';
        return 1;
    }
    std::cout << residentKiB() << '\n';
    delete w;
    return 0;
}

} // namespace tw::bench
