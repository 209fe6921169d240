#pragma once

#include "core/translate.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

namespace zovi {

class ExtendedFilterPage;
class LedgerTables;
class QuickFilterPage;
struct DatePeriod;
struct FilterState;

// The filter panel of the ledger page: the kind of entries (all, incomes, charges), "Auto
// refresh" with its "Refresh" button, and the three filter pages, "Fast", "Extended" and
// "Search". It announces filterChanged once for every user action that asks for the ledger to
// be filtered again: a change of a filter page refilters only while "Auto refresh" is ticked.
class FilterPanel : public QWidget {
    Q_OBJECT

public:
    FilterPanel(LedgerTables& tables, QWidget* parent = nullptr);

    // The panel's part of the filter state: the page, the kind, the plan, the pages' controls.
    void readFilterState(FilterState& state) const;
    // The quick filter's dates become period; refilters when refilter, "Auto refresh" and the
    // date tick all say so.
    void setQuickPeriod(const DatePeriod& period, bool refilter);
    // The controls the date menu opens on.
    QList<QWidget*> dateControls() const;
    // The selection lists of the "Extended" page, placed above the grid by the ledger page.
    QWidget* selectionListsPanel() const;
    QString accountsSummary() const;
    QString datesSummary() const;
    // The page tabs below the pages or above them.
    void setTabsBelow(bool below);

    // The panel's keys and its pages', with the numbered hints of the kinds (the page's 9th to
    // 12th), the page tabs (19th to 21st), the search (26th and 27th) and "Auto refresh" and
    // "Refresh" (31st and 32nd).
    TranslationKeys translationKeys();

Q_SIGNALS:
    void filterChanged();

private:
    void pageChanged(int index);
    void refilterIfAuto();

    QCheckBox* m_autoRefresh = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QRadioButton* m_allKinds = nullptr;
    QRadioButton* m_incomes = nullptr;
    QRadioButton* m_charges = nullptr;
    QCheckBox* m_showPlan = nullptr;
    QTabWidget* m_pages = nullptr;
    QuickFilterPage* m_quick = nullptr;
    ExtendedFilterPage* m_extended = nullptr;
    QLabel* m_searchLabel = nullptr;
    QLineEdit* m_searchText = nullptr;
    QPushButton* m_searchButton = nullptr;
    // Searches a short pause after the last keystroke in the search field.
    QTimer* m_searchPause = nullptr;
};

} // namespace zovi
