#pragma once
#include <QChar>
#include <QString>
#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tw {
class DosPaths;
class Host;
namespace settings {
class SettingsStore;
}

// The folder chooser: a drive list, a folder tree and a path box; "Continue" stores a
// drive-qualified path in a settings file. One class serves both twins, the estimating folder
// chooser (frmPathEst, "\estloc.dat") and the ledger folder chooser (frmPathLedger,
// "\Ledger.dat"); they differ only in their texts and file.
class frmPath : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Est, Ledger };

    frmPath(const DosPaths& paths, settings::SettingsStore& settings, Host& host, Kind kind,
            QWidget* parent = nullptr);

    Kind kind() const { return kind_; }
    // The settings file this chooser reads and writes.
    QString settingsFile() const;

    // Shows the window centred and presets drive, folder and path box from the settings file.
    void Form_Load();
    // The drive now chosen: the tree goes to that drive's current folder.
    // False when the drive cannot be read (nothing changes then).
    bool drvBox_Change();
    // The folder now open in the tree goes into the path box.
    void dirBox_Change();
    // "Continue": stores the path box's text when it is drive-qualified, then closes.
    void cmdPath_Click();
    // Reads the drive map again, after "Drives..." has changed it: a drive that came up is
    // chosen, else the drive and folder chosen before stay when they are still there.
    void reloadDrives();

    // Chooses a drive ("F:") as the drive list does; false when it is not listed or cannot
    // be read. Raises the drive change.
    bool setDrive(const QString& drive);
    // Opens a folder (DOS form) in the tree, as a double-click does; false when it is not there
    // (nothing changes then). Raises the folder change.
    bool setDirPath(const QString& dosPath);
    // The drive the list shows ("F:") and the folder open in the tree (F:\EST; a root is F:\).
    QString drive() const;
    QString dirPath() const { return dirPath_; }

    // The value read from or written to the settings file: gA in the estimating folder chooser,
    // gLedger in the ledger folder chooser. The other one stays empty.
    QString gA;
    QString gLedger;
    // Position (from 1) of the colon in the value read; 0 when none was read.
    qint16 colonPos = 0;

    QLabel* Label2 = nullptr;
    QComboBox* drvBox = nullptr;
    QTreeWidget* dirBox = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* cmdPath = nullptr;
    QPushButton* cmdDrives = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Image1 = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QFrame* Line3 = nullptr;

signals:
    // "Drives...": the drive map should open.
    void drivesWanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString& kept();
    void buildLayout();
    void fillDrives();
    // The folder a drive starts at: the working folder on its own drive, else the root.
    QString currentFolderOf(QChar letter) const;
    bool driveReadable(QChar letter) const;
    void driveChosen(int index); // by the operator
    void openItem(QTreeWidgetItem* item);

    const DosPaths& paths_;
    settings::SettingsStore& settings_;
    Host& host_;
    Kind kind_;
    QChar driveLetter_;
    QString dirPath_;
};

} // namespace tw
