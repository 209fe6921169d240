// The ledger page: the filter from its controls, the grid of the filtered entries, the balances,
// and the selection that decides which entry the commands act on.
#include "ledger/ledgerpage.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/messages.h"
#include "core/settings.h"
#include "core/wait.h"
#include "ledger/classifierwindows.h"
#include "ledger/currency.h"
#include "ledger/entrydialog.h"
#include "ledger/exchangedialog.h"
#include "ledger/movedialog.h"
#include "ledger/revalue.h"
#include "ledger/transferdialog.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "views/filterbuilder.h"
#include "views/framestat.h"
#include "views/ledgergrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

namespace zovi {

LedgerPage::LedgerPage(LedgerTables& tables, DebtTables& cd, WaitWindow* wait, QWidget* parent)
    : QWidget(parent), m_data(tables), m_cd(cd), m_wait(wait) {
    setObjectName(QStringLiteral("TabSheet1"));
    buildLayout();
    m_editRecord = new StandardEntryDialog(m_data, this);
    m_perevod = new TransferDialog(m_data, this);
    m_obmen = new ExchangeDialog(m_data, this);
    m_move = new MoveDialog(m_data, this);
    m_nameEditor = new NameEditor(this);
    m_users = new AccountsWindow(m_data, m_cd, m_nameEditor, this);
    m_vidRashod = new ChargeGroupsWindow(m_data, m_nameEditor, this);
    m_vidDohod = new IncomeGroupsWindow(m_data, m_nameEditor, this);
    for (GroupsWindow* groups :
         {static_cast<GroupsWindow*>(m_vidRashod), static_cast<GroupsWindow*>(m_vidDohod)}) {
        // The entry dialog's lists show the names as they are now.
        groups->setChangeHandler([this] {
            m_editRecord->refillGroups();
            m_editRecord->refillSubGroups();
        });
    }
    m_editRecord->setGroupEditor([this](bool incomes) {
        showGroups(incomes ? static_cast<GroupsWindow*>(m_vidDohod)
                           : static_cast<GroupsWindow*>(m_vidRashod));
    });
    connectControls();
    buildDateMenu();
    selectionMoved();
}

LedgerPage::~LedgerPage() = default;

void LedgerPage::setCalculator(const std::function<bool(QString&)>& calculate) {
    m_editRecord->setCalculator(calculate);
    m_perevod->setCalculator(calculate);
    m_obmen->setCalculator(calculate);
}

void LedgerPage::connectControls() {
    connect(TabControl1, &QTabBar::currentChanged, this, [this] {
        BusyCursor busy;
        SelFilter();
    });
    connect(Grid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(Grid1->viewport()->mapToGlobal(pos)); });
    connect(Grid1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LedgerPage::selectionMoved);
    // Entries posted from elsewhere (another window, a revaluation of the ledger view) reach
    // the grid once the command that posted them is over; commands that rebuild the grid
    // themselves leave nothing to do.
    connect(&m_data.tbData, &TableHandle::viewChanged, this, &LedgerPage::ledgerViewChanged);
    connectFilterHandlers();
    connectSelectionLists();

    connect(toolButton(QStringLiteral("tb1")), &QToolButton::clicked, this, &LedgerPage::NewRec);
    connect(toolButton(QStringLiteral("tb2")), &QToolButton::clicked, this, &LedgerPage::DeleteRec);
    connect(toolButton(QStringLiteral("tb3")), &QToolButton::clicked, this, &LedgerPage::EditRec);
    connect(toolButton(QStringLiteral("tb4")), &QToolButton::clicked, this, &LedgerPage::bperevod);
    connect(toolButton(QStringLiteral("tb5")), &QToolButton::clicked, this, &LedgerPage::NewObmen);
    connect(toolButton(QStringLiteral("tb8")), &QToolButton::clicked, this,
            &LedgerPage::exitRequested);
    connect(PopupDelete, &QAction::triggered, this, &LedgerPage::DeleteRec);
    connect(PopupEdit, &QAction::triggered, this, &LedgerPage::EditRec);
    connect(Grid1, &QTableView::doubleClicked, this, &LedgerPage::EditRec);
    connect(Splitter1, &QSplitter::splitterMoved, this, &LedgerPage::bottomSplitterMoved);
    connect(Grid1->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_applyingWidths)
            Q_EMIT columnResizedByUser();
    });
    connect(CheckBox7, &QCheckBox::toggled, this, [this](bool on) { Button17->setVisible(!on); });
    connect(Button17, &QPushButton::clicked, this, &LedgerPage::SelFilter);
}

