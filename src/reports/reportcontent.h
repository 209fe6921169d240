#pragma once

#include "reports/reporttemplate.h"

namespace zovi {

class TableHandle;

// What a report shows: the heading row and, for every row of the print table, one text per
// template column. It is read once from the print tables and shared by every output, so a report
// is held in memory once however it is written.
struct ReportContent {
    ReportHeading heading;
    QList<QStringList> rows;
};

// Reads the print tables through open handles: every row of data in its order, each cell the
// values of its column's fields that are not empty joined by " / ", and the first row of top
// (empty texts when it has none). A field a column names that the table lacks
// throws ReportError.
ReportContent ReadReportContent(TableHandle& data, TableHandle& top, const ReportTemplate& tmpl);

} // namespace zovi
