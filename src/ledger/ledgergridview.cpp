#include "ledger/ledgergridview.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/settings.h"
#include "core/textutil.h"
#include "core/wait.h"
#include "ledger/currency.h"
#include "ledger/entrykinds.h"
#include "ledger/ledgerdelegate.h"
#include "ledger/ledgergrid.h"
#include "ledger/revalue.h"
#include "store/datamodules.h"
#include "store/fields.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <algorithm>

namespace zovi {

LedgerGridView::LedgerGridView(LedgerTables& tables, QWidget* parent)
    : QTableView(parent), m_data(tables) {
    setObjectName(QStringLiteral("Grid1"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    setContextMenuPolicy(Qt::CustomContextMenu);
    m_model = new LedgerGridModel(this);
    setModel(m_model);
    setItemDelegate(new LedgerDelegate(this));
    setShowGrid(false);
    horizontalHeader()->setSectionsMovable(true);
    LedgerDelegate::styleHeader(horizontalHeader());
    setColumnHidden(0, true);
    setColumnHidden(8, true);
    setColumnHidden(LedgerGridModel::kBalanceColumn, true);
    m_sumsLine = Named(new QLabel(this), "LabelSums");

    m_sortControls = new QWidget(this);
    auto* sortLayout = new QHBoxLayout(m_sortControls);
    sortLayout->setContentsMargins(0, 0, 0, 0);
    m_sortLabel = Named(new QLabel(QStringLiteral("Sorting"), m_sortControls), "Label3");
    m_sortBox = Named(new QComboBox(m_sortControls), "ComboBox3");
    m_sortBox->addItems({QStringLiteral("Date"), QStringLiteral("Name"), QStringLiteral("Group"),
                         QStringLiteral("Subgroup"), QStringLiteral("Account")});
    sortLayout->addWidget(m_sortLabel);
    sortLayout->addWidget(m_sortBox);

    m_menu = Named(new QMenu(this), "PopupMenu1");
    m_deleteAction = addMenuAction("PopupDelete", QStringLiteral("Delete"));
    m_editAction = addMenuAction("PopupEdit", QStringLiteral("Edit"));

    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_menu->popup(viewport()->mapToGlobal(pos)); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LedgerGridView::selectionMoved);
    connect(m_deleteAction, &QAction::triggered, this, &LedgerGridView::deleteRequested);
    connect(m_editAction, &QAction::triggered, this, &LedgerGridView::editRequested);
    connect(this, &QTableView::doubleClicked, this, &LedgerGridView::editRequested);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_applyingWidths)
            Q_EMIT columnResizedByUser();
    });
    // A click on a column's header sorts by it, a second click reverses; choosing in the box
    // sorts in ascending order.
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &LedgerGridView::headerClicked);
    connect(m_sortBox, &QComboBox::currentIndexChanged, this, [this] {
        m_descending = false;
        refresh();
    });
    // Entries posted from elsewhere (another window, a revaluation of the ledger view) reach
    // the grid once the command that posted them is over; commands that rebuild the grid
    // themselves leave nothing to do.
    connect(&m_data.tbData, &TableHandle::viewChanged, this, &LedgerGridView::ledgerViewChanged);
    selectionMoved();
}

LedgerGridView::~LedgerGridView() = default;

QAction* LedgerGridView::addMenuAction(const char* name, const QString& text) {
    auto* a = Named(new QAction(text, this), name);
    m_menu->addAction(a);
    return a;
}

// ---- the selection ----

QList<qint64> LedgerGridView::selectedEntryIds() const {
    QList<qint64> ids;
    for (const QModelIndex& row : selectionModel()->selectedRows())
        ids << m_model->data(row, LedgerGridModel::IdRole).toLongLong();
    std::sort(ids.begin(), ids.end());
    return ids;
}

void LedgerGridView::selectionMoved() {
    const QModelIndexList rows = selectionModel()->selectedRows();
    // The current entry is the selected row that has the focus, else the first selected one.
    const QModelIndex current = currentIndex();
    const QModelIndex chosenRow =
        current.isValid() && selectionModel()->isRowSelected(current.row())
            ? current
            : (rows.isEmpty() ? QModelIndex() : rows.first());
    m_selectedId =
        chosenRow.isValid() ? m_model->data(chosenRow, LedgerGridModel::IdRole).toLongLong() : 0;
    // The ledger view's cursor follows the chosen entry, for whatever reads the current row.
    if (m_selectedId != 0 && m_data.tbData.isOpen())
        m_data.tbData.locate(fields::Data::ID, m_selectedId);
    const bool chosen = m_selectedId != 0;
    m_deleteAction->setEnabled(chosen);
    // Editing works on one entry: the current one, however many are selected.
    m_editAction->setEnabled(chosen);
    Q_EMIT entrySelectionChanged(chosen);
}

