#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace zovi {

class Tdata;
class TCDdata;

// What deleting the current ledger entry does, by its kind.
enum class DeleteAction {
    Nothing,   // an empty view or a kind the ledger does not know
    Refused,   // a debt row: debts are deleted on the debts page
    Transfer,  // the row and its partner
    Single,    // an income, a charge or an exchange
    Repayment, // the row and its repayment record
};

DeleteAction DeleteActionFor(const QString& type);

// The IDs of the ledger rows that deleting the current transfer row removes: the pair n, n + 1
// when those rows are a leaving and an arriving row linked to each other (n is the leaving
// row's ID), otherwise the row and the partner its IDsecond names with the other transfer kind,
// otherwise the row alone. Never a row that is not the partner.
QList<qint64> TransferRowsToDelete(Tdata& data);

// Deletes the current entry of data.tbData with the rows that belong to it, by its kind, in one
// Transaction; every row is looked for among all entries, whatever the filters. Returns the
// number of ledger rows removed (0 for the kinds that delete nothing).
int DeleteEntry(Tdata& data, TCDdata& cd);

// Assigns the current entry of data.tbData (and only that row) to account, an account name or
// "[...]", and refreshes the ledger views. The cursor stays on the entry while it is visible.
void MoveEntry(Tdata& data, const QString& account);

} // namespace zovi
