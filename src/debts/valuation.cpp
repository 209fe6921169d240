#include "debts/valuation.h"

#include "core/textutil.h"
#include "debts/debts.h"
#include "store/datamodules.h"
#include "store/transaction.h"
#include "store/unfiltered.h"

#include <QHash>
#include <algorithm>

namespace zovi {

namespace {

// Takes off the repayments of day, advancing next past them.
inline void TakeRepayments(double& value, std::vector<Payment>::const_iterator& next,
                           std::vector<Payment>::const_iterator last, qint64 day) {
    for (; next != last && next->day == day; ++next)
        value -= next->value;
}

} // namespace

double DebtValue(const DebtTerms& debt, const std::vector<Payment>& payments, const QDate& end) {
    double value = debt.valueBegin;
    if (!debt.start.isValid() || !end.isValid())
        return value;
    const qint64 first = debt.start.toJulianDay();
    const qint64 last = end.toJulianDay();
    auto it = std::lower_bound(payments.cbegin(), payments.cend(), first,
                               [](const Payment& p, qint64 day) { return p.day < day; });
    const auto stop = payments.cend();

    if (debt.type == QLatin1String("Y") || debt.type == QLatin1String("M")) {
        const double rate = debt.type == QLatin1String("Y") ? debt.procent / 12 : debt.procent;
        // One calendar month at a time: the increment is set on its first day (or the debt's
        // first day) from the value at the start of that day.
        for (qint64 day = first; day <= last;) {
            const QDate date = QDate::fromJulianDay(day);
            const int monthDays = date.daysInMonth();
            const qint64 monthEnd = std::min<qint64>(day + (monthDays - date.day()), last);
            const double increment = rate / 100 * value / monthDays;
            for (; day <= monthEnd; ++day) {
                value += increment;
                TakeRepayments(value, it, stop, day);
            }
        }
    } else if (debt.type == QLatin1String("O") && debt.days > 0) {
        const double rate = debt.procent;
        double increment = rate / 100 * value / double(debt.days);
        qint64 counter = 0;
        for (qint64 day = first; day <= last; ++day) {
            if (counter == debt.days) {
                counter = 0;
                increment = rate / 100 * value / double(debt.days);
            }
            value += increment;
            TakeRepayments(value, it, stop, day);
            ++counter;
        }
    } else {
        // No interest: only the repayments of the walked days count, in the same order.
        for (; it != stop && it->day <= last; ++it)
            value -= it->value;
    }
    return value;
}

int ValueDebts(LedgerTables& data, DebtTables& cd, const QDate& end,
               std::vector<UnvaluedDebt>* unvalued) {
    TableHandle& credits = cd.tbCredit2;
    TableHandle& repayments = cd.tbOplataCredit2;
    if (!credits.isOpen() || !repayments.isOpen())
        return 0;

    // Every repayment once, grouped by debt and ordered by day (table order within a day).
    QHash<qint64, std::vector<Payment>> byDebt;
    {
        UnfilteredView all(repayments);
        const int count = repayments.recordCount();
        for (int row = 1; row <= count; ++row) {
            repayments.setRecNo(row);
            const QDate date = repayments.field(fields::OplataCredit::Date).toDate();
            if (!date.isValid())
                continue;
            byDebt[repayments.field(fields::OplataCredit::IDcredit).toInt()].push_back(
                {date.toJulianDay(), repayments.field(fields::OplataCredit::Value).toDouble()});
        }
    }
    for (auto& list : byDebt)
        std::stable_sort(list.begin(), list.end(),
                         [](const Payment& a, const Payment& b) { return a.day < b.day; });

    const std::vector<Payment> none;
    Transaction t;
    int valued = 0;
    {
        UnfilteredView walk(credits);
        const int count = credits.recordCount();
        for (int row = 1; row <= count; ++row) {
            credits.setRecNo(row);
            DebtTerms terms;
            terms.start = credits.field(fields::Credit::Date).toDate();
            terms.valueBegin = credits.field(fields::Credit::ValueBegin).toDouble();
            terms.procent = credits.field(fields::Credit::Procent).toDouble();
            terms.type = credits.field(fields::Credit::Type).text();
            terms.days = credits.field(fields::Credit::Days).toInt();
            const qint64 id = credits.field(fields::Credit::ID).toInt();
            const auto found = byDebt.constFind(id);
            const double value = DebtValue(terms, found == byDebt.cend() ? none : *found, end);
            if (WithinAmountLimit(value)) {
                WriteDebtValue(data, credits, value);
                ++valued;
            } else {
                WriteDebtValue(data, credits, std::nullopt);
                if (unvalued)
                    unvalued->push_back({id, credits.field(fields::Credit::Name).text()});
            }
        }
    }
    t.commit();
    if (cd.tbCredit.isOpen())
        cd.tbCredit.refresh();
    return valued;
}

} // namespace zovi