void LedgerPage::connectFilterHandlers() {
    auto autoRefresh = [this] {
        return CheckBox7->isChecked();
    };
    connect(Filter, &QCheckBox::clicked, this, [=, this] {
        if (autoRefresh() && CheckBox4->isChecked())
            SelFilter();
    });
    for (QCheckBox* end : {CheckBox4, CheckBox5}) {
        connect(end, &QCheckBox::clicked, this, [=, this] {
            if (autoRefresh() && Filter->isChecked())
                SelFilter();
        });
    }
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, [=, this] {
        if (autoRefresh() && CheckBox4->isChecked() && Filter->isChecked())
            SelFilter();
    });
    connect(DateTimePicker2, &QDateEdit::dateChanged, this, [=, this] {
        if (autoRefresh() && CheckBox5->isChecked() && Filter->isChecked())
            SelFilter();
    });
    connect(CheckBox3, &QCheckBox::clicked, this, [=, this] {
        if (autoRefresh())
            SelFilter();
    });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [=, this] {
        if (autoRefresh() && CheckBox3->isChecked())
            SelFilter();
    });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [=, this] {
        // The value list is refilled first, so that the filter uses the value it shows.
        SelVid();
        if (autoRefresh() && CheckBox3->isChecked())
            SelFilter();
    });
    for (QRadioButton* kind : {rAll, rIncomes, rCharges}) {
        connect(kind, &QRadioButton::clicked, this, &LedgerPage::SelFilter);
    }
    connect(ButtonSearch1, &QPushButton::clicked, this, [this] {
        if (PageControl2->currentIndex() == 2)
            SelFilter();
    });
    connect(PageControl2, &QTabWidget::currentChanged, this, &LedgerPage::filterPageChanged);
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, &LedgerPage::RefreshGrid);
    connect(ComboBoxV, &QComboBox::currentIndexChanged, this, &LedgerPage::REVALUE);
}

// ---- the selection ----

void LedgerPage::selectionMoved() {
    const QModelIndexList rows = Grid1->selectionModel()->selectedRows();
    m_selectedId =
        rows.isEmpty() ? 0 : m_gridModel->data(rows.first(), LedgerGridModel::IdRole).toLongLong();
    // The ledger view's cursor follows the chosen entry, for whatever reads the current row.
    if (m_selectedId != 0 && m_data.tbData.isOpen())
        m_data.tbData.locate(QStringLiteral("ID"), m_selectedId);
    const bool chosen = m_selectedId != 0;
    for (const char* name : {"tb2", "tb3"})
        toolButton(QString::fromLatin1(name))->setEnabled(chosen);
    PopupDelete->setEnabled(chosen);
    PopupEdit->setEnabled(chosen);
    Q_EMIT entrySelectionChanged(chosen);
}

void LedgerPage::selectEntry(qint64 id) {
    const int row = id != 0 ? m_gridModel->rowOfId(id) : -1;
    if (row >= 0) {
        Grid1->selectRow(row);
        Grid1->scrollTo(m_gridModel->index(row, 1));
        return;
    }
    selectLastRow();
}

void LedgerPage::selectLastRow() {
    if (m_gridModel->rowCount() > 0) {
        Grid1->selectRow(m_gridModel->rowCount() - 1);
        Grid1->scrollToBottom();
    } else {
        Grid1->clearSelection();
    }
}

