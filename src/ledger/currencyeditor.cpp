#include "ledger/currencyeditor.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/textutil.h"
#include "core/translate.h"
#include "store/error.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

CurrencyEditor::CurrencyEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(u"TEditValuta"_s);
    setModal(true);

    m_nameLabel = Named(new QLabel(u"Name"_s, this), u"NameLabel"_s);
    m_nameEdit = Named(new QLineEdit(this), u"Name"_s);
    m_signLabel = Named(new QLabel(u"Mark"_s, this), u"ZnakLabel"_s);
    m_signEdit = Named(new QLineEdit(this), u"Znak"_s);
    m_rateLabel = Named(new QLabel(u"Rate"_s, this), u"KursLabel"_s);
    m_rateEdit = Named(new QLineEdit(this), u"Kurs"_s);
    m_openingBalanceLabel = Named(new QLabel(u"Old Value"_s, this), u"OldValueLabel"_s);
    m_openingBalanceEdit = Named(new QLineEdit(this), u"OldValue"_s);

    m_ratioFrame = Named(new QGroupBox(u" Ratio to main currency "_s, this), u"RatioGroup"_s);
    m_moreChoice = Named(new QRadioButton(u"More"_s, m_ratioFrame), u"More"_s);
    m_lessChoice = Named(new QRadioButton(u"Less"_s, m_ratioFrame), u"Less"_s);
    // The small buttons show the direction of each choice and select it too.
    m_moreButton = Named(new QToolButton(m_ratioFrame), u"MoreButton"_s);
    m_moreButton->setText(u">"_s);
    m_lessButton = Named(new QToolButton(m_ratioFrame), u"LessButton"_s);
    m_lessButton->setText(u"<"_s);
    auto* ratio = new QGridLayout(m_ratioFrame);
    ratio->addWidget(m_moreButton, 0, 0);
    ratio->addWidget(m_moreChoice, 0, 1);
    ratio->addWidget(m_lessButton, 1, 0);
    ratio->addWidget(m_lessChoice, 1, 1);
    ratio->setColumnStretch(1, 1);

    m_mainLabel = Named(new QLabel(u"Main currency"_s, this), u"MainLabel"_s);

    m_okButton = Named(new QPushButton(u"OK"_s, this), u"OkButton"_s);
    m_okButton->setDefault(true);
    m_cancelButton = Named(new QPushButton(u"Cancel"_s, this), u"CancelButton"_s);
    m_cancelButton->setAutoDefault(false);

    connect(m_moreButton, &QToolButton::clicked, m_moreChoice,
            [this] { m_moreChoice->setChecked(true); });
    connect(m_lessButton, &QToolButton::clicked, m_lessChoice,
            [this] { m_lessChoice->setChecked(true); });
    connect(m_okButton, &QPushButton::clicked, this, &CurrencyEditor::onOkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(m_nameLabel, m_nameEdit);
    fields->addRow(m_signLabel, m_signEdit);
    fields->addRow(m_rateLabel, m_rateEdit);
    fields->addRow(m_openingBalanceLabel, m_openingBalanceEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_ratioFrame);
    layout->addWidget(m_mainLabel);
    layout->addLayout(ButtonRow({m_okButton, m_cancelButton}));
    // No minimum width of its own: the layout gives the window the width of its widest text,
    // also when the texts are translated as it is shown.
    setAddMode();
}

void CurrencyEditor::setMainCurrency(bool main) {
    m_main = main;
    // The main currency's rate is always 1 and has no direction to choose.
    m_rateEdit->setEnabled(!main);
    m_ratioFrame->setEnabled(!main);
    for (QWidget* choice :
         {static_cast<QWidget*>(m_moreChoice), static_cast<QWidget*>(m_lessChoice),
          static_cast<QWidget*>(m_moreButton), static_cast<QWidget*>(m_lessButton)})
        choice->setEnabled(!main);
    m_mainLabel->setVisible(main);
}

void CurrencyEditor::setAddMode() {
    setWindowTitle(LangText(u"caption002"_s, QString()));
    setMainCurrency(false);
    m_nameEdit->clear();
    m_signEdit->clear();
    m_rateEdit->setText(u"1"_s);
    m_openingBalanceEdit->setText(u"0"_s);
    m_lessChoice->setChecked(true);
}

void CurrencyEditor::setEditMode(const Currency& currency) {
    setWindowTitle(LangText(u"caption003"_s, QString()));
    setMainCurrency(currency.Def);
    m_nameEdit->setText(currency.Name);
    m_signEdit->setText(currency.Znak);
    m_rateEdit->setText(NumberText(currency.Kurs));
    m_openingBalanceEdit->setText(currency.OldValue);
    (currency.More ? m_moreChoice : m_lessChoice)->setChecked(true);
}

CurrencyInput CurrencyEditor::input() const {
    return {m_nameEdit->text(), m_signEdit->text(), m_rateEdit->text(),
            m_openingBalanceEdit->text(), m_moreChoice->isChecked()};
}

void CurrencyEditor::showEvent(QShowEvent* event) {
    Translate(m_nameLabel, u"name"_s);
    Translate(m_signLabel, u"mark"_s);
    Translate(m_rateLabel, u"rate"_s);
    Translate(m_openingBalanceLabel, u"oldvalue"_s);
    Translate(m_moreChoice, u"more"_s);
    Translate(m_lessChoice, u"less"_s);
    Translate(m_ratioFrame, u"ratio to main"_s);
    Translate(m_mainLabel, u"err010"_s);
    TranslateOkCancel(m_okButton, m_cancelButton);
    QDialog::showEvent(event);
    m_nameEdit->setFocus();
}

// A rate that is not a positive number or an opening balance that is not a number is refused
// here, so that the user can correct it while the input is still on the screen.
void CurrencyEditor::onOkClicked() {
    try {
        CheckCurrencyInput(input(), m_main);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    accept();
}

} // namespace zovi
