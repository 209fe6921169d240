#include "app/mainwindow.h"

#include "app/servicewindow.h"
#include "core/clock.h"
#include "core/lang.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/wait.h"
#include "databases/backupwindow.h"
#include "databases/catalogueeditor.h"
#include "databases/chooserwindow.h"
#include "databases/databasedialog.h"
#include "databases/databasefolder.h"
#include "databases/folderdialog.h"
#include "databases/passworddialog.h"
#include "ledger/currency.h"
#include "ledger/currencywindow.h"
#include "ledger/deleteentry.h"
#include "ledger/entrydialog.h"
#include "ledger/entrykinds.h"
#include "ledger/exchangedialog.h"
#include "ledger/movedialog.h"
#include "ledger/revalue.h"
#include "ledger/standardentry.h"
#include "ledger/transferdialog.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "tools/calculatorwindow.h"
#include "views/filterbuilder.h"
#include "views/ledgergrid.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

namespace zovi {

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

// Rounds to the nearest integer, halves to the even neighbour.
int RoundEven(double v) {
    return int(std::nearbyint(v));
}

} // namespace

Tstart_form::Tstart_form(Tdata& data, TCDdata& cd, QWidget* parent)
    : QMainWindow(parent), m_data(data), m_cd(cd) {
    m_exit = [] {
        QCoreApplication::exit(0);
    };
    buildLayout();

    m_wait = new Twait(this);
    m_password = new TfPasswordCheck(this);
    m_chooseShell = new TfChooseShell(this);
    m_editData = new TfEditData(m_chooseShell, this);
    m_dbEditor = new TDBSel2(m_password, m_editData, this);
    m_chooser = new TDBSelLite(m_data, m_cd, m_password, m_dbEditor, m_wait, this);
    m_reservCopy = new TReservCopy(this);
    m_systemMenu = new TfSystemMenu(m_data, this);
    m_editRecord = new TFormEditRecord(m_data, this);
    m_nastr = new TNastr(m_data, this);
    m_move = new TfMove(m_data, this);
    m_calculator = new Tkalkulator(this);
    m_editRecord->setCalculator(
        [this](QString& amount) { return m_calculator->calculate(amount); });
    m_perevod = new Tperevod_form(m_data, this);
    m_perevod->setCalculator([this](QString& amount) { return m_calculator->calculate(amount); });
    m_obmen = new TObmen(m_data, this);
    m_obmen->setCalculator([this](QString& amount) { return m_calculator->calculate(amount); });

    connectCommands();
}

Tstart_form::~Tstart_form() = default;

