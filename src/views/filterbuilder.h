#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace zovi {

class TableHandle;
class LedgerTables;

// The kind radio buttons of the filter panel ("All", "Incomes", "Charges").
enum class EntryKindFilter { All, Incomes, Charges };

// Everything the filter builder reads from the ledger page's controls, copied out so that the
// filter texts can be built and tested without any widget. The defaults are the controls'
// initial states.
struct FilterState {
    // The account tabs: whether there is any tab, the text of the selected tab and whether the
    // selected tab is the last one ("[...]", all accounts).
    bool hasTabs = true;
    QString tabText = QStringLiteral("[...]");
    bool lastTabSelected = true;

    // The filter page shown: 0 "Fast", 1 "Extended", 2 "Search".
    int filterPage = 0;
    // The ledger editor is the active page of the main window.
    bool editorPageActive = true;
    // The settings value "fastview": the grid shows only the last 30 days.
    bool fastView = false;

    // Page 0: the "Date" tick, the "From" tick with its date and the "To" tick with its date.
    bool dateChecked = false;
    bool fromChecked = true;
    QDate fromDate;
    bool toChecked = true;
    QDate toDate;

    EntryKindFilter kind = EntryKindFilter::All;
    // "Show plan": unticked hides entries dated after today.
    bool showPlan = true;

    // Page 0: the " Groups  " tick, the index of the chosen category (-1 when none is chosen;
    // 0 income groups, 1 charge groups, 2 charge sub-groups, 3 income sub-groups) and the
    // chosen value's text.
    bool groupsChecked = false;
    int groupCategory = -1;
    QString groupValue;

    // Page 1: the ticked lines of the selection lists of income groups, charge groups, income
    // sub-groups, charge sub-groups and accounts, each from top to bottom, and every line of
    // the dates list (date periods "from-to" in the short date format).
    QStringList incomeGroups;
    QStringList chargeGroups;
    QStringList incomeSubGroups;
    QStringList chargeSubGroups;
    QStringList accounts;
    QStringList periods;

    // Page 2: the searched part of a name; empty searches for nothing.
    QString searchText;

    // Clock::today() at the time of building.
    QDate today;
};

// The filter texts of the two ledger handles: `data` for tbData (the grid, with the quick-view
// window) and `data2` for tbData2 (the balances, without it). An empty text admits every row.
struct FilterTexts {
    QString data;
    QString data2;

    friend bool operator==(const FilterTexts&, const FilterTexts&) = default;
};

// A value written as a text literal of the store's filter language: in single quotes, with a
// quote inside written twice (O'Brien gives 'O''Brien').
QString FilterLiteral(const QString& value);

// Builds both filter texts from the controls' states. Dates are written with
// AppLocale::formatDate, also those of the dates list, whose lines are read by ParsePeriodText;
// a line that is no period is inserted as it stands. Nothing is validated: a bad date makes a
// text that the store refuses when it is applied.
FilterTexts BuildFilters(const FilterState& state);

// Gives each handle its filter text and switches its filtering on exactly when the text is not
// empty. The views are recomputed, also when a text did not change, so that rows posted through
// other handles appear. A text the store refuses throws StoreError and leaves both handles with
// the filter texts and switches they had.
void ApplyFilters(const FilterTexts& texts, TableHandle& data, TableHandle& data2);

// The values the quick filter offers for a group category, in stored order (the value box sorts
// them): 0 the income groups (GrD), 1 the charge groups (GrR), 2 the charge sub-groups (GrR2),
// 3 the income sub-groups (GrD2). The sub-group handles are detached from their group handle
// while they are read, so that every sub-group is listed, and linked again afterwards. Any
// other category gives no value: the value box stays as it is. A closed table gives no names.
std::optional<QStringList> GroupFilterValues(LedgerTables& data, int category);

} // namespace zovi
