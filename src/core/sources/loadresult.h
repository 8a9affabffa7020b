#pragma once
#include <QString>
#include <QStringList>

namespace tw::sources {

// What a list loader hands back. A loader never touches a widget: the window decides what
// to do with the entries and how to recover from a failure.
struct LoadResult {
    // Entries in the order the source holds them; on a failure, the ones read before it.
    QStringList entries;
    // False when the loading ended early at a failure.
    bool ok = true;
    // What failed (the file and the system's reason); for diagnosis, the window's recovery
    // decides whether anything is shown.
    QString failure;
    // A message the operator must see once (an unsupported edition, no database set).
    QString message;

    void fail(const QString& why) {
        ok = false;
        failure = why;
    }
};

} // namespace tw::sources
