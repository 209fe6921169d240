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
    QString sign;         // Znak of the debt's currency; empty when the currency is gone
    bool borrowed = true; // CD "C": the user borrowed; false: the user lent (CD "D")
};

// The columns of the debts grid: the hidden ID, date, name, first value, current value, rate,
// account, the hidden marker of a debt that is not paid off, and the debt's kind (shown beside
// the name; last here so that the other columns keep their numbers and stored widths).
enum DebtColumn {
    DebtId,
    DebtDate,
    DebtName,
    DebtFirst,
    DebtCurrent,
    DebtRate,
    DebtAccount,
    DebtMarker,
    DebtKind,
    DebtColumns
};

// Every debt of Credit.db (as many as it holds), ordered by ExchangeSortByDate.
std::vector<DebtRow> ReadDebtRows(LedgerTables& data, DebtTables& cd);

// Orders the rows by date, earliest first, exactly as this exchange sort does: each position
// from the first to the last but one is compared with every later position in turn, and the
// two are swapped when the earlier position holds the later date. Debts of one date therefore
// keep an order that follows from the table order.
void ExchangeSortByDate(std::vector<DebtRow>& rows);

// The cell texts of a row: the marker is "+" for a value of exactly 0, "-" otherwise. The
// current value of a debt that could not be valued reads "cannot be valued" ("debtnovalue").
// The kind reads as the debt dialog names it.
QStringList DebtCells(const DebtRow& row);

// The kind of a debt in the words of the debt dialog: "I borrowed" ("credit") or "I lent"
// ("debit").
QString DebtKindText(bool borrowed);

// The tool tip of the current value of a debt that could not be valued ("debtnovaluehint").
QString UnvaluedHint();

// Whether a row with these cells is drawn bold: its marker begins with "-".
bool DrawnBold(const QStringList& cells);

} // namespace zovi
