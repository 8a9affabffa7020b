#pragma once
#include "platform/regional.h"

#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

// The rules the entry fields apply as the operator leaves them: dates, invoice and job
// numbers. GUI-free so that they can be tested without a window.
namespace tw::entry {

inline const QString kDateDelimiterMessage =
    QStringLiteral("Enter date with delimiters such as - or /)");

// Width of a job number in the work-in-progress files and in the job box.
inline constexpr int kJobWidth = 8;
// The description box takes at most this many characters, the ledger record's field.
inline constexpr int kDescriptionLength = 76;

// Outcome of leaving a date box.
struct DateRuleResult {
    // The text is not empty and holds neither "-" nor "/": the operator is told to use
    // delimiters and the box keeps nothing new.
    bool missingDelimiter = false;
    // The box's new text when the rule passed.
    QString text;
};

// The date rule: a text with a delimiter is rewritten in the short date form when it reads as
// a date and kept unchanged otherwise; an empty text becomes today's date.
DateRuleResult dateRule(const QString& boxText, const QDate& today);

// "0" put in front until the text is `width` characters long; longer text is unchanged.
QString zeroFill(const QString& text, int width = kJobWidth);

// Leaving the invoice box with the Match option set: the job box receives the invoice text,
// exactly as typed, zero-filled to 8 — only when the invoice is not empty and the job box is.
std::optional<QString> jobFromInvoice(bool match, const QString& invoice, const QString& job);

// Leaving the job box: trimmed and zero-filled to 8; an empty or all-blank job stays empty.
QString normaliseJob(const QString& job);

// A decimal value written plainly: no leading zeros, no blanks, no exponent, no trailing
// fraction zeros (12345, 1.25, -3, 0).
QString plainNumber(const regional::Decimal& value);

// The invoice number a job number gives: the job's leading number written plainly
// (00012345 gives 12345; 00ABC123 gives 0).
QString invoiceFromJob(const QString& job);

// When the Match option sets the invoice number from the job number.
enum class MatchTrigger {
    JobGiven,     // the job box was left or filled by a lookup: any job that is not empty
    OptionTicked, // the option was switched on: a job whose value is not zero
};

// The invoice number the Match option gives the job box's text (invoiceFromJob), or nullopt
// when the invoice box keeps its text: the option is off, or the job does not count for the
// trigger.
std::optional<QString> matchedInvoice(bool match, const QString& job, MatchTrigger trigger);

// Whether the job's leading number is zero (an empty or all-zero job sets no invoice when the
// Match option is switched on).
bool jobValueIsZero(const QString& job);

} // namespace tw::entry
