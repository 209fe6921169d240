#pragma once

// CalculatorWindow: the calculator window, shown modally from the entry and debt dialogs and from the
// menu. Controls: Label1 ("A->") with Edit1, the first operand and the result; GroupBox2, whose
// caption is the pending operator, with Label2 ("B->") and Edit2, the second operand; the keys in
// GroupBox1: SpeedButton1 to SpeedButton9 ("1" to "9"), SpeedButton10 ("0"), SpeedButton11
// ("+/-"), SpeedButton12 (","), SpeedButton13 ("/"), SpeedButton14 ("*"), SpeedButton15 ("-"),
// SpeedButton16 ("+"), SpeedButton17 ("="), SpeedButton19 ("clr"), SpeedButton20 ("<-");
// Button1 ("&Ok", default) and Button2 ("&Cancel"). Only the active operand's field and label
// are enabled; the keys and typing go into it.

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
    QToolButton* key(int number, const QString& text);
    // Runs a key on the state and shows the result; a failed "=" shows its message in an error
    // box and changes nothing.
    void press(void (Calculator::*action)());
    void EqualsClick();
    void refresh();

    Calculator m_calc;

    QLabel* Label1;
    QLineEdit* Edit1;
    QGroupBox* GroupBox2;
    QLabel* Label2;
    QLineEdit* Edit2;
    QGroupBox* GroupBox1;
    QPushButton* Button1;
    QPushButton* Button2;
};

} // namespace zovi
