#include "ledger/filterpanel.h"

#include "core/layouts.h"
#include "ledger/extendedfilterpage.h"
#include "ledger/quickfilterpage.h"
#include "views/filterbuilder.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace zovi {

namespace {

enum FilterPage { kFastPage, kExtendedPage, kSearchPage };

// The pause after the last keystroke before the search field searches.
constexpr int kSearchPauseMs = 300;

} // namespace

FilterPanel::FilterPanel(LedgerTables& tables, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PanelFilter"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    auto* kinds = new QVBoxLayout;
    m_autoRefresh = Named(new QCheckBox(QStringLiteral("Auto refresh"), this), "CheckBox7");
    m_autoRefresh->setChecked(true);
    m_refreshButton = Named(new QPushButton(QStringLiteral("Refresh"), this), "Button17");
    m_refreshButton->hide();
    m_allKinds = Named(new QRadioButton(QStringLiteral("All"), this), "rAll");
    m_incomes = Named(new QRadioButton(QStringLiteral("Incomes"), this), "rIncomes");
    m_charges = Named(new QRadioButton(QStringLiteral("Charges"), this), "rCharges");
    m_allKinds->setChecked(true);
    m_showPlan = Named(new QCheckBox(QStringLiteral("Show plan"), this), "CheckBox10");
    m_showPlan->setChecked(true);
    m_showPlan->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{m_autoRefresh, m_refreshButton, m_allKinds,
                                                      m_incomes, m_charges, m_showPlan})
        kinds->addWidget(w);
    layout->addLayout(kinds);

    m_pages = Named(new QTabWidget(this), "PageControl2");
    m_pages->setTabPosition(QTabWidget::South);
    m_pages->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    m_quick = new QuickFilterPage(tables, m_pages);
    m_extended = new ExtendedFilterPage(tables, m_pages);
    auto* search = Named(new QWidget(m_pages), "TabSheetSearch");
    auto* searchLayout = new QHBoxLayout(search);
    m_searchLabel = Named(new QLabel(QStringLiteral("Name"), search), "LabelSearch");
    m_searchText = Named(new QLineEdit(search), "EditSearch");
    m_searchButton = Named(new QPushButton(QStringLiteral("Find"), search), "ButtonSearch1");
    searchLayout->addWidget(m_searchLabel);
    searchLayout->addWidget(m_searchText, 1);
    searchLayout->addWidget(m_searchButton);
    m_pages->addTab(m_quick, QStringLiteral("Fast"));
    m_pages->addTab(m_extended, QStringLiteral("Extended"));
    m_pages->addTab(search, QStringLiteral("Search"));
    layout->addWidget(m_pages, 2);

    connect(m_autoRefresh, &QCheckBox::toggled, this,
            [this](bool on) { m_refreshButton->setVisible(!on); });
    connect(m_refreshButton, &QPushButton::clicked, this, &FilterPanel::filterChanged);
    for (QRadioButton* kind : {m_allKinds, m_incomes, m_charges})
        connect(kind, &QRadioButton::clicked, this, &FilterPanel::filterChanged);
    connect(m_quick, &QuickFilterPage::changed, this, &FilterPanel::refilterIfAuto);
    connect(m_extended, &ExtendedFilterPage::changed, this, &FilterPanel::refilterIfAuto);
    // "Find", or Enter in the field, searches at once; typing searches once the user pauses,
    // each keystroke putting the search off again.
    m_searchPause = new QTimer(this);
    m_searchPause->setSingleShot(true);
    m_searchPause->setInterval(kSearchPauseMs);
    const auto find = [this] {
        m_searchPause->stop();
        if (m_pages->currentIndex() == kSearchPage)
            Q_EMIT filterChanged();
    };
    connect(m_searchButton, &QPushButton::clicked, this, find);
    connect(m_searchText, &QLineEdit::returnPressed, this, find);
    connect(m_searchPause, &QTimer::timeout, this, find);
    connect(m_searchText, &QLineEdit::textEdited, m_searchPause, qOverload<>(&QTimer::start));
    connect(m_pages, &QTabWidget::currentChanged, this, &FilterPanel::pageChanged);
}

void FilterPanel::refilterIfAuto() {
    if (m_autoRefresh->isChecked())
        Q_EMIT filterChanged();
}

void FilterPanel::pageChanged(int index) {
    if (index == kExtendedPage)
        m_extended->activate();
    else
        m_extended->deactivate();
    Q_EMIT filterChanged();
}

void FilterPanel::readFilterState(FilterState& state) const {
    state.filterPage = m_pages->currentIndex();
    m_quick->readFilterState(state);
    state.kind = m_incomes->isChecked()   ? EntryKindFilter::Incomes
                 : m_charges->isChecked() ? EntryKindFilter::Charges
                                          : EntryKindFilter::All;
    state.showPlan = m_showPlan->isChecked();
    m_extended->readFilterState(state);
    state.searchText = m_searchText->text();
}

void FilterPanel::setQuickPeriod(const DatePeriod& period, bool refilter) {
    m_quick->setPeriod(period, refilter);
}

QList<QWidget*> FilterPanel::dateControls() const {
    return m_quick->dateControls();
}

QWidget* FilterPanel::selectionListsPanel() const {
    return m_extended->selectionListsPanel();
}

QString FilterPanel::accountsSummary() const {
    return m_extended->accountsSummary();
}

QString FilterPanel::datesSummary() const {
    return m_extended->datesSummary();
}

void FilterPanel::setTabsBelow(bool below) {
    m_pages->setTabPosition(below ? QTabWidget::South : QTabWidget::North);
}

TranslationKeys FilterPanel::translationKeys() {
    using namespace translation;
    TranslationKeys keys = m_quick->translationKeys();
    keys.insert(keys.end(), {
                                {QStringLiteral("refresh"), Text(m_refreshButton)},
                                {QStringLiteral("stat1"), TabText(m_pages, kFastPage)},
                                {QStringLiteral("stat2"), TabText(m_pages, kExtendedPage)},
                                {QStringLiteral("search"), TabText(m_pages, kSearchPage)},
                                {QStringLiteral("incomes"), Text(m_incomes)},
                                {QStringLiteral("charges"), Text(m_charges)},
                                {QStringLiteral("all"), Text(m_allKinds)},
                                {QStringLiteral("show plan"), Text(m_showPlan)},
                                {QStringLiteral("auto refresh"), Text(m_autoRefresh)},
                                {QStringLiteral("find"), Text(m_searchButton)},
                                {QStringLiteral("name"), Text(m_searchLabel)},
                            });
    const TranslationKeys extended = m_extended->translationKeys();
    keys.insert(keys.end(), extended.begin(), extended.end());
    AddNumbered(keys, "hint", 3, 9,
                {Hint(m_allKinds), Hint(m_incomes), Hint(m_charges), Hint(m_showPlan)});
    AddNumbered(keys, "hint", 3, 19,
                {TabHint(m_pages, kFastPage), TabHint(m_pages, kExtendedPage),
                 TabHint(m_pages, kSearchPage)});
    AddNumbered(keys, "hint", 3, 26,
                {All({Hint(m_searchLabel), Hint(m_searchText)}), Hint(m_searchButton)});
    AddNumbered(keys, "hint", 3, 31, {Hint(m_autoRefresh), Hint(m_refreshButton)});
    return keys;
}

} // namespace zovi
