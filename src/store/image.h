#pragma once

#include "store/schema.h"
#include "store/textpool.h"
#include "store/value.h"

#include <QHash>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace zovi {

class Connection;
class Statement;
class CompiledFilter;

struct Column {
    QString name;
    FieldType type = FieldType::Text;
};

// What the undo log keeps to put a row back: whether it was alive, and the cells a change
// overwrote (only those: a pass that rewrites one field of a million rows logs one cell each),
// each as the image stores it (TableImage::cellValue reads one).
struct RowCells {
    struct Cell {
        quint64 bits;
        quint16 column;
        quint8 kind;
    };
    std::vector<Cell> cells;
    bool alive = true;
};

// The rows of one table file, read once into memory and shared by every handle on the file.
// Writes go through SQLite first; the image changes only when the write succeeded, and every
// change inside a transaction is logged so that a rollback can undo it.
//
// The rows are kept compact, as a million-row ledger must fit in a desktop's memory: a cell of
// a float field is eight bytes (a float's bits, or an integer or the number of a text), a cell of
// any other field four (an integer that fits 32 bits or the number of a text), and every cell
// has a byte for its kind. A value too large for its four bytes (a larger integer, a float in a
// field of another type) lies in the image's list of wide values, its cell holding its place
// there. The cells lie in blocks of rows, each field's cells of a block side by side, so that a
// filter or a sort reading one field of many rows reads adjacent memory. Texts live in the
// image's pool, their characters in large pieces, and a text that repeats in a field read from
// the file is kept once. No object is made per row or per field.
class TableImage : public std::enable_shared_from_this<TableImage> {
public:
    enum CellKind : quint8 { NullCell, IntegerCell, FloatCell, TextCell };

    // Reports the rows read so far of the rows the file holds, while a file of many rows (a
    // second's reading or more) is read.
    static constexpr qint64 kProgressRows = 50000;
    using Progress = std::function<void(qint64 done, qint64 total)>;

    TableImage(QString path, std::shared_ptr<Connection> connection, QString alias,
               const Progress& progress = Progress());
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
    const std::vector<RowSlot>& order() const { return m_order; }
    size_t liveCount() const { return m_order.size() - m_dead; }

    // Searches rows given in the image's order (ascending rowid; the order itself and every
    // view of a handle keep their rows so) by halving the range, never reading every row. For a
    // table keyed by an autoincrement ID the rowid is the ID, so this finds a row by its ID.
    // The first place whose row has the rowid key (dead rows count), or -1.
    qsizetype findRowid(std::span<const RowSlot> rows, qint64 key) const;
    // Where a row with the rowid key goes among rows to keep them in order: after every row
    // whose rowid is not greater.
    qsizetype placeOfRowid(std::span<const RowSlot> rows, qint64 key) const;

    // A row's cells. Reading a row that was deleted is allowed: it keeps its last values.
    bool alive(RowSlot row) const { return m_alive[row] != 0; }
    qint64 rowid(RowSlot row) const { return m_rowids[row]; }
    CellKind kind(RowSlot row, int column) const {
        return CellKind(storedKind(row, column) & kKindMask);
    }
    qint64 integer(RowSlot row, int column) const { return qint64(bits(row, column)); }
    double number(RowSlot row, int column) const;
    // A text is never a wide value: its number is the stored cell.
    const QString& text(RowSlot row, int column) const { return m_texts[stored(row, column)]; }
    Value value(RowSlot row, int column) const;
    std::vector<Value> values(RowSlot row) const;

    // Inserts a row; the table assigns the key unless the row's key field holds one.
    RowSlot insert(std::vector<Value> values);
    // Inserts a row under the given rowid (and ID, for a keyed table): a row that an undo of its
    // deletion brings back with the number every link to it holds.
    RowSlot insertAt(qint64 rowid, std::vector<Value> values);
    // The live row with the rowid, or nothing.
    std::optional<RowSlot> liveRow(qint64 rowid) const;
    // The value a cell kept by the undo log held.
    Value cellValue(const RowCells::Cell& cell) const;
    // Whether the table has given its largest possible ID, so that no row can be added.
    bool idsUsedUp() const;
    void update(RowSlot row, std::vector<Value> values);
    void remove(RowSlot row);
    // Writes one field of many rows as one write: values holds a value for every row (in the
    // order of rows) or one value for all of them. Rows whose field already holds its value are
    // skipped. One value is written to every row by one statement over their rowids; values of
    // their own by one prepared statement stepped for each row; both inside one transaction
    // (the running one, or one of its own). The image's cells change only after SQLite took
    // them, each row logged with that one cell for a rollback. Every row must be alive.
    // Returns the rows written, in the order given.
    std::vector<RowSlot> setColumn(std::span<const RowSlot> rows, int column,
                                   std::span<const Value> values);

    // Puts a row back as the undo log kept it (rollback).
    void restore(RowSlot row, const RowCells& before);

    // Drops dead rows from the order; never while a transaction may still undo them.
    void compact();

