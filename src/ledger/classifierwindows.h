#pragma once

// The windows of the classifiers: the one-line name editor NameEditor, the accounts window
// AccountsWindow, and the groups windows of charges (ChargeGroupsWindow) and of incomes
// (IncomeGroupsWindow). Every command takes the row selected in the window's grid, hands its name
// or ID to the classifier logic, and shows a refusal or a failed write in an error box.

#include "ledger/classifiers.h"

#include <QDialog>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;

namespace zovi {

class LedgerTables;
class DebtTables;
class TableModel;

// A read-only grid of one column of a classifier table, named name, whose row selection moves
// the table's cursor.
QTableView* ClassifierGrid(QWidget* parent, const char* name, TableModel* model, int column);
// Runs a command of a classifier or currency window; a refusal or a failed write of the store is
// shown in an error box (the command's transaction has already put the tables back).
bool RunCommand(QWidget* window, const std::function<void()>& command);

// A small window without border holding a label naming what is asked ("Label1"), one text box,
// "OK" (the default) and "Cancel" (also the Escape key). The text box has the focus when it is
// shown.
class NameEditor : public QDialog {
    Q_OBJECT

public:
    explicit NameEditor(QWidget* parent = nullptr);

    // Shows the editor with label over text; true and the text as typed when it was closed
    // with OK.
    bool ask(const QString& label, const QString& text, QString& typed);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_label;
    QLineEdit* m_nameEdit;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
};

// The accounts window: the grid of the accounts in the order of the tabs, "Add", "Delete",
// "Edit", the up and down arrows beside the grid that move the selected account, and "Ok"
// (which also the Escape key gives). "Delete", "Edit" and the arrows act on the selected row
// and are enabled exactly while a row is selected; renaming onto the name of another account
// asks whether to merge the two. The caller rebuilds the tabs and the filter after it closed.
class AccountsWindow : public QDialog {
    Q_OBJECT

public:
    AccountsWindow(LedgerTables& tables, DebtTables& cd, NameEditor* editor,
                   QWidget* parent = nullptr);

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    int currentRow() const;
    void selectRow(int row);
    void updateButtons();

    void onAddClicked();
    void onDeleteClicked();
    void onEditClicked();
    void onMoveClicked(bool up);

    LedgerTables& m_data;
    DebtTables& m_cd;
    NameEditor* m_editor;

    QGroupBox* m_frame;
    QTableView* m_accountsGrid;
    QPushButton* m_okButton;
    QPushButton* m_addButton;
    QPushButton* m_deleteButton;
    QPushButton* m_editButton;
    QToolButton* m_upButton;
    QToolButton* m_downButton;
};

// What both groups windows share: the grid of groups with its Add, Delete and Edit, the grid of
// the sub-groups of the selected group with theirs, and the OK button (also the Escape key).
// Group Delete and Edit and sub-group Add are enabled exactly while there is a group; sub-group
// Delete and Edit exactly while the selected group has a sub-group. After every change the
// window runs the change handler (the entry dialog relists its groups).
class GroupsWindow : public QDialog {
    Q_OBJECT

public:
    void setChangeHandler(std::function<void()> changed) { m_changed = std::move(changed); }
    GroupSide side() const { return m_side; }

    void reject() override;

protected:
    // The button names of the side: group Add, Delete, Edit, sub-group Add, Delete, Edit, OK.
    GroupsWindow(LedgerTables& tables, GroupSide side, NameEditor* editor,
                 const QStringList& buttonNames, QWidget* parent);
    void showEvent(QShowEvent* event) override;

private:
    qint64 currentGroupId() const;
    QString currentGroupName() const;
    QString currentSubGroupName() const;
    void selectGroup(int row);
    void selectSubGroup(int row);
    void updateButtons();
    void changed();

    void onAddGroupClicked();
    void onDeleteGroupClicked();
    void onEditGroupClicked();
    void onAddSubGroupClicked();
    void onDeleteSubGroupClicked();
    void onEditSubGroupClicked();

    LedgerTables& m_data;
    GroupSide m_side;
    NameEditor* m_editor;
    std::function<void()> m_changed;

    QGroupBox* m_groupsFrame;
    QGroupBox* m_subGroupsFrame;
    QTableView* m_groupsGrid;
    QTableView* m_subGroupsGrid;
    QPushButton* m_addGroup;
    QPushButton* m_deleteGroup;
    QPushButton* m_editGroup;
    QPushButton* m_addSubGroup;
    QPushButton* m_deleteSubGroup;
    QPushButton* m_editSubGroup;
    QPushButton* m_ok;
};

// The groups of charges (GrR.db, GrR2.db).
class ChargeGroupsWindow : public GroupsWindow {
    Q_OBJECT

public:
    ChargeGroupsWindow(LedgerTables& tables, NameEditor* editor, QWidget* parent = nullptr);
};

// The groups of incomes (GrD.db, GrD2.db).
class IncomeGroupsWindow : public GroupsWindow {
    Q_OBJECT

public:
    IncomeGroupsWindow(LedgerTables& tables, NameEditor* editor, QWidget* parent = nullptr);
};

} // namespace zovi
