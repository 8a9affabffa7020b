#pragma once
#include "platform/drivemap.h"

#include <QAbstractTableModel>
#include <QList>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace tw {
class Dialogs;
class Host;

// The entries of a drive map as a table: drive, folder, and what is wrong with it.
class DriveTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(QList<DriveEntry> entries);
    const DriveEntry& entry(int row) const { return entries_.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<DriveEntry> entries_;
};

// "Drives...": the drive letters of the settings folder and the Linux folders they lead to,
// with Add, Change and Remove. Entries that are no usable link are listed as such and are
// never followed.
class frmDrives : public QWidget {
    Q_OBJECT
public:
    frmDrives(DriveMap map, Host& host, Dialogs& dialogs, QWidget* parent = nullptr);

    // Shows the window and reads the drive map.
    void Form_Load();
    // Reads the drive map again into the table and the free letters.
    void reload();

    void cmdAdd_Click();
    void cmdChange_Click();
    void cmdRemove_Click();

    QLabel* lblDrives = nullptr;
    QTableView* grdDrives = nullptr;
    QLabel* lblLetter = nullptr;
    QComboBox* cboLetter = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdChange = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdClose = nullptr;

private:
    // The letter of the chosen row when Change and Remove may act on it; null otherwise.
    QChar chosenLetter() const;
    void updateButtons();
    // Tells the refusal if there is one, then shows the map as it now is.
    void done(const QString& refusal);

    DriveMap map_;
    Host& host_;
    Dialogs& dialogs_;
    DriveTableModel model_;
};

} // namespace tw
