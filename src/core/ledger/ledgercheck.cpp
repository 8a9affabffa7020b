#include "ledger/ledgercheck.h"

#include "ledger/ledgerrecords.h"
#include "platform/dospath.h"
#include "platform/filesystem.h"
#include "platform/ioerror.h"
#include "platform/recordfile.h"
#include "platform/text1252.h"
#include "settings/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QTextStream>

#include <algorithm>

#include <vector>

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
int ledgerFileNumber(const QString& name) {
    if (name.size() != 12 || !name.startsWith(QLatin1String("led"), Qt::CaseInsensitive) ||
        !name.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive))
        return 0;
    return parseLedgerNumber(QStringView(name).mid(3, 5)).value_or(0);
}

// A damaged field's bytes as printable text: one problem stays one line.
QString quoted(QByteArrayView bytes) {
    return QLatin1Char('"') + ansi::printable(ansi::decode(bytes)) + QLatin1Char('"');
}

// The last partial record of a file: torn, or whole but for its line end (CR LF or LF).
QString tailProblem(bool lacksLineEnd, qsizetype have, int length) {
    if (lacksLineEnd)
        return QStringLiteral("the last record lacks its line end (%1 of %2 bytes).")
            .arg(have)
            .arg(length);
    return QStringLiteral("the last record is torn (%1 of %2 bytes).").arg(have).arg(length);
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
        collectFiles();
        checkIndex();
        checkLedgerFiles();
        return std::move(report_);
    }

private:
    void problem(const QString& file, std::int64_t offset, const QString& what, bool note = false) {
        report_.problems.append(LedgerProblem{file, offset, what, note});
    }

    // The folder's index and ledger files, matched without regard to case as the DOS
    // programs that write them do; an exact "ledger.ndx" wins over another spelling.
    void collectFiles() {
        const QFileInfoList entries =
            QDir(native_).entryInfoList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
        for (const QFileInfo& fi : entries) {
            const QString name = fi.fileName();
            if (name.compare(QLatin1String("ledger.ndx"), Qt::CaseInsensitive) == 0) {
                if (index_.fileName().isEmpty() || name == QLatin1String("ledger.ndx"))
                    index_ = fi;
            } else if (const int n = ledgerFileNumber(name)) {
                ledgers_[n].append(fi);
            }
        }
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
        if (index_.fileName().isEmpty())
            return; // no customer has a ledger yet; ledger files are reported below
        const QString shown = displayName(display_, index_.fileName());
        const std::optional<QByteArray> bytes = readWhole(index_, shown, kIndexLength);
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
                    tailProblem(rest >= kIndexLength - 2, rest, kIndexLength));
    }

    void checkLedgerFiles() {
        const int indexed = report_.indexRecords;
        // Index records without a file: a ledger allocated by another program before its first
        // invoice, or one whose first append failed. Nothing is lost, so only a note.
        for (int n = 1; n <= indexed; ++n) {
            if (!ledgers_.contains(n)) {
                problem(displayName(display_, index_.fileName()),
                        std::int64_t(n - 1) * kIndexLength,
                        QStringLiteral("ledger %1 has no entries: no file led%1.dat.")
                            .arg(ledgerNumberText(n)),
                        true);
            }
        }
        for (auto it = ledgers_.cbegin(); it != ledgers_.cend(); ++it) {
            const int n = it.key();
            for (const QFileInfo& fi : it.value()) {
                const QString shown = displayName(display_, fi.fileName());
                if (it.value().size() > 1)
                    problem(shown, 0,
                            QStringLiteral("one of %1 files for ledger %2.")
                                .arg(it.value().size())
                                .arg(ledgerNumberText(n)));
                if (n > indexed)
                    problem(
                        shown, 0,
                        QStringLiteral("ledger %1 has no index record.").arg(ledgerNumberText(n)));
                checkLedgerFile(fi, shown);
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
            problem(shown, whole * kEntryLength,
                    tailProblem(contents.lastLacksLineEnd, rest, kEntryLength));
        }
    }

    QString native_, display_;
    QFileInfo index_;
    QMap<int, QFileInfoList> ledgers_;
    LedgerCheckReport report_;
};

} // namespace

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
        const settings::SettingsStore store(paths.programFolder());
        display = store.read(settings::kLedger).value_or(QString());
        if (display.isEmpty()) {
            out << "The ledger folder is not set: " << store.pathOf(settings::kLedger)
                << " is missing or empty.\n";
            return 1;
        }
        // The program posts only to a DOS folder from the file; a check of whatever else the
        // file holds would call sound a folder that no posting reaches.
        if (!settings::isDosFolder(display)) {
            out << "The ledger folder is not set: " << store.pathOf(settings::kLedger)
                << " holds no DOS folder.\n";
            return 1;
        }
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
