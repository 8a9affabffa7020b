#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tw {

// The mount a folder lies on, as the system's mount table gives it. The ledger's record locks
// are byte-range locks: two PCs are kept apart only when the mount hands them to the file
// server, which a cifs mount with nobrl or an NFS mount with nolock or local_lock does not.
struct MountOfFolder {
    QString type;           // "cifs", "nfs4", "ext4", ...; empty when no mount was found
    QString mountPoint;     // "/srv/office"
    QStringList localLocks; // the options that keep locks on this PC: nobrl, nolock, local_lock=...

    // "cifs", or "unknown"; followed by the warning when locks stay on this PC.
    QString describe() const;
};

// The mount of the folder (or of its nearest existing parent), from /proc/self/mountinfo.
MountOfFolder mountOfFolder(const QString& folder);

// The same from the text of a mount table in the mountinfo layout, for a canonical path: the
// deepest mount point above it, the later of two on the same point.
MountOfFolder mountFromTable(const QString& canonicalPath, const QByteArray& mountinfo);

} // namespace tw
