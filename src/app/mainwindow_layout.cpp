// The widgets of the main window: pages, toolbars, menus, the ledger's bottom panel and the
// timers, each named as the rest of the program refers to it.
#include "app/mainwindow.h"
#include "core/layouts.h"

#include "views/ledgerdelegate.h"
#include "views/ledgergrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
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
#include <QVBoxLayout>

namespace zovi {

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

QAction* Tstart_form::action(const char* name, const QString& text, const QKeySequence& shortcut) {
    auto* a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
    }
    addAction(a);
    m_actions.insert(a->objectName(), a);
    return a;
}

QToolButton* Tstart_form::toolButton(QToolBar* bar, const char* name, const QString& text,
                                     const QString& hint) {
    auto* b = Named(new QToolButton(bar), name);
    b->setText(text);
    b->setToolTip(hint);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(b);
    m_buttons.insert(b->objectName(), b);
    return b;
}

void Tstart_form::buildLayout() {
    setObjectName(QStringLiteral("start_form"));
    setWindowTitle(QStringLiteral("Zovi"));
    Page = Named(new QTabWidget(this), "Page");
    setCentralWidget(Page);
    auto* editor = Named(new QWidget(Page), "TabSheet1");
    auto* debts = Named(new QWidget(Page), "TabSheet2");
    auto* diagrams = Named(new QWidget(Page), "TabSheet3");
    Page->addTab(editor, S("Editor"));
    Page->addTab(debts, S("Debts"));
    Page->addTab(diagrams, S("Diagrams"));
    buildEditorPage(editor);
    buildDebtsPage(debts);
    buildDiagramsPage(diagrams);
    buildMenus();
    buildTimers();
}

void Tstart_form::buildEditorPage(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);

    TabControl1 = Named(new QTabBar(page), "TabControl1");
    TabControl1->setExpanding(false);
    layout->addWidget(TabControl1);

    auto* top = new QHBoxLayout;
    ToolBar1 = Named(new QToolBar(page), "ToolBar1");
    toolButton(ToolBar1, "tb1", S("New record"), S("Charge/Income"));
    toolButton(ToolBar1, "tb2", S("Delete record"), S("Delete record"));
    toolButton(ToolBar1, "tb3", S("Edit record"), S("Edit record"));
    ToolBar1->addSeparator();
    toolButton(ToolBar1, "tb4", S("New transfer"), S("Transfer into account"));
    toolButton(ToolBar1, "tb5", S("New conversion"), S("Conversion of currency"));
    ToolBar1->addSeparator();
    toolButton(ToolBar1, "tb6", S("Print data"), S("Print data"));
    ToolBar1->addSeparator();
    toolButton(ToolBar1, "tb8", S("Exit"), S("Exit"));
    top->addWidget(ToolBar1, 1);
    LabelSort = Named(new QLabel(S("Sorting"), page), "Label3");
    ComboBox3 = Named(new QComboBox(page), "ComboBox3");
    ComboBox3->addItems({S("Date"), S("Name"), S("Group"), S("Subgroup"), S("Account")});
    top->addWidget(LabelSort);
    top->addWidget(ComboBox3);
    layout->addLayout(top);

    Splitter1 = Named(new QSplitter(Qt::Vertical, page), "Splitter1");
    auto* upper = new QWidget(Splitter1);
    auto* upperLayout = new QHBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    Grid1 = Named(new QTableView(upper), "Grid1");
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->verticalHeader()->hide();
    Grid1->setContextMenuPolicy(Qt::CustomContextMenu);
    m_gridModel = new LedgerGridModel(this);
    Grid1->setModel(m_gridModel);
    Grid1->setItemDelegate(new LedgerDelegate(Grid1));
    Grid1->setShowGrid(false);
    Grid1->horizontalHeader()->setSectionsMovable(true);
    LedgerDelegate::styleHeader(Grid1->horizontalHeader());
    Grid1->setColumnHidden(0, true);
    Grid1->setColumnHidden(8, true);
    upperLayout->addWidget(Grid1, 1);
    Panel2 = Named(new QWidget(upper), "Panel2");
    auto* frame = Named(new QWidget(Panel2), "FrameStat1");
    (new QVBoxLayout(Panel2))->addWidget(frame);
    Panel2->hide();
    upperLayout->addWidget(Panel2);

    PopupMenu1 = Named(new QMenu(this), "PopupMenu1");

    Panel6 = Named(new QWidget(Splitter1), "Panel6");
    buildBottomPanel(Panel6);
    Splitter1->addWidget(upper);
    Splitter1->addWidget(Panel6);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setCollapsible(0, false);
    layout->addWidget(Splitter1, 1);
}

