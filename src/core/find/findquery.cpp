#include "find/findquery.h"

#include "ledger/ledgerrecords.h"
#include "platform/blanks.h"
#include "platform/regional.h"
#include "platform/text1252.h"

#include <QStringList>

#include <array>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tw::find {

namespace {

using ledger::LedgerEntryRecord;
constexpr int kEntryLength = LedgerEntryRecord::kLength;

bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

QueryCheck refused(const QString& message) {
    return {std::nullopt, message};
}

// The characters of the text that the ledger files cannot hold, each once: "€", "✓".
QString foreignCharacters(const QString& text) {
    QStringList found;
    for (const char32_t u : text.toUcs4()) {
        const QString ch = QString::fromUcs4(&u, 1);
        if (!ansi::holds(ch) && !found.contains(ch))
            found << ch;
    }
    return QLatin1Char('"') + found.join(QStringLiteral("\", \"")) + QLatin1Char('"');
}

// "1/1/2006 to 3/31/2006", "from 1/1/2006", "up to 3/31/2006"
template <typename T, typename Show>
QString rangeText(const std::optional<T>& from, const std::optional<T>& to, Show show) {
    if (from && to)
        return QStringLiteral("%1 to %2").arg(show(*from), show(*to));
    if (from)
        return QStringLiteral("from %1").arg(show(*from));
    return QStringLiteral("up to %1").arg(show(*to));
}

// Whether n bytes agree; a loop, as the texts searched for are short.
bool same(const char* a, const char* b, qsizetype n) {
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

// The first place at or after `from` where the pattern begins, or -1. Sixteen places a step
// are told apart by the pattern's first and last bytes at once; only a place where both agree
// is compared in full. Far quicker on records than a general search, as the first byte alone
// (a digit) agrees at many places.
qsizetype findFrom(const char* hay, qsizetype size, qsizetype from, const QByteArray& pattern) {
    const qsizetype m = pattern.size();
    const char* p = pattern.constData();
    if (from + m > size)
        return -1;
    if (m == 1) {
        const void* c = std::memchr(hay + from, p[0], size_t(size - from));
        return c ? static_cast<const char*>(c) - hay : -1;
    }
    const qsizetype lastStart = size - m;
    qsizetype i = from;
#ifdef __SSE2__
    const __m128i first = _mm_set1_epi8(p[0]);
    const __m128i last = _mm_set1_epi8(p[m - 1]);
    for (; i + 15 <= lastStart; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i + m - 1));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        for (; mask != 0; mask &= mask - 1) {
            const qsizetype at = i + __builtin_ctz(mask);
            if (same(hay + at + 1, p + 1, m - 2))
                return at;
        }
    }
#endif
    for (; i <= lastStart; ++i) {
        if (hay[i] == p[0] && same(hay + i + 1, p + 1, m - 1))
            return i;
    }
    return -1;
}

std::optional<QDate> validDate(const QDate& d) {
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}

} // namespace

std::optional<Field> fieldNamed(QStringView name) {
    static const std::pair<const char*, Field> names[] = {{"invoice", Field::Invoice},
                                                          {"job", Field::Job},
                                                          {"po", Field::PO},
                                                          {"description", Field::Description},
                                                          {"any", Field::Any}};
    for (const auto& [text, field] : names) {
        if (name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0)
            return field;
    }
    return std::nullopt;
}

QString fieldCaption(Field field) {
    switch (field) {
    case Field::Invoice:
        return QStringLiteral("Invoice No.");
    case Field::Job:
        return QStringLiteral("Job No.");
    case Field::PO:
        return QStringLiteral("P.O. No.");
    case Field::Description:
        return QStringLiteral("Description");
    case Field::Any:
        break;
    }
    return QStringLiteral("any field");
}

QueryCheck checkQuery(const QueryTexts& t, const QDate& today) {
    Query q;
    q.text = trimBlanks(t.text).toString();
    q.field = t.field;
    q.exact = t.exact;
    if (!ansi::holds(q.text)) {
        return refused(QStringLiteral("The search text \"%1\" has characters that the ledger "
                                      "files cannot hold (%2), so no entry can hold it. Please "
                                      "search without them.")
                           .arg(q.text, foreignCharacters(q.text)));
    }
    const auto date = [&today](const QString& text, QDate& into) {
        if (isBlank(text))
            return true;
        const auto d = regional::readDate(text, today);
        if (d)
            into = *d;
        return d.has_value();
    };
    for (const auto& [text, into] :
         {std::pair{&t.fromDate, &q.from}, std::pair{&t.toDate, &q.to}}) {
        if (!date(*text, *into))
            return refused(QStringLiteral("\"%1\" is not a date.").arg(text->trimmed()));
    }
    if (q.from.isValid() && q.to.isValid() && q.to < q.from) {
        return refused(QStringLiteral("The date range ends (%1) before it starts (%2).")
                           .arg(regional::shortDate(q.to), regional::shortDate(q.from)));
    }
    for (const auto& [text, into] :
         {std::pair{&t.minAmount, &q.minCents}, std::pair{&t.maxAmount, &q.maxCents}}) {
        if (isBlank(*text))
            continue;
        *into = regional::toCents(*text);
        if (!*into)
            return refused(QStringLiteral("\"%1\" is not an amount.").arg(text->trimmed()));
    }
    if (q.minCents && q.maxCents && *q.maxCents < *q.minCents) {
        return refused(
            QStringLiteral("The amount range ends (%1) before it starts (%2).")
                .arg(regional::formatMoney(*q.maxCents), regional::formatMoney(*q.minCents)));
    }
    if (q.text.isEmpty() && !q.from.isValid() && !q.to.isValid() && !q.minCents && !q.maxCents)
        return refused(QStringLiteral("Type what to find, or give a date or amount range."));
    return {q, {}};
}

