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
    ChartView* chart1() const { return Chart1; }
    ChartView* chart2() const { return Chart2; }
    ChartView* activeChart() const;

    void Button13Click();
    void Button14Click();
    // The refresh of each chart whose "Auto refresh" is on, the incomes and charges first.
    void TabSheet3Show();
    // The "Chart" menu: the active tab's chart saved as a bitmap, and printed.
    void m3i11Click();
    void m3i12Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildChart1Tab();
    QWidget* buildChart2Tab();
    QWidget* build3D(View3DControls& controls, ChartView* chart, int firstSlider,
                     const char* checkName);
    void RadioButton4Click();
    void RadioButton7Click();
    void Chart1Click();
    void Chart2Click();

    LedgerTables& m_data;
    QTabWidget* PageControl1 = nullptr;

    ChartView* Chart1 = nullptr;
    QRadioButton* RadioButton4 = nullptr; // days
    QRadioButton* RadioButton3 = nullptr; // months
    QRadioButton* RadioButton5 = nullptr; // years
    QCheckBox* CheckBox2 = nullptr;       // incomes - charges
    std::array<QComboBox*, 3> ColorBoxes{};
    std::array<QLabel*, 3> ColorLabels{};
    QComboBox* ComboBox4 = nullptr;
    QCheckBox* CheckBox1 = nullptr; // auto refresh
    QPushButton* Button13 = nullptr;
    QCheckBox* CheckBox11 = nullptr; // show axis
    View3DControls m_view1;

    ChartView* Chart2 = nullptr;
    QRadioButton* RadioButton7 = nullptr; // groups
    QRadioButton* RadioButton6 = nullptr; // sub-groups
    QRadioButton* RadioButton8 = nullptr; // charges
    QRadioButton* RadioButton9 = nullptr; // incomes
    QCheckBox* CheckBox6 = nullptr;       // auto refresh
    QPushButton* Button14 = nullptr;
    View3DControls m_view2;
};

} // namespace zovi
