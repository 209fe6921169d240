#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

namespace zovi {

class LedgerTables;
class DebtTables;

// One debt as the debts grid shows it.
struct DebtRow {
    qint64 id = 0;
    QDate date;
    QString name;
    double first = 0;   // ValueBegin
    double current = 0; // Value, as the last valuation left it
    bool valued = true; // false when the last valuation could not value the debt (Value empty)
    double procent = 0;
    QString account;
    QString sign; // Znak of the debt's currency; empty when the currency is gone
};

// The columns of the debts grid: the hidden ID, date, name, first value, current value, rate,
// account, and the hidden marker of a debt that is not paid off.
enum DebtColumn {
    DebtId,
    DebtDate,
    DebtName,
    DebtFirst,
    DebtCurrent,
    DebtRate,
    DebtAccount,
    DebtMarker,
    DebtColumns
};

// Every debt of Credit.db (as many as it holds), ordered by ExchangeSortByDate.
std::vector<DebtRow> ReadDebtRows(LedgerTables& data, DebtTables& cd);

// Orders the rows by date, earliest first, exactly as this exchange sort does: each position
// from the first to the last but one is compared with every later position in turn, and the
// two are swapped when the earlier position holds the later date. Debts of one date therefore
// keep an order that follows from the table order.
void ExchangeSortByDate(std::vector<DebtRow>& rows);

// The eight cell texts of a row: the marker is "+" for a value of exactly 0, "-" otherwise. The
// current value of a debt that could not be valued reads "cannot be valued" ("debtnovalue").
QStringList DebtCells(const DebtRow& row);

// The tool tip of the current value of a debt that could not be valued ("debtnovaluehint").
QString UnvaluedHint();

// Whether a row with these cells is drawn bold: its marker begins with "-".
bool DrawnBold(const QStringList& cells);

} // namespace zovi