void LedgerPage::ledgerViewChanged() {
    // A closed ledger lets go of its rows at once: the grid would otherwise keep the image of
    // the database being left in memory while the next one is read.
    if (!m_data.tbData.isOpen() && m_gridModel->rowCount() > 0)
        m_gridModel->setRows({});
    if (m_gridStale)
        return;
    m_gridStale = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_gridStale)
                RefreshGrid();
        },
        Qt::QueuedConnection);
}

// ---- filter, grid and balances ----

void LedgerPage::AddCategory() {
    const QSignalBlocker block(TabControl1);
    while (TabControl1->count() > 0)
        TabControl1->removeTab(0);
    TableHandle& accounts = m_data.tbGr1;
    if (accounts.isOpen()) {
        for (accounts.first(); !accounts.eof(); accounts.next())
            TabControl1->addTab(accounts.field(QStringLiteral("Name")).text());
    }
    TabControl1->addTab(QStringLiteral("[...]"));
}

FilterState LedgerPage::readFilterState() const {
    FilterState state;
    state.hasTabs = TabControl1->count() > 0;
    state.tabText = TabControl1->tabText(TabControl1->currentIndex());
    state.lastTabSelected = TabControl1->currentIndex() == TabControl1->count() - 1;
    state.filterPage = PageControl2->currentIndex();
    state.editorPageActive = m_active;
    state.fastView = settings::quickView.read();
    state.dateChecked = Filter->isChecked();
    state.fromChecked = CheckBox4->isChecked();
    state.fromDate = DateTimePicker1->date();
    state.toChecked = CheckBox5->isChecked();
    state.toDate = DateTimePicker2->date();
    state.kind = rIncomes->isChecked()   ? EntryKindFilter::Incomes
                 : rCharges->isChecked() ? EntryKindFilter::Charges
                                         : EntryKindFilter::All;
    state.showPlan = CheckBox10->isChecked();
    state.groupsChecked = CheckBox3->isChecked();
    state.groupCategory = ComboBox2->currentIndex();
    state.groupValue = ComboBox1->currentText();
    state.incomeGroups = FrameStat1->ticked(0);
    state.chargeGroups = FrameStat1->ticked(1);
    state.incomeSubGroups = FrameStat1->ticked(2);
    state.chargeSubGroups = FrameStat1->ticked(3);
    state.accounts = FrameStat1->ticked(4);
    state.periods = FrameStat1->ticked(SelectionListsFrame::kDates);
    state.searchText = EditSearch->text();
    state.today = Clock::today();
    return state;
}

FilterState LedgerPage::filterState() const {
    return readFilterState();
}

QString LedgerPage::valueFigure() const {
    return LabelV->text();
}

QString LedgerPage::valueCurrency() const {
    return ComboBoxV->currentText();
}