void Tstart_form::connectCommands() {
    connect(Timer1, &QTimer::timeout, this, &Tstart_form::Timer1Tick);
    connect(Timer3, &QTimer::timeout, this, &Tstart_form::Timer3Tick);
    connect(TimerExit, &QTimer::timeout, this, [this] {
        TimerExit->stop();
        m_exit();
    });
    connect(RefreshAllDataTimer, &QTimer::timeout, this, &Tstart_form::RefreshAllDataTimerTick);
    connect(Page, &QTabWidget::currentChanged, this, &Tstart_form::PageChange);

    connect(m_buttons.value(QStringLiteral("tb8")), &QToolButton::clicked, this, &QWidget::close);
    connect(m_actions.value(QStringLiteral("SaveData")), &QAction::triggered, this,
            &Tstart_form::SaveData);
    connect(m_actions.value(QStringLiteral("Help")), &QAction::triggered, this, &Tstart_form::Help);
    connect(m_actions.value(QStringLiteral("About")), &QAction::triggered, this,
            &Tstart_form::About);
    connect(m_actions.value(QStringLiteral("Calendar")), &QAction::triggered, this,
            &Tstart_form::Calendar);
    connect(m_actions.value(QStringLiteral("SystemMenu")), &QAction::triggered, this, [this] {
        Timer1->stop();
        Timer3->stop();
        m_systemMenu->exec();
    });
    connect(TabControl1, &QTabBar::currentChanged, this, [this] {
        BusyCursor busy;
        SelFilter();
    });
    connect(Grid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(Grid1->viewport()->mapToGlobal(pos)); });
    connect(Grid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                // The grid is sorted apart from the table: the row's ID finds the entry.
                if (current.isValid() && m_data.tbData.isOpen())
                    m_data.tbData.locate(QStringLiteral("ID"),
                                         m_gridModel->data(current, LedgerGridModel::IdRole));
            });
    connectFilterHandlers();
    connect(m_actions.value(QStringLiteral("Currency")), &QAction::triggered, this, [this] {
        m_nastr->exec();
        RequestFullRefresh();
    });
    connect(m_buttons.value(QStringLiteral("tb2")), &QToolButton::clicked, this,
            &Tstart_form::DeleteRec);
    for (const char* name : {"DeleteRec", "PopupDelete"}) {
        connect(m_actions.value(QString::fromLatin1(name)), &QAction::triggered, this,
                &Tstart_form::DeleteRec);
    }
    connect(m_actions.value(QStringLiteral("MoveRec")), &QAction::triggered, this,
            &Tstart_form::MoveRec);
    connect(m_actions.value(QStringLiteral("Calculator")), &QAction::triggered, m_calculator,
            &Tkalkulator::openEmpty);
    connect(Splitter1, &QSplitter::splitterMoved, this, &Tstart_form::bottomSplitterMoved);
    connect(m_buttons.value(QStringLiteral("tb1")), &QToolButton::clicked, this,
            &Tstart_form::NewRec);
    connect(m_actions.value(QStringLiteral("NewRec")), &QAction::triggered, this,
            &Tstart_form::NewRec);
    connect(m_buttons.value(QStringLiteral("tb4")), &QToolButton::clicked, this,
            &Tstart_form::bperevod);
    connect(m_actions.value(QStringLiteral("bperevod")), &QAction::triggered, this,
            &Tstart_form::bperevod);
    connect(m_buttons.value(QStringLiteral("tb5")), &QToolButton::clicked, this,
            &Tstart_form::NewObmen);
    connect(m_actions.value(QStringLiteral("NewObmen")), &QAction::triggered, this,
            &Tstart_form::NewObmen);
    connect(m_buttons.value(QStringLiteral("tb3")), &QToolButton::clicked, this, [this] {
        EditRec();
        if (m_data.tbData.isOpen())
            m_data.tbData.refresh();
    });
    for (const char* name : {"EditRec", "PopupEdit"}) {
        connect(m_actions.value(QString::fromLatin1(name)), &QAction::triggered, this,
                &Tstart_form::EditRec);
    }
    connect(Grid1, &QTableView::doubleClicked, this, &Tstart_form::EditRec);
    connect(CheckBox7, &QCheckBox::toggled, this, [this](bool on) { Button17->setVisible(!on); });
    connect(Button17, &QPushButton::clicked, this, &Tstart_form::SelFilter);
}

// ---- start-up ----

void Tstart_form::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The chooser is shown once the window is on the screen, from the message loop.
    QMetaObject::invokeMethod(this, &Tstart_form::FormShow, Qt::QueuedConnection);
}

void Tstart_form::writeFirstStartDefaults() {
    if (Settings::contains(QStringLiteral("initialized")))
        return;
    const QString current = QDir::currentPath();
    Settings::writeInt(QStringLiteral("accounts"), 0);
    Settings::writeBool(QStringLiteral("flat_panel"), true);
    Settings::writeBool(QStringLiteral("flat_button"), true);
    Settings::writeString(QStringLiteral("reservcopy"), current);
    Settings::writeBool(QStringLiteral("showcopy"), true);
    Settings::writeBool(QStringLiteral("alphablend"), true);
    Settings::writeString(QStringLiteral("skin"), current + QStringLiteral("/Skins/Longhorn.sui"));
    Settings::writeInt(QStringLiteral("initialized"), 1);
}

