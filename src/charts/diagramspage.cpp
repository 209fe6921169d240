#include "charts/diagramspage.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
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
#include <QTabWidget>
#include <QVBoxLayout>

namespace zovi {

namespace {

// The standard colours of the colour boxes, with their names.
struct NamedColour {
    const char* name;
    quint32 rgb;
};
constexpr NamedColour StandardColours[] = {
    {"Black", 0xff000000},  {"Maroon", 0xff800000},  {"Green", 0xff008000}, {"Olive", 0xff808000},
    {"Navy", 0xff000080},   {"Purple", 0xff800080},  {"Teal", 0xff008080},  {"Gray", 0xff808080},
    {"Silver", 0xffc0c0c0}, {"Red", 0xffff0000},     {"Lime", 0xff00ff00},  {"Yellow", 0xffffff00},
    {"Blue", 0xff0000ff},   {"Fuchsia", 0xffff00ff}, {"Aqua", 0xff00ffff},  {"White", 0xffffffff}};

QComboBox* ColourBox(QWidget* parent, const char* name, const char* colour) {
    auto* box = Named(new QComboBox(parent), name);
    for (const NamedColour& c : StandardColours) {
        QPixmap swatch(12, 12);
        swatch.fill(QColor::fromRgba(c.rgb));
        box->addItem(QIcon(swatch), QString::fromLatin1(c.name), c.rgb);
    }
    box->setCurrentText(QString::fromLatin1(colour));
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

DiagramsPage::DiagramsPage(LedgerTables& tables, QWidget* parent) : QWidget(parent), m_data(tables) {
    setObjectName(QStringLiteral("TabSheet3"));
    auto* layout = new QVBoxLayout(this);
    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    PageControl1->addTab(Scrolled(buildChart1Tab()), QStringLiteral("Chart: incomes/charges"));
    PageControl1->addTab(Scrolled(buildChart2Tab()), QStringLiteral("Chart: groups"));
    layout->addWidget(PageControl1);
    connect(PageControl1, &QTabWidget::currentChanged, this, &DiagramsPage::TabSheet3Show);
}

QWidget* DiagramsPage::build3D(View3DControls& controls, ChartView* chart, int firstSlider,
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
        // TrackBarNChange: the slider's option of the chart's view.
        connect(slider, &QSlider::valueChanged, chart, [chart, i](int value) {
            ChartView3D view = chart->view3D();
            int* options[] = {&view.zoom,        &view.rotation,   &view.elevation,
                              &view.horizOffset, &view.vertOffset, &view.perspective};
            *options[i] = value;
            chart->setView3D(view);
        });
    }
    column->addStretch();
    // CheckBox8Click, CheckBox9Click.
    connect(controls.on, &QCheckBox::toggled, chart, [chart, &controls](bool on) {
        ChartView3D view = chart->view3D();
        view.enabled = on;
        chart->setView3D(view);
        for (QSlider* s : controls.sliders)
            s->setEnabled(on);
    });
    return panel;
}

QWidget* DiagramsPage::buildChart1Tab() {
    auto* tab = Named(new QWidget, "TabSheet5");
    Chart1 = Named(new ChartView(ChartView::OtherKind::Line, tab), "Chart1");
    auto* top = new QHBoxLayout;
    top->addWidget(Chart1, 1);
    top->addWidget(build3D(m_view1, Chart1, 1, "CheckBox8"));

    RadioButton4 = Named(new QRadioButton(QStringLiteral("Days"), tab), "RadioButton4");
    RadioButton3 = Named(new QRadioButton(QStringLiteral("Months"), tab), "RadioButton3");
    RadioButton5 = Named(new QRadioButton(QStringLiteral("Years"), tab), "RadioButton5");
    RadioButton3->setChecked(true);
    CheckBox2 = Named(new QCheckBox(QStringLiteral("Incomes - charges"), tab), "CheckBox2");
    const char* colourTexts[] = {"Incomes", "Charges", "Incomes-charges"};
    const char* colours[] = {"Green", "Red", "Navy"};
    for (int i = 0; i < 3; ++i) {
        ColorLabels[size_t(i)] = new QLabel(QString::fromLatin1(colourTexts[i]), tab);
        ColorBoxes[size_t(i)] = ColourBox(
            tab, QStringLiteral("ColorBox%1").arg(i + 1).toLatin1().constData(), colours[i]);
    }
    ComboBox4 = Named(new QComboBox(tab), "ComboBox4");
    ComboBox4->addItems({QStringLiteral("Charges & Incomes"), QStringLiteral("Only charges"),
                         QStringLiteral("Only incomes")});
    CheckBox1 = Named(new QCheckBox(QStringLiteral("Auto refresh"), tab), "CheckBox1");
    CheckBox1->setChecked(true);
    Button13 = Named(new QPushButton(QStringLiteral("Refresh data"), tab), "Button13");
    Button13->setEnabled(false);
    CheckBox11 = Named(new QCheckBox(QStringLiteral("Show axis"), tab), "CheckBox11");
    CheckBox11->setChecked(true);

    auto* controls = new QGridLayout;
    controls->addWidget(RadioButton4, 0, 0);
    controls->addWidget(RadioButton3, 1, 0);
    controls->addWidget(RadioButton5, 2, 0);
    for (int i = 0; i < 3; ++i) {
        controls->addWidget(ColorLabels[size_t(i)], i, 1);
        controls->addWidget(ColorBoxes[size_t(i)], i, 2);
    }
    controls->addWidget(CheckBox2, 0, 3);
    controls->addWidget(ComboBox4, 1, 3);
    controls->addWidget(CheckBox11, 2, 3);
    controls->addWidget(CheckBox1, 0, 4);
    controls->addWidget(Button13, 1, 4);
    controls->setColumnStretch(5, 1);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(top, 1);
    layout->addLayout(controls);

    for (QRadioButton* b : {RadioButton4, RadioButton3, RadioButton5})
        connect(b, &QRadioButton::clicked, this, &DiagramsPage::RadioButton4Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &DiagramsPage::RadioButton4Click);
    for (QComboBox* box : ColorBoxes)
        connect(box, &QComboBox::activated, this, &DiagramsPage::RadioButton4Click);
    // ComboBox4Change.
    connect(ComboBox4, &QComboBox::activated, this, &DiagramsPage::RadioButton4Click);
    // CheckBox1Click.
    connect(CheckBox1, &QCheckBox::toggled, Button13,
            [this](bool on) { Button13->setEnabled(!on); });
    connect(Button13, &QPushButton::clicked, this, &DiagramsPage::Button13Click);
    // CheckBox11Click.
    connect(CheckBox11, &QCheckBox::toggled, Chart1, &ChartView::setAxesVisible);
    connect(Chart1, &ChartView::clicked, this, &DiagramsPage::Chart1Click);
    return tab;
}

QWidget* DiagramsPage::buildChart2Tab() {
    auto* tab = Named(new QWidget, "TabSheet6");
    Chart2 = Named(new ChartView(ChartView::OtherKind::Pie, tab), "Chart2");
    // The chart's own start view, until a slider sets an option.
    Chart2->setView3D({false, 100, 360, 315, 0, 0, 0});
    auto* top = new QHBoxLayout;
    top->addWidget(Chart2, 1);
    top->addWidget(build3D(m_view2, Chart2, 7, "CheckBox9"));

    RadioButton7 = Named(new QRadioButton(QStringLiteral("Groups"), tab), "RadioButton7");
    RadioButton6 = Named(new QRadioButton(QStringLiteral("Sub-groups"), tab), "RadioButton6");
    RadioButton8 = Named(new QRadioButton(QStringLiteral("Charges"), tab), "RadioButton8");
    RadioButton9 = Named(new QRadioButton(QStringLiteral("Incomes"), tab), "RadioButton9");
    RadioButton7->setChecked(true);
    RadioButton8->setChecked(true);
    auto* by = new QButtonGroup(tab);
    by->addButton(RadioButton7);
    by->addButton(RadioButton6);
    auto* which = new QButtonGroup(tab);
    which->addButton(RadioButton8);
    which->addButton(RadioButton9);
    CheckBox6 = Named(new QCheckBox(QStringLiteral("Auto refresh"), tab), "CheckBox6");
    CheckBox6->setChecked(true);
    Button14 = Named(new QPushButton(QStringLiteral("Refresh data"), tab), "Button14");
    Button14->setEnabled(false);

    auto* controls = new QGridLayout;
    controls->addWidget(RadioButton7, 0, 0);
    controls->addWidget(RadioButton6, 1, 0);
    controls->addWidget(RadioButton8, 0, 1);
    controls->addWidget(RadioButton9, 1, 1);
    controls->addWidget(CheckBox6, 0, 2);
    controls->addWidget(Button14, 1, 2);
    controls->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(top, 1);
    layout->addLayout(controls);

    for (QRadioButton* b : {RadioButton6, RadioButton7, RadioButton8, RadioButton9})
        connect(b, &QRadioButton::clicked, this, &DiagramsPage::RadioButton7Click);
    // CheckBox6Click.
    connect(CheckBox6, &QCheckBox::toggled, Button14,
            [this](bool on) { Button14->setEnabled(!on); });
    connect(Button14, &QPushButton::clicked, this, &DiagramsPage::Button14Click);
    connect(Chart2, &ChartView::clicked, this, &DiagramsPage::Chart2Click);
    return tab;
}

ChartView* DiagramsPage::activeChart() const {
    return PageControl1->currentIndex() == 1 ? Chart2 : Chart1;
}

void DiagramsPage::Button13Click() {
    ComboBox4->setEnabled(!CheckBox2->isChecked());
    Guarded(this, [this] {
        const PeriodLength length = RadioButton4->isChecked()   ? PeriodLength::Days
                                    : RadioButton5->isChecked() ? PeriodLength::Years
                                                                : PeriodLength::Months;
        const IncomeChargeOptions options{
            CheckBox2->isChecked(), ChartKinds(ComboBox4->currentIndex()), ColourOf(ColorBoxes[0]),
            ColourOf(ColorBoxes[1]), ColourOf(ColorBoxes[2])};
        Chart1->setPoints(IncomeChargePoints(Chart1Sums(m_data, length), options));
    });
}

void DiagramsPage::Button14Click() {
    Guarded(this, [this] {
        const GroupOptions options{RadioButton6->isChecked(), RadioButton9->isChecked()};
        Chart2->setPoints(GroupPoints(Chart2Sums(m_data, options)));
    });
}

void DiagramsPage::RadioButton4Click() {
    if (CheckBox1->isChecked())
        Button13Click();
}

void DiagramsPage::RadioButton7Click() {
    if (CheckBox6->isChecked())
        Button14Click();
}

void DiagramsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    TabSheet3Show();
}

void DiagramsPage::TabSheet3Show() {
    if (CheckBox1->isChecked())
        Button13Click();
    if (CheckBox6->isChecked())
        Button14Click();
}

// The bars give way to the line with numbered points, and back to the bars with their labels.
void DiagramsPage::Chart1Click() {
    const bool bars = !Chart1->barsActive();
    Chart1->setBarsActive(bars);
    Chart1->setBottomLabels(bars);
}

void DiagramsPage::Chart2Click() {
    const bool bars = !Chart2->barsActive();
    Chart2->setBarsActive(bars);
    Chart2->setBottomLabels(bars);
}

void DiagramsPage::m3i11Click() {
    QString name =
        FileChooser::saveFile(this, QString(), QString(), QStringLiteral("Bitmaps (*.bmp)"));
    if (name.isEmpty())
        return;
    if (name.size() > 3 && name.at(name.size() - 4) != u'.')
        name += QStringLiteral(".bmp");
    if (!activeChart()->saveBitmap(name))
        Messages::error(this, LangText(QStringLiteral("chartnotsaved"),
                                       QStringLiteral("The chart cannot be saved as %1."))
                                  .arg(name));
}

void DiagramsPage::m3i12Click() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    if (dialog.exec() == QDialog::Accepted)
        PrintChart(*activeChart(), printer);
}

