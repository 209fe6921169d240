#include "charts/diagramspage.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// The standard colours of the colour boxes, with their names in the user's language.
struct NamedColour {
    QString name;
    quint32 rgb;
};
QList<NamedColour> StandardColours() {
    return {{LangText(u"colour black"_s, u"Black"_s), 0xff000000},
            {LangText(u"colour maroon"_s, u"Maroon"_s), 0xff800000},
            {LangText(u"colour green"_s, u"Green"_s), 0xff008000},
            {LangText(u"colour olive"_s, u"Olive"_s), 0xff808000},
            {LangText(u"colour navy"_s, u"Navy"_s), 0xff000080},
            {LangText(u"colour purple"_s, u"Purple"_s), 0xff800080},
            {LangText(u"colour teal"_s, u"Teal"_s), 0xff008080},
            {LangText(u"colour gray"_s, u"Gray"_s), 0xff808080},
            {LangText(u"colour silver"_s, u"Silver"_s), 0xffc0c0c0},
            {LangText(u"colour red"_s, u"Red"_s), 0xffff0000},
            {LangText(u"colour lime"_s, u"Lime"_s), 0xff00ff00},
            {LangText(u"colour yellow"_s, u"Yellow"_s), 0xffffff00},
            {LangText(u"colour blue"_s, u"Blue"_s), 0xff0000ff},
            {LangText(u"colour fuchsia"_s, u"Fuchsia"_s), 0xffff00ff},
            {LangText(u"colour aqua"_s, u"Aqua"_s), 0xff00ffff},
            {LangText(u"colour white"_s, u"White"_s), 0xffffffff}};
}

// A colour box of the standard colours with rgb chosen.
QComboBox* ColourBox(QWidget* parent, const char* name, quint32 rgb) {
    auto* box = Named(new QComboBox(parent), name);
    for (const NamedColour& c : StandardColours()) {
        QPixmap swatch(12, 12);
        swatch.fill(QColor::fromRgba(c.rgb));
        box->addItem(QIcon(swatch), c.name, c.rgb);
    }
    box->setCurrentIndex(box->findData(rgb));
    // As wide as the longest name, so that no colour's name is cut short in any language.
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->view()->setMinimumWidth(box->view()->sizeHintForColumn(0) + 2 * box->view()->frameWidth() +
                                 box->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    return box;
}

quint32 ColourOf(const QComboBox* box) {
    return box->currentData().toUInt();
}

// The sliders' ranges and start positions, in the order of ChartView3D's options.
struct SliderRange {
    const char* label;
    int low;
    int high;
    int start;
};
constexpr SliderRange SliderRanges[] = {
    {"Zoom", 0, 500, 93},           {"Rotation", 270, 360, 350},
    {"Elevation", 270, 360, 360},   {"Horiz. Offset", -500, 500, -19},
    {"Vert. Offset", -500, 500, 0}, {"Perspective", 0, 100, 52}};

// A chart's refresh, with a failure of the store shown to the user.
template <class F> void Guarded(QWidget* parent, F work) {
    try {
        work();
    } catch (const StoreError& e) {
        Messages::error(parent, e.message());
    }
}

// A chart tab inside a scroll area, so that its controls never make the main window wider
// or taller than the other pages let it be.
QWidget* Scrolled(QWidget* tab) {
    auto* area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(tab);
    return area;
}

// A click on a chart: the bars give way to the other series (line or pie) with numbered points,
// and back to the bars with their labels.
void ToggleBars(ChartView& chart) {
    const bool bars = !chart.barsActive();
    chart.setBarsActive(bars);
    chart.setBottomLabels(bars);
}

} // namespace

void PrintChart(const ChartView& chart, QPrinter& printer) {
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    QSize size = chart.size().expandedTo(QSize(1, 1));
    size.scale(page.size(), Qt::KeepAspectRatio);
    const qreal scale = qreal(size.width()) / chart.size().expandedTo(QSize(1, 1)).width();
    painter.translate(page.topLeft());
    painter.scale(scale, scale);
    chart.render(painter, QRect(QPoint(0, 0), chart.size()));
}

DiagramsPage::DiagramsPage(LedgerTables& tables, QWidget* parent)
    : QWidget(parent), m_data(tables) {
    setObjectName(QStringLiteral("TabSheet3"));
    auto* layout = new QVBoxLayout(this);
    m_tabs = Named(new QTabWidget(this), "PageControl1");
    m_tabs->addTab(Scrolled(buildIncomeChargeTab()), QStringLiteral("Chart: incomes/charges"));
    m_tabs->addTab(Scrolled(buildGroupTab()), QStringLiteral("Chart: groups"));
    layout->addWidget(m_tabs);
    connect(m_tabs, &QTabWidget::currentChanged, this, &DiagramsPage::refreshAutoCharts);
}

