#include "ledger/deleteentry.h"

#include "core/lang.h"
#include "ledger/entrykinds.h"
#include "ledger/entryrow.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"
#include "store/unfiltered.h"

#include <QSet>

namespace zovi {

namespace {

// The kind and link of the ledger row with this ID.
struct LinkedRow {
    bool found = false;
    QString type;
    qint64 link = 0;
};

LinkedRow RowById(EntryById& all, qint64 id) {
    LinkedRow row;
    if (!all.moveTo(id))
        return row;
    row.found = true;
    row.type = all.row().field(fields::Data::Type).text();
    row.link = all.row().field(fields::Data::IDsecond).toInt();
    return row;
}

} // namespace

DeleteAction DeleteActionFor(const QString& type) {
    const auto kind = KindOf(type);
    if (!kind)
        return DeleteAction::Nothing;
    switch (*kind) {
    case EntryKind::Credit:
    case EntryKind::Debit:
        return DeleteAction::Refused;
    case EntryKind::TransferOut:
    case EntryKind::TransferIn:
        return DeleteAction::Transfer;
    case EntryKind::CreditRepayment:
    case EntryKind::DebitRepayment:
        return DeleteAction::Repayment;
    case EntryKind::Income:
    case EntryKind::Charge:
    case EntryKind::Exchange:
        return DeleteAction::Single;
    }
    return DeleteAction::Nothing;
}

QString EntryType(LedgerTables& data, qint64 id) {
    EntryById entry(data, id);
    return entry.found() ? entry.row().field(fields::Data::Type).text() : QString();
}

QList<qint64> TransferRowsToDelete(LedgerTables& data, qint64 id) {
    EntryById entry(data, id);
    if (!entry.found())
        return {};
    TableHandle& all = entry.row();
    const QString type = all.field(fields::Data::Type).text();
    const qint64 link = all.field(fields::Data::IDsecond).toInt();
    const QString out = TypeCode(EntryKind::TransferOut);
    const QString in = TypeCode(EntryKind::TransferIn);

    // The pair as it is always written: the leaving row n, the arriving row n + 1.
    const qint64 n = type == out ? id : id - 1;
    const LinkedRow first = RowById(entry, n);
    const LinkedRow second = RowById(entry, n + 1);
    if (first.found && second.found && first.type == out && second.type == in &&
        first.link == n + 1 && second.link == n)
        return {n, n + 1};
    // Rows brought in from elsewhere: the partner its link names, when it is the other leg.
    const LinkedRow partner = RowById(entry, link);
    if (link != id && partner.found && partner.type == (type == out ? in : out))
        return {id, link};
    return {id};
}

namespace {

// Deletes the entry with this ID with the rows that belong to it, inside the caller's
// transaction, skipping the rows in removed (a transfer partner deleted with an entry given
// before) and adding the ones it deletes. refuse: a kind the ledger does not delete throws
// StoreError instead of deleting nothing. The number of ledger rows removed.
int RemoveEntry(LedgerTables& data, DebtTables& cd, qint64 id, QSet<qint64>& removed, bool refuse) {
    if (removed.contains(id))
        return 0;
    QString type;
    qint64 repayment = 0;
    {
        EntryById entry(data, id);
        TableHandle& row = entry.require(id);
        type = row.field(fields::Data::Type).text();
        repayment = row.field(fields::Data::IDsecond).toInt();
    }
    const DeleteAction action = DeleteActionFor(type);
    if (action == DeleteAction::Nothing || action == DeleteAction::Refused) {
        if (refuse)
            throw StoreError(action == DeleteAction::Refused
                                 ? DebtDeleteRefusal()
                                 : QStringLiteral("The entry with ID %1 "
                                                  "cannot be deleted.")
                                       .arg(id));
        return 0;
    }

    const QList<qint64> rows =
        action == DeleteAction::Transfer ? TransferRowsToDelete(data, id) : QList<qint64>{id};
    if (action == DeleteAction::Repayment) {
        TableHandle& repayments = cd.tbOplataCredit2;
        UnfilteredView allRepayments(repayments);
        allRepayments.forgetPosition();
        if (repayments.locate(fields::OplataCredit::ID, repayment))
            repayments.remove();
    }
    int count = 0;
    EntryById all(data, id);
    for (qint64 row : rows) {
        if (!removed.contains(row) && all.moveTo(row)) {
            all.row().remove();
            removed.insert(row);
            ++count;
        }
    }
    return count;
}

} // namespace

QString DebtDeleteRefusal() {
    return LangText(QStringLiteral("err014"),
                    QStringLiteral("For delete of debts you must open window \"Debts\""));
}

int DeleteEntry(LedgerTables& data, DebtTables& cd, qint64 id) {
    return DeleteEntries(data, cd, {id}, false);
}

int DeleteEntries(LedgerTables& data, DebtTables& cd, const QList<qint64>& ids, bool refuse) {
    Transaction t;
    QSet<qint64> removed;
    int count = 0;
    for (qint64 id : ids)
        count += RemoveEntry(data, cd, id, removed, refuse);
    t.commit();
    if (count > 0)
        RefreshLedgerViews(data);
    return count;
}

void MoveEntry(LedgerTables& data, qint64 id, const QString& account) {
    MoveEntries(data, {id}, account);
}

void MoveEntries(LedgerTables& data, const QList<qint64>& ids, const QString& account) {
    Transaction t;
    for (qint64 id : ids) {
        EntryById entry(data, id);
        TableHandle& d = entry.require(id);
        // An unfinished edit is dropped when the view is left by an error.
        d.edit();
        d.field(fields::Data::Gr1).setText(account);
        d.post();
    }
    t.commit();
    RefreshLedgerViews(data);
}

} // namespace zovi
