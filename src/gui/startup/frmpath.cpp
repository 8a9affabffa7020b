#include "startup/frmpath.h"

#include "platform/dospath.h"
#include "platform/host.h"
#include "settings/settings.h"
#include "widgets/geometry.h"
#include "widgets/textfit.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>

namespace tw {

namespace {

constexpr int kClientWidthTwips = 4695;
constexpr int kClientHeightTwips = 5520;
const QColor kBackground(226, 226, 216);
constexpr int kDosPathRole = Qt::UserRole + 1;

// Everything in which the two choosers differ.
struct ChooserTexts {
    const char* objectName;
    const char* title;
    const QString* file;
    const char* label2;
    const char* label3;
    const char* label1;
};

const ChooserTexts kEst{
    "frmPathEst",
    "Est Path",
    &settings::kEstLoc,
    "Click on Drive followed by Double Click on Folder Where Est Resides. Results are shown "
    "below.",
    "Location of Corvane Estimator",
    "Instructions: The Quillbar Historical Ledger program is designed to make it easy and fast "
    "to view past invoicing activity for virtually all of your customers. Please identify "
    "location of your EST Folder in order to provide Customer List.",
};

const ChooserTexts kLedger{
    "frmPathLedger",
    "Ledger Path",
    &settings::kLedger,
    "Click on Drive followed by Double Click on Folder Where Historical Ledger Resides. Results "
    "are shown below.",
    "Location of Historical Ledger",
    "Instructions: The Quillbar Historical Ledger program is designed to make it easy and fast "
    "to view past invoicing activity for virtually all of your customers. Please identify "
    "location of your LEDGER data. Note that this may be in a separate folder, a different "
    "drive, etc.",
};

const ChooserTexts& textsOf(frmPath::Kind kind) {
    return kind == frmPath::Kind::Est ? kEst : kLedger;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QFrame* makeLine(QWidget* parent, const char* name, QFrame::Shape shape) {
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

frmPath::frmPath(const DosPaths& paths, settings::SettingsStore& settings, Host& host, Kind kind,
                 QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      paths_(paths), settings_(settings), host_(host), kind_(kind) {
    const ChooserTexts& t = textsOf(kind_);
    setObjectName(QString::fromLatin1(t.objectName));
    setWindowTitle(QString::fromLatin1(t.title));
    setFixedSize(twipsToPixelsX(kClientWidthTwips), twipsToPixelsY(kClientHeightTwips));
    setFont(formFont(8.25, false));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    pal.setColor(QPalette::Button, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);
    buildLayout();
    fillDrives();
}

QString frmPath::settingsFile() const {
    return *textsOf(kind_).file;
}

QString& frmPath::kept() {
    return kind_ == Kind::Est ? gA : gLedger;
}

void frmPath::buildLayout() {
    const ChooserTexts& t = textsOf(kind_);

    Label2 = makeLabel(this, "Label2", QString::fromLatin1(t.label2));
    placeTwips(Label2, 600, 120, 3255, 615);

    drvBox = new QComboBox(this);
    drvBox->setObjectName(QStringLiteral("drvBox"));
    placeTwips(drvBox, 600, 840, 3255, 315);
    connect(drvBox, &QComboBox::activated, this, &frmPath::driveChosen);

    dirBox = new QTreeWidget(this);
    dirBox->setObjectName(QStringLiteral("dirBox"));
    dirBox->setHeaderHidden(true);
    dirBox->setColumnCount(1);
    dirBox->setRootIsDecorated(false);
    dirBox->setIndentation(12);
    dirBox->setItemsExpandable(false);
    dirBox->setExpandsOnDoubleClick(false);
    dirBox->setUniformRowHeights(true);
    placeTwips(dirBox, 600, 1200, 3255, 1215);
    // A double-click (or Enter) opens a folder; a single click only selects it.
    connect(dirBox, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { openItem(item); });
    dirBox->installEventFilter(this);

    Label3 = makeLabel(this, "Label3", QString::fromLatin1(t.label3));
    placeTwips(Label3, 600, 2400, 3255, 255);

    Text1 = new QLineEdit(QStringLiteral("No Folder Selected"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setFont(formFont(9.75, true));
    placeTwips(Text1, 600, 2640, 3255, 285);

    Label4 = makeLabel(
        this, "Label4",
        QStringLiteral("If the location above is correct, click the continue button below."));
    placeTwips(Label4, 600, 3000, 3255, 375);

    cmdPath = new QPushButton(QStringLiteral("Continue"), this);
    cmdPath->setObjectName(QStringLiteral("cmdPath"));
    cmdPath->setFont(formFont(8.25, true));
    cmdPath->setAutoFillBackground(true);
    placeTwips(cmdPath, 1560, 3480, 1215, 255);
    connect(cmdPath, &QPushButton::clicked, this, &frmPath::cmdPath_Click);

    cmdDrives = new QPushButton(QStringLiteral("Drives..."), this);
    cmdDrives->setObjectName(QStringLiteral("cmdDrives"));
    cmdDrives->setAutoFillBackground(true);
    placeTwips(cmdDrives, 2880, 3480, 975, 255);
    connect(cmdDrives, &QPushButton::clicked, this, &frmPath::drivesWanted);

    Label1 = makeLabel(this, "Label1", QString::fromLatin1(t.label1));
    Label1->setFont(formFont(8.25, true));
    placeTwips(Label1, 360, 3840, 3855, 1935);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(32, 32));
    placeTwips(Image1, 60, 120, 480, 480);

    Line1 = makeLine(this, "Line1", QFrame::HLine);
    placeTwips(Line1, 600, 765, 3255, 30);
    Line2 = makeLine(this, "Line2", QFrame::HLine);
    placeTwips(Line2, 360, 3765, 3855, 30);
    Line3 = makeLine(this, "Line3", QFrame::VLine);
    placeTwips(Line3, 4230, 120, 30, 3600);

    for (QLabel* label : {Label2, Label3, Label4, Label1})
        shrinkFontToFit(label);

    // The drive list and the tree share one caption that names them both.
    drvBox->setAccessibleName(QStringLiteral("Drive"));
    dirBox->setAccessibleName(QStringLiteral("Folder"));
    drvBox->setAccessibleDescription(Label2->text());
    dirBox->setAccessibleDescription(Label2->text());
    nameAfterCaption(Label3, Text1);

    setTabOrder(drvBox, dirBox);
    setTabOrder(dirBox, Text1);
    setTabOrder(Text1, cmdPath);
    setTabOrder(cmdPath, cmdDrives);
}

void frmPath::fillDrives() {
    drvBox->clear();
    const QList<QChar> drives = paths_.drives();
    for (const QChar letter : drives) {
        const QString root = paths_.driveRoot(letter);
        drvBox->addItem(QString(letter) + QStringLiteral(":  [") + root + QLatin1Char(']'),
                        QVariant(QString(letter)));
    }
    // The drive of the working folder is the current drive; else the first one listed.
    QChar current = driveOf(paths_.toDos(QDir::currentPath()));
    int index = drvBox->findData(QVariant(QString(current)));
    if (index < 0)
        index = 0;
    if (drvBox->count() == 0)
        return;
    drvBox->setCurrentIndex(index);
    driveLetter_ = drvBox->itemData(index).toString().at(0);
    // The tree starts at that drive's current folder, the path box at its initial text.
    const QString start = currentFolderOf(driveLetter_);
    const QString keepText = Text1->text();
    if (setDirPath(start) || setDirPath(QString(driveLetter_) + QStringLiteral(":\\")))
        Text1->setText(keepText);
}

void frmPath::reloadDrives() {
    const QChar drive = driveLetter_;
    const QString folder = dirPath_;
    QList<QChar> listed;
    for (int i = 0; i < drvBox->count(); ++i)
        listed << drvBox->itemData(i).toString().at(0);
    driveLetter_ = QChar();
    dirPath_.clear();
    dirBox->clear();
    fillDrives();
    for (const QChar letter : paths_.drives()) {
        if (!listed.contains(letter) && setDrive(QString(letter) + QLatin1Char(':')))
            return;
    }
    if (!drive.isNull() && setDrive(QString(drive) + QLatin1Char(':')))
        setDirPath(folder);
}

QString frmPath::drive() const {
    return driveLetter_.isNull() ? QString() : QString(driveLetter_) + QLatin1Char(':');
}

bool frmPath::driveReadable(QChar letter) const {
    const QString root = paths_.driveRoot(letter);
    if (root.isEmpty())
        return false;
    const QFileInfo fi(root);
    return fi.isDir() && fi.isReadable() && fi.isExecutable();
}

QString frmPath::currentFolderOf(QChar letter) const {
    const QString root = QString(letter) + QStringLiteral(":\\");
    const QString cwd = paths_.toDos(QDir::currentPath());
    if (driveOf(cwd) == letter) {
        // The working folder counts only when it lies under this drive's own mapping.
        const QString native = paths_.toNative(cwd);
        if (!native.isEmpty() && QFileInfo(native).isDir())
            return cwd;
    }
    return root;
}

bool frmPath::setDrive(const QString& drive) {
    const QChar letter = driveOf(drive);
    if (letter.isNull() || drive.size() != 2)
        return false;
    const int index = drvBox->findData(QVariant(QString(letter)));
    if (index < 0 || !driveReadable(letter))
        return false;
    const QChar previous = driveLetter_;
    const int previousIndex = drvBox->currentIndex();
    drvBox->setCurrentIndex(index);
    driveLetter_ = letter;
    if (!drvBox_Change()) {
        drvBox->setCurrentIndex(previousIndex);
        driveLetter_ = previous;
        return false;
    }
    return true;
}

bool frmPath::drvBox_Change() {
    if (driveLetter_.isNull())
        return false;
    return setDirPath(currentFolderOf(driveLetter_)) ||
           setDirPath(QString(driveLetter_) + QStringLiteral(":\\"));
}

void frmPath::driveChosen(int index) {
    if (index < 0)
        return;
    const QChar letter = drvBox->itemData(index).toString().at(0);
    if (letter == driveLetter_)
        return;
    const int previousIndex = drvBox->findData(QVariant(QString(driveLetter_)));
    if (!setDrive(QString(letter) + QLatin1Char(':'))) {
        // The drive stays as it was, and the operator learns why.
        drvBox->setCurrentIndex(previousIndex);
        host_.message(
            QStringLiteral("Drive %1: cannot be read. Please choose another drive.").arg(letter));
    }
}

bool frmPath::setDirPath(const QString& dosPath) {
    const QChar letter = driveOf(dosPath);
    if (letter.isNull())
        return false;
    const QString root = paths_.driveRoot(letter);
    const QString native = paths_.toNative(dosPath);
    if (root.isEmpty() || native.isEmpty() || !QFileInfo(native).isDir())
        return false;

    // The folder's names as they are on disk, below the drive's root.
    const QString relative = QDir(root).relativeFilePath(QDir::cleanPath(native));
    QStringList parts;
    if (relative != QLatin1String("."))
        parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts.first() == QLatin1String(".."))
        return false;

    const QString rootText = QString(letter) + QStringLiteral(":\\");
    QStringList subfolders =
        QDir(native).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);

    // The tree as a folder list shows it: the root, each folder down to the open one, and the
    // open folder's subfolders.
    dirBox->setUpdatesEnabled(false);
    dirBox->clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    auto* item = new QTreeWidgetItem(dirBox, {rootText});
    item->setData(0, kDosPathRole, rootText);
    item->setIcon(0, openIcon);
    QString path = rootText;
    for (const QString& part : std::as_const(parts)) {
        path = joinDos(path, part);
        item = new QTreeWidgetItem(item, {part});
        item->setData(0, kDosPathRole, path);
        item->setIcon(0, openIcon);
    }
    QTreeWidgetItem* open = item;
    for (const QString& sub : std::as_const(subfolders)) {
        auto* child = new QTreeWidgetItem(open, {sub});
        child->setData(0, kDosPathRole, joinDos(path, sub));
        child->setIcon(0, closedIcon);
    }
    dirBox->expandAll();
    dirBox->setCurrentItem(open);
    dirBox->scrollToItem(open);
    dirBox->setUpdatesEnabled(true);

    dirPath_ = path;
    dirBox_Change();
    return true;
}

void frmPath::openItem(QTreeWidgetItem* item) {
    if (!item)
        return;
    const QString path = item->data(0, kDosPathRole).toString();
    if (path.isEmpty() || path == dirPath_)
        return;
    if (!setDirPath(path)) {
        host_.message(QStringLiteral("The folder %1 cannot be opened.").arg(path));
        setDirPath(dirPath_); // shows the tree as it now is
    }
}

void frmPath::dirBox_Change() {
    Text1->setText(dirPath_);
}

bool frmPath::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dirBox && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            openItem(dirBox->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmPath::Form_Load() {
    show();
    centreOnScreen(this);

    const std::optional<QString> value = settings_.read(settingsFile());
    if (!value) {
        kept().clear();
        return;
    }
    kept() = *value;
    const qsizetype colon = value->indexOf(QLatin1Char(':'));
    if (colon < 0 || value->isEmpty())
        return;
    // A saved folder presets drive, tree and path box. When any of them is no longer there the
    // controls keep what the steps before gave them and the value is forgotten, silently.
    colonPos = static_cast<qint16>(colon + 1);
    if (!setDrive(value->left(colon + 1)) || !setDirPath(*value)) {
        kept().clear();
        return;
    }
    Text1->setText(*value);
}

void frmPath::cmdPath_Click() {
    const settings::FolderChoice choice = settings::checkChosenFolder(Text1->text());
    if (!choice.path.isEmpty() && choice.path.contains(QLatin1Char(':'))) {
        if (!choice.refusal.isEmpty()) {
            // The chooser stays open for another folder.
            host_.message(choice.refusal);
            return;
        }
        kept() = choice.path;
        settings_.write(settingsFile(), settings::quotedIfNeeded(choice.path));
    }
    close();
}

} // namespace tw
