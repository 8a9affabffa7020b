#include "batch/rowentry.h"

#include "entry/amounts.h"
#include "entry/entryfields.h"
#include "platform/blanks.h"
#include "platform/regional.h"

namespace tw::batch {

namespace {

const QString kNothingPosted = QStringLiteral("Nothing was posted.");
constexpr int kInvoiceWidth = 8;

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The date of a text that may carry a time of day after a blank (2006-01-05 00:00:00).
QStringView withoutTimeOfDay(QStringView text) {
    text = text.trimmed();
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    if (blank > 0 && text.sliced(blank).contains(QLatin1Char(':')))
        return text.first(blank);
    return text;
}

// Every "," stands between digits and before exactly three of them.
bool wellGrouped(QStringView t) {
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] != QLatin1Char(','))
            continue;
        if (i == 0 || !isAsciiDigit(t[i - 1]))
            return false;
        int digits = 0;
        while (i + 1 + digits < t.size() && isAsciiDigit(t[i + 1 + digits]))
            ++digits;
        if (digits != 3)
            return false;
    }
    return true;
}

} // namespace

std::optional<DateOrder> dateOrderOf(QStringView code) {
    if (code == QLatin1String("mdy"))
        return DateOrder::MonthDayYear;
    if (code == QLatin1String("dmy"))
        return DateOrder::DayMonthYear;
    if (code == QLatin1String("ymd"))
        return DateOrder::YearMonthDay;
    return std::nullopt;
}

QString dateOrderName(DateOrder order) {
    switch (order) {
    case DateOrder::DayMonthYear:
        return QStringLiteral("day/month/year");
    case DateOrder::YearMonthDay:
        return QStringLiteral("year-month-day");
    case DateOrder::MonthDayYear:
        break;
    }
    return QStringLiteral("month/day/year");
}

