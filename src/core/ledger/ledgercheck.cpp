#include "ledger/ledgercheck.h"

#include "ledger/ledgerrecords.h"
#include "platform/dospath.h"
#include "platform/filesystem.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "platform/text1252.h"
#include "settings/settings.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace tw::ledger {

namespace {

constexpr int kIndexLength = LedgerIndexRecord::kLength;
constexpr int kEntryLength = LedgerEntryRecord::kLength;

// Field offsets of a ledger entry, as the problems name them.
constexpr int kInvoiceDateAt = 8;
constexpr int kDueDateAt = 14;
constexpr int kAmountAt = 116;
constexpr int kLineEndAt = 126;

// A file of the folder as the operator named the folder.
QString displayName(const QString& displayFolder, const QString& fileName) {
    const QChar sep = !driveOf(displayFolder).isNull() || displayFolder.contains(QLatin1Char('\\'))
                          ? QLatin1Char('\\')
                          : QLatin1Char('/');
    QString folder = displayFolder;
    while (folder.endsWith(sep))
        folder.chop(1);
    return folder + sep + fileName;
}

// "led00012.dat" in any case: the ledger number, else 0.
// "led00012.dat" in any case: the ledger number, else 0. Told by the name's bytes, before any
// text is made of it.
int ledgerFileNumber(const char* name) {
    if (std::strlen(name) != 12 || ::strncasecmp(name, "led", 3) != 0 ||
        ::strcasecmp(name + 8, ".dat") != 0)
        return 0;
    int n = 0;
    for (int i = 3; i < 8; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

// A damaged field's bytes as printable text: one problem stays one line.
QString quoted(QByteArrayView bytes) {
    return QLatin1Char('"') + ansi::printable(ansi::decode(bytes)) + QLatin1Char('"');
}

class Checker {
public:
    Checker(QString nativeFolder, QString displayFolder)
        : native_(std::move(nativeFolder)), display_(std::move(displayFolder)) {}

    LedgerCheckReport run() {
        const QFileInfo folder(native_);
        if (!folder.isDir()) {
            problem(display_, 0,
                    folder.exists() ? QStringLiteral("is not a folder.")
                                    : QStringLiteral("the folder does not exist."));
            return std::move(report_);
        }
        files_ = listLedgerFolder(native_);
        checkIndex();
        checkLedgerFiles();
        return std::move(report_);
    }

private:
    void problem(const QString& file, std::int64_t offset, const QString& what, bool note = false) {
        report_.problems.append(LedgerProblem{file, offset, what, note});
    }

    // Reads a whole file that must be a plain file; nullopt after reporting why not.
    std::optional<QByteArray> readWhole(const QFileInfo& fi, const QString& shown,
                                        int recordLength) {
        // A FIFO or a device in the folder would block or never end: not read.
        if (!fi.isFile()) {
            problem(shown, 0, QStringLiteral("is not a plain file."));
            return std::nullopt;
        }
        try {
            RecordFile file;
            file.open(fi.filePath(), shown, RecordFile::Mode::ReadOnly);
            if (recordLength == kEntryLength)
                return readLedgerBytes(file);
            QByteArray bytes(qsizetype(file.length()), Qt::Uninitialized);
            bytes.resize(qsizetype(file.read(0, bytes.data(), bytes.size())));
            return bytes;
        } catch (const IoError& e) {
            problem(shown, 0, e.text());
            return std::nullopt;
        }
    }

    void checkIndex() {
        if (files_.index.isEmpty())
            return; // no customer has a ledger yet; ledger files are reported below
        const QString shown = displayName(display_, files_.index);
        const std::optional<QByteArray> bytes =
            readWhole(files_.info(files_.index), shown, kIndexLength);
        if (!bytes)
            return;
        const qsizetype whole = bytes->size() / kIndexLength;
        report_.indexRecords = int(whole);
        QHash<QByteArrayView, qsizetype> firstOf;
        firstOf.reserve(whole);
        for (qsizetype i = 0; i < whole; ++i) {
            const QByteArrayView rec =
                QByteArrayView(*bytes).sliced(i * kIndexLength, kIndexLength);
            const std::int64_t at = std::int64_t(i) * kIndexLength;
            const int number = int(i + 1);
            const QByteArrayView numberField = rec.sliced(0, LedgerIndexRecord::kNameOffset);
            const QByteArrayView name =
                rec.sliced(LedgerIndexRecord::kNameOffset, LedgerIndexRecord::kNameWidth);
            if (numberField != QByteArrayView(ledgerNumberText(number).toLatin1())) {
                problem(shown, at,
                        QStringLiteral("record %1 holds the number %2.")
                            .arg(ledgerNumberText(number), quoted(numberField)));
            }
            if (rec.sliced(kIndexLength - 2) != QByteArrayView("\r\n"))
                problem(shown, at,
                        QStringLiteral("record %1 does not end in CR LF.")
                            .arg(ledgerNumberText(number)));
            const auto first = firstOf.constFind(name);
            if (first == firstOf.cend()) {
                firstOf.insert(name, i);
            } else {
                problem(shown, at,
                        QStringLiteral("record %1 lists the name %2 again (first as %3).")
                            .arg(ledgerNumberText(number), quoted(name.trimmed()),
                                 ledgerNumberText(int(*first + 1))));
            }
        }
        if (const qsizetype rest = bytes->size() % kIndexLength)
            problem(shown, std::int64_t(whole) * kIndexLength,
                    partialRecordProblem(rest, kIndexLength));
    }

    void checkLedgerFiles() {
        const int indexed = report_.indexRecords;
        // Index records without a file: a ledger allocated by another program before its first
        // invoice, or one whose first append failed. Nothing is lost, so only a note.
        for (int n = 1; n <= indexed; ++n) {
            if (!files_.ledgers.contains(n)) {
                problem(displayName(display_, files_.index), std::int64_t(n - 1) * kIndexLength,
                        QStringLiteral("ledger %1 has no entries: no file led%1.dat.")
                            .arg(ledgerNumberText(n)),
                        true);
            }
        }
        for (auto it = files_.ledgers.cbegin(); it != files_.ledgers.cend(); ++it) {
            const int n = it.key();
            for (const QString& name : it.value()) {
                const QString shown = displayName(display_, name);
                if (it.value().size() > 1)
                    problem(shown, 0,
                            QStringLiteral("one of %1 files for ledger %2.")
                                .arg(it.value().size())
                                .arg(ledgerNumberText(n)));
                if (n > indexed)
                    problem(
                        shown, 0,
                        QStringLiteral("ledger %1 has no index record.").arg(ledgerNumberText(n)));
                checkLedgerFile(files_.info(name), shown);
            }
        }
    }

    void checkLedgerFile(const QFileInfo& fi, const QString& shown) {
        ++report_.ledgerFiles;
        std::optional<QByteArray> bytes = readWhole(fi, shown, kEntryLength);
        if (!bytes)
            return;
        const qsizetype rest = bytes->size() % kEntryLength;
        // A last record that lacks only its line end is an entry, checked as the others.
        const LedgerContents contents = ledgerContents(std::move(*bytes));
        const std::int64_t count = contents.count();
        report_.entries += count;
        for (std::int64_t i = 0; i < count; ++i) {
            const QByteArrayView rec = contents.record(i);
            const std::int64_t at = std::int64_t(i) * kEntryLength;
            const QByteArrayView invoiceDate = rec.sliced(kInvoiceDateAt, 6);
            const QByteArrayView dueDate = rec.sliced(kDueDateAt, 6);
            const QByteArrayView amount = rec.sliced(kAmountAt, LedgerEntryRecord::kAmountWidth);
            const auto say = [&](int field, const QString& what) {
                problem(shown, at + field, QStringLiteral("record %1: %2").arg(i + 1).arg(what));
            };
            if (!readDateField(invoiceDate, DateOrder::YyMmDd))
                say(kInvoiceDateAt,
                    QStringLiteral("the invoice date %1 does not read.").arg(quoted(invoiceDate)));
            if (!readDateField(dueDate, DateOrder::MmDdYy))
                say(kDueDateAt,
                    QStringLiteral("the due date %1 does not read.").arg(quoted(dueDate)));
            if (!readAmountField(amount))
                say(kAmountAt, QStringLiteral("the amount %1 does not read.").arg(quoted(amount)));
            if (rec.sliced(kLineEndAt) != QByteArrayView("\r\n"))
                say(kLineEndAt, QStringLiteral("does not end in CR LF."));
        }
        if (rest != 0) {
            const std::int64_t whole = count - (contents.lastLacksLineEnd ? 1 : 0);
            problem(shown, whole * kEntryLength, partialRecordProblem(rest, kEntryLength));
        }
    }

    QString native_, display_;
    LedgerFolderFiles files_;
    LedgerCheckReport report_;
};

} // namespace

LedgerFolderFiles listLedgerFolder(const QString& nativeFolder, int above) {
    // Read straight from the folder, each name told by its bytes first: a folder of tens of
    // thousands of ledger files is listed in a few milliseconds, where a general listing looks
    // at every entry on the disk. Only an entry of a ledger file's name whose kind the folder
    // does not tell is looked at: a folder is left out, anything else (a pipe, a link that
    // leads nowhere) is listed for the reader to refuse.
    LedgerFolderFiles files;
    files.folder = nativeFolder;
    DIR* dir = ::opendir(QFile::encodeName(nativeFolder).constData());
    if (!dir)
        return files;
    while (const dirent* e = ::readdir(dir)) {
        const bool index = ::strcasecmp(e->d_name, "ledger.ndx") == 0;
        const int number = index ? 0 : ledgerFileNumber(e->d_name);
        if (!index && number <= above)
            continue;
        const QString name = QFile::decodeName(e->d_name);
        bool folder = e->d_type == DT_DIR;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            const QByteArray path = QFile::encodeName(nativeFolder + QLatin1Char('/') + name);
            folder = ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (folder)
            continue;
        if (!index)
            files.ledgers[number].append(name);
        else if (files.index.isEmpty() || name == QLatin1String("ledger.ndx"))
            files.index = name;
    }
    ::closedir(dir);
    for (QStringList& names : files.ledgers)
        names.sort(); // several spellings of one ledger, in the order a listing gives them
    return files;
}

QStringList LedgerFolderFiles::unlisted(int indexRecords) const {
    QStringList out;
    for (auto it = ledgers.upperBound(indexRecords); it != ledgers.cend(); ++it)
        out += it.value();
    return out;
}

QString partialRecordProblem(qsizetype have, int length) {
    if (have >= length - 2)
        return QStringLiteral("the last record lacks its line end (%1 of %2 bytes).")
            .arg(have)
            .arg(length);
    return QStringLiteral("the last record is torn (%1 of %2 bytes).").arg(have).arg(length);
}

LedgerFolderSetting ledgerFolderSetting(const DosPaths& paths) {
    const settings::SettingsStore store(paths.programFolder());
    const QString folder = store.read(settings::kLedger).value_or(QString());
    if (folder.isEmpty())
        return {{},
                QStringLiteral("The ledger folder is not set: %1 is missing or empty.")
                    .arg(store.pathOf(settings::kLedger))};
    if (!settings::isDosFolder(folder))
        return {{},
                QStringLiteral("The ledger folder is not set: %1 holds no DOS folder.")
                    .arg(store.pathOf(settings::kLedger))};
    return {folder, {}};
}

QString LedgerProblem::line() const {
    return QStringLiteral("%1 offset %2: %3%4")
        .arg(file)
        .arg(offset)
        .arg(note ? QStringLiteral("note: ") : QString(), what);
}

bool LedgerCheckReport::sound() const {
    return std::all_of(problems.cbegin(), problems.cend(),
                       [](const LedgerProblem& p) { return p.note; });
}

LedgerCheckReport checkLedgerFolder(const QString& nativeFolder, const QString& displayFolder) {
    return Checker(nativeFolder, displayFolder).run();
}

int runLedgerCheck(const std::optional<QString>& folderArgument, const DosPaths& paths,
                   QTextStream& out) {
    QString display;
    if (folderArgument) {
        display = *folderArgument;
    } else {
        // The program posts only to a DOS folder from the file; a check of whatever else the
        // file holds would call sound a folder that no posting reaches.
        const LedgerFolderSetting setting = ledgerFolderSetting(paths);
        if (setting.folder.isEmpty()) {
            out << setting.message << '\n';
            return 1;
        }
        display = setting.folder;
    }
    QString native = display;
    if (display.trimmed().isEmpty()) {
        // An empty name given is no folder, not a way to ask for the one Ledger.dat names.
        display = QStringLiteral("\"%1\"").arg(display);
        native.clear();
    } else if (!driveOf(display).isNull()) {
        native = paths.toNative(display);
        if (native.isEmpty()) {
            out << ansi::printable(display) << ": the drive " << display.left(2)
                << " is not mapped.\n";
            return 1;
        }
    }
    // Two PCs are kept from writing one ledger at once only on a file system that hands the
    // record locks to the server: the operator sees which one the folder lies on.
    out << ansi::printable(display) << ": file system " << mountOfFolder(native).describe()
        << ".\n";
    const LedgerCheckReport report = checkLedgerFolder(native, display);
    qsizetype notes = 0;
    for (const LedgerProblem& p : report.problems) {
        out << ansi::printable(p.line()) << '\n';
        notes += p.note ? 1 : 0;
    }
    const qsizetype problems = report.problems.size() - notes;
    out << ansi::printable(display) << ": " << report.indexRecords << " index records, "
        << report.ledgerFiles << " ledger files, " << report.entries << " entries: ";
    if (problems == 0)
        out << "sound";
    else
        out << problems << (problems == 1 ? " problem" : " problems") << " found";
    if (notes > 0)
        out << ", " << notes << (notes == 1 ? " note" : " notes");
    out << ".\n";
    out.flush();
    return report.sound() ? 0 : 1;
}

} // namespace tw::ledger
