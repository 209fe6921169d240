#pragma once

#include "charts/chartdata.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <functional>
#include <utility>

namespace zovi {

// The text of a value mark: rounded to cents.
QString ChartValueText(double value);

// A text placed on a chart: the rectangle it takes and whether it is turned a quarter to read
// upwards (its rectangle is then the turned text's box, as wide as a line is high). point is
// the first point the text belongs to.
struct ChartText {
    QRectF rect;
    QString text;
    bool upright = false;
    qsizetype point = -1;
};

// Round steps of the value axis: 1, 2 or 5 times a power of ten, about five of them.
struct ValueScale {
    double low = 0;
    double high = 1;
    double step = 1;
};
ValueScale ScaleFor(const QList<ChartPoint>& points);

// Texts placed one after another: each rectangle moves by its step, at most rows - 1 times,
// until it overlaps none placed before it. The result tells which found room; those that did
// not stay where they were and count as not placed.
QList<bool> Stagger(QList<QRectF>& rects, const QList<QPointF>& steps, int rows);

// The tops of boxes of one height in a column, each as near its wanted top as the others let
// it be: none overlaps another, and they keep within [low, high] while there is room for all.
QList<double> SpreadColumn(const QList<double>& wanted, double height, double low, double high);

enum class ChartShape { Bars, Line, Pie };

struct ChartLayoutOptions {
    ChartShape shape = ChartShape::Bars;
    bool axes = true;  // the left axis with its marks and the bottom axis with its names
    bool names = true; // the bottom axis names the points (equal neighbours once), or numbers them
    bool deep = false; // the 3D view: bars and line get depth, the pie thickness
    double lineHeight = 16;
    std::function<double(const QString&)> textWidth;
};

// Where everything of a chart goes inside its area, before any 3D turn: the plot, the bars or
// the line's marks or the pie's slices, and every text. Nothing is painted here, so that the
// painting, the tool tips and the tests share one placement.
struct ChartLayout {
    ChartShape shape = ChartShape::Bars;
    QRectF plot;
    QPointF back; // the offset of the 3D depth
    ValueScale scale;
    QList<std::pair<double, ChartText>> ticks; // the grid lines' heights and their texts
    QList<ChartText> names;                    // under the bottom axis
    QList<ChartText> values;                   // the value marks, one per point
    QList<QRectF> bars;
    QList<QPointF> marks; // the line's points
    double markRadius = 0;
    QRectF circle;
    double thickness = 0;
    QList<std::pair<int, int>> spans; // start and span in sixteenths of a degree
    QList<QList<QPointF>> leaders;    // from each slice to its text
};

ChartLayout LayoutChart(const QList<ChartPoint>& points, const QRectF& area,
                        const ChartLayoutOptions& options);

// The point whose bar, mark or slice lies under pos (in the layout's coordinates), or -1.
qsizetype PointAt(const ChartLayout& layout, const QPointF& pos);

// The tool tip of a point: its name and its amount.
QString PointTip(const ChartPoint& point);

} // namespace zovi
