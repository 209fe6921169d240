#include "ledger/transferdialog.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/translate.h"
#include "ledger/repeatbox.h"
#include "store/datamodules.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace zovi {

TransferDialog::TransferDialog(LedgerTables& tables, QWidget* parent)
    : EntryDialog(tables, "Tperevod_form", parent) {
    setWindowTitle(QString::fromUtf8("Перевод денег"));

    makeDateRow("DateTimePicker1");
    m_amountEdit = Named(new QLineEdit(QStringLiteral("0"), this), "Value");
    m_calculatorButton = SmallButton(this, "SpeedButton1", QStringLiteral("="));
    m_calculatorButton->setToolTip(
        LangText(QStringLiteral("calculator"), QStringLiteral("Calculator")));
    m_currencyBox = Named(new QComboBox(this), "ComboBox3");
    m_fromLabel = Named(new QLabel(QStringLiteral("From"), this), "Label1");
    m_fromAccountBox = Named(new QComboBox(this), "ComboBox1");
    m_toLabel = Named(new QLabel(QStringLiteral("To"), this), "Label2");
    m_toAccountBox = Named(new QComboBox(this), "ComboBox2");
    m_leavingNameLabel = Named(new QLabel(this), "Label3");
    m_leavingNameEdit = Named(new QLineEdit(this), "Edit1");
    m_proposeLeavingNameButton = SmallButton(this, "SpeedButton2", QStringLiteral("..."));
    m_proposeLeavingNameButton->setToolTip(
        LangText(QStringLiteral("namefromdestination"),
                 QStringLiteral("Name from the destination account")));
    m_arrivingNameLabel = Named(new QLabel(this), "Label4");
    m_arrivingNameEdit = Named(new QLineEdit(this), "Edit2");
    m_proposeArrivingNameButton = SmallButton(this, "SpeedButton5", QStringLiteral("..."));
    m_proposeArrivingNameButton->setToolTip(
        LangText(QStringLiteral("namefromsource"), QStringLiteral("Name from the source account")));

    m_amountFrame =
        Frame(this, QStringLiteral(" Amount "), {m_amountEdit, m_calculatorButton, m_currencyBox});
    m_accountsFrame = new QGroupBox(QStringLiteral(" Accounts "), this);
    auto* accounts = new QGridLayout(m_accountsFrame);
    accounts->addWidget(m_fromLabel, 0, 0);
    accounts->addWidget(m_fromAccountBox, 0, 1);
    accounts->addWidget(m_toLabel, 1, 0);
    accounts->addWidget(m_toAccountBox, 1, 1);
    accounts->setColumnStretch(1, 1);
    m_nameFrame = new QGroupBox(QStringLiteral(" Name "), this);
    auto* names = new QGridLayout(m_nameFrame);
    names->addWidget(m_leavingNameLabel, 0, 0, 1, 2);
    names->addWidget(m_leavingNameEdit, 1, 0);
    names->addWidget(m_proposeLeavingNameButton, 1, 1);
    names->addWidget(m_arrivingNameLabel, 2, 0, 1, 2);
    names->addWidget(m_arrivingNameEdit, 3, 0);
    names->addWidget(m_proposeArrivingNameButton, 3, 1);

    m_repeatBox = new RepeatBox(this);

    layOut({m_dateFrame, m_amountFrame, m_accountsFrame, m_nameFrame, m_repeatBox});
    m_repeatBox->chainFocus(m_proposeArrivingNameButton, m_okButton);

    connect(m_calculatorButton, &QToolButton::clicked, this, [this] { calculate(m_amountEdit); });
    connect(m_fromAccountBox, &QComboBox::activated, this, &TransferDialog::onAccountChosen);
    connect(m_toAccountBox, &QComboBox::activated, this, &TransferDialog::onAccountChosen);
    connect(m_proposeLeavingNameButton, &QToolButton::clicked, this, [this] { proposeName(true); });
    connect(m_proposeArrivingNameButton, &QToolButton::clicked, this,
            [this] { proposeName(false); });
}

void TransferDialog::prepareNew(const QString& tab) {
    m_captionKey = QStringLiteral("caption007");
    refillCurrencies();
    m_leavingNameEdit->clear();
    m_arrivingNameEdit->clear();
    m_amountEdit->setText(QStringLiteral("0"));
    m_date->setDate(Clock::today());
    m_repeatBox->reset(m_date->date());
    m_repeatBox->show();
    fillAccounts();
    Select(m_fromAccountBox, tab);
    // The account after the source, the first one without a source, none after the last.
    const int next = m_fromAccountBox->currentIndex() + 1;
    m_toAccountBox->setCurrentIndex(next < m_toAccountBox->count() ? next : -1);
    onAccountChosen();
}

