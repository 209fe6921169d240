#include "ledger/transferdialog.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/translate.h"
#include "store/datamodules.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace zovi {

TransferDialog::TransferDialog(LedgerTables& tables, QWidget* parent)
    : EntryDialog(tables, "Tperevod_form", parent) {
    setWindowTitle(QString::fromUtf8("Перевод денег"));

    makeDateRow("DateTimePicker1");
    DateTimePicker1 = m_date;
    Value = Named(new QLineEdit(QStringLiteral("0"), this), "Value");
    SpeedButton1 = SmallButton(this, "SpeedButton1", QStringLiteral("="));
    SpeedButton1->setToolTip(QStringLiteral("Calculator"));
    ComboBox3 = Named(new QComboBox(this), "ComboBox3");
    Label1 = Named(new QLabel(QStringLiteral("From"), this), "Label1");
    ComboBox1 = Named(new QComboBox(this), "ComboBox1");
    Label2 = Named(new QLabel(QStringLiteral("To"), this), "Label2");
    ComboBox2 = Named(new QComboBox(this), "ComboBox2");
    Label3 = Named(new QLabel(this), "Label3");
    Edit1 = Named(new QLineEdit(this), "Edit1");
    SpeedButton2 = SmallButton(this, "SpeedButton2", QStringLiteral("..."));
    SpeedButton2->setToolTip(QStringLiteral("Name from the destination account"));
    Label4 = Named(new QLabel(this), "Label4");
    Edit2 = Named(new QLineEdit(this), "Edit2");
    SpeedButton5 = SmallButton(this, "SpeedButton5", QStringLiteral("..."));
    SpeedButton5->setToolTip(QStringLiteral("Name from the source account"));

    m_amountFrame = Frame(this, QStringLiteral(" Amount "), {Value, SpeedButton1, ComboBox3});
    m_accountsFrame = new QGroupBox(QStringLiteral(" Accounts "), this);
    auto* accounts = new QGridLayout(m_accountsFrame);
    accounts->addWidget(Label1, 0, 0);
    accounts->addWidget(ComboBox1, 0, 1);
    accounts->addWidget(Label2, 1, 0);
    accounts->addWidget(ComboBox2, 1, 1);
    accounts->setColumnStretch(1, 1);
    m_nameFrame = new QGroupBox(QStringLiteral(" Name "), this);
    auto* names = new QGridLayout(m_nameFrame);
    names->addWidget(Label3, 0, 0, 1, 2);
    names->addWidget(Edit1, 1, 0);
    names->addWidget(SpeedButton2, 1, 1);
    names->addWidget(Label4, 2, 0, 1, 2);
    names->addWidget(Edit2, 3, 0);
    names->addWidget(SpeedButton5, 3, 1);

    layOut({m_dateFrame, m_amountFrame, m_accountsFrame, m_nameFrame});

    connect(SpeedButton1, &QToolButton::clicked, this, [this] { calculate(Value); });
    connect(ComboBox1, &QComboBox::activated, this, &TransferDialog::SetUser);
    connect(ComboBox2, &QComboBox::activated, this, &TransferDialog::SetUser);
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { proposeName(true); });
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { proposeName(false); });
}

void TransferDialog::prepareNew(const QString& tab) {
    m_captionKey = QStringLiteral("caption007");
    ReValuta();
    Edit1->clear();
    Edit2->clear();
    Value->setText(QStringLiteral("0"));
    DateTimePicker1->setDate(Clock::today());
    fillAccounts();
    Select(ComboBox1, tab);
    // The account after the source, the first one without a source, none after the last.
    const int next = ComboBox1->currentIndex() + 1;
    ComboBox2->setCurrentIndex(next < ComboBox2->count() ? next : -1);
    SetUser();
}

void TransferDialog::prepareEdit(const Transfer& transfer) {
    m_captionKey = QStringLiteral("caption008");
    ReValuta();
    fillAccounts();
    Select(ComboBox1, transfer.from);
    Select(ComboBox2, transfer.to);
    Edit1->setText(transfer.nameOut);
    Edit2->setText(transfer.nameIn);
    DateTimePicker1->setDate(transfer.date);
    Value->setText(transfer.amount);
    if (!transfer.currencySign.isEmpty())
        Select(ComboBox3, transfer.currencySign);
    if (ComboBox3->currentIndex() < 0 && ComboBox3->count() > 0)
        ComboBox3->setCurrentIndex(0);
    // The labels name this transfer's accounts; the stored names are not proposed again.
    setLabels();
}

Transfer TransferDialog::transfer() const {
    Transfer t;
    t.date = DateTimePicker1->date();
    t.amount = Value->text();
    t.currencySign = ComboBox3->currentText();
    t.from = ComboBox1->currentIndex() >= 0 ? ComboBox1->currentText() : QString();
    t.to = ComboBox2->currentIndex() >= 0 ? ComboBox2->currentText() : QString();
    t.nameOut = Edit1->text();
    t.nameIn = Edit2->text();
    return t;
}

void TransferDialog::ReValuta() {
    FillCurrencySigns(ComboBox3, m_data.tbValuta);
}

void TransferDialog::fillAccounts() {
    const QStringList accounts = Names(m_data.tbGr1);
    for (QComboBox* list : {ComboBox1, ComboBox2}) {
        list->clear();
        list->addItems(accounts);
        list->setCurrentIndex(-1);
    }
}

void TransferDialog::SetUser() {
    setLabels();
    proposeName(true);
    proposeName(false);
}

void TransferDialog::setLabels() {
    const QString prefix = LangText(QStringLiteral("transfer for"), QString());
    Label3->setText(prefix + u' ' + ComboBox1->currentText() + u':');
    Label4->setText(prefix + u' ' + ComboBox2->currentText() + u':');
}

// The leaving row is named after the destination, the arriving row after the source: by the
// translated word when there is one, otherwise by the other row's label without its colon.
void TransferDialog::proposeName(bool leaving) {
    QString text;
    if (LangString(leaving ? QStringLiteral("transferout") : QStringLiteral("transferin"), text))
        text += u' ' + (leaving ? ComboBox2 : ComboBox1)->currentText();
    else
        text = (leaving ? Label4 : Label3)->text().chopped(1);
    (leaving ? Edit1 : Edit2)->setText(text);
}

std::optional<EntryRefusal> TransferDialog::checkInput() {
    const auto check = CheckTransfer(m_data, transfer());
    if (!check.refusal)
        Value->setText(check.entry.amount);
    return check.refusal;
}

QWidget* TransferDialog::control(EntryInput input) const {
    switch (input) {
    case EntryInput::Amount:
        return Value;
    case EntryInput::Account:
        return ComboBox1;
    case EntryInput::SecondAccount:
        return ComboBox2;
    case EntryInput::Name:
        return Edit1;
    case EntryInput::SecondName:
        return Edit2;
    default:
        return nullptr;
    }
}

void TransferDialog::translateFrames() {
    Translate(m_amountFrame, QStringLiteral("amount"));
    Translate(m_accountsFrame, QStringLiteral("accounts"));
    Translate(m_nameFrame, QStringLiteral("name"));
    Translate(Label1, QStringLiteral("from"));
    Translate(Label2, QStringLiteral("to"));
}

} // namespace zovi
