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

    Label1 = new QLabel(u"A->"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(u"Edit1"_s);
    Edit1->setAlignment(Qt::AlignRight);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName(u"GroupBox2"_s);
    Label2 = new QLabel(u"B->"_s, GroupBox2);
    Label2->setObjectName(u"Label2"_s);
    Edit2 = new QLineEdit(GroupBox2);
    Edit2->setObjectName(u"Edit2"_s);
    Edit2->setAlignment(Qt::AlignRight);
    GroupBox2->setLayout(OperandRow(Label2, Edit2));

    connect(Edit1, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_calc.setFirst(text); });
    connect(Edit2, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_calc.setSecond(text); });

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(u"GroupBox1"_s);
    auto* keys = new QGridLayout(GroupBox1);
    // The digits "1" to "9" are SpeedButton1 to SpeedButton9, "0" is SpeedButton10; the pad is
    // laid out with 7 8 9 on top.
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
    connect(equalsKey, &QToolButton::clicked, this, &CalculatorWindow::EqualsClick);
    equalsKey->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    keys->addWidget(equalsKey, 2, 4, 2, 1);
    keys->addWidget(actionKey(19, u"clr"_s, &Calculator::clear), 0, 4);
    keys->addWidget(actionKey(20, u"<-"_s, &Calculator::backspace), 1, 4);

    Button1 = new QPushButton(u"&Ok"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setDefault(true);
    Button2 = new QPushButton(u"&Cancel"_s, this);
    Button2->setObjectName(u"Button2"_s);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(OperandRow(Label1, Edit1));
    layout->addWidget(GroupBox2);
    layout->addWidget(GroupBox1);
    layout->addLayout(ButtonRow({Button1, Button2}));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    refresh();
}

QToolButton* CalculatorWindow::key(int number, const QString& text) {
    auto* button = new QToolButton(GroupBox1);
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
    refresh();
    QDialog::showEvent(event);
}

void CalculatorWindow::press(void (Calculator::*action)()) {
    (m_calc.*action)();
    refresh();
}

void CalculatorWindow::EqualsClick() {
    const QString failure = m_calc.equals();
    if (!failure.isEmpty())
        Messages::error(this, failure);
    refresh();
}

void CalculatorWindow::refresh() {
    const bool first = m_calc.active() == Calculator::Operand::First;
    Edit1->setText(m_calc.first());
    Edit2->setText(m_calc.second());
    Edit1->setEnabled(first);
    Label1->setEnabled(first);
    Edit2->setEnabled(!first);
    Label2->setEnabled(!first);
    GroupBox2->setTitle(m_calc.operatorCaption());
    (first ? Edit1 : Edit2)->setFocus();
}

} // namespace zovi
