#include "ledger/deleteentry.h"

#include "ledger/entrykinds.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"
#include "store/unfiltered.h"

namespace zovi {

namespace {

const QString kID = QStringLiteral("ID");
const QString kType = QStringLiteral("Type");
const QString kIDsecond = QStringLiteral("IDsecond");

// The kind and link of the ledger row with this ID, read through an unfiltered view.
struct LinkedRow {
    bool found = false;
    QString type;
    qint64 link = 0;
};

LinkedRow RowById(TableHandle& all, qint64 id) {
    LinkedRow row;
    if (!all.locate(kID, id))
        return row;
    row.found = true;
    row.type = all.field(kType).text();
    row.link = all.field(kIDsecond).toInt();
    return row;
}

void RemoveById(TableHandle& all, qint64 id) {
    if (all.locate(kID, id))
        all.remove();
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

QList<qint64> TransferRowsToDelete(Tdata& data) {
    TableHandle& d = data.tbData;
    const qint64 id = d.field(kID).toInt();
    const QString type = d.field(kType).text();
    const QString out = TypeCode(EntryKind::TransferOut);
    const QString in = TypeCode(EntryKind::TransferIn);
    const qint64 link = d.field(kIDsecond).toInt();

    TableHandle& all = data.tbData2;
    UnfilteredView unfiltered(all);
    // The pair as it is always written: the leaving row n, the arriving row n + 1.
    const qint64 n = type == out ? id : id - 1;
    const LinkedRow first = RowById(all, n);
    const LinkedRow second = RowById(all, n + 1);
    if (first.found && second.found && first.type == out && second.type == in &&
        first.link == n + 1 && second.link == n)
        return {n, n + 1};
    // Rows brought in from elsewhere: the partner its link names, when it is the other leg.
    const LinkedRow partner = RowById(all, link);
    if (link != id && partner.found && partner.type == (type == out ? in : out))
        return {id, link};
    return {id};
}

int DeleteEntry(Tdata& data, TCDdata& cd) {
    TableHandle& d = data.tbData;
    if (!d.isOpen() || d.isEmpty())
        return 0;
    const QString type = d.field(kType).text();
    const qint64 id = d.field(kID).toInt();
    const DeleteAction action = DeleteActionFor(type);
    if (action == DeleteAction::Nothing || action == DeleteAction::Refused)
        return 0;

    QList<qint64> rows{id};
    if (action == DeleteAction::Transfer)
        rows = TransferRowsToDelete(data);
    Transaction t;
    if (action == DeleteAction::Repayment) {
        TableHandle& repayments = cd.tbOplataCredit2;
        UnfilteredView allRepayments(repayments);
        allRepayments.forgetPosition();
        RemoveById(repayments, d.field(kIDsecond).toInt());
    }
    {
        TableHandle& all = data.tbData2;
        UnfilteredView unfiltered(all);
        unfiltered.forgetPosition();
        for (qint64 row : rows)
            RemoveById(all, row);
    }
    t.commit();
    for (TableHandle* view : {&data.tbData, &data.tbData2, &data.tbData3})
        view->refresh();
    return int(rows.size());
}

void MoveEntry(Tdata& data, const QString& account) {
    TableHandle& d = data.tbData;
    if (!d.isOpen() || d.isEmpty())
        return;
    const qint64 id = d.field(kID).toInt();
    Transaction t;
    try {
        d.edit();
        d.field(QStringLiteral("Gr1")).setText(account);
        d.post();
    } catch (...) {
        d.cancel();
        throw;
    }
    t.commit();
    d.refresh();
    data.tbData2.refresh();
    d.locate(kID, id);
}

} // namespace zovi
