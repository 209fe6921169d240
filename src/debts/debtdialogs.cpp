#include "debts/debtdialogs.h"

#include "core/clock.h"
#include "core/layouts.h"
#include "core/translate.h"
#include "store/datamodules.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

namespace zovi {

namespace {

QToolButton* KindButton(QWidget* parent, const char* name, const char* text) {
    auto* button = Named(new QToolButton(parent), name);
    button->setText(QString::fromLatin1(text));
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

QToolButton* CalculatorButton(QWidget* parent, const char* name) {
    QToolButton* button = SmallButton(parent, name, QStringLiteral("="));
    button->setToolTip(QStringLiteral("Calculator"));
    return button;
}

} // namespace

// ---- the debt dialog ----

DebtDialog::DebtDialog(LedgerTables& tables, QWidget* parent)
    : EntryDialog(tables, "TEditCredit", parent) {
    setWindowFlag(Qt::Tool);
    vidolzny = KindButton(this, "vidolzny", "Credit");
    vamdolzny = KindButton(this, "vamdolzny", "Debit");
    GroupBox2 = Named(Frame(this, QStringLiteral(" Type "), {vidolzny, vamdolzny}), "GroupBox2");
    ComboBox1 = Named(new QComboBox(this), "ComboBox1");
    m_accountFrame = Frame(this, QStringLiteral(" Account "), {ComboBox1});
    makeDateRow("DateTimePicker1");
    DateTimePicker1 = m_date;
    Edit1 = Named(new QLineEdit(this), "Edit1");
    m_nameFrame = Frame(this, QStringLiteral(" Name "), {Edit1});
    Value = Named(new QLineEdit(this), "Value");
    SpeedButton6 = CalculatorButton(this, "SpeedButton6");
    ComboBox6 = Named(new QComboBox(this), "ComboBox6");
    m_amountFrame = Frame(this, QStringLiteral(" Sum of money "), {Value, SpeedButton6, ComboBox6});
    Procent = Named(new QLineEdit(this), "Procent");
    Label1 = Named(new QLabel(QStringLiteral("Count:"), this), "Label1");
    SpeedButton1 = CalculatorButton(this, "SpeedButton1");
    RadioButton1 = Named(new QRadioButton(QStringLiteral("Year"), this), "RadioButton1");
    RadioButton2 = Named(new QRadioButton(QStringLiteral("Month"), this), "RadioButton2");
    m_rateFrame = Frame(this, QStringLiteral(" Rate "),
                        {Procent, SpeedButton1, Label1, RadioButton1, RadioButton2});

    layOut({GroupBox2, m_accountFrame, m_dateFrame, m_nameFrame, m_amountFrame, m_rateFrame});

    connect(SpeedButton6, &QToolButton::clicked, this, [this] { calculate(Value); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { calculate(Procent); });
    for (QRadioButton* period : {RadioButton1, RadioButton2})
        connect(period, &QRadioButton::clicked, this, [this] { m_periodChosen = true; });
}

void DebtDialog::prepareNew() {
    m_captionKey = QStringLiteral("caption014");
    setWindowTitle(QString());
    vidolzny->setChecked(true);
    DateTimePicker1->setDate(Clock::today());
    Edit1->clear();
    Value->clear();
    Procent->clear();
    RadioButton2->setChecked(true);
    m_storedType.clear();
    m_periodChosen = false;
    ReValuta();
    ReUser();
    GroupBox2->setEnabled(true);
}

void DebtDialog::prepareEdit(const Debt& debt) {
    m_captionKey = QStringLiteral("caption015");
    setWindowTitle(QString());
    DateTimePicker1->setDate(debt.date);
    Edit1->setText(debt.name);
    Value->setText(debt.amount);
    Procent->setText(debt.rate);
    (debt.type == QLatin1String("Y") ? RadioButton1 : RadioButton2)->setChecked(true);
    m_storedType = debt.type;
    m_periodChosen = false;
    ReValuta();
    ComboBox6->setCurrentIndex(
        ComboBox6->findText(debt.currencySign, Qt::MatchExactly | Qt::MatchCaseSensitive));
    ReUser();
    Select(ComboBox1, debt.account);
    (debt.credit ? vidolzny : vamdolzny)->setChecked(true);
    GroupBox2->setEnabled(false);
}

Debt DebtDialog::debt() const {
    Debt d;
    d.credit = vidolzny->isChecked();
    d.date = DateTimePicker1->date();
    d.name = Edit1->text();
    d.amount = Value->text();
    d.currencySign = ComboBox6->currentIndex() >= 0 ? ComboBox6->currentText() : QString();
    d.rate = Procent->text();
    // A stored period other than a year or a month stays until the user picks one.
    const bool keep = !m_periodChosen && !m_storedType.isEmpty() &&
                      m_storedType != QLatin1String("Y") && m_storedType != QLatin1String("M");
    d.type = keep ? m_storedType
                  : (RadioButton1->isChecked() ? QStringLiteral("Y") : QStringLiteral("M"));
    d.account = ComboBox1->currentIndex() >= 0 ? ComboBox1->currentText() : QString();
    return d;
}

void DebtDialog::ReValuta() {
    FillCurrencySigns(ComboBox6, m_data.tbValuta);
}

void DebtDialog::ReUser() {
    ComboBox1->clear();
    ComboBox1->addItems(Names(m_data.tbGr1));
    ComboBox1->setCurrentIndex(-1);
}

std::optional<EntryRefusal> DebtDialog::checkInput() {
    const auto check = CheckDebt(debt());
    Value->setText(check.entry.amount);
    Procent->setText(check.entry.rate);
    return check.refusal;
}

QWidget* DebtDialog::control(EntryInput input) const {
    switch (input) {
    case EntryInput::Name:
        return Edit1;
    case EntryInput::Rate:
        return Procent;
    case EntryInput::Amount:
        return Value;
    case EntryInput::Account:
        return ComboBox1;
    case EntryInput::Currency:
        return ComboBox6;
    default:
        return nullptr;
    }
}

void DebtDialog::translateFrames() {
    Translate(vidolzny, QStringLiteral("credit"));
    Translate(vamdolzny, QStringLiteral("debit"));
    Translate(m_accountFrame, QStringLiteral("account"));
    Translate(m_nameFrame, QStringLiteral("name"));
    Translate(m_amountFrame, QStringLiteral("amount"));
    Translate(m_rateFrame, QStringLiteral("percents"));
    Translate(Label1, QStringLiteral("count"));
    Translate(RadioButton1, QStringLiteral("year"));
    Translate(RadioButton2, QStringLiteral("month"));
}

// ---- the repayment dialog ----

RepaymentDialog::RepaymentDialog(LedgerTables& tables, QWidget* parent)
    : EntryDialog(tables, "TEditOplata", parent) {
    makeDateRow("DateTimePicker1");
    DateTimePicker1 = m_date;
    Value = Named(new QLineEdit(this), "Value");
    SpeedButton6 = CalculatorButton(this, "SpeedButton6");
    m_amountFrame = Frame(this, QStringLiteral(" Amount "), {Value, SpeedButton6});
    Edit1 = Named(new QLineEdit(this), "Edit1");
    m_commentFrame = Frame(this, QStringLiteral(" Comment "), {Edit1});
    layOut({m_dateFrame, m_amountFrame, m_commentFrame});
    connect(SpeedButton6, &QToolButton::clicked, this, [this] { calculate(Value); });
}

void RepaymentDialog::prepareNew() {
    m_captionKey = QStringLiteral("caption016");
    setWindowTitle(QString());
    DateTimePicker1->setDate(Clock::today());
    Value->clear();
    Edit1->clear();
}

Repayment RepaymentDialog::repayment() const {
    return {DateTimePicker1->date(), Value->text(), Edit1->text()};
}

std::optional<EntryRefusal> RepaymentDialog::checkInput() {
    const auto check = CheckRepayment(repayment());
    Value->setText(check.entry.amount);
    return check.refusal;
}

QWidget* RepaymentDialog::control(EntryInput input) const {
    return input == EntryInput::Amount ? Value : nullptr;
}

void RepaymentDialog::translateFrames() {
    Translate(m_amountFrame, QStringLiteral("amount"));
    Translate(m_commentFrame, QStringLiteral("comment"));
}

} // namespace zovi
