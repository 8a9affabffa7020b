#pragma once
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace tw {

// A letter that can name a DOS drive: A to Z in either case.
bool isDriveLetter(QChar c);

// Folders are stored as DOS text such as F:\LEDGER and file names are appended to them with
// their own leading backslash. On POSIX a drive letter maps to a directory through the
// program folder's dosdevices/ folder (entries c:, f: ... linking to directories, as Wine
// lays it out); Z: is / unless listed. Backslashes become slashes, repeated separators
// collapse, and a component that does not exist under its exact name is matched without
// regard to case (the DOS system writes WIP.DAT, the program asks for \Wip.Dat).
class DosPaths {
public:
    explicit DosPaths(QString programFolder);

    const QString& programFolder() const { return programFolder_; }

    // The native path for a DOS path, or an empty string when its drive has no mapping or it
    // holds a control character.
    // A final component that does not exist keeps the name as written (so a file that
    // must be created gets that name). A path without a drive letter is taken relative
    // to the root of Z: on POSIX.
    QString toNative(const QString& dosPath) const;

    // The path through the drive's lower-case entry in dosdevices/, exactly as written, made
    // without a look at the disk. Whatever opens through it is the file toNative() names; it
    // opens nothing where toNative() finds the name in another case or creates it. An opener
    // tries it first, which spares the mapping's system calls, and falls back on toNative().
    // Empty for a text with a control character and for a drive without a name after it.
    QString directPath(const QString& dosPath) const;

    // The DOS form of a native directory: F:\EST for a folder under the directory that f:
    // maps to (the longest matching mapping wins, Z: last). Empty when none maps it.
    QString toDos(const QString& nativePath) const;

    // Drive letters (upper case) that have a mapping, in order, Z included.
    QList<QChar> drives() const;
    // The directory a drive maps to, or empty.
    QString driveRoot(QChar drive) const;

private:
    struct Parsed {
        QChar drive;       // upper case; Z without a drive letter
        QStringList parts; // the folders and the name, without ".", ".." or empty parts
    };
    static std::optional<Parsed> parse(const QString& dosPath);

    QString programFolder_;
    // The drives' directories as last resolved, shared by copies (see driveRoot).
    struct RootCache;
    std::shared_ptr<RootCache> roots_;
};

} // namespace tw
