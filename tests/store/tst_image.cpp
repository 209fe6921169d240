// The in-memory image of a table file: what it makes of every kind of stored cell, rows kept by
// their place while views change, and the reading of large files.
#include "fixtures.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/store.h"
#include "store/tests.h"
#include "store/textpool.h"
#include "store/transaction.h"

#include <QFile>
#include <QTest>
#include <limits>

using namespace zovi;
using namespace Qt::StringLiterals;

namespace {

// The resident memory of this process in MiB.
double ResidentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1024 * 1024) : 0;
}

} // namespace

class TestImage : public zovi::test::DatabaseTest {
    Q_OBJECT

    // Writes rows into the ledger file as another program would, with the handles closed.
    void writeLedger(const QString& sql) {
        m_cd.reset();
        m_data.reset();
        zovi::test::ExecFile(tableFile("Data.db"), sql);
        openDatabase();
    }

    // The handles made anew, so that the files are read again.
    void reopen() {
        m_cd.reset();
        m_data.reset();
        openDatabase();
    }

private Q_SLOTS:
    void init() { initDatabase(); }
    void cleanup() {
        Store::instance().setReadProgress({});
        cleanupDatabase();
    }

    // Every stored form reads back as the typed getters promise, whatever wrote the file.
    void storedCellsReadBack_data() {
        QTest::addColumn<QString>("values"); // Name, Value, Date, IDsecond as SQL literals
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("nameNull");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("valueNull");
        QTest::addColumn<QDate>("date");
        QTest::newRow("plain") << "'rent', -300.5, '2005-02-28', 4"
                               << "rent" << false << -300.5 << false << QDate(2005, 2, 28);
        QTest::newRow("Cyrillic text, integer in a float field")
            << "'Продукты', 7, '2005-03-01', NULL"
            << "Продукты" << false << 7.0 << false << QDate(2005, 3, 1);
        QTest::newRow("empty text is not null") << "'', 0, NULL, NULL"
                                                << "" << false << 0.0 << false << QDate();
        QTest::newRow("null text, a text that is no number")
            << "NULL, 'abc', NULL, NULL"
            << "" << true << 0.0 << true << QDate();
        QTest::newRow("a number written as text") << "'x', '12.25', NULL, NULL"
                                                  << "x" << false << 12.25 << false << QDate();
        QTest::newRow("a date in the short format, a date that is none")
            << "'y', 1, '15.03.2005', NULL"
            << "y" << false << 1.0 << false << QDate(2005, 3, 15);
        QTest::newRow("no date") << "'z', 1, 'soon', NULL"
                                 << "z" << false << 1.0 << false << QDate();
    }