void Tstart_form::FormShow() {
    Settings::writeString(QStringLiteral("curdir"), QDir::currentPath());
    writeFirstStartDefaults();
    if (m_chooser->exec() != QDialog::Accepted) {
        TimerExit->setInterval(1);
        TimerExit->start();
        return;
    }
    m_databaseChosen = true;
    Timer1->setInterval(10);
    Timer1->start();
    Timer3->setInterval(1);
    Timer3->start();
    Startup();
}

void Tstart_form::Startup() {
    AddCategory();
    Lang();
    SelFilter();
    m_wait->showNow();
    REVALUE();
    ReValuta();
    LoadFace();
    N15();
    RefreshGrid();
}

void Tstart_form::Timer3Tick() {
    Timer3->stop();
    ComboBox3->setCurrentIndex(0);
    showMaximized();
    // The grid takes the room the bottom panel does not need.
    setBottomPanelExtended(m_bottomExtended);
    SizeLoad();
    m_wait->hide();
}

// ---- the timers ----

void Tstart_form::Timer1Tick() {
    const bool entries = m_data.tbData.isOpen() && !m_data.tbData.isEmpty();
    m_buttons.value(QStringLiteral("tb2"))->setEnabled(entries);
    m_buttons.value(QStringLiteral("tb3"))->setEnabled(entries);
    m_actions.value(QStringLiteral("PopupEdit"))->setEnabled(entries);
    const bool debts = m_cd.tbCredit.isOpen() && !m_cd.tbCredit.isEmpty();
    m_buttons.value(QStringLiteral("DeleteCredit_bt"))->setEnabled(debts);
    m_buttons.value(QStringLiteral("EditCredit_bt"))->setEnabled(debts);
}

void Tstart_form::RequestFullRefresh() {
    RefreshAllDataTimer->setInterval(1);
    RefreshAllDataTimer->start();
}

