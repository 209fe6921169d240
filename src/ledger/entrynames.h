#pragma once

#include "ledger/standardentry.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace zovi {

class LedgerTables;

// The names of earlier incomes and charges, offered while the name of a new entry is typed.
// The whole ledger is read once, whatever the filters, when the list is made; typing then only
// filters the names, and choosing one finds its entry without reading the ledger again.
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
    struct Side {
        QStringList names;
        QHash<QString, StandardEntry> latest; // by the name folded to one letter case
    };
    const Side& side(bool income) const { return income ? m_incomes : m_charges; }

    Side m_incomes;
    Side m_charges;
};

} // namespace zovi
