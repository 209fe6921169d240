#pragma once

#include <QHash>
#include <QMainWindow>
#include <functional>

class QAction;
class QTabWidget;
class QTimer;

namespace zovi {

class LedgerTables;
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
    MainWindow(LedgerTables& tables, DebtTables& cd, QWidget* parent = nullptr);
    ~MainWindow() override;

    LedgerPage* ledgerPage() const { return m_ledger; }

    // Fills the window from the chosen database: tabs, captions, appearance, and the filtered
    // ledger with its balances, each computed once.
    void Startup();
    void LoadFace();
    void SizeLoad();
    void SizeSave();
    void Lang();
    // Closes and reopens every table of the database, then shows the ledger again.
    void SaveData();
    // Asks for the deferred full refresh: several requests within one command give one
    // refresh, run two timer ticks later inside the modal wait window.
    void RequestFullRefresh();
    int fullRefreshCount() const { return m_fullRefreshCount; }

    // What ends the process when no database was chosen (tests replace it).
    void setExitHandler(std::function<void()> handler) { m_exit = std::move(handler); }
    bool databaseChosen() const { return m_databaseChosen; }

    ChooserWindow* chooser() const { return m_chooser; }
    BackupWindow* backupWindow() const { return m_reservCopy; }
    ImportWindow* importWindow() const { return m_importWindow; }
    ServiceWindow* systemMenu() const { return m_systemMenu; }
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

    void FormShow();
    void Timer3Tick();
    void RefreshAllDataTimerTick();
    void PageChange(int index);
    void Help();
    void About();
    void Calendar();
    void SystemMenu();
    // The print window over the ledger's filtered view.
    void PrintExecute();
    PrintHeadingState printHeadingState() const;
    // Additional > Export > dBase: writes the entries the ledger shows into a dBase table.
    void it371Click();
    // Additional > Import > Zovi 5: the import window; a finished import is shown at once.
    void ImportZovi5();
    void writeFirstStartDefaults();
    // Accounts > Interface: the settings window, whose "Ok" stores its values and shows them.
    void Interface();
    void applyInterface(const InterfaceChoice& choice);
    QString databaseFolder() const;

    LedgerTables& m_data;
    DebtTables& m_cd;

    // Windows, created once.
    WaitWindow* m_wait = nullptr;
    PasswordDialog* m_password = nullptr;
    FolderDialog* m_chooseShell = nullptr;
    DatabaseDialog* m_editData = nullptr;
    CatalogueEditor* m_dbEditor = nullptr;
    ChooserWindow* m_chooser = nullptr;
    BackupWindow* m_reservCopy = nullptr;
    ImportWindow* m_importWindow = nullptr;
    ServiceWindow* m_systemMenu = nullptr;
    CurrencyWindow* m_nastr = nullptr;
    CalculatorWindow* m_calculator = nullptr;
    PrintSelectWindow* m_printSelect = nullptr;
    SettingsWindow* m_settingsWindow = nullptr;

    QTabWidget* Page = nullptr;
    LedgerPage* m_ledger = nullptr;
    DebtsPage* m_debts = nullptr;
    DiagramsPage* m_diagrams = nullptr;
    QHash<QString, QAction*> m_actions;

    QTimer* Timer3 = nullptr;
    QTimer* TimerExit = nullptr;
    QTimer* RefreshAllDataTimer = nullptr;

    bool m_shown = false;
    bool m_databaseChosen = false;
    // Computed column widths follow the window's width (a window manager maximises it a moment
    // after it is shown) until the user sets a width by hand.
    bool m_widthsFollowWindow = false;
    int m_fullRefreshCount = 0;
    std::function<void()> m_exit;
};

} // namespace zovi
