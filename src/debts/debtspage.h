#pragma once

#include "core/translate.h"
#include "ledger/entrycontrols.h"

#include <QDate>
#include <QSet>
#include <QWidget>
#include <vector>

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
struct UnvaluedDebt;

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
    void newDebt();
    void editDebt();
    void deleteDebt();
    void newRepayment();
    void deleteRepayment();
    // Values every debt to the chosen day and shows the chosen debt's repayments.
    void revalueDebts();
    // Refills the grid from the debts table, keeping the chosen debt.
    void refillGrid();
    // The caption of "today" with today's date, and the picker set to today.
    void showToday();
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
    DebtDialog* debtDialog();
    RepaymentDialog* repaymentDialog();
    void buildGrid();
    void buildSidePanel();
    // The width that shows the kind column's header and both kinds whole.
    int kindColumnWidth() const;
    void debtRowChosen();
    void selectDebt(qint64 id);
    void repaymentChosen();
    void updateCommands();
    // Names in one message the debts the valuation could not value and that were not named
    // since they became so.
    void nameUnvalued(const std::vector<UnvaluedDebt>& unvalued);
    // Runs a command that changed the debts: the ledger is told when its rows changed, then
    // the debts are valued again and the grid refilled.
    void afterChange(bool ledger);
    QString debtName(qint64 id);

    LedgerTables& m_data;
    DebtTables& m_cd;
    qint64 m_current = 0;
    QSet<qint64> m_namedUnvalued;
    bool m_filling = false;
    AmountCalculator m_calculator;
    DebtDialog* m_debtDialog = nullptr;
    RepaymentDialog* m_repaymentDialog = nullptr;
    QToolBar* m_toolBar = nullptr;
    QAction* m_newDebtItem = nullptr;
    QAction* m_editDebtItem = nullptr;
    QAction* m_deleteDebtItem = nullptr;
    QTableView* m_grid = nullptr;
    QStandardItemModel* m_rows = nullptr;
    QWidget* m_sidePanel = nullptr;
    QGroupBox* m_valuationFrame = nullptr;
    QRadioButton* m_todayButton = nullptr;
    QRadioButton* m_chosenDayButton = nullptr;
    QDateEdit* m_chosenDay = nullptr;
    QGroupBox* m_repaymentFrame = nullptr;
    QTableView* m_repaymentList = nullptr;
    QPushButton* m_addRepaymentButton = nullptr;
    QPushButton* m_deleteRepaymentButton = nullptr;
    QLabel* m_repaymentComment = nullptr;
};

} // namespace zovi
