#pragma once

#include "debts/debts.h"
#include "ledger/entrycontrols.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace zovi {

class LedgerTables;

// The debt dialog: the kind (borrowed or lent), the account, the day it began, the name, the
// amount with its currency and the rate with its period. It only collects and checks; the
// debts page writes the debt through the debts logic.
class DebtDialog : public EntryDialog {
    Q_OBJECT

public:
    explicit DebtDialog(LedgerTables& data, QWidget* parent = nullptr);

    // A new debt: borrowed, dated today, name, amount and rate empty, a monthly rate, the first
    // currency and no account; the kind can be chosen.
    void prepareNew();
    // A stored debt: every control from it; a currency or account that is gone stays
    // unselected. The kind cannot be changed. A period of Days days stays so unless the user
    // picks a year or a month.
    void prepareEdit(const Debt& debt);
    // The values as the dialog holds them after a successful OK.
    Debt debt() const;

    // Refills the currency signs from the table, the first one chosen.
    void refillCurrencies();
    // Refills the account names from the table, none chosen.
    void refillAccounts();

private:
    std::optional<EntryRefusal> checkInput() override;
    QWidget* control(EntryInput input) const override;
    void translateFrames() override;

    QGroupBox* m_kindFrame = nullptr;
    QToolButton* m_borrowedButton = nullptr;
    QToolButton* m_lentButton = nullptr;
    QComboBox* m_accountBox = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_amountEdit = nullptr;
    QToolButton* m_amountCalculator = nullptr;
    QComboBox* m_currencySignBox = nullptr;
    QLineEdit* m_rateEdit = nullptr;
    QLabel* m_periodLabel = nullptr; // "Count:", before the period of the rate
    QToolButton* m_rateCalculator = nullptr;
    QRadioButton* m_perYearButton = nullptr;
    QRadioButton* m_perMonthButton = nullptr;
    QGroupBox* m_accountFrame = nullptr;
    QGroupBox* m_nameFrame = nullptr;
    QGroupBox* m_amountFrame = nullptr;
    QGroupBox* m_rateFrame = nullptr;
    QString m_storedType; // the period of the debt being edited
    bool m_periodChosen = false;
};

// The repayment dialog: the day, the amount and a comment.
class RepaymentDialog : public EntryDialog {
    Q_OBJECT

public:
    explicit RepaymentDialog(LedgerTables& data, QWidget* parent = nullptr);

    // Dated today, amount and comment empty.
    void prepareNew();
    Repayment repayment() const;

private:
    std::optional<EntryRefusal> checkInput() override;
    QWidget* control(EntryInput input) const override;
    void translateFrames() override;

    QLineEdit* m_amountEdit = nullptr;
    QToolButton* m_amountCalculator = nullptr;
    QLineEdit* m_commentEdit = nullptr;
    QGroupBox* m_amountFrame = nullptr;
    QGroupBox* m_commentFrame = nullptr;
};

} // namespace zovi
