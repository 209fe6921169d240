#include "tools/calculator.h"

#include "core/lang.h"
#include "core/textutil.h"

#include <QLocale>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// True when text is an exponent's digits with an optional sign ("+20", "-5", "7").
bool IsExponent(const QString& text) {
    const QString digits = text.startsWith(u'+') || text.startsWith(u'-') ? text.mid(1) : text;
    if (digits.isEmpty())
        return false;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

QString NotANumber(const QString& text) {
    return LangText(u"calcnotanumber"_s, u"\"%1\" is not a valid number."_s).arg(text);
}

// The value of an operand: an amount as ToAmount reads it, with an optional leading minus sign
// and an optional exponent ("1,5e+20"), since results are written in that form when large or
// small. Empty when the text is not such a number.
std::optional<double> ReadOperand(const QString& text) {
    QString rest = text.trimmed();
    const bool negative = rest.startsWith(u'-');
    if (negative)
        rest.remove(0, 1);
    const qsizetype e = rest.indexOf(u'e', 0, Qt::CaseInsensitive);
    const std::optional<double> mantissa = ToAmount(e < 0 ? rest : rest.left(e));
    if (!mantissa)
        return std::nullopt;
    double value = *mantissa;
    if (e >= 0) {
        const QString exponent = rest.mid(e + 1);
        if (!IsExponent(exponent))
            return std::nullopt;
        // Read mantissa and exponent as one number, so that the exponent is not applied as an
        // inexact power of ten.
        bool ok = false;
        value = QLocale::c().toDouble(QString::number(value, 'g', 17) + u'e' + exponent, &ok);
        if (!ok || !std::isfinite(value))
            return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace

QString Calculator::operatorCaption() const {
    switch (m_operator) {
    case Operator::None:
        return QString();
    case Operator::Equals:
        return u" = "_s;
    case Operator::Plus:
        return u" + "_s;
    case Operator::Minus:
        return u" - "_s;
    case Operator::Times:
        return u" * "_s;
    case Operator::Divide:
        return u" / "_s;
    }
    return QString();
}

void Calculator::appendDigit(int digit) {
    activeText().append(QChar(u'0' + digit));
}

void Calculator::appendComma() {
    activeText().append(u',');
}

void Calculator::pressOperator(Operator op) {
    m_operator = op;
    if (m_active == Operand::First) {
        m_active = Operand::Second;
        m_second.clear();
    }
}

QString Calculator::equals() {
    if (m_operator == Operator::None || m_operator == Operator::Equals)
        return QString();
    const std::optional<double> a = ReadOperand(m_first);
    if (!a)
        return NotANumber(m_first);
    const std::optional<double> b = ReadOperand(m_second);
    if (!b)
        return NotANumber(m_second);
    double result = 0;
    switch (m_operator) {
    case Operator::Plus:
        result = *b + *a;
        break;
    case Operator::Minus:
        result = *a - *b;
        break;
    case Operator::Times:
        result = *b * *a;
        break;
    case Operator::Divide:
        if (*b == 0)
            return LangText(u"calcdivisionbyzero"_s, u"Division by zero."_s);
        result = *a / *b;
        break;
    case Operator::None:
    case Operator::Equals:
        break;
    }
    if (!std::isfinite(result))
        return LangText(u"calctoolarge"_s, u"The result is too large."_s);
    m_first = NumberText(result);
    m_active = Operand::First;
    return QString();
}

void Calculator::clear() {
    m_first.clear();
    m_second.clear();
    m_active = Operand::First;
}

void Calculator::backspace() {
    activeText().chop(1);
}

void Calculator::toggleSign() {
    QString& text = activeText();
    if (text.startsWith(u'-'))
        text.remove(0, 1);
    else
        text.prepend(u'-');
}

void Calculator::prepareShow() {
    m_active = Operand::First;
    if (m_first == u"0"_s)
        m_first.clear();
}

} // namespace zovi