void TransferDialog::prepareEdit(const Transfer& transfer) {
    m_captionKey = QStringLiteral("caption008");
    // An edited transfer is stored once, as it is.
    m_repeatBox->reset(transfer.date);
    m_repeatBox->hide();
    refillCurrencies();
    fillAccounts();
    Select(m_fromAccountBox, transfer.from);
    Select(m_toAccountBox, transfer.to);
    m_leavingNameEdit->setText(transfer.nameOut);
    m_arrivingNameEdit->setText(transfer.nameIn);
    m_date->setDate(transfer.date);
    m_amountEdit->setText(transfer.amount);
    if (!transfer.currencySign.isEmpty())
        Select(m_currencyBox, transfer.currencySign);
    if (m_currencyBox->currentIndex() < 0 && m_currencyBox->count() > 0)
        m_currencyBox->setCurrentIndex(0);
    // The labels name this transfer's accounts; the stored names are not proposed again.
    setLabels();
}

Transfer TransferDialog::transfer() const {
    Transfer t;
    t.date = m_date->date();
    t.amount = m_amountEdit->text();
    t.currencySign = m_currencyBox->currentText();
    t.from = m_fromAccountBox->currentIndex() >= 0 ? m_fromAccountBox->currentText() : QString();
    t.to = m_toAccountBox->currentIndex() >= 0 ? m_toAccountBox->currentText() : QString();
    t.nameOut = m_leavingNameEdit->text();
    t.nameIn = m_arrivingNameEdit->text();
    return t;
}

std::optional<Repeat> TransferDialog::repeat() const {
    return m_repeatBox->repeat();
}

void TransferDialog::refillCurrencies() {
    FillCurrencySigns(m_currencyBox, m_data.tbValuta);
}

void TransferDialog::fillAccounts() {
    const QStringList accounts = Names(m_data.tbGr1);
    for (QComboBox* list : {m_fromAccountBox, m_toAccountBox}) {
        list->clear();
        list->addItems(accounts);
        list->setCurrentIndex(-1);
    }
}

void TransferDialog::onAccountChosen() {
    setLabels();
    proposeName(true);
    proposeName(false);
}

void TransferDialog::setLabels() {
    const QString prefix = LangText(QStringLiteral("transfer for"), QString());
    m_leavingNameLabel->setText(prefix + u' ' + m_fromAccountBox->currentText() + u':');
    m_arrivingNameLabel->setText(prefix + u' ' + m_toAccountBox->currentText() + u':');
}

// The leaving row is named after the destination, the arriving row after the source: by the
// translated word when there is one, otherwise by the other row's label without its colon.
void TransferDialog::proposeName(bool leaving) {
    QString text;
    if (LangString(leaving ? QStringLiteral("transferout") : QStringLiteral("transferin"), text))
        text += u' ' + (leaving ? m_toAccountBox : m_fromAccountBox)->currentText();
    else
        text = (leaving ? m_arrivingNameLabel : m_leavingNameLabel)->text().chopped(1);
    (leaving ? m_leavingNameEdit : m_arrivingNameEdit)->setText(text);
}

std::optional<EntryRefusal> TransferDialog::checkInput() {
    const auto check = CheckTransfer(m_data, transfer());
    if (check.refusal)
        return check.refusal;
    m_amountEdit->setText(check.entry.amount);
    return m_repeatBox->refusal(m_date->date());
}

QWidget* TransferDialog::control(EntryInput input) const {
    switch (input) {
    case EntryInput::Amount:
        return m_amountEdit;
    case EntryInput::Account:
        return m_fromAccountBox;
    case EntryInput::SecondAccount:
        return m_toAccountBox;
    case EntryInput::Name:
        return m_leavingNameEdit;
    case EntryInput::SecondName:
        return m_arrivingNameEdit;
    case EntryInput::Repeat:
        return m_repeatBox->refusedControl();
    default:
        return nullptr;
    }
}

void TransferDialog::translateFrames() {
    Translate(m_amountFrame, QStringLiteral("amount"));
    Translate(m_accountsFrame, QStringLiteral("accounts"));
    Translate(m_nameFrame, QStringLiteral("name"));
    Translate(m_fromLabel, QStringLiteral("from"));
    Translate(m_toLabel, QStringLiteral("to"));
    m_repeatBox->translate();
}

} // namespace zovi
