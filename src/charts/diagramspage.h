#pragma once

#include "charts/chartview.h"
#include "core/translate.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;

namespace zovi {

class LedgerTables;

// The 3D controls beside a chart: the switch and the sliders of zoom, rotation, elevation,
// horizontal offset, vertical offset and perspective, enabled only while the switch is on.
struct View3DControls {
    QCheckBox* on = nullptr;
    std::array<QSlider*, 6> sliders{};
    std::array<QLabel*, 6> labels{};
};

// Prints a chart on one page of printer, as large as the page allows at the chart's aspect.
void PrintChart(const ChartView& chart, QPrinter& printer);

// The diagrams page of the main window: the chart of incomes and charges per period and the
// chart of charges or incomes per group, each on a tab of its own, over the entries the
// ledger filter admits. A chart whose "Auto refresh" is on is refreshed whenever the page is
// shown, the tabs are switched or one of its options changes.
class DiagramsPage : public QWidget {
    Q_OBJECT

public:
    explicit DiagramsPage(LedgerTables& tables, QWidget* parent = nullptr);

    // The keys of the translation table that reach this page's controls, in table order.
    TranslationKeys translationKeys();

    // The incomes and charges chart, the groups chart, and the one of the active tab.
    ChartView* incomeChargeChart() const { return m_incomeChargeChart; }
    ChartView* groupChart() const { return m_groupChart; }
    ChartView* activeChart() const;

    void refreshIncomeChargeChart();
    void refreshGroupChart();
    // The refresh of each chart whose "Auto refresh" is on, the incomes and charges first.
    void refreshAutoCharts();
    // The "Chart" menu: the active tab's chart saved as a bitmap, PNG or SVG file, and printed.
    void saveActiveChart();
    void printActiveChart();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildIncomeChargeTab();
    QWidget* buildGroupTab();
    QWidget* build3DControls(View3DControls& controls, ChartView* chart, int firstSlider,
                             const char* checkName);
    void incomeChargeOptionChanged();
    void groupOptionChanged();

    LedgerTables& m_data;
    QTabWidget* m_tabs = nullptr;

    ChartView* m_incomeChargeChart = nullptr;
    QRadioButton* m_daysButton = nullptr;   // days
    QRadioButton* m_monthsButton = nullptr; // months
    QRadioButton* m_yearsButton = nullptr;  // years
    QCheckBox* m_differenceCheck = nullptr; // incomes - charges
    std::array<QComboBox*, 3> m_colourBoxes{};
    std::array<QLabel*, 3> m_colourLabels{};
    QComboBox* m_kindsBox = nullptr;
    QCheckBox* m_incomeChargeAutoRefresh = nullptr; // auto refresh
    QPushButton* m_incomeChargeRefresh = nullptr;
    QCheckBox* m_showAxisCheck = nullptr; // show axis
    View3DControls m_incomeChargeView3D;

    ChartView* m_groupChart = nullptr;
    QRadioButton* m_groupsButton = nullptr;    // groups
    QRadioButton* m_subGroupsButton = nullptr; // sub-groups
    QRadioButton* m_chargesButton = nullptr;   // charges
    QRadioButton* m_incomesButton = nullptr;   // incomes
    QCheckBox* m_groupAutoRefresh = nullptr;   // auto refresh
    QPushButton* m_groupRefresh = nullptr;
    View3DControls m_groupView3D;
};

} // namespace zovi
