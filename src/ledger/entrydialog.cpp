#include "ledger/entrydialog.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/translate.h"
#include "ledger/entrycontrols.h"
#include "ledger/entrykinds.h"
#include "ledger/repeatbox.h"
#include "store/datamodules.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace zovi {

namespace {

// The names of a table's view, first to last, sorted ignoring letter case (equal names keep
// their table order).
QStringList SortedNames(TableHandle& t) {
    QStringList names = Names(t);
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

} // namespace

StandardEntryDialog::StandardEntryDialog(LedgerTables& tables, QWidget* parent)
    : EntryDialog(tables, "TFormEditRecord", parent) {
    m_incomeButton = ChoiceButton(this, "SpeedButton1", QStringLiteral("Income"));
    m_chargeButton = ChoiceButton(this, "SpeedButton2", QStringLiteral("Charge"));
    Choice(this, {m_incomeButton, m_chargeButton});

    makeDateRow("DateRecord");
    m_accountBox = Named(new QComboBox(this), "Account");
    m_nameEdit = Named(new QLineEdit(this), "NameRecord");
    // Earlier names containing the typed text, letter case ignored, most recent first.
    m_nameModel = new QStringListModel(this);
    m_nameCompleter = new QCompleter(m_nameModel, this);
    m_nameCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    m_nameCompleter->setFilterMode(Qt::MatchContains);
    m_nameCompleter->setModelSorting(QCompleter::UnsortedModel);
    m_nameCompleter->setMaxVisibleItems(12);
    m_nameEdit->setCompleter(m_nameCompleter);
    m_proposeNameButton = SmallButton(this, "SpeedButton9", QStringLiteral("..."));
    m_proposeNameButton->setToolTip(LangText(QStringLiteral("namefromgroup"),
                                             QStringLiteral("Name from the group and sub-group")));
    m_amountEdit = Named(new QLineEdit(this), "Value");
    m_calculatorButton = SmallButton(this, "SpeedButton6", QStringLiteral("="));
    m_calculatorButton->setToolTip(
        LangText(QStringLiteral("calculator"), QStringLiteral("Calculator")));
    m_currencyBox = Named(new QComboBox(this), "Currency");
    m_groupBox = Named(new QComboBox(this), "list1");
    m_editGroupsButton = SmallButton(this, "SpeedButton7", QStringLiteral("+/-"));
    m_subGroupBox = Named(new QComboBox(this), "list2");
    m_editSubGroupsButton = SmallButton(this, "SpeedButton8", QStringLiteral("+/-"));
    m_editGroupsButton->setEnabled(false);
    m_editSubGroupsButton->setEnabled(false);

    auto* sideRow = new QWidget(this);
    auto* sideLayout = new QHBoxLayout(sideRow);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_incomeButton);
    sideLayout->addWidget(m_chargeButton);
    m_accountFrame = Frame(this, QStringLiteral(" Account "), {m_accountBox});
    m_typeFrame = Frame(this, QStringLiteral(" Type "), {sideRow});
    m_nameFrame = Frame(this, QStringLiteral(" Name "), {m_nameEdit, m_proposeNameButton});
    m_amountFrame =
        Frame(this, QStringLiteral(" Amount "), {m_amountEdit, m_calculatorButton, m_currencyBox});
    m_groupFrame = Frame(this, QStringLiteral(" Group "), {m_groupBox, m_editGroupsButton});
    m_subGroupFrame =
        Frame(this, QStringLiteral(" Sub-group "), {m_subGroupBox, m_editSubGroupsButton});

    m_repeatBox = new RepeatBox(this);

    layOut({m_accountFrame, m_typeFrame, m_dateFrame, m_nameFrame, m_amountFrame, m_groupFrame,
            m_subGroupFrame, m_repeatBox});
    ChainFocus({m_accountBox, m_incomeButton, m_chargeButton, m_dayBackButton, m_date,
                m_dayForwardButton, m_nameEdit, m_proposeNameButton, m_amountEdit,
                m_calculatorButton, m_currencyBox, m_groupBox, m_editGroupsButton, m_subGroupBox,
                m_editSubGroupsButton});
    m_repeatBox->chainFocus(m_editSubGroupsButton, m_okButton);

