#include "app/mainwindow.h"

#include "app/servicewindow.h"
#include "app/settingswindow.h"
#include "charts/diagramspage.h"
#include "core/clock.h"
#include "core/keptfile.h"
#include "core/lang.h"
#include "core/language.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/skin.h"
#include "core/wait.h"
#include "databases/backupwindow.h"
#include "databases/catalogueeditor.h"
#include "databases/chooserwindow.h"
#include "databases/databasecommands.h"
#include "databases/databasedialog.h"
#include "databases/folderdialog.h"
#include "databases/importwindow.h"
#include "databases/passworddialog.h"
#include "debts/debtspage.h"
#include "imports/csvexport.h"
#include "imports/importfilewindow.h"
#include "ledger/currency.h"
#include "ledger/currencywindow.h"
#include "ledger/ledgergridview.h"
#include "ledger/ledgerpage.h"
#include "ledger/revalue.h"
#include "reports/dbaseexport.h"
#include "reports/printselect.h"
#include "reports/reporttemplate.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/history.h"
#include "store/store.h"
#include "tools/aboutbox.h"
#include "tools/calculatorwindow.h"
#include "tools/calendarwindow.h"
#include "views/filterbuilder.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <optional>

namespace zovi {

MainWindow::MainWindow(LedgerTables& tables, DebtTables& debtTables, QWidget* parent)
    : QMainWindow(parent), m_ledgerTables(tables), m_debtTables(debtTables) {
    m_exit = [] {
        QCoreApplication::exit(0);
    };
    setObjectName(QStringLiteral("start_form"));
    setWindowTitle(QStringLiteral("Zovi"));

    // The pages come first among the window's children, so that a search by name finds their
    // controls before those of the dialogs (the catalogue editor has a "Grid1" too).
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Page"));
    setCentralWidget(m_pages);
    m_wait = new WaitWindow(this);
    // A large ledger takes a moment to read: the wait window, when it is up, shows how far.
    Store::instance().setReadProgress(
        [wait = QPointer<WaitWindow>(m_wait)](qint64 done, qint64 total) {
            if (wait && wait->isVisible())
                wait->readProgress(done, total);
        });
    m_ledger = new LedgerPage(m_ledgerTables, m_debtTables, m_wait, m_pages);
    m_debts = new DebtsPage(m_ledgerTables, m_debtTables, m_pages);
    m_diagrams = new DiagramsPage(m_ledgerTables, m_pages);
    m_pages->addTab(m_ledger, QStringLiteral("Editor"));
    m_pages->addTab(m_debts, QStringLiteral("Debts"));
    m_pages->addTab(m_diagrams, QStringLiteral("Diagrams"));
    buildMenus();

    m_password = new PasswordDialog(this);
    m_folderDialog = new FolderDialog(this);
    m_databaseDialog = new DatabaseDialog(m_folderDialog, this);
    m_catalogueEditor = new CatalogueEditor(m_password, m_databaseDialog, this);
    m_chooser = new ChooserWindow(m_ledgerTables, m_debtTables, m_password, m_catalogueEditor,
                                  m_wait, this);
    m_backupWindow = new BackupWindow(this);
    m_importWindow = new ImportWindow(m_ledgerTables, m_debtTables, m_folderDialog, this);
    m_serviceWindow = new ServiceWindow(m_ledgerTables, this);
    m_currencyWindow = new CurrencyWindow(m_ledgerTables, this);
    m_calculator = new CalculatorWindow(this);
    m_settingsWindow = new SettingsWindow(this);
    m_printSelect = new PrintSelectWindow(
        m_ledgerTables, [this] { return printHeadingState(); }, this);
    m_ledger->setCalculator([this](QString& amount) { return m_calculator->calculate(amount); });
    m_debts->setCalculator([this](QString& amount) { return m_calculator->calculate(amount); });

    auto timer = [this](const char* name) {
        auto* t = new QTimer(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setInterval(0);
        return t;
    };
    m_firstLayoutTimer = timer("Timer3");
    m_exitTimer = timer("TimerExit");
    m_fullRefreshTimer = timer("RefreshAllDataTimer");
    connectCommands();
    updateEntryActions();
}

MainWindow::~MainWindow() {
    Store::instance().setReadProgress({});
}

void MainWindow::connectAction(const char* name, void (LedgerPage::*command)()) {
    connect(act(name), &QAction::triggered, m_ledger, command);
}

void MainWindow::connectCommands() {
    connect(m_firstLayoutTimer, &QTimer::timeout, this, &MainWindow::onFirstLayoutTimer);
    connect(m_exitTimer, &QTimer::timeout, this, [this] {
        m_exitTimer->stop();
        m_exit();
    });
    connect(m_fullRefreshTimer, &QTimer::timeout, this, &MainWindow::onFullRefreshTimer);
    connect(m_pages, &QTabWidget::currentChanged, this, &MainWindow::onPageChanged);
    connect(m_ledger, &LedgerPage::entrySelectionChanged, this, &MainWindow::updateEntryActions);
    connect(m_ledger, &LedgerPage::exitRequested, this, &QWidget::close);
    connect(m_ledger, &LedgerPage::columnResizedByUser, this,
            [this] { m_widthsFollowWindow = false; });

    connectAction("NewRec", &LedgerPage::addEntry);
    connectAction("bperevod", &LedgerPage::addTransfer);
    connectAction("NewObmen", &LedgerPage::addExchange);
    connectAction("DeleteRec", &LedgerPage::deleteSelectedEntry);
    connectAction("EditRec", &LedgerPage::editSelectedEntry);
    connectAction("MoveRec", &LedgerPage::moveSelectedEntry);
    connectAction("Users", &LedgerPage::editAccounts);
    connectAction("GroupsCharges", &LedgerPage::editChargeGroups);
    connectAction("GroupsIncomes", &LedgerPage::editIncomeGroups);
    connect(m_ledger, &LedgerPage::fullRefreshRequested, this, &MainWindow::requestFullRefresh);
    connect(act("ChartSaveAs"), &QAction::triggered, m_diagrams, &DiagramsPage::saveActiveChart);
    connect(act("ChartPrint"), &QAction::triggered, m_diagrams, &DiagramsPage::printActiveChart);
    connect(act("NewCredit"), &QAction::triggered, m_debts, &DebtsPage::newDebt);
    connect(act("DeleteCredit"), &QAction::triggered, m_debts, &DebtsPage::deleteDebt);
    connect(act("EditCredit"), &QAction::triggered, m_debts, &DebtsPage::editDebt);
    connect(m_debts, &DebtsPage::debtChosen, this, &MainWindow::updateEntryActions);
    connect(m_debts, &DebtsPage::ledgerChanged, this, [this] {
        try {
            m_ledger->refreshAfterChange();
        } catch (const StoreError& e) {
            Messages::error(this, e.message());
        }
    });
    connect(act("UndoCommand"), &QAction::triggered, this, [this] { stepHistory(false); });
    connect(act("RedoCommand"), &QAction::triggered, this, [this] { stepHistory(true); });
    connect(&CommandHistory::instance(), &CommandHistory::changed, this,
            &MainWindow::updateHistoryActions);
    connect(act("SaveData"), &QAction::triggered, this, &MainWindow::reopenDatabase);
    connect(act("Help"), &QAction::triggered, this, &MainWindow::showHelp);
    connect(act("About"), &QAction::triggered, this, &MainWindow::showAbout);
    connect(act("Calendar"), &QAction::triggered, this, &MainWindow::showCalendar);
    connect(act("PrintData"), &QAction::triggered, this, &MainWindow::showPrintWindow);
    connect(m_ledger->toolButton(QStringLiteral("tb6")), &QToolButton::clicked, this,
            &MainWindow::showPrintWindow);
    connect(act("ExportDbf"), &QAction::triggered, this, &MainWindow::exportToDbase);
    connect(act("ExportCsv"), &QAction::triggered, this, &MainWindow::exportToCsv);
    connect(act("ImportZovi5"), &QAction::triggered, this, &MainWindow::importZovi5);
    connect(act("ImportQif"), &QAction::triggered, this, [this] { importFile(ImportKind::Qif); });
    connect(act("ImportCsv"), &QAction::triggered, this, [this] { importFile(ImportKind::Csv); });
    connect(act("ImportOfx"), &QAction::triggered, this, [this] { importFile(ImportKind::Ofx); });
    connect(act("Calculator"), &QAction::triggered, m_calculator, &CalculatorWindow::openEmpty);
    connect(act("SystemMenu"), &QAction::triggered, this, &MainWindow::showServiceWindow);
    connect(act("Interface"), &QAction::triggered, this, &MainWindow::editInterfaceSettings);
    connect(act("Currency"), &QAction::triggered, this, [this] {
        {
            const CommandHistory::Outside outside(
                LangText(QStringLiteral("history currencies"),
                         QStringLiteral("the change of the currencies")));
            m_currencyWindow->exec();
        }
        requestFullRefresh();
    });
}

void MainWindow::updateEntryActions() {
    const bool ledger = m_pages->currentIndex() == 0;
    const bool chosen = ledger && m_ledger->selectedEntryId() != 0;
    for (const char* name : {"NewRec", "bperevod", "NewObmen"})
        act(name)->setEnabled(ledger);
    for (const char* name : {"DeleteRec", "EditRec", "MoveRec"})
        act(name)->setEnabled(chosen);
    // The debt commands while the debts page is shown; editing and deleting need a debt.
    const bool debts = m_pages->currentIndex() == 1;
    act("NewCredit")->setEnabled(debts);
    for (const char* name : {"DeleteCredit", "EditCredit"})
        act(name)->setEnabled(debts && m_debts->currentDebt() > 0);
}

void MainWindow::updateHistoryActions() {
    const CommandHistory& history = CommandHistory::instance();
    QAction* undo = act("UndoCommand");
    QAction* redo = act("RedoCommand");
    const QString undoText = LangText(QStringLiteral("undo"), QStringLiteral("Undo"));
    const QString redoText = LangText(QStringLiteral("redo"), QStringLiteral("Redo"));
    undo->setEnabled(history.canUndo());
    redo->setEnabled(history.canRedo());
    if (history.canUndo())
        undo->setText(LangText(QStringLiteral("undo step"), QStringLiteral("Undo %1"))
                          .arg(history.undoLabel()));
    else if (!history.clearedReason().isEmpty())
        undo->setText(
            LangText(QStringLiteral("undo cleared"), QStringLiteral("Undo (history cleared by %1)"))
                .arg(history.clearedReason()));
    else
        undo->setText(undoText);
    redo->setText(history.canRedo()
                      ? LangText(QStringLiteral("redo step"), QStringLiteral("Redo %1"))
                            .arg(history.redoLabel())
                      : redoText);
}

void MainWindow::stepHistory(bool redo) {
    CommandHistory& history = CommandHistory::instance();
    CommandHistory::Outcome outcome;
    try {
        outcome = redo ? history.redo() : history.undo();
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    // Every handle reads the rows again, as after the commands that wrote them.
    try {
        for (TableHandle* handle : OpeningOrder(m_ledgerTables, m_debtTables)) {
            if (handle->isOpen())
                handle->refresh();
        }
        const QString ledger = QFileInfo(m_ledgerTables.tbData2.path()).canonicalFilePath();
        const QList<qint64> entries = outcome.rows.value(ledger);
        if (m_pages->currentIndex() == 1)
            m_debts->pageShown();
        if (entries.isEmpty())
            m_ledger->refreshAfterChange();
        else
            m_ledger->showEntry(entries.first());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
}

// ---- start-up ----

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // The window behind the chooser already reads in the user's language; the texts that
    // depend on the database are translated again once it is open.
    translate();
    // The chooser is shown once the window is on the screen, from the message loop.
    QMetaObject::invokeMethod(this, &MainWindow::chooseDatabaseAndStart, Qt::QueuedConnection);
}

void MainWindow::writeFirstStartDefaults() {
    if (settings::initialized.stored())
        return;
    for (const Setting<bool>& flag : {settings::transparentToolbars, settings::flatButtons,
                                      settings::showBackupWindow, settings::fadeDialogs})
        flag.write(flag.fallback());
    settings::accountTabsStyle.write(settings::accountTabsStyle.fallback());
    // Folders of the program and of the user, wherever the program was started from.
    settings::backupFolder.write(BackupsFolder::path());
    settings::skin.write(SkinEngine::defaultSkin());
    settings::initialized.write(true);
}

void MainWindow::chooseDatabaseAndStart() {
    settings::currentFolder.write(QDir::currentPath());
    writeFirstStartDefaults();
    if (m_chooser->exec() != QDialog::Accepted) {
        m_exitTimer->setInterval(1);
        m_exitTimer->start();
        return;
    }
    m_databaseChosen = true;
    m_firstLayoutTimer->setInterval(1);
    m_firstLayoutTimer->start();
    fillFromDatabase();
}

void MainWindow::fillFromDatabase() {
    m_ledger->showAccounts();
    translate();
    m_wait->showNow();
    // The value panel lists the currencies first, so that the total is computed once, in the
    // currency whose sign it is shown beside.
    m_ledger->listCurrencies();
    applyAppearance();
    m_ledger->selectCurrentMonth();
    m_ledger->applyFilter();
}

void MainWindow::onFirstLayoutTimer() {
    m_firstLayoutTimer->stop();
    showMaximized();
    // The grid takes the room the bottom panel does not need.
    m_ledger->setBottomPanelExtended(m_ledger->bottomPanelExtended());
    loadColumnWidths();
    m_widthsFollowWindow = m_ledger->grid()->hasComputedWidths();
    m_wait->hide();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_widthsFollowWindow) {
        loadColumnWidths();
    } else if (m_databaseChosen) {
        // The debts grid keeps no widths of its own: they always follow the window.
        m_debts->loadColumnWidths(width());
    }
}

// ---- the deferred full refresh ----

void MainWindow::requestFullRefresh() {
    m_fullRefreshTimer->setInterval(1);
    m_fullRefreshTimer->start();
}

void MainWindow::onFullRefreshTimer() {
    if (m_fullRefreshTimer->interval() == 1) {
        // The next tick arrives inside the modal wait window: the user sees it for exactly
        // the time of the refresh.
        m_fullRefreshTimer->setInterval(2);
        m_wait->exec();
        return;
    }
    m_fullRefreshTimer->stop();
    m_fullRefreshTimer->setInterval(0);
    ++m_fullRefreshCount;
    try {
        m_ledger->refreshAfterChange();
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    m_wait->accept();
}

// ---- pages ----

void MainWindow::onPageChanged(int index) {
    updateEntryActions();
    menuBar()->findChild<QMenu*>(QStringLiteral("N2"))->setEnabled(index == 0);
    for (const char* name : {"ChartSaveAs", "ChartPrint"})
        act(name)->setEnabled(index == 2);
    m_ledger->setActive(index == 0);
    if (index == 0 && m_databaseChosen)
        m_ledger->refreshAfterChange();
    if (index == 1 && m_databaseChosen)
        m_debts->pageShown();
}

void MainWindow::reopenDatabase() {
    try {
        const QList<TableHandle*> handles = OpeningOrder(m_ledgerTables, m_debtTables);
        for (auto it = handles.rbegin(); it != handles.rend(); ++it)
            (*it)->close();
        OpenDatabase(m_ledgerTables, m_debtTables);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    m_ledger->grid()->refresh();
}

// ---- settings ----

void MainWindow::editInterfaceSettings() {
    QList<int> widths;
    const QList<int> columns = LedgerGridView::chosenColumns();
    for (const int column : columns)
        widths << m_ledger->grid()->shownColumnWidth(column);
    QStringList currencies;
    if (m_ledgerTables.tbValuta.isOpen()) {
        for (const Currency& currency : ReadCurrencies(m_ledgerTables.tbValuta))
            currencies << currency.Name;
    }
    m_settingsWindow->prepare(widths, currencies);
    if (m_settingsWindow->exec() != QDialog::Accepted)
        return;
    const InterfaceChoice choice = m_settingsWindow->choice();
    const QMap<int, int> changes = ColumnWidthChanges(widths, choice.columnsShown);
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        m_ledger->grid()->setShownColumnWidth(columns.at(it.key() - 1), it.value());
    applyInterface(choice);
}

void MainWindow::applyInterface(const InterfaceChoice& choice) {
    settings::accountTabsStyle.write(choice.accountTabsStyle);
    settings::transparentToolbars.write(choice.transparentToolbars);
    settings::flatButtons.write(choice.flatButtons);
    // A tree where no folder is selected keeps the backup folder as it was.
    if (!choice.backupFolder.isEmpty())
        settings::backupFolder.write(choice.backupFolder);
    settings::showBackupWindow.write(choice.showBackupWindow);
    settings::fadeDialogs.write(choice.fadeDialogs);
    settings::quickView.write(choice.quickView);
    settings::skin.write(choice.skin);
    settings::displayCurrency1.write(choice.currency1);
    settings::displayCurrency2.write(choice.currency2);
    settings::pageTabsLeft.write(choice.pageTabsLeft);
    settings::filterTabsBelow.write(choice.filterTabsBelow);
    settings::valuePanelCompact.write(choice.valuePanelCompact);
    if (!choice.language.isEmpty() && choice.language != ChosenLangFile()) {
        // The new language at once: Qt's own texts, the names of months and days, the main
        // window; every other window translates itself when it is next shown.
        settings::language.write(choice.language);
        ApplyLanguage();
        translate();
    }
    applyAppearance();
    m_ledger->grid()->refresh();
}

// ---- export ----

// One row per entry the ledger's filters admit, in the order of the ledger view (the grid's own
// sort by name or group does not apply). An existing file gets the entries after its rows or is
// replaced, as the user chooses; entries holding characters the file's code page lacks are
// written only when the user agrees.
void MainWindow::exportToDbase() {
    const QString chosen = FileChooser::saveFile(this, QString(), DataFolder::path(),
                                                 QStringLiteral("dBase (*.dbf)"), false);
    if (chosen.isEmpty())
        return;
    const QString file = ExportFileName(chosen);
    ExportMode mode = ExportMode::Append;
    if (QFileInfo::exists(file)) {
        const int answer = Messages::choose(
            this,
            LangText(QStringLiteral("exportExists"),
                     QStringLiteral("The file %1 exists. Add the entries after its rows, or "
                                    "replace it by a file of these entries only?"))
                .arg(QDir::toNativeSeparators(file)),
            {LangText(QStringLiteral("exportAppend"), QStringLiteral("Append")),
             LangText(QStringLiteral("exportReplace"), QStringLiteral("Replace")),
             LangText(QStringLiteral("exportCancel"), QStringLiteral("Cancel"))});
        if (answer == 2)
            return;
        mode = answer == 0 ? ExportMode::Append : ExportMode::Replace;
    }
    try {
        std::optional<DbaseExport> job;
        {
            BusyCursor busy;
            job.emplace(m_ledgerTables.tbData, ExportTemplatePath(ProgramFolder::path()), file,
                        mode);
        }
        const ExportLosses& losses = job->losses();
        if (losses.characters > 0 &&
            !Messages::confirm(
                this, LangText(QStringLiteral("exportLosses"),
                               QStringLiteral("Entries holding characters that the code page "
                                              "of the file (Windows-1251) lacks: %1; such "
                                              "characters: %2 (for example \"%3\"). Write the "
                                              "file with \"?\" in their place?"))
                          .arg(losses.entries)
                          .arg(losses.characters)
                          .arg(losses.example)))
            return;
        job->save();
    } catch (const ReportError& e) {
        Messages::error(this, e.message());
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    m_ledger->grid()->refresh();
}

// One row per entry the ledger's filters admit, in the order of the ledger view. An existing
// file is replaced once the save dialog's question about it is answered.
void MainWindow::exportToCsv() {
    const QString chosen =
        FileChooser::saveFile(this, QString(), DataFolder::path(), QStringLiteral("CSV (*.csv)"));
    if (chosen.isEmpty())
        return;
    const QString file = ExportFileName(chosen, u".csv");
    // The save dialog asked about the name chosen; a file under the name with ".csv" added is
    // asked about here.
    if (file != chosen && QFileInfo::exists(file) &&
        !Messages::confirm(this, LangText(QStringLiteral("reportReplace"),
                                          QStringLiteral("The file %1 exists. Replace it?"))
                                     .arg(QDir::toNativeSeparators(file))))
        return;
    int written = 0;
    try {
        BusyCursor busy;
        written = ExportLedgerCsv(m_ledgerTables.tbData, file);
    } catch (const ExportError& e) {
        Messages::error(this, e.message());
        return;
    }
    Messages::info(this, LangText(QStringLiteral("exportCsvDone"),
                                  QStringLiteral("Written to the file %2: %1."))
                             .arg(EntryCountText(written), QDir::toNativeSeparators(file)));
}

// ---- import ----

// The import changes the currencies, the ledger, the accounts, the groups and the debts: the
// account tabs are made anew and every page shows the new data.
void MainWindow::importZovi5() {
    {
        const CommandHistory::Outside outside(
            LangText(QStringLiteral("history import"), QStringLiteral("the import")));
        if (m_importWindow->exec() != QDialog::Accepted)
            return;
    }
    // As at start-up: the account tabs, the currencies of the value panel, then the ledger
    // filtered for the tab now chosen, with its balances.
    m_ledger->showAccounts();
    m_ledger->listCurrencies();
    m_ledger->applyFilter();
    if (m_pages->currentIndex() == 1)
        m_debts->pageShown();
}

// A file of another program or a bank: chosen, read, shown in the import window and, when the
// user imports it, stored; then the ledger shows the new entries as after the old import.
void MainWindow::importFile(ImportKind kind) {
    static const QHash<ImportKind, QString> filters = {
        {ImportKind::Qif, QStringLiteral("QIF (*.qif *.QIF)")},
        {ImportKind::Csv, QStringLiteral("CSV (*.csv *.CSV *.txt *.TXT)")},
        {ImportKind::Ofx, QStringLiteral("OFX (*.ofx *.OFX *.qfx *.QFX)")},
    };
    const QString path = FileChooser::openFile(this, QString(), DataFolder::path(),
                                               filters.value(kind) + QStringLiteral(";;*"));
    if (path.isEmpty())
        return;
    ImportFileWindow window(m_ledgerTables, kind, path, m_ledger->entryAccount(), this);
    {
        const CommandHistory::Outside outside(
            LangText(QStringLiteral("history import"), QStringLiteral("the import")));
        if (!window.load() || window.exec() != QDialog::Accepted)
            return;
    }
    m_ledger->showAccounts();
    m_ledger->listCurrencies();
    m_ledger->applyFilter();
}

// ---- small windows ----

// Without the help file, or without a program that shows HTML, the user is told where the file
// lies instead of seeing nothing happen.
void MainWindow::showHelp() {
    const QString path = HelpFile();
    if (!QFileInfo::exists(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        Messages::error(this, LangText(QStringLiteral("helpmissing"),
                                       QStringLiteral("The help cannot be shown. Open the file %1 "
                                                      "with a web browser."))
                                  .arg(QDir::toNativeSeparators(path)));
}

void MainWindow::showAbout() {
    AboutBox box(this);
    box.exec();
}

void MainWindow::showCalendar() {
    CalendarWindow calendar(this);
    calendar.exec();
}

// The command enabling follows every change of the ledger and of the page as it happens, so the
// first-layout timer is the only one left to stop. The main window cannot work without its
// ledger handles: whatever was left closed is opened again, and the ledger shown anew.
void MainWindow::showServiceWindow() {
    m_firstLayoutTimer->stop();
    m_serviceWindow->exec();
    if (!m_databaseChosen)
        return;
    try {
        for (TableHandle* handle :
             {&m_ledgerTables.tbData, &m_ledgerTables.tbData2, &m_ledgerTables.tbData3}) {
            if (!handle->isOpen())
                handle->open();
        }
        m_ledger->refreshAfterChange();
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
}

void MainWindow::showPrintWindow() {
    m_printSelect->exec();
}

PrintHeadingState MainWindow::printHeadingState() const {
    const FilterState filter = m_ledger->filterState();
    PrintHeadingState state;
    state.filterPage = filter.filterPage;
    state.tabText = filter.tabText;
    state.lastTabSelected = filter.lastTabSelected;
    state.dateChecked = filter.dateChecked;
    state.fromChecked = filter.fromChecked;
    state.fromDate = filter.fromDate;
    state.toChecked = filter.toChecked;
    state.toDate = filter.toDate;
    state.accountsSummary = m_ledger->accountsSummary();
    state.datesSummary = m_ledger->datesSummary();
    state.valueFigure = m_ledger->valueFigure();
    state.valueCurrency = m_ledger->valueCurrency();
    return state;
}

// ---- shutdown ----

QString MainWindow::databaseFolder() const {
    const QString path = m_ledgerTables.tbData.path();
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_databaseChosen) {
        event->accept();
        return;
    }
    // While the copies are made, the close box is not asked again.
    if (m_closing) {
        event->ignore();
        return;
    }
    QString question;
    if (LangString(QStringLiteral("err024"), question) && !Messages::confirm(this, question)) {
        event->ignore();
        return;
    }
    saveColumnWidths();
    const QString folder = databaseFolder();
    m_closing = true;
    if (settings::showBackupWindow.read()) {
        m_backupWindow->setDatabaseFolder(folder);
        m_backupWindow->setDatabaseName(m_chooser->openedName());
        m_backupWindow->exec();
    }
    // The automatic copy stays silent: files that cannot be copied are skipped.
    if (!folder.isEmpty())
        MakeLocalCopy(folder);
    m_closing = false;
    CloseDatabase(m_ledgerTables, m_debtTables);
    m_databaseChosen = false;
    event->accept();
}

} // namespace zovi
