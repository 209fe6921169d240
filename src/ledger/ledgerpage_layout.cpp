// The widgets of the ledger page, each named as the rest of the program refers to it, their
// translation keys and their appearance.
#include "core/layouts.h"
#include "core/locale.h"
#include "core/textutil.h"
#include "core/toolbaroverflow.h"
#include "ledger/ledgerpage.h"
#include "views/framestat.h"
#include "views/ledgerdelegate.h"
#include "views/ledgergrid.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace zovi {

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

QToolButton* LedgerPage::toolButton(const QString& name) const {
    return ToolBar1->findChild<QToolButton*>(name);
}

QAction* LedgerPage::addPopupAction(const char* name, const QString& text) {
    auto* a = Named(new QAction(text, this), name);
    PopupMenu1->addAction(a);
    return a;
}

void LedgerPage::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    TabControl1 = Named(new QTabBar(this), "TabControl1");
    TabControl1->setExpanding(false);
    layout->addWidget(TabControl1);

    auto* top = new QHBoxLayout;
    ToolBar1 = Named(new QToolBar(this), "ToolBar1");
    AddToolButton(ToolBar1, "tb1", S("New record"), S("Charge/Income"));
    AddToolButton(ToolBar1, "tb2", S("Delete record"), S("Delete record"));
    AddToolButton(ToolBar1, "tb3", S("Edit record"), S("Edit record"));
    ToolBar1->addSeparator();
    AddToolButton(ToolBar1, "tb4", S("New transfer"), S("Transfer into account"));
    AddToolButton(ToolBar1, "tb5", S("New conversion"), S("Conversion of currency"));
    ToolBar1->addSeparator();
    AddToolButton(ToolBar1, "tb6", S("Print data"), S("Print data"));
    ToolBar1->addSeparator();
    AddToolButton(ToolBar1, "tb8", S("Exit"), S("Exit"));
    AddToolBarOverflow(ToolBar1);
    top->addWidget(ToolBar1, 1);
    LabelSort = Named(new QLabel(S("Sorting"), this), "Label3");
    ComboBox3 = Named(new QComboBox(this), "ComboBox3");
    ComboBox3->addItems({S("Date"), S("Name"), S("Group"), S("Subgroup"), S("Account")});
    top->addWidget(LabelSort);
    top->addWidget(ComboBox3);
    layout->addLayout(top);

    Splitter1 = Named(new QSplitter(Qt::Vertical, this), "Splitter1");
    auto* upper = new QWidget(Splitter1);
    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    // The selection lists of the "Extended" filter page sit above the grid while it is shown.
    Panel2 = Named(new QWidget(upper), "Panel2");
    FrameStat1 = Named(new SelectionListsFrame(Panel2), "FrameStat1");
    auto* panel2Layout = new QVBoxLayout(Panel2);
    panel2Layout->setContentsMargins(0, 0, 0, 0);
    panel2Layout->addWidget(FrameStat1);
    Panel2->setMaximumHeight(220);
    Panel2->hide();
    upperLayout->addWidget(Panel2);
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

    PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
    PopupDelete = addPopupAction("PopupDelete", S("Delete"));
    PopupEdit = addPopupAction("PopupEdit", S("Edit"));

    Panel6 = Named(new QWidget(Splitter1), "Panel6");
    buildBottomPanel(Panel6);
    Splitter1->addWidget(upper);
    Splitter1->addWidget(Panel6);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setCollapsible(0, false);
    layout->addWidget(Splitter1, 1);
}

