#include "ledger/classifiers.h"

#include "core/lang.h"
#include "ledger/entrykinds.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <QVariant>

namespace zovi {

namespace {

void RequireOpen(const TableHandle& t) {
    if (!t.isOpen())
        throw StoreError(QStringLiteral("No database is open."));
}

void RequireName(const QString& name) {
    if (name.trimmed().isEmpty())
        throw StoreError(EmptyNameRefusal());
}

// Moves the group handle to the group, so that its sub-group view shows that group's
// sub-groups; a group that is gone is refused.
void LocateGroup(TableHandle& groups, qint64 groupId) {
    RequireOpen(groups);
    if (!groups.locate(fields::GroupTable::ID, QVariant(groupId)))
        throw StoreError(QStringLiteral("The group no longer exists."));
}

// Moves the account cursor to the account at row (0-based, table order) and returns its name;
// a row that is not there is refused.
QString LocateAccount(TableHandle& accounts, int row) {
    RequireOpen(accounts);
    if (row < 0 || row >= accounts.recordCount())
        throw StoreError(QStringLiteral("The account no longer exists."));
    accounts.setRecNo(row + 1);
    return accounts.field(fields::Gr1::Name).text();
}

void LocateSubGroup(TableHandle& subGroups, const QString& name) {
    if (!subGroups.locate(fields::SubGroupTable::Name, name))
        throw StoreError(QStringLiteral("The sub-group \"%1\" no longer exists.").arg(name));
}

// Writes newName into the field of every ledger row whose field is exactly oldName, whatever
// the filter of the grid; only rows of the kinds listed, when kinds is not empty. An empty old
// name is never carried over: it would stand for every entry without that field. One write of
// the store for all the rows, which every view of the ledger shows at once.
void RenameInLedger(LedgerTables& data, const QString& field, const QString& oldName,
                    const QString& newName, const QStringList& kinds = {}) {
    if (oldName.isEmpty() || oldName == newName)
        return;
    TableHandle& d = data.tbData2;
    RequireOpen(d);
    const int type = d.fieldIndex(fields::Data::Type);
    const auto ofKinds = [&](const ViewRows& rows, int index) {
        const QString* kind = rows.textRef(index, type);
        return kind && kinds.contains(*kind);
    };
    d.rewriteField(d.fieldIndex(field), oldName, newName,
                   kinds.isEmpty() ? std::function<bool(const ViewRows&, int)>() : ofKinds);
}

// The entries that a side's groups and sub-groups classify: charges or incomes. Transfers,
// exchanges and debt rows have no group of either side.
QStringList KindsOf(GroupSide side) {
    return {TypeCode(side == GroupSide::Charges ? EntryKind::Charge : EntryKind::Income)};
}

} // namespace

QString EmptyNameRefusal() {
    return LangText(QStringLiteral("emptyname"), QStringLiteral("The name must not be empty."));
}

// ---- accounts ----

QStringList AccountNames(LedgerTables& data) {
    QStringList names;
    TableHandle& a = data.tbGr1;
    if (!a.isOpen())
        return names;
    const int column = a.fieldIndex(fields::Gr1::Name);
    for (int row = 0; row < a.recordCount(); ++row)
        names << a.textAt(row, column);
    return names;
}

bool AddAccount(LedgerTables& data, const QString& text) {
    TableHandle& a = data.tbGr1;
    RequireOpen(a);
    const QString name = text.trimmed();
    if (name.isEmpty() || AccountNames(data).contains(name))
        return false;
    Transaction t;
    a.append();
    a.field(fields::Gr1::Name).setText(name);
    a.post();
    t.commit();
    return true;
}

void DeleteAccount(LedgerTables& data, int row) {
    TableHandle& a = data.tbGr1;
    LocateAccount(a, row);
    Transaction t;
    a.remove();
    t.commit();
}

bool AccountNameTaken(LedgerTables& data, int row, const QString& name) {
    const QStringList names = AccountNames(data);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i != row && names[i] == name)
            return true;
    }
    return false;
}

void RenameAccount(LedgerTables& data, DebtTables& cd, int row, const QString& newName) {
    RequireName(newName);
    TableHandle& a = data.tbGr1;
    const QString oldName = LocateAccount(a, row);
    if (oldName == newName)
        return;
    const bool merge = AccountNameTaken(data, row, newName);
    // Entries name their account only: while another account bears the old name, they are
    // that one's as much as this one's, and stay.
    const bool carry = !AccountNameTaken(data, row, oldName);
    Transaction t;
    if (carry)
        RenameInLedger(data, fields::Data::Gr1, oldName, newName);
    if (carry && !oldName.isEmpty() && cd.tbCredit.isOpen()) {
        // The debts name the account they are booked to; repayments entered later take it
        // from there.
        TableHandle& c = cd.tbCredit;
        c.rewriteField(c.fieldIndex(fields::Credit::User), oldName, newName);
    }
    LocateAccount(a, row);
    if (merge) {
        a.remove();
    } else {
        a.edit();
        a.field(fields::Gr1::Name).setText(newName);
        a.post();
    }
    t.commit();
}

