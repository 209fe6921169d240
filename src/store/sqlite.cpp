#include "store/sqlite.h"

#include "core/lang.h"
#include "store/error.h"
#include "store/tablecrypt.h"

#include <QUrl>
#include <sqlite3.h>

namespace zovi {

namespace {

// A file name as an SQLite URI that opens an existing file for reading and writing and never
// creates one.
QByteArray FileUri(const QString& file) {
    return QUrl::fromLocalFile(file).toEncoded() + "?mode=rw";
}

QString Message(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

} // namespace

QString QuoteIdent(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

Statement::Statement(sqlite3* db, const QString& sql) : m_db(db) {
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db, utf8.constData(), int(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        throw StoreError(LangText(QStringLiteral("cannotrun"),
                                  QStringLiteral("The table store cannot run \"%1\": %2"))
                             .arg(sql, Message(db)));
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = Message(m_db);
    sqlite3_reset(m_stmt);
    throw StoreError(message);
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

Connection::Connection(const QString& mainFile) : m_mainFile(mainFile) {
    TableCrypt::install();
    // A connection is only ever used by the thread that made it, so SQLite's lock around every
    // call (taken twice per value read) is left out.
    const int rc =
        sqlite3_open_v2(FileUri(mainFile).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = m_db ? Message(m_db) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw StoreError(CannotOpenMessage(mainFile, message));
    }
    sqlite3_extended_result_codes(m_db, 1);
    // A file another program holds locked is reported after a short wait, not at once.
    sqlite3_busy_timeout(m_db, 2000);
    try {
        prepareSchema(QStringLiteral("main"), mainFile);
    } catch (...) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
}

Connection::~Connection() {
    if (m_db) {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
    }
}

void Connection::attach(const QString& file, const QString& alias) {
    Statement st(m_db, QStringLiteral("ATTACH DATABASE ? AS %1").arg(QuoteIdent(alias)));
    const QByteArray uri = FileUri(file);
    sqlite3_bind_text(st.get(), 1, uri.constData(), int(uri.size()), SQLITE_TRANSIENT);
    try {
        st.step();
    } catch (const StoreError& e) {
        throw StoreError(CannotOpenMessage(file, e.message()));
    }
    prepareSchema(alias, file);
}

void Connection::prepareSchema(const QString& alias, const QString& file) {
    // The journal mode of a WAL file is stored in the file: turn any file back to the rollback
    // journal, which SQLite needs to commit atomically across attached files.
    const QString q = QuoteIdent(alias);
    QString result;
    try {
        // A file that is no database fails here already, when the statement is prepared.
        Statement mode(m_db, QStringLiteral("PRAGMA %1.journal_mode=DELETE").arg(q));
        if (mode.step())
            result = QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(mode.get(), 0)));
    } catch (const StoreError& e) {
        throw StoreError(CannotOpenMessage(file, e.message()));
    }
    if (result.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
        throw StoreError(
            QStringLiteral("The table file %1 cannot be switched to the rollback journal (%2).")
                .arg(file, result));
    exec(QStringLiteral("PRAGMA %1.synchronous=FULL").arg(q));
}

void Connection::exec(const QString& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : Message(m_db);
        sqlite3_free(error);
        throw StoreError(message);
    }
}

void Connection::check(int rc, const QString& what) const {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW)
        return;
    throw StoreError(QStringLiteral("%1: %2").arg(what, Message(m_db)));
}

bool Connection::inTransaction() const {
    return m_db && !sqlite3_get_autocommit(m_db);
}

} // namespace zovi
