#include "ledger/accounttabs.h"

#include "ledger/entrycontrols.h"
#include "ledger/entrykinds.h"
#include "ledger/revalue.h"
#include "store/fields.h"
#include "store/table.h"
#include "views/filterbuilder.h"

namespace zovi {

AccountTabs::AccountTabs(QWidget* parent) : QTabBar(parent) {
    setObjectName(QStringLiteral("TabControl1"));
    setExpanding(false);
}

void AccountTabs::showAccounts(TableHandle& accounts) {
    const QSignalBlocker block(this);
    while (count() > 0)
        removeTab(0);
    if (accounts.isOpen()) {
        for (accounts.first(); !accounts.eof(); accounts.next())
            addTab(accounts.field(fields::Gr1::Name).text());
    }
    addTab(QStringLiteral("[...]"));
}

QString AccountTabs::entryAccount() const {
    QStringList tabs;
    for (int i = 0; i < count(); ++i)
        tabs << tabText(i);
    return EntryAccount(tabs, currentIndex());
}

bool AccountTabs::countsOpeningBalances() const {
    return OpeningBalancesCount(currentIndex(), count());
}

void AccountTabs::readFilterState(FilterState& state) const {
    state.hasTabs = count() > 0;
    state.tabText = tabText(currentIndex());
    state.lastTabSelected = currentIndex() == count() - 1;
}

void AccountTabs::applyStyle(int style) {
    if (style < 0 || style > 2)
        return;
    static const char* const styles[] = {
        "",
        "QTabBar::tab { border: 1px solid palette(mid); border-radius: 3px; margin: 1px; "
        "padding: 3px 8px; }",
        "QTabBar::tab { border: 1px solid transparent; border-radius: 3px; margin: 1px; "
        "padding: 3px 8px; }"};
    // Buttons fill the chosen account like the chosen button of any other choice: some skins
    // give a chosen tab no look of its own. The border keeps its width, so the text stays put.
    setStyleSheet(style == 0
                      ? QString()
                      : QString::fromLatin1(styles[style]) + ChosenLook("QTabBar::tab:selected"));
    setDrawBase(style == 0);
    setProperty("accountsStyle", style);
}

} // namespace zovi
