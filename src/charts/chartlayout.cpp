#include "charts/chartlayout.h"

#include "core/textutil.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zovi {

namespace {

constexpr double Pi = std::numbers::pi;

double Radians(double degrees) {
    return degrees * Pi / 180;
}

// The box of a text of the given size centred on x, lying above y (its bottom at y) or below.
QRectF TextBox(double x, double y, QSizeF size, bool above) {
    return QRectF(x - size.width() / 2, above ? y - size.height() : y, size.width(), size.height());
}

// Texts along a line, each wanted either flat or turned upright, moving away from the line
// (direction -1 up, 1 down) when they meet: the first way in which every text finds room, flat
// on up to flatRows rows, then upright on one row, then on two; when none does, upright on
// two rows with the texts that find no room left out.
struct Placement {
    QList<QRectF> rects;
    QList<bool> placed;
    bool upright = false;
};

Placement PlaceTexts(const QList<QRectF>& flat, const QList<QRectF>& upright,
                     const QList<double>& directions, int flatRows) {
    auto attempt = [&](const QList<QRectF>& wanted, bool turned, int rows) {
        Placement p{wanted, {}, turned};
        QList<QPointF> steps;
        for (qsizetype i = 0; i < wanted.size(); ++i)
            steps.append(QPointF(0, directions[i] * (wanted[i].height() + 1)));
        p.placed = Stagger(p.rects, steps, rows);
        return p;
    };
    for (auto [wanted, turned, rows] :
         {std::tuple{&flat, false, flatRows}, std::tuple{&upright, true, 1}}) {
        Placement p = attempt(*wanted, turned, rows);
        if (!p.placed.contains(false))
            return p;
    }
    return attempt(upright, true, 2);
}

// The flat and the upright box of a text, centred on x and beside y.
std::pair<QRectF, QRectF> Boxes(const ChartLayoutOptions& options, const QString& text, double x,
                                double y, bool above) {
    const double width = options.textWidth(text) + 2;
    return {TextBox(x, y, QSizeF(width, options.lineHeight), above),
            TextBox(x, y, QSizeF(options.lineHeight, width), above)};
}

QList<ChartText> PlacedTexts(const Placement& placement, const QStringList& texts,
                             const QList<qsizetype>& points) {
    QList<ChartText> result;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        result.append({placement.rects[i], placement.placed[i] ? texts[i] : QString(),
                       placement.upright, points[i]});
    }
    return result;
}

// The points' names under the bottom axis, whose top lies at y: neighbours of one name (the
// incomes and charges of one period) share one name centred under them.
QList<ChartText> PlaceNames(const QList<ChartPoint>& points, const ChartLayoutOptions& options,
                            double left, double slot, double y) {
    QStringList texts;
    QList<qsizetype> firsts;
    QList<QRectF> flat;
    QList<QRectF> upright;
    for (qsizetype i = 0; i < points.size();) {
        qsizetype end = i + 1;
        while (options.names && end < points.size() && points[end].label == points[i].label)
            ++end;
        const QString text = options.names ? points[i].label : QString::number(i);
        const auto [f, u] = Boxes(options, text, left + (double(i + end) / 2) * slot, y, false);
        texts.append(text);
        firsts.append(i);
        flat.append(f);
        upright.append(u);
        i = end;
    }
    return PlacedTexts(PlaceTexts(flat, upright, QList<double>(texts.size(), 1), 2), texts, firsts);
}

// The value marks, each beside its anchor: above it for a value of at least 0, below else.
QList<ChartText> PlaceValues(const QList<ChartPoint>& points, const ChartLayoutOptions& options,
                             const QList<QPointF>& above, const QList<QPointF>& below) {
    QStringList texts;
    QList<qsizetype> indexes;
    QList<QRectF> flat;
    QList<QRectF> upright;
    QList<double> directions;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const bool up = points[i].value >= 0;
        const QPointF anchor = up ? above[i] : below[i];
        const QString text = ChartValueText(points[i].value);
        const auto [f, u] = Boxes(options, text, anchor.x(), anchor.y(), up);
        texts.append(text);
        indexes.append(i);
        flat.append(f);
        upright.append(u);
        directions.append(up ? -1 : 1);
    }
    return PlacedTexts(PlaceTexts(flat, upright, directions, 3), texts, indexes);
}

// How far the texts reach out of a rectangle: above its top and below its bottom.
std::pair<double, double> Overhang(const QList<ChartText>& texts, const QRectF& rect) {
    double top = 0;
    double bottom = 0;
    for (const ChartText& t : texts) {
        if (t.text.isEmpty())
            continue;
        top = std::max(top, rect.top() - t.rect.top());
        bottom = std::max(bottom, t.rect.bottom() - rect.bottom());
    }
    return {top, bottom};
}