    for (QToolButton* side : {m_incomeButton, m_chargeButton}) {
        connect(side, &QToolButton::clicked, this, &StandardEntryDialog::refillGroups);
        connect(side, &QToolButton::clicked, this, &StandardEntryDialog::offerNames);
    }
    connect(m_nameCompleter, qOverload<const QString&>(&QCompleter::activated), this,
            &StandardEntryDialog::fillFromEarlier);
    connect(m_groupBox, &QComboBox::activated, this, &StandardEntryDialog::refillSubGroups);
    connect(m_proposeNameButton, &QToolButton::clicked, this, &StandardEntryDialog::proposeName);
    connect(m_calculatorButton, &QToolButton::clicked, this, [this] { calculate(m_amountEdit); });
    for (QToolButton* editor : {m_editGroupsButton, m_editSubGroupsButton}) {
        connect(editor, &QToolButton::clicked, this, [this] {
            if (m_groupEditor)
                m_groupEditor(income());
        });
    }
}

void StandardEntryDialog::setGroupEditor(std::function<void(bool incomes)> editor) {
    m_groupEditor = std::move(editor);
    m_editGroupsButton->setEnabled(bool(m_groupEditor));
    m_editSubGroupsButton->setEnabled(bool(m_groupEditor));
}

void StandardEntryDialog::setSide(bool income) {
    (income ? m_incomeButton : m_chargeButton)->setChecked(true);
}

bool StandardEntryDialog::income() const {
    return m_incomeButton->isChecked();
}

void StandardEntryDialog::prepareNew(const QString& account) {
    m_captionKey = QStringLiteral("caption004");
    fillAccounts(account);
    m_earlierNames = EarlierNames(m_data);
    setSide(false);
    offerNames();
    refillCurrencies();
    refillGroups();
    refillSubGroups();
    m_date->setDate(Clock::today());
    m_amountEdit->clear();
    m_nameEdit->clear();
    m_repeatBox->reset(m_date->date());
    m_repeatBox->show();
}

void StandardEntryDialog::prepareEdit(const StandardEntry& entry, const QString& account) {
    m_captionKey = QStringLiteral("caption005");
    // An edited entry is stored once, as it is.
    m_repeatBox->reset(entry.date);
    m_repeatBox->hide();
    fillAccounts(account);
    m_earlierNames = EarlierNames();
    m_nameModel->setStringList({});
    refillCurrencies();
    setSide(entry.income);
    m_date->setDate(entry.date);
    m_nameEdit->setText(entry.name);
    m_amountEdit->setText(entry.amount);
    if (!entry.currencySign.isEmpty())
        Select(m_currencyBox, entry.currencySign);
    if (m_currencyBox->currentIndex() < 0 && m_currencyBox->count() > 0)
        m_currencyBox->setCurrentIndex(0);
    refillGroups();
    Select(m_groupBox, entry.group);
    refillSubGroups();
    Select(m_subGroupBox, entry.subGroup);
}

StandardEntry StandardEntryDialog::entry() const {
    StandardEntry e;
    e.income = income();
    e.date = m_date->date();
    e.name = m_nameEdit->text();
    e.amount = m_amountEdit->text();
    e.currencySign = m_currencyBox->currentText();
    e.group = m_groupBox->currentIndex() >= 0 ? m_groupBox->currentText() : QString();
    e.subGroup = m_subGroupBox->currentIndex() >= 0 ? m_subGroupBox->currentText() : QString();
    return e;
}

std::optional<Repeat> StandardEntryDialog::repeat() const {
    return m_repeatBox->repeat();
}

QString StandardEntryDialog::account() const {
    return m_accountBox->currentData().toString();
}

