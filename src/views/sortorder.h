#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace zovi {

// Row order of the ledger grid, the debts grid and the print list.
//
// These lists are ordered as a plain exchange sort over table order leaves them: for each
// position i from the first to the last but one, every later position j is compared with i in
// turn, and the two rows are swapped when the row at j sorts strictly before the row at i. Rows
// with equal keys are never swapped with each other directly, yet other swaps can reorder them,
// so the result is ascending but not stable. The functions below return the same final order
// without the quadratic double loop.
//
// Every function returns the permutation of the rows: element k is the original (table-order)
// index of the row that ends at position k. A count below 1 gives an empty result.

// The order the exchange sort gives when `before(a, b)` says that row a sorts strictly before
// row b. `before` must be a strict weak ordering (irreflexive, transitive, with transitive
// equivalence), as a comparison of keys always is; it is called O(n log n) times.
std::vector<int> ExchangeSortOrder(int count, const std::function<bool(int a, int b)>& before);

// The order for integer keys such as dates as Julian day numbers, smaller keys first.
std::vector<int> ExchangeSortOrder(const std::vector<qint64>& keys);

// The order for texts compared byte by byte as unsigned character codes, a shorter text before
// any longer text it begins; so "Zebra" sorts before "apple".
std::vector<int> ExchangeSortOrder(const QList<QByteArray>& keys);

// The order for texts as stored in the database, that is compared byte by byte in their UTF-8
// form (which orders them by Unicode code point; upper-case Latin letters come first).
std::vector<int> ExchangeSortOrder(const QStringList& keys);

// The same order for the texts that rows point to, compared without being converted: rows that
// point to one stored text (one place in memory) are ranked once, so a column of a few texts
// repeated over a million rows costs a few comparisons, and one of a million distinct texts a
// sort of them, without a copy of any. Every pointer must be valid.
std::vector<int> ExchangeSortOrder(const std::vector<const QString*>& texts);

// The exchange sort itself, run as the double loop: quadratic, for checks and tiny lists.
std::vector<int> ExchangeSortOrderDirect(int count,
                                         const std::function<bool(int a, int b)>& before);

} // namespace zovi
