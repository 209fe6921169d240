#pragma once

#include "store/schema.h"

#include <QString>

namespace zovi {

// Creates an empty table file for schema at path (the file must not exist yet).
void CreateTableFile(const TableSchema& schema, const QString& path);

// Writes the empty database folder: every table file, data.un with one row holding an empty
// password, copy.txt listing every file of the folder (itself included) and copy2.txt with as
// many lines. The folder is written beside its final place and renamed into it, so a reader
// never sees half a template.
void WriteTemplateFolder(const QString& folder);

// Writes Report/data.db and Report/topdata.db under programFolder when they are missing.
void WritePrintTables(const QString& programFolder);

} // namespace zovi
