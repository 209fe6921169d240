// The diagrams page in the main window, driven headless: the refreshes, the options, the series
// switch, the 3D controls and the "Chart" menu.
#include "charts/diagramspage.h"
#include "core/clock.h"
#include "dialogs.h"
#include "mainwindowsession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace zovi;
using test::AddEntry;
using test::Child;
using test::FillClassifiers;

namespace {

QStringList Texts(const QList<ChartPoint>& points) {
    QStringList texts;
    for (const ChartPoint& p : points)
        texts << QStringLiteral("%1 %2 %3")
                     .arg(p.label)
                     .arg(p.value)
                     .arg(ChartView::PointColour(p, 0).name());
    return texts;
}

QStringList L(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts)
        list << QString::fromUtf8(t);
    return list;
}

} // namespace

class TestDiagrams : public test::MainWindowSession {
    Q_OBJECT

    template <class T> T* child(const char* name) { return Child<T>(m_window.get(), name); }
    ChartView* chart(const char* name) { return child<ChartView>(name); }

    // Salary 100, milk 1 (Food) and fuel 9 (car), all on 1 March 2026, in dollars; the
    // diagrams page shown.
    void startOnDiagrams() {
        prepare([](LedgerTables& data) {
            FillClassifiers(data);
            AddEntry(data, QStringLiteral("salary"), QStringLiteral("D"), 100,
                     QStringLiteral("Salary"));
            AddEntry(data, QStringLiteral("milk"), QStringLiteral("R"), -1, QStringLiteral("Food"));
            AddEntry(data, QStringLiteral("fuel"), QStringLiteral("R"), -9, QStringLiteral("car"));
        });
        start();
        child<QTabWidget>("Page")->setCurrentIndex(2);
    }

private Q_SLOTS:
    void initTestCase() {
        AppLocale::set(QLatin1Char(','), QStringLiteral("dd.MM.yyyy"));
        Clock::setToday(QDate(2026, 3, 10));
    }
    void init() { sessionInit(); }
    void cleanup() { sessionCleanup(); }

    // Showing the page fills both charts, the groups chart summing by group with "Groups" and
    // "Charges" ticked; an option refreshes its chart while "Auto refresh" is on, and only
    // "Refresh data" does while it is off.
    void refreshes() {
        startOnDiagrams();
        QVERIFY(child<QRadioButton>("RadioButton7")->isChecked());
        QVERIFY(child<QRadioButton>("RadioButton8")->isChecked());
        QCOMPARE(Texts(chart("Chart1")->points().bars),
                 L({"03.2026 100 #008000", "03.2026 10 #ff0000"}));
        QCOMPARE(Texts(chart("Chart2")->points().bars), L({"Food 1 #ff0000", "car 9 #ff0000"}));
        QCOMPARE(Texts(chart("Chart2")->points().other), L({"Food -1 #ff0000", "car -9 #ff0000"}));

        child<QRadioButton>("RadioButton5")->click();
        QCOMPARE(Texts(chart("Chart1")->points().bars), L({"2026 100 #008000", "2026 10 #ff0000"}));
        auto* colours = child<QComboBox>("ColorBox1");
        colours->setCurrentText(QStringLiteral("Blue"));
        Q_EMIT colours->activated(colours->currentIndex());
        QCOMPARE(Texts(chart("Chart1")->points().bars), L({"2026 100 #0000ff", "2026 10 #ff0000"}));

        auto* button = child<QPushButton>("Button13");
        QVERIFY(!button->isEnabled());
        child<QCheckBox>("CheckBox1")->click();
        QVERIFY(button->isEnabled());
        child<QCheckBox>("CheckBox2")->click();
        QCOMPARE(chart("Chart1")->points().bars.size(), 2);
        QVERIFY(child<QComboBox>("ComboBox4")->isEnabled());
        button->click();
        QCOMPARE(Texts(chart("Chart1")->points().bars), L({"2026 90 #000080"}));
        QVERIFY(!child<QComboBox>("ComboBox4")->isEnabled());

        child<QRadioButton>("RadioButton9")->click();
        QCOMPARE(Texts(chart("Chart2")->points().bars), L({"Salary 100 #ff0000"}));
        child<QCheckBox>("CheckBox6")->click();
        QVERIFY(child<QPushButton>("Button14")->isEnabled());
        child<QRadioButton>("RadioButton8")->click();
        QCOMPARE(Texts(chart("Chart2")->points().bars), L({"Salary 100 #ff0000"}));
        child<QPushButton>("Button14")->click();
        QCOMPARE(chart("Chart2")->points().bars.size(), 2);

        // An entry added elsewhere shows when the tabs are switched.
        child<QCheckBox>("CheckBox1")->click();
        child<QCheckBox>("CheckBox6")->click();
        test::Put(m_data->tbData2, {{"Date", QDate(2026, 3, 5)},
                                    {"Type", QStringLiteral("R")},
                                    {"Value", -3.0},
                                    {"Valuta", QStringLiteral("Dollar")},
                                    {"Gr2", QStringLiteral("Food")},
                                    {"Gr1", QStringLiteral("Wallet")}});
        m_data->tbData.refresh();
        child<QTabWidget>("PageControl1")->setCurrentIndex(1);
        QCOMPARE(Texts(chart("Chart1")->points().bars), L({"2026 87 #000080"}));
        QCOMPARE(Texts(chart("Chart2")->points().bars), L({"Food 4 #ff0000", "car 9 #ff0000"}));
    }