void Tstart_form::RefreshAllDataTimerTick() {
    if (RefreshAllDataTimer->interval() == 1) {
        // The next tick arrives inside the modal wait window: the user sees it for exactly
        // the time of the refresh.
        RefreshAllDataTimer->setInterval(2);
        QString text = S("Please, wait...");
        LangString(QStringLiteral("wait"), text);
        m_wait->exec();
        return;
    }
    RefreshAllDataTimer->stop();
    RefreshAllDataTimer->setInterval(0);
    ++m_fullRefreshCount;
    try {
        RefreshGrid();
        REVALUE();
        ReValuta();
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    m_wait->accept();
}

// ---- pages ----

void Tstart_form::PageChange(int index) {
    for (const char* name : {"NewRec", "bperevod", "NewObmen", "DeleteRec", "EditRec", "MoveRec"})
        m_actions.value(QString::fromLatin1(name))->setEnabled(index == 0);
    menuBar()->findChild<QMenu*>(QStringLiteral("N2"))->setEnabled(index == 0);
    for (const char* name : {"NewCredit", "DeleteCredit", "EditCredit"})
        m_actions.value(QString::fromLatin1(name))->setEnabled(index == 1);
    for (const char* name : {"ChartSaveAs", "ChartPrint"})
        m_actions.value(QString::fromLatin1(name))->setEnabled(index == 2);
    if (index == 0 && m_databaseChosen) {
        REVALUE();
        ReValuta();
        RefreshGrid();
        selectLastRow();
    }
}

// ---- the ledger ----

void Tstart_form::AddCategory() {
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

FilterState Tstart_form::readFilterState() const {
    FilterState state;
    state.hasTabs = TabControl1->count() > 0;
    state.tabText = TabControl1->tabText(TabControl1->currentIndex());
    state.lastTabSelected = TabControl1->currentIndex() == TabControl1->count() - 1;
    state.filterPage = PageControl2->currentIndex();
    state.editorPageActive = Page->currentIndex() == 0;
    state.fastView = Settings::readBool(QStringLiteral("fastview"), false);
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
    state.searchText = EditSearch->text();
    state.today = Clock::today();
    return state;
}

void Tstart_form::SelFilter() {
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
    Page->setEnabled(false);
    m_data.tbData.last();
    REVALUE();
    RefreshGrid();
    selectLastRow();
    Page->setEnabled(true);
}

void Tstart_form::RefreshAfterChange() {
    WaitGuard wait(m_wait);
    BusyCursor busy;
    // The balance pass stores InDol into rows the grid shows, so the grid is built after it;
    // building it before as well would show the same rows twice over.
    REVALUE();
    RefreshGrid();
    ReValuta();
}

QString Tstart_form::currentEntryAccount(bool trim) const {
    QStringList tabs;
    for (int i = 0; i < TabControl1->count(); ++i)
        tabs << TabControl1->tabText(i);
    return EntryAccount(tabs, TabControl1->currentIndex(), trim);
}

void Tstart_form::NewRec() {
    if (!m_data.tbData.isOpen())
        return;
    if (m_data.tbValuta.isEmpty()) {
        Messages::error(this, QStringLiteral("An entry needs a currency, and this database has "
                                             "none yet. Add one in the \"Currency\" window "
                                             "first."));
        return;
    }
    m_editRecord->prepareNew();
    if (saveFromDialog(
            m_editRecord,
            [this] { AppendStandardEntry(m_data, m_editRecord->entry(), currentEntryAccount()); },
            [this] { m_editRecord->ReCurrency(); })) {
        RefreshAfterChange();
        selectLastRow();
    }
}

bool Tstart_form::saveFromDialog(FadingDialog* dialog, const std::function<void()>& save,
                                 const std::function<void()>& relist) {
    dialog->setFading(m_alphaBlend);
    while (dialog->exec() == QDialog::Accepted) {
        try {
            save();
            return true;
        } catch (const StoreError& e) {
            Messages::error(this, e.message());
        }
        relist();
    }
    return false;
}

void Tstart_form::EditRec() {
    TableHandle& d = m_data.tbData;
    if (!d.isOpen() || d.isEmpty())
        return;
    switch (EditActionFor(d.field(QStringLiteral("Type")).text())) {
    case EditAction::Standard:
        EditStandartRecord();
        break;
    case EditAction::Refused:
        Messages::error(this, LangText(QStringLiteral("err025"), QString()));
        break;
    case EditAction::Transfer:
        editperevod();
        break;
    case EditAction::Exchange:
        editobmen();
        break;
    case EditAction::None:
        break;
    }
}

void Tstart_form::EditStandartRecord() {
    TableHandle& d = m_data.tbData;
    if (!d.isOpen() || d.isEmpty())
        return;
    m_editRecord->prepareEdit(
        ReadStandardEntry(m_data, m_data.tbData.field(QStringLiteral("ID")).toInt()));
    if (saveFromDialog(
            m_editRecord,
            [this, id = m_data.tbData.field(QStringLiteral("ID")).toInt()] {
                RewriteStandardEntry(m_data, id, m_editRecord->entry(), currentEntryAccount());
            },
            [this] { m_editRecord->ReCurrency(); }))
        RefreshAfterChange();
}

void Tstart_form::DeleteRec() {
    TableHandle& d = m_data.tbData;
    if (!d.isOpen() || d.isEmpty())
        return;
    const QString question =
        LangText(QStringLiteral("err011"), QStringLiteral("Do you want delete?"));
    const QString debts =
        LangText(QStringLiteral("err014"),
                 QStringLiteral("For delete of debts you must open window \"Debts\""));
    switch (DeleteActionFor(d.field(QStringLiteral("Type")).text())) {
    case DeleteAction::Nothing:
        return;
    case DeleteAction::Refused:
        Messages::error(this, debts);
        return;
    case DeleteAction::Transfer:
    case DeleteAction::Single:
    case DeleteAction::Repayment:
        if (!Messages::confirm(this, question))
            return;
        break;
    }
    try {
        DeleteEntry(m_data, m_cd, m_data.tbData.field(QStringLiteral("ID")).toInt());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    RefreshAfterChange();
    selectLastRow();
}

void Tstart_form::MoveRec() {
    TableHandle& d = m_data.tbData;
    if (!d.isOpen() || d.isEmpty())
        return;
    if (m_move->exec() != QDialog::Accepted)
        return;
    const qint64 id = d.field(QStringLiteral("ID")).toInt();
    try {
        MoveEntry(m_data, id, m_move->account());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    // The balances are not recomputed: a move changes no amount.
    RefreshGrid();
    selectEntryRow(id);
}

void Tstart_form::selectEntryRow(qint64 id) {
    const auto& rows = m_gridModel->rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].id == id) {
            Grid1->selectRow(int(i));
            Grid1->scrollTo(m_gridModel->index(int(i), 1));
            return;
        }
    }
    selectLastRow();
}

void Tstart_form::setBottomPanelExtended(bool extended) {
    m_bottomExtended = extended;
    const int height = extended ? 138 : 27;
    PanelLower->setVisible(extended);
    // The panel may be dragged anywhere between its two heights and then snaps to one; the
    // splitter sits just above it.
    Panel6->setMinimumHeight(27);
    Panel6->setMaximumHeight(138);
    const QSignalBlocker block(Splitter1);
    const int total = std::max(Splitter1->height(), height + 100);
    Splitter1->setSizes({total - height, height});
}

void Tstart_form::bottomSplitterMoved() {
    // A requested height of 100 or less collapses the panel, anything more extends it.
    setBottomPanelExtended(Splitter1->sizes().value(1) > 100);
}

void Tstart_form::selectLastRow() {
    if (m_gridModel->rowCount() > 0) {
        Grid1->selectRow(m_gridModel->rowCount() - 1);
        Grid1->scrollToBottom();
    }
}

void Tstart_form::SelVid() {
    const auto names = SelVidNames(m_data, ComboBox2->currentIndex());
    if (!names)
        return;
    const QSignalBlocker block(ComboBox1);
    QStringList sorted = *names;
    sorted.sort(Qt::CaseInsensitive);
    ComboBox1->clear();
    ComboBox1->addItems(sorted);
}

void Tstart_form::RefreshGrid() {
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
        auto displayFor = [&currencies](const QString& setting) {
            DisplayCurrency display;
            const QString name = Settings::readString(setting, QStringLiteral("-/-"));
            for (const Currency& c : currencies) {
                if (c.Name != name)
                    continue;
                display.name = c.Name;
                display.sign = c.Znak;
                display.convert = [currencies, target = c](
                                      double value, const QString& from) -> std::optional<double> {
                    for (const Currency& source : currencies) {
                        if (source.Name == from)
                            return ConvertCurrency(value, source, target);
                    }
                    return std::nullopt;
                };
                break;
            }
            return display;
        };
        options.first = displayFor(QStringLiteral("currency1"));
        options.second = displayFor(QStringLiteral("currency2"));
    }
    const QSignalBlocker block(Grid1->selectionModel());
    m_gridModel->setRows(BuildLedgerRows(m_data.tbData, options));
    Grid1->setColumnHidden(0, true);
    Grid1->setColumnHidden(8, true);
}

