#include "debts/debtspage.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/language.h"
#include "core/layouts.h"
#include "core/locale.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/textutil.h"
#include "core/toolbaroverflow.h"
#include "core/wait.h"
#include "core/wholedateedit.h"
#include "debts/debtdialogs.h"
#include "debts/debtrows.h"
#include "debts/debts.h"
#include "debts/valuation.h"
#include "ledger/ledgerdelegate.h"
#include "ledger/ledgergrid.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/history.h"

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
        // The header is row 0 of the grid: the first debt is on row 1, an odd row, tinted like
        // the ledger's first record.
        const LedgerCellStyle style = CellStyleFor(QString(), index.row(), selected,
                                                   LedgerDelegate::IsDarkSurface(option.palette));
        painter->fillRect(r, QColor::fromRgb(style.background));
        if (style.lines) {
            painter->setPen(QColor(34, 49, 102));
            painter->drawLine(r.topLeft(), r.topRight());
            painter->drawLine(r.bottomLeft(), r.bottomRight());
        }
        painter->setFont(opt.font);
        painter->setPen(QColor::fromRgb(style.text));
        const Qt::Alignment align =
            index.column() == DebtDate ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
        painter->drawText(r.adjusted(2, 0, -2, 0), int(align), opt.text);
        painter->restore();
    }
};

// The repayment list's headers in the program's words: the date and the amount; its dates, which
// the table gives in their stored form, as the user reads dates.
class RepaymentHeaders : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const QVariant value = QIdentityProxyModel::data(index, role);
        if (role != Qt::DisplayRole ||
            sourceModel()->headerData(index.column(), Qt::Horizontal).toString() !=
                fields::OplataCredit::Date)
            return value;
        const QDate date = AppLocale::parseDate(value.toString());
        return date.isValid() ? QVariant(ShownDate(date)) : value;
    }

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
    m_toolBar = Named(new QToolBar(this), "ToolBar2");
    AddToolButton(m_toolBar, "NewCredit_bt", S("New"), S("New"));
    AddToolButton(m_toolBar, "DeleteCredit_bt", S("Delete"), S("Delete"));
    AddToolButton(m_toolBar, "EditCredit_bt", S("Edit"), S("Edit"));
    AddToolBarOverflow(m_toolBar);
    layout->addWidget(m_toolBar);
    auto* body = new QHBoxLayout;
    buildGrid();
    body->addWidget(m_grid, 1);
    buildSidePanel();
    body->addWidget(m_sidePanel);
    layout->addLayout(body, 1);

    auto tool = [this](const char* name) {
        return m_toolBar->findChild<QToolButton*>(QString::fromLatin1(name));
    };
    connect(tool("NewCredit_bt"), &QToolButton::clicked, this, &DebtsPage::newDebt);
    connect(tool("DeleteCredit_bt"), &QToolButton::clicked, this, &DebtsPage::deleteDebt);
    connect(tool("EditCredit_bt"), &QToolButton::clicked, this, &DebtsPage::editDebt);
    connect(m_grid, &QTableView::doubleClicked, this, &DebtsPage::editDebt);
    // The grid's context menu offers the commands of the toolbar.
    m_grid->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto popup = [this](const char* name, const char* text, void (DebtsPage::*command)()) {
        auto* item = new QAction(S(text), m_grid);
        item->setObjectName(QString::fromLatin1(name));
        m_grid->addAction(item);
        connect(item, &QAction::triggered, this, command);
        return item;
    };
    m_newDebtItem = popup("PopupNewCredit", "New", &DebtsPage::newDebt);
    m_editDebtItem = popup("PopupEditCredit", "Edit", &DebtsPage::editDebt);
    m_deleteDebtItem = popup("PopupDeleteCredit", "Delete", &DebtsPage::deleteDebt);
    connect(m_addRepaymentButton, &QPushButton::clicked, this, &DebtsPage::newRepayment);
    connect(m_deleteRepaymentButton, &QPushButton::clicked, this, &DebtsPage::deleteRepayment);
    auto revalue = [this] {
        revalueDebts();
        refillGrid();
    };
    connect(m_todayButton, &QRadioButton::clicked, this, revalue);
    connect(m_chosenDayButton, &QRadioButton::clicked, this, revalue);
    connect(m_chosenDay, &QDateEdit::dateChanged, this, revalue);
    connect(&m_cd.tbCredit, &TableHandle::viewChanged, this, &DebtsPage::updateCommands);
    connect(&m_cd.tbOplataCredit, &TableHandle::viewChanged, this, &DebtsPage::updateCommands);
    connect(&m_cd.tbOplataCredit, &TableHandle::viewChanged, this, &DebtsPage::repaymentChosen);
    updateCommands();
}