QWidget* DiagramsPage::build3DControls(View3DControls& controls, ChartView* chart, int firstSlider,
                                       const char* checkName) {
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    controls.on = Named(new QCheckBox(QStringLiteral("3D"), panel), checkName);
    column->addWidget(controls.on);
    for (int i = 0; i < 6; ++i) {
        const SliderRange& r = SliderRanges[i];
        controls.labels[size_t(i)] = new QLabel(QString::fromLatin1(r.label), panel);
        auto* slider = Named(new QSlider(Qt::Horizontal, panel),
                             QStringLiteral("TrackBar%1").arg(firstSlider + i));
        slider->setRange(r.low, r.high);
        slider->setValue(r.start);
        slider->setEnabled(false);
        controls.sliders[size_t(i)] = slider;
        column->addWidget(controls.labels[size_t(i)]);
        column->addWidget(slider);
        // Each slider sets its option of the chart's view.
        connect(slider, &QSlider::valueChanged, chart, [chart, i](int value) {
            ChartView3D view = chart->view3D();
            int* options[] = {&view.zoom,        &view.rotation,   &view.elevation,
                              &view.horizOffset, &view.vertOffset, &view.perspective};
            *options[i] = value;
            chart->setView3D(view);
        });
    }
    column->addStretch();
    // The switch turns the 3D view on or off and enables the sliders with it.
    connect(controls.on, &QCheckBox::toggled, chart, [chart, &controls](bool on) {
        ChartView3D view = chart->view3D();
        view.enabled = on;
        chart->setView3D(view);
        for (QSlider* s : controls.sliders)
            s->setEnabled(on);
    });
    return panel;
}

QWidget* DiagramsPage::buildIncomeChargeTab() {
    auto* tab = Named(new QWidget, "TabSheet5");
    m_incomeChargeChart = Named(new ChartView(ChartView::OtherKind::Line, tab), "Chart1");
    auto* top = new QHBoxLayout;
    top->addWidget(m_incomeChargeChart, 1);
    top->addWidget(build3DControls(m_incomeChargeView3D, m_incomeChargeChart, 1, "CheckBox8"));

    m_daysButton = Named(new QRadioButton(QStringLiteral("Days"), tab), "RadioButton4");
    m_monthsButton = Named(new QRadioButton(QStringLiteral("Months"), tab), "RadioButton3");
    m_yearsButton = Named(new QRadioButton(QStringLiteral("Years"), tab), "RadioButton5");
    m_monthsButton->setChecked(true);
    m_differenceCheck = Named(new QCheckBox(QStringLiteral("Incomes - charges"), tab), "CheckBox2");
    const char* colourTexts[] = {"Incomes", "Charges", "Incomes-charges"};
    const quint32 colours[] = {0xff008000, 0xffff0000, 0xff000080}; // green, red, navy
    for (int i = 0; i < 3; ++i) {
        m_colourLabels[size_t(i)] = new QLabel(QString::fromLatin1(colourTexts[i]), tab);
        m_colourBoxes[size_t(i)] = ColourBox(
            tab, QStringLiteral("ColorBox%1").arg(i + 1).toLatin1().constData(), colours[i]);
    }
    m_kindsBox = Named(new QComboBox(tab), "ComboBox4");
    m_kindsBox->addItems({QStringLiteral("Charges & Incomes"), QStringLiteral("Only charges"),
                          QStringLiteral("Only incomes")});
    m_incomeChargeAutoRefresh =
        Named(new QCheckBox(QStringLiteral("Auto refresh"), tab), "CheckBox1");
    m_incomeChargeAutoRefresh->setChecked(true);
    m_incomeChargeRefresh = Named(new QPushButton(QStringLiteral("Refresh data"), tab), "Button13");
    m_incomeChargeRefresh->setEnabled(false);
    m_showAxisCheck = Named(new QCheckBox(QStringLiteral("Show axis"), tab), "CheckBox11");
    m_showAxisCheck->setChecked(true);

    auto* controls = new QGridLayout;
    controls->addWidget(m_daysButton, 0, 0);
    controls->addWidget(m_monthsButton, 1, 0);
    controls->addWidget(m_yearsButton, 2, 0);
    for (int i = 0; i < 3; ++i) {
        controls->addWidget(m_colourLabels[size_t(i)], i, 1);
        controls->addWidget(m_colourBoxes[size_t(i)], i, 2);
    }
    controls->addWidget(m_differenceCheck, 0, 3);
    controls->addWidget(m_kindsBox, 1, 3);
    controls->addWidget(m_showAxisCheck, 2, 3);
    controls->addWidget(m_incomeChargeAutoRefresh, 0, 4);
    controls->addWidget(m_incomeChargeRefresh, 1, 4);
    controls->setColumnStretch(5, 1);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(top, 1);
    layout->addLayout(controls);

    for (QRadioButton* b : {m_daysButton, m_monthsButton, m_yearsButton})
        connect(b, &QRadioButton::clicked, this, &DiagramsPage::incomeChargeOptionChanged);
    connect(m_differenceCheck, &QCheckBox::clicked, this, &DiagramsPage::incomeChargeOptionChanged);
    for (QComboBox* box : m_colourBoxes)
        connect(box, &QComboBox::activated, this, &DiagramsPage::incomeChargeOptionChanged);
    connect(m_kindsBox, &QComboBox::activated, this, &DiagramsPage::incomeChargeOptionChanged);
    // The refresh button is for when the automatic refresh is off.
    connect(m_incomeChargeAutoRefresh, &QCheckBox::toggled, m_incomeChargeRefresh,
            [this](bool on) { m_incomeChargeRefresh->setEnabled(!on); });
    connect(m_incomeChargeRefresh, &QPushButton::clicked, this,
            &DiagramsPage::refreshIncomeChargeChart);
    connect(m_showAxisCheck, &QCheckBox::toggled, m_incomeChargeChart, &ChartView::setAxesVisible);
    connect(m_incomeChargeChart, &ChartView::clicked, m_incomeChargeChart,
            [this] { ToggleBars(*m_incomeChargeChart); });
    return tab;
}