void LayoutAxesAndSeries(ChartLayout& layout, const QList<ChartPoint>& points, const QRectF& area,
                         const ChartLayoutOptions& options) {
    const double lineHeight = options.lineHeight;
    layout.scale = ScaleFor(points);
    const ValueScale& scale = layout.scale;
    double tickWidth = 0;
    for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step)
        tickWidth = std::max(tickWidth, options.textWidth(ChartValueText(v)));
    const double left = options.axes ? tickWidth + 8 : 4;
    const qsizetype count = points.size();
    const double width = area.width() - left - 8;
    const double slot = count > 0 ? width / double(count) : width;
    const double depth = options.deep ? std::clamp(slot * 0.4, 3.0, 20.0) : 0;
    layout.back = QPointF(depth * 0.7, -depth * 0.7);

    // The names' places along the axis do not hang on its height: they are placed once, and the
    // plot leaves room below it for as many lines as they take.
    if (options.axes)
        layout.names = PlaceNames(points, options, area.left() + left, slot, 0);
    const double below = options.axes ? Overhang(layout.names, QRectF(0, -1, 1, 1)).second + 6 : 4;
    double above = lineHeight + 4;
    // The value marks take room above the highest bar: the plot shrinks until they find it.
    for (int pass = 0; pass < 3; ++pass) {
        layout.plot = area.adjusted(left, above, -8, -below);
        if (layout.plot.width() <= 1 || layout.plot.height() <= 1) {
            layout.plot = QRectF();
            return;
        }
        const QRectF& plot = layout.plot;
        auto yOf = [&](double v) {
            return plot.bottom() - (v - scale.low) / (scale.high - scale.low) * plot.height();
        };
        layout.ticks.clear();
        for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step) {
            const double y = yOf(v);
            layout.ticks.append({y,
                                 {QRectF(area.left(), y - lineHeight / 2, tickWidth, lineHeight),
                                  ChartValueText(v)}});
        }
        QList<QPointF> tops;
        QList<QPointF> bottoms;
        layout.bars.clear();
        layout.marks.clear();
        const double zeroY = yOf(0);
        const double barWidth = slot * 0.8;
        layout.markRadius = std::clamp(slot / 4, 2.0, 4.0);
        for (qsizetype i = 0; i < count; ++i) {
            const double centre = plot.left() + (double(i) + 0.5) * slot;
            const double y = yOf(points[i].value);
            if (options.shape == ChartShape::Bars) {
                const QRectF bar(QPointF(centre - barWidth / 2, std::min(y, zeroY)),
                                 QPointF(centre + barWidth / 2, std::max(y, zeroY)));
                layout.bars.append(bar);
                tops.append(QPointF(centre, bar.top() - 1 + layout.back.y()));
                bottoms.append(QPointF(centre, bar.bottom() + 1));
            } else {
                layout.marks.append(QPointF(centre, y));
                tops.append(QPointF(centre, y - layout.markRadius));
                bottoms.append(QPointF(centre, y + layout.markRadius));
            }
        }
        layout.values = PlaceValues(points, options, tops, bottoms);
        const double overhang = Overhang(layout.values, area).first;
        if (overhang <= 0)
            break;
        above += overhang;
    }
    for (ChartText& name : layout.names)
        name.rect.translate(0, layout.plot.bottom() + 3);
}

void LayoutPie(ChartLayout& layout, const QList<ChartPoint>& points, const QRectF& area,
               const ChartLayoutOptions& options) {
    double total = 0;
    for (const ChartPoint& p : points)
        total += std::abs(p.value);
    if (total <= 0)
        return;
    const double lineHeight = options.lineHeight;
    QStringList texts;
    double widest = 0;
    for (const ChartPoint& p : points) {
        texts.append(p.label + QStringLiteral(" ") + ChartValueText(p.value));
        widest = std::max(widest, options.textWidth(texts.last()) + 2);
    }
    // The texts stand in a column on each side of the pie, which takes the room they leave.
    constexpr double Gap = 24;
    const double diameter =
        std::max(10.0, std::min(area.height() - 2 * lineHeight,
                                std::max(area.width() - 2 * (widest + Gap), area.width() * 0.3)));
    layout.circle = QRectF(0, 0, diameter, diameter);
    layout.circle.moveCenter(area.center());
    layout.thickness = options.deep ? diameter * 0.08 : 0;

    // Sixteenths of a degree, clockwise from the top, as QPainter counts.
    double start = 90;
    for (const ChartPoint& p : points) {
        const double span = -std::abs(p.value) / total * 360;
        layout.spans.append({int(std::lround(start * 16)), int(std::lround(span * 16))});
        start += span;
    }
    const QPointF centre = layout.circle.center();
    const double radius = diameter / 2;
    QList<QPointF> directions;
    std::array<QList<qsizetype>, 2> sides; // right, left
    for (qsizetype i = 0; i < points.size(); ++i) {
        const auto [first, span] = layout.spans[i];
        const double middle = Radians((first + span / 2.0) / 16.0);
        directions.append(QPointF(std::cos(middle), -std::sin(middle)));
        sides[directions.last().x() >= 0 ? 0 : 1].append(i);
    }
    layout.values.resize(points.size());
    layout.leaders.resize(points.size());
    for (size_t side = 0; side < 2; ++side) {
        QList<qsizetype>& column = sides[side];
        auto wantedTop = [&](qsizetype i) {
            return centre.y() + directions[i].y() * (radius + 14 + layout.thickness) -
                   lineHeight / 2;
        };
        std::stable_sort(column.begin(), column.end(),
                         [&](qsizetype a, qsizetype b) { return wantedTop(a) < wantedTop(b); });
        QList<double> wanted;
        for (qsizetype i : column)
            wanted.append(wantedTop(i));
        const QList<double> tops = SpreadColumn(wanted, lineHeight, area.top(), area.bottom());
        for (qsizetype k = 0; k < column.size(); ++k) {
            const qsizetype i = column[k];
            const double width = options.textWidth(texts[i]) + 2;
            const double x =
                side == 0 ? layout.circle.right() + Gap : layout.circle.left() - Gap - width;
            const QRectF rect(x, tops[k], width, lineHeight);
            layout.values[i] = {rect, texts[i], false, i};
            const QPointF edge = centre + directions[i] * radius;
            const QPointF elbow = centre + directions[i] * (radius + 8 + layout.thickness);
            const QPointF end(side == 0 ? rect.left() - 1 : rect.right() + 1, rect.center().y());
            layout.leaders[i] = {edge, elbow, end};
        }
    }
}

} // namespace

