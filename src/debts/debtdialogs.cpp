#include "debts/debtdialogs.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/translate.h"
#include "store/datamodules.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace zovi {

namespace {

QToolButton* CalculatorButton(QWidget* parent, const char* name) {
    QToolButton* button = SmallButton(parent, name, QStringLiteral("="));
    button->setToolTip(LangText(QStringLiteral("calculator"), QStringLiteral("Calculator")));
    return button;
}

} // namespace

// ---- the debt dialog ----

DebtDialog::DebtDialog(LedgerTables& tables, QWidget* parent)
    : EntryDialog(tables, "TEditCredit", parent) {
    setWindowFlag(Qt::Tool);
    m_borrowedButton = ChoiceButton(this, "vidolzny", QStringLiteral("Credit"));
    m_lentButton = ChoiceButton(this, "vamdolzny", QStringLiteral("Debit"));
    Choice(this, {m_borrowedButton, m_lentButton});
    m_kindFrame =
        Named(Frame(this, QStringLiteral(" Type "), {m_borrowedButton, m_lentButton}), "GroupBox2");
    m_accountBox = Named(new QComboBox(this), "ComboBox1");
    m_accountFrame = Frame(this, QStringLiteral(" Account "), {m_accountBox});
    makeDateRow("DateTimePicker1");
    m_nameEdit = Named(new QLineEdit(this), "Edit1");
    m_nameFrame = Frame(this, QStringLiteral(" Name "), {m_nameEdit});
    m_amountEdit = Named(new QLineEdit(this), "Value");
    m_amountCalculator = CalculatorButton(this, "SpeedButton6");
    m_currencySignBox = Named(new QComboBox(this), "ComboBox6");
    m_amountFrame = Frame(this, QStringLiteral(" Sum of money "),
                          {m_amountEdit, m_amountCalculator, m_currencySignBox});
    m_rateEdit = Named(new QLineEdit(this), "Procent");
    m_periodLabel = Named(new QLabel(QStringLiteral("Count:"), this), "Label1");
    m_rateCalculator = CalculatorButton(this, "SpeedButton1");
    m_perYearButton = Named(new QRadioButton(QStringLiteral("Year"), this), "RadioButton1");
    m_perMonthButton = Named(new QRadioButton(QStringLiteral("Month"), this), "RadioButton2");
    Choice(this, {m_perYearButton, m_perMonthButton});
    m_rateFrame =
        Frame(this, QStringLiteral(" Rate "),
              {m_rateEdit, m_rateCalculator, m_periodLabel, m_perYearButton, m_perMonthButton});

    layOut({m_kindFrame, m_accountFrame, m_dateFrame, m_nameFrame, m_amountFrame, m_rateFrame});
    ChainFocus({m_borrowedButton, m_lentButton, m_accountBox, m_dayBackButton, m_date,
                m_dayForwardButton, m_nameEdit, m_amountEdit, m_amountCalculator, m_currencySignBox,
                m_rateEdit, m_rateCalculator, m_perYearButton, m_perMonthButton, m_okButton,
                m_cancelButton});

    connect(m_amountCalculator, &QToolButton::clicked, this, [this] { calculate(m_amountEdit); });
    connect(m_rateCalculator, &QToolButton::clicked, this, [this] { calculate(m_rateEdit); });
    for (QRadioButton* period : {m_perYearButton, m_perMonthButton})
        connect(period, &QRadioButton::clicked, this, [this] { m_periodChosen = true; });
}

void DebtDialog::prepareNew() {
    m_captionKey = QStringLiteral("caption014");
    setWindowTitle(QString());
    m_borrowedButton->setChecked(true);
    m_date->setDate(Clock::today());
    m_nameEdit->clear();
    m_amountEdit->clear();
    m_rateEdit->clear();
    m_perMonthButton->setChecked(true);
    m_storedType.clear();
    m_periodChosen = false;
    refillCurrencies();
    refillAccounts();
    m_kindFrame->setEnabled(true);
}

void DebtDialog::prepareEdit(const Debt& debt) {
    m_captionKey = QStringLiteral("caption015");
    setWindowTitle(QString());
    m_date->setDate(debt.date);
    m_nameEdit->setText(debt.name);
    m_amountEdit->setText(debt.amount);
    m_rateEdit->setText(debt.rate);
    (debt.type == QLatin1String("Y") ? m_perYearButton : m_perMonthButton)->setChecked(true);
    m_storedType = debt.type;
    m_periodChosen = false;
    refillCurrencies();
    m_currencySignBox->setCurrentIndex(
        m_currencySignBox->findText(debt.currencySign, Qt::MatchExactly | Qt::MatchCaseSensitive));
    refillAccounts();
    Select(m_accountBox, debt.account);
    (debt.credit ? m_borrowedButton : m_lentButton)->setChecked(true);
    m_kindFrame->setEnabled(false);
}