void Tstart_form::REVALUE() {
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

void Tstart_form::ReValuta() {
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

void Tstart_form::connectFilterHandlers() {
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
        if (autoRefresh() && CheckBox3->isChecked())
            SelFilter();
        SelVid();
    });
    for (QRadioButton* kind : {rAll, rIncomes, rCharges}) {
        connect(kind, &QRadioButton::clicked, this, &Tstart_form::SelFilter);
    }
    connect(ButtonSearch1, &QPushButton::clicked, this, [this] {
        if (PageControl2->currentIndex() == 2)
            SelFilter();
    });
    connect(PageControl2, &QTabWidget::currentChanged, this, [this](int index) {
        Panel2->setVisible(index == 1);
        SelFilter();
    });
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, &Tstart_form::RefreshGrid);
    connect(ComboBoxV, &QComboBox::currentIndexChanged, this, &Tstart_form::REVALUE);
}

void Tstart_form::N15() {
    const QDate today = Clock::today();
    const QDate first(today.year(), today.month(), 1);
    {
        const QSignalBlocker b1(DateTimePicker1);
        const QSignalBlocker b2(DateTimePicker2);
        DateTimePicker1->setDate(first);
        DateTimePicker2->setDate(first.addMonths(1).addDays(-1));
    }
    if (CheckBox7->isChecked() && Filter->isChecked())
        SelFilter();
}