void Tstart_form::buildBottomPanel(QWidget* bottom) {
    // The bottom panel is compact (the total and its currency only) or extended (the filter
    // controls and the balance list below them); see setBottomPanelExtended.
    auto* outer = new QVBoxLayout(bottom);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* values = new QHBoxLayout;
    values->setContentsMargins(2, 1, 2, 1);
    LabelV = Named(new QLabel(bottom), "LabelV");
    LabelV->setToolTip(S("your money"));
    LabelV->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont big = LabelV->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    LabelV->setFont(big);
    ComboBoxV = Named(new QComboBox(bottom), "ComboBoxV");
    ComboBoxV->setToolTip(S("currency"));
    values->addWidget(LabelV, 1);
    values->addWidget(ComboBoxV);
    outer->addLayout(values);

    PanelLower = Named(new QWidget(bottom), "PanelLower");
    auto* lower = new QHBoxLayout(PanelLower);
    lower->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(PanelLower, 1);

    auto* panel = Named(new QWidget(PanelLower), "PanelFilter");
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    lower->addWidget(panel, 1);
    GridValutaV = Named(new QTableWidget(0, 3, PanelLower), "GridValutaV");
    GridValutaV->horizontalHeader()->hide();
    GridValutaV->verticalHeader()->hide();
    GridValutaV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridValutaV->setSelectionMode(QAbstractItemView::NoSelection);
    GridValutaV->setColumnHidden(0, true);
    GridValutaV->setFixedWidth(260);
    lower->addWidget(GridValutaV);

    auto* kinds = new QVBoxLayout;
    CheckBox7 = Named(new QCheckBox(S("Auto refresh"), panel), "CheckBox7");
    CheckBox7->setChecked(true);
    Button17 = Named(new QPushButton(S("Refresh"), panel), "Button17");
    Button17->hide();
    rAll = Named(new QRadioButton(S("All"), panel), "rAll");
    rIncomes = Named(new QRadioButton(S("Incomes"), panel), "rIncomes");
    rCharges = Named(new QRadioButton(S("Charges"), panel), "rCharges");
    rAll->setChecked(true);
    CheckBox10 = Named(new QCheckBox(S("Show plan"), panel), "CheckBox10");
    CheckBox10->setChecked(true);
    CheckBox10->hide();
    for (QWidget* w :
         std::initializer_list<QWidget*>{CheckBox7, Button17, rAll, rIncomes, rCharges, CheckBox10})
        kinds->addWidget(w);
    layout->addLayout(kinds);

    PageControl2 = Named(new QTabWidget(panel), "PageControl2");
    PageControl2->setTabPosition(QTabWidget::South);
    PageControl2->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);

    auto* fast = Named(new QWidget(PageControl2), "TabSheetFast");
    auto* fastLayout = new QGridLayout(fast);
    Filter = Named(new QCheckBox(S("Date"), fast), "Filter");
    CheckBox4 = Named(new QCheckBox(S("From"), fast), "CheckBox4");
    CheckBox5 = Named(new QCheckBox(S("To"), fast), "CheckBox5");
    CheckBox4->setChecked(true);
    CheckBox5->setChecked(true);
    DateTimePicker1 = Named(new QDateEdit(fast), "DateTimePicker1");
    DateTimePicker2 = Named(new QDateEdit(fast), "DateTimePicker2");
    DateTimePicker1->setToolTip(S("Date of begin"));
    DateTimePicker2->setToolTip(S("Date of end"));
    for (QDateEdit* d : {DateTimePicker1, DateTimePicker2}) {
        d->setCalendarPopup(true);
        d->setContextMenuPolicy(Qt::CustomContextMenu);
    }
    CheckBox3 = Named(new QCheckBox(S(" Groups  "), fast), "CheckBox3");
    ComboBox2 = Named(new QComboBox(fast), "ComboBox2");
    ComboBox2->setToolTip(S("Category of filter"));
    ComboBox2->addItems({S("Group of incomes"), S("Group of charges"), S("Sub-group of charges"),
                         S("Sub-group of incomes")});
    ComboBox2->setCurrentIndex(-1);
    ComboBox1 = Named(new QComboBox(fast), "ComboBox1");
    ComboBox1->setToolTip(S("Value of filter"));
    fastLayout->addWidget(Filter, 0, 0);
    fastLayout->addWidget(CheckBox4, 0, 1);
    fastLayout->addWidget(DateTimePicker1, 0, 2);
    fastLayout->addWidget(CheckBox5, 0, 3);
    fastLayout->addWidget(DateTimePicker2, 0, 4);
    fastLayout->addWidget(CheckBox3, 1, 0);
    fastLayout->addWidget(ComboBox2, 1, 1, 1, 2);
    fastLayout->addWidget(ComboBox1, 1, 3, 1, 2);

    auto* extended = Named(new QWidget(PageControl2), "TabSheetExtended");
    auto* extLayout = new QHBoxLayout(extended);
    ListPresets = Named(new QListWidget(extended), "ListPresets");
    extLayout->addWidget(ListPresets, 1);
    auto* presetButtons = new QVBoxLayout;
    for (const auto& [name, text] :
         {std::pair{"ButtonLoad", "Load"}, std::pair{"ButtonDelete", "Delete"},
          std::pair{"ButtonSaveAs", "Save as..."}})
        presetButtons->addWidget(Named(new QPushButton(S(text), extended), name));
    extLayout->addLayout(presetButtons);

    auto* search = Named(new QWidget(PageControl2), "TabSheetSearch");
    auto* searchLayout = new QHBoxLayout(search);
    LabelSearch = Named(new QLabel(S("Name"), search), "LabelSearch");
    EditSearch = Named(new QLineEdit(search), "EditSearch");
    ButtonSearch1 = Named(new QPushButton(S("Find"), search), "ButtonSearch1");
    searchLayout->addWidget(LabelSearch);
    searchLayout->addWidget(EditSearch, 1);
    searchLayout->addWidget(ButtonSearch1);

    PageControl2->addTab(fast, S("Fast"));
    PageControl2->addTab(extended, S("Extended"));
    PageControl2->addTab(search, S("Search"));
    layout->addWidget(PageControl2, 2);

    PopupDate = Named(new QMenu(this), "PopupDate");
}

