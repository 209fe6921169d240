#include "store/image.h"

#include "core/locale.h"
#include "store/error.h"
#include "store/filter.h"
#include "store/sqlite.h"
#include "store/store.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <sys/mman.h>

namespace zovi {

namespace {

QString ColumnText(sqlite3_stmt* st, int col) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    return QString::fromUtf8(text, sqlite3_column_bytes(st, col));
}

// A stored date "yyyy-MM-dd" read without the cost of a general parser.
qint64 ParseStoredDate(const char* s, int n, bool* ok) {
    *ok = false;
    if (n != 10 || s[4] != '-' || s[7] != '-')
        return 0;
    auto digits = [&](int from, int count) {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return -1;
            v = v * 10 + (s[i] - '0');
        }
        return v;
    };
    const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
    const QDate date(y, m, d);
    if (y < 0 || m < 0 || d < 0 || !date.isValid())
        return 0;
    *ok = true;
    return date.toJulianDay();
}

// While a file is read, every text is looked up by its stored bytes, so that a text that
// repeats (accounts, kinds, groups, currencies, the names of regular entries) becomes one string
// of the pool however many rows hold it, and is converted from UTF-8 once. The index is dropped
// when the file has been read; texts written later are added to the pool as they come.
class TextIndex {
public:
    // The number of the text in pool, adding it when it is new.
    quint32 take(const char* utf8, int size, std::vector<QString>& pool) {
        const quint64 hash = Hash(utf8, size);
        const auto tag = quint32(hash >> 32);
        if (m_count * 2 >= m_slots.size())
            grow();
        const size_t mask = m_slots.size() - 1;
        for (size_t at = size_t(hash) & mask;; at = (at + 1) & mask) {
            const quint64 slot = m_slots[at];
            if (slot == 0) {
                const auto number = quint32(pool.size());
                pool.push_back(QString::fromUtf8(utf8, size));
                const auto entry = quint32(m_numbers.size());
                m_numbers.push_back(number);
                m_bytes.append(utf8, size_t(size));
                m_ends.push_back(quint32(m_bytes.size()));
                m_slots[at] = (quint64(tag) << 32) | (entry + 1);
                ++m_count;
                return number;
            }
            if (quint32(slot >> 32) == tag) {
                const quint32 entry = quint32(slot) - 1;
                const quint32 begin = entry == 0 ? 0 : m_ends[entry - 1];
                if (m_ends[entry] - begin == quint32(size) &&
                    std::memcmp(m_bytes.data() + begin, utf8, size_t(size)) == 0)
                    return m_numbers[entry];
            }
        }
    }

private:
    // FNV-1a: the texts are short, and a simple hash of their bytes is the quickest.
    static quint64 Hash(const char* s, int n) {
        quint64 h = 1469598103934665603ull;
        for (int i = 0; i < n; ++i)
            h = (h ^ uchar(s[i])) * 1099511628211ull;
        return h ^ (h >> 29);
    }

    void grow() {
        std::vector<quint64> old(std::max<size_t>(m_slots.size() * 2, 64), 0);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const quint64 slot : old) {
            if (slot == 0)
                continue;
            const quint32 entry = quint32(slot) - 1;
            const quint32 begin = entry == 0 ? 0 : m_ends[entry - 1];
            const quint64 hash = Hash(m_bytes.data() + begin, int(m_ends[entry] - begin));
            size_t at = size_t(hash) & mask;
            while (m_slots[at] != 0)
                at = (at + 1) & mask;
            m_slots[at] = slot;
        }
    }

    std::vector<quint64> m_slots;   // the hash's upper half and the entry + 1; 0 when free
    std::vector<quint32> m_numbers; // the pool number of each entry
    std::string m_bytes;            // the entries' bytes one after another
    std::vector<quint32> m_ends;    // where each entry's bytes end
    size_t m_count = 0;
};

