#pragma once

#include "core/translate.h"
#include "ledger/ledgergridview.h"

#include <QWidget>
#include <functional>
#include <optional>

class QSplitter;
class QToolBar;
class QToolButton;

namespace zovi {

class LedgerTables;
class DebtTables;
class WaitWindow;
class AccountTabs;
class BalancePanel;
class DateMenu;
class FilterPanel;
class LedgerCommands;
class LedgerGridView;
struct FilterState;

// The ledger page of the main window, a composition of parts that talk by signals: the account
// tabs, the toolbar of entry commands, the ledger grid, the balance panel at the bottom with the
// filter panel inside it, and the date menu of the quick filter. The page routes the parts'
// signals to the ledger commands and to the refilter. The grid's selected row is the one current
// entry: the commands on an entry act on the ID that row holds, and are enabled exactly while a
// row is selected.
class LedgerPage : public QWidget {
    Q_OBJECT

public:
    LedgerPage(LedgerTables& tables, DebtTables& debts, WaitWindow* wait,
               QWidget* parent = nullptr);
    ~LedgerPage() override;

    // The calculator the entry dialogs open from their amount fields.
    void setCalculator(const std::function<bool(QString&)>& calculate);
    // Whether the ledger page is the page shown (the quick view applies only there).
    void setActive(bool active) { m_active = active; }
    // Whether the entry dialogs fade in and out.
    void setFading(bool fading);

    // The grid, with its rows, selection and column widths.
    LedgerGridView* grid() const { return m_grid; }

    // The account tabs from the accounts table, followed by "[...]".
    void showAccounts();
    // The account of the tab shown, which new entries go to.
    QString entryAccount() const;
    // Builds the filters from the controls, applies them, and shows the balances and the grid.
    void applyFilter();
    // The value panel's list of currency signs, keeping the chosen one.
    void listCurrencies();
    // After entries were stored or deleted: balances, grid and currency list again, inside the
    // wait window; the filter is not rebuilt.
    void refreshAfterChange();
    // Refreshes as refreshAfterChange and selects the entry with this ID.
    void showEntry(qint64 id) { showStoredEntry(id); }
    // The quick filter's dates become the current month; refilters when "Auto refresh" and
    // "Date" are both ticked.
    void selectCurrentMonth();

    // The commands on entries: new ones go to the chosen tab's account, the others act on the
    // selected entry.
    void addEntry();
    void addTransfer();
    void addExchange();
    void editSelectedEntry();
    void deleteSelectedEntry();
    void moveSelectedEntry();
    // The classifier windows: the accounts window, followed by the tabs and the filter built
    // again; the groups windows, followed by the deferred full refresh of the main window.
    void editAccounts();
    void editChargeGroups();
    void editIncomeGroups();

    // The filter controls as they stand, and the value panel's figure and currency: what a
    // printed report says it covers.
    FilterState filterState() const;
    QString valueFigure() const;
    QString valueCurrency() const;
    // The summaries of the selection lists of accounts and of dates, as their labels show them.
    QString accountsSummary() const;
    QString datesSummary() const;

    // The ID of the entry of the selected grid row; 0 while no row is selected.
    qint64 selectedEntryId() const;

    // The bottom panel's two heights: compact shows the total only, extended adds the filter
    // controls and the balance list. The user switches them with the panel's filters button or
    // by dragging the splitter above it; either is remembered as the value panel setting.
    void setBottomPanelExtended(bool extended);
    bool bottomPanelExtended() const;

    // The appearance the settings choose: account tabs, toolbar and filter tab positions.
    void applyFace(int accountTabsStyle, bool transparentToolbars, bool flatButtons,
                   bool filterTabsBelow);

    // The keys of the translation table that reach this page's controls, in table order.
    TranslationKeys translationKeys();

    QToolButton* toolButton(const QString& name) const;
    QToolBar* toolBar() const { return m_toolBar; }

Q_SIGNALS:
    // A row was selected or the selection went away: entryChosen is whether an entry is current.
    void entrySelectionChanged(bool entryChosen);
    // The exit button of the toolbar.
    void exitRequested();
    // The user dragged a column of the grid to another width.
    void columnResizedByUser();
    // A groups window closed: the main window refreshes everything once the command is over.
    void fullRefreshRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void buildToolBar();
    void connectParts();
    void revalue();
    // The entries the running balances count: those the balances count, at every date.
    std::optional<BalanceBasis> balanceBasis() const;
    void entrySelectionMoved(bool chosen);
    void showStoredEntry(qint64 id);
    void bottomSplitterMoved();
    // The user opened or folded the bottom panel: the next start shows it the same way.
    void extendBottomPanelByUser(bool extended);

    LedgerTables& m_data;
    WaitWindow* m_wait;
    LedgerCommands* m_commands = nullptr;

    AccountTabs* m_tabs = nullptr;
    QToolBar* m_toolBar = nullptr;
    LedgerGridView* m_grid = nullptr;
    QSplitter* m_splitter = nullptr;
    BalancePanel* m_balances = nullptr;
    FilterPanel* m_filters = nullptr;
    DateMenu* m_dateMenu = nullptr;

    bool m_active = true;
};

} // namespace zovi
