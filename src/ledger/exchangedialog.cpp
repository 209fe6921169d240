#include "ledger/exchangedialog.h"

#include "core/clock.h"
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

ExchangeDialog::ExchangeDialog(LedgerTables& tables, QWidget* parent) : EntryDialog(tables, "TObmen", parent) {
    setWindowTitle(QStringLiteral("Conversion of currency"));

    makeDateRow("DateTimePicker1");
    DateTimePicker1 = m_date;
    Edit1 = Named(new QLineEdit(this), "Edit1");
    SpeedButton1 = SmallButton(this, "SpeedButton1", QStringLiteral("="));
    SpeedButton1->setToolTip(QStringLiteral("Calculator"));
    ComboBox1 = Named(new QComboBox(this), "ComboBox1");
    ComboBox2 = Named(new QComboBox(this), "ComboBox2");
    auto* to = new QLabel(QStringLiteral("to"), this);
    Edit3 = Named(new QLineEdit(this), "Edit3");
    SpeedButton5 = SmallButton(this, "SpeedButton5", QStringLiteral("="));
    SpeedButton5->setToolTip(QStringLiteral("Calculator"));
    Edit2 = Named(new QLineEdit(this), "Edit2");
    SpeedButton2 = SmallButton(this, "SpeedButton2", QStringLiteral("..."));
    SpeedButton2->setToolTip(QStringLiteral("Name from the amount and the currencies"));

    m_amountFrame = Frame(this, QStringLiteral(" Amount "), {Edit1, SpeedButton1});
    m_currencyFrame = Frame(this, QStringLiteral(" Currency "), {ComboBox1, to, ComboBox2});
    m_rateFrame = Frame(this, QStringLiteral(" Rate "), {Edit3, SpeedButton5});
    m_nameFrame = Frame(this, QStringLiteral(" Name "), {Edit2, SpeedButton2});

    layOut({m_dateFrame, m_amountFrame, m_currencyFrame, m_rateFrame, m_nameFrame});

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { calculate(Edit1); });
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { calculate(Edit3); });
    connect(SpeedButton2, &QToolButton::clicked, this, &ExchangeDialog::proposeName);
}

void ExchangeDialog::prepareNew() {
    m_captionKey = QStringLiteral("caption006");
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
    ReValuta();
    DateTimePicker1->setDate(Clock::today());
}

void ExchangeDialog::prepareEdit(const ExchangeEntry& entry) {
    m_captionKey = QStringLiteral("caption009");
    ReValuta();
    Edit1->setText(entry.amount);
    Edit2->setText(entry.name);
    Edit3->setText(entry.rate);
    selectSigns(entry.givenSign, entry.receivedSign);
    DateTimePicker1->setDate(entry.date);
}

void ExchangeDialog::selectSigns(const QString& given, const QString& received) {
    // An empty sign stands for a currency that is gone (ReadExchange).
    for (const auto& [list, sign] : {std::pair{ComboBox1, given}, std::pair{ComboBox2, received}}) {
        if (sign.isEmpty())
            list->setCurrentIndex(-1);
        else
            Select(list, sign);
    }
}

ExchangeEntry ExchangeDialog::entry() const {
    ExchangeEntry e;
    e.date = DateTimePicker1->date();
    e.name = Edit2->text();
    e.amount = Edit1->text();
    e.rate = Edit3->text();
    e.givenSign = ComboBox1->currentText();
    e.receivedSign = ComboBox2->currentText();
    return e;
}

void ExchangeDialog::ReValuta() {
    for (QComboBox* list : {ComboBox1, ComboBox2})
        FillCurrencySigns(list, m_data.tbValuta);
}

void ExchangeDialog::proposeName() {
    // Fixed texts: the proposal is not translated.
    Edit2->setText(QStringLiteral("Conversion ") + Edit1->text() + QLatin1Char(' ') +
                   ComboBox1->currentText() + QStringLiteral(" to ") + ComboBox2->currentText());
}

std::optional<EntryRefusal> ExchangeDialog::checkInput() {
    const auto check = CheckExchange(m_data, entry());
    if (!check.refusal) {
        Edit3->setText(check.entry.rate);
        Edit1->setText(check.entry.amount);
    }
    return check.refusal;
}

QWidget* ExchangeDialog::control(EntryInput input) const {
    switch (input) {
    case EntryInput::Amount:
        return Edit1;
    case EntryInput::Name:
        return Edit2;
    case EntryInput::Rate:
        return Edit3;
    case EntryInput::Currency:
        return ComboBox1;
    case EntryInput::SecondCurrency:
        return ComboBox2;
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