quint64 DoubleBits(double d) {
    quint64 bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

double BitsDouble(quint64 bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

} // namespace

TableImage::TableImage(QString path, std::shared_ptr<Connection> connection, QString alias,
                       const Progress& progress)
    : m_path(std::move(path)), m_connection(std::move(connection)), m_alias(std::move(alias)) {
    load(progress);
}

TableImage::~TableImage() = default;

int TableImage::columnIndex(const QString& name) const {
    const auto exact = m_columnByExact.constFind(name);
    if (exact != m_columnByExact.constEnd())
        return exact.value();
    return m_columnByName.value(name.toLower(), -1);
}

void TableImage::load(const Progress& readProgress) {
    sqlite3* db = m_connection->db();
    const TableSchema* schema = SchemaForPath(m_path);
    const QString alias = QuoteIdent(m_alias);

    QStringList tables;
    {
        Statement st(db, QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type='table' "
                                        "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'")
                             .arg(alias));
        try {
            while (st.step())
                tables << ColumnText(st.get(), 0);
        } catch (const StoreError& e) {
            throw StoreError(
                QStringLiteral("Cannot read the table file %1: %2").arg(m_path, e.message()));
        }
    }
    for (const QString& t : tables) {
        if (schema && t.compare(schema->tableName, Qt::CaseInsensitive) == 0)
            m_table = t;
    }
    if (m_table.isEmpty() && tables.size() == 1)
        m_table = tables.first();
    if (m_table.isEmpty())
        throw StoreError(QStringLiteral("The file %1 holds no table of this program.").arg(m_path));

    {
        Statement info(db,
                       QStringLiteral("PRAGMA %1.table_info(%2)").arg(alias, QuoteIdent(m_table)));
        int pkCount = 0;
        int pkColumn = -1;
        QString pkType;
        while (info.step()) {
            Column c;
            c.name = ColumnText(info.get(), 1);
            const QString declared = ColumnText(info.get(), 2);
            const int field = schema ? schema->fieldIndex(c.name) : -1;
            c.type = field >= 0 ? schema->fields[field].type : FieldTypeOfDeclaration(declared);
            if (c.type == FieldType::AutoInc)
                c.type = FieldType::Integer; // made AutoInc below only when the file agrees
            if (sqlite3_column_int(info.get(), 5) > 0) {
                ++pkCount;
                pkColumn = int(m_columns.size());
                pkType = declared;
            }
            m_columnByName.insert(c.name.toLower(), int(m_columns.size()));
            m_columnByExact.insert(c.name, int(m_columns.size()));
            m_columns.push_back(c);
        }
        if (pkCount == 1 && pkType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0) {
            m_autoInc = pkColumn;
            m_columns[size_t(pkColumn)].type = FieldType::AutoInc;
        }
    }

    if (schema)
        checkColumns(*schema);
    // A file SQLite could open for reading only, or in a folder where no journal can be made,
    // takes no writes: they are refused before SQLite is asked.
    m_readOnly = sqlite3_db_readonly(db, m_alias.toUtf8().constData()) == 1 ||
                 !QFileInfo(QFileInfo(m_path).absolutePath()).isWritable();

    const QString target = alias + QLatin1Char('.') + QuoteIdent(m_table);
    // The greatest rowid tells how many rows to expect (exactly so for a table without gaps,
    // more when rows were deleted): the lists are made about that long at once, and progress is
    // the rowid reached.
    qint64 maxRowid = 0;
    {
        Statement st(db, QStringLiteral("SELECT max(rowid) FROM %1").arg(target));
        if (st.step())
            maxRowid = sqlite3_column_int64(st.get(), 0);
    }
    const Progress progress = maxRowid >= kProgressRows ? readProgress : Progress();
    const auto expected = size_t(std::clamp<qint64>(maxRowid, 0, kReserveRows));
    m_expectedRows = expected;
    m_rowids.reserve(expected);
    m_alive.reserve(expected);
    m_order.reserve(expected);

    QStringList names;
    for (const Column& c : m_columns)
        names << QuoteIdent(c.name);
    Statement select(db, QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid")
                             .arg(names.join(QLatin1Char(',')), target));
    sqlite3_stmt* st = select.get();
    const int n = int(m_columns.size());
    // One index per column: the columns of few texts (accounts, kinds, currencies) keep theirs
    // small enough to stay in the processor's cache.
    std::vector<TextIndex> indexes(static_cast<size_t>(n));
    qint64 reported = 0;
    const qint64 step = std::max<qint64>(maxRowid / 50, 4096);
    try {
        while (select.step()) {
            const qint64 rowid = sqlite3_column_int64(st, 0);
            const RowSlot row = newSlot(rowid);
            Block& block = m_blocks[row >> kBlockBits];
            const size_t at = cellIndex(row, 0);
            quint64* bits = block.bits + at;
            quint8* kinds = block.kinds + at;
            for (int i = 0; i < n; ++i) {
                const int col = i + 1;
                const Column& column = m_columns[size_t(i)];
                bits[i] = 0; // a new block's cells are null
                if (column.type == FieldType::Text) {
                    // Most cells are texts: their value is asked for at once, which gives no
                    // text for a null.
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
                    if (!text) {
                        if (sqlite3_column_type(st, col) != SQLITE_NULL)
                            throw StoreError(QStringLiteral("out of memory."));
                        continue;
                    }
                    kinds[i] = TextCell;
                    bits[i] = indexes[size_t(i)].take(text, sqlite3_column_bytes(st, col), m_texts);
                    continue;
                }
                const int stored = sqlite3_column_type(st, col);
                if (stored == SQLITE_NULL)
                    continue;
                switch (column.type) {
                case FieldType::Text:
                    break;
                case FieldType::Float:
                    if (stored == SQLITE_TEXT) {
                        bool ok = false;
                        const double d = ColumnText(st, col).toDouble(&ok);
                        if (ok) {
                            kinds[i] = FloatCell;
                            bits[i] = DoubleBits(d);
                        }
                    } else {
                        kinds[i] = FloatCell;
                        bits[i] = DoubleBits(sqlite3_column_double(st, col));
                    }
                    break;
                case FieldType::Integer:
                case FieldType::Boolean:
                case FieldType::AutoInc:
                    if (stored == SQLITE_FLOAT) {
                        // Another program may have written any float here; one that no integer
                        // holds is refused rather than turned into an arbitrary number.
                        const double d = sqlite3_column_double(st, col);
                        if (!(std::fabs(d) < 9.2e18))
                            throw StoreError(
                                QStringLiteral("the field %1 holds %2, which is not an integer.")
                                    .arg(column.name, QString::number(d)));
                        bits[i] = quint64(qint64(d));
                    } else {
                        bits[i] = quint64(sqlite3_column_int64(st, col));
                    }
                    kinds[i] = IntegerCell;
                    break;
                case FieldType::Date: {
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
                    bool ok = false;
                    qint64 day = ParseStoredDate(text, sqlite3_column_bytes(st, col), &ok);
                    if (!ok) {
                        const QDate d = AppLocale::parseDate(ColumnText(st, col));
                        ok = d.isValid();
                        day = d.toJulianDay();
                    }
                    if (ok) {
                        kinds[i] = IntegerCell;
                        bits[i] = quint64(day);
                    }
                    break;
                }
                }
            }
            m_order.push_back(row);
            if (progress && rowid - reported >= step) {
                reported = rowid;
                progress(std::min(rowid, maxRowid), maxRowid);
            }
        }
    } catch (const StoreError& e) {
        throw StoreError(
            QStringLiteral("Cannot read the table file %1: %2").arg(m_path, e.message()));
    }
    m_expectedRows = 0;
    if (progress)
        progress(maxRowid, maxRowid);
}

