#include "ledger/balancepanel.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "ledger/currency.h"
#include "ledger/revalue.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace zovi {

BalancePanel::BalancePanel(LedgerTables& tables, QWidget* parent)
    : QWidget(parent), m_data(tables) {
    setObjectName(QStringLiteral("Panel6"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* values = new QHBoxLayout;
    values->setContentsMargins(2, 1, 2, 1);
    // The total before the first revaluation.
    m_total = Named(new QLabel(QStringLiteral("000 000 000"), this), "LabelV");
    m_total->setToolTip(QStringLiteral("your money"));
    m_total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont big = m_total->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    m_total->setFont(big);
    m_currencyBox = Named(new QComboBox(this), "ComboBoxV");
    m_currencyBox->setToolTip(QStringLiteral("currency"));
    // The filters live in the extended panel: this button, always shown, is the way to them.
    m_filtersButton = Named(new QToolButton(this), "FiltersButton");
    m_filtersButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_filtersButton->setFocusPolicy(Qt::StrongFocus);
    values->addWidget(m_filtersButton);
    values->addWidget(m_total, 1);
    values->addWidget(m_currencyBox);
    outer->addLayout(values);
    // The keyboard reaches the button before the currency box, in reading order.
    QWidget::setTabOrder(m_filtersButton, m_currencyBox);

    m_lower = Named(new QWidget(this), "PanelLower");
    auto* lower = new QHBoxLayout(m_lower);
    lower->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_lower, 1);
    m_balances = Named(new QTableWidget(0, 3, m_lower), "GridValutaV");
    m_balances->horizontalHeader()->hide();
    m_balances->verticalHeader()->hide();
    m_balances->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_balances->setSelectionMode(QAbstractItemView::NoSelection);
    m_balances->setColumnHidden(0, true);
    m_balances->setFixedWidth(260);
    lower->addWidget(m_balances);

    connect(m_currencyBox, &QComboBox::currentIndexChanged, this, &BalancePanel::currencyChosen);
    connect(m_filtersButton, &QToolButton::clicked, this, &BalancePanel::filtersToggled);
    showFiltersButtonState();
}

void BalancePanel::setFilterControls(QWidget* filters) {
    static_cast<QHBoxLayout*>(m_lower->layout())->insertWidget(0, filters, 1);
}

void BalancePanel::revalue(bool withOpeningBalances) {
    if (!m_data.tbData2.isOpen() || !m_data.tbValuta.isOpen())
        return;
    try {
        const RevalueResult result =
            Revalue(m_data, withOpeningBalances, m_currencyBox->currentText());
        m_total->setText(result.labelText);
        m_total->setToolTip(result.labelHint);
        // One row per currency; the shown balances fill the rows from the top.
        m_balances->clearContents();
        m_balances->setRowCount(int(result.currencies.size()));
        const int width = m_balances->viewport()->width();
        m_balances->setColumnWidth(1, qRound(width * 0.6));
        m_balances->setColumnWidth(2, qRound(width * 0.4));
        for (int i = 0; i < result.lines.size(); ++i) {
            const BalanceLine& line = result.lines[i];
            m_balances->setItem(i, 0, new QTableWidgetItem(line.mark));
            m_balances->setItem(i, 1, new QTableWidgetItem(line.name));
            m_balances->setItem(i, 2, new QTableWidgetItem(line.balance));
        }
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
}

void BalancePanel::listCurrencies() {
    if (!m_data.tbValuta.isOpen())
        return;
    const QString chosen = m_currencyBox->currentText();
    const QSignalBlocker block(m_currencyBox);
    m_currencyBox->clear();
    for (const Currency& c : ReadCurrencies(m_data.tbValuta))
        m_currencyBox->addItem(c.Znak);
    const int at = m_currencyBox->findText(chosen);
    m_currencyBox->setCurrentIndex(at >= 0 ? at : 0);
}

QString BalancePanel::figure() const {
    return m_total->text();
}

QString BalancePanel::currency() const {
    return m_currencyBox->currentText();
}

void BalancePanel::setExtended(bool extended) {
    m_extended = extended;
    m_lower->setVisible(extended);
    // The panel may be dragged anywhere between its two heights and then snaps to one.
    setMinimumHeight(kCompactHeight);
    setMaximumHeight(kExtendedHeight);
    showFiltersButtonState();
}

void BalancePanel::showFiltersButtonState() {
    // The arrow points where the panel's edge moves: up to open, down to fold.
    const QString text =
        m_extended ? LangText(QStringLiteral("hidefilters"), QStringLiteral("Hide filters"))
                   : LangText(QStringLiteral("showfilters"), QStringLiteral("Show filters"));
    m_filtersButton->setText(text);
    m_filtersButton->setAccessibleName(text);
    m_filtersButton->setArrowType(m_extended ? Qt::DownArrow : Qt::UpArrow);
}

TranslationKeys BalancePanel::translationKeys() {
    using namespace translation;
    TranslationKeys keys;
    AddNumbered(keys, "hint", 3, 28, {Hint(m_total), Hint(m_currencyBox), Hint(m_balances)});
    return keys;
}

} // namespace zovi
