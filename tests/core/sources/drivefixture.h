#pragma once
#include "platform/dospath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A program folder whose dosdevices/ map gives drive letters to fresh temporary folders.
struct DriveFixture {
    QTemporaryDir tmp;
    QString programFolder = tmp.path() + QStringLiteral("/prog");
    tw::DosPaths paths{programFolder};

    DriveFixture() { QDir().mkpath(programFolder + QStringLiteral("/dosdevices")); }

    // Maps the letter to <tmp>/drive_<x> and returns that folder.
    QString mapDrive(QChar letter) {
        const QString dir = tmp.path() + QStringLiteral("/drive_") + letter.toLower();
        QDir().mkpath(dir);
        QFile::link(dir, programFolder + QStringLiteral("/dosdevices/") + letter.toLower() + ':');
        return dir;
    }
};
