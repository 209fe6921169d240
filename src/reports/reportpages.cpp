#include "reports/reportpages.h"

#include "core/keptfile.h"
#include "core/lang.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>

namespace zovi {

namespace {

QFont DeviceFont(const QString& family, double points, QPaintDevice* device, bool bold = false) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return QFont(font, device);
}

// Word wrapping, or wrapping anywhere when a single word is wider than the column, so that no
// text runs out of its cell.
int WrapFlags(const QFontMetricsF& metrics, const QString& text, qreal width) {
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (metrics.horizontalAdvance(word) > width)
            return Qt::TextWrapAnywhere;
    }
    return Qt::TextWordWrap;
}

} // namespace

ReportPages::ReportPages(const ReportTemplate& tmpl, const ReportContent& content,
                         QPaintDevice* device, const QRectF& area)
    : m_template(tmpl), m_content(content), m_area(area) {
    m_font = DeviceFont(tmpl.fontFamily, tmpl.fontSize, device);
    m_bold = DeviceFont(tmpl.fontFamily, tmpl.fontSize, device, true);
    m_title = DeviceFont(tmpl.fontFamily, tmpl.fontSize * 1.5, device, true);
    const QFontMetricsF metrics(m_font, device);
    m_lineHeight = metrics.lineSpacing();
    m_titleHeight = QFontMetricsF(m_title, device).lineSpacing() * 1.3;
    m_padding = m_lineHeight * 0.2;

    const int total = std::max(1, tmpl.totalWidth());
    qreal x = area.left();
    for (const ReportColumn& column : tmpl.columns) {
        m_columnX << x;
        x += area.width() * column.width / total;
    }
    m_columnX << area.right();

    const qreal body = area.height() - headerHeight() - (m_lineHeight + m_padding);
    m_rowHeights.reserve(content.rows.size());
    m_firstRow << 0;
    qreal y = 0;
    for (int row = 0; row < content.rows.size(); ++row) {
        // A row taller than a whole page is cut to the page rather than never placed.
        const qreal height =
            std::min(rowHeight(content.rows[row], metrics), std::max(body, m_lineHeight));
        m_rowHeights << height;
        if (y + height > body && y > 0) {
            m_firstRow << row;
            y = 0;
        }
        y += height;
    }
}

qreal ReportPages::headerHeight() const {
    return m_titleHeight + m_lineHeight * (m_template.lines.size() + 0.5) + m_lineHeight +
           2 * m_padding;
}

qreal ReportPages::rowHeight(const QStringList& cells, const QFontMetricsF& metrics) const {
    qreal height = m_lineHeight;
    for (int i = 0; i < cells.size() && i + 1 < m_columnX.size(); ++i) {
        const qreal width = m_columnX[i + 1] - m_columnX[i] - 2 * m_padding;
        const QString& text = cells[i];
        if (text.isEmpty() || metrics.horizontalAdvance(text) <= width)
            continue;
        const QRectF bounds =
            metrics.boundingRect(QRectF(0, 0, width, 1e9), WrapFlags(metrics, text, width), text);
        height = std::max(height, bounds.height());
    }
    return height + 2 * m_padding;
}

