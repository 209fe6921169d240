// The places of the ledger page's parts, the toolbar, their translation keys and their
// appearance.
#include "core/layouts.h"
#include "core/settings.h"
#include "core/toolbaroverflow.h"
#include "ledger/accounttabs.h"
#include "ledger/balancepanel.h"
#include "ledger/datemenu.h"
#include "ledger/filterpanel.h"
#include "ledger/ledgergridview.h"

#include "ledger/ledgerpage.h"
#include <QLabel>

#include <QComboBox>
#include <QHBoxLayout>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace zovi {

QToolButton* LedgerPage::toolButton(const QString& name) const {
    return m_toolBar->findChild<QToolButton*>(name);
}

void LedgerPage::buildToolBar() {
    m_toolBar = Named(new QToolBar(this), "ToolBar1");
    AddToolButton(m_toolBar, "tb1", QStringLiteral("New record"), QStringLiteral("Charge/Income"));
    AddToolButton(m_toolBar, "tb2", QStringLiteral("Delete record"),
                  QStringLiteral("Delete record"));
    AddToolButton(m_toolBar, "tb3", QStringLiteral("Edit record"), QStringLiteral("Edit record"));
    m_toolBar->addSeparator();
    AddToolButton(m_toolBar, "tb4", QStringLiteral("New transfer"),
                  QStringLiteral("Transfer into account"));
    AddToolButton(m_toolBar, "tb5", QStringLiteral("New conversion"),
                  QStringLiteral("Conversion of currency"));
    m_toolBar->addSeparator();
    AddToolButton(m_toolBar, "tb6", QStringLiteral("Print data"), QStringLiteral("Print data"));
    m_toolBar->addSeparator();
    AddToolButton(m_toolBar, "tb8", QStringLiteral("Exit"), QStringLiteral("Exit"));
    AddToolBarOverflow(m_toolBar);
}

void LedgerPage::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    m_tabs = new AccountTabs(this);
    layout->addWidget(m_tabs);

    auto* top = new QHBoxLayout;
    buildToolBar();
    top->addWidget(m_toolBar, 1);
    layout->addLayout(top);

    m_splitter = Named(new QSplitter(Qt::Vertical, this), "Splitter1");
    auto* upper = new QWidget(m_splitter);
    m_grid = new LedgerGridView(m_data, upper);
    top->addWidget(m_grid->sortControls());

    m_balances = new BalancePanel(m_data, m_splitter);
    m_filters = new FilterPanel(m_data, m_balances);
    m_balances->setFilterControls(m_filters);
    m_dateMenu = new DateMenu(this);

    auto* upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    // The selection lists of the "Extended" filter page sit above the grid while it is shown.
    upperLayout->addWidget(m_filters->selectionListsPanel());
    upperLayout->addWidget(m_grid, 1);
    upperLayout->addWidget(m_grid->sumsLine());

    m_splitter->addWidget(upper);
    m_splitter->addWidget(m_balances);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->setCollapsible(0, false);
    layout->addWidget(m_splitter, 1);
    connect(m_splitter, &QSplitter::splitterMoved, this, &LedgerPage::bottomSplitterMoved);
    connect(m_balances, &BalancePanel::filtersToggled, this,
            [this] { extendBottomPanelByUser(!bottomPanelExtended()); });
    // The keyboard reaches the sort box beside the toolbar before the grid below it.
    QWidget::setTabOrder(m_grid->sortControls()->findChild<QComboBox*>(), m_grid);
}

TranslationKeys LedgerPage::translationKeys() {
    using namespace translation;
    auto button = [this](const char* name) {
        return toolButton(QString::fromLatin1(name));
    };
    // The parts' keys, each with its numbered hints, then the toolbar's.
    TranslationKeys keys = m_filters->translationKeys();
    for (const TranslationKeys& part : {m_grid->translationKeys(), m_balances->translationKeys()})
        keys.insert(keys.end(), part.begin(), part.end());
    keys.insert(keys.end(), {
                                {QStringLiteral("delete"), Hint(button("tb2"))},
                                {QStringLiteral("edit"), Hint(button("tb3"))},
                                {QStringLiteral("add charge/income"), Hint(button("tb1"))},
                                {QStringLiteral("transfer into account"), Hint(button("tb4"))},
                                {QStringLiteral("conversion of currency"), Hint(button("tb5"))},
                                {QStringLiteral("print"), Hint(button("tb6"))},
                                {QStringLiteral("exit"), Hint(button("tb8"))},
                            });
    std::vector<TranslationTarget> captions;
    for (const char* name : {"tb1", "tb2", "tb3", "tb4", "tb5", "tb6", "tb8"})
        captions.push_back(Text(button(name)));
    AddNumbered(keys, "button", 2, 1, captions);
    AddNumbered(keys, "hint", 3, 1,
                {Hint(button("tb1")), Hint(button("tb2")), Hint(button("tb3")), Hint(button("tb4")),
                 Hint(button("tb5")), Hint(button("tb6")), Hint(button("tb8"))});
    return keys;
}

void LedgerPage::applyFace(int accountTabsStyle, bool transparentToolbars, bool flatButtons,
                           bool filterTabsBelow) {
    m_tabs->applyStyle(accountTabsStyle);
    StyleToolBar(m_toolBar, transparentToolbars, flatButtons);
    m_filters->setTabsBelow(filterTabsBelow);
}

void LedgerPage::setBottomPanelExtended(bool extended) {
    m_balances->setExtended(extended);
    const int height = extended ? BalancePanel::kExtendedHeight : BalancePanel::kCompactHeight;
    // The splitter sits just above the panel.
    const QSignalBlocker block(m_splitter);
    const int total = std::max(m_splitter->height(), height + 100);
    m_splitter->setSizes({total - height, height});
}

bool LedgerPage::bottomPanelExtended() const {
    return m_balances->isExtended();
}

void LedgerPage::bottomSplitterMoved() {
    // A requested height of 100 or less collapses the panel, anything more extends it.
    extendBottomPanelByUser(m_splitter->sizes().value(1) > 100);
}

void LedgerPage::extendBottomPanelByUser(bool extended) {
    setBottomPanelExtended(extended);
    if (settings::valuePanelCompact.read() != !extended)
        settings::valuePanelCompact.write(!extended);
}

} // namespace zovi
