#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace zovi {

class TableHandle;
class LedgerTables;

// The kind radio buttons above the filter panel (rAll, rIncomes, rCharges).
enum class EntryKindFilter { All, Incomes, Charges };

// Everything the filter builder reads from the main window's controls, copied out so that the
// filter texts can be built and tested without any widget. The defaults are the controls'
// initial states.
struct FilterState {
    // TabControl1: whether it has any tab, the text of the selected tab and whether the
    // selected tab is the last one ("[...]", all accounts).
    bool hasTabs = true;
    QString tabText = QStringLiteral("[...]");
    bool lastTabSelected = true;

    // PageControl2: 0 "Fast", 1 "Extended", 2 "Search".
    int filterPage = 0;
    // The ledger editor is the active page of the main window.
    bool editorPageActive = true;
    // The settings value "fastview": the grid shows only the last 30 days.
    bool fastView = false;

    // Page 0: "Date" (Filter), "From" (CheckBox4) with DateTimePicker1, "To" (CheckBox5) with
    // DateTimePicker2.
    bool dateChecked = false;
    bool fromChecked = true;
    QDate fromDate;
    bool toChecked = true;
    QDate toDate;

    EntryKindFilter kind = EntryKindFilter::All;
    // "Show plan" (CheckBox10): unticked hides entries dated after today.
    bool showPlan = true;

    // Page 0: " Groups  " (CheckBox3), the category index of ComboBox2 (-1 when none is chosen;
    // 0 income groups, 1 charge groups, 2 charge sub-groups, 3 income sub-groups) and the text
    // of ComboBox1.
    bool groupsChecked = false;
    int groupCategory = -1;
    QString groupValue;

    // Page 1: the ticked lines of List1 (income groups), List2 (charge groups), List3 (income
    // sub-groups), List4 (charge sub-groups) and List5 (accounts), each from top to bottom, and
    // every line of List6 (date periods "from-to" in the short date format).
    QStringList incomeGroups;
    QStringList chargeGroups;
    QStringList incomeSubGroups;
    QStringList chargeSubGroups;
    QStringList accounts;
    QStringList periods;

    // Page 2: the text of EditSearch.
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
// AppLocale::formatDate; the lines of List6 are inserted as they stand. Nothing is validated:
// a bad date makes a text that the store refuses when it is applied.
FilterTexts BuildFilters(const FilterState& state);

// Gives each handle its filter text and switches its filtering on exactly when the text is not
// empty. The views are recomputed, also when a text did not change, so that rows posted through
// other handles appear. A text the store refuses throws StoreError and leaves both handles with
// the filter texts and switches they had.
void ApplyFilters(const FilterTexts& texts, TableHandle& data, TableHandle& data2);

// The names ComboBox1 offers for a category of ComboBox2, in stored order (the combo box sorts
// them): 0 the income groups (GrD), 1 the charge groups (GrR), 2 the charge sub-groups (GrR2),
// 3 the income sub-groups (GrD2). The sub-group handles are detached from their group handle
// while they are read, so that every sub-group is listed, and linked again afterwards. Any
// other category gives no value: ComboBox1 stays as it is. A closed table gives no names.
std::optional<QStringList> SelVidNames(LedgerTables& data, int category);

} // namespace zovi