    std::shared_ptr<const CompiledFilter> filter(const QString& text);

private:
    static constexpr int kBlockBits = 12; // rows per block: 4096
    static constexpr size_t kBlockRows = size_t(1) << kBlockBits;
    static constexpr qint64 kReserveRows = qint64(1) << 22; // the most rows reserved at once
    // A stored kind is a CellKind, with kWideValue added when the cell holds the place of its
    // value in m_wide.
    static constexpr quint8 kKindMask = 3;
    static constexpr quint8 kWideValue = 4;
    struct Block {
        quint8* cells; // each field's cells one after another, kBlockRows of them
        quint8* kinds; // the same, a byte each
    };
    // Where a field's cells begin in a block, and whether they are eight bytes (or four).
    struct Place {
        size_t offset;
        bool wide;
    };
    struct FreeMemory {
        void operator()(void* p) const;
    };
    // Gives every field its cells' width and place in a block, once the fields are known.
    void placeColumns();
    // Makes count more blocks, in one piece of memory for all their cells and one for their
    // kinds (every cell null).
    void addBlocks(size_t count);
    static size_t rowInBlock(RowSlot row) { return size_t(row) & (kBlockRows - 1); }
    quint8 storedKind(RowSlot row, int column) const {
        return m_blocks[row >> kBlockBits].kinds[size_t(column) * kBlockRows + rowInBlock(row)];
    }
    // The cell as stored: eight bytes, or four widened without their sign.
    quint64 stored(RowSlot row, int column) const {
        const Place& place = m_places[size_t(column)];
        const quint8* cells = m_blocks[row >> kBlockBits].cells + place.offset;
        return place.wide ? reinterpret_cast<const quint64*>(cells)[rowInBlock(row)]
                          : reinterpret_cast<const quint32*>(cells)[rowInBlock(row)];
    }
    // The value's 64 bits (an integer, a float's bits, a text's number) of a stored cell.
    quint64 valueBits(int column, quint64 cell, quint8 kind) const {
        if (m_places[size_t(column)].wide)
            return cell;
        if (kind & kWideValue)
            return m_wide[cell];
        return kind == IntegerCell ? quint64(qint64(qint32(quint32(cell)))) : cell;
    }
    quint64 bits(RowSlot row, int column) const {
        return valueBits(column, stored(row, column), storedKind(row, column));
    }
    // Stores a cell as it is: its bits (four of them in a narrow field) and its stored kind.
    void store(RowSlot row, int column, quint64 cell, quint8 kind) {
        const Block& block = m_blocks[row >> kBlockBits];
        const Place& place = m_places[size_t(column)];
        const size_t r = rowInBlock(row);
        if (place.wide)
            reinterpret_cast<quint64*>(block.cells + place.offset)[r] = cell;
        else
            reinterpret_cast<quint32*>(block.cells + place.offset)[r] = quint32(cell);
        block.kinds[size_t(column) * kBlockRows + r] = kind;
    }
    // Stores an integer, or a float's bits (float), in the cell, among the wide values when
    // the cell is narrow and the value does not fit it.
    void storeNumber(RowSlot row, int column, quint64 bits, bool isFloat);
    RowSlot newSlot(qint64 rowid);
    void setCell(RowSlot row, int column, const Value& value);
    bool cellEquals(RowSlot row, int column, const Value& value) const;
    // A cell as the undo log keeps it, and a cell put back from that form.
    RowCells::Cell savedCell(RowSlot row, int column) const;
    void putCell(RowSlot row, const RowCells::Cell& cell);
    quint32 addText(const QString& text);

    void load(const Progress& progress);
    // Throws StoreError naming the file when a field of schema is missing or its key is not one.
    void checkColumns(const TableSchema& schema) const;
    void refuseIfReadOnly() const;
    void bindValue(Statement& st, int param, const Value& v, FieldType type);
    void bindRow(Statement& st, const std::vector<Value>& values, bool withKey = false);
    Statement& insertStatement(bool withKey);
    RowSlot insertRow(std::vector<Value> values, std::optional<qint64> rowid);
    Statement& updateStatement(const std::vector<int>& columns);
    Statement& deleteStatement();

    QString m_path;
    std::shared_ptr<Connection> m_connection;
    QString m_alias; // schema name on the connection: "main" or the attach alias
    QString m_table;
    std::vector<Column> m_columns;
    QHash<QString, int> m_columnByName;           // lower-case name -> index
    QHash<QString, int> m_columnByExact;          // name as stored -> index, found without a copy
    static constexpr size_t kScannedColumns = 32; // up to this many, columnIndex scans
    int m_autoInc = -1;
    bool m_readOnly = false;

    std::vector<Place> m_places; // by column
    size_t m_blockBytes = 0;     // the cells of one block
    std::vector<Block> m_blocks;
    // The values of narrow cells that do not fit them. A value is only ever added: the undo log
    // keeps cells that hold places here. A cell that changes leaves its old wide value behind
    // until the file is read anew; such values are rare (beyond 32 bits, or floats in fields of
    // another type) and cost eight bytes each.
    std::vector<quint64> m_wide;
    std::vector<std::unique_ptr<void, FreeMemory>> m_memory; // what the blocks live in
    size_t m_expectedRows = 0;    // while the file is read: the rows it is expected to hold
    std::vector<qint64> m_rowids; // by slot
    std::vector<quint8> m_alive;  // by slot
    std::vector<RowSlot> m_order; // slots in rowid order
    TextPool m_texts;             // a text cell holds its number here
    size_t m_dead = 0;            // dead slots still in m_order

    std::unique_ptr<Statement> m_insert, m_insertKeyed, m_insertRowid, m_delete;
    std::map<QByteArray, std::unique_ptr<Statement>> m_updates; // by the columns they write
    QHash<QString, std::shared_ptr<const CompiledFilter>> m_filters;
};

} // namespace zovi
