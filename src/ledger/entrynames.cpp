#include "ledger/entrynames.h"

#include "ledger/entrykinds.h"
#include "store/datamodules.h"
#include "store/fields.h"
#include "store/unfiltered.h"

#include <algorithm>
#include <cmath>

namespace zovi {

namespace {

// Where the most recent entry of a name stands in the ledger.
struct Latest {
    QDate date;
    qint64 id = 0;
    int row = 0;
};

bool MoreRecent(const QDate& date, qint64 id, const Latest& than) {
    return date > than.date || (date == than.date && id > than.id);
}

} // namespace

EarlierNames::EarlierNames(LedgerTables& data) {
    TableHandle& d = data.tbData2;
    if (!d.isOpen())
        return;
    ViewRows rows;
    {
        UnfilteredView all(d);
        rows = d.viewRows();
    }
    const int typeCol = rows.fieldIndex(fields::Data::Type);
    const int nameCol = rows.fieldIndex(fields::Data::Name);
    const int dateCol = rows.fieldIndex(fields::Data::Date);
    const int idCol = rows.fieldIndex(fields::Data::ID);
    const QString incomeType = TypeCode(EntryKind::Income);
    const QString chargeType = TypeCode(EntryKind::Charge);

    // One pass: the most recent entry of every exact name of each side.
    QHash<QString, Latest> byName[2];
    for (int i = 0; i < rows.size(); ++i) {
        const QString* type = rows.textRef(i, typeCol);
        const QString* name = rows.textRef(i, nameCol);
        if (!type || !name)
            continue;
        const bool income = *type == incomeType;
        if (!income && *type != chargeType)
            continue;
        const QDate date = rows.toDate(i, dateCol);
        const qint64 id = rows.toInt(i, idCol);
        auto found = byName[income].find(*name);
        if (found == byName[income].end())
            byName[income].insert(*name, Latest{date, id, i});
        else if (MoreRecent(date, id, *found))
            *found = Latest{date, id, i};
    }

    const int groupCol = rows.fieldIndex(fields::Data::Gr2);
    const int subGroupCol = rows.fieldIndex(fields::Data::NameRashod);
    const int valueCol = rows.fieldIndex(fields::Data::Value);
    const int currencyCol = rows.fieldIndex(fields::Data::Valuta);
    QHash<QString, std::optional<QString>> signs;
    for (const bool income : {false, true}) {
        // Names differing only in letter case are one name: its most recent entry counts.
        QHash<QString, std::pair<QString, Latest>> folded;
        for (auto it = byName[income].cbegin(); it != byName[income].cend(); ++it) {
            const QString key = it.key().toCaseFolded();
            auto found = folded.find(key);
            if (found == folded.end())
                folded.insert(key, {it.key(), it.value()});
            else if (MoreRecent(it->date, it->id, found->second))
                *found = {it.key(), it.value()};
        }
        std::vector<std::pair<QString, Latest>> order;
        order.reserve(folded.size());
        Side& side = income ? m_incomes : m_charges;
        for (auto it = folded.cbegin(); it != folded.cend(); ++it) {
            order.push_back(it.value());
            const int row = it->second.row;
            const QString currency = rows.text(row, currencyCol);
            if (!signs.contains(currency))
                signs.insert(currency, CurrencySignForName(data.tbValuta, currency));
            StandardEntry entry;
            entry.income = income;
            entry.name = it->first;
            entry.amount = EditableAmount(rows.toDouble(row, valueCol));
            entry.currencySign = signs.value(currency).value_or(QString());
            entry.group = rows.text(row, groupCol);
            entry.subGroup = rows.text(row, subGroupCol);
            side.latest.insert(it.key(), entry);
        }
        std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
            return MoreRecent(a.second.date, a.second.id, b.second);
        });
        side.names.reserve(qsizetype(order.size()));
        for (const auto& named : order)
            side.names << named.first;
    }
}

QStringList EarlierNames::names(bool income) const {
    return side(income).names;
}

std::optional<StandardEntry> EarlierNames::latest(bool income, const QString& name) const {
    const auto& found = side(income).latest;
    const auto it = found.constFind(name.toCaseFolded());
    if (it == found.cend())
        return std::nullopt;
    return *it;
}

} // namespace zovi
