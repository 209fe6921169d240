#include "debts/debtspage.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/textutil.h"
#include "core/toolbaroverflow.h"
#include "core/wait.h"
#include "debts/debtdialogs.h"
#include "debts/debtrows.h"
#include "debts/debts.h"
#include "debts/valuation.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QAction>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace zovi {

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

// Draws the cells of the debts grid: the selected row white on blue between two dark lines,
// the other rows in alternating shades, debts not paid off in bold, the date centred.
class DebtsDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        painter->save();
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        // The header is row 0 of the grid: the first debt is on row 1, an odd row.
        const bool odd = index.row() % 2 == 0;
        painter->fillRect(r, selected ? QColor(63, 91, 188)
                             : odd    ? QColor(239, 241, 241)
                                      : QColor(Qt::white));
        if (selected) {
            painter->setPen(QColor(34, 49, 102));
            painter->drawLine(r.topLeft(), r.topRight());
            painter->drawLine(r.bottomLeft(), r.bottomRight());
        }
        painter->setFont(opt.font);
        painter->setPen(selected ? QColor(Qt::white) : QColor(Qt::black));
        const Qt::Alignment align =
            index.column() == DebtDate ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
        painter->drawText(r.adjusted(2, 0, -2, 0), int(align), opt.text);
        painter->restore();
    }
};

// The repayment list's headers in the program's words: the date and the amount.
class RepaymentHeaders : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        const QVariant field = QIdentityProxyModel::headerData(section, orientation, role);
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
            return field;
        if (field.toString() == fields::OplataCredit::Date)
            return LangText(QStringLiteral("date"), S("Date"));
        if (field.toString() == fields::OplataCredit::ValueSTR)
            return LangText(QStringLiteral("amount"), S("Amount"));
        return field;
    }
};

} // namespace

DebtsPage::DebtsPage(LedgerTables& tables, DebtTables& cd, QWidget* parent)
    : QWidget(parent), m_data(tables), m_cd(cd) {
    setObjectName(QStringLiteral("TabSheet2"));
    auto* layout = new QVBoxLayout(this);
    ToolBar2 = Named(new QToolBar(this), "ToolBar2");
    AddToolButton(ToolBar2, "NewCredit_bt", S("New"), S("New"));
    AddToolButton(ToolBar2, "DeleteCredit_bt", S("Delete"), S("Delete"));
    AddToolButton(ToolBar2, "EditCredit_bt", S("Edit"), S("Edit"));
    AddToolBarOverflow(ToolBar2);
    layout->addWidget(ToolBar2);
    auto* body = new QHBoxLayout;
    buildGrid();
    body->addWidget(GridD, 1);
    buildSidePanel();
    body->addWidget(Panel4);
    layout->addLayout(body, 1);

    auto tool = [this](const char* name) {
        return ToolBar2->findChild<QToolButton*>(QString::fromLatin1(name));
    };
    connect(tool("NewCredit_bt"), &QToolButton::clicked, this, &DebtsPage::NewCredit_bt);
    connect(tool("DeleteCredit_bt"), &QToolButton::clicked, this, &DebtsPage::DeleteCredit_bt);
    connect(tool("EditCredit_bt"), &QToolButton::clicked, this, &DebtsPage::EditCredit_bt);
    connect(GridD, &QTableView::doubleClicked, this, &DebtsPage::EditCredit_bt);
    // The grid's context menu offers the commands of the toolbar.
    GridD->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto popup = [this](const char* name, const char* text, void (DebtsPage::*command)()) {
        auto* item = new QAction(S(text), GridD);
        item->setObjectName(QString::fromLatin1(name));
        GridD->addAction(item);
        connect(item, &QAction::triggered, this, command);
        return item;
    };
    PopupNewCredit = popup("PopupNewCredit", "New", &DebtsPage::NewCredit_bt);
    PopupEditCredit = popup("PopupEditCredit", "Edit", &DebtsPage::EditCredit_bt);
    PopupDeleteCredit = popup("PopupDeleteCredit", "Delete", &DebtsPage::DeleteCredit_bt);
    connect(AddOplata, &QPushButton::clicked, this, &DebtsPage::NewOplataCredit_bt);
    connect(DeleteOplata, &QPushButton::clicked, this, &DebtsPage::DeleteOplataCredit_bt);
    auto revalue = [this] {
        RefrDebts();
        RefreshGridD();
    };
    connect(RadioButton1, &QRadioButton::clicked, this, revalue);
    connect(RadioButton2, &QRadioButton::clicked, this, revalue);
    connect(DateTimePicker3, &QDateEdit::dateChanged, this, revalue);
    connect(&m_cd.tbCredit, &TableHandle::viewChanged, this, &DebtsPage::updateCommands);
    connect(&m_cd.tbOplataCredit, &TableHandle::viewChanged, this, &DebtsPage::updateCommands);
    connect(&m_cd.tbOplataCredit, &TableHandle::viewChanged, this, &DebtsPage::repaymentChosen);
    updateCommands();
}