QString describe(const Query& q) {
    QString d = q.text.isEmpty()
                    ? QStringLiteral("every entry")
                    : QStringLiteral("%1 %2 \"%3\"")
                          .arg(fieldCaption(q.field),
                               q.exact ? QStringLiteral("is") : QStringLiteral("contains"), q.text);
    if (q.from.isValid() || q.to.isValid()) {
        d += QStringLiteral("; invoice dates ") +
             rangeText(validDate(q.from), validDate(q.to), regional::shortDate);
    }
    if (q.minCents || q.maxCents)
        d +=
            QStringLiteral("; amounts ") + rangeText(q.minCents, q.maxCents, regional::formatMoney);
    return d;
}

Matcher::Matcher(const Query& query) : query_(query), pattern_(ansi::encode(query.text)) {
    // Compared as they stand, bytes that no other byte shares a capital with (digits, most
    // signs) spare the records the case folding.
    const auto& cap = ansi::capitals();
    std::array<bool, 256> capitalOfAnother{};
    for (int b = 0; b < 256; ++b) {
        if (cap[std::size_t(b)] != b)
            capitalOfAnother[cap[std::size_t(b)]] = true;
    }
    for (const char c : pattern_) {
        const auto b = (unsigned char)c;
        fold_ = fold_ || cap[b] != b || capitalOfAnother[b];
    }
    if (fold_)
        ansi::makeCapitals(pattern_.data(), pattern_.size());

    using R = LedgerEntryRecord;
    const Span invoice{R::kInvoiceOffset, R::kInvoiceWidth}, job{R::kJobOffset, R::kJobWidth},
        po{R::kPOOffset, R::kPOWidth}, description{R::kDescriptionOffset, R::kDescriptionWidth};
    switch (query.field) {
    case Field::Invoice:
        spans_ = {invoice};
        break;
    case Field::Job:
        spans_ = {job};
        break;
    case Field::PO:
        spans_ = {po};
        break;
    case Field::Description:
        spans_ = {description};
        break;
    case Field::Any:
        spans_ = {invoice, job, po, description};
        break;
    }
}

const Matcher::Span* Matcher::spanOf(int at) const {
    for (const Span& s : spans_) {
        if (at >= s.offset && at < s.offset + s.width)
            return &s;
    }
    return nullptr;
}

bool Matcher::inRanges(const char* record) const {
    using R = LedgerEntryRecord;
    if (query_.from.isValid() || query_.to.isValid()) {
        const auto d =
            ledger::readDateField(QByteArrayView(record + R::kInvoiceDateOffset, R::kDateWidth),
                                  ledger::DateOrder::YyMmDd);
        if (!d || !d->isValid() || (query_.from.isValid() && *d < query_.from) ||
            (query_.to.isValid() && *d > query_.to))
            return false;
    }
    if (query_.minCents || query_.maxCents) {
        const auto c =
            ledger::readAmountField(QByteArrayView(record + R::kAmountOffset, R::kAmountWidth));
        if (!c || (query_.minCents && *c < *query_.minCents) ||
            (query_.maxCents && *c > *query_.maxCents))
            return false;
    }
    return true;
}

void Matcher::matches(QByteArrayView records, std::vector<std::int64_t>& out) const {
    const qsizetype count = records.size() / kEntryLength;
    const qsizetype size = count * kEntryLength;
    if (pattern_.isEmpty()) {
        for (qsizetype r = 0; r < count; ++r) {
            if (inRanges(records.data() + r * kEntryLength))
                out.push_back(r);
        }
        return;
    }
    QByteArray folded;
    const char* hay = records.data();
    if (fold_) {
        folded = QByteArray(records.data(), size);
        ansi::makeCapitals(folded.data(), size);
        hay = folded.constData();
    }
    const qsizetype m = pattern_.size();
    // Whether the text found at `at` of a record lies in the field of span s, filling it but
    // for blanks when exact.
    const auto fits = [&](const char* rec, const Span& s, qsizetype at) {
        if (at < s.offset || at + m > s.offset + s.width)
            return false;
        for (qsizetype i = s.offset; query_.exact && i < s.offset + s.width; ++i) {
            if ((i < at || i >= at + m) && rec[i] != ' ')
                return false;
        }
        return true;
    };
    if (spans_.size() == 1 && spans_.front().width < 16) {
        // One narrow field (an invoice, job or P.O. number): only its bytes are looked at.
        const Span& s = spans_.front();
        for (qsizetype r = 0; r < count; ++r) {
            const char* rec = hay + r * kEntryLength;
            for (qsizetype at = s.offset; at + m <= s.offset + s.width; ++at) {
                if (rec[at] == pattern_[0] && same(rec + at + 1, pattern_.constData() + 1, m - 1) &&
                    fits(rec, s, at)) {
                    if (inRanges(records.data() + r * kEntryLength))
                        out.push_back(r);
                    break;
                }
            }
        }
        return;
    }
    // Otherwise the text is looked for in the whole block at once, and each place it is found
    // is then placed in its record and field.
    qsizetype pos = 0;
    while (pos + m <= size) {
        const qsizetype at = findFrom(hay, size, pos, pattern_);
        if (at < 0)
            break;
        const qsizetype r = at / kEntryLength;
        const char* rec = hay + r * kEntryLength;
        const Span* s = spanOf(int(at % kEntryLength));
        if (!s || !fits(rec, *s, at % kEntryLength)) {
            pos = at + 1;
            continue;
        }
        if (inRanges(records.data() + r * kEntryLength))
            out.push_back(r);
        pos = (r + 1) * kEntryLength;
    }
}

} // namespace tw::find
