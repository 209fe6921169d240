#pragma once

#include "ledger/entrycheck.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace zovi {

class TableHandle;
class LedgerTables;
class DebtTables;

// What the debt dialog hands back: the kind, the day it began, the name, the amount and the rate
// as typed, the chosen currency sign and account, and the period of the rate ("Y" a year, "M" a
// month; "O" a period of Days days, kept from a stored debt).
struct Debt {
    bool credit = true; // the user borrowed (CD "C"); false: the user lent (CD "D")
    QDate date;
    QString name;
    QString amount;
    QString currencySign;
    QString rate;
    QString type = QStringLiteral("M");
    QString account;
};

// What the repayment dialog hands back.
struct Repayment {
    QDate date;
    QString amount;
    QString comment;
};

// Checks a debt as its dialog's OK does, in this order: a blank name ("err001", "Error #1"), a
// rate that is empty or no number ("err008", "Error #8"), an amount that is empty or no number
// ("err004", "Error #4"), no account ("err009", "Error #9") and no currency ("debtcurrency").
// A rate above 1000 % a year, or 100 % a month or period, is refused after the rate's own check,
// and an amount beyond kAmountLimit after the amount's. The amount and the rate come back
// normalised.
EntryCheck<Debt> CheckDebt(const Debt& debt);

// Checks a repayment: an amount that is empty or no number is refused ("err004", "Error #4"),
// so is one beyond kAmountLimit, and an amount of 0 ("repaymentzero"), which would repay nothing.
EntryCheck<Repayment> CheckRepayment(const Repayment& repayment);

// Appends a debt to Credit.db with its ledger row ("CR" for a credit, "DB" for a debit) and links
// the two through the row's IDsecond and the debt's IDdata, all in one Transaction. Throws
// StoreError, storing nothing, when CheckDebt refuses the debt or no currency has its sign.
// Returns the debt's ID.
qint64 AppendDebt(LedgerTables& data, DebtTables& cd, const Debt& debt);

// The debt with this ID as its edit dialog starts; the sign is empty when its currency is gone.
// Throws StoreError when there is no such debt.
Debt ReadDebt(LedgerTables& data, DebtTables& cd, qint64 id);

// Rewrites the debt with this ID and its ledger row in place (same row ID), in one Transaction.
// The kind of a debt never changes. When the ledger row is gone, none is written and the debt's
// IDdata is emptied. The same refusals as AppendDebt apply.
void RewriteDebt(LedgerTables& data, DebtTables& cd, qint64 id, const Debt& debt);

// Deletes the debt with this ID, its repayments and the ledger rows of all of them, in one
// Transaction. Returns the number of rows removed from the three tables. Throws StoreError when
// there is no such debt.
int DeleteDebt(LedgerTables& data, DebtTables& cd, qint64 id);

// Appends a repayment to the debt with this ID with its ledger row ("PC" for a credit, "PD" for
// a debit) and links them, in one Transaction. Throws StoreError, storing nothing, when
// CheckRepayment refuses it or there is no such debt. Returns the repayment's ID.
qint64 AppendRepayment(LedgerTables& data, DebtTables& cd, qint64 debtId,
                       const Repayment& repayment);

// Deletes the repayment with this ID and its ledger row in one Transaction. Returns the number
// of rows removed. Throws StoreError when there is no such repayment.
int DeleteRepayment(LedgerTables& data, DebtTables& cd, qint64 id);

// Shows the repayments of the debt with this ID in cd.tbOplataCredit; while Credit.db holds no
// debt the list stays as it was.
void ShowRepaymentsOf(DebtTables& cd, qint64 debtId);

// Writes the display texts ValueSTR and ValueBeginSTR of every debt (the whole part of the
// value, a blank and the sign of its currency), in one Transaction; a debt whose texts are
// already right is not written.
void WriteDebtValueTexts(LedgerTables& data, DebtTables& cd);

// The display text of a debt's value: the whole part (cut toward zero), a blank and the sign.
QString DebtValueText(double value, const QString& sign);

// Writes value into Value of the current debt of credits, with both display texts, when any of
// them differs from what is stored; without a value, Value and ValueSTR are emptied. The caller
// holds the Transaction.
void WriteDebtValue(LedgerTables& data, TableHandle& credits, std::optional<double> value);

} // namespace zovi
