#pragma once

#include "core/translate.h"

#include <QWidget>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabBar;
class QTabWidget;
class QTableView;
class QTableWidget;
class QToolBar;
class QToolButton;

namespace zovi {

class LedgerTables;
class DebtTables;
class WaitWindow;
class FadingDialog;
class StandardEntryDialog;
class TransferDialog;
class ExchangeDialog;
class MoveDialog;
class NameEditor;
class AccountsWindow;
class GroupsWindow;
class ChargeGroupsWindow;
class IncomeGroupsWindow;
class LedgerGridModel;
class SelectionListsFrame;
class PresetNameDialog;
struct DatePeriod;
struct FilterState;

// The ledger page of the main window: the account tabs, the toolbar of entry commands, the grid
// of entries, and the bottom panel with the total, the balances and the filter pages. The grid's
// selected row is the one current entry: every command acts on the entry whose ID that row holds,
// and the commands that need an entry are enabled exactly while a row is selected.
class LedgerPage : public QWidget {
    Q_OBJECT

public:
    LedgerPage(LedgerTables& tables, DebtTables& cd, WaitWindow* wait, QWidget* parent = nullptr);
    ~LedgerPage() override;

    // The calculator the entry dialogs open from their amount fields.
    void setCalculator(const std::function<bool(QString&)>& calculate);
    // Whether the ledger page is the page shown (the quick view applies only there).
    void setActive(bool active) { m_active = active; }
    // Whether the entry dialogs fade in and out.
    void setFading(bool fading) { m_fading = fading; }

    // The account tabs from the accounts table, followed by "[...]".
    void AddCategory();
    // Builds the filters from the controls, applies them, and shows the balances and the grid.
    void SelFilter();
    void RefreshGrid();
    // The balances of the filtered entries in the currency of the value panel.
    void REVALUE();
    // The value panel's list of currency signs, keeping the chosen one.
    void ReValuta();
    // After entries were stored or deleted: balances, grid and currency list again, inside the
    // wait window; the filter is not rebuilt.
    void RefreshAfterChange();
    // The date shortcuts: the quick filter's dates become a month of the current year (the
    // month lengths of MonthOfTable), the current year, the current month, or today. All but
    // today refilter when "Auto refresh" and "Date" are both ticked.
    void NM(int month);
    void N14();
    void N15();
    void Ct1();

    // The classifier windows: the accounts window, followed by the tabs and the filter built
    // again; the groups windows of charges and of incomes, followed by the deferred full
    // refresh of the main window.
    void Users();
    void GroupsCharges();
    void GroupsIncomes();

    // Entry commands.
    void NewRec();
    void EditRec();
    void DeleteRec();
    void MoveRec();
    void bperevod();
    void NewObmen();

    // The filter controls as they stand, and the value panel's figure and currency: what a
    // printed report says it covers.
    FilterState filterState() const;
    QString valueFigure() const;
    QString valueCurrency() const;
    // The summaries of the selection lists of accounts and of dates, as their labels show them.
    QString accountsSummary() const;
    QString datesSummary() const;

    // The ID of the entry of the selected grid row; 0 while no row is selected.
    qint64 selectedEntryId() const { return m_selectedId; }
    // Selects the row of the entry with this ID, or the last row when it is not shown.
    void selectEntry(qint64 id);

    // The bottom panel's two heights: compact shows the total only, extended adds the filter
    // controls and the balance list.
    void setBottomPanelExtended(bool extended);
    bool bottomPanelExtended() const { return m_bottomExtended; }

    // The appearance the settings choose: account tabs, toolbar and filter tab positions.
    void applyFace(int accountTabsStyle, bool transparentToolbars, bool flatButtons,
                   bool filterTabsBelow);
    // Column widths of the grid: saved ones, or computed from the window width.
    void loadColumnWidths(int windowWidth);
    // Whether some column has no saved width, so that its width is computed.
    bool hasComputedWidths() const;
    void saveColumnWidths();
    // The width of the grid's column 1..7, -1 while it is hidden.
    int columnWidth(int column) const;
    // Shows the column at width, or hides it for -1; the width becomes its saved one.
    void setColumnWidth(int column, int width);
    // The narrowest date column that shows every date of the short format whole.
    int minimumDateWidth() const;