void DebtsPage::buildGrid() {
    m_grid = Named(new QTableView(this), "GridD");
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setShowGrid(false);
    m_grid->setStyleSheet(QStringLiteral("QTableView { gridline-color: transparent; }"));
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setSectionsMovable(true);
    m_grid->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background: rgb(43, 54, 85); color: white; "
                       "font-weight: bold; border: none; "
                       "border-right: 1px solid rgb(136, 142, 185); "
                       "border-bottom: 1px solid rgb(136, 142, 185); }"));
    m_rows = new QStandardItemModel(0, DebtColumns, this);
    for (int c = 0; c < DebtColumns; ++c)
        m_rows->setHeaderData(c, Qt::Horizontal, QString());
    m_rows->setHeaderData(DebtRate, Qt::Horizontal, QStringLiteral("%"));
    m_grid->setModel(m_rows);
    m_grid->setItemDelegate(new DebtsDelegate(m_grid));
    m_grid->setColumnHidden(DebtId, true);
    m_grid->setColumnHidden(DebtMarker, true);
    // The kind stands right after the name, whose column gives it its width.
    QHeaderView* header = m_grid->horizontalHeader();
    header->moveSection(header->visualIndex(DebtKind), header->visualIndex(DebtName) + 1);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &DebtsPage::debtRowChosen);
}

void DebtsPage::buildSidePanel() {
    m_sidePanel = Named(new QWidget(this), "Panel4");
    // As wide as its widest control needs: the date box with a long date, the frames' titles.
    m_sidePanel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* side = new QVBoxLayout(m_sidePanel);
    m_valuationFrame = Named(new QGroupBox(S(" Calculating value to "), m_sidePanel), "GroupBox5");
    auto* valueLayout = new QVBoxLayout(m_valuationFrame);
    m_todayButton =
        Named(new QRadioButton(LangText(QStringLiteral("today"), S("Today")), m_valuationFrame),
              "RadioButton1");
    m_chosenDayButton = Named(new QRadioButton(m_valuationFrame), "RadioButton2");
    m_todayButton->setChecked(true);
    m_chosenDay = Named(new WholeDateEdit(Clock::today(), m_valuationFrame), "DateTimePicker3");
    m_chosenDay->setCalendarPopup(true);
    m_chosenDay->setDisplayFormat(QLocale().dateFormat(QLocale::LongFormat));
    auto* chosen = new QHBoxLayout;
    chosen->addWidget(m_chosenDayButton);
    chosen->addWidget(m_chosenDay, 1);
    valueLayout->addWidget(m_todayButton);
    valueLayout->addLayout(chosen);

    m_repaymentFrame = Named(new QGroupBox(S(" Pay debt "), m_sidePanel), "GroupBox6");
    auto* payLayout = new QVBoxLayout(m_repaymentFrame);
    m_repaymentList = Named(new QTableView(m_repaymentFrame), "DBGrid3");
    // The list takes the panel's width rather than widening it.
    m_repaymentList->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    auto* headers = new RepaymentHeaders(m_repaymentList);
    headers->setSourceModel(&m_cd.dsOplataCredit);
    m_repaymentList->setModel(headers);
    m_repaymentList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_repaymentList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_repaymentList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_repaymentList->verticalHeader()->hide();
    auto showColumns = [this] {
        for (int c = 0; c < m_cd.dsOplataCredit.columnCount(); ++c) {
            const QString field = m_cd.dsOplataCredit.headerData(c, Qt::Horizontal).toString();
            m_repaymentList->setColumnHidden(c, field != fields::OplataCredit::Date &&
                                                    field != fields::OplataCredit::ValueSTR);
        }
    };
    connect(&m_cd.dsOplataCredit, &QAbstractItemModel::modelReset, m_repaymentList, showColumns);
    connect(&m_cd.dsOplataCredit, &QAbstractItemModel::headerDataChanged, m_repaymentList,
            showColumns);
    showColumns();
    connect(m_repaymentList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) {
                if (index.isValid())
                    m_cd.dsOplataCredit.selectRow(index.row());
                repaymentChosen();
            });
    payLayout->addWidget(m_repaymentList, 1);
    auto* payButtons = new QHBoxLayout;
    m_addRepaymentButton = Named(new QPushButton(S("Add"), m_repaymentFrame), "AddOplata");
    m_deleteRepaymentButton = Named(new QPushButton(S("Delete"), m_repaymentFrame), "DeleteOplata");
    payButtons->addWidget(m_addRepaymentButton);
    payButtons->addWidget(m_deleteRepaymentButton);
    payLayout->addLayout(payButtons);
    m_repaymentComment = Named(new QLabel(m_repaymentFrame), "DBText1");
    m_repaymentComment->setWordWrap(true);
    m_repaymentComment->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    payLayout->addWidget(m_repaymentComment);
    side->addWidget(m_valuationFrame);
    side->addWidget(m_repaymentFrame, 1);
}

