#pragma once
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace tw {
class Host;
}

namespace tw::settings {

// The one-line settings files of the program folder, named exactly as the other programs
// of the office know them.
inline const QString kDefTax = QStringLiteral("DefTax.Dat");
inline const QString kEstLoc = QStringLiteral("estloc.dat");
inline const QString kLedger = QStringLiteral("Ledger.dat");
inline const QString kCheck = QStringLiteral("Check.Dat");
inline const QString kInterface = QStringLiteral("interface.dat");
inline const QString kDbLoc = QStringLiteral("dbloc.dat");
// 0: exported files begin without a byte-order mark (any other value, or none: with one).
inline const QString kExportBom = QStringLiteral("ExportBom.dat");

// The first field of the first line: leading blanks skipped; a value that then begins with a
// double quote runs to the next double quote; otherwise up to the first comma or the end of
// the line. Bytes are Windows-1252.
QString firstField(QByteArrayView content);

// A folder as the settings keep it: a DOS path (a drive letter and a colon first) without
// control characters. Anything else, such as a NUL byte after the folder or a file saved as
// UTF-16 by an editor, must never become a file path.
bool isDosFolder(QStringView value);

// A value as a settings line keeps it whole: in double quotes when it holds a comma, which
// would otherwise end it (the first-field rule reads the quotes).
QString quotedIfNeeded(const QString& value);

// A folder typed or chosen in a folder chooser, checked before it is saved.
struct FolderChoice {
    QString path;    // blanks trimmed
    QString refusal; // empty, or the message why it cannot be saved
};
FolderChoice checkChosenFolder(QStringView text);

// Reads and writes the settings files in one folder (the program folder).
class SettingsStore {
public:
    // host, when given, is told once about a file that cannot be written.
    explicit SettingsStore(QString folder, Host* host = nullptr);

    const QString& folder() const { return folder_; }
    QString pathOf(const QString& name) const;

    // The first field of the file; nullopt when the file is missing, cannot be opened or
    // holds no characters at all (unreadable). A file whose first line is empty gives "".
    std::optional<QString> read(const QString& name) const;
    // A folder setting: nullopt when the file is unreadable, the value is empty or it is no
    // DOS folder (isDosFolder).
    std::optional<QString> readFolder(const QString& name) const;
    // Creates or truncates the file and writes the value and CR LF. On failure returns false
    // and, the first time, shows one message naming the folder.
    bool write(const QString& name, const QString& value);
    bool remove(const QString& name);

    // A settings file of several lines (a list the program keeps, such as remembered column
    // assignments): its non-empty lines without their line ends; none when it is missing or
    // unreadable.
    QStringList readLines(const QString& name) const;
    // Replaces the file with the lines, each ending in CR LF, the way write() replaces a value.
    bool writeLines(const QString& name, const QStringList& lines);

private:
    QString folder_;
    Host* host_;
    bool reported_ = false;
};

} // namespace tw::settings
