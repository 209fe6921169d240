#pragma once

#include "reports/textreport.h"

#include <QFont>
#include <QList>
#include <QRectF>

class QFontMetricsF;
class QPaintDevice;
class QPainter;
class QPrinter;

namespace zovi {

// A report laid out on the pages of a paint device: every page carries the title, the heading
// lines, the column headings and the footer with its page number; the rows follow in order, a
// text wider than its column wraps inside it, and a row never splits across pages. Only the row
// heights are kept, so pages are drawn one at a time from the content.
class ReportPages {
public:
    // area: the part of the page that is drawn on, in the device's pixels.
    ReportPages(const ReportTemplate& tmpl, const ReportContent& content, QPaintDevice* device,
                const QRectF& area);

    int pageCount() const { return int(m_firstRow.size()); }
    // Draws page (1-based) with a painter that is active on a device like the one laid out for.
    void paintPage(QPainter& painter, int page) const;

private:
    qreal rowHeight(const QStringList& cells, const QFontMetricsF& metrics) const;
    qreal headerHeight() const;

    const ReportTemplate& m_template;
    const ReportContent& m_content;
    QRectF m_area;
    QFont m_font;
    QFont m_bold;
    QFont m_title;
    qreal m_lineHeight = 0;
    qreal m_titleHeight = 0;
    qreal m_padding = 0;
    QList<qreal> m_columnX;    // left edge of each column, and the right edge of the last
    QList<qreal> m_rowHeights; // per row
    QList<int> m_firstRow;     // per page
};

// The file formats of a report.
enum class ReportFormat { Pdf, Rtf, Text };

// Writes the report into a file as PDF (A4, 300 dots per inch, fonts embedded so that every
// reader shows the Cyrillic text), RTF or plain text (10 characters and 6 lines per inch). The
// file is replaced only when the whole report was written; a failure throws ReportError and
// leaves any earlier file as it was.
void WriteReportFile(ReportFormat format, const QString& path, const ReportTemplate& tmpl,
                     const ReportContent& content, const PageProgress& progress = {});

// Draws the report on a printer (or the preview's printer), copies and collation included when
// the printer cannot make copies itself. False when the printer could not be started.
bool PaintReport(QPrinter& printer, const ReportTemplate& tmpl, const ReportContent& content,
                 const PageProgress& progress = {});

} // namespace zovi