void Tstart_form::buildDebtsPage(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    ToolBar2 = Named(new QToolBar(page), "ToolBar2");
    toolButton(ToolBar2, "NewCredit_bt", S("New"), S("New"));
    toolButton(ToolBar2, "DeleteCredit_bt", S("Delete"), S("Delete"));
    toolButton(ToolBar2, "EditCredit_bt", S("Edit"), S("Edit"));
    layout->addWidget(ToolBar2);
    auto* body = new QHBoxLayout;
    GridD = Named(new QTableView(page), "GridD");
    GridD->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridD->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridD->verticalHeader()->hide();
    m_debtsModel = new QStandardItemModel(0, 7, this);
    GridD->setModel(m_debtsModel);
    body->addWidget(GridD, 1);
    Panel4 = Named(new QWidget(page), "Panel4");
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
}

void Tstart_form::buildDiagramsPage(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    PageControl1 = Named(new QTabWidget(page), "PageControl1");
    PageControl1->addTab(Named(new QWidget(PageControl1), "TabSheetChart1"),
                         S("Chart: incomes/charges"));
    PageControl1->addTab(Named(new QWidget(PageControl1), "TabSheetChart2"), S("Chart: groups"));
    layout->addWidget(PageControl1);
}

void Tstart_form::buildMenus() {
    auto* bar = Named(menuBar(), "Menu1");

    QMenu* items = Named(bar->addMenu(S("Items")), "N1");
    QMenu* newMenu = Named(items->addMenu(S("New")), "N2");
    newMenu->addAction(action("NewRec", S("Charge/Income"), QKeySequence(Qt::CTRL | Qt::Key_N)));
    newMenu->addAction(
        action("bperevod", S("Transfer into account"), QKeySequence(Qt::CTRL | Qt::Key_T)));
    newMenu->addAction(
        action("NewObmen", S("Conversion of currency"), QKeySequence(Qt::CTRL | Qt::Key_C)));
    items->addAction(action("DeleteRec", S("Delete"), QKeySequence(Qt::CTRL | Qt::Key_D)));
    items->addAction(action("EditRec", S("Edit"), QKeySequence(Qt::ALT | Qt::Key_Backspace)));
    items->addAction(action("MoveRec", S("Move"), QKeySequence(Qt::CTRL | Qt::Key_M)));

    QMenu* debt = Named(bar->addMenu(S("Debt")), "N3");
    debt->addAction(action("NewCredit", S("New"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N)));
    debt->addAction(
        action("DeleteCredit", S("Delete"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D)));
    debt->addAction(action("EditCredit", S("Edit"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_E)));
    for (QAction* a : debt->actions())
        a->setEnabled(false);

    QMenu* accounts = Named(bar->addMenu(S("Accounts")), "N4");
    accounts->addAction(action("Users", S("Accounts")));
    accounts->addAction(action("GroupsCharges", S("Groups of charges")));
    accounts->addAction(action("GroupsIncomes", S("Groups of incomes")));
    accounts->addAction(action("Currency", S("Currency")));
    accounts->addAction(action("Interface", S("Interface")));

    QMenu* additional = Named(bar->addMenu(S("Additional")), "N5");
    additional->addAction(
        action("PrintData", S("Print"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P)));
    additional->addAction(action("Calendar", S("Calendar")));
    additional->addAction(action("Calculator", S("Calculator")));
    QMenu* import = Named(additional->addMenu(S("Import")), "N6");
    import->addAction(action("ImportZovi5", S("Zovi 5")));
    QMenu* exportMenu = Named(additional->addMenu(S("Export")), "N7");
    exportMenu->addAction(action("ExportDbf", S("dBase [*.dbf]")));
    additional->addAction(action("SaveData", S("Save data"), QKeySequence(Qt::CTRL | Qt::Key_F2)));

    QMenu* chart = Named(bar->addMenu(S("Chart")), "N8");
    chart->addAction(action("ChartSaveAs", S("Save as...")));
    chart->addAction(action("ChartPrint", S("Print")));
    for (QAction* a : chart->actions())
        a->setEnabled(false);

    QMenu* help = Named(bar->addMenu(S("Help")), "N9");
    help->addAction(action("Help", S("Help")));
    help->addAction(action("About", S("About")));

    // The context menu of the ledger grid.
    PopupMenu1->addAction(action("PopupDelete", S("Delete")));
    PopupMenu1->addAction(action("PopupEdit", S("Edit")));

    // Shortcuts without a menu item.
    action("SystemMenu", S("Service"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
}

void Tstart_form::buildTimers() {
    auto timer = [this](const char* name) {
        auto* t = Named(new QTimer(this), name);
        t->setInterval(0);
        return t;
    };
    Timer1 = timer("Timer1");
    Timer3 = timer("Timer3");
    TimerExit = timer("TimerExit");
    RefreshAllDataTimer = timer("RefreshAllDataTimer");
}

} // namespace zovi
