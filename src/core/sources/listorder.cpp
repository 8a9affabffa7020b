#include "sources/listorder.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <vector>

namespace tw::sources {

namespace {

QCollator listCollator() {
    QCollator c(QLocale(QLocale::English, QLocale::UnitedStates));
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
}

} // namespace

std::vector<qsizetype> sortedOrder(const QStringList& entries) {
    const QCollator collator = listCollator();
    // One key an entry, compared as bytes: far cheaper than collating the texts at every
    // comparison of a sort of 50,000 names.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(std::size_t(entries.size()));
    for (const QString& e : entries)
        keys.push_back(collator.sortKey(e));
    std::vector<qsizetype> order(std::size_t(entries.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) {
        return keys[std::size_t(a)].compare(keys[std::size_t(b)]) < 0;
    });
    return order;
}

QStringList sortedEntries(QStringList entries) {
    const std::vector<qsizetype> order = sortedOrder(entries);
    QStringList sorted;
    sorted.reserve(entries.size());
    for (const qsizetype i : order)
        sorted.append(std::move(entries[i]));
    return sorted;
}

qsizetype completionRow(const QStringList& sorted, QStringView typed) {
    if (typed.isEmpty())
        return sorted.isEmpty() ? -1 : 0;
    const QCollator collator = listCollator();
    const QString text = typed.toString();
    // Every entry that begins with the text sorts at or after it, and before the text followed
    // by U+FFFF, which the collation puts after every letter. Between the two lie also the
    // entries that differ from it only in accents ("Émile" for "em"); the first that begins
    // with the text without regard to case is the one completed.
    const auto first = std::partition_point(sorted.begin(), sorted.end(), [&](const QString& e) {
        return collator.compare(e, text) < 0;
    });
    const QString beyond = text + QChar(0xFFFF);
    for (auto it = first; it != sorted.end() && collator.compare(*it, beyond) < 0; ++it) {
        if (it->startsWith(typed, Qt::CaseInsensitive))
            return qsizetype(it - sorted.begin());
    }
    return -1;
}

} // namespace tw::sources
