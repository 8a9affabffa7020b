#pragma once
#include <QByteArrayView>
#include <QString>
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

// The first field of the first line: leading blanks skipped; a value that then begins with a
// double quote runs to the next double quote; otherwise up to the first comma or the end of
// the line. Bytes are Windows-1252.
QString firstField(QByteArrayView content);

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
    // Creates or truncates the file and writes the value and CR LF. On failure returns false
    // and, the first time, shows one message naming the folder.
    bool write(const QString& name, const QString& value);
    bool remove(const QString& name);

private:
    QString folder_;
    Host* host_;
    bool reported_ = false;
};

} // namespace tw::settings