void TableImage::FreeMemory::operator()(void* p) const {
    std::free(p);
}

void TableImage::addBlocks(size_t count) {
    const size_t cells = (size_t(1) << kBlockBits) * m_columns.size();
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
    auto* bits = static_cast<quint64*>(allocate(count * cells * sizeof(quint64)));
    auto* kinds = static_cast<quint8*>(allocate(count * cells));
    std::memset(kinds, 0, count * cells);
    for (size_t b = 0; b < count; ++b)
        m_blocks.push_back(Block{bits + b * cells, kinds + b * cells});
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

double TableImage::number(RowSlot row, int column) const {
    const quint64 b = bits(row, column);
    return kind(row, column) == FloatCell ? BitsDouble(b) : double(qint64(b));
}

Value TableImage::value(RowSlot row, int column) const {
    switch (kind(row, column)) {
    case IntegerCell:
        return qint64(bits(row, column));
    case FloatCell:
        return BitsDouble(bits(row, column));
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
    m_texts.push_back(text);
    return quint32(m_texts.size() - 1);
}

void TableImage::setCell(RowSlot row, int column, const Value& value) {
    Block& block = m_blocks[row >> kBlockBits];
    const size_t at = cellIndex(row, column);
    if (const auto* i = std::get_if<qint64>(&value)) {
        block.kinds[at] = IntegerCell;
        block.bits[at] = quint64(*i);
    } else if (const auto* d = std::get_if<double>(&value)) {
        block.kinds[at] = FloatCell;
        block.bits[at] = DoubleBits(*d);
    } else if (const auto* t = std::get_if<QString>(&value)) {
        // A text the cell already holds keeps its number, so that a pass rewriting other
        // fields adds nothing to the pool.
        if (!(block.kinds[at] == TextCell && m_texts[block.bits[at]] == *t))
            block.bits[at] = addText(*t);
        block.kinds[at] = TextCell;
    } else {
        block.kinds[at] = NullCell;
        block.bits[at] = 0;
    }
}

bool TableImage::cellEquals(RowSlot row, int column, const Value& value) const {
    const CellKind k = kind(row, column);
    const quint64 b = k == NullCell ? 0 : bits(row, column);
    switch (k) {
    case NullCell:
        return IsNull(value);
    case IntegerCell: {
        const auto* i = std::get_if<qint64>(&value);
        return i && *i == qint64(b);
    }
    case FloatCell: {
        const auto* d = std::get_if<double>(&value);
        return d && *d == BitsDouble(b);
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

void TableImage::checkColumns(const TableSchema& schema) const {
    // A file of ours must hold every field the program reads, and its key where the program
    // relies on one; a file that does not fit is refused when it is opened, never found out later
    // by the command that reads the missing field.
    for (const FieldDef& field : schema.fields) {
        const int column = columnIndex(field.name);
        if (column < 0)
            throw StoreError(
                QStringLiteral("The table file %1 does not fit: it has no field \"%2\".")
                    .arg(m_path, field.name));
        if (field.type == FieldType::AutoInc && column != m_autoInc)
            throw StoreError(
                QStringLiteral("The table file %1 does not fit: its field \"%2\" is not "
                               "an INTEGER PRIMARY KEY.")
                    .arg(m_path, field.name));
    }
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
    std::unique_ptr<Statement>& slot = withKey ? m_insertKeyed : m_insert;
    if (!slot) {
        QStringList names, marks;
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
        throw StoreError(
            QStringLiteral("Cannot write to the table file %1: %2").arg(path, e.message()));
    }
    st.reset();
}

} // namespace

RowSlot TableImage::insert(std::vector<Value> values) {
    values.resize(m_columns.size());
    Store& store = Store::instance();
    refuseIfReadOnly();
    store.willWrite(m_connection);
    // A key given with the row is written as it is (a taken key fails in SQLite); otherwise the
    // table assigns the next one.
    const bool withKey = m_autoInc >= 0 && !IsNull(values[size_t(m_autoInc)]);
    Statement& st = insertStatement(withKey);
    bindRow(st, values, withKey);
    RunWrite(st, m_path);
    const qint64 rowid = sqlite3_last_insert_rowid(m_connection->db());
    if (m_autoInc >= 0)
        values[size_t(m_autoInc)] = rowid;
    const RowSlot row = newSlot(rowid);
    for (int i = 0; i < int(values.size()); ++i)
        setCell(row, i, values[size_t(i)]);
    if (!m_order.empty() && m_rowids[m_order.back()] > rowid) {
        // Rows stay in rowid order; only a row with a given key can land before the end.
        const auto at = std::upper_bound(m_order.begin(), m_order.end(), rowid,
                                         [this](qint64 id, RowSlot r) { return id < m_rowids[r]; });
        m_order.insert(at, row);
    } else {
        m_order.push_back(row);
    }
    // Undone, the new row is dead.
    if (store.inTransaction())
        store.remember(shared_from_this(), row, RowCells{{}, false});
    return row;
}

void TableImage::update(RowSlot row, std::vector<Value> values) {
    if (!alive(row))
        throw StoreError(QStringLiteral("The row was deleted in the meantime (%1).").arg(m_path));
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
        throw StoreError(QStringLiteral("The row is no longer in the table file %1.").arg(m_path));
    }
    if (store.inTransaction()) {
        RowCells before;
        before.cells.reserve(changed.size());
        const Block& block = m_blocks[row >> kBlockBits];
        for (int c : changed) {
            const size_t at = cellIndex(row, c);
            before.cells.push_back({block.bits[at], quint16(c), block.kinds[at]});
        }
        store.remember(shared_from_this(), row, std::move(before));
    }
    for (int c : changed)
        setCell(row, c, values[size_t(c)]);
}

void TableImage::remove(RowSlot row) {
    if (!alive(row))
        throw StoreError(QStringLiteral("The row was deleted in the meantime (%1).").arg(m_path));
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
    Block& block = m_blocks[row >> kBlockBits];
    for (const RowCells::Cell& cell : before.cells) {
        const size_t at = cellIndex(row, cell.column);
        block.bits[at] = cell.bits;
        block.kinds[at] = cell.kind;
    }
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