bool MoveAccount(LedgerTables& data, int index, bool up) {
    TableHandle& a = data.tbGr1;
    if (!a.isOpen() || index < 0 || index >= a.recordCount())
        return false;
    const int other = up ? index - 1 : index + 1;
    if (other < 0 || other >= a.recordCount())
        return false;
    const int column = a.fieldIndex(fields::Gr1::Name);
    const QString moving = a.textAt(index, column);
    const QString neighbour = a.textAt(other, column);
    Transaction t;
    for (const auto& [row, name] : {std::pair{other, moving}, std::pair{index, neighbour}}) {
        a.setRecNo(row + 1);
        a.edit();
        a.field(column).setText(name);
        a.post();
    }
    t.commit();
    a.setRecNo(other + 1);
    return true;
}

// ---- groups ----

TableHandle& GroupTable(LedgerTables& data, GroupSide side) {
    return side == GroupSide::Charges ? data.tbGrR : data.tbGrD;
}

TableHandle& SubGroupTable(LedgerTables& data, GroupSide side) {
    return side == GroupSide::Charges ? data.tbGrR2 : data.tbGrD2;
}

qint64 AddGroup(LedgerTables& data, GroupSide side, const QString& name) {
    RequireName(name);
    TableHandle& g = GroupTable(data, side);
    RequireOpen(g);
    Transaction t;
    g.append();
    g.field(fields::GroupTable::Name).setText(name);
    g.post();
    t.commit();
    const qint64 id = g.lastInsertedRowid();
    g.locate(fields::GroupTable::ID, QVariant(id));
    return id;
}

void AddSubGroup(LedgerTables& data, GroupSide side, qint64 groupId, const QString& name) {
    RequireName(name);
    LocateGroup(GroupTable(data, side), groupId);
    TableHandle& s = SubGroupTable(data, side);
    RequireOpen(s);
    Transaction t;
    s.append();
    s.field(fields::SubGroupTable::IDsecond).setInt(groupId);
    s.field(fields::SubGroupTable::Name).setText(name);
    s.post();
    t.commit();
    s.last();
}

int DeleteGroup(LedgerTables& data, GroupSide side, qint64 groupId) {
    TableHandle& g = GroupTable(data, side);
    LocateGroup(g, groupId);
    TableHandle& s = SubGroupTable(data, side);
    RequireOpen(s);
    int removed = 0;
    Transaction t;
    // The sub-group view follows the located group: it empties as its rows go.
    while (!s.isEmpty()) {
        s.first();
        s.remove();
        ++removed;
    }
    g.remove();
    t.commit();
    return removed + 1;
}

void DeleteSubGroup(LedgerTables& data, GroupSide side, qint64 groupId, const QString& name) {
    LocateGroup(GroupTable(data, side), groupId);
    TableHandle& s = SubGroupTable(data, side);
    RequireOpen(s);
    LocateSubGroup(s, name);
    Transaction t;
    s.remove();
    t.commit();
}

void RenameGroup(LedgerTables& data, GroupSide side, qint64 groupId, const QString& newName) {
    RequireName(newName);
    TableHandle& g = GroupTable(data, side);
    LocateGroup(g, groupId);
    const QString oldName = g.field(fields::GroupTable::Name).text();
    if (oldName == newName)
        return;
    Transaction t;
    RenameInLedger(data, fields::Data::Gr2, oldName, newName, KindsOf(side));
    LocateGroup(g, groupId);
    g.edit();
    g.field(fields::GroupTable::Name).setText(newName);
    g.post();
    t.commit();
}

void RenameSubGroup(LedgerTables& data, GroupSide side, qint64 groupId, const QString& oldName,
                    const QString& newName) {
    RequireName(newName);
    TableHandle& g = GroupTable(data, side);
    LocateGroup(g, groupId);
    TableHandle& s = SubGroupTable(data, side);
    RequireOpen(s);
    LocateSubGroup(s, oldName);
    if (oldName == newName)
        return;
    Transaction t;
    RenameInLedger(data, fields::Data::NameRashod, oldName, newName, KindsOf(side));
    LocateGroup(g, groupId);
    LocateSubGroup(s, oldName);
    s.edit();
    s.field(fields::SubGroupTable::Name).setText(newName);
    s.post();
    t.commit();
}

} // namespace zovi