void DebtsPage::buildGrid() {
    GridD = Named(new QTableView(this), "GridD");
    GridD->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridD->setSelectionMode(QAbstractItemView::SingleSelection);
    GridD->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridD->setShowGrid(false);
    GridD->setStyleSheet(QStringLiteral("QTableView { gridline-color: transparent; }"));
    GridD->verticalHeader()->hide();
    GridD->horizontalHeader()->setSectionsMovable(true);
    GridD->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background: rgb(43, 54, 85); color: white; "
                       "font-weight: bold; border: none; "
                       "border-right: 1px solid rgb(136, 142, 185); "
                       "border-bottom: 1px solid rgb(136, 142, 185); }"));
    m_rows = new QStandardItemModel(0, DebtColumns, this);
    for (int c = 0; c < DebtColumns; ++c)
        m_rows->setHeaderData(c, Qt::Horizontal, QString());
    m_rows->setHeaderData(DebtRate, Qt::Horizontal, QStringLiteral("%"));
    GridD->setModel(m_rows);
    GridD->setItemDelegate(new DebtsDelegate(GridD));
    GridD->setColumnHidden(DebtId, true);
    GridD->setColumnHidden(DebtMarker, true);
    connect(GridD->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &DebtsPage::GridDSelectCell);
}

void DebtsPage::buildSidePanel() {
    Panel4 = Named(new QWidget(this), "Panel4");
    Panel4->setFixedWidth(220);
    auto* side = new QVBoxLayout(Panel4);
    GroupBoxValue = Named(new QGroupBox(S(" Calculating value to "), Panel4), "GroupBox5");
    auto* valueLayout = new QVBoxLayout(GroupBoxValue);
    RadioButton1 = Named(new QRadioButton(S("Today"), GroupBoxValue), "RadioButton1");
    RadioButton2 = Named(new QRadioButton(GroupBoxValue), "RadioButton2");
    RadioButton1->setChecked(true);
    DateTimePicker3 = Named(new QDateEdit(Clock::today(), GroupBoxValue), "DateTimePicker3");
    DateTimePicker3->setCalendarPopup(true);
    DateTimePicker3->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    auto* chosen = new QHBoxLayout;
    chosen->addWidget(RadioButton2);
    chosen->addWidget(DateTimePicker3, 1);
    valueLayout->addWidget(RadioButton1);
    valueLayout->addLayout(chosen);

    GroupBoxPay = Named(new QGroupBox(S(" Pay debt "), Panel4), "GroupBox6");
    auto* payLayout = new QVBoxLayout(GroupBoxPay);
    DBGrid3 = Named(new QTableView(GroupBoxPay), "DBGrid3");
    auto* headers = new RepaymentHeaders(DBGrid3);
    headers->setSourceModel(&m_cd.dsOplataCredit);
    DBGrid3->setModel(headers);
    DBGrid3->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid3->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid3->verticalHeader()->hide();
    auto showColumns = [this] {
        for (int c = 0; c < m_cd.dsOplataCredit.columnCount(); ++c) {
            const QString field = m_cd.dsOplataCredit.headerData(c, Qt::Horizontal).toString();
            DBGrid3->setColumnHidden(c, field != fields::OplataCredit::Date &&
                                            field != fields::OplataCredit::ValueSTR);
        }
    };
    connect(&m_cd.dsOplataCredit, &QAbstractItemModel::modelReset, DBGrid3, showColumns);
    connect(&m_cd.dsOplataCredit, &QAbstractItemModel::headerDataChanged, DBGrid3, showColumns);
    showColumns();
    connect(DBGrid3->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    m_cd.dsOplataCredit.selectRow(index.row());
                repaymentChosen();
            });
    payLayout->addWidget(DBGrid3, 1);
    auto* payButtons = new QHBoxLayout;
    AddOplata = Named(new QPushButton(S("Add"), GroupBoxPay), "AddOplata");
    DeleteOplata = Named(new QPushButton(S("Delete"), GroupBoxPay), "DeleteOplata");
    payButtons->addWidget(AddOplata);
    payButtons->addWidget(DeleteOplata);
    payLayout->addLayout(payButtons);
    DBText1 = Named(new QLabel(GroupBoxPay), "DBText1");
    DBText1->setWordWrap(true);
    DBText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    payLayout->addWidget(DBText1);
    side->addWidget(GroupBoxValue);
    side->addWidget(GroupBoxPay, 1);
}