    void storedCellsReadBack() {
        QFETCH(QString, values);
        QFETCH(QString, name);
        QFETCH(bool, nameNull);
        QFETCH(double, value);
        QFETCH(bool, valueNull);
        QFETCH(QDate, date);
        // The same text before and after, so that a pooled text is shared by several rows.
        writeLedger(QStringLiteral("INSERT INTO Data (Name, Value, Date, IDsecond) VALUES "
                                   "('rent', 1, '2005-01-01', 1), (%1), ('rent', 2, NULL, 2)")
                        .arg(values));
        TableHandle& t = m_data->tbData;
        QCOMPARE(t.recordCount(), 3);
        t.setRecNo(2);
        QCOMPARE(t.field(QStringLiteral("Name")).text(), name);
        QCOMPARE(t.field(QStringLiteral("Name")).isNull(), nameNull);
        QCOMPARE(t.field(QStringLiteral("Value")).toDouble(), value);
        QCOMPARE(t.field(QStringLiteral("Value")).isNull(), valueNull);
        QCOMPARE(t.field(QStringLiteral("Date")).toDate(), date);
        t.setRecNo(3);
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("rent"));
        QCOMPARE(t.field(QStringLiteral("Date")).isNull(), true);
    }

    // Rows are kept in key order however far apart their keys are; a key far beyond the rows
    // costs no memory for the rows between.
    void keysFarApart() {
        const double before = ResidentMiB();
        writeLedger(QStringLiteral("INSERT INTO Data (ID, Name) VALUES (3000000, 'last'), "
                                   "(5, 'second'), (1, 'first')"));
        QVERIFY2(ResidentMiB() - before < 64, "the gap between the keys was given memory");
        TableHandle& t = m_data->tbData;
        QStringList names;
        for (t.first(); !t.eof(); t.next())
            names << t.field(QStringLiteral("Name")).text();
        QCOMPARE(names, (QStringList{QStringLiteral("first"), QStringLiteral("second"),
                                     QStringLiteral("last")}));
        zovi::test::Put(t, {{"Name", QStringLiteral("new")}});
        QCOMPARE(t.field(QStringLiteral("ID")).toInt(), 3000001);
    }

    // The rows taken from a view stay readable after the view moved on: an edited row shows its
    // new values, a deleted one its last, and a changed filter changes nothing taken before.
    void rowsTakenFromAView() {
        writeLedger(QStringLiteral("INSERT INTO Data (Name, Value) VALUES ('a', 1), ('b', 2), "
                                   "('c', 3)"));
        TableHandle& t = m_data->tbData;
        const ViewRows rows = t.viewRows();
        const int name = rows.fieldIndex(QStringLiteral("name"));
        const int value = rows.fieldIndex(QStringLiteral("Value"));
        {
            Transaction tr;
            t.setRecNo(1);
            t.edit();
            t.field(QStringLiteral("Name")).setText(QStringLiteral("A"));
            t.post();
            t.setRecNo(2);
            t.remove();
            tr.commit();
        }
        t.setFilter(QStringLiteral("Value > 2"));
        t.setFiltered(true);
        QCOMPARE(t.recordCount(), 1);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.text(0, name), QStringLiteral("A"));
        QCOMPARE(rows.text(1, name), QStringLiteral("b"));
        QCOMPARE(rows.toDouble(1, value), 2.0);
        QCOMPARE(*rows.textRef(2, name), QStringLiteral("c"));
        QVERIFY_THROWS_EXCEPTION(StoreError, rows.fieldIndex(QStringLiteral("Nope")));
    }

    // A rolled-back command leaves every row as it was, texts included, even when the same
    // row was changed several times, and a deleted row comes back whole.
    void rollbackOfRepeatedChanges() {
        writeLedger(QStringLiteral("INSERT INTO Data (Name, Value) VALUES ('a', 1), ('z', 2)"));
        TableHandle& t = m_data->tbData;
        try {
            Transaction tr;
            t.first();
            for (const char* text : {"b", "c", "a"}) {
                t.edit();
                t.field(QStringLiteral("Name")).setText(QString::fromLatin1(text));
                t.field(QStringLiteral("Value")).clear();
                t.post();
            }
            t.last();
            t.remove();
            zovi::test::Put(t, {{"Name", QStringLiteral("d")}});
            throw StoreError(QStringLiteral("stop"));
        } catch (const StoreError&) {
        }
        t.refresh();
        QCOMPARE(t.recordCount(), 2);
        t.first();
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("a"));
        QCOMPARE(t.field(QStringLiteral("Value")).toDouble(), 1.0);
        t.next();
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("z"));
        QCOMPARE(t.field(QStringLiteral("Value")).toDouble(), 2.0);
    }

    // The cells of every kind the handles write read back the same from the image, from the
    // file read anew, and after an update that a rollback undoes: null, integers to their
    // limits, floats (a file's infinities too; a handle refuses what is not finite), texts empty,
    // long, beyond the basic plane or opening with a byte order mark, and dates.
    void everyKindOfCellRoundTrips_data() {
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("date");
        const QVariant null;
        QTest::newRow("nulls") << null << null << null;
        QTest::newRow("empty text, zeros")
            << QVariant(QString(u""_s)) << QVariant(0.0) << QVariant(QDate(1, 1, 1));
        QTest::newRow("beyond the basic plane, extremes")
            << QVariant(u"\U0001F4B0 paid \U0001D11E, Продукты"_s)
            << QVariant(-std::numeric_limits<double>::max()) << QVariant(QDate(9999, 12, 31));
        QTest::newRow("byte order mark, smallest float")
            << QVariant(QString(QChar(0xFEFF)) + u"after a mark"_s)
            << QVariant(std::numeric_limits<double>::denorm_min()) << QVariant(QDate(2024, 2, 29));
        QTest::newRow("longer than a piece of the pool")
            << QVariant(QString(300000, QChar(u'ж')) + u"end"_s) << QVariant(0.1)
            << QVariant(QDate(2000, 1, 1));
        QTest::newRow("longer than a text kept in a piece")
            << QVariant(QString(40000, QChar(u'x'))) << QVariant(1e300) << null;
    }

    void everyKindOfCellRoundTrips() {
        QFETCH(QVariant, name);
        QFETCH(QVariant, value);
        QFETCH(QVariant, date);
        TableHandle* t = &m_data->tbData;
        // Short texts around the row, so that its texts lie between others in the pool.
        zovi::test::Put(*t, {{"Name", u"before"_s}});
        zovi::test::Put(*t, {{"Name", name}, {"Value", value}, {"Date", date}});
        const qint64 id = t->field(QStringLiteral("ID")).toInt();
        zovi::test::Put(*t, {{"Name", u"after"_s}});
        const std::vector<std::pair<const char*, QVariant>> fields = {
            {"Name", name}, {"Value", value}, {"Date", date}, {"ID", QVariant(id)}};
        const auto check = [&](const char* when) {
            t->setRecNo(2);
            for (const auto& [field, expected] : fields) {
                const FieldRef f = t->field(QString::fromLatin1(field));
                if (expected.isNull()) {
                    QVERIFY2(f.isNull(), when);
                    continue;
                }
                QVERIFY2(!f.isNull(), when);
                if (expected.typeId() == QMetaType::Double)
                    QVERIFY2(f.toDouble() == expected.toDouble(), when);
                else if (expected.typeId() == QMetaType::QDate)
                    QVERIFY2(f.toDate() == expected.toDate(), when);
                else if (expected.typeId() == QMetaType::LongLong)
                    QVERIFY2(f.toInt() == expected.toLongLong(), when);
                else
                    QVERIFY2(f.text() == expected.toString(), when);
            }
            t->setRecNo(3);
            QVERIFY2(t->field(QStringLiteral("Name")).text() == u"after"_s, when);
        };
        check("as written");
        reopen();
        t = &m_data->tbData;
        check("read anew");
        try {
            Transaction tr;
            t->setRecNo(2);
            t->edit();
            t->field(QStringLiteral("Name")).setText(u"changed \U0001F4B0"_s);
            t->field(QStringLiteral("Date")).setDate(QDate(2020, 5, 5));
            t->field(QStringLiteral("Value")).clear();
            t->post();
            QCOMPARE(t->field(QStringLiteral("Name")).text(), u"changed \U0001F4B0"_s);
            QCOMPARE(t->field(QStringLiteral("Value")).isNull(), true);
            throw StoreError(QStringLiteral("stop"));
        } catch (const StoreError&) {
        }
        t->refresh();
        check("rolled back");
        // What is not finite is refused and changes nothing.
        t->setRecNo(2);
        t->edit();
        QVERIFY_THROWS_EXCEPTION(
            StoreError,
            t->field(QStringLiteral("Value")).setDouble(std::numeric_limits<double>::quiet_NaN()));
        QVERIFY_THROWS_EXCEPTION(
            StoreError,
            t->field(QStringLiteral("Value")).setDouble(std::numeric_limits<double>::infinity()));
        t->cancel();
        check("after refused values");
    }

    // A value that does not fit a field's four-byte cell (an integer beyond 32 bits, a float in
    // a field of another type), and a text in a float field, reads back exact: as written, after
    // an update and field writes that a rollback undoes, after a field write that copies its cell
    // to other rows, and (a key, which the file keeps as it is) from the file read anew.
    void cellsOfAnyKindInAnyField_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        const qint64 low = std::numeric_limits<qint32>::min();
        const qint64 high = std::numeric_limits<qint32>::max();
        QTest::newRow("key at the 32-bit limit") << "ID" << QVariant(high);
        QTest::newRow("key beyond 32 bits") << "ID" << QVariant(high + 1);
        QTest::newRow("huge key") << "ID" << QVariant(std::numeric_limits<qint64>::max() - 1);
        QTest::newRow("integer at the negative limit in a text field") << "Name" << QVariant(low);
        QTest::newRow("integer below it") << "Name" << QVariant(low - 1);
        QTest::newRow("integer of 33 bits") << "Name" << QVariant(qint64(1) << 32);
        QTest::newRow("float in a date field") << "Date" << QVariant(1.5);
        QTest::newRow("text in a float field") << "Value" << QVariant(u"a text"_s);
    }

    void cellsOfAnyKindInAnyField() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        const auto toValue = [](const QVariant& v) -> Value {
            if (v.typeId() == QMetaType::LongLong)
                return v.toLongLong();
            if (v.typeId() == QMetaType::Double)
                return v.toDouble();
            return v.toString();
        };
        const Value wanted = toValue(value);
        auto image = Store::instance().acquire(tableFile("Data.db"));
        const int column = image->columnIndex(field);
        const int name = image->columnIndex(u"Name"_s);
        const auto row = [&](int c, const Value& v) {
            std::vector<Value> values(image->columns().size());
            values[size_t(c)] = v;
            return values;
        };
        const RowSlot before = image->insert(row(name, u"before"_s));
        const RowSlot slot = image->insert(row(column, wanted));
        const RowSlot after = image->insert(row(name, u"after"_s));
        const std::vector<RowSlot> rows = {before, slot, after};
        const auto check = [&](const char* when) {
            QVERIFY2(image->value(slot, column) == wanted, when);
            QVERIFY2(image->value(after, name) == Value(u"after"_s), when);
        };
        check("as written");
        {
            // Other values, wide ones first: the undo log keeps the cells as they were.
            Transaction tr;
            std::vector<Value> others = {Value(qint64(1) << 40), Value(2.5), Value(u"x"_s)};
            if (column != image->autoIncColumn()) {
                image->setColumn(rows, column, others);
                QVERIFY(image->value(slot, column) == others[1]);
                image->setColumn(rows, column, std::span<const Value>(&others[0], 1));
                QVERIFY(image->value(after, column) == others[0]);
            }
            image->update(slot, {Value(), u"2021-02-03"_s, u"changed"_s});
        }
        check("rolled back");
        if (column != image->autoIncColumn()) {
            // Written from one value, the rows share the cell of the first row written.
            image->setColumn(rows, column, std::span<const Value>(&wanted, 1));
            for (const RowSlot r : rows)
                QVERIFY(image->value(r, column) == wanted);
            return;
        }
        const qint64 rowid = image->rowid(slot);
        image.reset();
        reopen();
        image = Store::instance().acquire(tableFile("Data.db"));
        const std::optional<RowSlot> read = image->liveRow(rowid);
        QVERIFY(read);
        QVERIFY(image->value(*read, column) == wanted);
    }

    // A file's infinities read as such, its not-a-number SQLite stores as null, and the
    // largest keys read exact.
    void storedInfinitiesReadBack() {
        writeLedger(QStringLiteral("INSERT INTO Data (ID, Name, Value) VALUES "
                                   "(9223372036854775805, 'up', 9e999), "
                                   "(9223372036854775806, 'down', -9e999), "
                                   "(9223372036854775807, 'none', 0.0 / 0.0)"));
        TableHandle& t = m_data->tbData;
        t.first();
        QCOMPARE(t.field(QStringLiteral("ID")).toInt(), std::numeric_limits<qint64>::max() - 2);
        QCOMPARE(t.field(QStringLiteral("Value")).toDouble(),
                 std::numeric_limits<double>::infinity());
        t.next();
        QCOMPARE(t.field(QStringLiteral("Value")).toDouble(),
                 -std::numeric_limits<double>::infinity());
        t.next();
        QVERIFY(t.field(QStringLiteral("Value")).isNull());
        QCOMPARE(t.field(QStringLiteral("ID")).toInt(), std::numeric_limits<qint64>::max());
    }

    // A field whose texts are all distinct stops being looked up while it is read; one whose
    // texts repeat keeps sharing them. Every text reads back exact either way, and so do fields
    // that change their nature half-way: repeating after distinct, distinct after repeating.
    void distinctAndRepeatedTextsReadBack() {
        const int rows = 30000;
        m_cd.reset();
        m_data.reset();
        zovi::test::ExecFile(
            tableFile("Data.db"),
            QStringLiteral(
                "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                "INSERT INTO Data (Name, Gr1, Gr2, Dohod) SELECT 'note ' || x || ' ж', "
                "'account ' || (x % 7), CASE WHEN x < 15000 THEN 'n' || x ELSE 'same' END, "
                "CASE WHEN x < 15000 THEN 'k' || (x % 3) ELSE 'd' || x END FROM n")
                .arg(rows));
        openDatabase();
        TableHandle& t = m_data->tbData;
        QCOMPARE(t.recordCount(), rows);
        const ViewRows view = t.viewRows();
        const int name = view.fieldIndex(QStringLiteral("Name"));
        const int account = view.fieldIndex(QStringLiteral("Gr1"));
        const int group = view.fieldIndex(QStringLiteral("Gr2"));
        const int income = view.fieldIndex(QStringLiteral("Dohod"));
        for (int i = 0; i < rows; ++i) {
            const int x = i + 1;
            if (view.text(i, name) != u"note %1 ж"_s.arg(x) ||
                *view.textRef(i, account) != u"account %1"_s.arg(x % 7) ||
                view.text(i, group) != (x < 15000 ? u"n%1"_s.arg(x) : u"same"_s) ||
                view.text(i, income) != (x < 15000 ? u"k%1"_s.arg(x % 3) : u"d%1"_s.arg(x)))
                QFAIL(qPrintable(u"row %1 reads back wrong"_s.arg(x)));
        }
    }

    // A pool of a million distinct texts gives every one back exact, each a string whose
    // characters end in a zero; a copy outlives the pool, and changing a copy changes neither
    // the pool nor other copies.
    void millionDistinctTextsInThePool() {
        constexpr int kTexts = 1000000;
        QString copy;
        {
            TextPool pool;
            for (int i = 0; i < kTexts; ++i) {
                const QByteArray utf8 = "запись " + QByteArray::number(i) + " \xF0\x9F\x92\xB0";
                const quint32 n = i % 2 ? pool.add(QString::fromUtf8(utf8))
                                        : pool.addUtf8(utf8.constData(), utf8.size());
                QCOMPARE(n, quint32(i));
            }
            QCOMPARE(pool.size(), size_t(kTexts));
            for (int i = 0; i < kTexts; ++i) {
                const QString& text = pool[size_t(i)];
                const QString expected = u"запись %1 \U0001F4B0"_s.arg(i);
                if (text != expected || text.utf16()[text.size()] != 0)
                    QFAIL(qPrintable(u"text %1 reads back as %2"_s.arg(i).arg(text)));
            }
            const quint32 empty = pool.addUtf8("", 0);
            QVERIFY(pool[empty].isEmpty());
            copy = pool[123];
            QString changed = pool[124];
            changed[0] = u'Z';
            changed += u"more"_s;
            QCOMPARE(pool[124], u"запись 124 \U0001F4B0"_s);
            QCOMPARE(pool[125], u"запись 125 \U0001F4B0"_s);
            QCOMPARE(changed, u"Zапись 124 \U0001F4B0more"_s);
        }
        QCOMPARE(copy, u"запись 123 \U0001F4B0"_s);
        copy.append(u'!');
        QCOMPARE(copy, u"запись 123 \U0001F4B0!"_s);
    }

    // A large ledger tells how far its reading has come, in order, up to the whole; small
    // tables say nothing.
    void largeFileReportsProgress() {
        const int rows = int(TableImage::kProgressRows) + 1000;
        m_cd.reset();
        m_data.reset();
        zovi::test::ExecFile(
            tableFile("Data.db"),
            QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 "
                           "FROM n WHERE x < %1) INSERT INTO Data (Name, Value) "
                           "SELECT 'entry ' || (x % 50), x FROM n")
                .arg(rows));
        QList<std::pair<qint64, qint64>> seen;
        Store::instance().setReadProgress([&seen](qint64 done, qint64 total) {
            seen.append({done, total});
        });
        openDatabase();
        QVERIFY(seen.size() >= 10);
        for (qsizetype i = 0; i < seen.size(); ++i) {
            QCOMPARE(seen[i].second, qint64(rows));
            QVERIFY(i == 0 || seen[i].first >= seen[i - 1].first);
        }
        QCOMPARE(seen.last().first, qint64(rows));
        TableHandle& t = m_data->tbData;
        QCOMPARE(t.recordCount(), rows);
        t.last();
        QCOMPARE(t.field(QStringLiteral("Name")).text(), QStringLiteral("entry %1").arg(rows % 50));
        QCOMPARE(t.field(QStringLiteral("Value")).toDouble(), double(rows));
    }
};

QObject* zovi::test::NewImageTest() {
    return new TestImage;
}

#include "tst_image.moc"
