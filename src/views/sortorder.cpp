#include "views/sortorder.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <numeric>

namespace zovi {

namespace {

// Counts of marked positions below a given position (a Fenwick tree over row positions).
class PositionCounter {
public:
    explicit PositionCounter(int size) : tree_(std::size_t(size) + 1, 0) {}

    void mark(int position) {
        for (std::size_t k = std::size_t(position) + 1; k < tree_.size(); k += k & (~k + 1)) {
            ++tree_[k];
        }
    }

    // Number of marked positions strictly below `position`.
    int countBelow(int position) const {
        int count = 0;
        for (std::size_t k = std::size_t(position); k > 0; k -= k & (~k + 1)) {
            count += tree_[k];
        }
        return count;
    }

private:
    std::vector<int> tree_;
};

// Moves the front of the queue to its back `steps` times, walking the shorter way round.
void rotateLeft(std::deque<int>& queue, std::size_t steps) {
    if (queue.size() < 2) {
        return;
    }
    steps %= queue.size();
    if (steps <= queue.size() / 2) {
        for (; steps > 0; --steps) {
            queue.push_back(queue.front());
            queue.pop_front();
        }
    } else {
        for (steps = queue.size() - steps; steps > 0; --steps) {
            queue.push_front(queue.back());
            queue.pop_back();
        }
    }
}

// The exchange-sort order of rows whose keys are dense ranks 0..rankCount-1.
//
// Why this gives the double loop's result: fix one rank r and call a row "lower", "equal" or
// "higher" as its rank is below, equal to or above r. In the step for position i the rows that
// move are the chain of successive strict minima starting at i (the row at i, then the first
// later row below it, then the first row after that one below that, and so on): the row at i
// moves to the chain's first position, every chain row moves one link on, and the chain's last
// row lands at i. The chain holds at most one equal row, the first row from i that is not
// higher, and that row moves to the first lower row after it. Following the steps through, the
// higher rows never change the order of the equal rows, and that order evolves as this queue
// does: read the rows in table order, append each equal row to the queue, and for each lower
// row that comes after at least one equal row move the queue's front to its back. The queue at
// the end is the order in which the equal rows leave the sort. All lower rows leave before
// them and all higher rows after, so the ranks are taken in ascending order.
std::vector<int> orderOfRanks(const std::vector<int>& ranks, int rankCount) {
    const int count = int(ranks.size());
    // Positions of each rank in table order (a counting sort by rank).
    std::vector<int> start(std::size_t(rankCount) + 1, 0);
    for (int rank : ranks) {
        ++start[std::size_t(rank) + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<int> byRank(std::size_t(count), 0);
    {
        std::vector<int> next(start.begin(), start.end() - 1);
        for (int position = 0; position < count; ++position) {
            byRank[std::size_t(next[std::size_t(ranks[std::size_t(position)])]++)] = position;
        }
    }

    std::vector<int> order;
    order.reserve(std::size_t(count));
    PositionCounter lower(count);
    std::deque<int> queue;
    for (int rank = 0; rank < rankCount; ++rank) {
        const int first = start[std::size_t(rank)];
        const int end = start[std::size_t(rank) + 1];
        // Lower rows are exactly the rows already taken: `first` of them in all.
        queue.clear();
        for (int k = first; k < end; ++k) {
            const int position = byRank[std::size_t(k)];
            queue.push_back(position);
            const int lowerAfter =
                k + 1 < end ? lower.countBelow(byRank[std::size_t(k) + 1]) : first;
            rotateLeft(queue, std::size_t(lowerAfter - lower.countBelow(position)));
        }
        order.insert(order.end(), queue.begin(), queue.end());
        for (int k = first; k < end; ++k) {
            lower.mark(byRank[std::size_t(k)]);
        }
    }
    return order;
}

// Dense ranks of the rows taken in `sorted` order, where `same(a, b)` tells whether two
// neighbouring rows of that order have equal keys; returns the number of distinct ranks.
template <typename Same>
int rankSorted(const std::vector<int>& sorted, std::vector<int>& ranks, Same same) {
    ranks.assign(sorted.size(), 0);
    int rank = -1;
    for (std::size_t k = 0; k < sorted.size(); ++k) {
        if (k == 0 || !same(sorted[k - 1], sorted[k])) {
            ++rank;
        }
        ranks[std::size_t(sorted[k])] = rank;
    }
    return rank + 1;
}

std::vector<int> identity(int count) {
    std::vector<int> order(std::size_t(std::max(count, 0)));
    std::iota(order.begin(), order.end(), 0);
    return order;
}

// Byte-wise comparison of texts as unsigned character codes, a prefix first.
bool bytesBefore(const QByteArray& a, const QByteArray& b) {
    const std::size_t common = std::size_t(std::min(a.size(), b.size()));
    const int byBytes = common == 0 ? 0 : std::memcmp(a.constData(), b.constData(), common);
    return byBytes != 0 ? byBytes < 0 : a.size() < b.size();
}

// Whether a comes before b in the order of their code points, which is the order of their UTF-8
// bytes. UTF-16 units compare the same way, except that the surrogates (0xD800-0xDFFF, which
// stand for code points above 0xFFFF) must come after the units 0xE000-0xFFFF.
bool CodePointsBefore(QStringView a, QStringView b) {
    const qsizetype common = std::min(a.size(), b.size());
    const char16_t* x = a.utf16();
    const char16_t* y = b.utf16();
    const auto differ = std::mismatch(x, x + common, y);
    if (differ.first == x + common)
        return a.size() < b.size();
    char16_t p = *differ.first;
    char16_t q = *differ.second;
    if (p >= 0xD800 && q >= 0xD800) {
        const auto ordered = [](char16_t u) {
            return char16_t(u >= 0xE000 ? u - 0x800 : u + 0x2000);
        };
        p = ordered(p);
        q = ordered(q);
    }
    return p < q;
}

} // namespace

std::vector<int> ExchangeSortOrder(int count, const std::function<bool(int a, int b)>& before) {
    std::vector<int> sorted = identity(count);
    std::stable_sort(sorted.begin(), sorted.end(), before);
    std::vector<int> ranks;
    const int rankCount =
        rankSorted(sorted, ranks, [&before](int a, int b) { return !before(a, b); });
    return orderOfRanks(ranks, rankCount);
}

std::vector<int> ExchangeSortOrder(const std::vector<qint64>& keys) {
    std::vector<int> sorted = identity(int(keys.size()));
    const auto key = [&keys](int row) {
        return keys[std::size_t(row)];
    };
    std::sort(sorted.begin(), sorted.end(), [&key](int a, int b) { return key(a) < key(b); });
    std::vector<int> ranks;
    const int rankCount =
        rankSorted(sorted, ranks, [&key](int a, int b) { return key(a) == key(b); });
    return orderOfRanks(ranks, rankCount);
}

std::vector<int> ExchangeSortOrder(const QList<QByteArray>& keys) {
    std::vector<int> sorted = identity(int(keys.size()));
    std::sort(sorted.begin(), sorted.end(),
              [&keys](int a, int b) { return bytesBefore(keys.at(a), keys.at(b)); });
    std::vector<int> ranks;
    const int rankCount =
        rankSorted(sorted, ranks, [&keys](int a, int b) { return keys.at(a) == keys.at(b); });
    return orderOfRanks(ranks, rankCount);
}

std::vector<int> ExchangeSortOrder(const QStringList& keys) {
    std::vector<const QString*> texts;
    texts.reserve(std::size_t(keys.size()));
    for (const QString& key : keys) {
        texts.push_back(&key);
    }
    return ExchangeSortOrder(texts);
}

std::vector<int> ExchangeSortOrder(const std::vector<const QString*>& texts) {
    const int count = int(texts.size());
    // The rows by the place of their characters: each place is one stored text.
    const auto place = [&texts](int row) {
        const QString& text = *texts[std::size_t(row)];
        return std::pair(text.constData(), text.size());
    };
    std::vector<int> byPlace = identity(count);
    std::sort(byPlace.begin(), byPlace.end(),
              [&place](int a, int b) { return place(a) < place(b); });
    std::vector<int> firstOfPlace; // one row per place
    std::vector<int> placeOfRow(std::size_t(count), 0);
    for (std::size_t k = 0; k < byPlace.size(); ++k) {
        if (k == 0 || place(byPlace[k - 1]) != place(byPlace[k]))
            firstOfPlace.push_back(byPlace[k]);
        placeOfRow[std::size_t(byPlace[k])] = int(firstOfPlace.size()) - 1;
    }
    // The places in the order of their texts; places holding equal texts share a rank.
    std::vector<QStringView> views;
    views.reserve(firstOfPlace.size());
    for (const int row : firstOfPlace)
        views.emplace_back(*texts[std::size_t(row)]);
    const auto text = [&views](int p) {
        return views[std::size_t(p)];
    };
    std::vector<int> places = identity(int(firstOfPlace.size()));
    std::sort(places.begin(), places.end(),
              [&text](int a, int b) { return CodePointsBefore(text(a), text(b)); });
    std::vector<int> rankOfPlace;
    rankSorted(places, rankOfPlace, [&text](int a, int b) { return text(a) == text(b); });
    std::vector<qint64> keys(texts.size());
    for (std::size_t row = 0; row < keys.size(); ++row)
        keys[row] = rankOfPlace[std::size_t(placeOfRow[row])];
    return ExchangeSortOrder(keys);
}

std::vector<int> ExchangeSortOrderDirect(int count,
                                         const std::function<bool(int a, int b)>& before) {
    std::vector<int> order = identity(count);
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        for (std::size_t j = i + 1; j < order.size(); ++j) {
            if (before(order[j], order[i])) {
                std::swap(order[i], order[j]);
            }
        }
    }
    return order;
}

} // namespace zovi
