#include "tools/calculatorwindow.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/textutil.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

using Operator = Calculator::Operator;

// A field with its label in one row.
QHBoxLayout* OperandRow(QLabel* label, QLineEdit* edit) {
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(edit, 1);
    return row;
}

} // namespace

CalculatorWindow::CalculatorWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(u"Tkalkulator"_s);
    setWindowTitle(u"Calculator"_s);
    setModal(true);

    m_firstLabel = Named(new QLabel(u"A->"_s, this), "Label1");
    m_firstOperand = Named(new QLineEdit(this), "Edit1");
    m_firstOperand->setAlignment(Qt::AlignRight);

    m_operatorBox = Named(new QGroupBox(this), "GroupBox2");
    m_secondLabel = Named(new QLabel(u"B->"_s, m_operatorBox), "Label2");
    m_secondOperand = Named(new QLineEdit(m_operatorBox), "Edit2");
    m_secondOperand->setAlignment(Qt::AlignRight);
    m_operatorBox->setLayout(OperandRow(m_secondLabel, m_secondOperand));

    connect(m_firstOperand, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_calc.setFirst(text); });
    connect(m_secondOperand, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_calc.setSecond(text); });

    m_keysBox = Named(new QGroupBox(this), "GroupBox1");
    auto* keys = new QGridLayout(m_keysBox);
    // The digits "1" to "9" are the keys 1 to 9, "0" is the key 10; the pad is laid out with
    // 7 8 9 on top.
    for (int digit = 1; digit <= 10; ++digit) {
        const int value = digit % 10;
        QToolButton* button = key(digit, QString::number(value));
        connect(button, &QToolButton::clicked, this, [this, value] {
            m_calc.appendDigit(value);
            refresh();
        });
        if (value == 0)
            keys->addWidget(button, 3, 0);
        else
            keys->addWidget(button, 2 - (value - 1) / 3, (value - 1) % 3);
    }
    const auto operatorKey = [this](int number, const QString& text, Operator op) {
        QToolButton* button = key(number, text);
        connect(button, &QToolButton::clicked, this, [this, op] {
            m_calc.pressOperator(op);
            refresh();
        });
        return button;
    };
    const auto actionKey = [this](int number, const QString& text, void (Calculator::*action)()) {
        QToolButton* button = key(number, text);
        connect(button, &QToolButton::clicked, this, [this, action] { press(action); });
        return button;
    };
    keys->addWidget(actionKey(11, u"+/-"_s, &Calculator::toggleSign), 3, 1);
    keys->addWidget(actionKey(12, u","_s, &Calculator::appendComma), 3, 2);
    keys->addWidget(operatorKey(13, u"/"_s, Operator::Divide), 0, 3);
    keys->addWidget(operatorKey(14, u"*"_s, Operator::Times), 1, 3);
    keys->addWidget(operatorKey(15, u"-"_s, Operator::Minus), 2, 3);
    keys->addWidget(operatorKey(16, u"+"_s, Operator::Plus), 3, 3);
    QToolButton* equalsKey = key(17, u"="_s);
    connect(equalsKey, &QToolButton::clicked, this, &CalculatorWindow::onEqualsClicked);
    equalsKey->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    keys->addWidget(equalsKey, 2, 4, 2, 1);
    keys->addWidget(actionKey(19, LangText(u"calcclear"_s, u"clr"_s), &Calculator::clear), 0, 4);
    keys->addWidget(actionKey(20, u"<-"_s, &Calculator::backspace), 1, 4);

    m_okButton = Named(new QPushButton(u"&Ok"_s, this), "Button1");
    m_okButton->setDefault(true);
    m_cancelButton = Named(new QPushButton(u"&Cancel"_s, this), "Button2");
    m_cancelButton->setAutoDefault(false);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(OperandRow(m_firstLabel, m_firstOperand));
    layout->addWidget(m_operatorBox);
    layout->addWidget(m_keysBox);
    layout->addLayout(ButtonRow({m_okButton, m_cancelButton}));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    refresh();
}

QToolButton* CalculatorWindow::key(int number, const QString& text) {
    auto* button = new QToolButton(m_keysBox);
    button->setObjectName(u"SpeedButton"_s + QString::number(number));
    button->setText(text);
    // Keys never take the focus from the field being typed into.
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumSize(36, 28);
    return button;
}

bool CalculatorWindow::calculate(QString& amount) {
    QString start;
    if (!IsNotNumber(amount))
        NormalizeDecimal(amount, start);
    m_calc.setFirst(start);
    m_calc.setSecond(QString());
    m_calc.setOperator(Operator::None);
    if (exec() != QDialog::Accepted)
        return false;
    amount = m_calc.first();
    return true;
}

bool CalculatorWindow::resume(QString& text) {
    m_calc.setFirst(text);
    if (exec() != QDialog::Accepted || m_calc.first().isEmpty())
        return false;
    text = m_calc.first();
    return true;
}

void CalculatorWindow::openEmpty() {
    m_calc.setFirst(QString());
    m_calc.setSecond(QString());
    exec();
}

void CalculatorWindow::showEvent(QShowEvent* event) {
    m_calc.prepareShow();
    setWindowTitle(LangText(u"calculator"_s, u"Calculator"_s));
    m_okButton->setText(LangText(u"ok"_s, u"&Ok"_s));
    m_cancelButton->setText(LangText(u"cancel"_s, u"&Cancel"_s));
    refresh();
    QDialog::showEvent(event);
}

void CalculatorWindow::press(void (Calculator::*action)()) {
    (m_calc.*action)();
    refresh();
}

void CalculatorWindow::onEqualsClicked() {
    const QString failure = m_calc.equals();
    if (!failure.isEmpty())
        Messages::error(this, failure);
    refresh();
}

void CalculatorWindow::refresh() {
    const bool first = m_calc.active() == Calculator::Operand::First;
    m_firstOperand->setText(m_calc.first());
    m_secondOperand->setText(m_calc.second());
    m_firstOperand->setEnabled(first);
    m_firstLabel->setEnabled(first);
    m_secondOperand->setEnabled(!first);
    m_secondLabel->setEnabled(!first);
    m_operatorBox->setTitle(m_calc.operatorCaption());
    (first ? m_firstOperand : m_secondOperand)->setFocus();
}

} // namespace zovi
