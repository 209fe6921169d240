#pragma once

#include <QString>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace zovi {

// A prepared statement, finalized when it goes.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    // Steps once: true when a row is ready, false when done; throws on an error.
    bool step();
    void reset();

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// One SQLite connection on a main file, with further files attached under aliases. Files are
// opened for reading and writing but never created, in rollback-journal mode with full syncs.
class Connection {
public:
    explicit Connection(const QString& mainFile);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* db() const { return m_db; }
    const QString& mainFile() const { return m_mainFile; }

    void attach(const QString& file, const QString& alias);
    void exec(const QString& sql);
    // Throws StoreError with SQLite's message for the file when rc is an error code.
    void check(int rc, const QString& what) const;
    bool inTransaction() const;

private:
    void prepareSchema(const QString& alias, const QString& file);

    sqlite3* m_db = nullptr;
    QString m_mainFile;
};

QString QuoteIdent(const QString& name);

} // namespace zovi
