#include "generator.h"

#include "core/textutil.h"
#include "debts/debts.h"
#include "ledger/standardentry.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/transaction.h"

#include <cmath>
#include <random>

namespace zovi {

namespace {

// Debts taken, and debts given.
const char* const kBorrowed[] = {"Bank loan", "Car loan", "Loan from parents", "Mortgage"};
const char* const kLent[] = {"Lent to a friend", "Lent to a colleague", "Lent to a neighbour"};

} // namespace

GeneratedDebts GenerateDebts(LedgerTables& data, DebtTables& cd, const DebtOptions& options) {
    const QStringList accounts = [&] {
        QStringList names;
        for (int row = 0; row < data.tbGr1.recordCount(); ++row)
            names << data.tbGr1.textAt(row, data.tbGr1.fieldIndex(fields::Gr1::Name));
        return names;
    }();
    const QStringList signs = CurrencySigns(data.tbValuta);
    if (accounts.isEmpty() || signs.isEmpty())
        throw StoreError(QStringLiteral("Debts need an account and a currency: generate the "
                                        "ledger first."));
    std::mt19937 random(options.seed);
    const auto below = [&random](int n) {
        return int(random() % quint32(n));
    };
    const qint64 span = std::max<qint64>(1, options.firstDate.daysTo(options.lastDate));

    GeneratedDebts made;
    Transaction t;
    for (int i = 0; i < options.debts; ++i) {
        Debt debt;
        // Taken and given in turn, so that even two debts show both sides of the debts page.
        debt.credit = i % 2 == 0;
        debt.name = QString::fromLatin1(debt.credit ? kBorrowed[below(int(std::size(kBorrowed)))]
                                                    : kLent[below(int(std::size(kLent)))]);
        debt.date = options.firstDate.addDays(below(int(std::min<qint64>(span, 1 << 30))));
        const double amount = std::round(500 + below(20000));
        debt.amount = NumberText(amount);
        debt.currencySign = signs.at(below(std::min<int>(2, int(signs.size()))));
        debt.type = below(2) == 0 ? QStringLiteral("Y") : QStringLiteral("M");
        debt.rate =
            NumberText(debt.type == QLatin1String("Y") ? 3 + below(15) : 1 + below(3) * 0.5);
        debt.account = accounts.at(below(int(accounts.size())));
        const qint64 id = AppendDebt(data, cd, debt);
        ++made.debts;
        // A repayment every month from the next one on, a little over a share of the amount.
        const double monthly = std::round(amount / (12 + below(36)) * 100) / 100;
        for (QDate day = debt.date.addMonths(1); day <= options.lastDate; day = day.addMonths(1)) {
            AppendRepayment(data, cd, id,
                            {day, NumberText(monthly), QStringLiteral("Monthly payment")});
            ++made.repayments;
        }
    }
    t.commit();
    return made;
}

} // namespace zovi