void DebtsPage::setCalculator(AmountCalculator calculator) {
    m_calculator = std::move(calculator);
}

// The dialogs are made on first use as children of the main window, after its pages, so that a
// search by name finds the pages' controls before those of the dialogs.
DebtDialog* DebtsPage::editCredit() {
    if (!m_editCredit) {
        m_editCredit = new DebtDialog(m_data, window());
        m_editCredit->setCalculator(m_calculator);
    }
    return m_editCredit;
}

RepaymentDialog* DebtsPage::editOplata() {
    if (!m_editOplata) {
        m_editOplata = new RepaymentDialog(m_data, window());
        m_editOplata->setCalculator(m_calculator);
    }
    return m_editOplata;
}

// ---- enabling ----

void DebtsPage::updateCommands() {
    const bool debts = m_cd.tbCredit.isOpen() && !m_cd.tbCredit.isEmpty();
    for (const char* name : {"DeleteCredit_bt", "EditCredit_bt"})
        ToolBar2->findChild<QToolButton*>(QString::fromLatin1(name))->setEnabled(debts);
    PopupEditCredit->setEnabled(debts && m_current > 0);
    PopupDeleteCredit->setEnabled(debts && m_current > 0);
    // A repayment needs a debt to belong to; deleting one needs one to delete.
    AddOplata->setEnabled(debts && m_current > 0);
    DeleteOplata->setEnabled(debts && m_current > 0 && m_cd.tbOplataCredit.isOpen() &&
                             !m_cd.tbOplataCredit.isEmpty());
}

// ---- valuation and the grid ----

QDate DebtsPage::valuationDate() const {
    return RadioButton2->isChecked() ? DateTimePicker3->date() : Clock::today();
}

