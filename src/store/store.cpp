#include "store/store.h"

#include "store/datamodules.h"
#include "store/error.h"
#include "store/image.h"
#include "store/sqlite.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace zovi {

namespace {

// The alias under which a linked table is attached to its folder's connection.
QString AliasOf(const TableSchema& schema) {
    return schema.tableName.toLower();
}

const TableSchema* LinkedSchema(const QString& fileName) {
    for (const TableSchema* s : LinkedTables()) {
        if (s->fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            return s;
    }
    return nullptr;
}

} // namespace

Store& Store::instance() {
    static Store store;
    return store;
}

std::shared_ptr<Connection> Store::connectionFor(const QString& file) {
    const QFileInfo info(file);
    const TableSchema* linked = LinkedSchema(info.fileName());
    const bool inReport =
        info.dir().dirName().compare(QLatin1String("Report"), Qt::CaseInsensitive) == 0;
    const QString folder = info.absolutePath();
    const QString dataFile = FindFile(folder, schemas::Data().fileName);
    if (!linked || inReport || !QFileInfo::exists(dataFile))
        return std::make_shared<Connection>(file);

    // The tables that commands write together share one connection with the ledger as its main
    // file, so that SQLite commits their changes atomically across the files.
    const QString key = QFileInfo(folder).canonicalFilePath();
    if (auto existing = m_folderConnections.value(key).lock())
        return existing;
    auto connection = std::make_shared<Connection>(dataFile);
    for (const TableSchema* s : LinkedTables()) {
        if (s == &schemas::Data())
            continue;
        const QString path = FindFile(folder, s->fileName);
        if (QFileInfo::exists(path))
            connection->attach(path, AliasOf(*s));
    }
    m_folderConnections.insert(key, connection);
    return connection;
}

std::shared_ptr<TableImage> Store::acquire(const QString& requested) {
    const QFileInfo requestedInfo(requested);
    const QString path = FindFile(requestedInfo.absolutePath(), requestedInfo.fileName());
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        throw StoreError(QStringLiteral("The table file %1 does not exist.").arg(requested));
    const QString key = info.canonicalFilePath();
    if (auto image = m_images.value(key).lock())
        return image;
    if (inTransaction())
        throw StoreError(QStringLiteral("The table file %1 cannot be opened while changes are "
                                        "being written.")
                             .arg(path));

    auto connection = connectionFor(key);
    QString alias = QStringLiteral("main");
    if (connection->mainFile() != key) {
        const TableSchema* linked = LinkedSchema(info.fileName());
        alias = linked ? AliasOf(*linked) : QStringLiteral("main");
        // A linked file that appeared after the connection was made is attached now.
        sqlite3* db = connection->db();
        Q_UNUSED(db);
        bool attached = false;
        {
            Statement st(connection->db(), QStringLiteral("PRAGMA database_list"));
            while (st.step()) {
                const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
                if (QString::fromUtf8(name) == alias)
                    attached = true;
            }
        }
        if (!attached)
            connection->attach(key, alias);
    }
    auto image = std::make_shared<TableImage>(key, connection, alias, m_readProgress);
    m_images.insert(key, image);
    return image;
}

void Store::registerHandle(TableHandle* handle) {
    if (!m_handles.contains(handle))
        m_handles.append(handle);
}

void Store::unregisterHandle(TableHandle* handle) {
    m_handles.removeAll(handle);
    std::erase_if(m_snapshots, [&](const auto& s) { return s.first == handle; });
}

void Store::begin() {
    if (m_depth++ > 0)
        return;
    m_doomed = false;
    m_snapshots.clear();
    for (TableHandle* h : std::as_const(m_handles))
        m_snapshots.emplace_back(h, h->saveState());
}

void Store::willWrite(const std::shared_ptr<Connection>& connection) {
    if (m_depth == 0)
        return;
    if (m_doomed)
        throw StoreError(QStringLiteral("The command was cancelled by an earlier error."));
    if (std::find(m_writing.begin(), m_writing.end(), connection) != m_writing.end()) {
        // SQLite rolls a transaction back on its own after some failures (an I/O error, a full
        // disk); a write now would be saved at once, outside the command.
        if (!connection->inTransaction()) {
            m_doomed = true;
            throw StoreError(QStringLiteral("The command was cancelled by an earlier error."));
        }
        return;
    }
    connection->exec(QStringLiteral("BEGIN IMMEDIATE"));
    m_writing.push_back(connection);
}

void Store::writeFailed() {
    if (m_depth > 0)
        m_doomed = true;
}

void Store::remember(const std::shared_ptr<TableImage>& image, RowSlot row, RowCells before) {
    if (m_depth == 0)
        return;
    m_undo.push_back(UndoRecord{image, row, std::move(before)});
}

void Store::commit() {
    if (m_depth == 0)
        return;
    if (m_depth > 1) {
        --m_depth;
        return;
    }
    if (m_doomed) {
        rollback();
        throw StoreError(QStringLiteral("The command was cancelled by an earlier error."));
    }
    try {
        for (const auto& connection : m_writing)
            connection->exec(QStringLiteral("COMMIT"));
    } catch (const StoreError& e) {
        // A commit that fails (a full disk, a lost file) leaves nothing half-written: every
        // file goes back to its state before the command.
        rollback();
        throw StoreError(QStringLiteral("The changes could not be saved: %1").arg(e.message()));
    }
    m_depth = 0;
    clear();
}

void Store::rollback() {
    if (m_depth == 0)
        return;
    if (m_depth > 1) {
        --m_depth;
        m_doomed = true;
        return;
    }
    for (const auto& connection : m_writing) {
        if (connection->inTransaction()) {
            try {
                connection->exec(QStringLiteral("ROLLBACK"));
            } catch (const StoreError&) {
                // SQLite already rolled the transaction back on its own.
            }
        }
    }
    undo();
    m_depth = 0;
    clear();
}

void Store::undo() {
    for (auto it = m_undo.rbegin(); it != m_undo.rend(); ++it)
        it->image->restore(it->row, it->before);
    for (auto& [handle, state] : m_snapshots)
        handle->restoreState(state);
}

void Store::clear() {
    m_doomed = false;
    m_writing.clear();
    m_undo.clear();
    m_snapshots.clear();
}

} // namespace zovi
