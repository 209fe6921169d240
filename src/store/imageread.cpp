// Reading a table file into its image: the file's table and columns, and every row, its texts
// pooled as they are read.
#include "store/image.h"

#include "core/lang.h"
#include "core/locale.h"
#include "store/error.h"
#include "store/sqlite.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <sqlite3.h>
#include <string>

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

// While a file is read, the texts of a field are looked up by their stored bytes, so that a
// text that repeats (accounts, kinds, groups, currencies, the names of regular entries) becomes
// one string of the pool however many rows hold it, and is converted from UTF-8 once. A field
// whose texts turn out mostly distinct (free-text notes) stops being looked up: its texts go
// straight to the pool, and the index's memory is given back. The index is dropped when the file
// has been read; texts written later are added to the pool as they come.
class TextIndex {
public:
    // Texts taken between two looks at how many of them were new.
    static constexpr size_t kWindow = 4096;

    // The number of the text in pool, adding it when it is new (or when the field's texts are
    // no longer looked up).
    quint32 take(const char* utf8, int size, TextPool& pool) {
        if (m_off)
            return pool.addUtf8(utf8, size);
        if (++m_taken % kWindow == 0)
            judge();
        const quint64 hash = Hash(utf8, size);
        const auto tag = quint32(hash >> 32);
        if (m_count * 2 >= m_slots.size())
            grow();
        const size_t mask = m_slots.size() - 1;
        for (size_t at = size_t(hash) & mask;; at = (at + 1) & mask) {
            const quint64 slot = m_slots[at];
            if (slot == 0) {
                const quint32 number = pool.addUtf8(utf8, size);
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
    // At the end of each window: when more than three of every four texts of the window were
    // new, looking them up does not pay: it costs a hash, a copy of the bytes and the time, and
    // saves little, as a text that still repeats is then kept once per row holding it.
    void judge() {
        const size_t added = m_count - m_countAtWindow;
        m_countAtWindow = m_count;
        if (added * 4 <= kWindow * 3)
            return;
        m_off = true;
        std::vector<quint64>().swap(m_slots);
        std::vector<quint32>().swap(m_numbers);
        std::string().swap(m_bytes);
        std::vector<quint32>().swap(m_ends);
        m_count = 0;
    }

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
    size_t m_taken = 0;         // texts taken, looked up or not
    size_t m_countAtWindow = 0; // entries when the window began
    bool m_off = false;         // the texts go straight to the pool
};

} // namespace

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
            throw StoreError(CannotReadMessage(m_path, e.message()));
        }
    }
    for (const QString& t : tables) {
        if (schema && t.compare(schema->tableName, Qt::CaseInsensitive) == 0)
            m_table = t;
    }
    if (m_table.isEmpty() && tables.size() == 1)
        m_table = tables.first();
    if (m_table.isEmpty())
        throw StoreError(LangText(QStringLiteral("notatable"),
                                  QStringLiteral("The file %1 holds no table of this program."))
                             .arg(m_path));

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

    placeColumns();
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
            for (int i = 0; i < n; ++i) {
                const int col = i + 1;
                const Column& column = m_columns[size_t(i)];
                store(row, i, 0, NullCell); // what a null leaves
                if (column.type == FieldType::Text) {
                    // Most cells are texts: their value is asked for at once, which gives no
                    // text for a null.
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
                    if (!text) {
                        if (sqlite3_column_type(st, col) != SQLITE_NULL)
                            throw StoreError(LangText(QStringLiteral("outofmemory"),
                                                      QStringLiteral("out of memory.")));
                        continue;
                    }
                    store(row, i,
                          indexes[size_t(i)].take(text, sqlite3_column_bytes(st, col), m_texts),
                          TextCell);
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
                        if (ok)
                            storeNumber(row, i, std::bit_cast<quint64>(d), true);
                    } else {
                        storeNumber(row, i, std::bit_cast<quint64>(sqlite3_column_double(st, col)),
                                    true);
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
                                LangText(QStringLiteral("notaninteger"),
                                         QStringLiteral("the field %1 holds %2, which is not an "
                                                        "integer."))
                                    .arg(column.name, QString::number(d)));
                        storeNumber(row, i, quint64(qint64(d)), false);
                    } else {
                        storeNumber(row, i, quint64(sqlite3_column_int64(st, col)), false);
                    }
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
                    if (ok)
                        storeNumber(row, i, quint64(day), false);
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
        throw StoreError(CannotReadMessage(m_path, e.message()));
    }
    m_expectedRows = 0;
    if (progress)
        progress(maxRowid, maxRowid);
}

void TableImage::checkColumns(const TableSchema& schema) const {
    // A file of ours must hold every field the program reads, and its key where the program
    // relies on one; a file that does not fit is refused when it is opened, never found out later
    // by the command that reads the missing field.
    for (const FieldDef& field : schema.fields) {
        const int column = columnIndex(field.name);
        if (column < 0)
            throw StoreError(
                LangText(QStringLiteral("tablenofield"),
                         QStringLiteral("The table file %1 does not fit: it has no field \"%2\"."))
                    .arg(m_path, field.name));
        if (field.type == FieldType::AutoInc && column != m_autoInc)
            throw StoreError(
                LangText(QStringLiteral("tablenokey"),
                         QStringLiteral("The table file %1 does not fit: its field \"%2\" is "
                                        "not an INTEGER PRIMARY KEY."))
                    .arg(m_path, field.name));
    }
}

} // namespace zovi
