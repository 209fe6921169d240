#pragma once

#include "ledger/entrycheck.h"
#include "ledger/repeat.h"

#include <QDate>
#include <QString>

namespace zovi {

class LedgerTables;

// What the transfer dialog hands back: the date, the amount already normalised (without sign),
// the chosen currency sign, the two accounts and the names of the two rows.
struct Transfer {
    QDate date;
    QString amount;
    QString currencySign;
    QString from;    // account of the leaving row ("P1")
    QString to;      // account of the arriving row ("P2")
    QString nameOut; // Name of the leaving row
    QString nameIn;  // Name of the arriving row
};

// The IDs of the two rows of a transfer; 0 stands for a row that could not be found.
struct TransferRows {
    qint64 out = 0;
    qint64 in = 0;
};

// A stored transfer as its edit dialog starts, and the rows it was read from.
struct StoredTransfer {
    Transfer transfer;
    TransferRows rows;
};

// Checks a transfer as its dialog's OK does, in this order: an amount that is no number
// ("err004", "Error #4"), a missing account or the same account on both sides ("err007",
// "Error #7"), a blank name of either row ("err001", "Error #1"); the amount is normalised only
// when every check passed. The currency is looked up only when the transfer is written, since
// the currency table may change while the dialog is open.
EntryCheck<Transfer> CheckTransfer(LedgerTables& data, const Transfer& transfer);

// Appends the leaving and then the arriving row to data.tbData whatever its filter, and links
// each to the other through IDsecond; the two rows and their links are one Transaction, so a
// failure stores neither. Throws StoreError, with nothing written, when CheckTransfer refuses
// the transfer or no currency has the sign any more. Returns the IDs of the two rows.
// With repeat, a linked pair is stored for every date of RepeatDates, all in one Transaction,
// every row marked with the series of the first leaving row (see SeriesOf), and the views are
// refreshed; the rows returned are the first pair's. A refused repetition stores nothing.
TransferRows AppendTransfer(LedgerTables& data, const Transfer& transfer,
                            const std::optional<Repeat>& repeat = std::nullopt);

// The transfer of the entry with this ID (found whatever the filters), which is of kind "P1"
// or "P2"; for any other kind the result is empty (both row IDs 0). Its partner is the row
// whose ID the entry's IDsecond names, when that row has the opposite kind and links back;
// otherwise the partner counts as missing (ID 0) and its side of the transfer stays empty. The
// date comes from the leaving row and the amount from the arriving row, each from the other
// row when that one is missing. Throws StoreError when no entry has the ID.
StoredTransfer ReadTransfer(LedgerTables& data, qint64 id);

// Rewrites in place the rows of a transfer read by ReadTransfer, in one Transaction, and
// refreshes the ledger views; IDs and links stay as they are. A row that is missing (or no
// longer has its kind) is not written, and no other row is written instead. The same refusals
// as AppendTransfer apply.
void RewriteTransfer(LedgerTables& data, const Transfer& transfer, const TransferRows& rows);

} // namespace zovi
