#include "ledger/exchangedialog.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/translate.h"
#include "ledger/entrycontrols.h"
#include "store/datamodules.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace zovi {

ExchangeDialog::ExchangeDialog(LedgerTables& tables, QWidget* parent)
    : EntryDialog(tables, "TObmen", parent) {
    setWindowTitle(QStringLiteral("Conversion of currency"));

    makeDateRow("DateTimePicker1");
    m_amountEdit = Named(new QLineEdit(this), "Edit1");
    m_amountCalculatorButton = SmallButton(this, "SpeedButton1", QStringLiteral("="));
    m_amountCalculatorButton->setToolTip(
        LangText(QStringLiteral("calculator"), QStringLiteral("Calculator")));
    m_givenCurrencyBox = Named(new QComboBox(this), "ComboBox1");
    m_receivedCurrencyBox = Named(new QComboBox(this), "ComboBox2");
    auto* to = new QLabel(LangText(QStringLiteral("exchangeto"), QStringLiteral("to")), this);
    m_rateEdit = Named(new QLineEdit(this), "Edit3");
    m_rateCalculatorButton = SmallButton(this, "SpeedButton5", QStringLiteral("="));
    m_rateCalculatorButton->setToolTip(
        LangText(QStringLiteral("calculator"), QStringLiteral("Calculator")));
    m_nameEdit = Named(new QLineEdit(this), "Edit2");
    m_proposeNameButton = SmallButton(this, "SpeedButton2", QStringLiteral("..."));
    m_proposeNameButton->setToolTip(
        LangText(QStringLiteral("namefromamount"),
                 QStringLiteral("Name from the amount and the currencies")));

    m_amountFrame =
        Frame(this, QStringLiteral(" Amount "), {m_amountEdit, m_amountCalculatorButton});
    m_currencyFrame =
        Frame(this, QStringLiteral(" Currency "), {m_givenCurrencyBox, to, m_receivedCurrencyBox});
    m_rateFrame = Frame(this, QStringLiteral(" Rate "), {m_rateEdit, m_rateCalculatorButton});
    m_nameFrame = Frame(this, QStringLiteral(" Name "), {m_nameEdit, m_proposeNameButton});

    layOut({m_dateFrame, m_amountFrame, m_currencyFrame, m_rateFrame, m_nameFrame});

    connect(m_amountCalculatorButton, &QToolButton::clicked, this,
            [this] { calculate(m_amountEdit); });
    connect(m_rateCalculatorButton, &QToolButton::clicked, this, [this] { calculate(m_rateEdit); });
    connect(m_proposeNameButton, &QToolButton::clicked, this, &ExchangeDialog::proposeName);
}

void ExchangeDialog::prepareNew() {
    m_captionKey = QStringLiteral("caption006");
    m_amountEdit->clear();
    m_nameEdit->clear();
    m_rateEdit->clear();
    refillCurrencies();
    m_date->setDate(Clock::today());
}

void ExchangeDialog::prepareEdit(const ExchangeEntry& entry) {
    m_captionKey = QStringLiteral("caption009");
    refillCurrencies();
    m_amountEdit->setText(entry.amount);
    m_nameEdit->setText(entry.name);
    m_rateEdit->setText(entry.rate);
    selectSigns(entry.givenSign, entry.receivedSign);
    m_date->setDate(entry.date);
}

void ExchangeDialog::selectSigns(const QString& given, const QString& received) {
    // An empty sign stands for a currency that is gone (ReadExchange).
    for (const auto& [list, sign] :
         {std::pair{m_givenCurrencyBox, given}, std::pair{m_receivedCurrencyBox, received}}) {
        if (sign.isEmpty())
            list->setCurrentIndex(-1);
        else
            Select(list, sign);
    }
}

ExchangeEntry ExchangeDialog::entry() const {
    ExchangeEntry e;
    e.date = m_date->date();
    e.name = m_nameEdit->text();
    e.amount = m_amountEdit->text();
    e.rate = m_rateEdit->text();
    e.givenSign = m_givenCurrencyBox->currentText();
    e.receivedSign = m_receivedCurrencyBox->currentText();
    return e;
}

void ExchangeDialog::refillCurrencies() {
    for (QComboBox* list : {m_givenCurrencyBox, m_receivedCurrencyBox})
        FillCurrencySigns(list, m_data.tbValuta);
}

void ExchangeDialog::proposeName() {
    // Fixed texts: the proposal is not translated.
    m_nameEdit->setText(QStringLiteral("Conversion ") + m_amountEdit->text() + QLatin1Char(' ') +
                        m_givenCurrencyBox->currentText() + QStringLiteral(" to ") +
                        m_receivedCurrencyBox->currentText());
}

std::optional<EntryRefusal> ExchangeDialog::checkInput() {
    const auto check = CheckExchange(m_data, entry());
    if (!check.refusal) {
        m_rateEdit->setText(check.entry.rate);
        m_amountEdit->setText(check.entry.amount);
    }
    return check.refusal;
}

QWidget* ExchangeDialog::control(EntryInput input) const {
    switch (input) {
    case EntryInput::Amount:
        return m_amountEdit;
    case EntryInput::Name:
        return m_nameEdit;
    case EntryInput::Rate:
        return m_rateEdit;
    case EntryInput::Currency:
        return m_givenCurrencyBox;
    case EntryInput::SecondCurrency:
        return m_receivedCurrencyBox;
    default:
        return nullptr;
    }
}

void ExchangeDialog::translateFrames() {
    Translate(m_nameFrame, QStringLiteral("name"));
    Translate(m_amountFrame, QStringLiteral("amount"));
    Translate(m_rateFrame, QStringLiteral("rate"));
    Translate(m_currencyFrame, QStringLiteral("currency"));
}

} // namespace zovi
