#pragma once

#include "core/translate.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;

namespace zovi {

class LedgerTables;
struct DatePeriod;
struct FilterState;

// The "Fast" page of the filter panel: a date range, each end with its own tick, and one group
// or sub-group chosen by category and name.
class QuickFilterPage : public QWidget {
    Q_OBJECT

public:
    QuickFilterPage(LedgerTables& tables, QWidget* parent = nullptr);

    // The date range becomes period; changed() follows when refilter and the dates apply.
    void setPeriod(const DatePeriod& period, bool refilter);
    // The page's part of the filter state.
    void readFilterState(FilterState& state) const;
    // The controls the date menu opens on: the date tick, both end ticks and both pickers.
    QList<QWidget*> dateControls() const;

    // The page's keys, with the numbered hints of its controls, the page's 13th to 18th.
    TranslationKeys translationKeys();

Q_SIGNALS:
    // A change that alters what the page's filter admits; the panel refilters when "Auto
    // refresh" is ticked.
    void changed();

private:
    void listGroupValues();

    LedgerTables& m_data;
    QCheckBox* m_dateCheck = nullptr;
    QCheckBox* m_fromCheck = nullptr;
    QCheckBox* m_toCheck = nullptr;
    QDateEdit* m_fromDate = nullptr;
    QDateEdit* m_toDate = nullptr;
    QCheckBox* m_groupCheck = nullptr;
    QComboBox* m_groupCategory = nullptr;
    QComboBox* m_groupValue = nullptr;
};

} // namespace zovi
