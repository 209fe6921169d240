#include "charts/chartview.h"

#include "core/keptfile.h"
#include "core/textutil.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace zovi {

namespace {

constexpr double Pi = std::numbers::pi;

double Radians(double degrees) {
    return degrees * Pi / 180;
}

// The text of a value mark: rounded to cents.
QString MarkText(double value) {
    return NumberText(std::round(value * 100) / 100);
}

// Texts placed one after another along a line or around a pie: a text is drawn only when it
// overlaps none of those drawn before it. Along a line the texts come from left to right, so
// that those lying wholly left of every text still to come are no longer compared.
class TextPlacer {
public:
    explicit TextPlacer(QPainter& painter, bool leftToRight = true)
        : m_painter(painter), m_leftToRight(leftToRight) {}

    // Draws text in rect when the place is free; flags as for QPainter::drawText.
    bool place(const QRectF& rect, int flags, const QString& text) {
        const QRectF padded = rect.adjusted(-2, 0, 2, 0);
        m_widest = std::max(m_widest, padded.width());
        if (m_leftToRight) {
            // A later text's centre lies right of this one's, so its left edge lies right of
            // this centre less half the widest text.
            const double passed = padded.center().x() - m_widest;
            while (!m_taken.isEmpty() && m_taken.first().right() < passed)
                m_taken.removeFirst();
        }
        for (const QRectF& taken : m_taken) {
            if (taken.intersects(padded))
                return false;
        }
        m_taken.append(padded);
        m_lastRight = padded.right();
        m_painter.drawText(rect, flags, text);
        return true;
    }

    // Whether a text centred at x surely finds no room beside the last text placed, without
    // measuring it: it would not even have room for half a digit.
    bool crowded(double x, double halfDigit) const { return x - halfDigit < m_lastRight; }

private:
    QPainter& m_painter;
    bool m_leftToRight;
    double m_widest = 0;
    double m_lastRight = -1e300;
    QList<QRectF> m_taken;
};

// Round steps of the value axis: 1, 2 or 5 times a power of ten, about five of them.
struct ValueScale {
    double low = 0;
    double high = 1;
    double step = 1;
};

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

// The projection of the 3D view: the flat chart turned about its vertical axis by the rotation
// and about its horizontal axis by the elevation, seen with perspective, zoomed and moved.
QTransform ViewTransform(const ChartView3D& view, const QRectF& area) {
    const double a = Radians(360 - view.rotation);
    const double b = Radians(360 - view.elevation);
    const double size = std::max(area.width(), area.height());
    const double distance =
        view.perspective > 0 ? size * (1.5 + 4.0 * (100 - view.perspective) / 100) : 0;
    const double m13 = distance > 0 ? std::sin(a) * std::cos(b) / distance : 0;
    const double m23 = distance > 0 ? std::sin(b) / distance : 0;
    const QTransform turn(std::cos(a), -std::sin(a) * std::sin(b), m13, 0, std::cos(b), m23, 0, 0,
                          1);
    const QPointF centre = area.center();
    const double zoom = view.zoom / 100.0;
    QTransform placed;
    placed.translate(centre.x() + area.width() * view.horizOffset / 1000.0,
                     centre.y() + area.height() * view.vertOffset / 1000.0);
    placed.scale(zoom, zoom);
    return QTransform::fromTranslate(-centre.x(), -centre.y()) * turn * placed;
}

const QList<QColor>& Palette() {
    static const QList<QColor> colours = {
        QColor(0xff, 0x00, 0x00), QColor(0x00, 0x80, 0x00), QColor(0xff, 0xff, 0x00),
        QColor(0x00, 0x00, 0xff), QColor(0xff, 0x00, 0xff), QColor(0x80, 0x80, 0x80),
        QColor(0x80, 0x00, 0x00), QColor(0x80, 0x00, 0x80), QColor(0x00, 0x00, 0x80),
        QColor(0x80, 0x80, 0x00), QColor(0x00, 0x80, 0x80), QColor(0x00, 0xff, 0x00),
        QColor(0xff, 0x80, 0x00), QColor(0x00, 0xff, 0xff), QColor(0xc0, 0xc0, 0xc0),
        QColor(0x80, 0x40, 0x00)};
    return colours;
}

} // namespace

ChartView::ChartView(OtherKind otherKind, QWidget* parent)
    : QWidget(parent), m_otherKind(otherKind) {
    setMinimumSize(200, 150);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor ChartView::PointColour(const ChartPoint& point, qsizetype index) {
    if (point.colour != AutomaticColour)
        return QColor::fromRgba(point.colour);
    return Palette()[index % Palette().size()];
}

void ChartView::setPoints(ChartSeriesPoints points) {
    m_points = std::move(points);
    update();
}

void ChartView::setBarsActive(bool bars) {
    m_barsActive = bars;
    update();
}

void ChartView::setBottomLabels(bool labels) {
    m_bottomLabels = labels;
    update();
}

void ChartView::setAxesVisible(bool visible) {
    m_axesVisible = visible;
    update();
}

void ChartView::setView3D(const ChartView3D& view) {
    m_view = view;
    update();
}

void ChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    render(painter, rect());
}

void ChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QWidget::mouseReleaseEvent(event);
}

QImage ChartView::picture() const {
    QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(painter, image.rect());
    return image;
}

bool ChartView::saveBitmap(const QString& path, QString* failure) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture().save(&buffer, "BMP"))
        return false;
    const std::optional<QString> notWritten = WriteKeptFile(path, bytes);
    if (notWritten && failure)
        *failure = *notWritten;
    return !notWritten;
}

void ChartView::render(QPainter& painter, const QRect& area) const {
    painter.save();
    painter.fillRect(area, Qt::white);
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF inner = QRectF(area).adjusted(8, 8, -8, -8);
    if (m_view.enabled)
        painter.setTransform(ViewTransform(m_view, QRectF(area)), true);
    if (!m_barsActive && m_otherKind == OtherKind::Pie)
        drawPie(painter, inner);
    else
        drawAxesAndSeries(painter, inner);
    painter.restore();
}

void ChartView::drawAxesAndSeries(QPainter& painter, const QRectF& area) const {
    const QList<ChartPoint>& points = m_barsActive ? m_points.bars : m_points.other;
    const QFontMetricsF metrics(painter.font(), painter.device());
    const ValueScale scale = ScaleFor(points);
    const double lineHeight = metrics.height();
    const double halfDigit = metrics.horizontalAdvance(QStringLiteral("0")) / 2;

    double tickWidth = 0;
    for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step)
        tickWidth = std::max(tickWidth, metrics.horizontalAdvance(MarkText(v)));
    const double left = m_axesVisible ? tickWidth + 8 : 4;
    const QRectF plot =
        area.adjusted(left, lineHeight + 4, -8, m_axesVisible ? -(lineHeight + 6) : -4);
    if (plot.width() <= 1 || plot.height() <= 1)
        return;
    auto yOf = [&](double v) {
        return plot.bottom() - (v - scale.low) / (scale.high - scale.low) * plot.height();
    };
    const qsizetype count = points.size();
    const double slot = count > 0 ? plot.width() / double(count) : plot.width();
    const double depth = m_view.enabled ? std::clamp(slot * 0.4, 3.0, 20.0) : 0;
    const QPointF back(depth * 0.7, -depth * 0.7);

    if (m_axesVisible) {
        // The left axis with a dotted grid; the bottom axis has none.
        for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step) {
            const double y = yOf(v);
            painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
            painter.drawLine(QPointF(plot.left(), y) + back, QPointF(plot.right(), y) + back);
            painter.setPen(Qt::black);
            painter.drawText(QRectF(area.left(), y - lineHeight / 2, tickWidth, lineHeight),
                             Qt::AlignRight | Qt::AlignVCenter, MarkText(v));
        }
        painter.setPen(Qt::black);
        painter.drawLine(plot.bottomLeft(), plot.topLeft());
        painter.drawLine(plot.bottomLeft(), plot.bottomRight());
        TextPlacer labels(painter);
        for (qsizetype i = 0; i < count; ++i) {
            const double centre = plot.left() + (double(i) + 0.5) * slot;
            if (labels.crowded(centre, halfDigit))
                continue;
            const QString text = m_bottomLabels ? points[i].label : QString::number(i);
            const double width = metrics.horizontalAdvance(text);
            labels.place(QRectF(centre - width / 2, plot.bottom() + 3, width, lineHeight),
                         Qt::AlignCenter, text);
        }
    }
    if (count == 0)
        return;

    painter.setClipRect(plot.adjusted(-left, -lineHeight - 4, depth + 8, 1), Qt::IntersectClip);
    const double zeroY = yOf(0);
    TextPlacer marks(painter);
    if (m_barsActive) {
        const double width = slot * 0.8;
        for (qsizetype i = 0; i < count; ++i) {
            const QColor colour = PointColour(points[i], i);
            const double x = plot.left() + double(i) * slot + (slot - width) / 2;
            const double y = yOf(points[i].value);
            const QRectF bar(QPointF(x, std::min(y, zeroY)),
                             QPointF(x + width, std::max(y, zeroY)));
            painter.setPen(QPen(colour.darker(150), 0.5));
            if (depth > 0) {
                painter.setBrush(colour.darker(140));
                painter.drawPolygon(QPolygonF{bar.topRight(), bar.topRight() + back,
                                              bar.bottomRight() + back, bar.bottomRight()});
                painter.setBrush(colour.lighter(120));
                painter.drawPolygon(QPolygonF{bar.topLeft(), bar.topLeft() + back,
                                              bar.topRight() + back, bar.topRight()});
            }
            if (width >= 3) {
                QLinearGradient fill(bar.topLeft(), bar.topRight());
                fill.setColorAt(0, colour.lighter(170));
                fill.setColorAt(1, colour);
                painter.setBrush(fill);
                painter.drawRect(bar);
            } else {
                // A bar of a few pixels shows no gradient: its plain colour is drawn at once.
                painter.fillRect(bar, colour);
            }
            if (marks.crowded(x + width / 2, halfDigit))
                continue;
            const QString text = MarkText(points[i].value);
            const double textWidth = metrics.horizontalAdvance(text);
            const double markY =
                points[i].value < 0 ? bar.bottom() + 1 : bar.top() - lineHeight - 1 + back.y();
            painter.setPen(Qt::black);
            marks.place(QRectF(x + width / 2 - textWidth / 2, markY, textWidth, lineHeight),
                        Qt::AlignCenter, text);
        }
        return;
    }

    QPolygonF line;
    for (qsizetype i = 0; i < count; ++i)
        line << QPointF(plot.left() + (double(i) + 0.5) * slot, yOf(points[i].value));
    if (depth > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xc0, 0xc0, 0xc0));
        for (qsizetype i = 1; i < count; ++i)
            painter.drawPolygon(
                QPolygonF{line[i - 1], line[i - 1] + back, line[i] + back, line[i]});
    }
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);
    const double r = std::clamp(slot / 4, 2.0, 4.0);
    for (qsizetype i = 0; i < count; ++i) {
        const QPointF p = line[i];
        painter.setPen(QPen(Qt::black, 0.5));
        painter.setBrush(PointColour(points[i], i));
        painter.drawPolygon(QPolygonF{p + QPointF(0, -r), p + QPointF(r, 0), p + QPointF(0, r),
                                      p + QPointF(-r, 0)});
        if (marks.crowded(p.x(), halfDigit))
            continue;
        const QString text = MarkText(points[i].value);
        const double textWidth = metrics.horizontalAdvance(text);
        marks.place(QRectF(p.x() - textWidth / 2, p.y() - r - lineHeight, textWidth, lineHeight),
                    Qt::AlignCenter, text);
    }
}

