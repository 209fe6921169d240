#pragma once

// Storing the entries read from another program's or a bank's file: what each becomes in the
// ledger (the preview shows exactly that), which of them are already there, and the one
// transaction that stores the rest.

#include "imports/importfile.h"
#include "ledger/entrykinds.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace zovi {

class LedgerTables;

// One entry as it will be stored. For a transfer, the leaving or arriving row of this account
// (kind TransferOut or TransferIn) and its partner in transferAccount; for an exchange, what
// left (given, negative, in givenCurrency) and what arrived (amount in currency).
struct PlannedEntry {
    int line = 0;
    EntryKind kind = EntryKind::Charge;
    QDate date;
    QString name;
    double amount = 0; // signed, as Value is stored
    QString currency;  // the Name in Valuta.db
    QString currencySign;
    QString group; // the group name as stored (an existing group's own spelling), or the marker
    QString subGroup;
    QString account;
    QString transferAccount;
    QString transferName;
    double given = 0;
    QString givenCurrency;
    QString givenSign;
    double rate = 0;        // an exchange's rate, as its dialog would have been typed
    bool duplicate = false; // the same date, amount and name are already in the account
};

struct ImportPlan {
    QList<PlannedEntry> entries; // in the file's order, duplicates included and marked
    int duplicates = 0;
    QList<UnreadLine> unread; // the file's unread lines and the entries that cannot be stored
    QStringList newAccounts;  // accounts the import will create, in the order first named
    int newGroups = 0;        // groups and sub-groups it will create
    int toStore() const { return int(entries.size()) - duplicates; }
};

// Works out what the entries of file become when imported into account (a name of Gr1.db,
// "[...]", or a new name, which the import will create): an entry's own account wins over it.
// - Name: cut to the ledger's 60 characters; an entry without one gets "(no name)".
// - Income or charge by the sign of the amount; a transfer when the entry names another account,
//   its two rows in this account and the other; an exchange when the file says so.
// - Currency: the entry's, else the file's, else the main one, matched to Valuta.db by name,
//   sign or the usual code ("USD" finds "Dollar" or "$"); an entry whose currency the database
//   lacks is unread.
// - Group and sub-group: an existing one of the entry's side whose name differs only in letter
//   case is used as it is spelled; a missing one will be made. An entry without a group goes to
//   "Uncategorised" of its side.
// - Duplicates: an entry with the same date, amount (to the cent) and name (letter case aside)
//   as an entry already in its account, or as an entry met earlier in the file.
ImportPlan PlanImport(LedgerTables& data, const ImportedFile& file, const QString& account);

// Stores every entry of the plan that is no duplicate, creating the accounts, groups and
// sub-groups it needs, all in one Transaction: a failed write throws StoreError and stores
// nothing. The ledger, account and group handles are refreshed afterwards. Returns the number of
// entries stored (a transfer counts once).
int StoreImport(LedgerTables& data, const ImportPlan& plan);

// The Name of the currency of Valuta.db that the text names, as PlanImport matches it; empty
// when none does.
QString MatchCurrency(LedgerTables& data, const QString& named);

} // namespace zovi