void StandardEntryDialog::fillAccounts(const QString& account) {
    m_accountBox->clear();
    for (const QString& name : Names(m_data.tbGr1))
        m_accountBox->addItem(name, name);
    // The entries of "[...]" show under every account tab; the label says so.
    m_accountBox->addItem(LangText(QStringLiteral("allaccountsentry"),
                                   QStringLiteral("[...] (counts in every account)")),
                          AllAccounts());
    // An account that is not listed (it was just deleted) stays the one chosen.
    if (m_accountBox->findData(account) < 0)
        m_accountBox->addItem(account, account);
    m_accountBox->setCurrentIndex(m_accountBox->findData(account));
}

void StandardEntryDialog::offerNames() {
    m_nameModel->setStringList(m_earlierNames.names(income()));
}

void StandardEntryDialog::fillFromEarlier(const QString& name) {
    const auto earlier = m_earlierNames.latest(income(), name);
    if (!earlier)
        return;
    Select(m_groupBox, earlier->group);
    refillSubGroups();
    Select(m_subGroupBox, earlier->subGroup);
    if (!earlier->currencySign.isEmpty())
        Select(m_currencyBox, earlier->currencySign);
    if (m_currencyBox->currentIndex() < 0 && m_currencyBox->count() > 0)
        m_currencyBox->setCurrentIndex(0);
    // The amount is a proposal: selected, so that typing replaces it.
    m_amountEdit->setText(earlier->amount);
    m_amountEdit->setFocus();
    m_amountEdit->selectAll();
}

void StandardEntryDialog::refillCurrencies() {
    FillCurrencySigns(m_currencyBox, m_data.tbValuta);
}

void StandardEntryDialog::refillGroups() {
    m_groupBox->clear();
    m_groupBox->addItems(SortedNames(income() ? m_data.tbGrD : m_data.tbGrR));
    m_groupBox->setCurrentIndex(-1);
}

void StandardEntryDialog::refillSubGroups() {
    m_subGroupBox->clear();
    if (m_groupBox->currentIndex() >= 0) {
        TableHandle& groups = income() ? m_data.tbGrD : m_data.tbGrR;
        TableHandle& subGroups = income() ? m_data.tbGrD2 : m_data.tbGrR2;
        // The sub-group view follows the current group.
        if (groups.isOpen() && groups.locate(fields::GroupTable::Name, m_groupBox->currentText()))
            m_subGroupBox->addItems(SortedNames(subGroups));
    }
    m_subGroupBox->setCurrentIndex(-1);
}

void StandardEntryDialog::proposeName() {
    QString name = m_groupBox->currentText();
    if (!m_subGroupBox->currentText().isEmpty())
        name += QStringLiteral(": ") + m_subGroupBox->currentText();
    m_nameEdit->setText(name);
}

std::optional<EntryRefusal> StandardEntryDialog::checkInput() {
    const auto check = CheckStandardEntry(m_data, entry());
    // The amount shows normalised once it passed the character check, refused or not.
    if (m_amountEdit->text() != check.entry.amount)
        m_amountEdit->setText(check.entry.amount);
    if (check.refusal)
        return check.refusal;
    return m_repeatBox->refusal(m_date->date());
}

QWidget* StandardEntryDialog::control(EntryInput input) const {
    switch (input) {
    case EntryInput::Name:
        return m_nameEdit;
    case EntryInput::Amount:
        return m_amountEdit;
    case EntryInput::Group:
        return m_groupBox;
    case EntryInput::Repeat:
        return m_repeatBox->refusedControl();
    default:
        return nullptr;
    }
}

void StandardEntryDialog::translateFrames() {
    Translate(m_incomeButton, QStringLiteral("income"));
    Translate(m_chargeButton, QStringLiteral("charge"));
    Translate(m_nameFrame, QStringLiteral("name"));
    Translate(m_amountFrame, QStringLiteral("amount"));
    Translate(m_groupFrame, QStringLiteral("group"));
    Translate(m_subGroupFrame, QStringLiteral("sub-group"));
    Translate(m_typeFrame, QStringLiteral("type"));
    Translate(m_accountFrame, QStringLiteral("account"));
    m_repeatBox->translate();
}

} // namespace zovi
