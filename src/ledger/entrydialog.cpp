#include "ledger/entrydialog.h"

#include "core/clock.h"
#include "core/layouts.h"
#include "core/translate.h"
#include "ledger/entrycontrols.h"
#include "store/datamodules.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
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
    SpeedButton1 = SmallButton(this, "SpeedButton1", QStringLiteral("Income"));
    SpeedButton2 = SmallButton(this, "SpeedButton2", QStringLiteral("Charge"));
    auto* sides = new QButtonGroup(this);
    for (QToolButton* side : {SpeedButton1, SpeedButton2}) {
        side->setCheckable(true);
        side->setToolButtonStyle(Qt::ToolButtonTextOnly);
        side->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        sides->addButton(side);
    }
    sides->setExclusive(true);
    // Skins draw tool buttons flat; the chosen side must still stand out.
    setStyleSheet(
        QStringLiteral("QToolButton#SpeedButton1:checked, QToolButton#SpeedButton2:checked "
                       "{ background: #3F5BBC; color: white; border-radius: 3px; }"));

    makeDateRow("DateRecord");
    DateRecord = m_date;
    NameRecord = Named(new QLineEdit(this), "NameRecord");
    SpeedButton9 = SmallButton(this, "SpeedButton9", QStringLiteral("..."));
    SpeedButton9->setToolTip(QStringLiteral("Name from the group and sub-group"));
    Value = Named(new QLineEdit(this), "Value");
    SpeedButton6 = SmallButton(this, "SpeedButton6", QStringLiteral("="));
    SpeedButton6->setToolTip(QStringLiteral("Calculator"));
    Currency = Named(new QComboBox(this), "Currency");
    list1 = Named(new QComboBox(this), "list1");
    SpeedButton7 = SmallButton(this, "SpeedButton7", QStringLiteral("+/-"));
    list2 = Named(new QComboBox(this), "list2");
    SpeedButton8 = SmallButton(this, "SpeedButton8", QStringLiteral("+/-"));
    SpeedButton7->setEnabled(false);
    SpeedButton8->setEnabled(false);

    auto* sideRow = new QWidget(this);
    auto* sideLayout = new QHBoxLayout(sideRow);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(SpeedButton1);
    sideLayout->addWidget(SpeedButton2);
    m_typeFrame = Frame(this, QStringLiteral(" Type "), {sideRow});
    m_nameFrame = Frame(this, QStringLiteral(" Name "), {NameRecord, SpeedButton9});
    m_amountFrame = Frame(this, QStringLiteral(" Amount "), {Value, SpeedButton6, Currency});
    m_groupFrame = Frame(this, QStringLiteral(" Group "), {list1, SpeedButton7});
    m_subGroupFrame = Frame(this, QStringLiteral(" Sub-group "), {list2, SpeedButton8});

    layOut({m_typeFrame, m_dateFrame, m_nameFrame, m_amountFrame, m_groupFrame, m_subGroupFrame});

    connect(SpeedButton1, &QToolButton::clicked, this, &StandardEntryDialog::ReGroups);
    connect(SpeedButton2, &QToolButton::clicked, this, &StandardEntryDialog::ReGroups);
    connect(list1, &QComboBox::activated, this, &StandardEntryDialog::ReSubGroups);
    connect(SpeedButton9, &QToolButton::clicked, this, &StandardEntryDialog::proposeName);
    connect(SpeedButton6, &QToolButton::clicked, this, [this] { calculate(Value); });
    for (QToolButton* editor : {SpeedButton7, SpeedButton8}) {
        connect(editor, &QToolButton::clicked, this, [this] {
            if (m_groupEditor)
                m_groupEditor(income());
        });
    }
}

void StandardEntryDialog::setGroupEditor(std::function<void(bool incomes)> editor) {
    m_groupEditor = std::move(editor);
    SpeedButton7->setEnabled(bool(m_groupEditor));
    SpeedButton8->setEnabled(bool(m_groupEditor));
}

