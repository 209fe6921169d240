#include "debts/debtspage.h"

#include "core/layouts.h"
#include "core/settings.h"
#include "core/textutil.h"
#include "core/toolbaroverflow.h"
#include "store/datamodules.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace zovi {

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

DebtsPage::DebtsPage(TCDdata& cd, QWidget* parent) : QWidget(parent), m_cd(cd) {
    setObjectName(QStringLiteral("TabSheet2"));
    auto* layout = new QVBoxLayout(this);
    ToolBar2 = Named(new QToolBar(this), "ToolBar2");
    AddToolButton(ToolBar2, "NewCredit_bt", S("New"), S("New"));
    AddToolButton(ToolBar2, "DeleteCredit_bt", S("Delete"), S("Delete"));
    AddToolButton(ToolBar2, "EditCredit_bt", S("Edit"), S("Edit"));
    AddToolBarOverflow(ToolBar2);
    layout->addWidget(ToolBar2);
    auto* body = new QHBoxLayout;
    GridD = Named(new QTableView(this), "GridD");
    GridD->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridD->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridD->verticalHeader()->hide();
    GridD->setModel(new QStandardItemModel(0, 7, this));
    body->addWidget(GridD, 1);
    Panel4 = Named(new QWidget(this), "Panel4");
    Panel4->setFixedWidth(220);
    auto* side = new QVBoxLayout(Panel4);
    GroupBoxValue = Named(new QGroupBox(S(" Calculating value to "), Panel4), "GroupBox5");
    auto* valueLayout = new QVBoxLayout(GroupBoxValue);
    valueLayout->addWidget(Named(new QDateEdit(GroupBoxValue), "DateTimePicker3"));
    GroupBoxPay = Named(new QGroupBox(S(" Pay debt "), Panel4), "GroupBox6");
    auto* payLayout = new QVBoxLayout(GroupBoxPay);
    payLayout->addWidget(Named(new QTableView(GroupBoxPay), "GridOplata"));
    auto* payButtons = new QHBoxLayout;
    payButtons->addWidget(Named(new QPushButton(S("Add"), GroupBoxPay), "AddOplata"));
    payButtons->addWidget(Named(new QPushButton(S("Delete"), GroupBoxPay), "DeleteOplata"));
    payLayout->addLayout(payButtons);
    side->addWidget(GroupBoxValue);
    side->addWidget(GroupBoxPay, 1);
    body->addWidget(Panel4);
    layout->addLayout(body, 1);

    connect(&m_cd.tbCredit, &TableHandle::viewChanged, this, &DebtsPage::debtsChanged);
    debtsChanged();
}

void DebtsPage::debtsChanged() {
    const bool debts = m_cd.tbCredit.isOpen() && !m_cd.tbCredit.isEmpty();
    for (const char* name : {"DeleteCredit_bt", "EditCredit_bt"})
        ToolBar2->findChild<QToolButton*>(QString::fromLatin1(name))->setEnabled(debts);
}

void DebtsPage::applyFace(bool transparentToolbars, bool flatButtons) {
    StyleToolBar(ToolBar2, transparentToolbars, flatButtons);
}

void DebtsPage::loadColumnWidths(int windowWidth) {
    const double w = windowWidth - Panel4->width();
    LoadColumnWidths(GridD,
                     {RoundHalfEven(0.13 * w) - 27, RoundHalfEven(0.4 * w) - 2,
                      RoundHalfEven(0.15 * w) - 2, RoundHalfEven(0.15 * w) - 2,
                      RoundHalfEven(0.03 * w) - 2, RoundHalfEven(0.14 * w) - 2},
                     settings::DebtColumnKey);
    GridD->setColumnHidden(0, true);
}

TranslationKeys DebtsPage::translationKeys() {
    using namespace translation;
    auto button = [this](const char* name) {
        return ToolBar2->findChild<QToolButton*>(QString::fromLatin1(name));
    };
    auto push = [this](const char* name) {
        return findChild<QPushButton*>(QString::fromLatin1(name));
    };
    TranslationKeys keys = {
        {QStringLiteral("delete"),
         All({Hint(button("DeleteCredit_bt")), Text(push("DeleteOplata"))})},
        {QStringLiteral("edit"), Hint(button("EditCredit_bt"))},
        {QStringLiteral("new"), All({Hint(button("NewCredit_bt")), Text(push("AddOplata"))})},
        {QStringLiteral("calculating value to"), Frame(GroupBoxValue)},
        {QStringLiteral("pay debt"), Frame(GroupBoxPay)},
    };
    AddNumbered(keys, "button", 2, 8,
                {Text(button("NewCredit_bt")), Text(button("DeleteCredit_bt")),
                 Text(button("EditCredit_bt"))});
    return keys;
}

} // namespace zovi