void LedgerGridView::selectEntry(qint64 id) {
    const int row = id != 0 ? m_model->rowOfId(id) : -1;
    if (row >= 0) {
        selectRow(row);
        scrollTo(m_model->index(row, 1));
        return;
    }
    selectLastRow();
}

void LedgerGridView::selectLastRow() {
    if (m_model->rowCount() > 0) {
        selectRow(m_model->rowCount() - 1);
        scrollToBottom();
    } else {
        clearSelection();
    }
}

void LedgerGridView::headerClicked(int column) {
    const LedgerSort next = SortAfterHeaderClick({m_sortBox->currentIndex(), m_descending}, column);
    if (next == LedgerSort{m_sortBox->currentIndex(), m_descending}) {
        // The header moves its arrow itself; it goes back to the order shown.
        showSortIndicator();
        return;
    }
    m_descending = next.descending;
    {
        const QSignalBlocker block(m_sortBox);
        m_sortBox->setCurrentIndex(next.sortIndex);
    }
    refresh();
}

void LedgerGridView::showSortIndicator() {
    horizontalHeader()->setSortIndicator(ColumnOfSortIndex(m_sortBox->currentIndex()),
                                         m_descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void LedgerGridView::ledgerViewChanged() {
    // A closed ledger lets go of its rows at once: the grid would otherwise keep the image of
    // the database being left in memory while the next one is read.
    if (!m_data.tbData.isOpen() && m_model->rowCount() > 0)
        m_model->setRows({});
    if (m_stale)
        return;
    m_stale = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_stale)
                refresh();
        },
        Qt::QueuedConnection);
}

// ---- the rows ----

void LedgerGridView::refresh() {
    BusyCursor busy;
    QStringList headers;
    for (const char* key :
         {"date", "name", "income", "charge", "group", "sub-group", "account", "balance"}) {
        const int column =
            headers.size() < 7 ? int(headers.size()) + 1 : LedgerGridModel::kBalanceColumn;
        QString text = m_model->headerData(column, Qt::Horizontal).toString();
        if (column == LedgerGridModel::kBalanceColumn && text.isEmpty())
            text = QStringLiteral("Balance");
        LangString(QString::fromLatin1(key), text);
        headers << text;
    }
    m_model->setHeaders(headers);

    LedgerGridOptions options;
    options.sortIndex = m_sortBox->currentIndex();
    options.descending = m_descending;
    showSortIndicator();
    options.today = Clock::today();
    options.kindLabel = KindLabel;
    std::optional<BalanceBasis> basis;
    QList<Currency> currencies;
    if (m_data.tbValuta.isOpen()) {
        currencies = ReadCurrencies(m_data.tbValuta);
        options.first = DisplayCurrencyFor(currencies, settings::displayCurrency1.read());
        options.second = DisplayCurrencyFor(currencies, settings::displayCurrency2.read());
        if (m_balanceBasis && m_data.tbData.isOpen())
            basis = m_balanceBasis();
    }
    // The balances are counted once per build, and only while their column is shown.
    if (basis && !isColumnHidden(LedgerGridModel::kBalanceColumn)) {
        auto column = std::make_shared<RunningBalanceColumn>();
        column->after =
            RunningBalances(basis->rows, currencies, basis->withOpeningBalances, basis->sign);
        column->rows = std::move(basis->rows);
        column->sign = basis->sign;
        options.balances = std::move(column);
    }
    m_sumsLine->setText(
        basis ? ShownSumsText(SumShownEntries(m_data.tbData.viewRows(), currencies, basis->sign))
              : QString());
    {
        // The selection is put back below: the rebuild itself chooses nothing. Columns the
        // rebuild resizes are not widths the user set.
        const QSignalBlocker block(selectionModel());
        const QScopedValueRollback applying(m_applyingWidths, true);
        if (m_data.tbData.isOpen())
            m_model->setSource(
                std::make_shared<LedgerRowSource>(m_data.tbData.viewRows(), options));
        else
            m_model->setRows({});
        setColumnHidden(0, true);
        setColumnHidden(8, true);
        keepAmountsWhole();
    }
    m_stale = false;
    selectEntry(m_selectedId);
    selectionMoved();
}

// ---- column widths ----

bool LedgerGridView::hasComputedWidths() const {
    for (int n = 1; n <= 7; ++n) {
        if (!Settings::contains(settings::LedgerColumnKey(n)))
            return true;
    }
    return false;
}

