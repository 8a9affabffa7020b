#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <vector>

// What the operator looks for across every ledger, and the rule that tells whether a ledger
// entry is one of them.
namespace tw::find {

enum class Field { Invoice, Job, PO, Description, Any };

// The field named on the command line: invoice, job, po, description or any.
std::optional<Field> fieldNamed(QStringView name);
// The field as the windows name it: "Invoice No.", ..., "any field".
QString fieldCaption(Field field);

// A search as checked: the text without the blanks at its ends (empty: every entry in the
// ranges), and the ranges, each end optional.
struct Query {
    QString text;
    Field field = Field::Any;
    bool exact = false;
    QDate from, to; // invoice date; invalid: open
    std::optional<std::int64_t> minCents, maxCents;
};

// A search as typed: dates in the program's date rule, amounts as money text; blank for none.
struct QueryTexts {
    QString text;
    Field field = Field::Any;
    bool exact = false;
    QString fromDate, toDate;
    QString minAmount, maxAmount;
};

struct QueryCheck {
    std::optional<Query> query;
    QString message; // why not, for the operator
};
// Refuses a text with characters the ledger files cannot hold, a date or amount that does not
// read, a range that ends before it starts, and a search with nothing to look for.
QueryCheck checkQuery(const QueryTexts& texts, const QDate& today);

// What was looked for, in words: `Invoice No. is "4711"`, `any field contains "acme"`, with
// the ranges: `; invoice dates 1/1/2006 to 3/31/2006; amounts from $100.00`.
QString describe(const Query& query);

// Tells on their bytes which records of a ledger match: the text in the field (letters of
// either case alike; the whole field but for its blanks when exact), and the invoice date and
// the amount within their ranges. An entry whose date or amount does not read is outside
// every range of that field.
class Matcher {
public:
    explicit Matcher(const Query& query);

    // The records (from 0) of `records` (whole records, back to back) that match, appended to
    // `out`.
    void matches(QByteArrayView records, std::vector<std::int64_t>& out) const;

private:
    struct Span {
        int offset, width;
    };
    bool inRanges(const char* record) const;
    // The span of the selected fields in which byte `at` of a record lies, or null.
    const Span* spanOf(int at) const;

    Query query_;
    QByteArray pattern_; // the text's bytes, in capitals when `fold_`
    bool fold_ = false;  // the text has letters: the records are compared in capitals
    std::vector<Span> spans_;
};

} // namespace tw::find
