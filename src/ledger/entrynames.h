#pragma once

#include "ledger/standardentry.h"
#include "store/table.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace zovi {

class LedgerTables;

// The names of earlier incomes and charges, offered while the name of a new entry is typed.
// The whole ledger is read once, whatever the filters, when the list is made; typing then only
// filters the names, and choosing one reads its latest entry from the rows read then. Only the
// names and one row per name are kept, so that a ledger of a million
// distinct names costs a few tens of megabytes and well under a second, not a copy of every
// entry.
class EarlierNames {
public:
    // An empty list.
    EarlierNames() = default;
    // Reads every income and charge of data.tbData2 with its filter switched off.
    explicit EarlierNames(LedgerTables& data);

    // The distinct names of the incomes (income) or of the charges, letter case ignored (the
    // spelling of the most recent entry is kept), most recent first: the latest date, then the
    // latest ID.
    QStringList names(bool income) const;
    // The most recent income or charge named name (letter case ignored) as a dialog would
    // start from it: its group, sub-group, currency sign (empty when its currency is gone) and
    // amount; the date is left empty. Nothing when no entry of that side has the name.
    std::optional<StandardEntry> latest(bool income, const QString& name) const;

private:
    // The names of one side, most recent first, with the row of each name's latest entry, and
    // an open-addressing table that finds a name's place without regard to letter case: each
    // slot holds a part of the name's folded hash and its place + 1 (0: empty).
    struct Side {
        QStringList names;
        std::vector<int> rows;
        std::vector<std::pair<quint32, qint32>> slots;
        // The place of name in names, letter case ignored; -1 when it is not there.
        qsizetype find(QStringView name) const;
    };
    const Side& side(bool income) const { return income ? m_incomes : m_charges; }

    LedgerTables* m_data = nullptr;
    ViewRows m_rows; // every row of the ledger when the list was made
    Side m_incomes;
    Side m_charges;
};

} // namespace zovi
