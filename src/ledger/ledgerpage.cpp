// The ledger page: its parts' signals routed to the filter, the balances, the grid and the
// commands.
#include "ledger/ledgerpage.h"

#include "core/clock.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/wait.h"
#include "ledger/accounttabs.h"
#include "ledger/balancepanel.h"
#include "ledger/datemenu.h"
#include "ledger/filterpanel.h"
#include "ledger/ledgercommands.h"
#include "ledger/ledgergridview.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "views/filterbuilder.h"

#include <QAction>
#include <QToolButton>

namespace zovi {

LedgerPage::LedgerPage(LedgerTables& tables, DebtTables& debts, WaitWindow* wait, QWidget* parent)
    : QWidget(parent), m_data(tables), m_wait(wait) {
    setObjectName(QStringLiteral("TabSheet1"));
    buildLayout();
    // The bottom panel shows the state the user left it in already while the database chooser
    // is shown, so that the filters button and the panel agree from the start; the splitter
    // takes the matching height once the window is laid out.
    m_balances->setExtended(!settings::valuePanelCompact.read());
    m_commands = new LedgerCommands(m_data, debts, this);
    m_grid->setBalanceBasis([this] { return balanceBasis(); });
    connectParts();
    entrySelectionMoved(false);
}

LedgerPage::~LedgerPage() = default;

void LedgerPage::setCalculator(const std::function<bool(QString&)>& calculate) {
    m_commands->setCalculator(calculate);
}

void LedgerPage::setFading(bool fading) {
    m_commands->setFading(fading);
}

void LedgerPage::connectParts() {
    connect(m_tabs, &QTabBar::currentChanged, this, [this] {
        BusyCursor busy;
        applyFilter();
    });
    connect(m_filters, &FilterPanel::filterChanged, this, &LedgerPage::applyFilter);
    connect(m_balances, &BalancePanel::currencyChosen, this, &LedgerPage::revalue);
    connect(m_dateMenu, &DateMenu::periodChosen, m_filters, &FilterPanel::setQuickPeriod);
    m_dateMenu->openOn(m_filters->dateControls());
    // The date keys work wherever the focus is in the page (and in the window, see showEvent).
    addActions(m_dateMenu->keyActions());

    connect(m_grid, &LedgerGridView::entrySelectionChanged, this, &LedgerPage::entrySelectionMoved);
    connect(m_grid, &LedgerGridView::editRequested, this, &LedgerPage::editSelectedEntry);
    connect(m_grid, &LedgerGridView::deleteRequested, this, &LedgerPage::deleteSelectedEntry);
    connect(m_grid, &LedgerGridView::columnResizedByUser, this, &LedgerPage::columnResizedByUser);
    connect(m_commands, &LedgerCommands::groupsChanged, this, &LedgerPage::fullRefreshRequested);

    connect(toolButton(QStringLiteral("tb1")), &QToolButton::clicked, this, &LedgerPage::addEntry);
    connect(toolButton(QStringLiteral("tb2")), &QToolButton::clicked, this,
            &LedgerPage::deleteSelectedEntry);
    connect(toolButton(QStringLiteral("tb3")), &QToolButton::clicked, this,
            &LedgerPage::editSelectedEntry);
    connect(toolButton(QStringLiteral("tb4")), &QToolButton::clicked, this,
            &LedgerPage::addTransfer);
    connect(toolButton(QStringLiteral("tb5")), &QToolButton::clicked, this,
            &LedgerPage::addExchange);
    connect(toolButton(QStringLiteral("tb8")), &QToolButton::clicked, this,
            &LedgerPage::exitRequested);
}

void LedgerPage::showEvent(QShowEvent* event) {
    // The page is hidden while another page of the main window is shown; the date keys stay
    // with the window.
    if (QWidget* frame = window(); frame != this) {
        for (QAction* a : m_dateMenu->keyActions()) {
            if (!frame->actions().contains(a))
                frame->addAction(a);
        }
    }
    QWidget::showEvent(event);
}

void LedgerPage::entrySelectionMoved(bool chosen) {
    for (const char* name : {"tb2", "tb3"})
        toolButton(QString::fromLatin1(name))->setEnabled(chosen);
    Q_EMIT entrySelectionChanged(chosen);
}

qint64 LedgerPage::selectedEntryId() const {
    return m_grid->selectedEntryId();
}

// ---- filter, grid and balances ----

QString LedgerPage::entryAccount() const {
    return m_tabs->entryAccount();
}

void LedgerPage::showAccounts() {
    m_tabs->showAccounts(m_data.tbGr1);
}

FilterState LedgerPage::filterState() const {
    FilterState state;
    m_tabs->readFilterState(state);
    m_filters->readFilterState(state);
    state.editorPageActive = m_active;
    state.fastView = settings::quickView.read();
    state.today = Clock::today();
    return state;
}

QString LedgerPage::valueFigure() const {
    return m_balances->figure();
}

QString LedgerPage::valueCurrency() const {
    return m_balances->currency();
}

QString LedgerPage::accountsSummary() const {
    return m_filters->accountsSummary();
}

QString LedgerPage::datesSummary() const {
    return m_filters->datesSummary();
}

void LedgerPage::applyFilter() {
    if (!m_data.tbData.isOpen())
        return;
    WaitGuard wait(m_wait);
    try {
        m_data.tbData.setFiltered(false);
        m_data.tbData2.setFiltered(false);
        if (m_data.tbData2.isEmpty()) {
            // An empty ledger stays unfiltered; only the balances are computed.
            revalue();
            m_grid->refresh();
            return;
        }
        ApplyFilters(BuildFilters(filterState()), m_data.tbData, m_data.tbData2);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    BusyCursor busy;
    setEnabled(false);
    revalue();
    m_grid->refresh();
    setEnabled(true);
}

void LedgerPage::refreshAfterChange() {
    WaitGuard wait(m_wait);
    BusyCursor busy;
    // The balance pass stores InDol into rows the grid shows, so the grid is built after it;
    // building it before as well would show the same rows twice over.
    revalue();
    m_grid->refresh();
    listCurrencies();
}

void LedgerPage::revalue() {
    m_balances->revalue(m_tabs->countsOpeningBalances());
}

std::optional<BalanceBasis> LedgerPage::balanceBasis() const {
    BalanceBasis basis;
    basis.withOpeningBalances = m_tabs->countsOpeningBalances();
    basis.sign = m_balances->currency();
    TableHandle& balanced = m_data.tbData2;
    if (!balanced.isOpen())
        return std::nullopt;
    // The balances' filter without its dates, so that the entries before the first shown date
    // count too; without a date condition it is the balances' own.
    FilterState state = filterState();
    state.dateChecked = false;
    state.periods.clear();
    const QString filter = BuildFilters(state).data2;
    if (filter == (balanced.filtered() ? balanced.filter() : QString())) {
        basis.rows = balanced.viewRows();
        return basis;
    }
    try {
        TableHandle everyDate;
        everyDate.setPath(balanced.path());
        everyDate.open();
        everyDate.setFilter(filter);
        everyDate.setFiltered(!filter.isEmpty());
        basis.rows = everyDate.viewRows();
    } catch (const StoreError&) {
        return std::nullopt;
    }
    return basis;
}

void LedgerPage::listCurrencies() {
    m_balances->listCurrencies();
}

void LedgerPage::selectCurrentMonth() {
    m_dateMenu->chooseCurrentMonth();
}

// ---- commands ----

void LedgerPage::showStoredEntry(qint64 id) {
    m_grid->chooseOnRefresh(id);
    refreshAfterChange();
}

void LedgerPage::addEntry() {
    if (const qint64 id = m_commands->addEntry(m_tabs->entryAccount()))
        showStoredEntry(id);
}

void LedgerPage::addTransfer() {
    if (const qint64 id = m_commands->addTransfer(m_tabs->entryAccount()))
        showStoredEntry(id);
}

void LedgerPage::addExchange() {
    if (const qint64 id = m_commands->addExchange(m_tabs->entryAccount()))
        showStoredEntry(id);
}

void LedgerPage::editSelectedEntry() {
    if (m_commands->editEntry(m_grid->selectedEntryId(), m_tabs->entryAccount()))
        refreshAfterChange();
}

void LedgerPage::deleteSelectedEntry() {
    if (m_commands->deleteEntries(m_grid->selectedEntryIds()))
        refreshAfterChange();
}

void LedgerPage::moveSelectedEntry() {
    // The balances of the accounts change with the entry's account.
    if (m_commands->moveEntries(m_grid->selectedEntryIds()))
        refreshAfterChange();
}

void LedgerPage::editAccounts() {
    m_commands->editAccounts();
    showAccounts();
    applyFilter();
}

void LedgerPage::editChargeGroups() {
    m_commands->editChargeGroups();
}

void LedgerPage::editIncomeGroups() {
    m_commands->editIncomeGroups();
}

} // namespace zovi