QWidget* DiagramsPage::buildGroupTab() {
    auto* tab = Named(new QWidget, "TabSheet6");
    m_groupChart = Named(new ChartView(ChartView::OtherKind::Pie, tab), "Chart2");
    // The chart's own start view, until a slider sets an option.
    m_groupChart->setView3D({false, 100, 360, 315, 0, 0, 0});
    auto* top = new QHBoxLayout;
    top->addWidget(m_groupChart, 1);
    top->addWidget(build3DControls(m_groupView3D, m_groupChart, 7, "CheckBox9"));

    m_groupsButton = Named(new QRadioButton(QStringLiteral("Groups"), tab), "RadioButton7");
    m_subGroupsButton = Named(new QRadioButton(QStringLiteral("Sub-groups"), tab), "RadioButton6");
    m_chargesButton = Named(new QRadioButton(QStringLiteral("Charges"), tab), "RadioButton8");
    m_incomesButton = Named(new QRadioButton(QStringLiteral("Incomes"), tab), "RadioButton9");
    auto* by = new QButtonGroup(tab);
    by->addButton(m_groupsButton);
    by->addButton(m_subGroupsButton);
    auto* which = new QButtonGroup(tab);
    which->addButton(m_chargesButton);
    which->addButton(m_incomesButton);
    // Ticked only once the two groups are formed: before that the four buttons share their
    // parent's one exclusive set, and ticking "Charges" would untick "Groups".
    m_groupsButton->setChecked(true);
    m_chargesButton->setChecked(true);
    m_groupAutoRefresh = Named(new QCheckBox(QStringLiteral("Auto refresh"), tab), "CheckBox6");
    m_groupAutoRefresh->setChecked(true);
    m_groupRefresh = Named(new QPushButton(QStringLiteral("Refresh data"), tab), "Button14");
    m_groupRefresh->setEnabled(false);

    auto* controls = new QGridLayout;
    controls->addWidget(m_groupsButton, 0, 0);
    controls->addWidget(m_subGroupsButton, 1, 0);
    controls->addWidget(m_chargesButton, 0, 1);
    controls->addWidget(m_incomesButton, 1, 1);
    controls->addWidget(m_groupAutoRefresh, 0, 2);
    controls->addWidget(m_groupRefresh, 1, 2);
    controls->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(top, 1);
    layout->addLayout(controls);

    for (QRadioButton* b : {m_subGroupsButton, m_groupsButton, m_chargesButton, m_incomesButton})
        connect(b, &QRadioButton::clicked, this, &DiagramsPage::groupOptionChanged);
    // The refresh button is for when the automatic refresh is off.
    connect(m_groupAutoRefresh, &QCheckBox::toggled, m_groupRefresh,
            [this](bool on) { m_groupRefresh->setEnabled(!on); });
    connect(m_groupRefresh, &QPushButton::clicked, this, &DiagramsPage::refreshGroupChart);
    connect(m_groupChart, &ChartView::clicked, m_groupChart, [this] { ToggleBars(*m_groupChart); });
    return tab;
}

ChartView* DiagramsPage::activeChart() const {
    return m_tabs->currentIndex() == 1 ? m_groupChart : m_incomeChargeChart;
}