void ReportPages::paintPage(QPainter& painter, int page) const {
    if (page < 1 || page > pageCount())
        return;
    const int pages = pageCount();
    const ReportHeading& heading = m_content.heading;
    painter.save();
    const QPen rule(Qt::black, m_lineHeight / 16);
    const QPen separator(QColor(0xc0, 0xc0, 0xc0), m_lineHeight / 24);

    qreal y = m_area.top();
    painter.setFont(m_title);
    painter.drawText(QRectF(m_area.left(), y, m_area.width(), m_titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     ExpandReportText(m_template.title, heading, page, pages));
    y += m_titleHeight;
    painter.setFont(m_font);
    const QFontMetricsF metrics(m_font, painter.device());
    for (const QString& line : m_template.lines) {
        const QString text = metrics.elidedText(ExpandReportText(line, heading, page, pages),
                                                Qt::ElideRight, m_area.width());
        painter.drawText(QRectF(m_area.left(), y, m_area.width(), m_lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        y += m_lineHeight;
    }
    y += m_lineHeight * 0.5;

    // The column headings on a grey band between two rules.
    const qreal headingHeight = m_lineHeight + 2 * m_padding;
    painter.fillRect(QRectF(m_area.left(), y, m_area.width(), headingHeight),
                     QColor(0xe8, 0xe8, 0xe8));
    painter.setFont(m_bold);
    const QFontMetricsF boldMetrics(m_bold, painter.device());
    for (int i = 0; i < m_template.columns.size(); ++i) {
        const ReportColumn& column = m_template.columns[i];
        const QRectF cell(m_columnX[i] + m_padding, y,
                          m_columnX[i + 1] - m_columnX[i] - 2 * m_padding, headingHeight);
        painter.drawText(cell,
                         (column.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                         boldMetrics.elidedText(column.heading, Qt::ElideRight, cell.width()));
    }
    painter.setPen(rule);
    painter.drawLine(QPointF(m_area.left(), y), QPointF(m_area.right(), y));
    y += headingHeight;
    painter.drawLine(QPointF(m_area.left(), y), QPointF(m_area.right(), y));

    painter.setFont(m_font);
    const int first = m_firstRow[page - 1];
    const int end = page < pages ? m_firstRow[page] : int(m_content.rows.size());
    for (int row = first; row < end; ++row) {
        const QStringList& cells = m_content.rows[row];
        const qreal height = m_rowHeights[row];
        painter.setPen(Qt::black);
        for (int i = 0; i < cells.size() && i < m_template.columns.size(); ++i) {
            const QRectF cell(m_columnX[i] + m_padding, y + m_padding,
                              m_columnX[i + 1] - m_columnX[i] - 2 * m_padding,
                              height - 2 * m_padding);
            const int align =
                (m_template.columns[i].alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop;
            painter.save();
            painter.setClipRect(cell.adjusted(-m_padding, 0, m_padding, 0));
            painter.drawText(cell, align | WrapFlags(metrics, cells[i], cell.width()), cells[i]);
            painter.restore();
        }
        y += height;
        painter.setPen(separator);
        painter.drawLine(QPointF(m_area.left(), y), QPointF(m_area.right(), y));
    }

    painter.setPen(Qt::black);
    painter.drawText(
        QRectF(m_area.left(), m_area.bottom() - m_lineHeight, m_area.width(), m_lineHeight),
        Qt::AlignHCenter | Qt::AlignBottom,
        ExpandReportText(m_template.footer, heading, page, pages));
    painter.restore();
}

namespace {

void WritePdf(QIODevice& out, const ReportTemplate& tmpl, const ReportContent& content,
              const PageProgress& progress) {
    QPdfWriter writer(&out);
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter));
    writer.setTitle(ExpandReportText(tmpl.title, content.heading, 1, 1));
    writer.setCreator(QStringLiteral("Zovi"));
    QPainter painter;
    if (!painter.begin(&writer))
        RefuseWrite(out);
    const QRectF area(QPointF(0, 0), writer.pageLayout().paintRectPixels(300).size());
    const ReportPages pages(tmpl, content, &writer, area);
    for (int page = 1; page <= pages.pageCount(); ++page) {
        if (progress)
            progress(page);
        if (page > 1)
            writer.newPage();
        pages.paintPage(painter, page);
    }
    painter.end();
}

} // namespace

void WriteReportFile(ReportFormat format, const QString& path, const ReportTemplate& tmpl,
                     const ReportContent& content, const PageProgress& progress) {
    KeptFile file(path);
    if (!file.open())
        throw ReportError(file.message());
    QIODevice& out = *file.device();
    switch (format) {
    case ReportFormat::Pdf:
        WritePdf(out, tmpl, content, progress);
        break;
    case ReportFormat::Rtf:
        WriteRtfReport(out, tmpl, content, progress);
        break;
    case ReportFormat::Text:
        WriteTextReport(out, tmpl, content, TextPage{}, progress);
        break;
    }
    if (!file.commit())
        throw ReportError(file.message());
}

bool PaintReport(QPrinter& printer, const ReportTemplate& tmpl, const ReportContent& content,
                 const PageProgress& progress) {
    // A printer that cannot make copies itself gets each copy drawn.
    int copies = 1;
    const bool collate = printer.collateCopies();
    if (!printer.supportsMultipleCopies()) {
        copies = std::max(1, printer.copyCount());
        printer.setCopyCount(1);
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF area(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    const ReportPages pages(tmpl, content, &printer, area);
    const int count = pages.pageCount();
    bool first = true;
    auto draw = [&](int page) {
        if (!first)
            printer.newPage();
        first = false;
        if (progress)
            progress(page);
        pages.paintPage(painter, page);
    };
    if (collate) {
        for (int copy = 0; copy < copies; ++copy)
            for (int page = 1; page <= count; ++page)
                draw(page);
    } else {
        for (int page = 1; page <= count; ++page)
            for (int copy = 0; copy < copies; ++copy)
                draw(page);
    }
    painter.end();
    return true;
}

} // namespace zovi