void LedgerGridView::loadColumnWidths(int windowWidth) {
    const QScopedValueRollback applying(m_applyingWidths, true);
    const double w = windowWidth;
    // The computed widths leave two pixels of each column for the grid lines.
    LoadColumnWidths(this,
                     {RoundHalfEven(0.1 * w) - 27, RoundHalfEven(0.3 * w) - 2,
                      RoundHalfEven(0.1 * w) - 2, RoundHalfEven(0.1 * w) - 2,
                      RoundHalfEven(0.15 * w) - 2, RoundHalfEven(0.15 * w) - 2,
                      RoundHalfEven(0.1 * w) - 17},
                     settings::LedgerColumnKey);
    // The running balance is hidden until the settings show it: the described columns fill
    // the window without it.
    const int balance = LedgerGridModel::kBalanceColumn;
    const int balanceWidth = Settings::readInt(settings::LedgerColumnKey(balance), -1);
    const bool balancesWanted = balanceWidth >= 0 && isColumnHidden(balance);
    setColumnHidden(balance, balanceWidth < 0);
    if (balanceWidth >= 0)
        setColumnWidth(balance, balanceWidth);
    // A date is never cut: its column is at least as wide as the widest date of the short
    // format, whatever width was saved.
    if (!isColumnHidden(1) && columnWidth(1) < minimumDateWidth())
        setColumnWidth(1, minimumDateWidth());
    keepAmountsWhole();
    // The rows were built while the column was hidden, without their balances.
    if (balancesWanted && m_model->rowCount() > 0)
        refresh();
}

void LedgerGridView::keepAmountsWhole() {
    // An amount is never cut either: with two display currencies a cell holds two amounts,
    // wider than the share of the window the column gets. The rows are measured in bold, as the
    // grid draws some of them, over as many rows as a view measures for its contents.
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int first = std::max(0, rowAt(0));
    const int last = std::min(m_model->rowCount(), first + 1000);
    for (const int column : {3, 4}) {
        if (isColumnHidden(column))
            continue;
        int widest = 0;
        for (int row = first; row < last; ++row) {
            widest = std::max(
                widest, metrics.horizontalAdvance(m_model->index(row, column).data().toString()));
        }
        // The delegate's margin of two pixels, the grid line and a pixel of air.
        const int needed = widest + 4;
        if (columnWidth(column) < needed)
            setColumnWidth(column, needed);
    }
}

int LedgerGridView::minimumDateWidth() const {
    return MinimumDateWidth(font());
}

QList<int> LedgerGridView::chosenColumns() {
    return {1, 2, 3, 4, 5, 6, 7, LedgerGridModel::kBalanceColumn};
}

void LedgerGridView::saveColumnWidths() {
    for (int n = 1; n <= 7; ++n)
        Settings::writeInt(settings::LedgerColumnKey(n), shownColumnWidth(n));
    // The balance column's width is kept once the user has shown it.
    const int balance = LedgerGridModel::kBalanceColumn;
    if (Settings::contains(settings::LedgerColumnKey(balance)))
        Settings::writeInt(settings::LedgerColumnKey(balance), shownColumnWidth(balance));
}

int LedgerGridView::shownColumnWidth(int column) const {
    return isColumnHidden(column) ? -1 : columnWidth(column);
}

void LedgerGridView::setShownColumnWidth(int column, int width) {
    const QScopedValueRollback applying(m_applyingWidths, true);
    setColumnHidden(column, width < 0);
    if (width >= 0)
        setColumnWidth(column, width);
    Settings::writeInt(settings::LedgerColumnKey(column), width);
    // Balances are counted only while their column is shown.
    if (column == LedgerGridModel::kBalanceColumn && width >= 0)
        refresh();
}

// ---- texts ----

TranslationKeys LedgerGridView::translationKeys() {
    using namespace translation;
    TranslationKeys keys = {
        {QStringLiteral("date"), Item(m_sortBox, 0)},
        {QStringLiteral("delete"), Text(m_deleteAction)},
        {QStringLiteral("edit"), Text(m_editAction)},
        {QStringLiteral("name"), Item(m_sortBox, 1)},
        {QStringLiteral("group"), Item(m_sortBox, 2)},
        {QStringLiteral("sub-group"), Item(m_sortBox, 3)},
        {QStringLiteral("account"), Item(m_sortBox, 4)},
        {QStringLiteral("sorting"), Text(m_sortLabel)},
    };
    AddNumbered(keys, "hint", 3, 8, {All({Hint(m_sortLabel), Hint(m_sortBox)})});
    return keys;
}

} // namespace zovi
