// The cells of a table's image, and its writes: each goes through SQLite first and reaches the
// image only when it succeeded, logged for a rollback inside a transaction.
#include "store/image.h"

#include "core/lang.h"

#include "store/error.h"
#include "store/filter.h"
#include "store/sqlite.h"
#include "store/store.h"
#include "store/transaction.h"

#include <QDir>
#include <QStringList>
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <sqlite3.h>
#include <sys/mman.h>

namespace zovi {

TableImage::TableImage(QString path, std::shared_ptr<Connection> connection, QString alias,
                       const Progress& progress)
    : m_path(std::move(path)), m_connection(std::move(connection)), m_alias(std::move(alias)) {
    load(progress);
}

TableImage::~TableImage() = default;

int TableImage::columnIndex(const QString& name) const {
    // A table has a few dozen fields at most, and a field named as stored is found by comparing
    // lengths and then characters faster than by hashing the name: writers look fields up by
    // name for every value of every row they write.
    if (m_columns.size() <= kScannedColumns) {
        for (size_t i = 0; i < m_columns.size(); ++i) {
            if (m_columns[i].name == name)
                return int(i);
        }
    } else {
        const auto exact = m_columnByExact.constFind(name);
        if (exact != m_columnByExact.constEnd())
            return exact.value();
    }
    return m_columnByName.value(name.toLower(), -1);
}

void TableImage::FreeMemory::operator()(void* p) const {
    std::free(p);
}

void TableImage::placeColumns() {
    // Floats take eight bytes; everything else (texts, integers, dates, flags, keys) mostly
    // fits four.
    m_places.clear();
    m_blockBytes = 0;
    for (const Column& column : m_columns) {
        const bool wide = column.type == FieldType::Float;
        m_places.push_back(Place{m_blockBytes, wide});
        m_blockBytes += kBlockRows * (wide ? sizeof(quint64) : sizeof(quint32));
    }
}

void TableImage::addBlocks(size_t count) {
    const size_t cells = kBlockRows * m_columns.size();
    if (cells == 0 || count == 0)
        return;
    // The blocks of a large table are put in memory the system may map in large pages: a
    // million rows are then mapped in a few hundred steps instead of tens of thousands.
    constexpr size_t kLargePage = size_t(2) << 20;
    const auto allocate = [&](size_t bytes) {
        void* p = nullptr;
        if (bytes >= kLargePage) {
            bytes = (bytes + kLargePage - 1) / kLargePage * kLargePage;
            p = std::aligned_alloc(kLargePage, bytes);
#ifdef MADV_HUGEPAGE
            if (p)
                madvise(p, bytes, MADV_HUGEPAGE);
#endif
        } else {
            p = std::malloc(bytes);
        }
        if (!p)
            throw std::bad_alloc();
        m_memory.emplace_back(p);
        return p;
    };
    // Every cell's bits are written before they are read: by the reading of the file or by
    // the insert that takes the row. Kinds start at zero: null.
    auto* bytes = static_cast<quint8*>(allocate(count * m_blockBytes));
    auto* kinds = static_cast<quint8*>(allocate(count * cells));
    std::memset(kinds, 0, count * cells);
    for (size_t b = 0; b < count; ++b)
        m_blocks.push_back(Block{bytes + b * m_blockBytes, kinds + b * cells});
}

RowSlot TableImage::newSlot(qint64 rowid) {
    const auto row = RowSlot(m_rowids.size());
    if ((row >> kBlockBits) >= m_blocks.size()) {
        // While a file is read the blocks come in pieces that double, up to the rows the file
        // is expected to hold: a large table lies in a few large pieces of memory, and rows
        // that never come cost no more than the rows read. Rows added later take one block at
        // a time.
        const size_t blockRows = size_t(1) << kBlockBits;
        const size_t expectedBlocks = (m_expectedRows + blockRows - 1) / blockRows;
        const size_t have = m_blocks.size();
        addBlocks(std::clamp<size_t>(expectedBlocks > have ? expectedBlocks - have : 1, 1,
                                     std::max<size_t>(have, 1)));
    }
    m_rowids.push_back(rowid);
    m_alive.push_back(1);
    return row;
}

qsizetype TableImage::findRowid(std::span<const RowSlot> rows, qint64 key) const {
    const auto at = std::lower_bound(rows.begin(), rows.end(), key,
                                     [this](RowSlot r, qint64 id) { return m_rowids[r] < id; });
    return at != rows.end() && m_rowids[*at] == key ? at - rows.begin() : -1;
}

qsizetype TableImage::placeOfRowid(std::span<const RowSlot> rows, qint64 key) const {
    return std::upper_bound(rows.begin(), rows.end(), key,
                            [this](qint64 id, RowSlot r) { return id < m_rowids[r]; }) -
           rows.begin();
}

double TableImage::number(RowSlot row, int column) const {
    const quint8 k = storedKind(row, column);
    const quint64 b = valueBits(column, stored(row, column), k);
    return (k & kKindMask) == FloatCell ? std::bit_cast<double>(b) : double(qint64(b));
}

Value TableImage::value(RowSlot row, int column) const {
    switch (kind(row, column)) {
    case IntegerCell:
        return qint64(bits(row, column));
    case FloatCell:
        return std::bit_cast<double>(bits(row, column));
    case TextCell:
        return m_texts[bits(row, column)];
    case NullCell:
        break;
    }
    return Value();
}

std::vector<Value> TableImage::values(RowSlot row) const {
    std::vector<Value> out;
    out.reserve(m_columns.size());
    for (int i = 0; i < int(m_columns.size()); ++i)
        out.push_back(value(row, i));
    return out;
}

quint32 TableImage::addText(const QString& text) {
    return m_texts.add(text);
}

void TableImage::storeNumber(RowSlot row, int column, quint64 bits, bool isFloat) {
    const quint8 kind = isFloat ? FloatCell : IntegerCell;
    const auto i = qint64(bits);
    if (m_places[size_t(column)].wide || (!isFloat && i >= std::numeric_limits<qint32>::min() &&
                                          i <= std::numeric_limits<qint32>::max())) {
        store(row, column, bits, kind);
        return;
    }
    if (m_wide.size() > std::numeric_limits<quint32>::max())
        throw std::bad_alloc();
    m_wide.push_back(bits);
    store(row, column, m_wide.size() - 1, kind | kWideValue);
}

void TableImage::setCell(RowSlot row, int column, const Value& value) {
    if (const auto* i = std::get_if<qint64>(&value)) {
        storeNumber(row, column, quint64(*i), false);
    } else if (const auto* d = std::get_if<double>(&value)) {
        storeNumber(row, column, std::bit_cast<quint64>(*d), true);
    } else if (const auto* t = std::get_if<QString>(&value)) {
        // A text the cell already holds keeps its number, so that a pass rewriting other
        // fields adds nothing to the pool.
        quint64 number = stored(row, column);
        if (!(storedKind(row, column) == TextCell && m_texts[number] == *t))
            number = addText(*t);
        store(row, column, number, TextCell);
    } else {
        store(row, column, 0, NullCell);
    }
}

bool TableImage::cellEquals(RowSlot row, int column, const Value& value) const {
    const quint8 stored = storedKind(row, column);
    const auto k = CellKind(stored & kKindMask);
    const quint64 b = k == NullCell ? 0 : valueBits(column, this->stored(row, column), stored);
    switch (k) {
    case NullCell:
        return IsNull(value);
    case IntegerCell: {
        const auto* i = std::get_if<qint64>(&value);
        return i && *i == qint64(b);
    }
    case FloatCell: {
        const auto* d = std::get_if<double>(&value);
        return d && *d == std::bit_cast<double>(b);
    }
    case TextCell: {
        const auto* t = std::get_if<QString>(&value);
        return t && *t == m_texts[b];
    }
    }
    return false;
}

void TableImage::refuseIfReadOnly() const {
    if (m_readOnly)
        throw StoreError(ReadOnlyMessage());
}

void TableImage::bindValue(Statement& st, int param, const Value& v, FieldType type) {
    sqlite3_stmt* s = st.get();
    if (IsNull(v)) {
        sqlite3_bind_null(s, param);
    } else if (const auto* text = std::get_if<QString>(&v)) {
        const QByteArray utf8 = text->toUtf8();
        sqlite3_bind_text(s, param, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    } else if (const auto* d = std::get_if<double>(&v)) {
        sqlite3_bind_double(s, param, *d);
    } else if (const auto* n = std::get_if<qint64>(&v)) {
        if (type == FieldType::Date) {
            const QByteArray iso = QDate::fromJulianDay(*n).toString(Qt::ISODate).toLatin1();
            sqlite3_bind_text(s, param, iso.constData(), int(iso.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(s, param, *n);
        }
    }
}

void TableImage::bindRow(Statement& st, const std::vector<Value>& values, bool withKey) {
    int param = 1;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (int(i) != m_autoInc || withKey)
            bindValue(st, param++, values[i], m_columns[i].type);
    }
}

Statement& TableImage::insertStatement(bool withKey) {
    // A table without an ID takes a given rowid in a column of its own, ahead of the fields.
    const bool rowidFirst = withKey && m_autoInc < 0;
    std::unique_ptr<Statement>& slot =
        rowidFirst ? m_insertRowid : (withKey ? m_insertKeyed : m_insert);
    if (!slot) {
        QStringList names, marks;
        if (rowidFirst) {
            names << QStringLiteral("rowid");
            marks << QStringLiteral("?");
        }
        for (size_t i = 0; i < m_columns.size(); ++i) {
            if (int(i) == m_autoInc && !withKey)
                continue;
            names << QuoteIdent(m_columns[i].name);
            marks << QStringLiteral("?");
        }
        const QString target = QuoteIdent(m_alias) + QLatin1Char('.') + QuoteIdent(m_table);
        slot = std::make_unique<Statement>(
            m_connection->db(),
            names.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(target)
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(target, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    }
    return *slot;
}

Statement& TableImage::updateStatement(const std::vector<int>& columns) {
    QByteArray key;
    for (int c : columns)
        key += QByteArray::number(c) + ',';
    auto& slot = m_updates[key];
    if (!slot) {
        QStringList sets;
        for (int c : columns)
            sets << QuoteIdent(m_columns[size_t(c)].name) + QStringLiteral("=?");
        slot = std::make_unique<Statement>(
            m_connection->db(),
            QStringLiteral("UPDATE %1.%2 SET %3 WHERE rowid=?")
                .arg(QuoteIdent(m_alias), QuoteIdent(m_table), sets.join(QLatin1Char(','))));
    }
    return *slot;
}

Statement& TableImage::deleteStatement() {
    if (!m_delete) {
        m_delete = std::make_unique<Statement>(m_connection->db(),
                                               QStringLiteral("DELETE FROM %1.%2 WHERE rowid=?")
                                                   .arg(QuoteIdent(m_alias), QuoteIdent(m_table)));
    }
    return *m_delete;
}

namespace {

// Runs a prepared write and always leaves the statement ready for the next one.
void RunWrite(Statement& st, const QString& path) {
    try {
        st.step();
    } catch (const StoreError& e) {
        st.reset();
        Store::instance().writeFailed();
        throw StoreError(CannotWriteMessage(path, e.message()));
    }
    st.reset();
}

} // namespace

bool TableImage::idsUsedUp() const {
    // The next ID follows the largest ever given, which sqlite_sequence keeps, or the largest
    // of the rows, whichever is larger.
    try {
        Statement st(m_connection->db(),
                     QStringLiteral("SELECT max(coalesce((SELECT seq FROM %1.sqlite_sequence "
                                    "WHERE name=?), 0), coalesce((SELECT max(rowid) FROM %1.%2), "
                                    "0))")
                         .arg(QuoteIdent(m_alias), QuoteIdent(m_table)));
        const QByteArray name = m_table.toUtf8();
        sqlite3_bind_text(st.get(), 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        return st.step() &&
               sqlite3_column_int64(st.get(), 0) == std::numeric_limits<sqlite3_int64>::max();
    } catch (const StoreError&) {
        return false;
    }
}

RowSlot TableImage::insert(std::vector<Value> values) {
    return insertRow(std::move(values), std::nullopt);
}

RowSlot TableImage::insertAt(qint64 rowid, std::vector<Value> values) {
    return insertRow(std::move(values), rowid);
}

std::optional<RowSlot> TableImage::liveRow(qint64 rowid) const {
    // Dead rows with the same rowid may lie before the live one.
    for (qsizetype at = findRowid(m_order, rowid);
         at >= 0 && at < qsizetype(m_order.size()) && m_rowids[m_order[size_t(at)]] == rowid;
         ++at) {
        if (alive(m_order[size_t(at)]))
            return m_order[size_t(at)];
    }
    return std::nullopt;
}

Value TableImage::cellValue(const RowCells::Cell& cell) const {
    const quint64 bits = valueBits(cell.column, cell.bits, cell.kind);
    switch (cell.kind & kKindMask) {
    case IntegerCell:
        return qint64(bits);
    case FloatCell:
        return std::bit_cast<double>(bits);
    case TextCell:
        return m_texts[bits];
    default:
        return Value();
    }
}

RowSlot TableImage::insertRow(std::vector<Value> values, std::optional<qint64> givenRowid) {
    values.resize(m_columns.size());
    if (givenRowid && m_autoInc >= 0)
        values[size_t(m_autoInc)] = *givenRowid;
    Store& store = Store::instance();
    refuseIfReadOnly();
    store.willWrite(m_connection);
    // A key given with the row is written as it is (a taken key fails in SQLite); otherwise the
    // table assigns the next one.
    const bool withKey =
        (m_autoInc >= 0 && !IsNull(values[size_t(m_autoInc)])) || givenRowid.has_value();
    Statement& st = insertStatement(withKey);
    if (withKey && m_autoInc < 0) {
        sqlite3_bind_int64(st.get(), 1, *givenRowid);
        int param = 2;
        for (size_t i = 0; i < m_columns.size(); ++i)
            bindValue(st, param++, values[i], m_columns[i].type);
    } else {
        bindRow(st, values, withKey);
    }
    try {
        RunWrite(st, m_path);
    } catch (const StoreError&) {
        // SQLite reports a table without a free ID as a full disk; say what ran out instead.
        if (!withKey && m_autoInc >= 0 && idsUsedUp())
            throw StoreError(LangText(QStringLiteral("idsexhausted"),
                                      QStringLiteral("The table %1 has used up its record "
                                                     "numbers: nothing was stored."))
                                 .arg(QDir::toNativeSeparators(m_path)));
        throw;
    }
    const qint64 rowid = sqlite3_last_insert_rowid(m_connection->db());
    if (m_autoInc >= 0)
        values[size_t(m_autoInc)] = rowid;
    const RowSlot row = newSlot(rowid);
    for (int i = 0; i < int(values.size()); ++i)
        setCell(row, i, values[size_t(i)]);
    // Rows stay in rowid order; only a row with a given key can land before the end.
    m_order.insert(m_order.begin() + placeOfRowid(m_order, rowid), row);
    // Undone, the new row is dead.
    if (store.inTransaction())
        store.remember(shared_from_this(), row, RowCells{{}, false});
    return row;
}

void TableImage::update(RowSlot row, std::vector<Value> values) {
    if (!alive(row))
        throw StoreError(LangText(QStringLiteral("rowdeleted"),
                                  QStringLiteral("The row was deleted in the meantime (%1)."))
                             .arg(m_path));
    values.resize(m_columns.size());
    if (m_autoInc >= 0)
        values[size_t(m_autoInc)] = value(row, m_autoInc);
    // Only the fields that changed are written: a pass that rewrites one field of every row
    // (the amounts in the main currency) then costs one small update per row.
    std::vector<int> changed;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (!cellEquals(row, int(i), values[i]))
            changed.push_back(int(i));
    }
    if (changed.empty())
        return;
    Store& store = Store::instance();
    refuseIfReadOnly();
    store.willWrite(m_connection);
    Statement& st = updateStatement(changed);
    int param = 1;
    for (int c : changed)
        bindValue(st, param++, values[size_t(c)], m_columns[size_t(c)].type);
    sqlite3_bind_int64(st.get(), param, rowid(row));
    RunWrite(st, m_path);
    if (sqlite3_changes(m_connection->db()) != 1) {
        store.writeFailed();
        throw StoreError(LangText(QStringLiteral("rowgone"),
                                  QStringLiteral("The row is no longer in the table file %1."))
                             .arg(m_path));
    }
    if (store.inTransaction()) {
        RowCells before;
        before.cells.reserve(changed.size());
        for (int c : changed)
            before.cells.push_back(savedCell(row, c));
        store.remember(shared_from_this(), row, std::move(before));
    }
    for (int c : changed)
        setCell(row, c, values[size_t(c)]);
}

RowCells::Cell TableImage::savedCell(RowSlot row, int column) const {
    return {stored(row, column), quint16(column), storedKind(row, column)};
}

void TableImage::putCell(RowSlot row, const RowCells::Cell& cell) {
    store(row, cell.column, cell.bits, cell.kind);
}

std::vector<RowSlot> TableImage::setColumn(std::span<const RowSlot> rows, int column,
                                           std::span<const Value> values) {
    const bool one = values.size() == 1;
    if (column < 0 || size_t(column) >= m_columns.size() || column == m_autoInc ||
        (!one && values.size() != rows.size()))
        throw StoreError(
            QStringLiteral("The values do not fit the rows written to %1.").arg(m_path));
    for (const RowSlot row : rows) {
        if (!alive(row))
            throw StoreError(LangText(QStringLiteral("rowdeleted"),
                                      QStringLiteral("The row was deleted in the meantime (%1)."))
                                 .arg(m_path));
    }
    std::vector<RowSlot> written;
    if (rows.empty())
        return written;
    refuseIfReadOnly();
    // One transaction for all the rows: SQLite writes them to the file once, and a failure half
    // way dooms the running command, so that no half of the change is kept.
    Transaction transaction;
    Store& store = Store::instance();
    store.willWrite(m_connection);
    const FieldType type = m_columns[size_t(column)].type;
    sqlite3* db = m_connection->db();
    const std::shared_ptr<TableImage> self = shared_from_this();
    // Logs a written row and puts its value into the image.
    const auto show = [&](RowSlot row, const Value& value) {
        store.remember(self, row, RowCells{{savedCell(row, column)}, true});
        setCell(row, column, value);
        written.push_back(row);
    };
    if (one) {
        // One value: one statement over the rowids of every row to write, whose effect SQLite
        // takes back whole when it fails. A text written to many rows is kept once in the
        // image: the cell of the first row written is copied.
        std::vector<RowSlot> changing;
        QByteArray rowids = "[";
        for (const RowSlot row : rows) {
            if (cellEquals(row, column, values[0]))
                continue;
            if (!changing.empty())
                rowids += ',';
            rowids += QByteArray::number(rowid(row));
            changing.push_back(row);
        }
        rowids += ']';
        if (changing.empty()) {
            transaction.commit();
            return written;
        }
        Statement st(db, QStringLiteral("UPDATE %1.%2 SET %3=? WHERE rowid IN "
                                        "(SELECT value FROM json_each(?))")
                             .arg(QuoteIdent(m_alias), QuoteIdent(m_table),
                                  QuoteIdent(m_columns[size_t(column)].name)));
        bindValue(st, 1, values[0], type);
        sqlite3_bind_text(st.get(), 2, rowids.constData(), int(rowids.size()), SQLITE_STATIC);
        RunWrite(st, m_path);
        if (sqlite3_changes(db) != int(changing.size())) {
            store.writeFailed();
            throw StoreError(LangText(QStringLiteral("rowgone"),
                                      QStringLiteral("The row is no longer in the table file %1."))
                                 .arg(m_path));
        }
        show(changing.front(), values[0]);
        const RowCells::Cell shared = savedCell(changing.front(), column);
        written.reserve(changing.size());
        for (size_t i = 1; i < changing.size(); ++i) {
            store.remember(self, changing[i], RowCells{{savedCell(changing[i], column)}, true});
            putCell(changing[i], shared);
            written.push_back(changing[i]);
        }
    } else {
        // A value each: one prepared statement stepped for each row.
        Statement& st = updateStatement({column});
        for (size_t i = 0; i < rows.size(); ++i) {
            if (cellEquals(rows[i], column, values[i]))
                continue;
            bindValue(st, 1, values[i], type);
            sqlite3_bind_int64(st.get(), 2, rowid(rows[i]));
            RunWrite(st, m_path);
            if (sqlite3_changes(db) != 1) {
                store.writeFailed();
                throw StoreError(
                    LangText(QStringLiteral("rowgone"),
                             QStringLiteral("The row is no longer in the table file %1."))
                        .arg(m_path));
            }
            show(rows[i], values[i]);
        }
    }
    transaction.commit();
    return written;
}

void TableImage::remove(RowSlot row) {
    if (!alive(row))
        throw StoreError(LangText(QStringLiteral("rowdeleted"),
                                  QStringLiteral("The row was deleted in the meantime (%1)."))
                             .arg(m_path));
    Store& store = Store::instance();
    refuseIfReadOnly();
    store.willWrite(m_connection);
    Statement& st = deleteStatement();
    sqlite3_bind_int64(st.get(), 1, rowid(row));
    RunWrite(st, m_path);
    // A deleted row keeps its cells: undone, it is only alive again.
    if (store.inTransaction())
        store.remember(shared_from_this(), row, RowCells{{}, true});
    m_alive[row] = 0;
    ++m_dead;
}

void TableImage::restore(RowSlot row, const RowCells& before) {
    if (alive(row) && !before.alive)
        ++m_dead;
    else if (!alive(row) && before.alive)
        --m_dead;
    m_alive[row] = before.alive ? 1 : 0;
    for (const RowCells::Cell& cell : before.cells)
        putCell(row, cell);
}

void TableImage::compact() {
    if (m_dead == 0 || Store::instance().inTransaction())
        return;
    std::erase_if(m_order, [this](RowSlot r) { return !alive(r); });
    m_dead = 0;
}

std::shared_ptr<const CompiledFilter> TableImage::filter(const QString& text) {
    auto it = m_filters.constFind(text);
    if (it != m_filters.constEnd())
        return it.value();
    auto compiled = CompiledFilter::compile(text, m_columns);
    if (m_filters.size() > 256)
        m_filters.clear();
    m_filters.insert(text, compiled);
    return compiled;
}

} // namespace zovi
