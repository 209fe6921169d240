#include "ledger/transfer.h"

#include "core/textutil.h"
#include "ledger/entrykinds.h"
#include "ledger/entryrow.h"
#include "ledger/standardentry.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"
#include "store/unfiltered.h"

namespace zovi {

namespace {

// Moves to the row with this ID when it is a transfer row of this kind; with a partner given,
// it must also link back to that row.
bool LocateRow(EntryById& all, qint64 id, EntryKind kind, qint64 partner = 0) {
    if (!all.moveTo(id) || all.row().field(fields::Data::Type).text() != TypeCode(kind))
        return false;
    return partner == 0 || all.row().field(fields::Data::IDsecond).toInt() == partner;
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
        if (d.field(fields::Data::ID).toInt() == id)
            return true;
        d.prior();
        if (d.bof())
            break;
    }
    return d.locate(fields::Data::ID, id);
}

// Links a row just appended to its partner and, for a repeated transfer, marks its series.
void SetLink(TableHandle& d, qint64 id, qint64 partner, qint64 series) {
    if (!LocateAppended(d, id))
        throw StoreError(QStringLiteral("The transfer row %1 disappeared while it was being "
                                        "written; nothing was stored.")
                             .arg(id));
    d.edit();
    d.field(fields::Data::IDsecond).setInt(partner);
    if (series != 0)
        d.field(fields::Data::IDgrA).setInt(series);
    d.post();
}

} // namespace

EntryCheck<Transfer> CheckTransfer(LedgerTables& /*data*/, const Transfer& transfer) {
    EntryCheck<Transfer> check{transfer, std::nullopt};
    const auto refuse = [&check](const char* key, const char* builtIn, EntryInput input) {
        check.refusal = EntryRefusal{QString::fromLatin1(key), QString::fromLatin1(builtIn), input};
        return check;
    };
    // "1.2.3" passes the character check but is no number: refused before anything is stored.
    if (IsNotNumber(transfer.amount) || !ToAmount(transfer.amount))
        return refuse("err004", "Error #4", EntryInput::Amount);
    if ((check.refusal = AmountLimitRefusal(*ToAmount(transfer.amount), EntryInput::Amount)))
        return check;
    // A transfer needs two different accounts: neither may be missing.
    if (transfer.from.isEmpty())
        return refuse("err007", "Error #7", EntryInput::Account);
    if (transfer.to.isEmpty() || transfer.to == transfer.from)
        return refuse("err007", "Error #7", EntryInput::SecondAccount);
    if (IsBlank(transfer.nameOut))
        return refuse("err001", "Error #1", EntryInput::Name);
    if (IsBlank(transfer.nameIn))
        return refuse("err001", "Error #1", EntryInput::SecondName);
    NormalizeDecimal(transfer.amount, check.entry.amount);
    check.amount = *ToAmount(check.entry.amount);
    return check;
}

TransferRows AppendTransfer(LedgerTables& data, const Transfer& transfer,
                            const std::optional<Repeat>& repeat) {
    const auto check = CheckTransfer(data, transfer).require();
    const CheckedAmount checked{check.amount,
                                RequireCurrencyName(data.tbValuta, transfer.currencySign)};
    const QList<QDate> dates =
        repeat ? RepeatDates(check.entry.date, *repeat) : QList<QDate>{check.entry.date};
    TableHandle& d = data.tbData;
    TransferRows first;
    Transaction t;
    {
        UnfilteredView all(d);
        all.forgetPosition();
        Transfer repetition = check.entry;
        for (const QDate& date : dates) {
            repetition.date = date;
            TransferRows rows;
            for (const EntryKind kind : {EntryKind::TransferOut, EntryKind::TransferIn}) {
                d.append();
                WriteRow(d, kind, repetition, checked);
                d.post();
                (kind == EntryKind::TransferOut ? rows.out : rows.in) =
                    d.field(fields::Data::ID).toInt();
            }
            if (first.out == 0)
                first = rows;
            // A single transfer belongs to no series.
            const qint64 series = repeat ? first.out : 0;
            SetLink(d, rows.out, rows.in, series);
            SetLink(d, rows.in, rows.out, series);
        }
    }
    t.commit();
    if (repeat)
        RefreshLedgerViews(data);
    return first;
}

StoredTransfer ReadTransfer(LedgerTables& data, qint64 id) {
    StoredTransfer stored;
    EntryById all(data, id);
    TableHandle& d = all.require(id);
    const auto kind = KindOf(d.field(fields::Data::Type).text());
    if (kind != EntryKind::TransferOut && kind != EntryKind::TransferIn)
        return stored;
    const qint64 partner = d.field(fields::Data::IDsecond).toInt();

    Transfer& t = stored.transfer;
    // The amount of the arriving row wins, the date of the leaving row: each is read last.
    for (const EntryKind side : {EntryKind::TransferIn, EntryKind::TransferOut}) {
        const bool found =
            side == *kind ? LocateRow(all, id, side) : LocateRow(all, partner, side, id);
        if (!found)
            continue;
        const bool out = side == EntryKind::TransferOut;
        (out ? stored.rows.out : stored.rows.in) = d.field(fields::Data::ID).toInt();
        (out ? t.from : t.to) = d.field(fields::Data::Gr1).text();
        (out ? t.nameOut : t.nameIn) = d.field(fields::Data::Name).text();
        t.date = d.field(fields::Data::Date).toDate();
        if (t.amount.isEmpty())
            t.amount = EditableAmount(d.field(fields::Data::Value).toDouble());
        if (t.currencySign.isEmpty()) {
            t.currencySign =
                CurrencySignForName(data.tbValuta, d.field(fields::Data::Valuta).text())
                    .value_or(QString());
        }
    }
    return stored;
}

void RewriteTransfer(LedgerTables& data, const Transfer& transfer, const TransferRows& rows) {
    const auto check = CheckTransfer(data, transfer).require();
    const CheckedAmount checked{check.amount,
                                RequireCurrencyName(data.tbValuta, transfer.currencySign)};
    Transaction t;
    {
        EntryById all(data, rows.out);
        for (const EntryKind kind : {EntryKind::TransferOut, EntryKind::TransferIn}) {
            if (!LocateRow(all, kind == EntryKind::TransferOut ? rows.out : rows.in, kind))
                continue;
            all.row().edit();
            WriteRow(all.row(), kind, check.entry, checked);
            all.row().post();
        }
    }
    t.commit();
    RefreshLedgerViews(data);
}

} // namespace zovi
