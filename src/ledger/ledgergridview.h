#pragma once

#include "core/translate.h"
#include "store/table.h"

#include <QTableView>
#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QMenu;

namespace zovi {

class LedgerTables;
class LedgerGridModel;

// What the running balances and the sums of the shown entries are counted from: the entries the
// balances count (every date), whether the opening balances count, and the sign of the currency
// of the total.
struct BalanceBasis {
    ViewRows rows;
    bool withOpeningBalances = false;
    QString sign;
};

// The ledger grid of the ledger page: the entries the ledger view admits, in the order the sort
// box chooses, with the selected row as the one current entry. The grid follows the ledger
// view: a change posted elsewhere rebuilds it once the command that posted it is over. Its
// context menu asks for the edit and the deletion of the selected entry.
class LedgerGridView : public QTableView {
    Q_OBJECT

public:
    LedgerGridView(LedgerTables& tables, QWidget* parent = nullptr);
    ~LedgerGridView() override;

    // The sort label and box, placed beside the toolbar by the page.
    QWidget* sortControls() const { return m_sortControls; }
    // The line below the grid that sums the shown entries, placed by the page.
    QLabel* sumsLine() const { return m_sumsLine; }
    // Where the running balances come from; asked once per refresh.
    void setBalanceBasis(std::function<std::optional<BalanceBasis>()> basis) {
        m_balanceBasis = std::move(basis);
    }
    // The columns the settings show or hide: 1 to 7 and the running balance.
    static QList<int> chosenColumns();

    // Builds the rows again from the ledger view, in the chosen order, with today's day flags
    // and the display currencies; the entry that was chosen stays chosen while it is shown,
    // otherwise the last row is.
    void refresh();
    // The entry the next refresh chooses (a new entry, once stored).
    void chooseOnRefresh(qint64 id) { m_selectedId = id; }
    // The ID of the entry of the selected row; 0 while no row is selected.
    qint64 selectedEntryId() const { return m_selectedId; }
    // The IDs of the entries of every selected row (Ctrl and Shift select several), in ID order.
    QList<qint64> selectedEntryIds() const;
    // Selects the row of the entry with this ID, or the last row when it is not shown.
    void selectEntry(qint64 id);

    // Column widths of the grid: saved ones, or computed from the window width.
    void loadColumnWidths(int windowWidth);
    // Whether some column has no saved width, so that its width is computed.
    bool hasComputedWidths() const;
    void saveColumnWidths();
    // The width of column 1..7 or 9, -1 while it is hidden.
    int shownColumnWidth(int column) const;
    // Shows the column at width, or hides it for -1; the width becomes its saved one.
    void setShownColumnWidth(int column, int width);
    // The narrowest date column that shows every date of the short format whole.
    int minimumDateWidth() const;

    // The keys of the sort box, the sort label and the context menu, and the sort controls'
    // numbered hint, the page's eighth.
    TranslationKeys translationKeys();

Q_SIGNALS:
    // A row was selected or the selection went away: chosen is whether an entry is current.
    void entrySelectionChanged(bool chosen);
    // A double click or the context menu asks to edit or delete the selected entry.
    void editRequested();
    void deleteRequested();
    // The user dragged a column to another width.
    void columnResizedByUser();

private:
    // Widens the income and charge columns to their widest amount in the rows from the top of
    // the view on.
    void keepAmountsWhole();
    void selectionMoved();
    void selectLastRow();
    void ledgerViewChanged();
    // Sorts by the clicked column's order, or reverses the order shown.
    void headerClicked(int column);
    void showSortIndicator();
    QAction* addMenuAction(const char* name, const QString& text);

    LedgerTables& m_data;
    LedgerGridModel* m_model = nullptr;
    QWidget* m_sortControls = nullptr;
    QLabel* m_sortLabel = nullptr;
    QComboBox* m_sortBox = nullptr;
    QMenu* m_menu = nullptr;
    QLabel* m_sumsLine = nullptr;
    std::function<std::optional<BalanceBasis>()> m_balanceBasis;
    QAction* m_deleteAction = nullptr;
    QAction* m_editAction = nullptr;

    qint64 m_selectedId = 0;
    bool m_descending = false; // the sort box's order reversed
    bool m_stale = false;
    bool m_applyingWidths = false;
};

} // namespace zovi
