#pragma once
#include <QChar>
#include <QList>
#include <QString>

#include <optional>

namespace tw {

// One entry of a dosdevices/ folder as found. A link is read and what it names is looked at
// once, never walked further, so a link loop or a vanished share shows as such.
struct DriveEntry {
    enum class State { Mapped, Missing, NotAFolder, Loop, NotALink, NotADriveLetter };
    QString name;   // as in dosdevices/: "f:"
    QChar letter;   // upper case; null when the name is no drive letter and a colon
    QString folder; // what the link names, as written in it; empty when it is no link
    State state = State::Mapped;

    // What a list of drives shows beside the folder: empty for a usable drive, else
    // "missing", "not a folder", "link loop", "not a link" or "not a drive letter".
    QString stateText() const;
};

// Said once when the program starts with no drive mapped, before the drive map opens.
inline const QString kNoDrivesMapped = QStringLiteral(
    "No drive is mapped yet. Map a drive letter to the folder that holds your estimating "
    "system's data (for example F: to the shared folder), then choose the folders.");

// The drive letters of a settings folder: the entries "f:" of its dosdevices/ folder are
// symbolic links to the folders that the letters stand for, as DosPaths reads them.
class DriveMap {
public:
    explicit DriveMap(const QString& settingsFolder);

    const QString& folder() const { return folder_; } // the dosdevices/ folder
    // Every entry, in name order.
    QList<DriveEntry> entries() const;
    // The letters A to Z that no entry uses, in either case: those add may map.
    QList<QChar> freeLetters() const;

    // Each returns an empty text when done, else the reason for the operator, and then
    // nothing has changed. add maps a free letter to an existing folder (making dosdevices/
    // when needed); change points a drive's link at another folder; remove deletes the link,
    // never what it leads to. An entry that is no link is left alone by all three.
    QString add(QChar letter, const QString& folder);
    QString change(QChar letter, const QString& folder);
    QString remove(QChar letter);

private:
    std::optional<DriveEntry> entryFor(QChar letter) const;
    // The link of a mapped drive, for change and remove; else the reason it is none.
    QString linkOf(QChar letter, DriveEntry& entry) const;

    QString folder_;
};

} // namespace tw
