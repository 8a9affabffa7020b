#include "find/ledgersearch.h"

#include "export/csv.h"
#include "ledger/ledgercheck.h"
#include "platform/regional.h"

#include <QLocale>
#include <QTextStream>

#include <cstring>

namespace tw::find {

namespace {

using exports::Cell;
using exports::Column;
using exports::ColumnKind;

QString entriesText(std::int64_t n) {
    return n == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(n);
}

QString grouped(std::int64_t n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(qlonglong(n));
}

} // namespace

LedgerSearch::LedgerSearch(const DosPaths& paths, const QString& folder, Query query)
    : query_(std::move(query)), matcher_(query_), walk_(paths, folder) {}

bool LedgerSearch::step(std::chrono::milliseconds budget) {
    const auto visit = [this](int number, const ledger::LedgerContents& contents) {
        found_.clear();
        matcher_.matches(contents.records, found_);
        for (const std::int64_t r : found_) {
            FindRow row;
            row.ledger = number;
            row.record = r;
            std::memcpy(row.bytes.data(), contents.record(r).data(), row.bytes.size());
            const auto cents = ledger::readAmountField(contents.record(r).sliced(
                ledger::LedgerEntryRecord::kAmountOffset, ledger::LedgerEntryRecord::kAmountWidth));
            ++totals_.entries;
            if (cents)
                totals_.cents += *cents;
            else
                ++totals_.unread;
            rows_.push_back(row);
        }
    };
    const auto report = [this](const ledger::WalkProblem& p) {
        FindRow row;
        row.ledger = p.ledger;
        row.problem = std::int32_t(problems_.size());
        problems_ << p.text;
        ++totals_.problems;
        rows_.push_back(row);
    };
    return walk_.step(budget, visit, report);
}

ledger::StoredEntry LedgerSearch::entry(const FindRow& row) const {
    return ledger::decodeEntry(QByteArrayView(row.bytes.data(), qsizetype(row.bytes.size())));
}

QString LedgerSearch::problemText(const FindRow& row) const {
    return row.isProblem() ? problems_.value(row.problem) : QString();
}

QString LedgerSearch::progressText() const {
    return QStringLiteral("Searched %1 of %2 ledgers")
        .arg(grouped(walk_.ledgersRead()), grouped(walk_.ledgerCount()));
}

QString LedgerSearch::summaryText() const {
    QString text = QStringLiteral("%1 found, total %2")
                       .arg(entriesText(totals_.entries), regional::formatMoney(totals_.cents));
    if (totals_.unread == 1)
        text += QStringLiteral(" (1 amount does not read and is not counted)");
    else if (totals_.unread > 1)
        text += QStringLiteral(" (%1 amounts do not read and are not counted)").arg(totals_.unread);
    if (totals_.problems > 0) {
        text +=
            totals_.problems == 1
                ? QStringLiteral("; 1 file could not be searched in full")
                : QStringLiteral("; %1 files could not be searched in full").arg(totals_.problems);
    }
    if (cancelled())
        text += QStringLiteral("; stopped after %1 of %2 ledgers")
                    .arg(grouped(walk_.ledgersRead()), grouped(walk_.ledgerCount()));
    return text;
}

QList<Column> LedgerSearch::columns() {
    return {{QStringLiteral("Ledger"), ColumnKind::Text},
            {QStringLiteral("Customer"), ColumnKind::Text},
            {QStringLiteral("Invoice No."), ColumnKind::Text},
            {QStringLiteral("Job No."), ColumnKind::Text},
            {QStringLiteral("P.O. No."), ColumnKind::Text},
            {QStringLiteral("Invoice Date"), ColumnKind::Date},
            {QStringLiteral("Amount"), ColumnKind::Money},
            {QStringLiteral("Description"), ColumnKind::Text}};
}

QList<Cell> LedgerSearch::cells(const FindRow& row) const {
    const QString ledger = row.ledger > 0 ? ledger::ledgerNumberText(row.ledger) : QString();
    if (row.isProblem()) {
        return {
            Cell::ofText(ledger),          Cell::ofText(customer(row.ledger)), {}, {}, {}, {}, {},
            Cell::ofText(problemText(row))};
    }
    const ledger::StoredEntry e = entry(row);
    const bool amountReads = !e.isOdd(ledger::StoredEntry::OddAmount);
    return {Cell::ofText(ledger),
            Cell::ofText(customer(row.ledger)),
            Cell::ofText(e.InvoiceNumber),
            Cell::ofText(e.JobNumber),
            Cell::ofText(e.PONumber),
            Cell::ofDate(e.InvoiceDate, e.InvoiceDateText),
            Cell::ofNumber(amountReads ? std::optional(e.AmountCents) : std::nullopt, e.AmountText),
            Cell::ofText(e.Description)};
}

exports::Table LedgerSearch::table() const {
    exports::Table t;
    t.title = QStringLiteral("Find");
    t.subtitle = describe(query_);
    t.columns = columns();
    t.rows.reserve(qsizetype(totals_.entries));
    for (const FindRow& row : rows_) {
        if (row.isProblem())
            t.notes << problemText(row);
        else
            t.rows << cells(row);
    }
    t.totals << QList<Cell>{Cell::ofText(QStringLiteral("Total")),
                            Cell::ofText(entriesText(totals_.entries)),
                            {},
                            {},
                            {},
                            {},
                            Cell::ofNumber(totals_.cents),
                            {}};
    t.notes.prepend(summaryText());
    return t;
}

int runFind(const DosPaths& paths, const QString& text, const QString& fieldName, bool exact,
            const QDate& today, QTextStream& out, QTextStream& err) {
    const auto field = fieldNamed(fieldName.isEmpty() ? QStringLiteral("any") : fieldName);
    if (!field) {
        err << "--field takes invoice, job, po, description or any.\n";
        err.flush();
        return 2;
    }
    QueryTexts texts;
    texts.text = text;
    texts.field = *field;
    texts.exact = exact;
    const QueryCheck check = checkQuery(texts, today);
    if (!check.query) {
        err << check.message << '\n';
        err.flush();
        return 2;
    }
    const ledger::LedgerFolderSetting setting = ledger::ledgerFolderSetting(paths);
    if (setting.folder.isEmpty()) {
        err << setting.message << '\n';
        err.flush();
        return 3;
    }
    const QList<Column> columns = LedgerSearch::columns();
    out << QString::fromUtf8(exports::csvHeader(columns));
    LedgerSearch search(paths, setting.folder, *check.query);
    std::size_t written = 0;
    bool more = true;
    while (more) {
        more = search.step(LedgerSearch::kSlice);
        for (; written < search.rows().size(); ++written) {
            const FindRow& row = search.rows()[written];
            if (row.isProblem())
                err << search.problemText(row) << '\n';
            else
                out << QString::fromUtf8(exports::csvLine(search.cells(row), columns));
        }
        out.flush();
        err.flush();
    }
    return search.totals().entries > 0 ? 0 : 1;
}

} // namespace tw::find