    // A click switches a chart between its bars with labels and its line or pie with numbers.
    void seriesSwitch() {
        startOnDiagrams();
        for (const char* name : {"Chart1", "Chart2"}) {
            child<QTabWidget>("PageControl1")
                ->setCurrentIndex(name == QByteArray("Chart1") ? 0 : 1);
            ChartView* c = chart(name);
            QVERIFY(c->barsActive() && c->bottomLabels());
            QTest::mouseClick(c, Qt::LeftButton);
            QVERIFY(!c->barsActive() && !c->bottomLabels());
            QTest::mouseClick(c, Qt::LeftButton);
            QVERIFY(c->barsActive() && c->bottomLabels());
        }
    }

    void sliders_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("start");
        const int ranges[6][3] = {{0, 500, 93},     {270, 360, 350}, {270, 360, 360},
                                  {-500, 500, -19}, {-500, 500, 0},  {0, 100, 52}};
        for (int n = 1; n <= 12; ++n) {
            const int* r = ranges[(n - 1) % 6];
            QTest::addRow("TrackBar%d", n) << n << r[0] << r[1] << r[2];
        }
    }

    // Every slider has its range and start, is enabled only with its chart's "3D", and sets
    // its option of that chart's view alone.
    void sliders() {
        QFETCH(int, number);
        startOnDiagrams();
        const bool first = number <= 6;
        child<QTabWidget>("PageControl1")->setCurrentIndex(first ? 0 : 1);
        auto* slider = child<QSlider>(QStringLiteral("TrackBar%1").arg(number).toLatin1());
        QTEST(slider->minimum(), "low");
        QTEST(slider->maximum(), "high");
        QTEST(slider->value(), "start");
        QVERIFY(!slider->isEnabled());
        ChartView* own = chart(first ? "Chart1" : "Chart2");
        ChartView* other = chart(first ? "Chart2" : "Chart1");
        const ChartView3D otherView = other->view3D();
        child<QCheckBox>(first ? "CheckBox8" : "CheckBox9")->click();
        QVERIFY(slider->isEnabled());
        QVERIFY(own->view3D().enabled);
        slider->setValue(slider->minimum() + 1);
        const ChartView3D v = own->view3D();
        const int options[] = {v.zoom,        v.rotation,   v.elevation,
                               v.horizOffset, v.vertOffset, v.perspective};
        QCOMPARE(options[(number - 1) % 6], slider->minimum() + 1);
        QCOMPARE(other->view3D().enabled, otherView.enabled);
        QCOMPARE(other->view3D().zoom, otherView.zoom);
        child<QCheckBox>(first ? "CheckBox8" : "CheckBox9")->click();
        QVERIFY(!slider->isEnabled());
        QVERIFY(!own->view3D().enabled);
    }

    // "Save as..." writes the active tab's chart as a bitmap, adding the extension the name
    // lacks, or as a PNG or SVG file; "Print" goes through the print dialog.
    void chartMenu() {
        startOnDiagrams();
        QTemporaryDir dir;
        for (int tab : {0, 1}) {
            child<QTabWidget>("PageControl1")->setCurrentIndex(tab);
            const QString base = dir.filePath(QStringLiteral("chart%1").arg(tab));
            FileChooser::queueChoice(base);
            action("ChartSaveAs")->trigger();
            QImage read;
            QVERIFY(read.load(base + QStringLiteral(".bmp"), "BMP"));
            ChartView* shown = chart(tab == 0 ? "Chart1" : "Chart2");
            QCOMPARE(read.size(), shown->size());
            QCOMPARE(read.convertToFormat(QImage::Format_RGB32), shown->picture());
        }
        // The name's suffix picks a PNG picture or an SVG drawing.
        FileChooser::queueChoice(dir.filePath(QStringLiteral("chart.png")));
        action("ChartSaveAs")->trigger();
        QImage png;
        QVERIFY(png.load(dir.filePath(QStringLiteral("chart.png")), "PNG"));
        FileChooser::queueChoice(dir.filePath(QStringLiteral("chart.svg")));
        action("ChartSaveAs")->trigger();
        QVERIFY(test::ReadBytes(dir.filePath(QStringLiteral("chart.svg"))).contains("<svg"));
        bool asked = false;
        auto* poll = new QTimer(this);
        connect(poll, &QTimer::timeout, this, [&asked, poll] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* d = qobject_cast<QPrintDialog*>(w); d && d->isVisible()) {
                    asked = true;
                    poll->stop();
                    d->reject();
                }
            }
        });
        poll->start(10);
        action("ChartPrint")->trigger();
        delete poll;
        QVERIFY(asked);

        // The printed page holds the chart.
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("chart.pdf")));
        PrintChart(*chart("Chart2"), printer);
        QVERIFY(test::ReadBytes(dir.filePath(QStringLiteral("chart.pdf"))).startsWith("%PDF"));
    }
};

QTEST_MAIN(TestDiagrams)
#include "tst_diagrams.moc"