void DebtsPage::RefrDebts() {
    try {
        ValueDebts(m_data, m_cd, valuationDate());
        SetStrFormatCredit(m_data, m_cd);
        SelFilterOplata(m_cd, m_current);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    updateCommands();
}

void DebtsPage::RefreshGridD() {
    BusyCursor busy;
    const int selectedRow = GridD->currentIndex().isValid() ? GridD->currentIndex().row() : 0;
    // A header without a translation keeps its text (blank at first).
    std::vector<QString> headers;
    for (int c = 0; c < DebtColumns; ++c)
        headers.push_back(m_rows->headerData(c, Qt::Horizontal).toString());
    LangString(QStringLiteral("date"), headers[DebtDate]);
    LangString(QStringLiteral("name"), headers[DebtName]);
    LangString(QStringLiteral("first value"), headers[DebtFirst]);
    LangString(QStringLiteral("current value"), headers[DebtCurrent]);
    LangString(QStringLiteral("account"), headers[DebtAccount]);
    for (int c = 0; c < DebtColumns; ++c)
        m_rows->setHeaderData(c, Qt::Horizontal, headers[size_t(c)]);
    std::vector<DebtRow> rows;
    try {
        rows = ReadDebtRows(m_data, m_cd);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    m_filling = true;
    m_rows->setRowCount(int(rows.size()));
    QFont bold = GridD->font();
    bold.setBold(true);
    int keep = -1;
    for (int r = 0; r < int(rows.size()); ++r) {
        const QStringList cells = DebtCells(rows[size_t(r)]);
        const bool strong = DrawnBold(cells);
        for (int c = 0; c < DebtColumns; ++c) {
            auto* item = new QStandardItem(cells.at(c));
            if (strong)
                item->setFont(bold);
            m_rows->setItem(r, c, item);
        }
        if (rows[size_t(r)].id == m_current)
            keep = r;
    }
    m_filling = false;
    // The chosen debt stays chosen; when it is gone, the row at the same place is.
    const int row = keep >= 0 ? keep : std::min(selectedRow, int(rows.size()) - 1);
    if (row >= 0)
        GridD->selectRow(row);
    GridDSelectCell();
}

void DebtsPage::GridDSelectCell() {
    if (m_filling)
        return;
    const QModelIndex index = GridD->currentIndex();
    qint64 id = 0;
    if (index.isValid())
        id = m_rows->index(index.row(), DebtId).data().toLongLong();
    selectDebt(id);
}

void DebtsPage::selectDebt(qint64 id) {
    m_current = id;
    if (id > 0 && m_cd.tbCredit.isOpen())
        m_cd.tbCredit.locate(fields::Credit::ID, id);
    try {
        SelFilterOplata(m_cd, id);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    if (m_cd.dsOplataCredit.rowCount() > 0 && !DBGrid3->currentIndex().isValid())
        DBGrid3->selectRow(0);
    repaymentChosen();
    updateCommands();
    Q_EMIT debtChosen();
}

void DebtsPage::repaymentChosen() {
    TableHandle& r = m_cd.tbOplataCredit;
    DBText1->setText(r.isOpen() && !r.isEmpty() ? r.field(fields::OplataCredit::Comment).text()
                                                : QString());
}

void DebtsPage::SetOfDate() {
    RadioButton1->setText(LangText(QStringLiteral("today"), S("Today")) + S(" (") +
                          AppLocale::formatDate(Clock::today()) + S(")"));
    const QSignalBlocker quiet(DateTimePicker3);
    DateTimePicker3->setDate(Clock::today());
}

void DebtsPage::pageShown() {
    SetOfDate();
    RefrDebts();
    RefreshGridD();
}

// ---- commands ----

void DebtsPage::afterChange(bool ledger) {
    if (ledger)
        Q_EMIT ledgerChanged();
    RefrDebts();
    RefreshGridD();
}

void DebtsPage::NewCredit_bt() {
    editCredit()->prepareNew();
    if (editCredit()->exec() != QDialog::Accepted)
        return;
    try {
        m_current = AppendDebt(m_data, m_cd, editCredit()->debt());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    afterChange(true);
}

void DebtsPage::EditCredit_bt() {
    const qint64 id = m_current;
    if (id <= 0)
        return;
    try {
        editCredit()->prepareEdit(ReadDebt(m_data, m_cd, id));
        if (editCredit()->exec() != QDialog::Accepted)
            return;
        RewriteDebt(m_data, m_cd, id, editCredit()->debt());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    afterChange(true);
}

void DebtsPage::DeleteCredit_bt() {
    const qint64 id = m_current;
    if (id <= 0 ||
        !Messages::confirm(this, LangText(QStringLiteral("err011"), S("Do you want delete?"))))
        return;
    try {
        DeleteDebt(m_data, m_cd, id);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    afterChange(true);
}

void DebtsPage::NewOplataCredit_bt() {
    const qint64 debt = m_current;
    if (debt <= 0)
        return;
    editOplata()->prepareNew();
    if (editOplata()->exec() != QDialog::Accepted)
        return;
    try {
        AppendRepayment(m_data, m_cd, debt, editOplata()->repayment());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    afterChange(true);
}

void DebtsPage::DeleteOplataCredit_bt() {
    TableHandle& r = m_cd.tbOplataCredit;
    if (!r.isOpen() || r.isEmpty())
        return;
    const qint64 id = r.field(fields::OplataCredit::ID).toInt();
    if (!Messages::confirm(this, LangText(QStringLiteral("err011"), S("Are you sure?"))))
        return;
    try {
        DeleteRepayment(m_data, m_cd, id);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    afterChange(true);
}

// ---- appearance ----

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
    GridD->setColumnHidden(DebtId, true);
    GridD->setColumnHidden(DebtMarker, true);
    // A date is never cut, whatever the window's width.
    const int date = MinimumDateWidth(GridD->font());
    if (GridD->columnWidth(DebtDate) < date)
        GridD->setColumnWidth(DebtDate, date);
}

TranslationKeys DebtsPage::translationKeys() {
    using namespace translation;
    auto button = [this](const char* name) {
        return ToolBar2->findChild<QToolButton*>(QString::fromLatin1(name));
    };
    TranslationKeys keys = {
        {QStringLiteral("delete"),
         All({Hint(button("DeleteCredit_bt")), Text(DeleteOplata), Text(PopupDeleteCredit)})},
        {QStringLiteral("edit"), All({Hint(button("EditCredit_bt")), Text(PopupEditCredit)})},
        {QStringLiteral("new"),
         All({Hint(button("NewCredit_bt")), Text(AddOplata), Text(PopupNewCredit)})},
        {QStringLiteral("calculating value to"), Frame(GroupBoxValue)},
        {QStringLiteral("pay debt"), Frame(GroupBoxPay)},
    };
    AddNumbered(keys, "button", 2, 8,
                {Text(button("NewCredit_bt")), Text(button("DeleteCredit_bt")),
                 Text(button("EditCredit_bt"))});
    return keys;
}

} // namespace zovi