void DiagramsPage::refreshIncomeChargeChart() {
    m_kindsBox->setEnabled(!m_differenceCheck->isChecked());
    Guarded(this, [this] {
        const PeriodLength length = m_daysButton->isChecked()    ? PeriodLength::Days
                                    : m_yearsButton->isChecked() ? PeriodLength::Years
                                                                 : PeriodLength::Months;
        const IncomeChargeOptions options{
            m_differenceCheck->isChecked(), ChartKinds(m_kindsBox->currentIndex()),
            ColourOf(m_colourBoxes[0]), ColourOf(m_colourBoxes[1]), ColourOf(m_colourBoxes[2])};
        m_incomeChargeChart->setPoints(
            IncomeChargePoints(IncomeChargeSums(m_data, length), options));
    });
}

void DiagramsPage::refreshGroupChart() {
    Guarded(this, [this] {
        const GroupOptions options{m_subGroupsButton->isChecked(), m_incomesButton->isChecked()};
        m_groupChart->setPoints(GroupPoints(GroupChartSums(m_data, options)));
    });
}

void DiagramsPage::incomeChargeOptionChanged() {
    if (m_incomeChargeAutoRefresh->isChecked())
        refreshIncomeChargeChart();
}

void DiagramsPage::groupOptionChanged() {
    if (m_groupAutoRefresh->isChecked())
        refreshGroupChart();
}

void DiagramsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshAutoCharts();
}

void DiagramsPage::refreshAutoCharts() {
    if (m_incomeChargeAutoRefresh->isChecked())
        refreshIncomeChargeChart();
    if (m_groupAutoRefresh->isChecked())
        refreshGroupChart();
}

void DiagramsPage::saveActiveChart() {
    QString name = FileChooser::saveFile(
        this, QString(), QString(),
        LangText(QStringLiteral("chartfilters"),
                 QStringLiteral("Bitmaps (*.bmp);;PNG pictures (*.png);;SVG drawings (*.svg)")));
    if (name.isEmpty())
        return;
    // The name's suffix picks the kind of file; a name without a known one becomes a bitmap.
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix != QLatin1String("bmp") && suffix != QLatin1String("png") &&
        suffix != QLatin1String("svg"))
        name += QStringLiteral(".bmp");
    QString failure;
    if (!activeChart()->savePicture(name, &failure)) {
        if (failure.isEmpty())
            failure = LangText(QStringLiteral("chartnotsaved"),
                               QStringLiteral("The chart cannot be saved as %1."))
                          .arg(name);
        Messages::error(this, failure);
    }
}

void DiagramsPage::printActiveChart() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    if (dialog.exec() == QDialog::Accepted)
        PrintChart(*activeChart(), printer);
}

TranslationKeys DiagramsPage::translationKeys() {
    using namespace translation;
    TranslationKeys keys = {
        {QStringLiteral("chart: incomes/charges"), TabText(m_tabs, 0)},
        {QStringLiteral("chart: groups"), TabText(m_tabs, 1)},
        {QStringLiteral("chargesandincomes"), Item(m_kindsBox, 0)},
        {QStringLiteral("onlycharges"), Item(m_kindsBox, 1)},
        {QStringLiteral("onlyincomes"), Item(m_kindsBox, 2)},
        {QStringLiteral("refresh data"), All({Text(m_incomeChargeRefresh), Text(m_groupRefresh)})},
        {QStringLiteral("day"), Text(m_daysButton)},
        {QStringLiteral("month"), Text(m_monthsButton)},
        {QStringLiteral("year"), Text(m_yearsButton)},
        {QStringLiteral("incomes - charges"),
         All({Text(m_differenceCheck), Text(m_colourLabels[2])})},
        {QStringLiteral("incomes"), All({Text(m_colourLabels[0]), Text(m_incomesButton)})},
        {QStringLiteral("charges"), All({Text(m_colourLabels[1]), Text(m_chargesButton)})},
        {QStringLiteral("groups"), Text(m_groupsButton)},
        {QStringLiteral("sub-groups"), Text(m_subGroupsButton)},
        {QStringLiteral("auto refresh"),
         All({Text(m_incomeChargeAutoRefresh), Text(m_groupAutoRefresh)})},
        {QStringLiteral("showaxis"), Text(m_showAxisCheck)},
    };
    const char* sliderKeys[] = {"zoom",        "rotation",   "elevation",
                                "horizoffset", "vertoffset", "perspective"};
    for (size_t i = 0; i < 6; ++i)
        keys.push_back(
            {QString::fromLatin1(sliderKeys[i]),
             All({Text(m_incomeChargeView3D.labels[i]), Text(m_groupView3D.labels[i])})});
    return keys;
}

} // namespace zovi
