#pragma once

#include "store/fields.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zovi {

enum class FieldType {
    Text,    // TEXT
    Float,   // REAL
    Integer, // INTEGER
    Date,    // TEXT as yyyy-MM-dd
    Boolean, // INTEGER 0/1
    AutoInc, // INTEGER PRIMARY KEY AUTOINCREMENT: assigned on insert, read-only
};

// The type a column of a file made elsewhere declares ("INTEGER", "REAL", "DATE", "BOOLEAN",
// ...), as SQLite reads declarations; text for anything else.
FieldType FieldTypeOfDeclaration(const QString& declared);

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int width = 0; // longest text the field is meant for; 0 when not fixed
};

struct IndexDef {
    QString name;
    QString field;
    bool caseInsensitive = false;
};

// One table file: its file name in the folder, the table inside it and its fields in order.
struct TableSchema {
    QString fileName;  // "Data.db", "data.un", "data.db" (print table)
    QString tableName; // "Data", "un", "data"
    QList<FieldDef> fields;
    QList<IndexDef> indexes;

    int fieldIndex(const QString& name) const; // case-insensitive, -1 when absent
    QString createSql() const;                 // CREATE TABLE and CREATE INDEX statements
};

namespace schemas {
const TableSchema& Data();
const TableSchema& Gr1();
const TableSchema& GrR();
const TableSchema& GrR2();
const TableSchema& GrD();
const TableSchema& GrD2();
const TableSchema& Valuta();
const TableSchema& Kurs();
const TableSchema& Report();
const TableSchema& DRM();
const TableSchema& UserChart();
const TableSchema& Credit();
const TableSchema& OplataCredit();
const TableSchema& Password();   // data.un
const TableSchema& ReportData(); // Report/data.db in the program folder
const TableSchema& TopData();    // Report/topdata.db in the program folder
} // namespace schemas

// The thirteen table files a database folder must hold, in the order the opening checks them,
// followed by nothing else (data.un and copy.txt are checked on their own).
QList<const TableSchema*> DatabaseTables();
// The tables that commands write together: they share one connection so that a command's
// writes to several of them commit atomically. Data.db comes first.
QList<const TableSchema*> LinkedTables();
// The print tables of the folder Report/, filled together by the print command: they too share
// one connection. data.db comes first.
QList<const TableSchema*> PrintTables();
// The schema of a table file by its file name, without regard to letter case; nullptr when the
// name is none of ours.
const TableSchema* SchemaForFile(const QString& fileName);
// The schema of a table file by its path: the print tables are told apart from the database
// tables by their folder Report/ (Report/data.db is not the ledger).
const TableSchema* SchemaForPath(const QString& path);

} // namespace zovi
