#pragma once

#include "store/fields.h"

#include <QList>
#include <QString>

namespace zovi {

class TableHandle;

// One character field of the dBase export: its name in the file, the ledger field it takes its
// text from, and its width in bytes in the template.
struct ExportField {
    const char* name;
    FieldName ledgerField;
    int width;
};

// The fields of the export template, in their order in the file.
const QList<ExportField>& ExportFields();

// The export template below the program folder.
QString ExportTemplatePath(const QString& programFolder);

// Writes the export template (ExTemplate/data.dbf_t) into the program folder: an empty dBase
// table with the fields of ExportFields(), marked as Windows-1251. Throws ReportError when the
// file cannot be written.
void WriteExportTemplate(const QString& programFolder);

// The name of the file a chosen name stands for: ".dbf" is added unless the fourth character
// from the end is a dot ("report" gives "report.dbf"; "report.dbf" and "report.txt" stay).
QString ExportFileName(const QString& chosen);

// Appends one row per row of the view, in the view's order, to the dBase table fileName: each
// field of ExportFields() that the file has gets the text of its ledger field, cut to the
// field's width. A file that does not exist is first made as a copy of the template. The file
// is written beside itself and put in place only when every row is written, so that a failure
// leaves it as it was (or absent). Returns the number of rows written; throws ReportError when
// the template is missing, the file is not a dBase table, declares a code page other than
// Windows-1251 or UTF-8, or cannot be written.
int ExportLedger(const TableHandle& view, const QString& templatePath, const QString& fileName);

} // namespace zovi
