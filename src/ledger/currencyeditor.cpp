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

    NameLabel = Named(new QLabel(u"Name"_s, this), u"NameLabel"_s);
    Name = Named(new QLineEdit(this), u"Name"_s);
    ZnakLabel = Named(new QLabel(u"Mark"_s, this), u"ZnakLabel"_s);
    Znak = Named(new QLineEdit(this), u"Znak"_s);
    KursLabel = Named(new QLabel(u"Rate"_s, this), u"KursLabel"_s);
    Kurs = Named(new QLineEdit(this), u"Kurs"_s);
    OldValueLabel = Named(new QLabel(u"Old Value"_s, this), u"OldValueLabel"_s);
    OldValue = Named(new QLineEdit(this), u"OldValue"_s);

    RatioGroup = Named(new QGroupBox(u" Ratio to main currency "_s, this), u"RatioGroup"_s);
    More = Named(new QRadioButton(u"More"_s, RatioGroup), u"More"_s);
    Less = Named(new QRadioButton(u"Less"_s, RatioGroup), u"Less"_s);
    // The small buttons show the direction of each choice and select it too.
    MoreButton = Named(new QToolButton(RatioGroup), u"MoreButton"_s);
    MoreButton->setText(u">"_s);
    LessButton = Named(new QToolButton(RatioGroup), u"LessButton"_s);
    LessButton->setText(u"<"_s);
    auto* ratio = new QGridLayout(RatioGroup);
    ratio->addWidget(MoreButton, 0, 0);
    ratio->addWidget(More, 0, 1);
    ratio->addWidget(LessButton, 1, 0);
    ratio->addWidget(Less, 1, 1);
    ratio->setColumnStretch(1, 1);

    MainLabel = Named(new QLabel(u"Main currency"_s, this), u"MainLabel"_s);

    OkButton = Named(new QPushButton(u"OK"_s, this), u"OkButton"_s);
    OkButton->setDefault(true);
    CancelButton = Named(new QPushButton(u"Cancel"_s, this), u"CancelButton"_s);
    CancelButton->setAutoDefault(false);

    connect(MoreButton, &QToolButton::clicked, More, [this] { More->setChecked(true); });
    connect(LessButton, &QToolButton::clicked, Less, [this] { Less->setChecked(true); });
    connect(OkButton, &QPushButton::clicked, this, &CurrencyEditor::OkClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(NameLabel, Name);
    fields->addRow(ZnakLabel, Znak);
    fields->addRow(KursLabel, Kurs);
    fields->addRow(OldValueLabel, OldValue);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(RatioGroup);
    layout->addWidget(MainLabel);
    layout->addLayout(ButtonRow({OkButton, CancelButton}));
    setMinimumWidth(300);
    setAddMode();
}

void CurrencyEditor::setMainCurrency(bool main) {
    m_main = main;
    // The main currency's rate is always 1 and has no direction to choose.
    Kurs->setEnabled(!main);
    RatioGroup->setEnabled(!main);
    for (QWidget* choice : {static_cast<QWidget*>(More), static_cast<QWidget*>(Less),
                            static_cast<QWidget*>(MoreButton), static_cast<QWidget*>(LessButton)})
        choice->setEnabled(!main);
    MainLabel->setVisible(main);
}

void CurrencyEditor::setAddMode() {
    setWindowTitle(LangText(u"caption002"_s, QString()));
    setMainCurrency(false);
    Name->clear();
    Znak->clear();
    Kurs->setText(u"1"_s);
    OldValue->setText(u"0"_s);
    Less->setChecked(true);
}

void CurrencyEditor::setEditMode(const Currency& currency) {
    setWindowTitle(LangText(u"caption003"_s, QString()));
    setMainCurrency(currency.Def);
    Name->setText(currency.Name);
    Znak->setText(currency.Znak);
    Kurs->setText(NumberText(currency.Kurs));
    OldValue->setText(currency.OldValue);
    (currency.More ? More : Less)->setChecked(true);
}

CurrencyInput CurrencyEditor::input() const {
    return {Name->text(), Znak->text(), Kurs->text(), OldValue->text(), More->isChecked()};
}

void CurrencyEditor::showEvent(QShowEvent* event) {
    Translate(NameLabel, u"name"_s);
    Translate(ZnakLabel, u"mark"_s);
    Translate(KursLabel, u"rate"_s);
    Translate(OldValueLabel, u"oldvalue"_s);
    Translate(More, u"more"_s);
    Translate(Less, u"less"_s);
    Translate(RatioGroup, u"ratio to main"_s);
    Translate(MainLabel, u"err010"_s);
    QDialog::showEvent(event);
    Name->setFocus();
}

// A rate that is not a positive number or an opening balance that is not a number is refused
// here, so that the user can correct it while the input is still on the screen.
void CurrencyEditor::OkClick() {
    try {
        CheckCurrencyInput(input(), m_main);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    accept();
}

} // namespace zovi