void LedgerPage::buildBottomPanel(QWidget* bottom) {
    // The bottom panel is compact (the total and its currency only) or extended (the filter
    // controls and the balance list below them); see setBottomPanelExtended.
    auto* outer = new QVBoxLayout(bottom);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* values = new QHBoxLayout;
    values->setContentsMargins(2, 1, 2, 1);
    // The total before the first revaluation.
    LabelV = Named(new QLabel(S("000 000 000"), bottom), "LabelV");
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
    ListBox1 = Named(new QListWidget(extended), "ListBox1");
    extLayout->addWidget(ListBox1, 1);
    auto* presetButtons = new QVBoxLayout;
    Button1 = Named(new QPushButton(S("Load"), extended), "Button1");
    Button7 = Named(new QPushButton(S("Delete"), extended), "Button7");
    Button9 = Named(new QPushButton(S("Save as..."), extended), "Button9");
    for (QPushButton* b : {Button1, Button7, Button9})
        presetButtons->addWidget(b);
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

TranslationKeys LedgerPage::translationKeys() {
    using namespace translation;
    auto button = [this](const char* name) {
        return toolButton(QString::fromLatin1(name));
    };
    TranslationKeys keys = {
        {QStringLiteral("groups"), Text(CheckBox3)},
        {QStringLiteral("date"), All({Item(ComboBox3, 0), Text(Filter)})},
        {QStringLiteral("delete"), All({Text(PopupDelete), Hint(button("tb2"))})},
        {QStringLiteral("edit"), All({Text(PopupEdit), Hint(button("tb3"))})},
        {QStringLiteral("groups of incomes"), Item(ComboBox2, 0)},
        {QStringLiteral("groups of charges"), Item(ComboBox2, 1)},
        {QStringLiteral("sub-groups of charges"), Item(ComboBox2, 2)},
        {QStringLiteral("sub-groups of incomes"), Item(ComboBox2, 3)},
        {QStringLiteral("category of filter"), Hint(ComboBox2)},
        {QStringLiteral("value of filter"), Hint(ComboBox1)},
        {QStringLiteral("add charge/income"), Hint(button("tb1"))},
        {QStringLiteral("transfer into account"), Hint(button("tb4"))},
        {QStringLiteral("conversion of currency"), Hint(button("tb5"))},
        {QStringLiteral("print"), Hint(button("tb6"))},
        {QStringLiteral("exit"), Hint(button("tb8"))},
        {QStringLiteral("fromdate"), Text(CheckBox4)},
        {QStringLiteral("todate"), Text(CheckBox5)},
        {QStringLiteral("refresh"), Text(Button17)},
        {QStringLiteral("stat1"), TabText(PageControl2, 0)},
        {QStringLiteral("stat2"), TabText(PageControl2, 1)},
        {QStringLiteral("search"), TabText(PageControl2, 2)},
        {QStringLiteral("incomes"), Text(rIncomes)},
        {QStringLiteral("charges"), Text(rCharges)},
        {QStringLiteral("all"), Text(rAll)},
        {QStringLiteral("show plan"), Text(CheckBox10)},
        {QStringLiteral("auto refresh"), Text(CheckBox7)},
        {QStringLiteral("find"), Text(ButtonSearch1)},
        {QStringLiteral("name"), All({Item(ComboBox3, 1), Text(LabelSearch)})},
        {QStringLiteral("group"), Item(ComboBox3, 2)},
        {QStringLiteral("sub-group"), Item(ComboBox3, 3)},
        {QStringLiteral("account"), Item(ComboBox3, 4)},
        {QStringLiteral("sorting"), Text(LabelSort)},
        {QStringLiteral("load"), Text(Button1)},
    };
    for (auto& key : FrameStat1->translationKeys())
        keys.push_back(std::move(key));
    // Toolbar captions, then the numbered hints of the page's controls.
    std::vector<TranslationTarget> captions;
    for (const char* name : {"tb1", "tb2", "tb3", "tb4", "tb5", "tb6", "tb8"})
        captions.push_back(Text(button(name)));
    AddNumbered(keys, "button", 2, 1, captions);
    AddNumbered(keys, "hint", 3, 1,
                {
                    Hint(button("tb1")),
                    Hint(button("tb2")),
                    Hint(button("tb3")),
                    Hint(button("tb4")),
                    Hint(button("tb5")),
                    Hint(button("tb6")),
                    Hint(button("tb8")),
                    All({Hint(LabelSort), Hint(ComboBox3)}),
                    Hint(rAll),
                    Hint(rIncomes),
                    Hint(rCharges),
                    Hint(CheckBox10),
                    Hint(Filter),
                    All({Hint(CheckBox4), Hint(DateTimePicker1)}),
                    All({Hint(CheckBox5), Hint(DateTimePicker2)}),
                    Hint(CheckBox3),
                    Hint(ComboBox2),
                    Hint(ComboBox1),
                    TabHint(PageControl2, 0),
                    TabHint(PageControl2, 1),
                    TabHint(PageControl2, 2),
                    Hint(Button1),
                    Hint(Button7),
                    Hint(Button9),
                    Hint(ListBox1),
                    All({Hint(LabelSearch), Hint(EditSearch)}),
                    Hint(ButtonSearch1),
                    Hint(LabelV),
                    Hint(ComboBoxV),
                    Hint(GridValutaV),
                    Hint(CheckBox7),
                    Hint(Button17),
                });
    return keys;
}

void LedgerPage::applyFace(int accountTabsStyle, bool transparentToolbars, bool flatButtons,
                           bool filterTabsBelow) {
    if (accountTabsStyle >= 0 && accountTabsStyle <= 2) {
        static const char* const styles[] = {
            "",
            "QTabBar::tab { border: 1px solid palette(mid); border-radius: 3px; margin: 1px; "
            "padding: 3px 8px; }",
            "QTabBar::tab { border: none; margin: 1px; padding: 3px 8px; } "
            "QTabBar::tab:selected { border: 1px solid palette(mid); }"};
        TabControl1->setStyleSheet(QString::fromLatin1(styles[accountTabsStyle]));
        TabControl1->setDrawBase(accountTabsStyle == 0);
        TabControl1->setProperty("accountsStyle", accountTabsStyle);
    }
    StyleToolBar(ToolBar1, transparentToolbars, flatButtons);
    PageControl2->setTabPosition(filterTabsBelow ? QTabWidget::South : QTabWidget::North);
}

bool LedgerPage::hasComputedWidths() const {
    for (int n = 1; n <= 7; ++n) {
        if (!Settings::contains(settings::LedgerColumnKey(n)))
            return true;
    }
    return false;
}

void LedgerPage::loadColumnWidths(int windowWidth) {
    const QScopedValueRollback applying(m_applyingWidths, true);
    const double w = windowWidth;
    // The computed widths leave two pixels of each column for the grid lines.
    LoadColumnWidths(Grid1,
                     {RoundHalfEven(0.1 * w) - 27, RoundHalfEven(0.3 * w) - 2,
                      RoundHalfEven(0.1 * w) - 2, RoundHalfEven(0.1 * w) - 2,
                      RoundHalfEven(0.15 * w) - 2, RoundHalfEven(0.15 * w) - 2,
                      RoundHalfEven(0.1 * w) - 17},
                     settings::LedgerColumnKey);
    // A date is never cut: its column is at least as wide as the widest date of the short
    // format, whatever width was saved.
    if (!Grid1->isColumnHidden(1) && Grid1->columnWidth(1) < minimumDateWidth())
        Grid1->setColumnWidth(1, minimumDateWidth());
}

int LedgerPage::minimumDateWidth() const {
    return MinimumDateWidth(Grid1->font());
}

void LedgerPage::saveColumnWidths() {
    for (int n = 1; n <= 7; ++n) {
        Settings::writeInt(settings::LedgerColumnKey(n),
                           Grid1->isColumnHidden(n) ? -1 : Grid1->columnWidth(n));
    }
}

int LedgerPage::columnWidth(int column) const {
    return Grid1->isColumnHidden(column) ? -1 : Grid1->columnWidth(column);
}

void LedgerPage::setColumnWidth(int column, int width) {
    const QScopedValueRollback applying(m_applyingWidths, true);
    Grid1->setColumnHidden(column, width < 0);
    if (width >= 0)
        Grid1->setColumnWidth(column, width);
    Settings::writeInt(settings::LedgerColumnKey(column), width);
}

void LedgerPage::setBottomPanelExtended(bool extended) {
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

void LedgerPage::bottomSplitterMoved() {
    // A requested height of 100 or less collapses the panel, anything more extends it.
    setBottomPanelExtended(Splitter1->sizes().value(1) > 100);
}

} // namespace zovi