    // The keys of the translation table that reach this page's controls, in table order.
    TranslationKeys translationKeys();

    QToolButton* toolButton(const QString& name) const;
    QToolBar* toolBar() const { return ToolBar1; }

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
    void buildDateMenu();
    void setQuickPeriod(const DatePeriod& period, bool refilter);
    void buildBottomPanel(QWidget* panel);
    void connectControls();
    void connectFilterHandlers();
    FilterState readFilterState() const;
    void SelVid();
    void bottomSplitterMoved();
    void selectLastRow();
    void selectionMoved();
    void ledgerViewChanged();
    QString currentEntryAccount(bool trim = false) const;
    // Shows an entry dialog until it is cancelled or save succeeds, with fading as the settings
    // say; a refused save shows its message, runs relist (the currency table may have changed)
    // and opens the dialog again with everything the user typed. True once saved.
    bool saveFromDialog(FadingDialog* dialog, const std::function<void()>& save,
                        const std::function<void()>& relist);
    void EditStandartRecord(qint64 id);
    void editperevod(qint64 id);
    void editobmen(qint64 id);
    void relistExchangeCurrencies();
    void showGroups(GroupsWindow* window);
    QAction* addPopupAction(const char* name, const QString& text);

    // The selection lists and the presets of the "Extended" filter page (ledgerpage_lists.cpp).
    void connectSelectionLists();
    void filterPageChanged(int index);
    void listTicked(int list);
    void addPeriod();
    void deletePeriod();
    void ListPreset();
    void Button1Click();
    void Button7Click();
    void Button9Click();
    void refreshIfAuto();

    LedgerTables& m_data;
    DebtTables& m_cd;
    WaitWindow* m_wait;

    StandardEntryDialog* m_editRecord = nullptr;
    TransferDialog* m_perevod = nullptr;
    ExchangeDialog* m_obmen = nullptr;
    MoveDialog* m_move = nullptr;
    NameEditor* m_nameEditor = nullptr;
    AccountsWindow* m_users = nullptr;
    ChargeGroupsWindow* m_vidRashod = nullptr;
    IncomeGroupsWindow* m_vidDohod = nullptr;

    QTabBar* TabControl1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QLabel* LabelSort = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QTableView* Grid1 = nullptr;
    LedgerGridModel* m_gridModel = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QWidget* Panel2 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* Panel6 = nullptr;
    QWidget* PanelLower = nullptr;
    QLabel* LabelV = nullptr;
    QTableWidget* GridValutaV = nullptr;
    QComboBox* ComboBoxV = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QPushButton* Button17 = nullptr;
    QRadioButton* rAll = nullptr;
    QRadioButton* rIncomes = nullptr;
    QRadioButton* rCharges = nullptr;
    QCheckBox* CheckBox10 = nullptr;
    QTabWidget* PageControl2 = nullptr;
    QCheckBox* Filter = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QDateEdit* DateTimePicker1 = nullptr;
    QDateEdit* DateTimePicker2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button9 = nullptr;
    SelectionListsFrame* FrameStat1 = nullptr;
    PresetNameDialog* m_presetName = nullptr;
    QLineEdit* EditSearch = nullptr;
    QLabel* LabelSearch = nullptr;
    QPushButton* ButtonSearch1 = nullptr;
    QMenu* PopupDate = nullptr;
    QAction* PopupDelete = nullptr;
    QAction* PopupEdit = nullptr;
    QList<QAction*> m_dateActions;

    qint64 m_selectedId = 0;
    bool m_gridStale = false;
    bool m_fading = true;
    bool m_active = true;
    bool m_applyingWidths = false;
    bool m_bottomExtended = false;
};

} // namespace zovi
