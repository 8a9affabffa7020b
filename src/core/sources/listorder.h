#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace tw::sources {

// The customer and product lists in the order the office's Windows PCs show them: the
// en_US collation without regard to case, accented letters among their base letters
// ("Émile" among the E's); entries that compare equal keep the order they came in.
QStringList sortedEntries(QStringList entries);
// The same order as positions: the entry at position i of the sorted list is entries[order[i]].
std::vector<qsizetype> sortedOrder(const QStringList& entries);

// The row of the first entry of a list sorted by sortedEntries that begins with `typed`
// without regard to case, or -1. Found by binary search, so it keeps up with typing in a
// list of tens of thousands of customers.
qsizetype completionRow(const QStringList& sorted, QStringView typed);

} // namespace tw::sources
