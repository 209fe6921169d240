// The chart component painted into pictures: real pixels of bars, pie and 3D view, and a saved
// bitmap read back.
#include "charts/chartview.h"

#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

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

// Incomes and charges of 24 months, two bars a month; 25 sub-groups with long names; a pie of
// one large and many small slices.
ChartSeriesPoints Months() {
    ChartSeriesPoints points;
    for (int m = 0; m < 24; ++m) {
        const QString label =
            QStringLiteral("%1.%2").arg(m % 12 + 1, 2, 10, QLatin1Char('0')).arg(2024 + m / 12);
        points.bars.append({433.61 + m * 37.13, label, Green});
        points.bars.append({380.25 + (m % 5) * 91.7, label, 0xffff0000});
    }
    points.other = points.bars;
    return points;
}

ChartSeriesPoints SubGroups() {
    ChartSeriesPoints points;
    for (int g = 0; g < 25; ++g) {
        const double value = 1000 + g * 123.45;
        points.bars.append({value, QStringLiteral("Sub-group %1").arg(g), AutomaticColour});
        points.other.append(
            {g == 0 ? -40000.0 : -(20.0 + g), points.bars.last().label, AutomaticColour});
    }
    return points;
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
        QVERIFY(m_chart->savePicture(path));
        QImage read;
        QVERIFY(read.load(path, "BMP"));
        QCOMPARE(read.size(), QSize(333, 222));
        QCOMPARE(read.pixel(1, 1), qRgb(255, 255, 255));
        QVERIFY(CountInRow(read, read.height() / 2, 0, read.width(), IsGreen) > 50);
    }

    void readable_data() {
        QTest::addColumn<ChartSeriesPoints>("points");
        QTest::addColumn<bool>("bars");
        QTest::addColumn<int>("names");
        QTest::newRow("24 months of bars") << Months() << true << 24;
        ChartSeriesPoints between;
        for (int i = 0; i < 30; ++i)
            between.bars.append({i % 2 ? 1000.0 : 10.61, QString::number(i), Green});
        QTest::newRow("low bars between tall ones") << between << true << 30;
        QTest::newRow("24 months of line") << Months() << false << 24;
        QTest::newRow("25 sub-groups") << SubGroups() << true << 25;
        QTest::newRow("pie of small slices") << SubGroups() << false << 0;
    }

    // Every value mark shows its whole text and every name is shown, none overlapping another;
    // no bar covers a value mark.
    void readable() {
        QFETCH(ChartSeriesPoints, points);
        QFETCH(bool, bars);
        QFETCH(int, names);
        m_chart = std::make_unique<ChartView>(names > 0 ? ChartView::OtherKind::Line
                                                        : ChartView::OtherKind::Pie);
        m_chart->resize(800, 400);
        m_chart->setPoints(points);
        m_chart->setBarsActive(bars);
        const QImage image = m_chart->picture();
        const ChartLayout layout = m_chart->layout(image.rect(), QFontMetricsF(QFont(), &image));
        const QList<ChartPoint>& shown = bars ? points.bars : points.other;
        QCOMPARE(layout.values.size(), shown.size());
        QCOMPARE(layout.names.size(), names);
        for (const QList<ChartText>& texts : {layout.values, layout.names}) {
            for (qsizetype i = 0; i < texts.size(); ++i) {
                QVERIFY2(!texts[i].text.isEmpty(), qPrintable(shown[texts[i].point].label));
                QVERIFY(image.rect().contains(texts[i].rect.toRect()));
                for (qsizetype j = 0; j < i; ++j)
                    QVERIFY2(!texts[i].rect.intersects(texts[j].rect), qPrintable(texts[i].text));
            }
        }
        for (qsizetype i = 0; i < layout.values.size(); ++i) {
            QVERIFY(layout.values[i].text.endsWith(ChartValueText(shown[i].value)));
            if (!bars)
                continue;
            const QRect inside = layout.values[i].rect.toRect().adjusted(1, 1, -1, -1);
            for (int y = inside.top(); y <= inside.bottom(); ++y)
                QCOMPARE(CountInRow(image, y, inside.left(), inside.right() + 1, IsGreen), 0);
        }
    }

    void pointAt_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("view3D");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("point");
        QTest::newRow("first bar") << 0 << false << QPoint(130, 250) << 0;
        QTest::newRow("second bar") << 0 << false << QPoint(300, 250) << 1;
        QTest::newRow("above the lower bar") << 0 << false << QPoint(300, 60) << -1;
        QTest::newRow("left of the bars") << 0 << false << QPoint(3, 250) << -1;
        QTest::newRow("moved bar") << 0 << true << QPoint(210, 250) << 1;
        QTest::newRow("quarter slice") << 1 << false << QPoint(220, 130) << 0;
        QTest::newRow("large slice") << 1 << false << QPoint(170, 150) << 1;
        QTest::newRow("beside the pie") << 1 << false << QPoint(5, 5) << -1;
    }

    // The point under the mouse, and its name and amount in the tool tip.
    void pointAt() {
        QFETCH(int, kind);
        QFETCH(bool, view3D);
        QFETCH(QPoint, pos);
        QFETCH(int, point);
        make(ChartView::OtherKind::Pie, {-100, -300}, Green);
        m_chart->setBarsActive(kind == 0);
        if (kind == 0)
            m_chart->setPoints(
                {{{100, QStringLiteral("Food"), Green}, {50, QStringLiteral("Car"), Green}}, {}});
        ChartView3D view;
        view.enabled = view3D;
        view.rotation = 360;
        view.horizOffset = view3D ? -200 : 0;
        view.zoom = 100;
        view.perspective = 0;
        m_chart->setView3D(view);
        QCOMPARE(m_chart->pointAt(pos), qsizetype(point));
        if (point < 0)
            return;
        m_chart->show();
        QHelpEvent help(QEvent::ToolTip, pos, m_chart->mapToGlobal(pos));
        QApplication::sendEvent(m_chart.get(), &help);
        const QString tip =
            kind == 0 ? QStringList{QStringLiteral("Food: 100"), QStringLiteral("Car: 50")}[point]
                      : QStringList{QStringLiteral("03.2024: -100"),
                                    QStringLiteral("03.2024: -300")}[point];
        QTRY_COMPARE(QToolTip::text(), tip);
    }

    void savePicture_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("png") << QStringLiteral("chart.png");
        QTest::newRow("svg") << QStringLiteral("chart.SVG");
    }

    // A PNG picture reads back at the chart's size; an SVG drawing holds the chart's texts.
    void savePicture() {
        QFETCH(QString, name);
        make(ChartView::OtherKind::Line, {433.61, 0}, Green);
        m_chart->resize(333, 222);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(m_chart->savePicture(path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        if (name.endsWith(QStringLiteral(".png"))) {
            QImage read;
            QVERIFY(read.loadFromData(bytes, "PNG"));
            QCOMPARE(read.convertToFormat(QImage::Format_RGB32), m_chart->picture());
        } else {
            QVERIFY(bytes.contains("<svg"));
            QVERIFY(bytes.contains("433.61"));
        }
    }
};

QTEST_MAIN(TestChartView)
#include "tst_chartview.moc"