void DebtsPage::setCalculator(AmountCalculator calculator) {
    m_calculator = std::move(calculator);
}

// The dialogs are made on first use as children of the main window, after its pages, so that a
// search by name finds the pages' controls before those of the dialogs.
DebtDialog* DebtsPage::debtDialog() {
    if (!m_debtDialog) {
        m_debtDialog = new DebtDialog(m_data, window());
        m_debtDialog->setCalculator(m_calculator);
    }
    return m_debtDialog;
}

RepaymentDialog* DebtsPage::repaymentDialog() {
    if (!m_repaymentDialog) {
        m_repaymentDialog = new RepaymentDialog(m_data, window());
        m_repaymentDialog->setCalculator(m_calculator);
    }
    return m_repaymentDialog;
}

// ---- enabling ----

void DebtsPage::updateCommands() {
    const bool debts = m_cd.tbCredit.isOpen() && !m_cd.tbCredit.isEmpty();
    for (const char* name : {"DeleteCredit_bt", "EditCredit_bt"})
        m_toolBar->findChild<QToolButton*>(QString::fromLatin1(name))->setEnabled(debts);
    m_editDebtItem->setEnabled(debts && m_current > 0);
    m_deleteDebtItem->setEnabled(debts && m_current > 0);
    // A repayment needs a debt to belong to; deleting one needs one to delete.
    m_addRepaymentButton->setEnabled(debts && m_current > 0);
    m_deleteRepaymentButton->setEnabled(debts && m_current > 0 && m_cd.tbOplataCredit.isOpen() &&
                                        !m_cd.tbOplataCredit.isEmpty());
}

// ---- valuation and the grid ----

QDate DebtsPage::valuationDate() const {
    return m_chosenDayButton->isChecked() ? m_chosenDay->date() : Clock::today();
}

