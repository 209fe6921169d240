#pragma once

#include "charts/chartdata.h"

#include <QColor>
#include <QWidget>

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
// a saved picture and a printed page show the same drawing. Labels and value marks that would
// overlap their neighbours are left out, so that many points stay readable.
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
    // The chart as a picture of the widget's size, and as a bitmap file (false when it cannot
    // be written; failure then receives the error box's text when the file was the cause).
    QImage picture() const;
    bool saveBitmap(const QString& path, QString* failure = nullptr) const;

    // The colour of a point: its own, or the palette's colour for its place.
    static QColor PointColour(const ChartPoint& point, qsizetype index);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void drawAxesAndSeries(QPainter& painter, const QRectF& area) const;
    void drawPie(QPainter& painter, const QRectF& area) const;

    OtherKind m_otherKind;
    ChartSeriesPoints m_points;
    bool m_barsActive = true;
    bool m_bottomLabels = true;
    bool m_axesVisible = true;
    ChartView3D m_view;
};

} // namespace zovi
