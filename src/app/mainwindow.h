#pragma once

#include <QDate>
#include <QHash>
#include <QMainWindow>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStandardItemModel;
class QTabBar;
class QTabWidget;
class QTableView;
class QTableWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QWidget;

namespace zovi {

class Tdata;
class TCDdata;
class Twait;
class TDBSelLite;
class TDBSel2;
class TfPasswordCheck;
class TfEditData;
class TfChooseShell;
class TReservCopy;
class TfSystemMenu;
class TFormEditRecord;
class FadingDialog;
class Tperevod_form;
class TObmen;
class TNastr;
class TfMove;
class Tkalkulator;
class LedgerGridModel;
struct FilterState;

// The main window: three pages (ledger editor, debts, diagrams), the menus, toolbars and the
// bottom panel of the ledger, the timers that keep commands in step with the data, the
// start-up sequence after the database chooser, and the orderly shutdown with its backups.
// It owns every dialog of the program, created once and reused.
class Tstart_form : public QMainWindow {
    Q_OBJECT

public:
    Tstart_form(Tdata& data, TCDdata& cd, QWidget* parent = nullptr);
    ~Tstart_form() override;

    Tdata& data() { return m_data; }
    TCDdata& cd() { return m_cd; }

    // Commands of the main window.
    void Startup();
    void LoadFace();
    void SizeLoad();
    void SizeSave();
    void Lang();
    void AddCategory();
    void SelFilter();
    void RefreshGrid();
    void REVALUE();
    void ReValuta();
    // After an entry was stored or deleted: grid, balances and currency list again, inside the
    // wait window; the filter is not rebuilt.
    void RefreshAfterChange();
    // Entry commands: a new income or charge, and the edit of the current entry by its kind.
    void NewRec();
    void EditRec();
    void EditStandartRecord();
    void DeleteRec();
    void MoveRec();
    // Transfers between accounts: a new one, and the edit of the transfer of the current row.
    void bperevod();
    void editperevod();
    // Currency exchanges: a new one, and the edit of the current one (kind "O").
    void NewObmen();
    void editobmen();
    // The bottom panel's two heights: compact shows the total only, extended adds the filter
    // controls and the balance list.
    void setBottomPanelExtended(bool extended);
    bool bottomPanelExtended() const { return m_bottomExtended; }
    void SaveData();
    // Asks for the deferred full refresh: several requests within one command give one
    // refresh, run two timer ticks later inside the modal wait window.
    void RequestFullRefresh();
    int fullRefreshCount() const { return m_fullRefreshCount; }

    // What ends the process when no database was chosen (tests replace it).
    void setExitHandler(std::function<void()> handler) { m_exit = std::move(handler); }
    bool databaseChosen() const { return m_databaseChosen; }

    TDBSelLite* chooser() const { return m_chooser; }
    TReservCopy* backupWindow() const { return m_reservCopy; }
    TfSystemMenu* systemMenu() const { return m_systemMenu; }
    Twait* waitWindow() const { return m_wait; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildEditorPage(QWidget* page);
    void buildBottomPanel(QWidget* panel);
    void buildDebtsPage(QWidget* page);
    void buildDiagramsPage(QWidget* page);
    void buildMenus();
    void buildTimers();
    void connectCommands();
    void connectFilterHandlers();
    FilterState readFilterState() const;
    void SelVid();
    void selectLastRow();
    // Selects the grid row of the entry with this ID, or the last row when it is not shown.
    void selectEntryRow(qint64 id);
    QString currentEntryAccount(bool trim = false) const;
    // Shows an entry dialog until it is cancelled or save succeeds, with fading as the settings
    // say; a refused save shows its message, runs relist (the currency table may have changed)
    // and opens the dialog again with everything the user typed. True once saved.
    bool saveFromDialog(FadingDialog* dialog, const std::function<void()>& save,
                        const std::function<void()>& relist);
    void relistExchangeCurrencies();
    void bottomSplitterMoved();

    QAction* action(const char* name, const QString& text, const QKeySequence& shortcut = {});
    QToolButton* toolButton(QToolBar* bar, const char* name, const QString& text,
                            const QString& hint);

    void FormShow();
    void Timer1Tick();
    void Timer3Tick();
    void RefreshAllDataTimerTick();
    void PageChange(int index);
    void N15();
    void Help();
    void About();
    void Calendar();
    void writeFirstStartDefaults();
    void copyToRCopy();
    QString databaseFolder() const;

    Tdata& m_data;
    TCDdata& m_cd;

    // Dialogs, created once.
    Twait* m_wait = nullptr;
    TfPasswordCheck* m_password = nullptr;
    TfChooseShell* m_chooseShell = nullptr;
    TfEditData* m_editData = nullptr;
    TDBSel2* m_dbEditor = nullptr;
    TDBSelLite* m_chooser = nullptr;
    TReservCopy* m_reservCopy = nullptr;
    TfSystemMenu* m_systemMenu = nullptr;
    TFormEditRecord* m_editRecord = nullptr;
    Tperevod_form* m_perevod = nullptr;
    TObmen* m_obmen = nullptr;
    TNastr* m_nastr = nullptr;
    TfMove* m_move = nullptr;
    Tkalkulator* m_calculator = nullptr;

    // Layout.
    QTabWidget* Page = nullptr;
    QTabBar* TabControl1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QLabel* LabelSort = nullptr;
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
    QListWidget* ListPresets = nullptr;
    QLineEdit* EditSearch = nullptr;
    QLabel* LabelSearch = nullptr;
    QPushButton* ButtonSearch1 = nullptr;
    QTableView* GridD = nullptr;
    QStandardItemModel* m_debtsModel = nullptr;
    QWidget* Panel4 = nullptr;
    QGroupBox* GroupBoxValue = nullptr;
    QGroupBox* GroupBoxPay = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QMenu* PopupDate = nullptr;

    QHash<QString, QAction*> m_actions;
    QHash<QString, QToolButton*> m_buttons;

    QTimer* Timer1 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* TimerExit = nullptr;
    QTimer* RefreshAllDataTimer = nullptr;

    QString m_loadedSkin;
    bool m_alphaBlend = false;
    bool m_shown = false;
    bool m_databaseChosen = false;
    bool m_bottomExtended = false;
    int m_fullRefreshCount = 0;
    std::function<void()> m_exit;
};

} // namespace zovi
