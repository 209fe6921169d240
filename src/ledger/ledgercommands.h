#pragma once

#include <QList>
#include <QObject>
#include <functional>

class QWidget;

namespace zovi {

class LedgerTables;
class DebtTables;
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

// The commands of the ledger page on entries, accounts and groups. A command on an entry takes
// its ID; the dialogs collect the values and the ledger logic writes them in one transaction. A
// command tells whether it stored anything (or the ID of what it added); the page then shows the
// change. The account of a new entry is the chosen tab's text as it stands; the income and charge
// dialog starts from it and lets the user choose another.
class LedgerCommands : public QObject {
    Q_OBJECT

public:
    // The dialogs are children of parent, which also owns the message boxes.
    LedgerCommands(LedgerTables& tables, DebtTables& debts, QWidget* parent);
    ~LedgerCommands() override;

    // The calculator the entry dialogs open from their amount fields.
    void setCalculator(const std::function<bool(QString&)>& calculate);
    // Whether the entry dialogs fade in and out.
    void setFading(bool fading) { m_fading = fading; }

    // A new income or charge, its dialog starting with account: the ID of the stored entry, 0
    // when none was stored.
    qint64 addEntry(const QString& account);
    // A new transfer from account, its blanks trimmed: the ID of the incoming row, or 0.
    qint64 addTransfer(const QString& account);
    // A new currency exchange in account: the ID of the stored entry, or 0.
    qint64 addExchange(const QString& account);
    // Edits the entry in the dialog of its kind (an income or charge is saved in account, or in
    // the one its dialog chooses instead); true once stored.
    bool editEntry(qint64 id, const QString& account);
    // Deletes the entries after one confirmation that names how many, each with its transfer
    // partner or its repayment, all or none; a debt row among them refuses it. True once deleted.
    bool deleteEntries(const QList<qint64>& ids);
    // Moves the entries to the account the move dialog chooses, all or none; true once moved.
    bool moveEntries(const QList<qint64>& ids);

    // The classifier windows; groupsChanged follows a groups window.
    void editAccounts();
    void editChargeGroups();
    void editIncomeGroups();

Q_SIGNALS:
    // A groups window closed: everything that shows groups is refreshed.
    void groupsChanged();

private:
    // Shows an entry dialog until it is cancelled or save succeeds, with fading as the settings
    // say; a refused save shows its message, runs relist (the currency table may have changed)
    // and opens the dialog again with everything the user typed. True once saved.
    bool saveFromDialog(FadingDialog* dialog, const std::function<void()>& save,
                        const std::function<void()>& relist);
    bool editStandardEntry(qint64 id, const QString& account);
    bool editTransfer(qint64 id);
    bool editExchange(qint64 id, const QString& account);
    void relistExchangeCurrencies();
    void showGroups(GroupsWindow* window);

    LedgerTables& m_data;
    DebtTables& m_debts;
    QWidget* m_parent;
    bool m_fading = true;

    StandardEntryDialog* m_entryDialog = nullptr;
    TransferDialog* m_transferDialog = nullptr;
    ExchangeDialog* m_exchangeDialog = nullptr;
    MoveDialog* m_moveDialog = nullptr;
    NameEditor* m_nameEditor = nullptr;
    AccountsWindow* m_accountsWindow = nullptr;
    ChargeGroupsWindow* m_chargeGroupsWindow = nullptr;
    IncomeGroupsWindow* m_incomeGroupsWindow = nullptr;
};

} // namespace zovi
