// The chart component painted into pictures: real pixels of bars, pie and 3D view, and a saved
// bitmap read back.
#include "charts/chartview.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace zovi;

namespace {

constexpr quint32 Green = 0xff008000;

bool IsGreen(QRgb c) {
    return qGreen(c) > 90 && qGreen(c) > qRed(c) + 60 && qGreen(c) > qBlue(c) + 60;
}

bool IsRed(QRgb c) {
    return qRed(c) > 150 && qRed(c) > qGreen(c) + 80 && qRed(c) > qBlue(c) + 80;
}

// How many pixels of a picture's row in [from, to) pass a test.
int CountInRow(const QImage& image, int y, int from, int to, bool (*test)(QRgb)) {
    int count = 0;
    for (int x = from; x < to; ++x)
        count += test(image.pixel(x, y)) ? 1 : 0;
    return count;
}

} // namespace

class TestChartView : public QObject {
    Q_OBJECT

    std::unique_ptr<ChartView> m_chart;

    void make(ChartView::OtherKind kind, const QList<double>& values, quint32 colour) {
        m_chart = std::make_unique<ChartView>(kind);
        m_chart->resize(400, 300);
        ChartSeriesPoints points;
        for (double v : values)
            points.bars.append({v, QStringLiteral("03.2024"), colour});
        points.other = points.bars;
        m_chart->setPoints(points);
    }

private Q_SLOTS:
    void bars_data() {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<bool>("leftGreen");
        QTest::addColumn<bool>("rightGreen");
        QTest::newRow("income, then a zero charge") << QList<double>{100, 0} << true << false;
        QTest::newRow("zero, then income") << QList<double>{0, 100} << false << true;
        QTest::newRow("two incomes") << QList<double>{100, 90} << true << true;
    }

    // The middle row of the picture crosses a bar of the point's colour in the slot of every
    // point that reaches above the middle, taking most of its slot, and nothing elsewhere.
    void bars() {
        QFETCH(QList<double>, values);
        make(ChartView::OtherKind::Line, values, Green);
        const QImage image = m_chart->picture();
        const int y = image.height() / 2;
        const int half = image.width() / 2;
        const int left = CountInRow(image, y, 0, half, IsGreen);
        const int right = CountInRow(image, y, half, image.width(), IsGreen);
        // The plot is somewhat narrower than the picture: a slot is under half its width.
        QTEST(left > half * 0.8 * 0.8, "leftGreen");
        QTEST(right > half * 0.8 * 0.8, "rightGreen");
        QVERIFY(left < half * 0.8 && right < half * 0.8);
    }

    // The line series draws no bars: its points are small diamonds.
    void lineHasNoBars() {
        make(ChartView::OtherKind::Line, {100, 100}, Green);
        m_chart->setBarsActive(false);
        const QImage image = m_chart->picture();
        QCOMPARE(CountInRow(image, image.height() * 3 / 4, 0, image.width(), IsGreen), 0);
    }

    // Pie slices in the palette's colours, the first clockwise from the top, each as large as
    // its share of the sizes of the values: a quarter in the upper right, the rest in green.
    void pie() {
        make(ChartView::OtherKind::Pie, {-100, -300}, AutomaticColour);
        m_chart->setBarsActive(false);
        const QImage image = m_chart->picture();
        const QPoint centre(image.width() / 2, image.height() / 2);
        QVERIFY(IsRed(image.pixel(centre + QPoint(20, -20))));
        QVERIFY(IsGreen(image.pixel(centre + QPoint(-30, 0))));
        QVERIFY(IsGreen(image.pixel(centre + QPoint(20, 20))));
    }

    void view3D_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("value");
        QTest::newRow("zoom") << 0 << 150;
        QTest::newRow("rotation") << 1 << 300;
        QTest::newRow("elevation") << 2 << 320;
        QTest::newRow("horizontal offset") << 3 << 200;
        QTest::newRow("vertical offset") << 4 << -200;
        QTest::newRow("perspective") << 5 << 100;
    }

    // Turning the 3D view on changes the picture, and so does every one of its sliders.
    void view3D() {
        QFETCH(int, option);
        QFETCH(int, value);
        make(ChartView::OtherKind::Line, {100, 40, 70}, Green);
        const QImage flat = m_chart->picture();
        ChartView3D view;
        view.enabled = true;
        m_chart->setView3D(view);
        const QImage turned = m_chart->picture();
        QVERIFY(turned != flat);
        int* fields[] = {&view.zoom,        &view.rotation,   &view.elevation,
                         &view.horizOffset, &view.vertOffset, &view.perspective};
        *fields[option] = value;
        m_chart->setView3D(view);
        QVERIFY(m_chart->picture() != turned);
    }

    // The saved bitmap has the chart's size and its white background.
    void saveBitmap() {
        make(ChartView::OtherKind::Line, {100, 0}, Green);
        m_chart->resize(333, 222);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("chart.bmp"));
        QVERIFY(m_chart->saveBitmap(path));
        QImage read;
        QVERIFY(read.load(path, "BMP"));
        QCOMPARE(read.size(), QSize(333, 222));
        QCOMPARE(read.pixel(1, 1), qRgb(255, 255, 255));
        QVERIFY(CountInRow(read, read.height() / 2, 0, read.width(), IsGreen) > 50);
    }
};

QTEST_MAIN(TestChartView)
#include "tst_chartview.moc"