void StandardEntryDialog::setSide(bool income) {
    (income ? SpeedButton1 : SpeedButton2)->setChecked(true);
}

bool StandardEntryDialog::income() const {
    return SpeedButton1->isChecked();
}

void StandardEntryDialog::prepareNew() {
    m_captionKey = QStringLiteral("caption004");
    setSide(false);
    ReCurrency();
    ReGroups();
    ReSubGroups();
    DateRecord->setDate(Clock::today());
    Value->clear();
    NameRecord->clear();
}

void StandardEntryDialog::prepareEdit(const StandardEntry& entry) {
    m_captionKey = QStringLiteral("caption005");
    ReCurrency();
    setSide(entry.income);
    DateRecord->setDate(entry.date);
    NameRecord->setText(entry.name);
    Value->setText(entry.amount);
    if (!entry.currencySign.isEmpty())
        Select(Currency, entry.currencySign);
    if (Currency->currentIndex() < 0 && Currency->count() > 0)
        Currency->setCurrentIndex(0);
    ReGroups();
    Select(list1, entry.group);
    ReSubGroups();
    Select(list2, entry.subGroup);
}

StandardEntry StandardEntryDialog::entry() const {
    StandardEntry e;
    e.income = income();
    e.date = DateRecord->date();
    e.name = NameRecord->text();
    e.amount = Value->text();
    e.currencySign = Currency->currentText();
    e.group = list1->currentIndex() >= 0 ? list1->currentText() : QString();
    e.subGroup = list2->currentIndex() >= 0 ? list2->currentText() : QString();
    return e;
}

void StandardEntryDialog::ReCurrency() {
    FillCurrencySigns(Currency, m_data.tbValuta);
}

void StandardEntryDialog::ReGroups() {
    list1->clear();
    list1->addItems(SortedNames(income() ? m_data.tbGrD : m_data.tbGrR));
    list1->setCurrentIndex(-1);
}

void StandardEntryDialog::ReSubGroups() {
    list2->clear();
    if (list1->currentIndex() >= 0) {
        TableHandle& groups = income() ? m_data.tbGrD : m_data.tbGrR;
        TableHandle& subGroups = income() ? m_data.tbGrD2 : m_data.tbGrR2;
        // The sub-group view follows the current group.
        if (groups.isOpen() && groups.locate(fields::GroupTable::Name, list1->currentText()))
            list2->addItems(SortedNames(subGroups));
    }
    list2->setCurrentIndex(-1);
}

void StandardEntryDialog::proposeName() {
    QString name = list1->currentText();
    if (!list2->currentText().isEmpty())
        name += QStringLiteral(": ") + list2->currentText();
    NameRecord->setText(name);
}

std::optional<EntryRefusal> StandardEntryDialog::checkInput() {
    const auto check = CheckStandardEntry(m_data, entry());
    // The amount shows normalised once it passed the character check, refused or not.
    if (Value->text() != check.entry.amount)
        Value->setText(check.entry.amount);
    return check.refusal;
}

QWidget* StandardEntryDialog::control(EntryInput input) const {
    switch (input) {
    case EntryInput::Name:
        return NameRecord;
    case EntryInput::Amount:
        return Value;
    case EntryInput::Group:
        return list1;
    default:
        return nullptr;
    }
}

void StandardEntryDialog::translateFrames() {
    Translate(SpeedButton1, QStringLiteral("income"));
    Translate(SpeedButton2, QStringLiteral("charge"));
    Translate(m_nameFrame, QStringLiteral("name"));
    Translate(m_amountFrame, QStringLiteral("amount"));
    Translate(m_groupFrame, QStringLiteral("group"));
    Translate(m_subGroupFrame, QStringLiteral("sub-group"));
    Translate(m_typeFrame, QStringLiteral("type"));
}

} // namespace zovi
