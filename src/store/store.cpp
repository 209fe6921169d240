#include "store/store.h"

#include "store/datamodules.h"
#include "store/error.h"
#include "store/history.h"
#include "store/image.h"
#include "store/sqlite.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

namespace zovi {

namespace {

// The alias under which a table file is attached to the connection of its group.
QString AliasOf(const TableSchema& schema) {
    return schema.tableName.toLower();
}

// The tables a table file is written together with, the group's main table first: the linked
// tables of a database folder, or the print tables of Report/. Empty for a file that has a
// connection of its own. A file belongs to a group only when the main file beside it is that
// group's main table: gr1.db in Report/ is no ledger table, topdata.db in a database folder no
// print table.
QList<const TableSchema*> GroupOf(const QString& file) {
    const TableSchema* schema = SchemaForPath(file);
    for (const QList<const TableSchema*>& group : {LinkedTables(), PrintTables()}) {
        if (!group.contains(schema))
            continue;
        const QString mainFile = FindFile(QFileInfo(file).absolutePath(), group.first()->fileName);
        if (QFileInfo::exists(mainFile) && SchemaForPath(mainFile) == group.first())
            return group;
    }
    return {};
}

} // namespace

Store& Store::instance() {
    static Store store;
    return store;
}

std::shared_ptr<Connection> Store::connectionFor(const QString& file) {
    const QList<const TableSchema*> group = GroupOf(file);
    if (group.isEmpty())
        return std::make_shared<Connection>(file);

    // The tables that are written together share one connection with the group's main table as
    // its main file, so that SQLite commits their changes atomically across the files.
    const QString folder = QFileInfo(file).absolutePath();
    const QString mainFile = FindFile(folder, group.first()->fileName);
    const QString key = QFileInfo(mainFile).canonicalFilePath();
    if (auto existing = m_groupConnections.value(key).lock())
        return existing;
    auto connection = std::make_shared<Connection>(mainFile);
    for (const TableSchema* s : group.mid(1)) {
        const QString path = FindFile(folder, s->fileName);
        if (QFileInfo::exists(path))
            connection->attach(path, AliasOf(*s));
    }
    m_groupConnections.insert(key, connection);
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
        alias = AliasOf(*SchemaForPath(key));
        // A file of the group that appeared after the connection was made is attached now.
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

QList<TableHandle*> Store::handlesOn(const TableImage* image) const {
    QList<TableHandle*> on;
    for (TableHandle* h : m_handles) {
        if (h->m_image.get() == image)
            on.append(h);
    }
    return on;
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
    if (m_writing == connection) {
        // SQLite rolls a transaction back on its own after some failures (an I/O error, a full
        // disk); a write now would be saved at once, outside the command.
        if (!connection->inTransaction()) {
            m_doomed = true;
            throw StoreError(QStringLiteral("The command was cancelled by an earlier error."));
        }
        return;
    }
    // SQLite commits atomically only the files of one connection; a command that wrote files of
    // two could be saved in one and lost in the other.
    if (m_writing) {
        m_doomed = true;
        throw StoreError(QStringLiteral("The table file %1 cannot be written in one command with "
                                        "%2.")
                             .arg(connection->mainFile(), m_writing->mainFile()));
    }
    connection->exec(QStringLiteral("BEGIN IMMEDIATE"));
    m_writing = connection;
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
        if (m_writing)
            m_writing->exec(QStringLiteral("COMMIT"));
    } catch (const StoreError& e) {
        // A commit that fails (a full disk, a lost file, a reader holding one of the files)
        // leaves nothing half-written: SQLite writes no file before it holds every one, and
        // every file and image go back to their state before the command.
        rollback();
        throw StoreError(QStringLiteral("The changes could not be saved: %1").arg(e.message()));
    }
    m_depth = 0;
    // The command is saved: the history keeps how to take it back. The log is handed over
    // before anything else may write.
    std::vector<UndoRecord> done;
    done.swap(m_undo);
    clear();
    CommandHistory::instance().committed(done);
}

void Store::rollback() {
    if (m_depth == 0)
        return;
    if (m_depth > 1) {
        --m_depth;
        m_doomed = true;
        return;
    }
    if (m_writing && m_writing->inTransaction()) {
        try {
            m_writing->exec(QStringLiteral("ROLLBACK"));
        } catch (const StoreError&) {
            // SQLite already rolled the transaction back on its own.
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
    m_writing.reset();
    m_undo.clear();
    m_snapshots.clear();
}

} // namespace zovi
