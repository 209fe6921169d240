#pragma once

// Bringing the data of a database of the previous major version into the open database: its
// currencies, ledger, accounts, groups, sub-groups, debts and repayments.

#include "databases/oldtables.h"

#include <QString>
#include <functional>

namespace zovi {

class LedgerTables;
class DebtTables;

// The outcome of an import.
struct ImportOutcome {
    bool imported = false;
    // A table the old folder must hold and does not ("valuta.db", "data.db" or "gr1.db"):
    // nothing was changed.
    QString missingFile;
    // Why nothing was imported (a table that cannot be read, a value that does not convert, a
    // write the store refused); empty when imported or when a file is missing.
    QString error;
    int currencies = 0;
    int entries = 0;
    int accounts = 0;
};

// Imports the old database in oldFolder into the open database of data and cd, whole or not at
// all. The old tables are found without regard to letter case and may be Paradox tables or
// tables in our own SQLite layout. Then, in one transaction: the currencies are replaced (with
// OldValue and FastValue "0"), the ledger entries and the accounts are appended, and the group,
// sub-group, debt and repayment tables the old folder holds replace ours row for row, their
// IDs kept. Appended entries get new IDs; the links that name an entry by its old ID (the
// partner of a transfer, the entry of a debt or a repayment) are moved to its new ID when the
// old ledger gives its IDs. Every handle of data and cd is refreshed afterwards. progress
// receives the share done in thousandths.
ImportOutcome ImportOldDatabase(LedgerTables& data, DebtTables& cd, const QString& oldFolder,
                                const ParadoxReader& reader = {},
                                const std::function<void(int permille)>& progress = {});

} // namespace zovi
