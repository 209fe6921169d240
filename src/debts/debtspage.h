#pragma once

#include "core/translate.h"
#include "ledger/entrycontrols.h"

#include <QDate>
#include <QWidget>

class QAction;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QStandardItemModel;
class QTableView;
class QToolBar;
class QToolButton;

namespace zovi {

class LedgerTables;
class DebtTables;
class DebtDialog;
class RepaymentDialog;

// The debts page of the main window: the toolbar of debt commands, the grid of debts with their
// values to the chosen day, and the side panel with that day and the repayments of the chosen
// debt. Every command writes through the debts logic by the chosen debt's or repayment's ID,
// then values the debts again and refills the grid; a change that reaches the ledger is
// announced by ledgerChanged. The commands that need a debt are enabled while the debts table
// holds any, the deletion of a repayment while the chosen debt has any.
class DebtsPage : public QWidget {
    Q_OBJECT

public:
    DebtsPage(LedgerTables& tables, DebtTables& cd, QWidget* parent = nullptr);

    // What the calculator buttons of the two dialogs open.
    void setCalculator(AmountCalculator calculator);
    // The appearance the settings choose for the toolbar.
    void applyFace(bool transparentToolbars, bool flatButtons);
    // Column widths of the grid: saved ones, or computed from the window width.
    void loadColumnWidths(int windowWidth);
    // The keys of the translation table that reach this page's controls, in table order.
    TranslationKeys translationKeys();

    // The commands of the page.
    void NewCredit_bt();
    void EditCredit_bt();
    void DeleteCredit_bt();
    void NewOplataCredit_bt();
    void DeleteOplataCredit_bt();
    // Values every debt to the chosen day and shows the chosen debt's repayments.
    void RefrDebts();
    // Refills the grid from the debts table, keeping the chosen debt.
    void RefreshGridD();
    // The caption of "today" with today's date, and the picker set to today.
    void SetOfDate();
    // The page became visible: the picker is set to today first, so that the values shown are
    // those of the day the page shows.
    void pageShown();

    // The ID of the debt of the selected grid row; 0 when none is selected.
    qint64 currentDebt() const { return m_current; }
    // The day the debts are valued to.
    QDate valuationDate() const;

Q_SIGNALS:
    // A debt, or none, was chosen (also the same one again after a refill).
    void debtChosen();
    // Ledger rows were written or deleted: the ledger page refreshes its grid and balances.
    void ledgerChanged();

private:
    DebtDialog* editCredit();
    RepaymentDialog* editOplata();
    void buildGrid();
    void buildSidePanel();
    void GridDSelectCell();
    void selectDebt(qint64 id);
    void repaymentChosen();
    void updateCommands();
    // Runs a command that changed the debts: the ledger is told when its rows changed, then
    // the debts are valued again and the grid refilled.
    void afterChange(bool ledger);

    LedgerTables& m_data;
    DebtTables& m_cd;
    qint64 m_current = 0;
    bool m_filling = false;
    AmountCalculator m_calculator;
    DebtDialog* m_editCredit = nullptr;
    RepaymentDialog* m_editOplata = nullptr;
    QToolBar* ToolBar2 = nullptr;
    QAction* PopupNewCredit = nullptr;
    QAction* PopupEditCredit = nullptr;
    QAction* PopupDeleteCredit = nullptr;
    QTableView* GridD = nullptr;
    QStandardItemModel* m_rows = nullptr;
    QWidget* Panel4 = nullptr;
    QGroupBox* GroupBoxValue = nullptr;
    QRadioButton* RadioButton1 = nullptr; // today
    QRadioButton* RadioButton2 = nullptr; // a chosen day
    QDateEdit* DateTimePicker3 = nullptr;
    QGroupBox* GroupBoxPay = nullptr;
    QTableView* DBGrid3 = nullptr;
    QPushButton* AddOplata = nullptr;
    QPushButton* DeleteOplata = nullptr;
    QLabel* DBText1 = nullptr;
};

} // namespace zovi
