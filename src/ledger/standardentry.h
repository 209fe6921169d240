#pragma once

#include "ledger/entrycheck.h"
#include "ledger/entrykinds.h"
#include "ledger/repeat.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zovi {

class TableHandle;
class LedgerTables;

// What the income and charge dialog hands back: the side, the date, the texts as typed (the
// amount already normalised, without sign), the chosen currency sign, group and sub-group.
struct StandardEntry {
    bool income = false;
    QDate date;
    QString name;
    QString amount;
    QString currencySign;
    QString group;
    QString subGroup;
};

// The signs (Znak) of every currency in table order, as the entry dialogs list them.
QStringList CurrencySigns(TableHandle& valuta);

// The Name of the first currency of Valuta.db whose Znak is sign; empty when none has it. The
// handle's cursor stays where it was.
std::optional<QString> CurrencyNameForSign(TableHandle& valuta, const QString& sign);
// The Znak of the first currency named name; empty when none is.
std::optional<QString> CurrencySignForName(TableHandle& valuta, const QString& name);

// The amount and currency of an entry about to be written: the typed amount read as a number
// and the Name of the currency of the chosen sign.
struct CheckedAmount {
    double amount;
    QString currency;
};

// Checks an income or charge as its dialog's OK does, in this order: a blank name ("err001"),
// an amount with any character but digits and separators ("err004"), then, with the amount
// normalised, an amount that is still no number such as "1.2.3" ("err004"), and no group chosen
// ("err002"). The messages have no built-in texts. The currency is looked up only when the entry
// is written, since the currency table may change while the dialog is open.
EntryCheck<StandardEntry> CheckStandardEntry(LedgerTables& data, const StandardEntry& entry);

// The fields an income, charge or transfer row is written with.
struct EntryFields {
    EntryKind kind;
    QDate date;
    QString name;
    QString account;      // Gr1
    QString group;        // Gr2: the group, or the kind's marker
    QString amount;       // normalised, without sign
    QString currencySign; // the sign shown in the display text
};
// Writes Date, Name, Value with the kind's sign, the display text of the kind's side (emptying
// the other one), Gr1, Gr2, Valuta and Type into the row being appended or edited.
void WriteEntryFields(TableHandle& d, const EntryFields& fields, const CheckedAmount& checked);

// The Name of the currency an entry is saved in, found by the sign its dialog showed. Throws
// StoreError with a readable message when no currency has that sign (none at all, or the
// currency table changed while the dialog was open), so that nothing is stored.
QString RequireCurrencyName(TableHandle& valuta, const QString& sign);

// Appends a row to d, lets write fill the fields and posts, all in one Transaction; when
// anything throws, the row is cancelled and nothing is stored. Returns the ID of the new row.
qint64 AppendRow(TableHandle& d, const std::function<void(TableHandle&)>& write);

// The amount of an entry as its edit dialog shows it: the absolute value as general decimal
// text with up to 15 significant digits and the decimal separator.
QString EditableAmount(double value);

// The entry with this ID (found whatever the filters) as its dialog starts: side by Type
// (anything but "D" is a charge), date, name, amount, the sign of its currency (empty when its
// currency is gone), group and sub-group. Throws StoreError when no entry has the ID.
StandardEntry ReadStandardEntry(LedgerTables& data, qint64 id);

// Appends an income or charge to data.tbData under account and returns its ID. Throws
// StoreError and writes nothing when CheckStandardEntry refuses it or no currency has the sign
// any more (the currency table changed while the dialog was open). With repeat, every date of
// RepeatDates is stored as an entry of its own, all in one Transaction, marked as one series
// (see SeriesOf), and the views are refreshed; the ID returned is the first entry's. A refused
// repetition throws StoreError, storing nothing.
qint64 AppendStandardEntry(LedgerTables& data, const StandardEntry& entry, const QString& account,
                           const std::optional<Repeat>& repeat = std::nullopt);

// Rewrites the entry with this ID (found whatever the filters) from the dialog: first its money
// texts, currency and kind are cleared, then every field is written as for a new entry, so the
// side may change and only the display text of the new side stays filled. Both writes are one
// Transaction, and the ledger views are refreshed after it. The same refusals as
// AppendStandardEntry apply, and an ID that names no entry throws StoreError; either way nothing
// is written.
void RewriteStandardEntry(LedgerTables& data, qint64 id, const StandardEntry& entry,
                          const QString& account);

} // namespace zovi
