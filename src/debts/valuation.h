#pragma once

#include <QDate>
#include <QString>
#include <QtGlobal>
#include <vector>

namespace zovi {

class LedgerTables;
class DebtTables;

// What the valuation reads of one debt (Credit.db).
struct DebtTerms {
    QDate start;           // Date: the first day that earns interest
    double valueBegin = 0; // ValueBegin
    double procent = 0;    // Procent: per year ("Y"), per month ("M") or per period ("O")
    QString type;          // Type
    qint64 days = 0;       // Days: the length of the period of a debt of Type "O"
};

// One repayment of a debt: its day as a Julian day number and the amount repaid.
struct Payment {
    qint64 day = 0;
    double value = 0;
};

// The value of a debt at the end of the day end, as the walk from the debt's first day to end
// gives it, one day after another: each day first adds the day's interest, then takes off the
// repayments of that day in the order given. payments must be ordered by day (the order within
// a day is kept). Interest:
// - "Y" and "M": a monthly rate of Procent / 12 or Procent per cent; the daily increment is the
//   monthly rate of the value at the start of the calendar month (of the first day, for the
//   debt's first month) shared over the month's days, so a whole month adds exactly the rate.
// - "O": Procent per cent per period of Days days, the increment recomputed from the value at
//   the start of every period; with Days not above 0 the debt earns nothing.
// - any other Type earns nothing.
// Repayments count whatever the type. A debt that starts after end keeps its first value.
double DebtValue(const DebtTerms& debt, const std::vector<Payment>& payments, const QDate& end);

// A debt the valuation cannot value: its value grows beyond kAmountLimit or past any number.
struct UnvaluedDebt {
    qint64 id = 0;
    QString name;
};

// Values every debt of Credit.db to the end of the day end and stores Value, with the display
// texts ValueSTR and ValueBeginSTR, in one Transaction; a debt whose stored fields already hold
// those values is not written again. Each debt is valued on its own: one whose value lies beyond
// kAmountLimit gets an empty Value and ValueSTR (no stale value stays behind), is added to
// unvalued when given, and the others are valued all the same. The handle on the current debt
// (cd.tbCredit) stays on the same debt. Returns the number of debts valued.
int ValueDebts(LedgerTables& data, DebtTables& cd, const QDate& end,
               std::vector<UnvaluedDebt>* unvalued = nullptr);

} // namespace zovi
