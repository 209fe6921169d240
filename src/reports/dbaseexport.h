#pragma once

#include "store/fields.h"

#include <QList>
#include <QString>
#include <memory>

class QTemporaryFile;

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

// What an export writes differently from the ledger: the characters of the entries that the
// file's code page lacks (Windows-1251 has no "¥"), each written as "?".
struct ExportLosses {
    int entries = 0;    // entries holding at least one such character
    int characters = 0; // such characters in all, a character outside the basic plane once
    QString example;    // the first of them
};

// Whether an export adds its rows after those of an existing file or replaces the file by a
// table of its rows only.
enum class ExportMode { Append, Replace };

// One export of the ledger view into the dBase table fileName, in two steps so that the user can
// be asked in between. The constructor writes one row per row of the view, in the view's order,
// into a working copy beside the file: of the file itself when appending to it, else of the
// template. Each field of ExportFields() that the table has gets the text of its ledger field,
// cut to the field's width. save() then puts the copy in place of the file; an export not saved
// leaves the file as it was (or absent). Both throw ReportError when the template is missing,
// the file is not a dBase table, declares a code page other than Windows-1251 or UTF-8 (a .cpg
// file beside it counts, also when the file is replaced), or cannot be written.
class DbaseExport {
public:
    DbaseExport(const TableHandle& view, const QString& templatePath, const QString& fileName,
                ExportMode mode = ExportMode::Append);
    ~DbaseExport();
    DbaseExport(const DbaseExport&) = delete;
    DbaseExport& operator=(const DbaseExport&) = delete;

    int rows() const { return m_rows; }
    const ExportLosses& losses() const { return m_losses; }
    void save();

private:
    QString m_fileName;
    std::unique_ptr<QTemporaryFile> m_work;
    int m_rows = 0;
    ExportLosses m_losses;
};

// Exports and saves at once, whatever the losses; returns the number of rows written.
int ExportLedger(const TableHandle& view, const QString& templatePath, const QString& fileName,
                 ExportMode mode = ExportMode::Append);

} // namespace zovi
