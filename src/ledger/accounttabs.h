#pragma once

#include <QTabBar>

namespace zovi {

class TableHandle;
struct FilterState;

// The account tabs of the ledger page: one tab per account of the accounts table, then "[...]"
// for every account. The chosen tab decides which entries the grid and the balances cover and
// which account a new entry goes to; choosing another tab announces currentChanged.
class AccountTabs : public QTabBar {
    Q_OBJECT

public:
    explicit AccountTabs(QWidget* parent = nullptr);

    // Lists the accounts again, followed by "[...]", without announcing a change of tab.
    void showAccounts(TableHandle& accounts);
    // The account a new entry goes to: the chosen tab's text as it stands.
    QString entryAccount() const;
    // Whether the balances count the opening balances of the currencies for the chosen tab.
    bool countsOpeningBalances() const;
    // The tab part of the filter: whether there are tabs, the chosen one and whether it is the
    // last one.
    void readFilterState(FilterState& state) const;
    // The look the settings choose: 0 tabs, 1 buttons, 2 flat buttons.
    void applyStyle(int style);
};

} // namespace zovi
