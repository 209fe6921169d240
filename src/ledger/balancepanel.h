#pragma once

#include "core/translate.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QTableWidget;
class QToolButton;

namespace zovi {

class LedgerTables;

// The bottom panel of the ledger page: the total of the filtered entries in the display
// currency chosen beside it and, while the panel is extended, the balance of every currency,
// with the filter controls at its left. Compact, it shows the total only, and the button that
// opens the filters ("Show filters"), which folds them back once they are open ("Hide filters").
class BalancePanel : public QWidget {
    Q_OBJECT

public:
    BalancePanel(LedgerTables& tables, QWidget* parent = nullptr);

    // Places the filter controls at the left of the balance list.
    void setFilterControls(QWidget* filters);

    // The balances of the filtered entries, in the chosen display currency; the opening
    // balances of the currencies count when withOpeningBalances.
    void revalue(bool withOpeningBalances);
    // The list of currency signs again, keeping the chosen one.
    void listCurrencies();
    // The total as shown, and the sign of its currency: what a printed report says it covers.
    QString figure() const;
    QString currency() const;

    // Compact (the total only) or extended (the filter controls and the balance list too).
    void setExtended(bool extended);
    bool isExtended() const { return m_extended; }
    // The heights of the two states.
    static constexpr int kCompactHeight = 27;
    static constexpr int kExtendedHeight = 138;

    // The numbered hints of the total, the currency box and the balance list, the page's 28th
    // to 30th.
    TranslationKeys translationKeys();

Q_SIGNALS:
    // The user chose another display currency.
    void currencyChosen();
    // The user pressed the button that shows or hides the filters.
    void filtersToggled();

private:
    // The button's text, arrow and accessible name for the panel's state.
    void showFiltersButtonState();

    LedgerTables& m_data;
    QLabel* m_total = nullptr;
    QComboBox* m_currencyBox = nullptr;
    QToolButton* m_filtersButton = nullptr;
    QWidget* m_lower = nullptr;
    QTableWidget* m_balances = nullptr;
    bool m_extended = false;
};

} // namespace zovi
