#include "store/oldtable.h"

#include "core/lang.h"
#include "store/error.h"
#include "store/sqlite.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace zovi {

namespace {

QString Text(sqlite3_stmt* st, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)),
                             sqlite3_column_bytes(st, column));
}

// The read-only connection on one file, closed when it goes.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path) {
        const int rc =
            sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr);
        if (rc != SQLITE_OK) {
            const QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                     : QString::fromUtf8(sqlite3_errstr(rc));
            throw StoreError(CannotReadMessage(path, why));
        }
        sqlite3_busy_timeout(m_db, 2000);
    }
    ~ReadOnlyFile() { sqlite3_close(m_db); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    sqlite3* db() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

} // namespace

int OldTable::fieldIndex(const QString& name) const {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

Value OldTable::valueFor(size_t row, int column, FieldType target) const {
    if (column < 0)
        return Value();
    const Field& field = fields[size_t(column)];
    const Value& v = rows[row][size_t(column)];
    return ValueForType(v, field.type, target, field.name);
}

bool IsSqliteFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray magic("SQLite format 3\0", 16);
    return file.read(magic.size()) == magic;
}

OldTable ReadSqliteTable(const QString& path, const ReadProgress& progress) {
    OldTable table;
    table.path = path;
    const ReadOnlyFile file(path);
    sqlite3* db = file.db();
    try {
        QStringList names;
        {
            Statement st(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' "
                                            "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
            while (st.step())
                names << Text(st.get(), 0);
        }
        const QString base = QFileInfo(path).completeBaseName();
        QString name;
        for (const QString& n : std::as_const(names)) {
            if (n.compare(base, Qt::CaseInsensitive) == 0)
                name = n;
        }
        if (name.isEmpty() && names.size() == 1)
            name = names.first();
        if (name.isEmpty())
            throw StoreError(LangText(QStringLiteral("oldnotatable"),
                                      QStringLiteral("the file holds no table of this program")));

        {
            Statement info(db, QStringLiteral("PRAGMA table_info(%1)").arg(QuoteIdent(name)));
            while (info.step()) {
                OldTable::Field f;
                f.name = Text(info.get(), 1);
                f.type = FieldTypeOfDeclaration(Text(info.get(), 2));
                table.fields.push_back(f);
            }
        }
        qint64 total = 0;
        {
            Statement count(db, QStringLiteral("SELECT count(*) FROM %1").arg(QuoteIdent(name)));
            if (count.step())
                total = sqlite3_column_int64(count.get(), 0);
        }
        table.rows.reserve(size_t(total));
        Statement st(db, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(QuoteIdent(name)));
        const int columns = int(table.fields.size());
        while (st.step()) {
            std::vector<Value> row(static_cast<size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(st.get(), c)) {
                case SQLITE_INTEGER:
                    row[size_t(c)] = qint64(sqlite3_column_int64(st.get(), c));
                    break;
                case SQLITE_FLOAT:
                    row[size_t(c)] = sqlite3_column_double(st.get(), c);
                    break;
                case SQLITE_NULL:
                    break;
                default: {
                    QString text = Text(st.get(), c);
                    // Bytes that are not UTF-8 would come out as replacement characters: such
                    // a text is reported, never brought over changed.
                    if (text.contains(QChar::ReplacementCharacter) &&
                        !QByteArrayView(static_cast<const char*>(sqlite3_column_blob(st.get(), c)),
                                        sqlite3_column_bytes(st.get(), c))
                             .isValidUtf8())
                        throw StoreError(LangText(QStringLiteral("oldunreadabletext"),
                                                  QStringLiteral("the text of the field %1 in "
                                                                 "row %2 is not readable text."))
                                             .arg(table.fields[size_t(c)].name)
                                             .arg(table.rows.size() + 1));
                    row[size_t(c)] = std::move(text);
                }
                }
            }
            table.rows.push_back(std::move(row));
            if (progress && table.rows.size() % 4096 == 0)
                progress(qint64(table.rows.size()), total);
        }
    } catch (const StoreError& e) {
        throw StoreError(CannotReadMessage(path, e.message()));
    }
    if (progress)
        progress(qint64(table.rows.size()), qint64(table.rows.size()));
    return table;
}

} // namespace zovi