void LedgerPage::SelFilter() {
    if (!m_data.tbData.isOpen())
        return;
    WaitGuard wait(m_wait);
    try {
        m_data.tbData.setFiltered(false);
        m_data.tbData2.setFiltered(false);
        if (m_data.tbData2.isEmpty()) {
            // An empty ledger stays unfiltered; only the balances are computed.
            REVALUE();
            RefreshGrid();
            return;
        }
        ApplyFilters(BuildFilters(readFilterState()), m_data.tbData, m_data.tbData2);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    BusyCursor busy;
    setEnabled(false);
    REVALUE();
    RefreshGrid();
    setEnabled(true);
}

void LedgerPage::RefreshAfterChange() {
    WaitGuard wait(m_wait);
    BusyCursor busy;
    // The balance pass stores InDol into rows the grid shows, so the grid is built after it;
    // building it before as well would show the same rows twice over.
    REVALUE();
    RefreshGrid();
    ReValuta();
}

void LedgerPage::SelVid() {
    const auto names = SelVidNames(m_data, ComboBox2->currentIndex());
    if (!names)
        return;
    const QSignalBlocker block(ComboBox1);
    QStringList sorted = *names;
    sorted.sort(Qt::CaseInsensitive);
    ComboBox1->clear();
    ComboBox1->addItems(sorted);
}

void LedgerPage::RefreshGrid() {
    BusyCursor busy;
    QStringList headers;
    for (const char* key : {"date", "name", "income", "charge", "group", "sub-group", "account"}) {
        QString text = m_gridModel->headerData(int(headers.size()) + 1, Qt::Horizontal).toString();
        LangString(QString::fromLatin1(key), text);
        headers << text;
    }
    m_gridModel->setHeaders(headers);

    LedgerGridOptions options;
    options.sortIndex = ComboBox3->currentIndex();
    options.today = Clock::today();
    options.kindLabel = [](const QString& type) {
        return LangText(QStringLiteral("type") + type, QString());
    };
    if (m_data.tbValuta.isOpen()) {
        const QList<Currency> currencies = ReadCurrencies(m_data.tbValuta);
        options.first = DisplayCurrencyFor(currencies, settings::displayCurrency1.read());
        options.second = DisplayCurrencyFor(currencies, settings::displayCurrency2.read());
    }
    {
        // The selection is put back below: the rebuild itself chooses nothing. Columns the
        // rebuild resizes are not widths the user set.
        const QSignalBlocker block(Grid1->selectionModel());
        const QScopedValueRollback applying(m_applyingWidths, true);
        if (m_data.tbData.isOpen())
            m_gridModel->setSource(
                std::make_shared<LedgerRowSource>(m_data.tbData.viewRows(), options));
        else
            m_gridModel->setRows({});
        Grid1->setColumnHidden(0, true);
        Grid1->setColumnHidden(8, true);
    }
    m_gridStale = false;
    // The entry that was chosen stays chosen while it is shown; otherwise the last row is.
    selectEntry(m_selectedId);
    selectionMoved();
}

void LedgerPage::REVALUE() {
    if (!m_data.tbData2.isOpen() || !m_data.tbValuta.isOpen())
        return;
    try {
        const RevalueResult result =
            Revalue(m_data, OpeningBalancesCount(TabControl1->currentIndex(), TabControl1->count()),
                    ComboBoxV->currentText());
        LabelV->setText(result.labelText);
        LabelV->setToolTip(result.labelHint);
        // One row per currency; the shown balances fill the rows from the top.
        GridValutaV->clearContents();
        GridValutaV->setRowCount(int(result.currencies.size()));
        const int width = GridValutaV->viewport()->width();
        GridValutaV->setColumnWidth(1, qRound(width * 0.6));
        GridValutaV->setColumnWidth(2, qRound(width * 0.4));
        for (int i = 0; i < result.lines.size(); ++i) {
            const BalanceLine& line = result.lines[i];
            GridValutaV->setItem(i, 0, new QTableWidgetItem(line.mark));
            GridValutaV->setItem(i, 1, new QTableWidgetItem(line.name));
            GridValutaV->setItem(i, 2, new QTableWidgetItem(line.balance));
        }
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
}

void LedgerPage::ReValuta() {
    if (!m_data.tbValuta.isOpen())
        return;
    const QString chosen = ComboBoxV->currentText();
    const QSignalBlocker block(ComboBoxV);
    ComboBoxV->clear();
    for (const Currency& c : ReadCurrencies(m_data.tbValuta))
        ComboBoxV->addItem(c.Znak);
    const int at = ComboBoxV->findText(chosen);
    ComboBoxV->setCurrentIndex(at >= 0 ? at : 0);
}

QString LedgerPage::currentEntryAccount(bool trim) const {
    QStringList tabs;
    for (int i = 0; i < TabControl1->count(); ++i)
        tabs << TabControl1->tabText(i);
    return EntryAccount(tabs, TabControl1->currentIndex(), trim);
}

} // namespace zovi
