#pragma once

#include <QHash>
#include <QMainWindow>
#include <functional>

class QAction;
class QTabWidget;
class QTimer;

namespace zovi {

class LedgerTables;
enum class ImportKind;
class DebtTables;
class WaitWindow;
class ChooserWindow;
class CatalogueEditor;
class PasswordDialog;
class DatabaseDialog;
class FolderDialog;
class BackupWindow;
class ImportWindow;
class ServiceWindow;
class CurrencyWindow;
class CalculatorWindow;
class LedgerPage;
class DebtsPage;
class DiagramsPage;
class PrintSelectWindow;
class SettingsWindow;
struct InterfaceChoice;
struct PrintHeadingState;

// The main window frame: the three pages (ledger, debts, diagrams), the menus and their
// shortcuts, the start-up after the database chooser, the appearance the settings choose, and the
// orderly shutdown with its backups. The pages are widgets of their own; the frame places them
// and routes the menu commands to them.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(LedgerTables& tables, DebtTables& debtTables, QWidget* parent = nullptr);
    ~MainWindow() override;

    LedgerPage* ledgerPage() const { return m_ledger; }

    // Fills the window from the chosen database: tabs, captions, appearance, and the filtered
    // ledger with its balances, each computed once.
    void fillFromDatabase();
    // Applies the stored appearance settings: the face of the pages, the skin, fading and the
    // place of the page tabs and of the value panel.
    void applyAppearance();
    // The grids' column widths for the window's present width, and the ledger's stored back.
    void loadColumnWidths();
    void saveColumnWidths();
    // The captions of the menus, the page tabs and every page in the chosen language.
    void translate();
    // Closes and reopens every table of the database, then shows the ledger again.
    void reopenDatabase();
    // Asks for the deferred full refresh: several requests within one command give one
    // refresh, run two timer ticks later inside the modal wait window.
    void requestFullRefresh();
    int fullRefreshCount() const { return m_fullRefreshCount; }

    // What ends the process when no database was chosen (tests replace it).
    void setExitHandler(std::function<void()> handler) { m_exit = std::move(handler); }
    bool databaseChosen() const { return m_databaseChosen; }

    ChooserWindow* chooser() const { return m_chooser; }
    BackupWindow* backupWindow() const { return m_backupWindow; }
    ImportWindow* importWindow() const { return m_importWindow; }
    ServiceWindow* serviceWindow() const { return m_serviceWindow; }
    SettingsWindow* settingsWindow() const { return m_settingsWindow; }
    WaitWindow* waitWindow() const { return m_wait; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void connectCommands();
    void connectAction(const char* name, void (LedgerPage::*command)());
    QAction* action(const char* name, const QString& text, const QKeySequence& shortcut = {});
    QAction* act(const char* name) const;
    void updateEntryActions();
    // Undo and Redo say what they will take back or do again, after the history.
    void updateHistoryActions();
    // Takes back the last command (or does it again) and shows the ledger and the debts as
    // after a command, the first entry it brought back selected.
    void stepHistory(bool redo);

    void chooseDatabaseAndStart();
    // The first tick after start-up: the window is maximised and the grids laid out for it.
    void onFirstLayoutTimer();
    void onFullRefreshTimer();
    void onPageChanged(int index);
    void showHelp();
    void showAbout();
    void showCalendar();
    void showServiceWindow();
    // The print window over the ledger's filtered view.
    void showPrintWindow();
    PrintHeadingState printHeadingState() const;
    // Additional > Export > dBase: writes the entries the ledger shows into a dBase table.
    void exportToDbase();
    // Additional > Export > CSV file: writes the entries the ledger shows into a CSV file that
    // the CSV import reads back.
    void exportToCsv();
    // Additional > Import > Zovi 5: the import window; a finished import is shown at once.
    void importZovi5();
    void importFile(ImportKind kind);
    void writeFirstStartDefaults();
    // Accounts > Interface: the settings window, whose "Ok" stores its values and shows them.
    void editInterfaceSettings();
    void applyInterface(const InterfaceChoice& choice);
    QString databaseFolder() const;

    LedgerTables& m_ledgerTables;
    DebtTables& m_debtTables;

    // Windows, created once.
    WaitWindow* m_wait = nullptr;
    PasswordDialog* m_password = nullptr;
    FolderDialog* m_folderDialog = nullptr;
    DatabaseDialog* m_databaseDialog = nullptr;
    CatalogueEditor* m_catalogueEditor = nullptr;
    ChooserWindow* m_chooser = nullptr;
    BackupWindow* m_backupWindow = nullptr;
    ImportWindow* m_importWindow = nullptr;
    ServiceWindow* m_serviceWindow = nullptr;
    CurrencyWindow* m_currencyWindow = nullptr;
    CalculatorWindow* m_calculator = nullptr;
    PrintSelectWindow* m_printSelect = nullptr;
    SettingsWindow* m_settingsWindow = nullptr;

    QTabWidget* m_pages = nullptr;
    LedgerPage* m_ledger = nullptr;
    DebtsPage* m_debts = nullptr;
    DiagramsPage* m_diagrams = nullptr;
    QHash<QString, QAction*> m_actions;

    QTimer* m_firstLayoutTimer = nullptr;
    QTimer* m_exitTimer = nullptr;
    QTimer* m_fullRefreshTimer = nullptr;

    bool m_shown = false;
    bool m_databaseChosen = false;
    bool m_closing = false; // the backup window and the copy at close are under way
    // Computed column widths follow the window's width (a window manager maximises it a moment
    // after it is shown) until the user sets a width by hand.
    bool m_widthsFollowWindow = false;
    int m_fullRefreshCount = 0;
    std::function<void()> m_exit;
};

} // namespace zovi
