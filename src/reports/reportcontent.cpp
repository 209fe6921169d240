#include "reports/reportcontent.h"

#include "core/lang.h"
#include "store/table.h"

namespace zovi {

namespace {

int RequireField(TableHandle& table, const QString& field) {
    if (!table.hasField(field)) {
        throw ReportError(LangText(QStringLiteral("reportFieldMissing"),
                                   QStringLiteral("The print table %1 has no field %2."))
                              .arg(table.path(), field));
    }
    return table.fieldIndex(field);
}

} // namespace

ReportContent ReadReportContent(TableHandle& data, TableHandle& top, const ReportTemplate& tmpl) {
    ReportContent content;
    if (!top.isEmpty()) {
        content.heading.accountTop = top.textAt(0, RequireField(top, fields::TopData::AccountTOP));
        content.heading.dateTop = top.textAt(0, RequireField(top, fields::TopData::DateTOP));
        content.heading.valueTop = top.textAt(0, RequireField(top, fields::TopData::ValueTOP));
    }
    // The columns of every template column's fields, looked up once.
    QList<QList<int>> columns;
    for (const ReportColumn& c : tmpl.columns) {
        QList<int> indexes;
        for (const QString& field : c.fields)
            indexes << RequireField(data, field);
        columns << indexes;
    }
    const int count = data.recordCount();
    content.rows.reserve(count);
    for (int row = 0; row < count; ++row) {
        QStringList cells;
        cells.reserve(columns.size());
        for (const QList<int>& indexes : columns) {
            QString cell;
            for (int column : indexes) {
                const QString value = data.textAt(row, column);
                if (value.isEmpty())
                    continue;
                if (!cell.isEmpty())
                    cell += QStringLiteral(" / ");
                cell += value;
            }
            cells << cell;
        }
        content.rows << cells;
    }
    return content;
}

} // namespace zovi
