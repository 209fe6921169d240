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
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <unordered_map>

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

// Texts of a column that repeat (accounts, kinds, groups, currencies) are read into one shared
// string each: a large ledger then holds a few hundred texts instead of a million copies, and
// the filters compare texts that stay in the cache. A column whose texts are mostly different
// (names) stops being pooled once it has shown too many distinct texts.
class TextPool {
public:
    QString take(const char* utf8, int size) {
        if (!m_enabled)
            return QString::fromUtf8(utf8, size);
        const std::string_view key(utf8, size_t(size));
        const auto it = m_texts.find(key);
        if (it != m_texts.end())
            return it->second;
        QString text = QString::fromUtf8(utf8, size);
        if (m_texts.size() >= kMaxTexts) {
            m_enabled = false;
            m_texts.clear();
        } else {
            m_texts.emplace(std::string(key), text);
        }
        return text;
    }

private:
    static constexpr size_t kMaxTexts = 2048;
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    std::unordered_map<std::string, QString, Hash, std::equal_to<>> m_texts;
    bool m_enabled = true;
};

Value ReadValue(sqlite3_stmt* st, int col, const Column& column, TextPool& pool) {
    const int stored = sqlite3_column_type(st, col);
    if (stored == SQLITE_NULL)
        return Value();
    switch (column.type) {
    case FieldType::Text:
        return pool.take(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                         sqlite3_column_bytes(st, col));
    case FieldType::Float:
        if (stored == SQLITE_TEXT) {
            bool ok = false;
            const double d = ColumnText(st, col).toDouble(&ok);
            return ok ? Value(d) : Value();
        }
        return sqlite3_column_double(st, col);
    case FieldType::Integer:
    case FieldType::Boolean:
    case FieldType::AutoInc:
        if (stored == SQLITE_FLOAT) {
            // Another program may have written any float here; one that no integer holds is
            // refused rather than turned into an arbitrary number.
            const double d = sqlite3_column_double(st, col);
            if (!(std::fabs(d) < 9.2e18))
                throw StoreError(QStringLiteral("the field %1 holds %2, which is not an integer.")
                                     .arg(column.name, QString::number(d)));
            return qint64(d);
        }
        return qint64(sqlite3_column_int64(st, col));
    case FieldType::Date: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        bool ok = false;
        const qint64 day = ParseStoredDate(text, sqlite3_column_bytes(st, col), &ok);
        if (ok)
            return day;
        const QDate d = AppLocale::parseDate(ColumnText(st, col));
        return d.isValid() ? Value(d.toJulianDay()) : Value();
    }
    }
    return Value();
}

} // namespace

TableImage::TableImage(QString path, std::shared_ptr<Connection> connection, QString alias)
    : m_path(std::move(path)), m_connection(std::move(connection)), m_alias(std::move(alias)) {
    load();
}

TableImage::~TableImage() = default;

int TableImage::columnIndex(const QString& name) const {
    const auto exact = m_columnByExact.constFind(name);
    if (exact != m_columnByExact.constEnd())
        return exact.value();
    return m_columnByName.value(name.toLower(), -1);
}

void TableImage::load() {
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

    QStringList names;
    for (const Column& c : m_columns)
        names << QuoteIdent(c.name);
    Statement select(db, QStringLiteral("SELECT rowid, %1 FROM %2.%3 ORDER BY rowid")
                             .arg(names.join(QLatin1Char(',')), alias, QuoteIdent(m_table)));
    const int n = int(m_columns.size());
    std::vector<TextPool> pools(static_cast<size_t>(n));
    try {
        while (select.step()) {
            auto row = std::make_shared<Row>();
            row->rowid = sqlite3_column_int64(select.get(), 0);
            row->values.reserve(size_t(n));
            for (int i = 0; i < n; ++i)
                row->values.push_back(
                    ReadValue(select.get(), i + 1, m_columns[size_t(i)], pools[size_t(i)]));
            m_rows.push_back(std::move(row));
        }
    } catch (const StoreError& e) {
        throw StoreError(
            QStringLiteral("Cannot read the table file %1: %2").arg(m_path, e.message()));
    }
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

std::shared_ptr<Row> TableImage::insert(std::vector<Value> values) {
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
    auto row = std::make_shared<Row>();
    row->rowid = sqlite3_last_insert_rowid(m_connection->db());
    if (m_autoInc >= 0)
        values[size_t(m_autoInc)] = row->rowid;
    row->values = std::move(values);
    if (!m_rows.empty() && m_rows.back()->rowid > row->rowid) {
        // Rows stay in rowid order; only a row with a given key can land before the end.
        const auto at = std::upper_bound(
            m_rows.begin(), m_rows.end(), row->rowid,
            [](qint64 rowid, const std::shared_ptr<Row>& r) { return rowid < r->rowid; });
        m_rows.insert(at, row);
    } else {
        m_rows.push_back(row);
    }
    store.remember(shared_from_this(), row, false);
    return row;
}

void TableImage::update(const std::shared_ptr<Row>& row, std::vector<Value> values) {
    if (!row->alive)
        throw StoreError(QStringLiteral("The row was deleted in the meantime (%1).").arg(m_path));
    values.resize(m_columns.size());
    if (m_autoInc >= 0)
        values[size_t(m_autoInc)] = row->values[size_t(m_autoInc)];
    // Only the fields that changed are written: a pass that rewrites one field of every row
    // (the amounts in the main currency) then costs one small update per row.
    std::vector<int> changed;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (values[i] != row->values[i])
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
    sqlite3_bind_int64(st.get(), param, row->rowid);
    RunWrite(st, m_path);
    if (sqlite3_changes(m_connection->db()) != 1) {
        store.writeFailed();
        throw StoreError(QStringLiteral("The row is no longer in the table file %1.").arg(m_path));
    }
    store.remember(shared_from_this(), row, true);
    row->values = std::move(values);
}

void TableImage::remove(const std::shared_ptr<Row>& row) {
    if (!row->alive)
        throw StoreError(QStringLiteral("The row was deleted in the meantime (%1).").arg(m_path));
    Store& store = Store::instance();
    refuseIfReadOnly();
    store.willWrite(m_connection);
    Statement& st = deleteStatement();
    sqlite3_bind_int64(st.get(), 1, row->rowid);
    RunWrite(st, m_path);
    store.remember(shared_from_this(), row, true);
    row->alive = false;
    ++m_dead;
}

void TableImage::restore(const std::shared_ptr<Row>& row, std::vector<Value> values, bool alive) {
    if (row->alive && !alive)
        ++m_dead;
    else if (!row->alive && alive)
        --m_dead;
    row->alive = alive;
    row->values = std::move(values);
}

void TableImage::compact() {
    if (m_dead == 0 || Store::instance().inTransaction())
        return;
    std::erase_if(m_rows, [](const std::shared_ptr<Row>& r) { return !r->alive; });
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
