#include "ledger/exchangedialog.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/textutil.h"
#include "core/translate.h"
#include "ledger/entrycontrols.h"
#include "ledger/standardentry.h"
#include "store/datamodules.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace zovi {

TObmen::TObmen(Tdata& tables, QWidget* parent) : FadingDialog(parent), m_data(tables) {
    setObjectName(QStringLiteral("TObmen"));
    setModal(true);
    setWindowTitle(QStringLiteral("Conversion of currency"));

    DateTimePicker1 = Named(new QDateEdit(this), "DateTimePicker1");
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    SpeedButton3 = SmallButton(this, "SpeedButton3", QStringLiteral("<"));
    SpeedButton4 = SmallButton(this, "SpeedButton4", QStringLiteral(">"));
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
    Button1 = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    Button1->setDefault(true);
    Button2 = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");

    m_dateFrame =
        Frame(this, QStringLiteral(" Date "), {SpeedButton3, DateTimePicker1, SpeedButton4});
    m_amountFrame = Frame(this, QStringLiteral(" Amount "), {Edit1, SpeedButton1});
    m_currencyFrame = Frame(this, QStringLiteral(" Currency "), {ComboBox1, to, ComboBox2});
    m_rateFrame = Frame(this, QStringLiteral(" Rate "), {Edit3, SpeedButton5});
    m_nameFrame = Frame(this, QStringLiteral(" Name "), {Edit2, SpeedButton2});

    auto* layout = new QVBoxLayout(this);
    for (QGroupBox* frame : {m_dateFrame, m_amountFrame, m_currencyFrame, m_rateFrame, m_nameFrame})
        layout->addWidget(frame);
    layout->addLayout(ButtonRow({Button1, Button2}));
    setMinimumWidth(360);

    connect(SpeedButton3, &QToolButton::clicked, this,
            [this] { DateTimePicker1->setDate(DateTimePicker1->date().addDays(-1)); });
    connect(SpeedButton4, &QToolButton::clicked, this,
            [this] { DateTimePicker1->setDate(DateTimePicker1->date().addDays(1)); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { openCalculator(Edit1); });
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { openCalculator(Edit3); });
    connect(SpeedButton2, &QToolButton::clicked, this, &TObmen::proposeName);
    connect(Button1, &QPushButton::clicked, this, &TObmen::check);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TObmen::prepareNew() {
    m_captionKey = QStringLiteral("caption006");
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
    ReValuta();
    DateTimePicker1->setDate(Clock::today());
}

void TObmen::prepareEdit(const ExchangeEntry& entry) {
    m_captionKey = QStringLiteral("caption009");
    ReValuta();
    Edit1->setText(entry.amount);
    Edit2->setText(entry.name);
    Edit3->setText(entry.rate);
    selectSigns(entry.givenSign, entry.receivedSign);
    DateTimePicker1->setDate(entry.date);
}

void TObmen::selectSigns(const QString& given, const QString& received) {
    // An empty sign stands for a currency that is gone (ReadExchange).
    for (const auto& [list, sign] : {std::pair{ComboBox1, given}, std::pair{ComboBox2, received}}) {
        if (sign.isEmpty())
            list->setCurrentIndex(-1);
        else
            Select(list, sign);
    }
}

ExchangeEntry TObmen::entry() const {
    ExchangeEntry e;
    e.date = DateTimePicker1->date();
    e.name = Edit2->text();
    e.amount = Edit1->text();
    e.rate = Edit3->text();
    e.givenSign = ComboBox1->currentText();
    e.receivedSign = ComboBox2->currentText();
    return e;
}

void TObmen::ReValuta() {
    const QStringList signs = CurrencySigns(m_data.tbValuta);
    for (QComboBox* list : {ComboBox1, ComboBox2}) {
        list->clear();
        list->addItems(signs);
        list->setCurrentIndex(signs.isEmpty() ? -1 : 0);
    }
}

void TObmen::proposeName() {
    // Fixed texts: the proposal is not translated.
    Edit2->setText(QStringLiteral("Conversion ") + Edit1->text() + QLatin1Char(' ') +
                   ComboBox1->currentText() + QStringLiteral(" to ") + ComboBox2->currentText());
}

void TObmen::openCalculator(QLineEdit* field) {
    if (!m_calculator)
        return;
    QString text = field->text();
    if (m_calculator(text))
        field->setText(text);
}

void TObmen::check() {
    // ToAmount refuses what IsNotNumber refuses, and also what passes that character check
    // without being one number ("1.2.3").
    if (!ToAmount(Edit1->text())) {
        Messages::error(this, LangText(QStringLiteral("err004"), QStringLiteral("Error #004")));
        return;
    }
    if (IsBlank(Edit2->text())) {
        Messages::error(this, LangText(QStringLiteral("err001"), QStringLiteral("Error #001")));
        return;
    }
    // A rate of 0 would make the amount received a division by zero.
    const auto rate = ToAmount(Edit3->text());
    if (!rate || *rate == 0) {
        Messages::error(this, LangText(QStringLiteral("err005"), QStringLiteral("Error #005")));
        return;
    }
    if (ComboBox1->currentIndex() < 0 || ComboBox2->currentIndex() < 0) {
        Messages::error(this, QStringLiteral("Choose the currency given and the currency "
                                             "received."));
        return;
    }
    if (ComboBox1->currentIndex() == ComboBox2->currentIndex()) {
        Messages::error(this, LangText(QStringLiteral("err006"), QStringLiteral("Error #006")));
        return;
    }
    QString text = Edit3->text();
    NormalizeDecimal(Edit3->text(), text);
    Edit3->setText(text);
    text = Edit1->text();
    NormalizeDecimal(Edit1->text(), text);
    Edit1->setText(text);
    accept();
}

void TObmen::translate() {
    Translate(m_dateFrame, QStringLiteral("date"));
    Translate(m_nameFrame, QStringLiteral("name"));
    Translate(m_amountFrame, QStringLiteral("amount"));
    Translate(m_rateFrame, QStringLiteral("rate"));
    Translate(m_currencyFrame, QStringLiteral("currency"));
    Translate(this, m_captionKey);
}

void TObmen::showEvent(QShowEvent* event) {
    translate();
    FadingDialog::showEvent(event);
}

} // namespace zovi
