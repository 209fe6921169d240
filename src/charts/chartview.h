#pragma once

#include "charts/chartlayout.h"

#include <QColor>
#include <QWidget>

class QFontMetricsF;
class QPainter;

namespace zovi {

// The view of a chart in 3D: its zoom in per cent, its rotation and elevation in degrees (360
// looks straight at the chart), its offsets in thousandths of the picture's width and height,
// and its perspective from 0 (none) to 100.
struct ChartView3D {
    bool enabled = false;
    int zoom = 93;
    int rotation = 350;
    int elevation = 360;
    int horizOffset = -19;
    int vertOffset = 0;
    int perspective = 52;
};

// The chart component of the diagrams page: a bar series and one other series (a line or a
// pie), of which one is active, drawn with QPainter into any paint device, so that the screen,
// a saved picture and a printed page show the same drawing. The placement of everything comes
// from LayoutChart; value marks are drawn over the bars, and a point's name and value show in a
// tool tip while the mouse rests on its bar, mark or slice.
class ChartView : public QWidget {
    Q_OBJECT

public:
    enum class OtherKind { Line, Pie };

    explicit ChartView(OtherKind otherKind, QWidget* parent = nullptr);

    void setPoints(ChartSeriesPoints points);
    const ChartSeriesPoints& points() const { return m_points; }

    // Which series is drawn: the bars, or the line or pie.
    bool barsActive() const { return m_barsActive; }
    void setBarsActive(bool bars);
    // The bottom axis shows the point labels, or the points' numbers.
    bool bottomLabels() const { return m_bottomLabels; }
    void setBottomLabels(bool labels);
    bool axesVisible() const { return m_axesVisible; }
    void setAxesVisible(bool visible);
    const ChartView3D& view3D() const { return m_view; }
    void setView3D(const ChartView3D& view);

    // Draws the whole chart, white background included, into area of a painter's device.
    void render(QPainter& painter, const QRect& area) const;
    // The placement of the chart drawn into area with a font of these metrics, and at the
    // widget's own size and font.
    ChartLayout layout(const QRect& area, const QFontMetricsF& metrics) const;
    ChartLayout layout() const;
    // The point of the active series under a place of the widget, 3D view included, or -1.
    qsizetype pointAt(const QPoint& pos) const;

    // The chart as a picture of the widget's size, and as a file: an SVG drawing for the suffix
    // "svg", a PNG picture for "png", a bitmap else (false when it cannot be written; failure
    // then receives the error box's text when the file was the cause).
    QImage picture() const;
    bool savePicture(const QString& path, QString* failure = nullptr) const;

    // The colour of a point: its own, or the palette's colour for its place.
    static QColor PointColour(const ChartPoint& point, qsizetype index);

Q_SIGNALS:
    void clicked();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const QList<ChartPoint>& activePoints() const;
    void drawAxesAndSeries(QPainter& painter, const ChartLayout& layout) const;
    void drawPie(QPainter& painter, const ChartLayout& layout) const;

    OtherKind m_otherKind;
    ChartSeriesPoints m_points;
    bool m_barsActive = true;
    bool m_bottomLabels = true;
    bool m_axesVisible = true;
    ChartView3D m_view;
};

} // namespace zovi
