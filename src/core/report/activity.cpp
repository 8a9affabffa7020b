#include "report/activity.h"

#include "export/csv.h"
#include "ledger/ledgercheck.h"
#include "platform/blanks.h"
#include "platform/dospath.h"
#include "platform/regional.h"
#include "platform/text1252.h"
#include "settings/settings.h"
#include "sources/listorder.h"

#include <QTextStream>

#include <algorithm>
#include <cstring>

namespace tw::report {

namespace {

using exports::Cell;
using exports::Column;
using exports::ColumnKind;
using ledger::LedgerEntryRecord;

QString groupName(Grouping by) {
    switch (by) {
    case Grouping::Customer:
        return QStringLiteral("Customer");
    case Grouping::Product:
        return QStringLiteral("Product");
    case Grouping::Month:
        break;
    }
    return QStringLiteral("Month");
}

QString rangeText(const DateRange& r) {
    return QStringLiteral("Invoice dates %1 to %2")
        .arg(regional::shortDate(r.from), regional::shortDate(r.to));
}

QString notCounted(std::size_t n) {
    return n == 1 ? QStringLiteral("1 entry whose invoice date or amount does not read is not "
                                   "counted.")
                  : QStringLiteral("%1 entries whose invoice date or amount does not read are "
                                   "not counted.")
                        .arg(n);
}

} // namespace

std::optional<Grouping> groupingNamed(QStringView name) {
    for (const Grouping g : {Grouping::Customer, Grouping::Product, Grouping::Month}) {
        if (name.compare(groupName(g), Qt::CaseInsensitive) == 0)
            return g;
    }
    return std::nullopt;
}

DateRange thisYear(const QDate& today) {
    return {QDate(today.year(), 1, 1), QDate(today.year(), 12, 31)};
}

RangeCheck checkRange(const QString& from, const QString& to, const QDate& today) {
    DateRange r = thisYear(today);
    for (const auto& [text, into] : {std::pair{&from, &r.from}, std::pair{&to, &r.to}}) {
        if (text->trimmed().isEmpty())
            continue;
        const auto d = regional::readDate(*text, today);
        if (!d)
            return {std::nullopt, QStringLiteral("\"%1\" is not a date.").arg(text->trimmed())};
        *into = *d;
    }
    if (r.to < r.from) {
        return {std::nullopt, QStringLiteral("The date range ends (%1) before it starts (%2).")
                                  .arg(regional::shortDate(r.to), regional::shortDate(r.from))};
    }
    return {r, {}};
}

ActivityRun::ActivityRun(const DosPaths& paths, const QString& folder, DateRange range, Grouping by)
    : range_(range), by_(by), walk_(paths, folder) {}

bool ActivityRun::step(std::chrono::milliseconds budget) {
    return walk_.step(
        budget, [this](int number, const ledger::LedgerContents& c) { add(number, c); },
        [this](const ledger::WalkProblem& p) { problems_ << p.text; });
}

std::optional<QDate> ActivityRun::DateCache::read(const char* field) {
    using R = LedgerEntryRecord;
    std::uint32_t low = 0;
    std::uint16_t high = 0;
    static_assert(R::kDateWidth == sizeof low + sizeof high);
    std::memcpy(&low, field, sizeof low);
    std::memcpy(&high, field + sizeof low, sizeof high);
    const std::uint64_t key = std::uint64_t(1) << 63 | std::uint64_t(high) << 32 | low;
    Slot& slot = slots_[std::size_t((key * 0x9E3779B97F4A7C15ull) >> (64 - kBits))];
    if (slot.key != key) {
        const auto d =
            ledger::readDateField(QByteArrayView(field, R::kDateWidth), ledger::DateOrder::YyMmDd);
        slot = {key, !d ? -1 : d->isValid() ? d->toJulianDay() : 0};
    }
    if (slot.day < 0)
        return std::nullopt;
    return slot.day == 0 ? QDate() : QDate::fromJulianDay(slot.day);
}

void ActivityRun::add(int number, const ledger::LedgerContents& contents) {
    using R = LedgerEntryRecord;
    ActivityRow* customerRow = nullptr;
    for (std::int64_t i = 0; i < contents.count(); ++i) {
        const QByteArrayView rec = contents.record(i);
        const auto unread = [&] {
            UnreadEntry u;
            u.ledger = number;
            u.record = i;
            std::memcpy(u.bytes.data(), rec.data(), u.bytes.size());
            unread_.push_back(u);
        };
        const auto date = dates_.read(rec.data() + R::kInvoiceDateOffset);
        if (!date || !date->isValid()) {
            unread();
            continue;
        }
        if (*date < range_.from || *date > range_.to)
            continue;
        const auto cents = ledger::readAmountField(rec.sliced(R::kAmountOffset, R::kAmountWidth));
        if (!cents) {
            unread();
            continue;
        }
        ActivityRow* row = customerRow;
        if (!row) {
            std::int64_t key = number;
            if (by_ == Grouping::Product)
                key = (std::uint8_t(rec[R::kProductOffset]) << 8) |
                      std::uint8_t(rec[R::kProductOffset + 1]);
            else if (by_ == Grouping::Month)
                key = date->year() * 12 + date->month() - 1;
            auto [it, added] = groups_.try_emplace(key);
            row = &it->second;
            if (added) {
                if (by_ == Grouping::Customer) {
                    row->ledger = number;
                    row->name = walk_.customer(number);
                } else if (by_ == Grouping::Product) {
                    row->name =
                        trimBlanks(ansi::decode(rec.sliced(R::kProductOffset, R::kProductWidth)))
                            .toString();
                    if (row->name.isEmpty())
                        row->name = QStringLiteral("(no product code)");
                } else {
                    row->month = int(key);
                    row->name = date->toString(QStringLiteral("yyyy-MM"));
                }
            }
            if (by_ == Grouping::Customer)
                customerRow = row; // one row for the whole ledger
        }
        ++row->entries;
        row->cents += *cents;
        if (!row->first.isValid() || *date < row->first)
            row->first = *date;
        if (!row->last.isValid() || *date > row->last)
            row->last = *date;
    }
}

ActivityReport ActivityRun::report(SortOrder order) const {
    ActivityReport r;
    r.range = range_;
    r.by = by_;
    r.total.name = QStringLiteral("Total");
    for (const auto& [key, row] : groups_) {
        r.rows.push_back(row);
        r.total.entries += row.entries;
        r.total.cents += row.cents;
        if (!r.total.first.isValid() || row.first < r.total.first)
            r.total.first = row.first;
        if (!r.total.last.isValid() || row.last > r.total.last)
            r.total.last = row.last;
    }
    sortRows(r.rows, by_, order);
    r.unread = unread_;
    r.problems = problems_;
    for (int n = 1; n <= walk_.ledgerCount(); ++n)
        r.customers << walk_.customer(n);
    r.cancelled = walk_.cancelled();
    return r;
}

void sortRows(std::vector<ActivityRow>& rows, Grouping by, SortOrder order) {
    if (order == SortOrder::Total) {
        // Equal totals are rare: those few stay in the order the report keeps its groups in
        // (ledger number, product code, month), which spares it comparing names.
        std::stable_sort(rows.begin(), rows.end(), [](const ActivityRow& a, const ActivityRow& b) {
            return a.cents > b.cents;
        });
    } else if (by == Grouping::Month) {
        std::sort(rows.begin(), rows.end(),
                  [](const ActivityRow& a, const ActivityRow& b) { return a.month < b.month; });
    } else {
        QStringList names;
        for (const ActivityRow& row : rows)
            names << row.name;
        std::vector<ActivityRow> sorted;
        sorted.reserve(rows.size());
        for (const qsizetype i : sources::sortedOrder(names))
            sorted.push_back(std::move(rows[std::size_t(i)]));
        rows = std::move(sorted);
    }
}

exports::Table activityTable(const ActivityReport& r) {
    const bool byCustomer = r.by == Grouping::Customer;
    exports::Table t;
    t.title = QStringLiteral("Invoicing Activity by ") + groupName(r.by);
    t.subtitle = rangeText(r.range);
    t.columns << Column{groupName(r.by), ColumnKind::Text};
    if (byCustomer)
        t.columns << Column{QStringLiteral("Ledger"), ColumnKind::Text};
    t.columns << Column{QStringLiteral("Entries"), ColumnKind::Count}
              << Column{QStringLiteral("Total"), ColumnKind::Money}
              << Column{QStringLiteral("First Invoice"), ColumnKind::Date}
              << Column{QStringLiteral("Last Invoice"), ColumnKind::Date};
    const auto cells = [byCustomer](const ActivityRow& row) {
        QList<Cell> c{Cell::ofText(row.name)};
        if (byCustomer)
            c << Cell::ofText(row.ledger > 0 ? ledger::ledgerNumberText(row.ledger) : QString());
        c << Cell::ofNumber(row.entries) << Cell::ofNumber(row.cents) << Cell::ofDate(row.first)
          << Cell::ofDate(row.last);
        return c;
    };
    for (const ActivityRow& row : r.rows)
        t.rows << cells(row);
    t.totals << cells(r.total);
    if (!r.unread.empty())
        t.notes << notCounted(r.unread.size());
    t.notes << r.problems;
    if (r.cancelled)
        t.notes << QStringLiteral("The report was stopped before every ledger was read.");
    return t;
}

exports::Table unreadTable(const ActivityReport& r) {
    exports::Table t;
    t.title = QStringLiteral("Entries Not Counted");
    t.subtitle = rangeText(r.range);
    t.columns = {{QStringLiteral("Ledger"), ColumnKind::Text},
                 {QStringLiteral("Customer"), ColumnKind::Text},
                 {QStringLiteral("Record"), ColumnKind::Count},
                 {QStringLiteral("Invoice No."), ColumnKind::Text},
                 {QStringLiteral("Invoice Date"), ColumnKind::Text},
                 {QStringLiteral("Amount"), ColumnKind::Text},
                 {QStringLiteral("Description"), ColumnKind::Text}};
    for (const UnreadEntry& u : r.unread) {
        const ledger::StoredEntry e =
            ledger::decodeEntry(QByteArrayView(u.bytes.data(), qsizetype(u.bytes.size())));
        t.rows << QList<Cell>{Cell::ofText(ledger::ledgerNumberText(u.ledger)),
                              Cell::ofText(r.customers.value(u.ledger - 1)),
                              Cell::ofNumber(u.record + 1),
                              Cell::ofText(e.InvoiceNumber),
                              Cell::ofText(e.InvoiceDateText),
                              Cell::ofText(e.AmountText),
                              Cell::ofText(e.Description)};
    }
    t.notes << notCounted(r.unread.size());
    return t;
}

int runActivityReport(const DosPaths& paths, const ReportTexts& t, const QDateTime& now,
                      const PdfWriter& writePdf, QTextStream& out, QTextStream& err) {
    const auto say = [&err](const QString& text, int code) {
        err << text << '\n';
        err.flush();
        return code;
    };
    if (t.kind.compare(QLatin1String("activity"), Qt::CaseInsensitive) != 0)
        return say(QStringLiteral("--report takes the report's name: activity."), 2);
    const auto by = groupingNamed(t.by.isEmpty() ? QStringLiteral("customer") : t.by);
    if (!by)
        return say(QStringLiteral("--by takes customer, product or month."), 2);
    const RangeCheck range = checkRange(t.from, t.to, now.date());
    if (!range.range)
        return say(range.message, 2);
    const ledger::LedgerFolderSetting setting = ledger::ledgerFolderSetting(paths);
    if (setting.folder.isEmpty())
        return say(setting.message, 3);

    ActivityRun run(paths, setting.folder, *range.range, *by);
    while (run.step(std::chrono::seconds(1))) {
    }
    const ActivityReport report = run.report(SortOrder::Name);
    for (const QString& p : report.problems)
        err << p << '\n';
    if (!report.unread.empty()) {
        err << notCounted(report.unread.size()) << '\n';
        const exports::Table unread = unreadTable(report);
        for (const QList<Cell>& row : unread.rows)
            err << QString::fromUtf8(exports::csvLine(row, unread.columns));
    }
    err.flush();

    const exports::Table table = activityTable(report);
    if (!t.csvFile.isEmpty()) {
        const bool bom =
            exports::byteOrderMarkWanted(settings::SettingsStore(paths.programFolder()));
        if (const QString e = exports::saveFile(t.csvFile, exports::toCsv(table, bom));
            !e.isEmpty())
            return say(e, 1);
    }
    if (!t.pdfFile.isEmpty()) {
        if (const QString e = writePdf(exports::printable(table, now), t.pdfFile); !e.isEmpty())
            return say(e, 1);
    }
    if (t.csvFile.isEmpty() && t.pdfFile.isEmpty()) {
        out << QString::fromUtf8(exports::toCsv(table, false));
        out.flush();
    }
    return 0;
}

} // namespace tw::report
