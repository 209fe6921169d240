// The in-memory image of a table file: what it makes of every kind of stored cell, rows kept by
// their place while views change, and the reading of large files.
#include "fixtures.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/store.h"
#include "store/tests.h"
#include "store/transaction.h"

#include <QFile>
#include <QTest>

using namespace zovi;

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