QString ChartValueText(double value) {
    return NumberText(std::round(value * 100) / 100);
}

ValueScale ScaleFor(const QList<ChartPoint>& points) {
    double low = 0;
    double high = 0;
    for (const ChartPoint& p : points) {
        low = std::min(low, p.value);
        high = std::max(high, p.value);
    }
    if (high == low)
        high = low + 1;
    const double raw = (high - low) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * magnitude;
        if (step >= raw)
            break;
    }
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

QList<bool> Stagger(QList<QRectF>& rects, const QList<QPointF>& steps, int rows) {
    // The texts come from left to right: a text lying wholly left of the one being placed, by
    // more than the widest, meets none still to come.
    double widest = 0;
    for (const QRectF& r : rects)
        widest = std::max(widest, r.width());
    QList<bool> placed(rects.size(), false);
    QList<QRectF> taken;
    for (qsizetype i = 0; i < rects.size(); ++i) {
        const double passed = rects[i].center().x() - widest;
        while (!taken.isEmpty() && taken.first().right() < passed)
            taken.removeFirst();
        for (int row = 0; row < rows && !placed[i]; ++row) {
            const QRectF r = rects[i].translated(steps[i] * row);
            if (std::none_of(taken.begin(), taken.end(),
                             [&](const QRectF& t) { return t.intersects(r); })) {
                rects[i] = r;
                taken.append(r);
                placed[i] = true;
            }
        }
    }
    return placed;
}

QList<double> SpreadColumn(const QList<double>& wanted, double height, double low, double high) {
    QList<double> tops = wanted;
    // Down from the top: each box below the one before it, and no higher than low.
    double next = low;
    for (double& top : tops) {
        top = std::max(top, next);
        next = top + height;
    }
    // Up from the bottom: each box above the one after it, and no lower than high allows, but
    // never above low while the column has room.
    double limit = high;
    for (qsizetype i = tops.size() - 1; i >= 0; --i) {
        tops[i] = std::max(std::min(tops[i], limit - height), low + double(i) * height);
        limit = tops[i];
    }
    return tops;
}

ChartLayout LayoutChart(const QList<ChartPoint>& points, const QRectF& area,
                        const ChartLayoutOptions& options) {
    ChartLayout layout;
    layout.shape = options.shape;
    if (options.shape == ChartShape::Pie)
        LayoutPie(layout, points, area, options);
    else
        LayoutAxesAndSeries(layout, points, area, options);
    return layout;
}

qsizetype PointAt(const ChartLayout& layout, const QPointF& pos) {
    switch (layout.shape) {
    case ChartShape::Bars:
        for (qsizetype i = 0; i < layout.bars.size(); ++i) {
            // A bar of a value near 0 is still found within a few pixels.
            const QRectF bar = layout.bars[i];
            const double grow = std::max(0.0, 4 - bar.height()) / 2;
            if (bar.adjusted(0, -grow, 0, grow).contains(pos))
                return i;
        }
        return -1;
    case ChartShape::Line:
        for (qsizetype i = 0; i < layout.marks.size(); ++i) {
            const QPointF d = pos - layout.marks[i];
            if (std::hypot(d.x(), d.y()) <= layout.markRadius + 3)
                return i;
        }
        return -1;
    case ChartShape::Pie: {
        const QPointF d = pos - layout.circle.center();
        if (layout.spans.isEmpty() || std::hypot(d.x(), d.y()) > layout.circle.width() / 2)
            return -1;
        const double angle = std::atan2(-d.y(), d.x()) * 180 / Pi;
        for (qsizetype i = 0; i < layout.spans.size(); ++i) {
            // How far clockwise from the slice's start the point lies.
            const double from = std::fmod(layout.spans[i].first / 16.0 - angle + 720, 360);
            if (from <= -layout.spans[i].second / 16.0)
                return i;
        }
        return -1;
    }
    }
    return -1;
}

QString PointTip(const ChartPoint& point) {
    return point.label + QStringLiteral(": ") + ChartValueText(point.value);
}

} // namespace zovi
