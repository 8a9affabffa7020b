#include "ledger/ledgerwalk.h"

#include "ledger/ledgercheck.h"
#include "platform/dospath.h"
#include "platform/ioerror.h"

#include <QFileInfo>

namespace tw::ledger {

namespace {

constexpr int kEntryLength = LedgerEntryRecord::kLength;

// What is wrong with a ledger file whose records were read: the first record out of step,
// else a partial last record; empty when it is sound. The file's name is made only then.
template <typename Name> QString damage(const LedgerContents& c, Name dosName) {
    for (std::int64_t i = 0; i < c.count(); ++i) {
        const char* end = c.record(i).data() + LedgerEntryRecord::kLineEndOffset;
        if (end[0] != '\r' || end[1] != '\n') {
            return LedgerProblem{dosName(), i * kEntryLength + LedgerEntryRecord::kLineEndOffset,
                                 QStringLiteral("record %1: does not end in CR LF, so the "
                                                "records from here on may be out of step.")
                                     .arg(i + 1)}
                .line();
        }
    }
    if (!c.trailing.isEmpty())
        return LedgerProblem{dosName(), c.count() * kEntryLength,
                             partialRecordProblem(c.trailing.size(), kEntryLength)}
            .line();
    return {};
}

} // namespace

LedgerWalk::LedgerWalk(const DosPaths& paths, const QString& folder)
    : paths_(paths), store_(paths, folder), folder_(store_.nativeFolder()) {}

bool LedgerWalk::step(std::chrono::milliseconds budget, const Visit& visit, const Report& report) {
    const auto until = std::chrono::steady_clock::now() + budget;
    if (!started_) {
        started_ = true;
        readIndex(report);
    }
    while (!done_ && !cancelled_) {
        if (next_ > ledgerCount()) {
            reportUnlisted(report);
            done_ = true;
            break;
        }
        readLedger(next_++, visit, report);
        if (std::chrono::steady_clock::now() >= until)
            break;
    }
    return !done_ && !cancelled_;
}

void LedgerWalk::readIndex(const Report& report) {
    try {
        if (auto names = store_.readIndex())
            customers_ = std::move(*names);
        else
            report({0, QStringLiteral("%1: the ledger index is not there, so no customer has a "
                                      "ledger yet.")
                           .arg(store_.indexPath())});
    } catch (const IoError& e) {
        report({0, e.text()});
    }
}

void LedgerWalk::readLedger(int number, const Visit& visit, const Report& report) {
    const QString numberText = ledgerNumberText(number);
    try {
        const std::optional<LedgerContents> c = store_.readEntries(numberText, folder_);
        if (!c) {
            const QString dos = store_.ledgerPath(numberText);
            const bool link = QFileInfo(paths_.toNative(dos)).isSymLink();
            report({number, link ? QStringLiteral("%1: the ledger file is a link that leads to "
                                                  "no file.")
                                       .arg(dos)
                                 : QStringLiteral("%1: the ledger file is not there.").arg(dos)});
            return;
        }
        if (const QString wrong = damage(*c, [&] { return store_.ledgerPath(numberText); });
            !wrong.isEmpty())
            report({number, wrong});
        visit(number, *c);
    } catch (const IoError& e) {
        report({number, e.text()});
    }
}

void LedgerWalk::reportUnlisted(const Report& report) {
    const QString native = store_.nativeFolder();
    if (native.isEmpty())
        return;
    for (const QString& name : listLedgerFolder(native, ledgerCount()).unlisted(ledgerCount())) {
        report({0, QStringLiteral("%1: the ledger index does not list this ledger file, so it "
                                  "was not read.")
                       .arg(store_.folderFile(name))});
    }
}

} // namespace tw::ledger
