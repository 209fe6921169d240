#pragma once

// CalculatorWindow: the calculator window, shown modally from the entry and debt dialogs and
// from the menu. The first operand, which also shows the result, is a field with the label "A->";
// the second operand's field, labelled "B->", sits in a frame whose caption is the pending
// operator. Below them the key pad: the digits, "+/-", ",", "/", "*", "-", "+", "=", "clr" and
// "<-" (object names "SpeedButton1" to "SpeedButton9" for the digits "1" to "9", then
// "SpeedButton10" for "0" and "SpeedButton11" onwards for the rest in that order, with no
// "SpeedButton18"). Only the active operand's field and label are enabled; the keys and typing
// go into it. "&Ok" (default) takes the result, "&Cancel" leaves the amount as it was.

#include "tools/calculator.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace zovi {

class CalculatorWindow : public QDialog {
    Q_OBJECT

public:
    explicit CalculatorWindow(QWidget* parent = nullptr);

    // The calculator button beside an amount or rate field of an entry dialog. Opens modally
    // with amount as the first operand (normalised by NormalizeDecimal; empty when IsNotNumber
    // holds for it), the second operand and the operator cleared. Closed with OK: amount becomes
    // the first operand (the result) and the call returns true. Cancelled: amount stays as it
    // was and the call returns false.
    bool calculate(QString& amount);

    // The calculator button of the debt and repayment dialogs. Opens modally with text as the
    // first operand as it is; the second operand and the operator stay as the last use left
    // them. Closed with OK while the first operand is not empty: text becomes the first operand
    // and the call returns true; otherwise text stays and the call returns false.
    bool resume(QString& text);

    // The menu command "Calculator": opens modally with both operands empty, for free use.
    void openEmpty();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // A key of the pad, named "SpeedButton" followed by number.
    QToolButton* key(int number, const QString& text);
    // Runs a key on the state and shows the result; a failed "=" shows its message in an error
    // box and changes nothing.
    void press(void (Calculator::*action)());
    void onEqualsClicked();
    void refresh();

    Calculator m_calc;

    QLabel* m_firstLabel;
    QLineEdit* m_firstOperand;
    QGroupBox* m_operatorBox;
    QLabel* m_secondLabel;
    QLineEdit* m_secondOperand;
    QGroupBox* m_keysBox;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
};

} // namespace zovi