TranslationKeys DiagramsPage::translationKeys() {
    using namespace translation;
    TranslationKeys keys = {
        {QStringLiteral("chart: incomes/charges"), TabText(PageControl1, 0)},
        {QStringLiteral("chart: groups"), TabText(PageControl1, 1)},
        {QStringLiteral("chargesandincomes"), Item(ComboBox4, 0)},
        {QStringLiteral("onlycharges"), Item(ComboBox4, 1)},
        {QStringLiteral("onlyincomes"), Item(ComboBox4, 2)},
        {QStringLiteral("refresh data"), All({Text(Button13), Text(Button14)})},
        {QStringLiteral("day"), Text(RadioButton4)},
        {QStringLiteral("month"), Text(RadioButton3)},
        {QStringLiteral("year"), Text(RadioButton5)},
        {QStringLiteral("incomes - charges"), All({Text(CheckBox2), Text(ColorLabels[2])})},
        {QStringLiteral("incomes"), All({Text(ColorLabels[0]), Text(RadioButton9)})},
        {QStringLiteral("charges"), All({Text(ColorLabels[1]), Text(RadioButton8)})},
        {QStringLiteral("groups"), Text(RadioButton7)},
        {QStringLiteral("sub-groups"), Text(RadioButton6)},
        {QStringLiteral("auto refresh"), All({Text(CheckBox1), Text(CheckBox6)})},
        {QStringLiteral("showaxis"), Text(CheckBox11)},
    };
    const char* sliderKeys[] = {"zoom",        "rotation",   "elevation",
                                "horizoffset", "vertoffset", "perspective"};
    for (size_t i = 0; i < 6; ++i)
        keys.push_back({QString::fromLatin1(sliderKeys[i]),
                        All({Text(m_view1.labels[i]), Text(m_view2.labels[i])})});
    return keys;
}

} // namespace zovi
