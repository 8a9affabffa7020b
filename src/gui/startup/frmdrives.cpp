#include "startup/frmdrives.h"

#include "platform/host.h"
#include "widgets/dialogs.h"
#include "widgets/geometry.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace tw {

namespace {

enum Column { DriveColumn, FolderColumn, StateColumn, ColumnCount };

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QString driveText(QChar letter) {
    return QString(letter) + QLatin1Char(':');
}

} // namespace

void DriveTableModel::setEntries(QList<DriveEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

int DriveTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int DriveTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DriveTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    const DriveEntry& e = entries_.at(index.row());
    switch (index.column()) {
    case DriveColumn:
        return e.letter.isNull() ? e.name : driveText(e.letter);
    case FolderColumn:
        return e.folder;
    case StateColumn:
        return e.stateText();
    }
    return {};
}

QVariant DriveTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case DriveColumn:
        return QStringLiteral("Drive");
    case FolderColumn:
        return QStringLiteral("Folder");
    case StateColumn:
        return QStringLiteral("State");
    }
    return {};
}

frmDrives::frmDrives(DriveMap map, Host& host, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), map_(std::move(map)), host_(host), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmDrives"));
    setWindowTitle(QStringLiteral("Drives"));

    lblDrives = new QLabel(QStringLiteral("Drive letters and the folders they lead to:"), this);
    lblDrives->setObjectName(QStringLiteral("lblDrives"));
    grdDrives = new QTableView(this);
    grdDrives->setObjectName(QStringLiteral("grdDrives"));
    grdDrives->setModel(&model_);
    grdDrives->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDrives->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDrives->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDrives->verticalHeader()->hide();
    grdDrives->horizontalHeader()->setSectionResizeMode(FolderColumn, QHeaderView::Stretch);
    nameAfterCaption(lblDrives, grdDrives);

    lblLetter = new QLabel(QStringLiteral("&Letter:"), this);
    lblLetter->setObjectName(QStringLiteral("lblLetter"));
    cboLetter = new QComboBox(this);
    cboLetter->setObjectName(QStringLiteral("cboLetter"));
    lblLetter->setBuddy(cboLetter);
    cboLetter->setAccessibleName(QStringLiteral("Letter"));

    cmdAdd = makeButton(this, "cmdAdd", QStringLiteral("&Add..."));
    cmdChange = makeButton(this, "cmdChange", QStringLiteral("C&hange..."));
    cmdRemove = makeButton(this, "cmdRemove", QStringLiteral("&Remove"));
    cmdClose = makeButton(this, "cmdClose", QStringLiteral("&Close"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblDrives, 0, 0, 1, 3);
    grid->addWidget(grdDrives, 1, 0, 1, 3);
    auto* addRow = new QHBoxLayout;
    addRow->addWidget(lblLetter);
    addRow->addWidget(cboLetter);
    addRow->addWidget(cmdAdd);
    addRow->addStretch();
    grid->addLayout(addRow, 2, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdChange);
    buttons->addWidget(cmdRemove);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    grid->addLayout(buttons, 3, 0, 1, 3);
    resize(520, 320);

    connect(cmdAdd, &QPushButton::clicked, this, &frmDrives::cmdAdd_Click);
    connect(cmdChange, &QPushButton::clicked, this, &frmDrives::cmdChange_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmDrives::cmdRemove_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(grdDrives->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmDrives::updateButtons);

    setTabOrder(grdDrives, cboLetter);
    setTabOrder(cboLetter, cmdAdd);
    setTabOrder(cmdAdd, cmdChange);
    setTabOrder(cmdChange, cmdRemove);
    setTabOrder(cmdRemove, cmdClose);
}

void frmDrives::Form_Load() {
    reload();
    show();
    centreOnScreen(this);
}

void frmDrives::reload() {
    model_.setEntries(map_.entries());
    cboLetter->clear();
    const QList<QChar> free = map_.freeLetters();
    for (const QChar letter : free)
        cboLetter->addItem(driveText(letter), QVariant(QString(letter)));
    // Offered first: the first free letter from F: on, where DOS offices put their shared
    // drives (A: to E: being the floppies and local disks); else the first free one.
    int offered = 0;
    while (offered < free.size() && free[offered] < QLatin1Char('F'))
        ++offered;
    cboLetter->setCurrentIndex(offered < free.size() ? offered : 0);
    cmdAdd->setEnabled(cboLetter->count() > 0);
    updateButtons();
}

QChar frmDrives::chosenLetter() const {
    const QModelIndexList rows = grdDrives->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return {};
    const DriveEntry& e = model_.entry(rows.first().row());
    return e.state == DriveEntry::State::NotALink ? QChar() : e.letter;
}

void frmDrives::updateButtons() {
    const bool usable = !chosenLetter().isNull();
    cmdChange->setEnabled(usable);
    cmdRemove->setEnabled(usable);
}

void frmDrives::done(const QString& refusal) {
    if (!refusal.isEmpty())
        host_.message(refusal);
    reload();
}

void frmDrives::cmdAdd_Click() {
    if (cboLetter->currentIndex() < 0)
        return;
    const QChar letter = cboLetter->currentData().toString().at(0);
    const QString folder = dialogs_.chooseFolder(
        this, QStringLiteral("Folder for drive %1").arg(driveText(letter)), QDir::homePath());
    if (!folder.isEmpty())
        done(map_.add(letter, folder));
}

void frmDrives::cmdChange_Click() {
    const QChar letter = chosenLetter();
    if (letter.isNull())
        return;
    const QString now =
        model_.entry(grdDrives->selectionModel()->selectedRows().first().row()).folder;
    const QString folder =
        dialogs_.chooseFolder(this, QStringLiteral("Folder for drive %1").arg(driveText(letter)),
                              QFileInfo(now).isDir() ? now : QDir::homePath());
    if (!folder.isEmpty())
        done(map_.change(letter, folder));
}

void frmDrives::cmdRemove_Click() {
    const QChar letter = chosenLetter();
    if (!letter.isNull())
        done(map_.remove(letter));
}

} // namespace tw
