#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace zovi {

class TableHandle;
class LedgerTables;

// One row of Valuta.db as the logic reads it.
struct Currency {
    bool Def = false;  // the main currency
    QString Name;      // the key by which entries refer to the currency, letter case counts
    QString Znak;      // the sign written after amounts
    double Kurs = 1;   // the rate, read with More
    bool More = false; // true: one unit is worth Kurs main units; false: one main unit is worth
                       // Kurs units of this currency
    QString OldValue;  // the opening balance as stored (a text field)
    double Value = 0;  // the balance of the last revaluation
    QString ValueSTR;  // Value rounded to two decimals, as text
};

// The currency on the current row of a handle on Valuta.db.
Currency ReadCurrency(TableHandle& valuta);
// Every currency in table order; the handle's cursor is returned to the row it was on.
QList<Currency> ReadCurrencies(TableHandle& valuta);

// One row of the currency window's list, in table order: the hidden mark ("+" for the main
// currency, "-" for the others), "Name (Znak)", "OldValue Znak", and the rate read against the
// main currency M: the translation of "currencygen" ("MAIN") for the main currency, "Kurs M for
// 1 Znak" for a More currency, "Kurs Znak for 1 M" for a Less one ("for" from "currencyfor").
struct CurrencyListRow {
    bool main = false;
    QString mark;
    QString name;
    QString oldValue;
    QString rate;
};
QList<CurrencyListRow> CurrencyListRows(const QList<Currency>& currencies);

// The conversion rule. Empty when the amount cannot be converted: a currency other than the
// main one whose rate is 0 (or not finite), which older files may hold. Callers leave such a
// currency out of their sums instead of dividing by zero. The main currency converts to
// itself whatever its stored rate.
std::optional<double> ToMainCurrency(double amount, const Currency& currency);
std::optional<double> FromMainCurrency(double amount, const Currency& currency);
// The same rule with a rate kept elsewhere (an entry's own rate) and the currency's direction.
std::optional<double> ToMainCurrencyAt(double amount, double rate, bool more);
std::optional<double> FromMainCurrencyAt(double amount, double rate, bool more);
// From one currency to another, through the main currency.
std::optional<double> ConvertCurrency(double amount, const Currency& from, const Currency& to);

// An opening balance as typed or stored: a number with either separator and an optional
// leading minus sign (an account may start in debt). Empty when it is not such a number; a
// blank text is 0.
std::optional<double> OpeningBalance(const QString& text);

// What the currency editor hands back: the texts as typed and the More/Less choice.
struct CurrencyInput {
    QString name;
    QString sign;
    QString rate;
    QString oldValue;
    bool more = false;
};

// Checks the typed rate and opening balance; throws StoreError with a readable message when
// the rate is not a positive number or the opening balance is not a number. For the main
// currency the rate is not checked: its controls are disabled and its rate stays 1.
void CheckCurrencyInput(const CurrencyInput& input, bool mainCurrency);

// The commands of the currency window. Each works on the current row of data.tbValuta, runs in
// one Transaction and throws StoreError (nothing stored, handles as they were) when refused or
// when a write fails.

// Appends a currency and moves to the first row, as the list does after adding. The currency
// becomes the main one (rate 1) when no currency is the main one yet; otherwise it is not.
void AddCurrency(LedgerTables& data, const CurrencyInput& input);

// The commands below act on the currency at row, its 0-based place in table order (the row of
// the currency window's list): Valuta.db has no key. A row that is not there is refused. Where
// the handle's cursor was before does not matter; each says where it leaves it.

// Stores the editor's values into the currency at row and rewrites every ledger row that
// names the old name, also rows hidden by the filter of tbData: the name in Valuta (and in
// ValutaDohod/ValutaRashod of exchanges), and the money text of the row with the new sign.
// The cursor is left on the currency; the ledger handles are refreshed. A display currency of
// the grid (settings::displayCurrency1/2) that named the old name names the new one.
void EditCurrency(LedgerTables& data, int row, const CurrencyInput& input);

// The message that refuses deleting the currency at row, or none when it may be deleted: the
// main currency ("err013") or a currency that a ledger row uses, filtered out or not ("err012").
std::optional<QString> CurrencyDeleteRefusal(LedgerTables& data, int row);
// Deletes the currency at row after the checks above (throws the refusal) and moves to the
// first row. The window asks "err011" before calling it.
void DeleteCurrency(LedgerTables& data, int row);

// Makes the currency at row the main one with rate 1; every other currency loses the mark and
// its rate is restated against the new main currency, so that every balance and total keeps its
// worth: the others keep their direction, the former main currency takes the opposite one of
// the new main currency and its rate (with Rouble main and Dollar More at 90, Rouble becomes 90
// Less, worth 1/90 Dollar). The entries' own rates are restated alike and their amounts in the
// main currency (InDol) worked out again; exchanges are not touched. All in one Transaction. A
// currency whose rate is 0 is refused ("mainratezero"): its worth is unknown. The cursor is
// left on the currency.
void SetMainCurrency(LedgerTables& data, int row);

// Swaps the contents of the currency at row and its neighbour above (up) or below, since
// Valuta.db has no key to reorder by, and moves the cursor with the currency. Returns false
// and changes nothing for the first row moved up, the last moved down, or a row not there.
bool MoveCurrency(LedgerTables& data, int row, bool up);

} // namespace zovi
