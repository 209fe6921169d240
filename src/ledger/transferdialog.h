#pragma once

#include "ledger/entrycontrols.h"
#include "ledger/transfer.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace zovi {

class LedgerTables;
class RepeatBox;

// The dialog of transfers between accounts. It only collects and checks the values: the date,
// the amount, the currency sign, the two accounts and the names of the leaving and the arriving
// row; the caller writes them through the ledger logic.
class TransferDialog : public EntryDialog {
    Q_OBJECT

public:
    explicit TransferDialog(LedgerTables& data, QWidget* parent = nullptr);

    // Sets every control for a new transfer: dated today, amount "0", the first currency, the
    // account named tab as source (none when tab is no account, as "[...]") and the next account
    // as destination (the first one without a source, none after the last account); the labels
    // and both names follow the accounts.
    void prepareNew(const QString& tab);
    // Sets every control from a stored transfer; the names stay as stored. An account or
    // currency that is gone leaves its list unselected (the currency: the first sign).
    void prepareEdit(const Transfer& transfer);
    // The values as the dialog holds them after a successful OK.
    Transfer transfer() const;
    // The repetition chosen for a new transfer; none when it is stored once (always when edited).
    std::optional<Repeat> repeat() const;

    // Refills the currency signs from the table, the first one chosen.
    void refillCurrencies();

private:
    // The labels of the two names follow the chosen accounts, and both names are proposed
    // again; runs whenever the user picks an account.
    void onAccountChosen();
    void fillAccounts();
    void setLabels();
    // Proposes the name of the leaving row or of the arriving row.
    void proposeName(bool leaving);
    std::optional<EntryRefusal> checkInput() override;
    QWidget* control(EntryInput input) const override;
    void translateFrames() override;

    QLineEdit* m_amountEdit = nullptr;
    QToolButton* m_calculatorButton = nullptr;
    QComboBox* m_currencyBox = nullptr;
    QLabel* m_fromLabel = nullptr;
    QComboBox* m_fromAccountBox = nullptr;
    QLabel* m_toLabel = nullptr;
    QComboBox* m_toAccountBox = nullptr;
    QLabel* m_leavingNameLabel = nullptr;
    QLineEdit* m_leavingNameEdit = nullptr;
    QToolButton* m_proposeLeavingNameButton = nullptr;
    QLabel* m_arrivingNameLabel = nullptr;
    QLineEdit* m_arrivingNameEdit = nullptr;
    QToolButton* m_proposeArrivingNameButton = nullptr;
    QGroupBox* m_amountFrame = nullptr;
    QGroupBox* m_accountsFrame = nullptr;
    QGroupBox* m_nameFrame = nullptr;
    RepeatBox* m_repeatBox = nullptr;
};

} // namespace zovi
