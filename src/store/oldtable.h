#pragma once

#include "store/schema.h"
#include "store/value.h"

#include <QString>
#include <functional>
#include <vector>

namespace zovi {

// A table file of an earlier version of the program, read whole and only read: the fields as
// the file declares them and every row as typed values. Nothing of it is shared with the open
// tables, and its layout need not match ours (older tables have fewer fields).
struct OldTable {
    struct Field {
        QString name;
        FieldType type = FieldType::Text;
    };

    QString path;
    std::vector<Field> fields;
    std::vector<std::vector<Value>> rows;

    // The column of a field by name, without regard to letter case; -1 when the table has none.
    int fieldIndex(const QString& name) const;
    // The value of a row's field in the form a field of type target takes; null when the table
    // has no such field. Throws StoreError naming the field when it does not convert.
    Value valueFor(size_t row, int column, FieldType target) const;
};

// Reports rows read so far of the rows there are, for a progress gauge.
using ReadProgress = std::function<void(qint64 done, qint64 total)>;

// True when the file starts as an SQLite database does.
bool IsSqliteFile(const QString& path);

// Reads a table file in our own SQLite layout, whatever fields it holds: the table named after
// the file's base name, or the file's only table. A field that one of our tables of the same
// file name also has takes that field's type (dates and booleans are stored as text and
// integers). Throws StoreError naming the file when it cannot be read.
OldTable ReadSqliteTable(const QString& path, const ReadProgress& progress = {});

} // namespace zovi