Debt DebtDialog::debt() const {
    Debt d;
    d.credit = m_borrowedButton->isChecked();
    d.date = m_date->date();
    d.name = m_nameEdit->text();
    d.amount = m_amountEdit->text();
    d.currencySign =
        m_currencySignBox->currentIndex() >= 0 ? m_currencySignBox->currentText() : QString();
    d.rate = m_rateEdit->text();
    // A stored period other than a year or a month stays until the user picks one.
    const bool keep = !m_periodChosen && !m_storedType.isEmpty() &&
                      m_storedType != QLatin1String("Y") && m_storedType != QLatin1String("M");
    d.type = keep ? m_storedType
                  : (m_perYearButton->isChecked() ? QStringLiteral("Y") : QStringLiteral("M"));
    d.account = m_accountBox->currentIndex() >= 0 ? m_accountBox->currentText() : QString();
    return d;
}

void DebtDialog::refillCurrencies() {
    FillCurrencySigns(m_currencySignBox, m_data.tbValuta);
}

void DebtDialog::refillAccounts() {
    m_accountBox->clear();
    m_accountBox->addItems(Names(m_data.tbGr1));
    m_accountBox->setCurrentIndex(-1);
}

std::optional<EntryRefusal> DebtDialog::checkInput() {
    const auto check = CheckDebt(debt());
    m_amountEdit->setText(check.entry.amount);
    m_rateEdit->setText(check.entry.rate);
    return check.refusal;
}

QWidget* DebtDialog::control(EntryInput input) const {
    switch (input) {
    case EntryInput::Name:
        return m_nameEdit;
    case EntryInput::Rate:
        return m_rateEdit;
    case EntryInput::Amount:
        return m_amountEdit;
    case EntryInput::Account:
        return m_accountBox;
    case EntryInput::Currency:
        return m_currencySignBox;
    default:
        return nullptr;
    }
}

void DebtDialog::translateFrames() {
    Translate(m_borrowedButton, QStringLiteral("credit"));
    Translate(m_lentButton, QStringLiteral("debit"));
    Translate(m_kindFrame, QStringLiteral("type"));
    Translate(m_accountFrame, QStringLiteral("account"));
    Translate(m_nameFrame, QStringLiteral("name"));
    Translate(m_amountFrame, QStringLiteral("amount"));
    Translate(m_rateFrame, QStringLiteral("percents"));
    Translate(m_periodLabel, QStringLiteral("count"));
    Translate(m_perYearButton, QStringLiteral("year"));
    Translate(m_perMonthButton, QStringLiteral("month"));
}

// ---- the repayment dialog ----

RepaymentDialog::RepaymentDialog(LedgerTables& tables, QWidget* parent)
    : EntryDialog(tables, "TEditOplata", parent) {
    makeDateRow("DateTimePicker1");
    m_amountEdit = Named(new QLineEdit(this), "Value");
    m_amountCalculator = CalculatorButton(this, "SpeedButton6");
    m_amountFrame = Frame(this, QStringLiteral(" Amount "), {m_amountEdit, m_amountCalculator});
    m_commentEdit = Named(new QLineEdit(this), "Edit1");
    m_commentFrame = Frame(this, QStringLiteral(" Comment "), {m_commentEdit});
    layOut({m_dateFrame, m_amountFrame, m_commentFrame});
    connect(m_amountCalculator, &QToolButton::clicked, this, [this] { calculate(m_amountEdit); });
}

void RepaymentDialog::prepareNew() {
    m_captionKey = QStringLiteral("caption016");
    setWindowTitle(QString());
    m_date->setDate(Clock::today());
    m_amountEdit->clear();
    m_commentEdit->clear();
}

Repayment RepaymentDialog::repayment() const {
    return {m_date->date(), m_amountEdit->text(), m_commentEdit->text()};
}

std::optional<EntryRefusal> RepaymentDialog::checkInput() {
    const auto check = CheckRepayment(repayment());
    m_amountEdit->setText(check.entry.amount);
    return check.refusal;
}

QWidget* RepaymentDialog::control(EntryInput input) const {
    return input == EntryInput::Amount ? m_amountEdit : nullptr;
}

void RepaymentDialog::translateFrames() {
    Translate(m_amountFrame, QStringLiteral("amount"));
    Translate(m_commentFrame, QStringLiteral("comment"));
}

} // namespace zovi
