#pragma once

// CurrencyWindow: the currency window, listing the currencies of the open database and adding,
// editing, deleting, reordering them and choosing the main one. Every command works through
// the currency logic on data.tbValuta, whose current row is the list's selected row.
// Controls, by object name: "ValutaList" (the list: column 0 the hidden mark, then name and
// sign, opening balance, rate), "UpButton" and "DownButton" (the arrows beside the list),
// "AddButton", "EditButton", "DeleteButton", "MainButton" ("Setup as main") and "CloseButton"
// (which closes the window, as the Escape key does).
// The main window creates it once, shows it with exec() and refreshes the grid, the balances
// and its currency list afterwards.

#include <QDialog>

class QPushButton;
class QStandardItemModel;
class QTableView;
class QToolButton;

namespace zovi {

class LedgerTables;
class CurrencyEditor;

class CurrencyWindow : public QDialog {
    Q_OBJECT

public:
    explicit CurrencyWindow(LedgerTables& data, QWidget* parent = nullptr);

    // The currency editor the window opens for Add and Edit.
    CurrencyEditor* editor() const { return m_editor; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Rebuilds the list from the currencies and selects row (0-based), or none when empty.
    void fillList(int row);
    int selectedRow() const;
    void rowSelected(int row);
    void updateButtons();

    void onAddClicked();
    void onEditClicked();
    void onDeleteClicked();
    void onSetMainClicked();
    void onMoveClicked(bool up);

    LedgerTables& m_data;
    CurrencyEditor* m_editor;
    QStandardItemModel* m_model;

    QTableView* m_currencyGrid;
    QToolButton* m_upButton;
    QToolButton* m_downButton;
    QPushButton* m_addButton;
    QPushButton* m_editButton;
    QPushButton* m_deleteButton;
    QPushButton* m_setMainButton;
    QPushButton* m_closeButton;
};

} // namespace zovi
