#pragma once

#include "debts/debts.h"
#include "ledger/entrycontrols.h"

class QButtonGroup;
class QComboBox;
class QDateEdit;
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
    void ReValuta();
    // Refills the account names from the table, none chosen.
    void ReUser();

private:
    std::optional<EntryRefusal> checkInput() override;
    QWidget* control(EntryInput input) const override;
    void translateFrames() override;

    QGroupBox* GroupBox2 = nullptr;
    QToolButton* vidolzny = nullptr;  // borrowed
    QToolButton* vamdolzny = nullptr; // lent
    QComboBox* ComboBox1 = nullptr;   // account
    QDateEdit* DateTimePicker1 = nullptr;
    QLineEdit* Edit1 = nullptr; // name
    QLineEdit* Value = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QComboBox* ComboBox6 = nullptr; // currency sign
    QLineEdit* Procent = nullptr;
    QLabel* Label1 = nullptr; // "Count:"
    QToolButton* SpeedButton1 = nullptr;
    QRadioButton* RadioButton1 = nullptr; // per year
    QRadioButton* RadioButton2 = nullptr; // per month
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

    QDateEdit* DateTimePicker1 = nullptr;
    QLineEdit* Value = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QLineEdit* Edit1 = nullptr; // comment
    QGroupBox* m_amountFrame = nullptr;
    QGroupBox* m_commentFrame = nullptr;
};

} // namespace zovi
