#pragma once
#include "ledger/ledgerstore.h"
#include "platform/dospath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tw::test {

// A program folder whose drive F: maps to a temporary directory holding F:\LEDGER.
struct LedgerFolder {
    QTemporaryDir tmp;
    QString drive;  // native directory of F:
    QString folder; // native directory of F:\LEDGER
    tw::DosPaths paths;

    LedgerFolder() : paths(tmp.path() + "/prog") {
        drive = tmp.path() + "/drive_f";
        folder = drive + "/LEDGER";
        QDir().mkpath(folder);
        QDir().mkpath(tmp.path() + "/prog/dosdevices");
        QFile::link(drive, tmp.path() + "/prog/dosdevices/f:");
    }
    QString file(const QString& name) const { return folder + '/' + name; }
    tw::ledger::LedgerStore store(const QString& dos = QStringLiteral("F:\\LEDGER")) const {
        return tw::ledger::LedgerStore(paths, dos);
    }
};

} // namespace tw::test
