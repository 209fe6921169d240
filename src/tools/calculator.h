#pragma once

#include <QString>

namespace zovi {

// The state behind the calculator window: two operands kept as texts, the pending operator and
// which operand the keys type into. The operands become numbers only when "=" computes.
class Calculator {
public:
    enum class Operand { First, Second };
    // None is a cleared operator (no caption); Equals is the caption of a fresh calculator.
    // Only Plus, Minus, Times and Divide compute.
    enum class Operator { None, Equals, Plus, Minus, Times, Divide };

    const QString& first() const { return m_first; }
    const QString& second() const { return m_second; }
    Operator pendingOperator() const { return m_operator; }
    Operand active() const { return m_active; }
    // The caption that shows the operator: " + ", " - ", " * ", " / ", " = ", or empty for None.
    QString operatorCaption() const;

    // Direct changes, as callers set up the window and as the user types into the active field.
    void setFirst(const QString& text) { m_first = text; }
    void setSecond(const QString& text) { m_second = text; }
    void setOperator(Operator op) { m_operator = op; }

    // The keys. digit is 0 to 9; the "," key always appends a comma, and operands are read with
    // either "," or "." as the decimal point.
    void appendDigit(int digit);
    void appendComma();
    // "+", "-", "*", "/": the operator changes; from the first operand the keys move on to an
    // emptied second one, while on the second only the operator changes.
    void pressOperator(Operator op);
    // "=": A := A op B, written back into the first operand, which becomes active again; the
    // operator and the second operand stay, so pressing "=" again repeats the operation on the
    // result. Does nothing unless an operator is pending. Returns the message of a failure (an
    // empty or malformed operand, a division by zero, a result out of range) and then leaves
    // the whole state as it was; returns an empty text otherwise.
    QString equals();
    // "clr": both operands emptied, the first active; the operator stays.
    void clear();
    // "<-": the last character of the active operand removed.
    void backspace();
    // "+/-": a leading minus sign of the active operand removed, or one put in front (also of an
    // empty operand, so that a negative number can be typed sign first).
    void toggleSign();

    // The state when the window opens: the first operand active, and a first operand of exactly
    // "0" emptied so that typing starts afresh.
    void prepareShow();

private:
    QString& activeText() { return m_active == Operand::First ? m_first : m_second; }

    QString m_first;
    QString m_second;
    Operator m_operator = Operator::Equals;
    Operand m_active = Operand::First;
};

} // namespace zovi
