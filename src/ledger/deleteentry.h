#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace zovi {

class LedgerTables;
class DebtTables;

// What deleting a ledger entry does, by its kind.
enum class DeleteAction {
    Nothing,   // a kind the ledger does not know
    Refused,   // a debt row: debts are deleted on the debts page
    Transfer,  // the row and its partner
    Single,    // an income, a charge or an exchange
    Repayment, // the row and its repayment record
};

DeleteAction DeleteActionFor(const QString& type);

// The Type of the entry with this ID, found whatever the filters; empty when no entry has it.
// The window decides the edit and delete actions of the selected entry by it.
QString EntryType(LedgerTables& data, qint64 id);

// The IDs of the ledger rows that deleting the transfer row with this ID removes: the pair n,
// n + 1 when those rows are a leaving and an arriving row linked to each other (n is the
// leaving row's ID), otherwise the row and the partner its IDsecond names with the other
// transfer kind, otherwise the row alone. Never a row that is not the partner; none when no
// entry has the ID.
QList<qint64> TransferRowsToDelete(LedgerTables& data, qint64 id);

// The message that refuses deleting a debt row from the ledger.
QString DebtDeleteRefusal();

// Deletes the entry with this ID with the rows that belong to it, by its kind, in one
// Transaction; every row is looked for among all entries, whatever the filters, and the ledger
// views are refreshed after. Returns the number of ledger rows removed (0 for the kinds that
// delete nothing). Throws StoreError, deleting nothing, when no entry has the ID.
int DeleteEntry(LedgerTables& data, DebtTables& cd, qint64 id);

// Deletes the entries with these IDs as DeleteEntry deletes each, all in one Transaction: a
// transfer whose two rows are both given is deleted once. When one of them cannot be deleted
// (no entry has its ID, the store refuses a write, or, with refuse, a debt row or an unknown
// kind) it throws StoreError and nothing is deleted. Returns the number of ledger rows removed.
int DeleteEntries(LedgerTables& data, DebtTables& cd, const QList<qint64>& ids, bool refuse = true);

// Assigns the entry with this ID (and only that row) to account, an account name or "[...]",
// and refreshes the ledger views. Throws StoreError, changing nothing, when no entry has the ID.
void MoveEntry(LedgerTables& data, qint64 id, const QString& account);
// Assigns each of these entries (only those rows) to account in one Transaction; nothing moves
// when one of them cannot be.
void MoveEntries(LedgerTables& data, const QList<qint64>& ids, const QString& account);

} // namespace zovi