void ChartView::drawPie(QPainter& painter, const QRectF& area) const {
    const QList<ChartPoint>& points = m_points.other;
    double total = 0;
    for (const ChartPoint& p : points)
        total += std::abs(p.value);
    if (total <= 0)
        return;
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double lineHeight = metrics.height();
    const double diameter =
        std::max(10.0, std::min(area.width() * 0.55, area.height() - 4 * lineHeight));
    QRectF circle(0, 0, diameter, diameter);
    circle.moveCenter(area.center());
    const double thickness = m_view.enabled ? diameter * 0.08 : 0;

    // Sixteenths of a degree, clockwise from the top, as QPainter counts.
    QList<std::pair<int, int>> spans;
    double start = 90;
    for (const ChartPoint& p : points) {
        const double span = -std::abs(p.value) / total * 360;
        spans.append({int(std::lround(start * 16)), int(std::lround(span * 16))});
        start += span;
    }
    for (int k = int(thickness); k > 0; --k) {
        for (qsizetype i = 0; i < points.size(); ++i) {
            const QColor colour = PointColour(points[i], i).darker(150);
            painter.setPen(colour);
            painter.setBrush(colour);
            painter.drawPie(circle.translated(0, k), spans[i].first, spans[i].second);
        }
    }
    painter.setPen(QPen(Qt::white, 1));
    for (qsizetype i = 0; i < points.size(); ++i) {
        painter.setBrush(PointColour(points[i], i));
        painter.drawPie(circle, spans[i].first, spans[i].second);
    }

    TextPlacer labels(painter, false);
    const double radius = diameter / 2;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const double middle = Radians((spans[i].first + spans[i].second / 2.0) / 16.0);
        const QPointF direction(std::cos(middle), -std::sin(middle));
        const QPointF edge = circle.center() + direction * radius;
        const QPointF anchor = circle.center() + direction * (radius + 14 + thickness);
        const QString text = points[i].label + QStringLiteral(" ") + MarkText(points[i].value);
        const double width = metrics.horizontalAdvance(text);
        const bool right = direction.x() >= 0;
        const QRectF rect(right ? anchor.x() + 2 : anchor.x() - width - 2,
                          anchor.y() - lineHeight / 2, width, lineHeight);
        painter.setPen(Qt::black);
        if (labels.place(rect, Qt::AlignCenter, text))
            painter.drawLine(edge, anchor);
    }
}

} // namespace zovi
