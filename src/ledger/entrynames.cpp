#include "ledger/entrynames.h"

#include "ledger/entrykinds.h"
#include "store/datamodules.h"
#include "store/fields.h"
#include "store/unfiltered.h"

#include <algorithm>
#include <numeric>

namespace zovi {

namespace {

using Slots = std::vector<std::pair<quint32, qint32>>;

// A hash of a text that ignores letter case the way QString::compare(…, Qt::CaseInsensitive)
// does: code point by code point, each case-folded. No folded copy of the text is made.
quint64 FoldedHash(QStringView text) {
    quint64 hash = 14695981039346656037ULL;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        hash = (hash ^ QChar::toCaseFolded(c)) * 1099511628211ULL;
    }
    return hash;
}

bool SameFolded(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The slot of a table (a power of two in size, never full) that holds a place whose text is
// the same as the one sought (same(place)), or the empty slot where it would go. The high half
// of the hash, kept in the slot, spares most comparisons of texts that differ.
template <typename Same> std::size_t Probe(const Slots& slots, quint64 hash, Same same) {
    const std::size_t mask = slots.size() - 1;
    const auto tag = quint32(hash >> 32);
    for (std::size_t at = std::size_t(hash) & mask;; at = (at + 1) & mask) {
        const auto& [slotTag, place] = slots[at];
        if (place == 0 || (slotTag == tag && same(place - 1)))
            return at;
    }
}

// The most recent entry of a name, as the ledger is read.
struct Candidate {
    QDate date;
    qint64 id = 0;
    int row = 0;
    quint64 hash = 0;
};

bool MoreRecent(const QDate& date, qint64 id, const Candidate& than) {
    return date > than.date || (date == than.date && id > than.id);
}

// The names of one side while the ledger is read: one candidate per name, letter case ignored.
struct Gathering {
    std::vector<Candidate> candidates;
    Slots slots = Slots(256);

    // Doubles the table once it is half full, placing every candidate again by its hash.
    void makeRoom() {
        if (2 * (candidates.size() + 1) <= slots.size())
            return;
        Slots grown(slots.size() * 2);
        const std::size_t mask = grown.size() - 1;
        for (std::size_t k = 0; k < candidates.size(); ++k) {
            const quint64 hash = candidates[k].hash;
            std::size_t at = std::size_t(hash) & mask;
            while (grown[at].second != 0)
                at = (at + 1) & mask;
            grown[at] = {quint32(hash >> 32), qint32(k + 1)};
        }
        slots.swap(grown);
    }
};

} // namespace

qsizetype EarlierNames::Side::find(QStringView name) const {
    if (names.isEmpty())
        return -1;
    const std::size_t at = Probe(slots, FoldedHash(name),
                                 [&](qint32 place) { return SameFolded(names.at(place), name); });
    return slots[at].second - 1;
}

EarlierNames::EarlierNames(LedgerTables& data) : m_data(&data) {
    TableHandle& d = data.tbData2;
    if (!d.isOpen())
        return;
    {
        UnfilteredView all(d);
        m_rows = d.viewRows();
    }
    const ViewRows& rows = m_rows;
    const int typeCol = rows.fieldIndex(fields::Data::Type);
    const int nameCol = rows.fieldIndex(fields::Data::Name);
    const int dateCol = rows.fieldIndex(fields::Data::Date);
    const int idCol = rows.fieldIndex(fields::Data::ID);
    const QString incomeType = TypeCode(EntryKind::Income);
    const QString chargeType = TypeCode(EntryKind::Charge);

    // One pass: the most recent entry of every name of each side, names differing only in
    // letter case being one name.
    Gathering gathering[2];
    for (int i = 0; i < rows.size(); ++i) {
        const QString* type = rows.textRef(i, typeCol);
        const QString* name = rows.textRef(i, nameCol);
        if (!type || !name)
            continue;
        const bool income = *type == incomeType;
        if (!income && *type != chargeType)
            continue;
        Gathering& side = gathering[income];
        side.makeRoom();
        const quint64 hash = FoldedHash(*name);
        const std::size_t at = Probe(side.slots, hash, [&](qint32 k) {
            return SameFolded(*rows.textRef(side.candidates[std::size_t(k)].row, nameCol), *name);
        });
        const QDate date = rows.toDate(i, dateCol);
        const qint64 id = rows.toInt(i, idCol);
        auto& [tag, place] = side.slots[at];
        if (place == 0) {
            side.candidates.push_back(Candidate{date, id, i, hash});
            tag = quint32(hash >> 32);
            place = qint32(side.candidates.size());
        } else if (Candidate& found = side.candidates[std::size_t(place - 1)];
                   MoreRecent(date, id, found)) {
            found = Candidate{date, id, i, hash};
        }
    }

    for (const bool income : {false, true}) {
        Gathering& gathered = gathering[income];
        const std::vector<Candidate>& candidates = gathered.candidates;
        std::vector<qint32> order(candidates.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](qint32 a, qint32 b) {
            const Candidate& first = candidates[std::size_t(a)];
            const Candidate& second = candidates[std::size_t(b)];
            return MoreRecent(first.date, first.id, second) ||
                   (first.date == second.date && first.id == second.id && first.row > second.row);
        });
        Side& side = income ? m_incomes : m_charges;
        std::vector<qint32> placeOf(candidates.size());
        side.names.reserve(qsizetype(order.size()));
        side.rows.reserve(order.size());
        for (std::size_t place = 0; place < order.size(); ++place) {
            const Candidate& latest = candidates[std::size_t(order[place])];
            placeOf[std::size_t(order[place])] = qint32(place);
            // The spelling of the most recent entry is the one offered.
            side.names << *rows.textRef(latest.row, nameCol);
            side.rows.push_back(latest.row);
        }
        // The table now finds places in the recency order instead of the reading order.
        side.slots.swap(gathered.slots);
        for (auto& [tag, place] : side.slots) {
            if (place != 0)
                place = placeOf[std::size_t(place - 1)] + 1;
        }
    }
}

QStringList EarlierNames::names(bool income) const {
    return side(income).names;
}

std::optional<StandardEntry> EarlierNames::latest(bool income, const QString& name) const {
    const Side& names = side(income);
    const qsizetype place = names.find(name);
    if (place < 0)
        return std::nullopt;
    const int row = names.rows[std::size_t(place)];
    const ViewRows& rows = m_rows;
    StandardEntry entry;
    entry.income = income;
    entry.name = names.names.at(place);
    entry.amount = EditableAmount(rows.toDouble(row, rows.fieldIndex(fields::Data::Value)));
    entry.currencySign =
        CurrencySignForName(m_data->tbValuta, rows.text(row, rows.fieldIndex(fields::Data::Valuta)))
            .value_or(QString());
    entry.group = rows.text(row, rows.fieldIndex(fields::Data::Gr2));
    entry.subGroup = rows.text(row, rows.fieldIndex(fields::Data::NameRashod));
    return entry;
}

} // namespace zovi
