#pragma once

#include <QString>
#include <QStringList>

namespace zovi {

class LedgerTables;
class DebtTables;
class TableHandle;

// The classifiers the entries name: the accounts (Gr1.db, kept in the order the tabs show
// them) and the two-level groups of charges and of incomes. Every command below runs in one
// Transaction: it is stored whole or not at all, and a refusal or a failed write throws
// StoreError with a readable message, leaving tables and handles as they were.

// The accounts in table order.
QStringList AccountNames(LedgerTables& data);

// Appends the account text without leading and trailing blanks. Returns false and stores
// nothing when that is empty or an account of exactly that name exists (letter case counts).
bool AddAccount(LedgerTables& data, const QString& text);

// The commands below act on the account at row, its 0-based place in table order (the row of
// the accounts window's grid): Gr1.db has no key, and two accounts may bear one name. A row
// that is not there is refused.

// Deletes the account at row. Entries and debts keep the name.
void DeleteAccount(LedgerTables& data, int row);

// True when an account other than the one at row bears exactly this name: renaming it so
// merges the two.
bool AccountNameTaken(LedgerTables& data, int row, const QString& name);

// Renames the account at row to newName (taken as typed, but a blank name is refused) and
// carries the new name into every ledger entry of the old name, also entries the ledger filter
// hides, and into the debts booked to it (Credit.db, User), so that later repayments go to the
// new name. Entries of "[...]" and of other accounts are not touched. While another account
// still bears the old name, the entries and debts stay with that one. When another account
// already bears newName (AccountNameTaken), the two merge: the entries and debts move to it and
// the account at row goes. The ledger and debt handles are refreshed.
void RenameAccount(LedgerTables& data, DebtTables& cd, int row, const QString& newName);

// Exchanges the account at index (0-based, table order) with its neighbour above (up) or below.
// Returns false and changes nothing for the first moved up, the last moved down, or an index
// out of range.
bool MoveAccount(LedgerTables& data, int index, bool up);

// The two classifiers of groups: charges (GrR.db, GrR2.db) and incomes (GrD.db, GrD2.db).
enum class GroupSide { Charges, Incomes };

// The group handle of a side and its sub-group handle, linked to the current group.
TableHandle& GroupTable(LedgerTables& data, GroupSide side);
TableHandle& SubGroupTable(LedgerTables& data, GroupSide side);

// The text of the refusal of a blank group, sub-group or account name.
QString EmptyNameRefusal();

// Appends a group and returns its ID; a blank name is refused.
qint64 AddGroup(LedgerTables& data, GroupSide side, const QString& name);
// Appends a sub-group of the group groupId; a blank name or a missing group is refused.
void AddSubGroup(LedgerTables& data, GroupSide side, qint64 groupId, const QString& name);

// Deletes the group and every sub-group of it; returns the number of rows removed. Entries keep
// the names.
int DeleteGroup(LedgerTables& data, GroupSide side, qint64 groupId);
// Deletes the first sub-group of this name of the group. Entries keep the name.
void DeleteSubGroup(LedgerTables& data, GroupSide side, qint64 groupId, const QString& name);

// Renames the group and carries the new name into the group of every entry of its side (the
// charges for a charge group, the incomes for an income group) that names the old one exactly,
// also entries the ledger filter hides; an income group and a charge group of one name stay
// apart. A blank new name is refused; transfers, exchanges and debt rows keep their markers,
// and an empty old name rewrites no entry. The ledger handles are refreshed.
void RenameGroup(LedgerTables& data, GroupSide side, qint64 groupId, const QString& newName);
// The same for the first sub-group named oldName of the group: every entry of the side whose
// sub-group is oldName gets newName, whatever its group.
void RenameSubGroup(LedgerTables& data, GroupSide side, qint64 groupId, const QString& oldName,
                    const QString& newName);

} // namespace zovi
