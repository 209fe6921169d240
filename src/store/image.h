#pragma once

#include "store/schema.h"
#include "store/value.h"

#include <QHash>
#include <QString>
#include <map>
#include <memory>
#include <vector>

namespace zovi {

class Connection;
class Statement;
class CompiledFilter;

struct Column {
    QString name;
    FieldType type = FieldType::Text;
};

// The rows of one table file, read once into memory and shared by every handle on the file.
// Writes go through SQLite first; the image changes only when the write succeeded, and every
// change inside a transaction is logged so that a rollback can undo it.
class TableImage : public std::enable_shared_from_this<TableImage> {
public:
    TableImage(QString path, std::shared_ptr<Connection> connection, QString alias);
    ~TableImage();

    const QString& path() const { return m_path; }
    Connection& connection() const { return *m_connection; }
    const std::vector<Column>& columns() const { return m_columns; }
    int columnIndex(const QString& name) const; // case-insensitive; -1 when absent
    int autoIncColumn() const { return m_autoInc; }
    // True when the file or its folder cannot be written: every write is refused.
    bool readOnly() const { return m_readOnly; }

    // Rows in iteration order (ascending rowid, which is ascending ID for keyed tables); dead
    // rows may remain until the next compaction and must be skipped.
    const std::vector<std::shared_ptr<Row>>& rows() const { return m_rows; }
    size_t liveCount() const { return m_rows.size() - m_dead; }

    // Inserts a row; the table assigns the key unless the row's key field holds one.
    std::shared_ptr<Row> insert(std::vector<Value> values);
    void update(const std::shared_ptr<Row>& row, std::vector<Value> values);
    void remove(const std::shared_ptr<Row>& row);

    // Puts a row back as it was before a change (rollback).
    void restore(const std::shared_ptr<Row>& row, std::vector<Value> values, bool alive);

    // Drops dead rows from the list; never while a transaction may still undo them.
    void compact();

    std::shared_ptr<const CompiledFilter> filter(const QString& text);

private:
    void load();
    // Throws StoreError naming the file when a field of schema is missing or its key is not one.
    void checkColumns(const TableSchema& schema) const;
    void refuseIfReadOnly() const;
    void bindValue(Statement& st, int param, const Value& v, FieldType type);
    void bindRow(Statement& st, const std::vector<Value>& values, bool withKey = false);
    Statement& insertStatement(bool withKey);
    Statement& updateStatement(const std::vector<int>& columns);
    Statement& deleteStatement();

    QString m_path;
    std::shared_ptr<Connection> m_connection;
    QString m_alias; // schema name on the connection: "main" or the attach alias
    QString m_table;
    std::vector<Column> m_columns;
    QHash<QString, int> m_columnByName;  // lower-case name -> index
    QHash<QString, int> m_columnByExact; // name as stored -> index, found without a copy
    int m_autoInc = -1;
    bool m_readOnly = false;
    std::vector<std::shared_ptr<Row>> m_rows;
    size_t m_dead = 0;
    std::unique_ptr<Statement> m_insert, m_insertKeyed, m_delete;
    std::map<QByteArray, std::unique_ptr<Statement>> m_updates; // by the columns they write
    QHash<QString, std::shared_ptr<const CompiledFilter>> m_filters;
};

} // namespace zovi
