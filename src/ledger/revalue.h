#pragma once

#include "ledger/currency.h"

#include <QList>
#include <QString>
#include <optional>

namespace zovi {

class LedgerTables;

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

// Rewrites ValueSTR of every currency from its Value, in one Transaction.
void RewriteBalanceTexts(LedgerTables& data);

} // namespace zovi
