#pragma once

#include "store/image.h"
#include "store/table.h"
#include "store/value.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <vector>

namespace zovi {

class Connection;
class TableImage;
class TableHandle;

// The process's registry of open table files: one shared image per file, one connection for each
// group of tables that commands write together (the linked tables of a database folder, the print
// tables of Report/), and the state of the running transaction. A transaction writes the files of
// one connection only, so that it is saved whole or not at all.
class Store {
public:
    static Store& instance();

    // The image of a table file, read on first use. Throws when the file is missing, locked or
    // not a table of ours.
    std::shared_ptr<TableImage> acquire(const QString& path);

    // Told how far the reading of a large table file has come (rows read of the rows
    // expected), so that a wait window can show it; empty for none.
    void setReadProgress(TableImage::Progress progress) { m_readProgress = std::move(progress); }

    void registerHandle(TableHandle* handle);
    void unregisterHandle(TableHandle* handle);
    // The handles open on the image.
    QList<TableHandle*> handlesOn(const TableImage* image) const;

    // Transactions (see Transaction): begin/commit/rollback nest by depth.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_depth > 0; }

    // Called by an image before it writes: opens the SQLite transaction on the connection when
    // a transaction guard is alive. A write to a second connection in one transaction is
    // refused, and dooms the transaction.
    void willWrite(const std::shared_ptr<Connection>& connection);
    // Called by an image when a write failed: the command can no longer be whole, so every
    // later write and the commit are refused and the guard rolls everything back.
    void writeFailed();
    // Called by an image before it changes a row inside a transaction (after, for an insert,
    // with the row not alive), so that a rollback can put the row back to before.
    void remember(const std::shared_ptr<TableImage>& image, RowSlot row, RowCells before);

    // What a transaction logged of one changed row, in the order of the changes.
    struct UndoRecord {
        std::shared_ptr<TableImage> image;
        RowSlot row;
        RowCells before;
    };

private:
    Store() = default;
    std::shared_ptr<Connection> connectionFor(const QString& file);
    void undo();
    void clear();

    QHash<QString, std::weak_ptr<TableImage>> m_images;
    QHash<QString, std::weak_ptr<Connection>> m_groupConnections; // by the main file
    QList<TableHandle*> m_handles;
    TableImage::Progress m_readProgress;

    int m_depth = 0;
    bool m_doomed = false;
    std::shared_ptr<Connection> m_writing; // the connection written in it
    std::vector<UndoRecord> m_undo;
    std::vector<std::pair<TableHandle*, TableHandle::State>> m_snapshots;
};

} // namespace zovi