std::optional<QDate> readDateInOrder(QStringView text, DateOrder order, const QDate& today) {
    QStringList parts;
    QString part;
    QChar separator;
    for (const QChar c : withoutTimeOfDay(text)) {
        if (isAsciiDigit(c)) {
            part += c;
        } else if ((c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.')) &&
                   !part.isEmpty() && (separator.isNull() || c == separator)) {
            separator = c;
            parts << part;
            part.clear();
        } else {
            return std::nullopt;
        }
    }
    parts << part;
    if (part.isEmpty() || parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    QString m = parts[0], d = parts[1], y = parts.value(2);
    if (parts.size() == 3 && (parts[0].size() == 4 || order == DateOrder::YearMonthDay)) {
        y = parts[0];
        m = parts[1];
        d = parts[2];
    } else if (order == DateOrder::DayMonthYear) {
        std::swap(m, d);
    }
    // The program's own date rule reads it once the parts stand month first.
    return regional::readDate(y.isEmpty() ? m + QLatin1Char('/') + d
                                          : m + QLatin1Char('/') + d + QLatin1Char('/') + y,
                              today);
}

std::optional<std::int64_t> readAmount(QStringView text, bool decimalComma) {
    QString t = text.toString();
    if (decimalComma) {
        for (QChar& c : t) {
            if (c == QLatin1Char('.'))
                c = QLatin1Char(',');
            else if (c == QLatin1Char(','))
                c = QLatin1Char('.');
        }
    }
    if (!wellGrouped(t))
        return std::nullopt;
    return regional::toCents(t);
}

QString rowMessage(int rowNumber, const QString& columnName, const QString& value,
                   const QString& message) {
    if (columnName.isNull())
        return QStringLiteral("Row %1: %2").arg(rowNumber).arg(message);
    return QStringLiteral("Row %1, column \"%2\", value \"%3\": %4")
        .arg(rowNumber)
        .arg(columnName, value, message);
}

RowEntry checkRow(const QStringList& fields, const QStringList& header, const QList<Field>& columns,
                  const Options& options, int rowNumber) {
    RowEntry r;
    const auto text = [&](Field f) { return fields.value(columnOf(columns, f)); };
    const auto fail = [&](Field f, const QString& message) {
        int c = columnOf(columns, f);
        if (c < 0 && f == Field::PreTax) // an amount missing from a file of totals only
            c = columnOf(columns, Field::InvoiceAmount);
        r.column = c;
        r.error = c < 0 ? rowMessage(rowNumber, QString(), QString(), message)
                        : rowMessage(rowNumber, header.value(c), fields.value(c), message);
        return r;
    };
    r.customer = text(Field::Customer);
    r.invoice = trimBlanks(text(Field::Invoice)).toString();
    // The invoice number is what finds a row again when the file is posted once more.
    if (r.invoice.isEmpty()) {
        return fail(Field::Invoice,
                    QStringLiteral("The Invoice Number is blank: a row of a file is posted only "
                                   "with its invoice number, so that posting the file again "
                                   "finds it. %1")
                        .arg(kNothingPosted));
    }
    ledger::EntryTexts e;
    e.job = entry::normaliseJob(text(Field::Job));
    for (const auto& [field, value, caption] :
         {std::tuple{Field::Invoice, r.invoice, QStringLiteral("Invoice Number")},
          std::tuple{Field::Job, e.job, QStringLiteral("Job Number")}}) {
        if (value.size() > kInvoiceWidth) {
            return fail(field, QStringLiteral("The %1 \"%2\" is longer than the %3 characters "
                                              "the ledger holds. %4")
                                   .arg(caption, value)
                                   .arg(kInvoiceWidth)
                                   .arg(kNothingPosted));
        }
    }
    e.customer = r.customer;
    e.invoice = r.invoice;
    e.po = text(Field::PO);
    e.product = text(Field::Product);
    e.description = text(Field::Description);
    e.today = options.today;

    for (const auto& [field, out] :
         {std::pair{Field::InvoiceDate, &e.invoiceDate}, std::pair{Field::DueDate, &e.dueDate}}) {
        const QString value = text(field);
        if (trimBlanks(value).isEmpty())
            continue;
        const auto date = readDateInOrder(value, options.dateOrder, options.today);
        if (!date) {
            return fail(field, QStringLiteral("The %1 \"%2\" is not a date in the order %3. %4")
                                   .arg(fieldName(field), value.trimmed(),
                                        dateOrderName(options.dateOrder), kNothingPosted));
        }
        *out = regional::shortDate(*date);
    }

    std::optional<std::int64_t> preTax, tax, total;
    for (const auto& [field, out] : {std::pair{Field::PreTax, &preTax}, std::pair{Field::Tax, &tax},
                                     std::pair{Field::InvoiceAmount, &total}}) {
        const QString value = text(field);
        if (trimBlanks(value).isEmpty())
            continue;
        *out = readAmount(value, options.decimalComma);
        if (!*out) {
            return fail(field, QStringLiteral("The %1 \"%2\" is not a number. %3")
                                   .arg(fieldName(field), value.trimmed(), kNothingPosted));
        }
    }
    // As the boxes would hold them: a total alone is the amount; a tax makes the total.
    if (!preTax && total)
        preTax = *total - tax.value_or(0);
    if (tax) {
        e.taxOn = true;
        if (!total && preTax)
            total = *preTax + *tax;
    } else if (options.addTax && preTax && !total) {
        const auto computed = entry::computeTax(regional::formatMoney(*preTax), options.defaultTax);
        if (computed.outcome == entry::TaxResult::Outcome::Computed) {
            e.taxOn = true;
            tax = computed.taxCents;
            total = computed.invoiceCents;
        }
    }
    const auto money = [](const std::optional<std::int64_t>& v) {
        return v ? regional::formatMoney(*v) : QString();
    };
    e.preTax = money(preTax);
    e.tax = money(tax);
    e.invoiceAmount = money(total);

    ledger::Prepared prepared = ledger::prepare(e);
    if (!prepared.posting)
        return fail(fieldOfHeader(prepared.field), prepared.refusal);
    r.posting = std::move(prepared.posting);
    return r;
}

} // namespace tw::batch