void DebtsPage::revalueDebts() {
    std::vector<UnvaluedDebt> unvalued;
    try {
        ValueDebts(m_data, m_cd, valuationDate(), &unvalued);
        WriteDebtValueTexts(m_data, m_cd);
        ShowRepaymentsOf(m_cd, m_current);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    updateCommands();
    nameUnvalued(unvalued);
}

void DebtsPage::nameUnvalued(const std::vector<UnvaluedDebt>& unvalued) {
    // Each debt is named once while it stays unvalued, not at every valuation; one that was
    // valued in between is named again.
    QSet<qint64> now;
    QStringList names;
    for (const UnvaluedDebt& debt : unvalued) {
        now.insert(debt.id);
        if (!m_namedUnvalued.contains(debt.id))
            names << debt.name;
    }
    m_namedUnvalued = now;
    if (names.isEmpty())
        return;
    Messages::error(this,
                    LangText(QStringLiteral("debtnotvalued"),
                             S("These debts cannot be valued: their value grows beyond what can "
                               "be shown. Check their interest rate and amount:")) +
                        QLatin1Char('\n') + names.join(QLatin1Char('\n')));
}

void DebtsPage::refillGrid() {
    BusyCursor busy;
    const int selectedRow = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : 0;
    // A header without a translation keeps its text (blank at first).
    std::vector<QString> headers;
    for (int c = 0; c < DebtColumns; ++c)
        headers.push_back(m_rows->headerData(c, Qt::Horizontal).toString());
    LangString(QStringLiteral("date"), headers[DebtDate]);
    LangString(QStringLiteral("name"), headers[DebtName]);
    LangString(QStringLiteral("first value"), headers[DebtFirst]);
    LangString(QStringLiteral("current value"), headers[DebtCurrent]);
    LangString(QStringLiteral("account"), headers[DebtAccount]);
    LangString(QStringLiteral("type"), headers[DebtKind]);
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
    QFont bold = m_grid->font();
    bold.setBold(true);
    int keep = -1;
    for (int r = 0; r < int(rows.size()); ++r) {
        const QStringList cells = DebtCells(rows[size_t(r)]);
        const bool strong = DrawnBold(cells);
        for (int c = 0; c < DebtColumns; ++c) {
            auto* item = new QStandardItem(cells.at(c));
            if (strong)
                item->setFont(bold);
            if (c == DebtCurrent && !rows[size_t(r)].valued)
                item->setToolTip(UnvaluedHint());
            m_rows->setItem(r, c, item);
        }
        if (rows[size_t(r)].id == m_current)
            keep = r;
    }
    m_filling = false;
    // The chosen debt stays chosen; when it is gone, the row at the same place is.
    const int row = keep >= 0 ? keep : std::min(selectedRow, int(rows.size()) - 1);
    if (row >= 0)
        m_grid->selectRow(row);
    debtRowChosen();
}

void DebtsPage::debtRowChosen() {
    if (m_filling)
        return;
    const QModelIndex index = m_grid->currentIndex();
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
        ShowRepaymentsOf(m_cd, id);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    if (m_cd.dsOplataCredit.rowCount() > 0 && !m_repaymentList->currentIndex().isValid())
        m_repaymentList->selectRow(0);
    repaymentChosen();
    updateCommands();
    Q_EMIT debtChosen();
}

void DebtsPage::repaymentChosen() {
    TableHandle& r = m_cd.tbOplataCredit;
    m_repaymentComment->setText(
        r.isOpen() && !r.isEmpty() ? r.field(fields::OplataCredit::Comment).text() : QString());
}

void DebtsPage::showToday() {
    m_todayButton->setText(LangText(QStringLiteral("today"), S("Today")) + S(" (") +
                           ShownDate(Clock::today()) + S(")"));
    const QSignalBlocker quiet(m_chosenDay);
    m_chosenDay->setDate(Clock::today());
}

void DebtsPage::pageShown() {
    showToday();
    revalueDebts();
    refillGrid();
}

// ---- commands ----

void DebtsPage::afterChange(bool ledger) {
    if (ledger)
        Q_EMIT ledgerChanged();
    revalueDebts();
    refillGrid();
}

// The name of the debt with this ID for the history's label; empty when it cannot be read.
QString DebtsPage::debtName(qint64 id) {
    try {
        return ReadDebt(m_data, m_cd, id).name;
    } catch (const StoreError&) {
        return {};
    }
}

void DebtsPage::newDebt() {
    debtDialog()->prepareNew();
    if (debtDialog()->exec() != QDialog::Accepted)
        return;
    try {
        CommandHistory::Recording recording(
            LangText(QStringLiteral("step new debt"), S("new debt '%1'"))
                .arg(debtDialog()->debt().name));
        m_current = AppendDebt(m_data, m_cd, debtDialog()->debt());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    afterChange(true);
}

void DebtsPage::editDebt() {
    const qint64 id = m_current;
    if (id <= 0)
        return;
    try {
        debtDialog()->prepareEdit(ReadDebt(m_data, m_cd, id));
        if (debtDialog()->exec() != QDialog::Accepted)
            return;
        CommandHistory::Recording recording(
            LangText(QStringLiteral("step edit debt"), S("edit of the debt '%1'"))
                .arg(debtName(id)));
        RewriteDebt(m_data, m_cd, id, debtDialog()->debt());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    afterChange(true);
}

void DebtsPage::deleteDebt() {
    const qint64 id = m_current;
    if (id <= 0 ||
        !Messages::confirm(this, LangText(QStringLiteral("err011"), S("Do you want delete?"))))
        return;
    try {
        CommandHistory::Recording recording(
            LangText(QStringLiteral("step delete debt"), S("delete of the debt '%1'"))
                .arg(debtName(id)));
        DeleteDebt(m_data, m_cd, id);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    afterChange(true);
}

void DebtsPage::newRepayment() {
    const qint64 debt = m_current;
    if (debt <= 0)
        return;
    repaymentDialog()->prepareNew();
    if (repaymentDialog()->exec() != QDialog::Accepted)
        return;
    try {
        CommandHistory::Recording recording(
            LangText(QStringLiteral("step repayment"), S("repayment of '%1'")).arg(debtName(debt)));
        AppendRepayment(m_data, m_cd, debt, repaymentDialog()->repayment());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    afterChange(true);
}

void DebtsPage::deleteRepayment() {
    TableHandle& r = m_cd.tbOplataCredit;
    if (!r.isOpen() || r.isEmpty())
        return;
    const qint64 id = r.field(fields::OplataCredit::ID).toInt();
    if (!Messages::confirm(this, LangText(QStringLiteral("err011"), S("Are you sure?"))))
        return;
    try {
        CommandHistory::Recording recording(
            LangText(QStringLiteral("step delete repayment"), S("delete of a repayment of '%1'"))
                .arg(debtName(m_current)));
        DeleteRepayment(m_data, m_cd, id);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    afterChange(true);
}

// ---- appearance ----

void DebtsPage::applyFace(bool transparentToolbars, bool flatButtons) {
    StyleToolBar(m_toolBar, transparentToolbars, flatButtons);
}

int DebtsPage::kindColumnWidth() const {
    // Both kinds and the header whole, in bold as the header and the unpaid debts are drawn,
    // with the delegate's margins and a few pixels clear of the elision.
    QFont bold = m_grid->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    int widest = metrics.horizontalAdvance(m_rows->headerData(DebtKind, Qt::Horizontal).toString());
    for (const bool borrowed : {true, false})
        widest = std::max(widest, metrics.horizontalAdvance(DebtKindText(borrowed)));
    return widest + 12;
}

void DebtsPage::loadColumnWidths(int windowWidth) {
    const double w = windowWidth - m_sidePanel->sizeHint().width();
    const int kind = kindColumnWidth();
    m_grid->setColumnWidth(DebtKind, kind);
    LoadColumnWidths(m_grid,
                     {RoundHalfEven(0.13 * w) - 27, RoundHalfEven(0.4 * w) - 2 - kind,
                      RoundHalfEven(0.15 * w) - 2, RoundHalfEven(0.15 * w) - 2,
                      RoundHalfEven(0.03 * w) - 2, RoundHalfEven(0.14 * w) - 2},
                     settings::DebtColumnKey);
    m_grid->setColumnHidden(DebtId, true);
    m_grid->setColumnHidden(DebtMarker, true);
    // A date is never cut, whatever the window's width.
    const int date = MinimumDateWidth(m_grid->font());
    if (m_grid->columnWidth(DebtDate) < date)
        m_grid->setColumnWidth(DebtDate, date);
}

TranslationKeys DebtsPage::translationKeys() {
    using namespace translation;
    auto button = [this](const char* name) {
        return m_toolBar->findChild<QToolButton*>(QString::fromLatin1(name));
    };
    TranslationKeys keys = {
        {QStringLiteral("delete"), All({Hint(button("DeleteCredit_bt")),
                                        Text(m_deleteRepaymentButton), Text(m_deleteDebtItem)})},
        {QStringLiteral("edit"), All({Hint(button("EditCredit_bt")), Text(m_editDebtItem)})},
        {QStringLiteral("new"),
         All({Hint(button("NewCredit_bt")), Text(m_addRepaymentButton), Text(m_newDebtItem)})},
        {QStringLiteral("calculating value to"), Frame(m_valuationFrame)},
        {QStringLiteral("pay debt"), Frame(m_repaymentFrame)},
    };
    AddNumbered(keys, "button", 2, 8,
                {Text(button("NewCredit_bt")), Text(button("DeleteCredit_bt")),
                 Text(button("EditCredit_bt"))});
    return keys;
}

} // namespace zovi
