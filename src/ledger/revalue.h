#pragma once

#include "ledger/currency.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace zovi {

class LedgerTables;
class ViewRows;

// One shown row of the balance list below the ledger grid.
struct BalanceLine {
    QString mark;    // "+" or "-" by the sign of the balance, then "M" (main currency) or " "
    QString name;    // the currency's name
    QString balance; // FormatMoney of the balance, a blank and the sign
};

// What a revaluation found. The window shows labelText in LabelV with labelHint as its hint,
// and fills the balance list with lines.
struct RevalueResult {
    QList<Currency> currencies; // in table order, with Value and ValueSTR as stored
    double totalMain = 0;       // the sum in the main currency
    double total = 0;           // the sum in the currency of the chosen sign
    QString totalSign;          // the sign of the total's currency: the chosen one, else main
    QString labelText;
    QString labelHint;
    QList<BalanceLine> lines;
    int entriesWritten = 0; // ledger rows whose InDol changed
};

// The opening balances count only on the first account tab and on the last one ("[...]", all
// accounts); on any other tab the balances start from zero.
bool OpeningBalancesCount(int tabIndex, int tabCount);

// Recomputes every currency's balance from the entries tbData2 admits: start values (opening
// balances when withOpeningBalances, else 0), every kind but "O" adds Value to its Valuta, "O"
// adds ValueDohod to ValutaDohod and ValueRashod to ValutaRashod. Stores Value and ValueSTR of
// every currency and InDol of every visited entry whose Type is not "O" and whose own Kurs is
// neither empty nor 0, all in one Transaction; only rows whose figures change are written.
// totalSign picks the currency of the total by its Znak (empty: the main currency).
RevalueResult Revalue(LedgerTables& data, bool withOpeningBalances, const QString& totalSign);

// The sum of the balances in the main currency; currencies that cannot be converted (rate 0)
// are left out.
double TotalInMainCurrency(const QList<Currency>& currencies);

// The main-currency total converted into the first currency whose sign is sign. Empty when no
// such currency exists or it cannot be converted: the total then stays in main units.
std::optional<double> TotalInCurrency(double totalMain, const QList<Currency>& currencies,
                                      const QString& sign);

// The text of the large total: rounded to the cent (RoundToCents), a blank before every third
// character of the whole part counted from the right, "0" when it rounds to 0.
QString TotalText(double total);

// ValueSTR of a balance: rounded to the cent (RoundToCents), plain decimal text.
QString BalanceValueText(double value);

// The balance list: currencies in table order, those within ±0.004 left out.
QList<BalanceLine> BalanceLines(const QList<Currency>& currencies);

// The hint of the total: "name: balance" per shown line, separated by a carriage return.
QString BalanceHint(const QList<BalanceLine>& lines);

// The balance of every currency as the revaluation counts it: start values (the opening
// balances when withOpeningBalances, else 0), then every entry added in its own currency. The
// first currency of a name takes the entries that name it; a name no currency bears adds
// nothing.
class CurrencyBalances {
public:
    CurrencyBalances(QList<Currency> currencies, bool withOpeningBalances);
    void add(const QString& currency, double amount);
    // An entry of the ledger view at index: "O" adds ValueDohod to ValutaDohod and ValueRashod
    // to ValutaRashod, every other kind Value to Valuta.
    void addEntry(const ViewRows& rows, int index);
    // The sum of the balances in the currency whose sign is sign (the main one when none has
    // it), as the total below the grid is computed.
    double total(const QString& sign) const;
    const QList<Currency>& currencies() const { return m_currencies; }
    std::optional<qsizetype> indexOf(const QString& currency) const;
    // Each amount the entry at index adds: the index of its currency and the amount.
    void forEachAmount(const ViewRows& rows, int index,
                       const std::function<void(qsizetype, double)>& visit) const;

private:
    QList<Currency> m_currencies;
    QHash<QString, qsizetype> m_byName;
    mutable std::vector<int> m_columns;
    mutable QString m_lastName;
    mutable std::optional<qsizetype> m_lastIndex;
};

// The balance after each entry of rows (by its index in rows), the entries visited in the
// grid's date order, in the currency of sign; the balances start as for the total
// (withOpeningBalances).
std::vector<double> RunningBalances(const ViewRows& rows, const QList<Currency>& currencies,
                                    bool withOpeningBalances, const QString& sign);

// The shown entries summed in the currency of sign: their number, the positive amounts
// (incomes) and the negative ones made positive (charges), each amount counted as the balances
// count it.
struct ShownSums {
    int entries = 0;
    double incomes = 0;
    double charges = 0;
};
ShownSums SumShownEntries(const ViewRows& rows, const QList<Currency>& currencies,
                          const QString& sign);

// "n entries", translated in the form its language gives that number: the keys "entries 1"
// (one), "entries 21" (21, 31, ...), "entries 2" (2 to 4, 22 to 24, ...) and "entries 5" (every
// other number), as Russian counts them.
QString EntryCountText(int count);
// The line of the sums, translated: "4 entries · incomes 2 727.3 · charges 0.52 · difference
// 2 726.78".
QString ShownSumsText(const ShownSums& sums);

// Rewrites ValueSTR of every currency from its Value, in one Transaction.
void RewriteBalanceTexts(LedgerTables& data);

} // namespace zovi
