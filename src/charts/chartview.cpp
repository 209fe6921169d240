#include "charts/chartview.h"

#include "core/keptfile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <QToolTip>
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

// A placed text; a value mark gets a pale ground, so that it reads over a bar it lies on.
void DrawChartText(QPainter& painter, const ChartText& text, bool ground) {
    if (text.text.isEmpty())
        return;
    if (ground)
        painter.fillRect(text.rect, QColor(255, 255, 255, 200));
    painter.setPen(Qt::black);
    if (!text.upright) {
        painter.drawText(text.rect, Qt::AlignCenter, text.text);
        return;
    }
    painter.save();
    painter.translate(text.rect.bottomLeft());
    painter.rotate(-90);
    painter.drawText(QRectF(0, 0, text.rect.height(), text.rect.width()), Qt::AlignCenter,
                     text.text);
    painter.restore();
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

bool ChartView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const qsizetype point = pointAt(help->pos());
    if (point >= 0) {
        QToolTip::showText(help->globalPos(), PointTip(activePoints()[point]), this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
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

const QList<ChartPoint>& ChartView::activePoints() const {
    return m_barsActive ? m_points.bars : m_points.other;
}

ChartLayout ChartView::layout(const QRect& area, const QFontMetricsF& metrics) const {
    ChartLayoutOptions options;
    options.shape = m_barsActive                    ? ChartShape::Bars
                    : m_otherKind == OtherKind::Pie ? ChartShape::Pie
                                                    : ChartShape::Line;
    options.axes = m_axesVisible;
    options.names = m_bottomLabels;
    options.deep = m_view.enabled;
    options.lineHeight = metrics.height();
    options.textWidth = [&metrics](const QString& text) {
        return metrics.horizontalAdvance(text);
    };
    return LayoutChart(activePoints(), QRectF(area).adjusted(8, 8, -8, -8), options);
}

ChartLayout ChartView::layout() const {
    return layout(rect(), QFontMetricsF(font()));
}

qsizetype ChartView::pointAt(const QPoint& pos) const {
    QPointF place = pos;
    if (m_view.enabled)
        place = ViewTransform(m_view, QRectF(rect())).inverted().map(place);
    return PointAt(layout(), place);
}

QImage ChartView::picture() const {
    QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(painter, image.rect());
    return image;
}

bool ChartView::savePicture(const QString& path, QString* failure) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return false;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator drawing;
        drawing.setOutputDevice(&buffer);
        const QSize size = this->size().expandedTo(QSize(1, 1));
        drawing.setSize(size);
        drawing.setViewBox(QRect(QPoint(0, 0), size));
        // Texts keep the size they have on the screen.
        drawing.setResolution(logicalDpiX());
        QPainter painter;
        if (!painter.begin(&drawing))
            return false;
        render(painter, QRect(QPoint(0, 0), size));
        painter.end();
    } else if (!picture().save(&buffer, suffix == QLatin1String("png") ? "PNG" : "BMP")) {
        return false;
    }
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
    const ChartLayout placed = layout(area, QFontMetricsF(painter.font(), painter.device()));
    if (m_view.enabled)
        painter.setTransform(ViewTransform(m_view, QRectF(area)), true);
    if (placed.shape == ChartShape::Pie)
        drawPie(painter, placed);
    else
        drawAxesAndSeries(painter, placed);
    painter.restore();
}

void ChartView::drawAxesAndSeries(QPainter& painter, const ChartLayout& layout) const {
    const QList<ChartPoint>& points = activePoints();
    const QRectF& plot = layout.plot;
    if (plot.isEmpty())
        return;
    const QPointF back = layout.back;
    if (m_axesVisible) {
        // The left axis with a dotted grid; the bottom axis has none.
        for (const auto& [y, text] : layout.ticks) {
            painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
            painter.drawLine(QPointF(plot.left(), y) + back, QPointF(plot.right(), y) + back);
            painter.setPen(Qt::black);
            painter.drawText(text.rect, Qt::AlignRight | Qt::AlignVCenter, text.text);
        }
        painter.setPen(Qt::black);
        painter.drawLine(plot.bottomLeft(), plot.topLeft());
        painter.drawLine(plot.bottomLeft(), plot.bottomRight());
        for (const ChartText& name : layout.names)
            DrawChartText(painter, name, false);
    }

    for (qsizetype i = 0; i < layout.bars.size(); ++i) {
        const QColor colour = PointColour(points[i], i);
        const QRectF& bar = layout.bars[i];
        painter.setPen(QPen(colour.darker(150), 0.5));
        if (!back.isNull()) {
            painter.setBrush(colour.darker(140));
            painter.drawPolygon(QPolygonF{bar.topRight(), bar.topRight() + back,
                                          bar.bottomRight() + back, bar.bottomRight()});
            painter.setBrush(colour.lighter(120));
            painter.drawPolygon(QPolygonF{bar.topLeft(), bar.topLeft() + back,
                                          bar.topRight() + back, bar.topRight()});
        }
        if (bar.width() >= 3) {
            QLinearGradient fill(bar.topLeft(), bar.topRight());
            fill.setColorAt(0, colour.lighter(170));
            fill.setColorAt(1, colour);
            painter.setBrush(fill);
            painter.drawRect(bar);
        } else {
            // A bar of a few pixels shows no gradient: its plain colour is drawn at once.
            painter.fillRect(bar, colour);
        }
    }

    const QList<QPointF>& line = layout.marks;
    if (!back.isNull()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xc0, 0xc0, 0xc0));
        for (qsizetype i = 1; i < line.size(); ++i)
            painter.drawPolygon(
                QPolygonF{line[i - 1], line[i - 1] + back, line[i] + back, line[i]});
    }
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF(line));
    const double r = layout.markRadius;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QPointF p = line[i];
        painter.setPen(QPen(Qt::black, 0.5));
        painter.setBrush(PointColour(points[i], i));
        painter.drawPolygon(QPolygonF{p + QPointF(0, -r), p + QPointF(r, 0), p + QPointF(0, r),
                                      p + QPointF(-r, 0)});
    }
    // The value marks last, so that no bar or line covers one.
    for (const ChartText& value : layout.values)
        DrawChartText(painter, value, true);
}

void ChartView::drawPie(QPainter& painter, const ChartLayout& layout) const {
    const QList<ChartPoint>& points = activePoints();
    const auto& spans = layout.spans;
    for (int k = int(layout.thickness); k > 0; --k) {
        for (qsizetype i = 0; i < spans.size(); ++i) {
            const QColor colour = PointColour(points[i], i).darker(150);
            painter.setPen(colour);
            painter.setBrush(colour);
            painter.drawPie(layout.circle.translated(0, k), spans[i].first, spans[i].second);
        }
    }
    painter.setPen(QPen(Qt::white, 1));
    for (qsizetype i = 0; i < spans.size(); ++i) {
        painter.setBrush(PointColour(points[i], i));
        painter.drawPie(layout.circle, spans[i].first, spans[i].second);
    }
    painter.setPen(Qt::black);
    for (const QList<QPointF>& leader : layout.leaders)
        painter.drawPolyline(QPolygonF(leader));
    for (const ChartText& value : layout.values)
        DrawChartText(painter, value, false);
}

} // namespace zovi
