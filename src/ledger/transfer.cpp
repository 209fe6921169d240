#include "ledger/transfer.h"

#include "ledger/entrykinds.h"
#include "ledger/standardentry.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"
#include "store/unfiltered.h"

namespace zovi {

namespace {

const QString kId = QStringLiteral("ID");
const QString kIdSecond = QStringLiteral("IDsecond");
const QString kType = QStringLiteral("Type");

// Moves the cursor to the row with this ID when it is a transfer row of this kind; with a
// partner given, it must also link back to that row.
bool LocateRow(TableHandle& d, qint64 id, EntryKind kind, qint64 partner = 0) {
    if (id <= 0 || !d.locate(kId, id) || d.field(kType).text() != TypeCode(kind))
        return false;
    return partner == 0 || d.field(kIdSecond).toInt() == partner;
}

// Writes one row of a transfer into the row being appended or edited (its link apart).
void WriteRow(TableHandle& d, EntryKind kind, const Transfer& t, const CheckedAmount& checked) {
    const bool out = kind == EntryKind::TransferOut;
    WriteEntryFields(d,
                     {kind, t.date, out ? t.nameOut : t.nameIn, out ? t.from : t.to,
                      QString::fromLatin1(Info(kind).marker), t.amount, t.currencySign},
                     checked);
}

// Moves to a row of the pair just appended. New rows end the unfiltered view, so the last rows
// are tried before a walk over the whole ledger.
bool LocateAppended(TableHandle& d, qint64 id) {
    d.last();
    for (int step = 0; step < 2 && !d.isEmpty(); ++step) {
        if (d.field(kId).toInt() == id)
            return true;
        d.prior();
        if (d.bof())
            break;
    }
    return d.locate(kId, id);
}

void SetLink(TableHandle& d, qint64 id, qint64 partner) {
    if (!LocateAppended(d, id))
        throw StoreError(QStringLiteral("The transfer row %1 disappeared while it was being "
                                        "written; nothing was stored.")
                             .arg(id));
    d.edit();
    d.field(kIdSecond).setInt(partner);
    d.post();
}

} // namespace

TransferRows AppendTransfer(Tdata& data, const Transfer& transfer) {
    const CheckedAmount checked =
        CheckAmountAndCurrency(data, transfer.amount, transfer.currencySign);
    TableHandle& d = data.tbData;
    TransferRows rows;
    Transaction t;
    {
        UnfilteredView all(d);
        all.forgetPosition();
        for (const EntryKind kind : {EntryKind::TransferOut, EntryKind::TransferIn}) {
            d.append();
            WriteRow(d, kind, transfer, checked);
            d.post();
            (kind == EntryKind::TransferOut ? rows.out : rows.in) = d.field(kId).toInt();
        }
        SetLink(d, rows.out, rows.in);
        SetLink(d, rows.in, rows.out);
    }
    t.commit();
    return rows;
}

StoredTransfer ReadTransfer(Tdata& data) {
    TableHandle& d = data.tbData;
    StoredTransfer stored;
    if (!d.isOpen() || d.isEmpty())
        return stored;
    const auto kind = KindOf(d.field(kType).text());
    if (kind != EntryKind::TransferOut && kind != EntryKind::TransferIn)
        return stored;
    const qint64 current = d.field(kId).toInt();
    const qint64 partner = d.field(kIdSecond).toInt();

    Transfer& t = stored.transfer;
    UnfilteredView all(d);
    // The amount of the arriving row wins, the date of the leaving row: each is read last.
    for (const EntryKind side : {EntryKind::TransferIn, EntryKind::TransferOut}) {
        const bool found =
            side == *kind ? LocateRow(d, current, side) : LocateRow(d, partner, side, current);
        if (!found)
            continue;
        const bool out = side == EntryKind::TransferOut;
        (out ? stored.rows.out : stored.rows.in) = d.field(kId).toInt();
        (out ? t.from : t.to) = d.field(QStringLiteral("Gr1")).text();
        (out ? t.nameOut : t.nameIn) = d.field(QStringLiteral("Name")).text();
        t.date = d.field(QStringLiteral("Date")).toDate();
        if (t.amount.isEmpty())
            t.amount = EditableAmount(d.field(QStringLiteral("Value")).toDouble());
        if (t.currencySign.isEmpty()) {
            t.currencySign =
                CurrencySignForName(data.tbValuta, d.field(QStringLiteral("Valuta")).text())
                    .value_or(QString());
        }
    }
    return stored;
}

void RewriteTransfer(Tdata& data, const Transfer& transfer, const TransferRows& rows) {
    TableHandle& d = data.tbData;
    if (!d.isOpen())
        throw StoreError(QStringLiteral("There is no transfer to change."));
    const CheckedAmount checked =
        CheckAmountAndCurrency(data, transfer.amount, transfer.currencySign);
    Transaction t;
    {
        UnfilteredView all(d);
        for (const EntryKind kind : {EntryKind::TransferOut, EntryKind::TransferIn}) {
            if (!LocateRow(d, kind == EntryKind::TransferOut ? rows.out : rows.in, kind))
                continue;
            d.edit();
            WriteRow(d, kind, transfer, checked);
            d.post();
        }
    }
    t.commit();
}

} // namespace zovi