void Tstart_form::SaveData() {
    try {
        const QList<TableHandle*> handles = OpeningOrder(m_data, m_cd);
        for (auto it = handles.rbegin(); it != handles.rend(); ++it)
            (*it)->close();
        OpenDatabase(m_data, m_cd);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    RefreshGrid();
}

// ---- appearance ----

void Tstart_form::LoadFace() {
    const int accounts = Settings::readInt(QStringLiteral("accounts"), 0);
    if (accounts >= 0 && accounts <= 2) {
        static const char* const styles[] = {
            "",
            "QTabBar::tab { border: 1px solid palette(mid); border-radius: 3px; margin: 1px; "
            "padding: 3px 8px; }",
            "QTabBar::tab { border: none; margin: 1px; padding: 3px 8px; } "
            "QTabBar::tab:selected { border: 1px solid palette(mid); }"};
        TabControl1->setStyleSheet(QString::fromLatin1(styles[accounts]));
        TabControl1->setDrawBase(accounts == 0);
        TabControl1->setProperty("accountsStyle", accounts);
    }

    const bool transparent = Settings::readBool(QStringLiteral("flat_panel"), true);
    const bool flat = Settings::readBool(QStringLiteral("flat_button"), false);
    for (QToolBar* bar : {ToolBar1, ToolBar2}) {
        bar->setStyleSheet(
            transparent ? QStringLiteral("QToolBar { background: transparent; border: none; }")
                        : QString());
        bar->setProperty("transparent", transparent);
        for (QToolButton* b : bar->findChildren<QToolButton*>())
            b->setAutoRaise(flat);
    }

    QString skin = Settings::readString(QStringLiteral("skin"));
    const QString fallback = ProgramFolder::file(QStringLiteral("Skins/Longhorn.sui"));
    if (skin.isEmpty())
        skin = fallback;
    if (skin != m_loadedSkin) {
        auto load = [](const QString& path) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
            return true;
        };
        if (load(skin))
            m_loadedSkin = skin;
        else if (load(fallback))
            m_loadedSkin = fallback;
    }

    if (Settings::contains(QStringLiteral("alphablend")))
        m_alphaBlend = Settings::readBool(QStringLiteral("alphablend"), false);

    for (const char* name : {"msPage", "msFilter", "msValue"}) {
        if (!Settings::contains(QString::fromLatin1(name)))
            Settings::writeBool(QString::fromLatin1(name), true);
    }
    const bool pageLeft = Settings::readBool(QStringLiteral("msPage"), true);
    Page->setTabPosition(pageLeft ? QTabWidget::West : QTabWidget::North);
    const int tabWidth = pageLeft ? 130 : 230;
    Page->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { %1: %2px; }")
            .arg(pageLeft ? QStringLiteral("min-height") : QStringLiteral("min-width"))
            .arg(tabWidth));
    Page->setProperty("tabWidth", tabWidth);
    PageControl2->setTabPosition(Settings::readBool(QStringLiteral("msFilter"), true)
                                     ? QTabWidget::South
                                     : QTabWidget::North);
    setBottomPanelExtended(!Settings::readBool(QStringLiteral("msValue"), true));
}

