#include "store/template.h"

#include "core/keptfile.h"
#include "store/error.h"
#include "store/sqlite.h"
#include "store/tablecrypt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace zovi {

namespace {

void WriteLines(const QString& path, const QStringList& lines) {
    if (const auto failure = WriteKeptFile(path, (lines.join(u'\n') + u'\n').toUtf8()))
        throw StoreError(*failure);
}

} // namespace

void CreateTableFile(const TableSchema& schema, const QString& path) {
    if (QFileInfo::exists(path))
        throw StoreError(QStringLiteral("The table file %1 exists already.").arg(path));
    TableCrypt::install();
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto fail = [&](const QString& what) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close(db);
        QFile::remove(path);
        throw StoreError(
            QStringLiteral("Cannot create the table file %1 (%2): %3").arg(path, what, message));
    };
    if (rc != SQLITE_OK)
        fail(QStringLiteral("open"));
    // A file under a key keeps the room for each page's nonce and tag.
    if (TableCrypt::keyFor(path)) {
        int reserve = TableCrypt::kReservedBytes;
        if (sqlite3_exec(db, "PRAGMA page_size=4096", nullptr, nullptr, nullptr) != SQLITE_OK ||
            sqlite3_file_control(db, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve) != SQLITE_OK)
            fail(QStringLiteral("page layout"));
    }
    const QByteArray sql = (QStringLiteral("PRAGMA journal_mode=DELETE; BEGIN; ") +
                            schema.createSql() + QStringLiteral(" COMMIT;"))
                               .toUtf8();
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QStringLiteral("schema"));
    sqlite3_close(db);
}

void WriteTemplateFolder(const QString& folder) {
    const QString target = QDir::cleanPath(folder);
    const QString staging = target + QStringLiteral(".new");
    QDir(staging).removeRecursively();
    if (!QDir().mkpath(staging))
        throw StoreError(QStringLiteral("Cannot create the folder %1.").arg(staging));

    QStringList files;
    for (const TableSchema* s : DatabaseTables()) {
        CreateTableFile(*s, QDir(staging).filePath(s->fileName));
        files << s->fileName;
    }
    const TableSchema& password = schemas::Password();
    const QString un = QDir(staging).filePath(password.fileName);
    CreateTableFile(password, un);
    {
        Connection c(un);
        c.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES ('')")
                   .arg(QuoteIdent(password.tableName), QuoteIdent(fields::Password::Password)));
    }
    files << password.fileName << QStringLiteral("copy.txt") << QStringLiteral("copy2.txt");
    WriteLines(QDir(staging).filePath(QStringLiteral("copy.txt")), files);
    WriteLines(QDir(staging).filePath(QStringLiteral("copy2.txt")), files);

    const QString old = target + QStringLiteral(".old");
    QDir(old).removeRecursively();
    if (QFileInfo::exists(target) && !QDir().rename(target, old))
        throw StoreError(QStringLiteral("Cannot replace the folder %1.").arg(target));
    if (!QDir().rename(staging, target))
        throw StoreError(QStringLiteral("Cannot create the folder %1.").arg(target));
    QDir(old).removeRecursively();
}

void WritePrintTables(const QString& programFolder) {
    const QString report = QDir(programFolder).filePath(QStringLiteral("Report"));
    if (!QDir().mkpath(report))
        throw StoreError(QStringLiteral("Cannot create the folder %1.").arg(report));
    for (const TableSchema* s : PrintTables()) {
        const QString path = QDir(report).filePath(s->fileName);
        if (!QFileInfo::exists(path))
            CreateTableFile(*s, path);
    }
}

} // namespace zovi