void Tstart_form::SizeLoad() {
    const double w = width();
    const int computed[] = {RoundEven(0.1 * w) - 25, RoundEven(0.3 * w),  RoundEven(0.1 * w),
                            RoundEven(0.1 * w),      RoundEven(0.15 * w), RoundEven(0.15 * w),
                            RoundEven(0.1 * w) - 15};
    auto apply = [](QTableView* grid, int column, int widthValue) {
        grid->setColumnHidden(column, widthValue < 0);
        if (widthValue >= 0)
            grid->setColumnWidth(column, widthValue);
    };
    for (int n = 1; n <= 7; ++n) {
        const QString name = QStringLiteral("size%1").arg(n);
        apply(Grid1, n,
              Settings::contains(name) ? Settings::readInt(name, 0) : computed[n - 1] - 2);
    }
    const double wd = width() - Panel4->width();
    const int debts[] = {RoundEven(0.13 * wd) - 25, RoundEven(0.4 * wd),  RoundEven(0.15 * wd),
                         RoundEven(0.15 * wd),      RoundEven(0.03 * wd), RoundEven(0.14 * wd)};
    for (int n = 1; n <= 6; ++n) {
        const QString name = QStringLiteral("sizeCD%1").arg(n);
        apply(GridD, n, Settings::contains(name) ? Settings::readInt(name, 0) : debts[n - 1] - 2);
    }
    GridD->setColumnHidden(0, true);
}

void Tstart_form::SizeSave() {
    for (int n = 1; n <= 7; ++n) {
        Settings::writeInt(QStringLiteral("size%1").arg(n),
                           Grid1->isColumnHidden(n) ? -1 : Grid1->columnWidth(n));
    }
}

// ---- small windows ----

void Tstart_form::Help() {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(ProgramFolder::file(QStringLiteral("Help.html"))));
}

void Tstart_form::About() {
    QString caption = S("About");
    LangString(QStringLiteral("about"), caption);
    QMessageBox::about(this, caption,
                       S("Zovi 6\n\nThe money records of a person, a household or a small "
                         "business."));
}

void Tstart_form::Calendar() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("TCalendar"));
    QString caption = S("Calendar");
    LangString(QStringLiteral("calendar"), caption);
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* calendar = new QCalendarWidget(&dialog);
    calendar->setSelectedDate(Clock::today());
    layout->addWidget(calendar);
    dialog.exec();
}

// ---- shutdown ----

QString Tstart_form::databaseFolder() const {
    const QString path = m_data.tbData.path();
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

void Tstart_form::copyToRCopy() {
    const QString folder = databaseFolder();
    if (folder.isEmpty())
        return;
    // The automatic copy stays silent: files that cannot be copied are skipped.
    BackupCopy::copyListed(folder, QDir(folder).filePath(QStringLiteral("RCopy")));
}

void Tstart_form::closeEvent(QCloseEvent* event) {
    if (!m_databaseChosen) {
        event->accept();
        return;
    }
    QString question;
    if (LangString(QStringLiteral("err024"), question) && !Messages::confirm(this, question)) {
        event->ignore();
        return;
    }
    Timer1->stop();
    SizeSave();
    if (Settings::readBool(QStringLiteral("showcopy"), true)) {
        m_reservCopy->setDatabaseFolder(databaseFolder());
        m_reservCopy->exec();
    }
    copyToRCopy();
    CloseDatabase(m_data, m_cd);
    m_databaseChosen = false;
    event->accept();
}

} // namespace zovi
